// Landing, locking, full rows, bombs, scoring, levels, the board dump and the dealing order.
#include "game/locking.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "game/movement.h"
#include "game/pieces.h"
#include "game/random.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/system.h"
#include "support/game_fixture.h"
#include "support/playfield.h"

namespace {

using LockingTest = GameTest;
using Plays = std::vector<std::string>;

const std::string EmptyRow = "...............";

// Four rows 21 to 24 full but for column 0, where an upright bar dropped fills them.
void PrepareWell(int32_t rows) {
    for (int32_t row = 25 - rows; row < 25; ++row) FillRow(row, 2, {0});
}

TEST_F(LockingTest, StepDownMovesOneRowUntilThePieceLands) {
    PlacePiece(12, 4, 20);
    StepDown();
    EXPECT_EQ(GameState.PieceY, CellY(21));
    EXPECT_EQ(GameState.PieceRow, 21);
    EXPECT_EQ(GameState.PieceColumn, 4);
    StepDown();
    StepDown();  // bottom row 24
    EXPECT_EQ(GameState.PieceRow, 23);
    StepDown();  // on the floor: locks, flush, no voice
    EXPECT_EQ(RowText(23), ".....5.........");
    EXPECT_EQ(RowText(24), "....555........");
    EXPECT_TRUE(Platform.PlaysOn(ChannelVoice).empty());
    EXPECT_EQ(Platform.PlaysOn(ChannelPiece), Plays{"sfx\\drop.wav"});
    EXPECT_FLOAT_EQ(GameState.CarelessLandingCount, 0.0f);
    EXPECT_EQ(GameState.PieceRow, 0);
    EXPECT_EQ(GameState.PieceColumn, 7);
}

TEST_F(LockingTest, CarelessLandingsPlayTheVoiceTheGeneratorPicks) {
    const std::vector<std::pair<uint32_t, std::string>> seeds = {{2, "sfx\\boo.wav"},
                                                                 {1, "sfx\\groan.wav"},
                                                                 {12, "sfx\\groan2.wav"},
                                                                 {3, "sfx\\oh.wav"},
                                                                 {5, "sfx\\boo.wav"}};
    for (const auto& [seed, voice] : seeds) {
        SCOPED_TRACE(voice);
        FillBoard(0);
        Platform.ClearRecords();
        GameState.Board[5][20] = 1;  // holds only the middle of a T pointing up
        PlacePiece(12, 4, 18);
        Srand(seed);
        StepDown();
        EXPECT_EQ(Platform.PlaysOn(ChannelVoice), Plays{voice});
        // The voice comes before the lock's sound.
        ASSERT_EQ(Platform.Sounds.size(), 2u);
        EXPECT_EQ(Platform.Sounds[0].Channel, ChannelVoice);
        EXPECT_EQ(Platform.Sounds[1].File, "sfx\\drop.wav");
        EXPECT_EQ(RowText(19), "....555........");
    }
    EXPECT_FLOAT_EQ(GameState.CarelessLandingCount, 5.0f);
    // The voice's draw comes first, then the dealing's: seed 5 then deals the upright bar.
    EXPECT_EQ(GameState.NextPiece, 16);
}

TEST_F(LockingTest, HardDropFallsAllTheWayAndLandsWithoutAVoiceEvenOverAGap) {
    GameState.Board[5][20] = 1;
    PlacePiece(12, 4, 0);
    GameState.NextPiece = 17;
    const float pieces = GameState.PieceCount;
    HardDrop();
    EXPECT_EQ(RowText(18), ".....5.........");
    EXPECT_EQ(RowText(19), "....555........");
    EXPECT_TRUE(Platform.PlaysOn(ChannelVoice).empty());
    EXPECT_FLOAT_EQ(GameState.CarelessLandingCount, 0.0f);
    EXPECT_EQ(GameState.CurrentPiece, 17);
    EXPECT_FLOAT_EQ(GameState.PieceCount, pieces + 1.0f);
    EXPECT_EQ(GameState.PieceX, 499);
    EXPECT_EQ(GameState.PieceY, 59);
    EXPECT_EQ(GameState.ToppedOut, 0);
}

TEST_F(LockingTest, FullRowsScoreByCountAndLevelWithTheirSounds) {
    struct Case {
        int32_t Rows;
        int32_t Level;
        int32_t Points;
        Plays Cheer;
    };
    const std::vector<Case> cases = {
        {1, 1, 10, {}},
        {1, 4, 25, {}},
        {2, 3, 48, {"sfx\\applause1.wav"}},
        {3, 2, 75, {"sfx\\applause2.wav"}},
        {3, 5, 150, {"sfx\\applause2.wav"}},
        {4, 1, 100, {"sfx\\cheer1.wav"}},
        {4, 9, 500, {"sfx\\cheer1.wav"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Rows) + " rows at level " + std::to_string(c.Level));
        FillBoard(0);
        Platform.ClearRecords();
        GameState.Score = 1000;
        GameState.Level = c.Level;
        GameState.LevelLines = 0;
        GameState.LinesCleared = 7;
        PrepareWell(c.Rows);
        PlacePiece(16, 0, 0);
        HardDrop();
        EXPECT_EQ(GameState.Score, 1000 + c.Points);
        EXPECT_EQ(GameState.LinesCleared, 7 + c.Rows);
        EXPECT_EQ(GameState.LevelLines, c.Rows);
        EXPECT_EQ(GameState.Level, c.Level);
        EXPECT_EQ(Platform.PlaysOn(ChannelLine),
                  Plays(static_cast<size_t>(c.Rows), "sfx\\line.wav"));
        EXPECT_EQ(Platform.PlaysOn(ChannelVoice), c.Cheer);
        // What the bar left above the cleared rows has come down to the floor.
        for (int32_t row = 0; row < 25 - (4 - c.Rows); ++row) EXPECT_EQ(RowText(row), EmptyRow);
        for (int32_t row = 25 - (4 - c.Rows); row < 25; ++row) {
            EXPECT_EQ(RowText(row), "6..............");
        }
    }
}

TEST_F(LockingTest, RowsAboveAClearedRowComeDownAndRowOneEmpties) {
    SetRows(1, {".7............."});   // must come down, not stay behind as well
    SetRows(20, {"..3............",    //
                 "...4...........",    //
                 ".22222222222222",    // full but for column 0
                 "..1............",    //
                 ".55555555555555"});  // full but for column 0
    PlacePiece(16, 0, 21);
    LockPiece();
    // Row 22 goes first, then row 24 with everything above it.
    EXPECT_EQ(RowText(1), EmptyRow);
    EXPECT_EQ(RowText(2), EmptyRow);
    EXPECT_EQ(RowText(3), ".7.............");
    EXPECT_EQ(RowText(21), EmptyRow);
    EXPECT_EQ(RowText(22), "..3............");
    EXPECT_EQ(RowText(23), "6..4...........");
    EXPECT_EQ(RowText(24), "6.1............");
    EXPECT_EQ(GameState.LinesCleared, 2);
    EXPECT_EQ(GameState.Score, 24);
}

TEST_F(LockingTest, RowZeroIsNeverRemoved) {
    FillRow(0, 3);
    FillRow(1, 3, {0});
    GameState.Board[0][5] = 1;
    PlacePiece(16, 0, 1);
    LockPiece();
    EXPECT_EQ(RowText(0), "333333333333333");
    EXPECT_EQ(RowText(1), EmptyRow);
    EXPECT_EQ(RowText(2), "6..............");
    EXPECT_EQ(GameState.LinesCleared, 1);
    EXPECT_EQ(GameState.Score, 10);
    EXPECT_EQ(GameState.ToppedOut, 0);
}

TEST_F(LockingTest, TenRowsRaiseTheLevelAndTheSpeedOnceAndNotPastNine) {
    GameState.Level = 3;
    GameState.LevelLines = 9;
    GameState.GravityPeriod = 16.0f;
    PrepareWell(2);
    PlacePiece(16, 0, 0);
    HardDrop();
    EXPECT_EQ(GameState.Score, 48);  // counted at the level before the level-up
    EXPECT_EQ(GameState.LevelLines, 1);
    EXPECT_EQ(GameState.Level, 4);
    EXPECT_FLOAT_EQ(GameState.GravityPeriod, 14.0f);

    // From level 1, the speed runs 20, 18, ..., 4 ticks and stops at level 9.
    FillBoard(0);
    GameState.Level = 1;
    GameState.LevelLines = 0;
    GameState.GravityPeriod = 20.0f;
    std::vector<float> periods;
    for (int32_t i = 0; i < 30; ++i) {
        FillBoard(0);
        PrepareWell(4);
        PlacePiece(16, 0, 0);
        HardDrop();
        periods.push_back(GameState.GravityPeriod);
    }
    EXPECT_EQ(GameState.Level, 9);
    EXPECT_FLOAT_EQ(GameState.GravityPeriod, 4.0f);
    EXPECT_EQ(periods[2], 18.0f);  // 12 rows: one level-up only, LevelLines 2
    EXPECT_EQ(GameState.LinesCleared, 120 + 2);
    // At level 9 the rows keep counting and nothing else changes.
    EXPECT_GT(GameState.LevelLines, 10);
}

TEST_F(LockingTest, LockingInRowZeroTopsOutYetDoesEverythingElse) {
    FillRow(3, 4, {0});
    GameState.Board[0][4] = 1;
    PlacePiece(16, 0, 0);
    GameState.NextPiece = 10;
    HardDrop();
    EXPECT_EQ(GameState.ToppedOut, 1);
    EXPECT_EQ(GameState.Score, 10);  // row 3 removed and scored
    EXPECT_EQ(GameState.LinesCleared, 1);
    EXPECT_EQ(RowText(0), "6..............");
    EXPECT_EQ(RowText(1), EmptyRow);
    EXPECT_EQ(RowText(2), "6..............");
    EXPECT_EQ(RowText(3), "6..............");
    EXPECT_EQ(ReadFile("data.dat"), BoardDumpText());
    EXPECT_EQ(GameState.CurrentPiece, 10);  // dealt all the same
    // The flag stays set through later locks.
    PlacePiece(18, 5, 23);
    StepDown();
    EXPECT_EQ(GameState.ToppedOut, 1);
}

TEST_F(LockingTest, TheBoardIsDumpedToDataDatAfterEveryLock) {
    PlacePiece(3, 7, 0);
    HardDrop();
    const std::string dots(15, '0');
    std::string expected;
    for (int32_t row = 0; row < 23; ++row) expected += dots + "\n";
    expected += "000000000100000\n";
    expected += "000000011100000\n";
    EXPECT_EQ(ReadFile("data.dat"), expected);

    // Truncated each time: a bomb in an empty corner leaves only zeros behind.
    FillBoard(0);
    PlacePiece(19, 0, 24);
    LockPiece();
    std::string zeros;
    for (int32_t row = 0; row < 25; ++row) zeros += dots + "\n";
    EXPECT_EQ(ReadFile("data.dat"), zeros);
}

TEST_F(LockingTest, ADumpThatCannotBeWrittenIsReportedOnceAndPlayGoesOn) {
    std::filesystem::create_directory(Folder / "data.dat");  // in the way, even for root
    testing::internal::CaptureStderr();
    PlacePiece(18, 3, 0);
    HardDrop();
    PlacePiece(18, 3, 0);
    HardDrop();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find("data.dat"), std::string::npos);
    EXPECT_EQ(RowText(21), "...77..........");
    EXPECT_FLOAT_EQ(GameState.PieceCount, 3.0f);

