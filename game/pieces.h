// The twenty pieces: seven shapes in each of their orientations and the one-cell bomb, each
// with its cells, size and colour. Every other list about a piece (the cells a move or a turn
// must find empty) is worked out from these shapes, so the shapes are the one place to change.
#pragma once

#include <cstdint>

#include "game/state.h"
#include "platform/renderer.h"

// A cell as an offset from the piece's anchor, the top-left corner of its bounding rectangle.
struct CellOffset {
    int32_t Column = 0;
    int32_t Row = 0;
    constexpr bool operator==(const CellOffset&) const = default;
};

// Up to four cells; no piece and no list worked out from one holds more.
struct CellList {
    int32_t Count = 0;
    CellOffset Cells[4] = {};

    constexpr void Add(CellOffset cell) { Cells[Count++] = cell; }
    constexpr bool Holds(CellOffset cell) const {
        for (int32_t i = 0; i < Count; ++i) {
            if (Cells[i] == cell) return true;
        }
        return false;
    }
    constexpr const CellOffset* begin() const { return Cells; }
    constexpr const CellOffset* end() const { return Cells + Count; }
};

inline constexpr PieceCode PieceCodeCount = 20;
inline constexpr PieceCode BombPiece = 19;
inline constexpr CellColour BombCellColour = 8;

struct PieceShape {
    int32_t Width = 0;      // in cells
    int32_t Height = 0;     // in cells
    CellColour Colour = 0;  // written into the board on a lock; 0 for the bomb, which never is
    CellList Cells;         // row by row, left to right
};

namespace piece_detail {
// Reads a shape drawn as rows from top to bottom, separated by '/', 'X' a cell and '.' a gap.
constexpr PieceShape Shape(const char* rows, CellColour colour) {
    PieceShape shape;
    shape.Colour = colour;
    int32_t column = 0;
    int32_t row = 0;
    for (const char* p = rows;; ++p) {
        if (*p == '/' || *p == '\0') {
            if (column > shape.Width) shape.Width = column;
            ++row;
            column = 0;
            if (*p == '\0') break;
            continue;
        }
        if (*p == 'X') shape.Cells.Add({column, row});
        ++column;
    }
    shape.Height = row;
    return shape;
}
}  // namespace piece_detail

// Within each shape the orientations follow one another clockwise.
inline constexpr PieceShape PieceCatalogue[PieceCodeCount] = {
    piece_detail::Shape("X./X./XX", 1),  // 0 L
    piece_detail::Shape("XXX/X..", 1),   // 1
    piece_detail::Shape("XX/.X/.X", 1),  // 2
    piece_detail::Shape("..X/XXX", 1),   // 3
    piece_detail::Shape(".X/.X/XX", 2),  // 4 J
    piece_detail::Shape("X../XXX", 2),   // 5
    piece_detail::Shape("XX/X./X.", 2),  // 6
    piece_detail::Shape("XXX/..X", 2),   // 7
    piece_detail::Shape("XX./.XX", 3),   // 8 Z
    piece_detail::Shape(".X/XX/X.", 3),  // 9
    piece_detail::Shape(".XX/XX.", 4),   // 10 S
    piece_detail::Shape("X./XX/.X", 4),  // 11
    piece_detail::Shape(".X./XXX", 5),   // 12 T
    piece_detail::Shape("X./XX/X.", 5),  // 13
    piece_detail::Shape("XXX/.X.", 5),   // 14
    piece_detail::Shape(".X/XX/.X", 5),  // 15
    piece_detail::Shape("X/X/X/X", 6),   // 16 I, four in a column
    piece_detail::Shape("XXXX", 6),      // 17 I, four in a row
    piece_detail::Shape("XX/XX", 7),     // 18 O
    piece_detail::Shape("X", 0),         // 19 bomb
};

inline constexpr PieceCode ClockwiseSuccessor[PieceCodeCount] = {
    1, 2, 3, 0, 5, 6, 7, 4, 9, 8, 11, 10, 13, 14, 15, 12, 17, 16, 18, 19};

// New pieces are dealt in the first orientation of their shape.
inline constexpr PieceCode SpawnOrientations[7] = {0, 4, 8, 10, 12, 16, 18};

// The block image of a code: its colour's image, the bomb image for the bomb.
Sprite PieceSprite(PieceCode code);
// Draws the piece's cells with their anchor at pixel (x, y), one sprite draw per cell, without
// clipping to the board (the preview sits beside it).
void DrawPiece(PieceCode code, int32_t x, int32_t y, const Sprite& sprite, uint32_t colour);
