#include "support/autoplayer.h"

#include <algorithm>
#include <cstring>

#include "game/keys.h"
#include "game/pieces.h"

namespace {

constexpr int32_t WellColumn = BoardColumns - 1;

bool Fits(const BoardCells& board, PieceCode code, int32_t column, int32_t row) {
    for (const CellOffset& cell : PieceCatalogue[code].Cells) {
        const int32_t c = column + cell.Column, r = row + cell.Row;
        if (c < 0 || c >= BoardColumns || r < 0 || r >= BoardRows || board[c][r] != 0) {
            return false;
        }
    }
    return true;
}

int32_t Height(const BoardCells& board, int32_t column) {
    for (int32_t row = 0; row < BoardRows; ++row) {
        if (board[column][row] != 0) return BoardRows - row;
    }
    return 0;
}

// Locks the piece, clears the full rows, and judges the stack left behind.
double Judge(const BoardCells& before, PieceCode code, int32_t column, int32_t row, bool keepWell) {
    BoardCells board;
    std::memcpy(board, before, sizeof board);
    for (const CellOffset& cell : PieceCatalogue[code].Cells) {
        board[column + cell.Column][row + cell.Row] = 1;
    }
    int32_t lines = 0;
    for (int32_t r = BoardRows - 1; r >= 0; --r) {
        bool full = true;
        for (int32_t c = 0; c < BoardColumns && full; ++c) full = board[c][r] != 0;
        if (!full) continue;
        ++lines;
        for (int32_t c = 0; c < BoardColumns; ++c) {
            for (int32_t k = r; k > 0; --k) board[c][k] = board[c][k - 1];
            board[c][0] = 0;
        }
        ++r;
    }
    double heights = 0, bumps = 0, holes = 0;
    int32_t tallest = 0;
    for (int32_t c = 0; c < BoardColumns; ++c) {
        const int32_t h = Height(board, c);
        tallest = std::max(tallest, h);
        if (!(keepWell && c == WellColumn)) heights += h;
        if (c + 1 < BoardColumns && !(keepWell && c + 1 == WellColumn)) {
            bumps += std::abs(h - Height(board, c + 1));
        }
        for (int32_t r = BoardRows - h; r < BoardRows; ++r) holes += board[c][r] == 0;
    }
    double score = -0.51 * heights - 0.36 * 4 * holes - 0.18 * bumps;
    const bool intoWell = keepWell && column + PieceCatalogue[code].Width > WellColumn;
    if (keepWell && tallest < 12) {
        // Rows are saved up for a four-row clear down the right-hand column.
        if (intoWell) score += lines >= 4 ? 50.0 : -30.0;
        score += 0.2 * lines;
    } else {
        score += 3.0 * lines;
    }
    return score;
}

}  // namespace

PieceCode Turned(PieceCode piece, int32_t turns) {
    for (int32_t i = 0; i < turns; ++i) piece = ClockwiseSuccessor[piece];
    return piece;
}

Placement ChoosePlacement(const BoardCells& board, PieceCode piece, bool keepWell) {
    Placement best;
    if (piece == BombPiece) {
        // Into the deepest valley: the blast then takes its sides and the stack above falls.
        int32_t deepest = -100;
        for (int32_t c = 0; c < WellColumn; ++c) {
            int32_t sides = 0;
            for (int32_t d = -3; d <= 3; ++d) {
                if (d != 0 && c + d >= 0 && c + d < WellColumn) {
                    sides = std::max(sides, Height(board, c + d));
                }
            }
            if (sides - Height(board, c) > deepest) {
                deepest = sides - Height(board, c);
                best.Column = c;
            }
        }
        return best;
    }
    double bestScore = -1e18;
    PieceCode code = piece;
    for (int32_t turns = 0; turns < 4; ++turns, code = ClockwiseSuccessor[code]) {
        if (turns > 0 && code == piece) break;
        const int32_t width = PieceCatalogue[code].Width;
        for (int32_t column = 0; column + width <= BoardColumns; ++column) {
            if (!Fits(board, code, column, 0)) continue;
            int32_t row = 0;
            while (Fits(board, code, column, row + 1)) ++row;
            const double score = Judge(board, code, column, row, keepWell);
            if (score > bestScore) {
                bestScore = score;
                best = {turns, column};
            }
        }
    }
    return best;
}

void Autoplayer::Keys(int64_t now, uint8_t state[256]) {
    std::memset(state, 0, 256);
    const GameStateRecord& g = GameState;
    if (g.ToppedOut) {
        // The score screen: the name, one key a press, then Return, then let go.
        ++ScorePolls;
        if (ScorePolls % 2 == 0) return;
        if (Typed < Name.size()) {
            const char c = Name[Typed++];
            state[c == ' ' ? uint8_t{DIK_SPACE} : LetterKeys[c - 'A']] = 0x80;
            return;
        }
        state[DIK_RETURN] = 0x80;  // ends the entry, then the screen
        return;
    }
    const int32_t dealt = static_cast<int32_t>(g.PieceCount);
    if (Paused) {
        // Enter down, up, a wait, then down and up again.
        ++PausePolls;
        if (PausePolls == 1 || (now >= PauseUntil && PausePolls % 2 == 1)) {
            state[DIK_RETURN] = 0x80;
            if (PausePolls > 1) Paused = false;
        }
        return;
    }
    if (EscapeAfterPieces >= 0 && dealt > EscapeAfterPieces) {
        if (!Escaped) state[DIK_ESCAPE] = 0x80;
        Escaped = true;
        return;
    }
    if (dealt > PiecesBeforeGivingUp) {
        state[DIK_SPACE] = 0x80;
        return;
    }
    if (dealt == PauseAtPiece && PauseUntil < 0) {
        Paused = true;
        PauseUntil = now + 700;
        PausePolls = 0;
        return;
    }
    if (dealt == CycleAtPiece && !Cycled) {
        Cycled = true;
        state[DIK_ADD] = 0x80;
        PlannedFor = -1.0f;  // the piece changes: plan afresh
        return;
    }
    if (g.PieceCount != PlannedFor || g.CurrentPiece != PlannedCode) {
        PlannedFor = g.PieceCount;
        PlannedCode = g.CurrentPiece;
        const Placement place = ChoosePlacement(g.Board, g.CurrentPiece, KeepWell);
        TargetCode = Turned(g.CurrentPiece, place.Turns);
        TargetColumn = place.Column;
        Attempts = 0;
    }
    if (g.CurrentPiece != TargetCode && Attempts < 6) {
        if (g.RotateRepeat == 0) {
            state[DIK_UP] = 0x80;
            ++Attempts;
        }
        return;
    }
    if (g.PieceColumn < TargetColumn) {
        if (g.RightRepeat == 0) state[DIK_RIGHT] = 0x80;
        return;
    }
    if (g.PieceColumn > TargetColumn) {
        if (g.LeftRepeat == 0) state[DIK_LEFT] = 0x80;
        return;
    }
    if (g.HardDropRepeat == 0) state[DIK_SPACE] = 0x80;
}