    // Once the file can be written again, it is, and a later failure is told again.
    std::filesystem::remove(Folder / "data.dat");
    PlacePiece(18, 3, 0);
    HardDrop();
    EXPECT_EQ(ReadFile("data.dat"), BoardDumpText());
    std::filesystem::remove(Folder / "data.dat");
    std::filesystem::create_directory(Folder / "data.dat");
    testing::internal::CaptureStderr();
    PlacePiece(18, 3, 0);
    HardDrop();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("data.dat"), std::string::npos);
}

TEST_F(LockingTest, TheBlastEmptiesItsPatternOfThirtySevenCells) {
    // Stacks that start at the blast's top in each blasted column, so nothing lies above it.
    const int32_t tops[15] = {25, 25, 25, 9, 11, 10, 9, 9, 9, 10, 11, 9, 25, 25, 25};
    for (int32_t column = 0; column < 15; ++column) {
        for (int32_t row = tops[column]; row <= 16; ++row) GameState.Board[column][row] = 5;
    }
    PlacePiece(19, 7, 12);
    Srand(3);
    LockPiece();
    EXPECT_EQ(RowText(8), EmptyRow);
    EXPECT_EQ(RowText(9), "...5.......5...");
    EXPECT_EQ(RowText(10), "...5.......5...");
    EXPECT_EQ(RowText(11), "...5.......5...");
    EXPECT_EQ(RowText(12), "...5.......5...");
    EXPECT_EQ(RowText(13), "...5.......5...");
    EXPECT_EQ(RowText(14), "...55.....55...");
    EXPECT_EQ(RowText(15), "...555...555...");
    EXPECT_EQ(RowText(16), "...555555555...");
    // Lock sound first, then the explosion the generator picks (an even draw).
    EXPECT_EQ(Platform.PlaysOn(ChannelPiece), Plays{"sfx\\drop.wav"});
    EXPECT_EQ(Platform.PlaysOn(ChannelVoice), Plays{"sfx\\explode.wav"});
    Srand(1);  // an odd draw
    PlacePiece(19, 7, 3);
    LockPiece();
    EXPECT_EQ(Platform.PlaysOn(ChannelVoice).back(), "sfx\\explode2.wav");
}

