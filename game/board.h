// The well: its cells on the screen and the shadow of the falling piece.
#pragma once

#include <cstdint>

#include "game/state.h"

// True for a cell of the well (columns 0 to 14, rows 0 to 24).
bool IsOnBoard(int32_t column, int32_t row);
// True for an empty cell of the well. Nothing outside the well is ever read: a cell there
// counts as taken, so no piece can move into it.
bool IsCellEmpty(int32_t column, int32_t row);

// Every filled cell with its block image, then the shadow when the Shadow option is on.
void DrawBoard(uint32_t colour);
// The falling piece drawn with the shadow image where it would land.
void DrawShadow(uint32_t colour);
