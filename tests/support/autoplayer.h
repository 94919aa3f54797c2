// A player that knows the game: it steers each new piece to the place a simple judgement of
// the stack likes best, keeping the right-hand column free for four-row clears, and after a
// while gives up and lets the stack reach the top. The scripted tests and the benchmark let it
// play on the scripted platform; the corpus recorder lets it play the real program.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "game/state.h"

// Where a piece should go: clockwise turns from its code as dealt, and its anchor's column.
struct Placement {
    int32_t Turns = 0;
    int32_t Column = 0;
};

using BoardCells = CellColour[BoardColumns][BoardRows];

// The best place for the piece on the board. A bomb goes where it brings down the most.
Placement ChoosePlacement(const BoardCells& board, PieceCode piece, bool keepWell);
// The code after that many clockwise turns.
PieceCode Turned(PieceCode piece, int32_t turns);

// Plays on the game's own records, one key state per poll.
class Autoplayer {
  public:
    explicit Autoplayer(uint32_t seed) : Random(seed) {}

    int32_t PiecesBeforeGivingUp = 100;  // then it holds Space until the top-out
    int32_t EscapeAfterPieces = -1;      // leaves with Escape once this many were dealt
    int32_t PauseAtPiece = -1;           // pauses for a while when this piece is dealt
    int32_t CycleAtPiece = -1;           // presses keypad plus once on this piece
    std::string Name = "ROBOT";          // typed at the name entry
    bool KeepWell = true;                // saves rows up for four-row clears

    // Fills one poll's key state from the game's state as it stands.
    void Keys(int64_t now, uint8_t state[256]);

  private:
    std::mt19937 Random;
    float PlannedFor = -1.0f;  // the PieceCount the plan was made for
    PieceCode PlannedCode = -1;
    PieceCode TargetCode = 0;
    int32_t TargetColumn = 0;
    int32_t Attempts = 0;
    int64_t PauseUntil = -1;
    int32_t PausePolls = 0;
    bool Paused = false;
    bool Cycled = false;
    bool Escaped = false;
    size_t Typed = 0;
    int32_t ScorePolls = 0;
};
