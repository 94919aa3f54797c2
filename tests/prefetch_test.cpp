// Decoding ahead on worker threads: every file is decoded once, each result reaches the load
// that asks for it whatever the order, and nothing decoded is kept or lost when a batch ends.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/sdl/sdl_prefetch.h"

namespace {

std::atomic<int> Decodes{0};
std::atomic<int> Freed{0};

struct Tracked {
    std::string Path;
    ~Tracked() { ++Freed; }
};

std::unique_ptr<Tracked> DecodeTracked(const std::string& path) {
    ++Decodes;
    auto result = std::make_unique<Tracked>();
    result->Path = path;
    return result;
}

class PrefetchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Decodes = 0;
        Freed = 0;
    }
};

TEST_F(PrefetchTest, EachResultReachesItsLoadInAnyOrderAndOnlyOnce) {
    std::vector<std::string> paths;
    for (int i = 0; i < 40; ++i) paths.push_back("gfx/" + std::to_string(i) + ".png");
    paths.push_back("gfx/0.png");  // the same file twice: two loads, two results
    Prefetch<std::unique_ptr<Tracked>> ahead;
    ahead.Start(paths, DecodeTracked);

    for (int i = 39; i >= 0; --i) {
        std::unique_ptr<Tracked> result;
        const std::string path = "gfx/" + std::to_string(i) + ".png";
        ASSERT_TRUE(ahead.Take(path, result)) << path;
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(result->Path, path);
    }
    std::unique_ptr<Tracked> again;
    ASSERT_TRUE(ahead.Take("gfx/0.png", again));
    EXPECT_EQ(again->Path, "gfx/0.png");
    EXPECT_FALSE(ahead.Take("gfx/0.png", again)) << "a third load decodes for itself";
    EXPECT_FALSE(ahead.Take("gfx/missing.png", again));
    ahead.Stop();
    EXPECT_EQ(Decodes.load(), 41);
}

TEST_F(PrefetchTest, ANewBatchOrAStopFreesWhatWasNeverTaken) {
    auto ahead = std::make_unique<Prefetch<std::unique_ptr<Tracked>>>();
    ahead->Start({"a", "b", "c"}, DecodeTracked);
    {
        std::unique_ptr<Tracked> taken;
        ASSERT_TRUE(ahead->Take("b", taken));
    }
    EXPECT_EQ(Freed.load(), 1);

    ahead->Start({"d", "e"}, DecodeTracked);
    std::unique_ptr<Tracked> old;
    EXPECT_FALSE(ahead->Take("a", old)) << "the earlier batch is gone";
    const int decodedBefore = Decodes.load();
    EXPECT_LE(decodedBefore, 5);

    ahead.reset();  // destroyed with "d" and "e" untaken, maybe still decoding
    EXPECT_EQ(Freed.load(), Decodes.load()) << "every decoded result was freed exactly once";
}

}  // namespace
