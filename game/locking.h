// What happens once the falling piece can go no lower: the drop, the step down, the lock with
// its bomb blast, the removal of full rows with their points, levels and speed, the board dump
// "data.dat" and the dealing of the next piece.
#pragma once

#include <cstdint>

// The blast's half-height in each column from three left of the bomb to three right: the
// blast covers rows R - h to R + h there, 37 cells in all.
inline constexpr int32_t BlastHalfHeights[7] = {1, 2, 3, 3, 3, 2, 1};

// Drops the piece as far as it goes, then locks it and deals the next one.
void HardDrop();
// One row down, or, when the piece can go no lower, the landing: a careless landing (the stack
// holding up only part of the piece) counts and plays a voice; then lock and deal.
void StepDown();
// Writes the piece into the board (a bomb explodes instead), removes full rows and writes the
// board dump. Sets ToppedOut for a piece locked in row 0, and still does everything else.
void LockPiece();
// Empties the blast around the bomb's cell and drops the part of each blasted column above it.
void ExplodeBomb();
// Removes every full row from 1 to 24 (row 0 never goes), then scores them and levels up.
void ClearLines();
// The preview piece becomes the falling piece at the top; a new preview piece is drawn.
void DealNextPiece();
// "data.dat": 25 lines of 15 digits, row 0 first.
void WriteBoardDump();