TEST_F(LockingTest, BlastedColumnsDropAsRigidBlocksByTheBlastsHeightOnTheBoard) {
    // Columns 0 to 4 filled from row 15 down, each cell coloured by its row.
    for (int32_t column = 0; column <= 4; ++column) {
        for (int32_t row = 15; row <= 24; ++row) GameState.Board[column][row] = row % 7 + 1;
    }
    PlacePiece(19, 0, 24);  // by the left wall, on the floor
    LockPiece();
    auto column = [](int32_t c) {
        std::string text;
        for (int32_t row = 13; row <= 24; ++row) {
            const CellColour cell = GameState.Board[c][row];
            text += cell == 0 ? '.' : static_cast<char>('0' + cell);
        }
        return text;
    };
    // Rows 13 to 24. Own column: rows 21 to 24 emptied, the rest drops by 4.
    EXPECT_EQ(column(0), "......234567");
    EXPECT_EQ(column(1), "......234567");
    EXPECT_EQ(column(2), ".....2345671");  // rows 22 to 24 blasted: drops by 3
    EXPECT_EQ(column(3), "....23456712");  // rows 23 and 24: drops by 2
    EXPECT_EQ(column(4), "..2345671234");  // outside the blast
    EXPECT_EQ(GameState.Board[0][14], 0);
}

