// The fuzzers' seed inputs, run as ordinary tests through the same checks the fuzzers make: a
// seed that once broke a reader keeps guarding it in every run of the suite.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/fuzz_checks.h"
#include "support/replay_fuzz_checks.h"

namespace {

struct Seed {
    std::string Name;
    std::string Bytes;
};

std::vector<Seed> SeedsOf(const std::string& kind) {
    std::vector<Seed> seeds;
    const std::filesystem::path folder =
        std::filesystem::path(ZANTORVIX_SOURCE_DIR) / "tools" / "fuzz" / "seeds" / kind;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        seeds.push_back({entry.path().filename().string(), bytes.str()});
    }
    return seeds;
}

// How a reader took a seed.
enum class Taken { Whole, Damaged, Partly };

// Every seed of the kind passes the fuzzer's check, and the seeds hold both kinds of input:
// some the reader takes whole and some it refuses or finds damaged (`taken` tells which).
template <typename Check, typename HowTaken>
void ExpectSeedsPassAndCoverBoth(const std::string& kind, Check check, HowTaken taken) {
    const std::vector<Seed> seeds = SeedsOf(kind);
    ASSERT_GE(seeds.size(), 3u);
    int whole = 0, damaged = 0;
    for (const Seed& seed : seeds) {
        EXPECT_EQ(check(seed.Bytes), "") << seed.Name;
        whole += taken(seed.Bytes) == Taken::Whole;
        damaged += taken(seed.Bytes) == Taken::Damaged;
    }
    EXPECT_GT(whole, 0) << kind;
    EXPECT_GT(damaged, 0) << kind;
}

Taken Items(const ItemsRead& read, int32_t all) {
    if (read.Damaged) return Taken::Damaged;
    return read.Count == all ? Taken::Whole : Taken::Partly;
}

const uint8_t* BytesOf(const std::string& bytes) {
    return reinterpret_cast<const uint8_t*>(bytes.data());
}

TEST(FuzzSeedsTest, EverySeedPassesItsChecksAndTheSeedsCoverWholeAndDamagedFiles) {
    ExpectSeedsPassAndCoverBoth("scores", fuzz_checks::CheckScoresReader,
                                [](std::string_view text) {
                                    HighScoreTableRecord table;
                                    return Items(ReadHighScoreTable(text, table), 10);
                                });
    ExpectSeedsPassAndCoverBoth("options", fuzz_checks::CheckOptionsReader,
                                [](std::string_view text) {
                                    OptionsRecord options;
                                    return Items(ReadOptions(text, options), 4);
                                });
    ExpectSeedsPassAndCoverBoth(
        "controls", fuzz_checks::CheckControlsReader, [](std::string_view text) {
            ControlsRecord controls;
            return ReadControls(text, controls).empty() ? Taken::Whole : Taken::Damaged;
        });
    ExpectSeedsPassAndCoverBoth(
        "dds",
        [](const std::string& bytes) {
            return fuzz_checks::CheckDdsReader(BytesOf(bytes), bytes.size());
        },
        [](const std::string& bytes) {
            DecodedImage image;
            std::string error;
            return DecodeDds(BytesOf(bytes), bytes.size(), image, error) ? Taken::Whole
                                                                         : Taken::Damaged;
        });
    ExpectSeedsPassAndCoverBoth(
        "replay", [](const std::string& bytes) { return fuzz_checks::CheckReplayReader(bytes); },
        [](const std::string& bytes) {
            Replay replay;
            std::string reason;
            return ReadReplay(bytes, replay, reason) ? Taken::Whole : Taken::Damaged;
        });
}

// The checks themselves must catch what they are there for.
TEST(FuzzSeedsTest, TheChecksRejectABrokenReaderResult) {
    EXPECT_FALSE(fuzz_checks::Inside(std::string_view("elsewhere"), std::string_view("text")));
    HighScoreTableRecord a, b;
    b[3].Name = "OTHER";
    EXPECT_FALSE(fuzz_checks::SameTable(a, b));
    b = a;
    b[4].Score = 1;
    EXPECT_FALSE(fuzz_checks::SameTable(a, b));
}

}  // namespace
