// Keeping the falling piece inside the well and off the stack: the four fit tests, the
// sideways moves and the clockwise turn.
#pragma once

#include <array>
#include <cstdint>

#include "game/pieces.h"

// --- Cells each test looks at, worked out from the piece catalogue ---------------------------
namespace movement_detail {

constexpr bool Covers(const PieceShape& shape, int32_t column, int32_t row) {
    return shape.Cells.Holds({column, row});
}

// For each column of the piece, the cell just below its lowest cell there.
constexpr CellList SupportCellsOf(const PieceShape& shape) {
    CellList list;
    for (int32_t column = 0; column < shape.Width; ++column) {
        for (int32_t row = shape.Height - 1; row >= 0; --row) {
            if (Covers(shape, column, row)) {
                list.Add({column, row + 1});
                break;
            }
        }
    }
    return list;
}

// For each row of the piece, the cell just right of its rightmost cell there.
constexpr CellList RightNeighboursOf(const PieceShape& shape) {
    CellList list;
    for (int32_t row = 0; row < shape.Height; ++row) {
        for (int32_t column = shape.Width - 1; column >= 0; --column) {
            if (Covers(shape, column, row)) {
                list.Add({column + 1, row});
                break;
            }
        }
    }
    return list;
}

// For each row of the piece, the cell just left of its leftmost cell there.
constexpr CellList LeftNeighboursOf(const PieceShape& shape) {
    CellList list;
    for (int32_t row = 0; row < shape.Height; ++row) {
        for (int32_t column = 0; column < shape.Width; ++column) {
            if (Covers(shape, column, row)) {
                list.Add({column - 1, row});
                break;
            }
        }
    }
    return list;
}

// The cells the clockwise successor covers and the piece does not, from the same anchor.
constexpr CellList RotationCellsOf(PieceCode code) {
    const PieceShape& now = PieceCatalogue[code];
    CellList list;
    for (const CellOffset& cell : PieceCatalogue[ClockwiseSuccessor[code]].Cells) {
        if (!now.Cells.Holds(cell)) list.Add(cell);
    }
    return list;
}

template <typename Derive>
constexpr std::array<CellList, PieceCodeCount> ForEveryCode(Derive derive) {
    std::array<CellList, PieceCodeCount> lists{};
    for (PieceCode code = 0; code < PieceCodeCount; ++code) lists[code] = derive(code);
    return lists;
}

}  // namespace movement_detail

inline constexpr std::array<CellList, PieceCodeCount> SupportCells = movement_detail::ForEveryCode(
    [](PieceCode code) { return movement_detail::SupportCellsOf(PieceCatalogue[code]); });
inline constexpr std::array<CellList, PieceCodeCount> RightNeighbours =
    movement_detail::ForEveryCode(
        [](PieceCode code) { return movement_detail::RightNeighboursOf(PieceCatalogue[code]); });
inline constexpr std::array<CellList, PieceCodeCount> LeftNeighbours =
    movement_detail::ForEveryCode(
        [](PieceCode code) { return movement_detail::LeftNeighboursOf(PieceCatalogue[code]); });
inline constexpr std::array<CellList, PieceCodeCount> RotationCells =
    movement_detail::ForEveryCode(movement_detail::RotationCellsOf);

// What a turn does first when the successor is wider than the piece and would cross the right
// wall: a successor one column wider shifts the piece one column left; one wider still (the
// four in a column turning into four in a row) is refused.
enum class WallRule { None, ShiftLeft, Refuse };
constexpr WallRule RotationWallRule(PieceCode code) {
    const int32_t extra =
        PieceCatalogue[ClockwiseSuccessor[code]].Width - PieceCatalogue[code].Width;
    if (extra <= 0) return WallRule::None;
    return extra == 1 ? WallRule::ShiftLeft : WallRule::Refuse;
}

// --- Operations ------------------------------------------------------------------------------
// Recomputes PieceColumn and PieceRow from PieceX and PieceY.
void UpdatePieceCell();
// True when CurrentPiece fits one row lower at the anchor (pixel y, cell column and row). Sets
// LandedFlush: 0 when the stack holds the piece up with some of its support cells still empty.
bool CanMoveDown(int32_t y, int32_t column, int32_t row);
bool CanMoveLeft();
bool CanMoveRight();
void MoveLeft();
void MoveRight();
// True when the falling piece may take its successor's orientation; may first shift it one
// column off the right wall, and that shift stays even when the turn is then refused.
bool CanRotate();
// Plays the rotate sound, then turns the piece clockwise if it can.
void RotatePiece();