TEST_F(LockingTest, TheTopOfACollapsedStretchEmptiesAndRowZeroStays) {
    FillColumn(7, 0, 24, 6);
    PlacePiece(19, 7, 24);
    LockPiece();
    EXPECT_EQ(GameState.Board[7][0], 6);
    for (int32_t row = 1; row <= 4; ++row) EXPECT_EQ(GameState.Board[7][row], 0) << row;
    for (int32_t row = 5; row <= 24; ++row) EXPECT_EQ(GameState.Board[7][row], 6) << row;
}

TEST_F(LockingTest, NearTheTopNothingDropsAndRowZeroOnlyEmpties) {
    for (int32_t column = 3; column <= 11; ++column) FillColumn(column, 0, 8, 4);
    PlacePiece(19, 7, 2);
    LockPiece();
    EXPECT_EQ(RowText(0), "...44.....44...");
    EXPECT_EQ(RowText(1), "...4.......4...");
    EXPECT_EQ(RowText(2), "...4.......4...");
    EXPECT_EQ(RowText(3), "...4.......4...");
    EXPECT_EQ(RowText(4), "...44.....44...");
    EXPECT_EQ(RowText(5), "...444...444...");
    EXPECT_EQ(RowText(6), "...444444444...");
    EXPECT_EQ(GameState.ToppedOut, 0);

    // By the right wall: only the cells inside the well go, and the columns there drop.
    FillBoard(0);
    for (int32_t column = 10; column <= 14; ++column) FillColumn(column, 5, 14, 3);
    PlacePiece(19, 13, 10);
    LockPiece();
    EXPECT_EQ(RowText(7), EmptyRow);
    EXPECT_EQ(RowText(8), "..........3....");
    EXPECT_EQ(RowText(12), "..........33333");
    EXPECT_EQ(RowText(13), "..........33333");
    auto height = [](int32_t c) {
        int32_t filled = 0;
        for (int32_t row = 0; row < 25; ++row) filled += GameState.Board[c][row] != 0;
        return filled;
    };
    EXPECT_EQ(height(10), 7);  // offset -3: three rows blasted
    EXPECT_EQ(height(11), 5);  // offset -2: five rows
    EXPECT_EQ(height(12), 3);  // offset -1: seven rows
    EXPECT_EQ(height(13), 3);
    EXPECT_EQ(height(14), 3);
}

