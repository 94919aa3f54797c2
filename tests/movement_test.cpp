// The fit tests, the sideways moves and the clockwise turn, each against the cell lists of
// every piece code.
#include "game/movement.h"

#include <gtest/gtest.h>

#include <functional>

#include "game/pieces.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "support/game_fixture.h"
#include "support/playfield.h"

namespace {

using Cells = std::vector<CellOffset>;
using MovementTest = GameTest;

const std::vector<int32_t> Widths = {2, 3, 2, 3, 2, 3, 2, 3, 3, 2, 3, 2, 3, 2, 3, 2, 1, 4, 2, 1};
const std::vector<int32_t> Heights = {3, 2, 3, 2, 3, 2, 3, 2, 2, 3, 2, 3, 2, 3, 2, 3, 4, 1, 2, 1};

// The four lists of every code, written out by hand, cell by cell.
const std::vector<Cells> ExpectedSupport = {
    {{0, 3}, {1, 3}},
    {{0, 2}, {1, 1}, {2, 1}},
    {{0, 1}, {1, 3}},
    {{0, 2}, {1, 2}, {2, 2}},
    {{0, 3}, {1, 3}},
    {{0, 2}, {1, 2}, {2, 2}},
    {{0, 3}, {1, 1}},
    {{0, 1}, {1, 1}, {2, 2}},
    {{0, 1}, {1, 2}, {2, 2}},
    {{0, 3}, {1, 2}},
    {{0, 2}, {1, 2}, {2, 1}},
    {{0, 2}, {1, 3}},
    {{0, 2}, {1, 2}, {2, 2}},
    {{0, 3}, {1, 2}},
    {{0, 1}, {1, 2}, {2, 1}},
    {{0, 2}, {1, 3}},
    {{0, 4}},
    {{0, 1}, {1, 1}, {2, 1}, {3, 1}},
    {{0, 2}, {1, 2}},
    {{0, 1}},
};
const std::vector<Cells> ExpectedRight = {
    {{1, 0}, {1, 1}, {2, 2}},
    {{3, 0}, {1, 1}},
    {{2, 0}, {2, 1}, {2, 2}},
    {{3, 0}, {3, 1}},
    {{2, 0}, {2, 1}, {2, 2}},
    {{1, 0}, {3, 1}},
    {{2, 0}, {1, 1}, {1, 2}},
    {{3, 0}, {3, 1}},
    {{2, 0}, {3, 1}},
    {{2, 0}, {2, 1}, {1, 2}},
    {{3, 0}, {2, 1}},
    {{1, 0}, {2, 1}, {2, 2}},
    {{2, 0}, {3, 1}},
    {{1, 0}, {2, 1}, {1, 2}},
    {{3, 0}, {2, 1}},
    {{2, 0}, {2, 1}, {2, 2}},
    {{1, 0}, {1, 1}, {1, 2}, {1, 3}},
    {{4, 0}},
    {{2, 0}, {2, 1}},
    {{1, 0}},
};
const std::vector<Cells> ExpectedLeft = {
    {{-1, 0}, {-1, 1}, {-1, 2}},
    {{-1, 0}, {-1, 1}},
    {{-1, 0}, {0, 1}, {0, 2}},
    {{1, 0}, {-1, 1}},
    {{0, 0}, {0, 1}, {-1, 2}},
    {{-1, 0}, {-1, 1}},
    {{-1, 0}, {-1, 1}, {-1, 2}},
    {{-1, 0}, {1, 1}},
    {{-1, 0}, {0, 1}},
    {{0, 0}, {-1, 1}, {-1, 2}},
    {{0, 0}, {-1, 1}},
    {{-1, 0}, {-1, 1}, {0, 2}},
    {{0, 0}, {-1, 1}},
    {{-1, 0}, {-1, 1}, {-1, 2}},
    {{-1, 0}, {0, 1}},
    {{0, 0}, {-1, 1}, {0, 2}},
    {{-1, 0}, {-1, 1}, {-1, 2}, {-1, 3}},
    {{-1, 0}},
    {{-1, 0}, {-1, 1}},
    {{-1, 0}},
};
const std::vector<Cells> ExpectedRotation = {
    {{1, 0}, {2, 0}},
    {{1, 1}, {1, 2}},
    {{2, 0}, {0, 1}, {2, 1}},
    {{0, 0}, {0, 2}, {1, 2}},
    {{0, 0}, {0, 1}, {2, 1}},
    {{1, 0}, {0, 2}},
    {{2, 0}, {2, 1}},
    {{1, 1}, {0, 2}, {1, 2}},
    {{0, 1}, {0, 2}},
    {{0, 0}, {2, 1}},
    {{0, 0}, {1, 2}},
    {{1, 0}, {2, 0}},
    {{0, 0}, {0, 2}},
    {{1, 0}, {2, 0}},
    {{0, 1}, {1, 2}},
    {{2, 1}},
    {{1, 0}, {2, 0}, {3, 0}},
    {{0, 1}, {0, 2}, {0, 3}},
    {},
    {},
};

Cells AsVector(const CellList& list) {
    return Cells(list.begin(), list.end());
}

bool CoversCell(PieceCode code, CellOffset cell) {
    for (const CellOffset& own : PieceCatalogue[code].Cells) {
        if (own == cell) return true;
    }
    return false;
}

bool ListHolds(const Cells& cells, CellOffset cell) {
    return std::find(cells.begin(), cells.end(), cell) != cells.end();
}

// Puts one block at each cell around a piece anchored at (6, 10), in turn, and checks that the
// test refuses exactly when the block sits on a cell of the list.
void ExpectBlockedExactlyBy(const std::vector<Cells>& lists, const std::function<bool()>& fits,
                            const char* name) {
    constexpr int32_t Column = 6;
    constexpr int32_t Row = 10;
    for (PieceCode code = 0; code < PieceCodeCount; ++code) {
        SCOPED_TRACE(std::string(name) + ", code " + std::to_string(code));
        const Cells& list = lists[static_cast<size_t>(code)];
        FillBoard(0);
        PlacePiece(code, Column, Row);
        EXPECT_TRUE(fits()) << "on an empty board";
        for (int32_t dc = -2; dc <= 5; ++dc) {
            for (int32_t dr = -2; dr <= 5; ++dr) {
                const CellOffset cell{dc, dr};
                if (CoversCell(code, cell)) continue;
                FillBoard(0);
                GameState.Board[Column + dc][Row + dr] = 3;
                PlacePiece(code, Column, Row);
                EXPECT_EQ(fits(), !ListHolds(list, cell)) << "block at (" << dc << "," << dr << ")";
                EXPECT_EQ(GameState.PieceColumn, Column);
            }
        }
    }
}

TEST(CellListTest, ListsWorkedOutFromTheCatalogueMatchTheDesignSheet) {
    for (PieceCode code = 0; code < PieceCodeCount; ++code) {
        SCOPED_TRACE("code " + std::to_string(code));
        const size_t i = static_cast<size_t>(code);
        EXPECT_EQ(AsVector(SupportCells[i]), ExpectedSupport[i]);
        EXPECT_EQ(AsVector(RightNeighbours[i]), ExpectedRight[i]);
        EXPECT_EQ(AsVector(LeftNeighbours[i]), ExpectedLeft[i]);
        EXPECT_EQ(AsVector(RotationCells[i]), ExpectedRotation[i]);
    }
    // Only the two-wide turns into three-wide shift off the wall; the upright bar is refused.
    std::vector<PieceCode> shifting;
    for (PieceCode code = 0; code < PieceCodeCount; ++code) {
        if (RotationWallRule(code) == WallRule::ShiftLeft) shifting.push_back(code);
        if (code != 16) {
            EXPECT_NE(RotationWallRule(code), WallRule::Refuse);
        }
    }
    EXPECT_EQ(shifting, (std::vector<PieceCode>{0, 2, 4, 6, 9, 11, 13, 15}));
    EXPECT_EQ(RotationWallRule(16), WallRule::Refuse);
}

TEST_F(MovementTest, EachTestIsBlockedByExactlyTheCellsOfItsList) {
    ExpectBlockedExactlyBy(
        ExpectedSupport,
        [] { return CanMoveDown(GameState.PieceY, GameState.PieceColumn, GameState.PieceRow); },
        "down");
    ExpectBlockedExactlyBy(ExpectedRight, CanMoveRight, "right");
    ExpectBlockedExactlyBy(ExpectedLeft, CanMoveLeft, "left");
    ExpectBlockedExactlyBy(ExpectedRotation, CanRotate, "rotate");
}

TEST_F(MovementTest, LandingIsFlushOnTheFloorOrOnAFullSupportAndCarelessOverAGap) {
    for (PieceCode code = 0; code < PieceCodeCount; ++code) {
        SCOPED_TRACE("code " + std::to_string(code));
        const Cells& support = ExpectedSupport[static_cast<size_t>(code)];
        // One block under the piece: careless unless it is the only support cell.
        for (const CellOffset& cell : support) {
            FillBoard(0);
            GameState.Board[6 + cell.Column][10 + cell.Row] = 1;
            PlacePiece(code, 6, 10);
            GameState.LandedFlush = 1;
            EXPECT_FALSE(CanMoveDown(GameState.PieceY, 6, 10));
            EXPECT_EQ(GameState.LandedFlush, support.size() == 1 ? 1 : 0);
        }
        // Every support cell taken: flush.
        FillBoard(0);
        for (const CellOffset& cell : support) GameState.Board[6 + cell.Column][10 + cell.Row] = 1;
        PlacePiece(code, 6, 10);
        GameState.LandedFlush = 0;
        EXPECT_FALSE(CanMoveDown(GameState.PieceY, 6, 10));
        EXPECT_EQ(GameState.LandedFlush, 1);
        // The floor: the bottom row is row 24.
        FillBoard(0);
        const int32_t height = Heights[static_cast<size_t>(code)];
        PlacePiece(code, 6, 25 - height);
        GameState.LandedFlush = 0;
        EXPECT_FALSE(CanMoveDown(GameState.PieceY, 6, 25 - height));
        EXPECT_EQ(GameState.LandedFlush, 1);
        PlacePiece(code, 6, 24 - height);
        EXPECT_TRUE(CanMoveDown(GameState.PieceY, 6, 24 - height));
        EXPECT_EQ(GameState.LandedFlush, 1);
        // The test is asked about any anchor, not only the falling piece's own.
        EXPECT_TRUE(CanMoveDown(CellY(3), 0, 3));
    }
}

TEST_F(MovementTest, WallsStopSidewaysMovesWhateverTheBoardHolds) {
    for (PieceCode code = 0; code < PieceCodeCount; ++code) {
        SCOPED_TRACE("code " + std::to_string(code));
        const int32_t width = Widths[static_cast<size_t>(code)];
        FillBoard(0);
        PlacePiece(code, 0, 5);
        EXPECT_FALSE(CanMoveLeft());
        MoveLeft();
        EXPECT_EQ(GameState.PieceX, 317);
        MoveRight();
        EXPECT_EQ(GameState.PieceX, CellX(1));
        EXPECT_EQ(GameState.PieceColumn, 1);
        EXPECT_TRUE(CanMoveLeft());
        MoveLeft();
        EXPECT_EQ(GameState.PieceColumn, 0);

        PlacePiece(code, 15 - width, 5);  // rightmost cells in column 14
        EXPECT_FALSE(CanMoveRight());
        MoveRight();
        EXPECT_EQ(GameState.PieceColumn, 15 - width);
        PlacePiece(code, 14 - width, 5);
        EXPECT_TRUE(CanMoveRight());
        MoveRight();
        EXPECT_EQ(GameState.PieceColumn, 15 - width);
        EXPECT_EQ(GameState.PieceX, CellX(15 - width));
        EXPECT_EQ(GameState.PieceRow, 5);
    }
    // Even with the whole left side empty and the wall's column full, column 0 stays put.
    FillBoard(0);
    PlacePiece(18, 0, 3);
    EXPECT_FALSE(CanMoveLeft());
}

TEST_F(MovementTest, TurningNextToTheRightWallShiftsTheTwoWideOrientations) {
    for (PieceCode code : {0, 2, 4, 6, 9, 11, 13, 15}) {
        SCOPED_TRACE("code " + std::to_string(code));
        // Empty board: one column left, then turned.
        FillBoard(0);
        PlacePiece(code, 13, 8);
        RotatePiece();
        EXPECT_EQ(GameState.CurrentPiece, ClockwiseSuccessor[code]);
        EXPECT_EQ(GameState.PieceColumn, 12);
        EXPECT_EQ(GameState.PieceX, CellX(12));

        // The shift itself blocked: nothing moves, nothing turns.
        FillBoard(0);
        const CellOffset left = ExpectedLeft[static_cast<size_t>(code)][0];
        GameState.Board[13 + left.Column][8 + left.Row] = 2;
        PlacePiece(code, 13, 8);
        EXPECT_FALSE(CanRotate());
        EXPECT_EQ(GameState.PieceColumn, 13);
        EXPECT_EQ(GameState.CurrentPiece, code);

        // The shift made but the new orientation blocked: one column left, old orientation.
        FillBoard(0);
        const CellOffset needed = ExpectedRotation[static_cast<size_t>(code)][0];
        GameState.Board[12 + needed.Column][8 + needed.Row] = 2;
        PlacePiece(code, 13, 8);
        const float rotations = GameState.RotationCount;
        RotatePiece();
        EXPECT_EQ(GameState.PieceColumn, 12);
        EXPECT_EQ(GameState.CurrentPiece, code);
        EXPECT_EQ(GameState.RotationCount, rotations);
    }
    // One column further from the wall no shift is needed.
    FillBoard(0);
    PlacePiece(0, 12, 8);
    RotatePiece();
    EXPECT_EQ(GameState.CurrentPiece, 1);
    EXPECT_EQ(GameState.PieceColumn, 12);
}

TEST_F(MovementTest, TheUprightBarTurnsOnlyWithThreeFreeColumnsToItsRight) {
    for (int32_t column : {12, 13, 14}) {
        FillBoard(0);
        PlacePiece(16, column, 4);
        RotatePiece();
        EXPECT_EQ(GameState.CurrentPiece, 16) << column;
        EXPECT_EQ(GameState.PieceColumn, column);
    }
    FillBoard(0);
    PlacePiece(16, 11, 4);
    RotatePiece();
    EXPECT_EQ(GameState.CurrentPiece, 17);
    EXPECT_EQ(GameState.PieceColumn, 11);

    FillBoard(0);
    GameState.Board[14][4] = 1;
    PlacePiece(16, 11, 4);
    RotatePiece();
    EXPECT_EQ(GameState.CurrentPiece, 16);
}

TEST_F(MovementTest, ATurnThatWouldReachBelowTheFloorIsRefused) {
    // Two rows high turning three rows high, resting on the floor.
    for (PieceCode code : {1, 3, 5, 7, 8, 10, 12, 14}) {
        SCOPED_TRACE("code " + std::to_string(code));
        FillBoard(0);
        PlacePiece(code, 5, 23);
        Platform.ClearRecords();
        RotatePiece();
        EXPECT_EQ(GameState.CurrentPiece, code);
        EXPECT_EQ(GameState.RotationCount, 0.0f);
        EXPECT_EQ(Platform.PlaysOn(ChannelPiece), std::vector<std::string>{"sfx\\rotate.wav"});
        PlacePiece(code, 5, 22);
        RotatePiece();
        EXPECT_EQ(GameState.CurrentPiece, ClockwiseSuccessor[code]);
        GameState.RotationCount = 0.0f;
    }
    for (int32_t row : {22, 23, 24}) {
        PlacePiece(17, 3, row);
        RotatePiece();
        EXPECT_EQ(GameState.CurrentPiece, 17) << row;
    }
    PlacePiece(17, 3, 21);
    RotatePiece();
    EXPECT_EQ(GameState.CurrentPiece, 16);
}

TEST_F(MovementTest, EveryTurnPlaysTheRotateSoundAndOnlyPassedTurnsCount) {
    FillBoard(0);
    PlacePiece(18, 5, 5);
    RotatePiece();
    PlacePiece(19, 5, 5);
    RotatePiece();
    EXPECT_EQ(GameState.CurrentPiece, 19);
    EXPECT_EQ(GameState.PieceColumn, 5);
    EXPECT_FLOAT_EQ(GameState.RotationCount, 2.0f);

    // Blocked: the sound still plays.
    PlacePiece(0, 5, 5);
    GameState.Board[7][5] = 4;
    RotatePiece();
    EXPECT_EQ(GameState.CurrentPiece, 0);
    EXPECT_FLOAT_EQ(GameState.RotationCount, 2.0f);
    EXPECT_EQ(Platform.PlaysOn(ChannelPiece).size(), 3u);
    for (const std::string& file : Platform.PlaysOn(ChannelPiece)) {
        EXPECT_EQ(file, "sfx\\rotate.wav");
    }
}

TEST_F(MovementTest, FullTurnsBringEveryShapeBackToItsStart) {
    const std::vector<std::pair<PieceCode, int32_t>> turns = {{0, 4}, {4, 4},  {12, 4},
                                                              {8, 2}, {10, 2}, {16, 2}};
    for (const auto& [code, count] : turns) {
        FillBoard(0);
        PlacePiece(code, 5, 8);
        std::vector<PieceCode> seen;
        for (int32_t i = 0; i < count; ++i) {
            RotatePiece();
            seen.push_back(GameState.CurrentPiece);
        }
        EXPECT_EQ(GameState.CurrentPiece, code);
        EXPECT_EQ(GameState.PieceX, CellX(5));
        EXPECT_EQ(GameState.PieceY, CellY(8));
        EXPECT_EQ(seen.front(), ClockwiseSuccessor[code]);
    }
    EXPECT_FLOAT_EQ(GameState.RotationCount, 18.0f);
}

TEST_F(MovementTest, CellPositionFollowsThePixelPosition) {
    GameState.PieceX = CellX(11);
    GameState.PieceY = CellY(17);
    UpdatePieceCell();
    EXPECT_EQ(GameState.PieceColumn, 11);
    EXPECT_EQ(GameState.PieceRow, 17);
}

}  // namespace
