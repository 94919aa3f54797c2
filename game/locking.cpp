#include "game/locking.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "game/board.h"
#include "game/movement.h"
#include "game/pieces.h"
#include "game/random.h"
#include "game/sound_bank.h"
#include "platform/system.h"

namespace {

constexpr const char* BoardDumpFile = "data.dat";

// Careless-landing voices by rand() % 5.
constexpr SoundSlot LandingVoices[5] = {SoundBoo, SoundGroan, SoundGroan2, SoundOh, SoundBoo};

// Rows removed by one lock: the base of the points (times (Level + 1) / 2) and the cheer.
struct ClearReward {
    int32_t Base;
    SoundSlot Cheer;  // SoundSlotCount: none
};
constexpr ClearReward ClearRewards[5] = {{0, SoundSlotCount},
                                         {10, SoundSlotCount},
                                         {24, SoundApplause1},
                                         {50, SoundApplause2},
                                         {100, SoundCheer}};

constexpr int32_t TopLevel = 9;
constexpr int32_t RowsPerLevel = 10;
constexpr float GravitySpeedUp = 2.0f;

// Set after a failed dump so that a folder that cannot take the file costs one message, not
// one per lock; cleared when a dump succeeds again.
bool DumpFailureReported = false;

bool IsRowFull(int32_t row) {
    for (int32_t column = 0; column < BoardColumns; ++column) {
        if (GameState.Board[column][row] == 0) return false;
    }
    return true;
}

// Rows 1 to row - 1 move one row down; row 0 stays.
void RemoveRow(int32_t row) {
    for (int32_t column = 0; column < BoardColumns; ++column) {
        CellColour* cells = GameState.Board[column];
        for (int32_t r = row; r >= 2; --r) cells[r] = cells[r - 1];
        // Nothing moves into row 1, so it empties rather than keeping its old blocks.
        cells[1] = 0;
    }
}

void ReportDumpFailure(const char* reason) {
    if (DumpFailureReported) return;
    DumpFailureReported = true;
    std::fprintf(stderr, "zantorvix: cannot write %s: %s (play goes on without it)\n",
                 BoardDumpFile, reason);
}

}  // namespace

void HardDrop() {
    GameStateRecord& g = GameState;
    while (CanMoveDown(g.PieceY, g.PieceColumn, g.PieceRow)) {
        g.PieceY += CellSize;
        UpdatePieceCell();
    }
    LockPiece();
    DealNextPiece();
}

void StepDown() {
    GameStateRecord& g = GameState;
    if (CanMoveDown(g.PieceY, g.PieceColumn, g.PieceRow)) {
        g.PieceY += CellSize;
        UpdatePieceCell();
        return;
    }
    if (!g.LandedFlush) {
        g.CarelessLandingCount += 1.0f;
        PlaySound(ChannelVoice, SoundBank[LandingVoices[Rand() % 5]]);
    }
    LockPiece();
    DealNextPiece();
}

void LockPiece() {
    GameStateRecord& g = GameState;
    PlaySound(ChannelPiece, SoundBank[SoundDrop]);
    if (g.PieceRow == 0) g.ToppedOut = 1;
    if (g.CurrentPiece == BombPiece) {
        ExplodeBomb();
    } else {
        const PieceShape& shape = PieceCatalogue[g.CurrentPiece];
        for (const CellOffset& cell : shape.Cells) {
            const int32_t column = g.PieceColumn + cell.Column;
            const int32_t row = g.PieceRow + cell.Row;
            if (IsOnBoard(column, row)) g.Board[column][row] = shape.Colour;
        }
    }
    ClearLines();
    WriteBoardDump();
}

void ExplodeBomb() {
    GameStateRecord& g = GameState;
    PlaySound(ChannelVoice, SoundBank[Rand() % 2 == 0 ? SoundExplode : SoundExplode2]);
    const int32_t bombRow = g.PieceRow;
    for (int32_t offset = -3; offset <= 3; ++offset) {
        const int32_t column = g.PieceColumn + offset;
        if (column < 0 || column >= BoardColumns) continue;
        CellColour* cells = g.Board[column];
        const int32_t h = BlastHalfHeights[offset + 3];
        const int32_t top = bombRow - h;
        const int32_t bottom = bombRow + h;
        for (int32_t row = top; row <= bottom; ++row) {
            if (row >= 0 && row < BoardRows) cells[row] = 0;
        }
        // The stretch above the blast (row 0 excluded) drops by the blast's height on the board.
        const int32_t drop = (bottom < BoardRows ? bottom : BoardRows - 1) - top + 1;
        for (int32_t row = top - 1; row >= 1; --row) cells[row + drop] = cells[row];
        // Nothing moves into the stretch's top rows, so they empty.
        for (int32_t row = 1; row <= drop && row <= top - 1; ++row) cells[row] = 0;
    }
}

void ClearLines() {
    GameStateRecord& g = GameState;
    int32_t count = 0;
    for (int32_t row = 1; row < BoardRows; ++row) {
        if (!IsRowFull(row)) continue;
        ++count;
        PlaySound(ChannelLine, SoundBank[SoundLine]);
        RemoveRow(row);
    }
    if (count == 0) return;
    // Only a bomb's collapse can complete more than four rows at once; they earn what four do.
    const ClearReward& reward = ClearRewards[count < 4 ? count : 4];
    g.Score += reward.Base * (g.Level + 1) / 2;
    if (reward.Cheer != SoundSlotCount) PlaySound(ChannelVoice, SoundBank[reward.Cheer]);
    g.LinesCleared += count;
    g.LevelLines += count;
    if (g.LevelLines >= RowsPerLevel && g.Level < TopLevel) {
        g.LevelLines -= RowsPerLevel;  // keeps the surplus, also past 13 after a big collapse
        g.GravityPeriod -= GravitySpeedUp;
        g.Level += 1;
    }
}

void DealNextPiece() {
    GameStateRecord& g = GameState;
    g.PieceCount += 1.0f;
    g.CurrentPiece = g.NextPiece;
    // The first draw is made whether or not bombs are on, so a seed deals the same shapes.
    const bool bomb = Rand() % 10 == 0;
    g.NextPiece = bomb && Options.Bombs ? BombPiece : SpawnOrientations[Rand() % 7];
    g.PieceX = SpawnPoint.X;
    g.PieceY = SpawnPoint.Y;
    UpdatePieceCell();
}

void WriteBoardDump() {
    if (!PlayerFilesWritable) return;
    errno = 0;
    std::FILE* file = std::fopen(BoardDumpFile, "w");
    if (file == nullptr) {
        ReportDumpFailure(std::strerror(errno));
        return;
    }
    int error = 0;  // the first failure's reason
    auto check = [&](bool ok) {
        if (!ok && error == 0) error = errno != 0 ? errno : EIO;
    };
    for (int32_t row = 0; row < BoardRows; ++row) {
        for (int32_t column = 0; column < BoardColumns; ++column) {
            check(std::fprintf(file, "%d", static_cast<int>(GameState.Board[column][row])) >= 0);
        }
        check(std::fputc('\n', file) != EOF);
        check(std::fflush(file) == 0);
    }
    check(std::fclose(file) == 0);
    if (error != 0) {
        ReportDumpFailure(std::strerror(error));
        return;
    }
    DumpFailureReported = false;
}