TEST_F(LockingTest, ACollapseThatCompletesRowsClearsAndScoresThemInTheSameLock) {
    FillRow(12, 1, {5, 6, 7, 8, 9});
    FillRow(13, 1, {6, 7, 8});
    GameState.Board[5][7] = 2;
    GameState.Board[9][7] = 2;
    for (int32_t column = 6; column <= 8; ++column) FillColumn(column, 5, 6, 3);
    PlacePiece(19, 7, 10);
    Srand(3);
    LockPiece();
    for (int32_t row = 0; row < 25; ++row) EXPECT_EQ(RowText(row), EmptyRow) << row;
    EXPECT_EQ(GameState.LinesCleared, 2);
    EXPECT_EQ(GameState.Score, 24);
    EXPECT_EQ(Platform.PlaysOn(ChannelVoice), (Plays{"sfx\\explode.wav", "sfx\\applause1.wav"}));
    EXPECT_EQ(Platform.PlaysOn(ChannelLine).size(), 2u);
}

TEST_F(LockingTest, MoreThanFourRowsFromOneCollapseEarnWhatFourDo) {
    for (int32_t column : {0, 1, 2, 3, 11, 12, 13, 14}) FillColumn(column, 13, 19);
    for (int32_t column : {6, 7, 8}) FillColumn(column, 6, 12);
    for (int32_t column : {5, 9}) {
        FillColumn(column, 8, 13);
        FillColumn(column, 19, 19);
    }
    for (int32_t column : {4, 10}) {
        FillColumn(column, 10, 14);
        FillColumn(column, 18, 19);
    }
    GameState.LevelLines = 8;
    PlacePiece(19, 7, 16);
    LockPiece();
    for (int32_t row = 0; row < 25; ++row) EXPECT_EQ(RowText(row), EmptyRow) << row;
    EXPECT_EQ(GameState.LinesCleared, 7);
    EXPECT_EQ(GameState.Score, 100);
    EXPECT_EQ(Platform.PlaysOn(ChannelVoice).back(), "sfx\\cheer1.wav");
    EXPECT_EQ(Platform.PlaysOn(ChannelLine).size(), 7u);
    EXPECT_EQ(GameState.Level, 2);
    EXPECT_EQ(GameState.LevelLines, 5);
    EXPECT_FLOAT_EQ(GameState.GravityPeriod, 18.0f);
}

TEST_F(LockingTest, DealingFollowsTheGeneratorWithAndWithoutBombs) {
    auto deal = [](bool bombs) {
        Options.Bombs = bombs;
        Srand(2);
        std::vector<PieceCode> dealt;
        for (int32_t i = 0; i < 12; ++i) {
            DealNextPiece();
            dealt.push_back(GameState.NextPiece);
        }
        return dealt;
    };
    EXPECT_EQ(deal(true), (std::vector<PieceCode>{16, 4, 4, 19, 8, 18, 10, 8, 0, 4, 0, 10}));
    // The bomb's draw is still made when bombs are off, so the shapes before it agree.
    EXPECT_EQ(deal(false), (std::vector<PieceCode>{16, 4, 4, 18, 12, 0, 12, 0, 4, 8, 18, 18}));

    GameState.NextPiece = 19;
    GameState.PieceCount = 4.0f;
    PlacePiece(0, 3, 12);
    DealNextPiece();
    EXPECT_EQ(GameState.CurrentPiece, 19);
    EXPECT_FLOAT_EQ(GameState.PieceCount, 5.0f);
    EXPECT_EQ(GameState.PieceX, 499);
    EXPECT_EQ(GameState.PieceY, 59);
    EXPECT_EQ(GameState.PieceColumn, 7);
    EXPECT_EQ(GameState.PieceRow, 0);
}

TEST_F(LockingTest, APieceDealtOntoTheStackLocksAtItsFirstStepAndTopsOut) {
    FillColumn(7, 1, 24, 2);
    FillColumn(8, 1, 24, 2);
    GameState.NextPiece = 18;
    PlacePiece(17, 0, 10);
    HardDrop();  // lands on the floor; the square is dealt over the stack
    EXPECT_EQ(GameState.CurrentPiece, 18);
    EXPECT_EQ(GameState.ToppedOut, 0);
    StepDown();
    EXPECT_EQ(GameState.ToppedOut, 1);
    EXPECT_EQ(GameState.Board[7][0], 7);
    EXPECT_EQ(GameState.Board[8][0], 7);
}

}  // namespace
