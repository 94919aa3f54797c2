// A short soak: a few dozen whole games with random keys, every frame checked (the long one
// is ./soak). The figures must show the games did what a soak is for.
#include "support/soak.h"

#include <gtest/gtest.h>

#include "support/game_fixture.h"

namespace {

using SoakTest = GameTest;

TEST_F(SoakTest, RandomGamesKeepTheBoardAndThePieceSound) {
    const SoakFigures f = RunSoak(40, 20240607);
    for (const std::string& finding : f.Findings) ADD_FAILURE() << finding;
    EXPECT_EQ(f.FindingCount, 0);
    EXPECT_EQ(f.Games, 40);
    EXPECT_EQ(f.TopOuts + f.Escapes, 40);
    EXPECT_GT(f.TopOuts, 30);
    // Every game dealt pieces and the run as a whole cleared rows, blew bombs and paused.
    EXPECT_GT(f.Pieces, 40 * 10);
    EXPECT_GT(f.Lines, 0);
    EXPECT_GT(f.Bombs, 0);
    EXPECT_GT(f.GamesWithBombsOff, 0);
    EXPECT_GT(f.HighScores, 0);
}

// "./soak GAMES SEED" must replay the same games wherever it was built: its numbers are
// SplitMix64's own, whatever the standard library.
TEST(SoakRandomTest, ASeedGivesTheSameNumbersOnAnyStandardLibrary) {
    SoakRandom random(0);
    EXPECT_EQ(random.Next(), 0xe220a8397b1dcdafu);
    EXPECT_EQ(random.Next(), 0x6e789e6aa1b965f4u);
    EXPECT_EQ(random.Next(), 0x06c45d188009454fu);

    SoakRandom seeded(20240607);
    EXPECT_EQ(seeded.Uniform(), 0.39267745665602327);  // 0x6486828236cdc99b's top 53 bits
    bool low = false, high = false;
    for (int i = 0; i < 1000; ++i) {
        const int32_t value = seeded.Between(5, 20);
        ASSERT_GE(value, 5);
        ASSERT_LE(value, 20);
        low = low || value == 5;
        high = high || value == 20;
    }
    EXPECT_TRUE(low && high);
}

}  // namespace
