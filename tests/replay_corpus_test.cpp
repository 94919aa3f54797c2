// The corpus of real games recorded through the real program (tests/replays, made by
// tools/record-corpus): each plays back exactly, and together they cover the rules, so that
// any change to scoring, gravity, bombs or the order of sounds breaks at least one of them.
// ./test also plays each through `zantorvix --check`.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "support/replay_coverage.h"

namespace {

TEST(ReplayCorpusTest, EveryRecordedGamePlaysBackAndTogetherTheyCoverTheRules) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(ZANTORVIX_SOURCE_DIR) / "tests" / "replays")) {
        if (entry.path().extension() == ".zrp") files.push_back(entry.path());
    }
    ASSERT_GE(files.size(), 2u);
    ReplayCoverage coverage;
    for (const auto& file : files) {
        Replay replay;
        std::string reason;
        ASSERT_TRUE(LoadReplay(file.c_str(), replay, reason)) << file << " " << reason;
        const PlaybackResult result = PlayBackAndCover(replay, coverage);
        EXPECT_EQ(result.Outcome, PlaybackResult::Verdict::Matches)
            << file << ": frame " << result.Frame << ": " << result.Message;
    }
    EXPECT_EQ(coverage.Missing(), "");
}

}  // namespace
