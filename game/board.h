// The well's cells: which lie inside it and which are empty.
#pragma once

#include <cstdint>

#include "game/state.h"

// True for a cell of the well (columns 0 to 14, rows 0 to 24).
bool IsOnBoard(int32_t column, int32_t row);
// True for an empty cell of the well. Nothing outside the well is ever read: a cell there
// counts as taken, so no piece can move into it.
bool IsCellEmpty(int32_t column, int32_t row);
