#include "game/movement.h"

#include "game/board.h"
#include "game/sound_bank.h"

namespace {

bool AllEmpty(const CellList& cells, int32_t column, int32_t row) {
    for (const CellOffset& cell : cells) {
        if (!IsCellEmpty(column + cell.Column, row + cell.Row)) return false;
    }
    return true;
}

}  // namespace

void UpdatePieceCell() {
    GameStateRecord& g = GameState;
    g.PieceColumn = (g.PieceX - g.BoardLeft) / CellSize;
    g.PieceRow = (g.PieceY - g.BoardTop) / CellSize;
}

bool CanMoveDown(int32_t y, int32_t column, int32_t row) {
    GameStateRecord& g = GameState;
    g.LandedFlush = 1;
    // Resting on the floor counts as flush.
    if (y + CellSize * PieceCatalogue[g.CurrentPiece].Height >= g.BoardBottom) return false;
    const CellList& support = SupportCells[g.CurrentPiece];
    int32_t taken = 0;
    for (const CellOffset& cell : support) {
        if (!IsCellEmpty(column + cell.Column, row + cell.Row)) ++taken;
    }
    if (taken == 0) return true;
    if (taken < support.Count) g.LandedFlush = 0;
    return false;
}

bool CanMoveLeft() {
    const GameStateRecord& g = GameState;
    if (g.PieceX <= g.BoardLeft) return false;
    return AllEmpty(LeftNeighbours[g.CurrentPiece], g.PieceColumn, g.PieceRow);
}

bool CanMoveRight() {
    const GameStateRecord& g = GameState;
    if (g.PieceX + CellSize * PieceCatalogue[g.CurrentPiece].Width >= g.BoardRight) return false;
    return AllEmpty(RightNeighbours[g.CurrentPiece], g.PieceColumn, g.PieceRow);
}

void MoveLeft() {
    if (!CanMoveLeft()) return;
    GameState.PieceX -= CellSize;
    UpdatePieceCell();
}

void MoveRight() {
    if (!CanMoveRight()) return;
    GameState.PieceX += CellSize;
    UpdatePieceCell();
}

bool CanRotate() {
    GameStateRecord& g = GameState;
    const PieceCode code = g.CurrentPiece;
    const PieceShape& next = PieceCatalogue[ClockwiseSuccessor[code]];
    if (g.PieceX + CellSize * next.Width > g.BoardRight) {
        switch (RotationWallRule(code)) {
            case WallRule::None:
                break;
            case WallRule::Refuse:
                return false;
            case WallRule::ShiftLeft:
                if (!CanMoveLeft()) return false;
                MoveLeft();
                break;
        }
    }
    // A turn that would reach below the floor is refused like any blocked turn: the well has
    // no rows there to hold the piece.
    if (g.PieceY + CellSize * next.Height > g.BoardBottom) return false;
    return AllEmpty(RotationCells[code], g.PieceColumn, g.PieceRow);
}

void RotatePiece() {
    PlaySound(ChannelPiece, SoundBank[SoundRotate]);
    if (!CanRotate()) return;
    GameState.RotationCount += 1.0f;
    GameState.CurrentPiece = ClockwiseSuccessor[GameState.CurrentPiece];
}
