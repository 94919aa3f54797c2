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

}  // namespace
