// Setting up the well for tests: pieces at chosen cells, filled rows, the board as text, and
// the falling piece as a frame shows it.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "game/state.h"
#include "support/scripted_platform.h"

// Puts the falling piece with its anchor at (column, row), pixels and cell alike.
void PlacePiece(PieceCode code, int32_t column, int32_t row);
// Fills a row with the colour, leaving the given columns empty.
void FillRow(int32_t row, CellColour colour = 1, std::initializer_list<int32_t> gaps = {});
// Fills a column from row `from` to row `to`.
void FillColumn(int32_t column, int32_t from, int32_t to, CellColour colour = 1);
// Fills every cell of the board.
void FillBoard(CellColour colour);
// Writes rows of the board from `firstRow` on, one string of 15 characters per row: '.' an
// empty cell, a digit its colour.
void SetRows(int32_t firstRow, const std::vector<std::string>& rows);
// Every cell filled but a shaft, the shadow and the falling piece in it, the preview, five-digit
// numbers and the clock: every kind of picture of play at once.
void SetUpFullWell();
// One row as 15 characters ('.' for empty), for readable expectations.
std::string RowText(int32_t row);
// The whole board as "data.dat" holds it: 25 lines of 15 digits.
std::string BoardDumpText();

// Screen position of a cell's top-left corner.
inline int32_t CellX(int32_t column) {
    return 317 + 26 * column;
}
inline int32_t CellY(int32_t row) {
    return 59 + 26 * row;
}

// A drawn piece as its anchor cell: the smallest column and row among its block draws.
struct DrawnPiece {
    std::string File;
    int32_t Column = -1;
    int32_t Row = -1;
    int32_t Blocks = 0;
};
// The falling piece of a play frame: the frame's last `cells` draws.
DrawnPiece FallingPieceIn(const Frame& frame, int32_t cells);
