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

TEST(FuzzSeedsTest, ScoresSeedsPassTheChecksAndCoverWholeAndDamagedFiles) {
    const std::vector<Seed> seeds = SeedsOf("scores");
    ASSERT_GE(seeds.size(), 3u);
    int whole = 0, damaged = 0;
    for (const Seed& seed : seeds) {
        EXPECT_EQ(fuzz_checks::CheckScoresReader(seed.Bytes), "") << seed.Name;
        HighScoreTableRecord table;
        const ItemsRead read = ReadHighScoreTable(seed.Bytes, table);
        whole += read.Count == 10;
        damaged += read.Damaged;
    }
    EXPECT_GT(whole, 0);
    EXPECT_GT(damaged, 0);
}

TEST(FuzzSeedsTest, OptionsSeedsPassTheChecksAndCoverWholeAndDamagedFiles) {
    const std::vector<Seed> seeds = SeedsOf("options");
    ASSERT_GE(seeds.size(), 3u);
    int whole = 0, damaged = 0;
    for (const Seed& seed : seeds) {
        EXPECT_EQ(fuzz_checks::CheckOptionsReader(seed.Bytes), "") << seed.Name;
        OptionsRecord options;
        const ItemsRead read = ReadOptions(seed.Bytes, options);
        whole += read.Count == 4;
        damaged += read.Damaged;
    }
    EXPECT_GT(whole, 0);
    EXPECT_GT(damaged, 0);
}

TEST(FuzzSeedsTest, DdsSeedsPassTheChecksAndCoverPicturesAndRefusals) {
    const std::vector<Seed> seeds = SeedsOf("dds");
    ASSERT_GE(seeds.size(), 3u);
    int pictures = 0, refusals = 0;
    for (const Seed& seed : seeds) {
        const auto* data = reinterpret_cast<const uint8_t*>(seed.Bytes.data());
        EXPECT_EQ(fuzz_checks::CheckDdsReader(data, seed.Bytes.size()), "") << seed.Name;
        DecodedImage image;
        std::string error;
        (DecodeDds(data, seed.Bytes.size(), image, error) ? pictures : refusals) += 1;
    }
    EXPECT_GT(pictures, 0);
    EXPECT_GT(refusals, 0);
}

TEST(FuzzSeedsTest, ReplaySeedsPassTheChecksAndCoverWholeAndRefusedFiles) {
    const std::vector<Seed> seeds = SeedsOf("replay");
    ASSERT_GE(seeds.size(), 3u);
    int whole = 0, refused = 0;
    for (const Seed& seed : seeds) {
        EXPECT_EQ(fuzz_checks::CheckReplayReader(seed.Bytes), "") << seed.Name;
        Replay replay;
        std::string reason;
        (ReadReplay(seed.Bytes, replay, reason) ? whole : refused) += 1;
    }
    EXPECT_GT(whole, 0);
    EXPECT_GT(refused, 0);
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
