#include "game/board.h"

#include "game/movement.h"
#include "game/pieces.h"

bool IsOnBoard(int32_t column, int32_t row) {
    return column >= 0 && column < BoardColumns && row >= 0 && row < BoardRows;
}

bool IsCellEmpty(int32_t column, int32_t row) {
    return IsOnBoard(column, row) && GameState.Board[column][row] == 0;
}

void DrawBoard(uint32_t colour) {
    const GameStateRecord& g = GameState;
    for (int32_t row = 0; row < BoardRows; ++row) {
        for (int32_t column = 0; column < BoardColumns; ++column) {
            const CellColour cell = g.Board[column][row];
            if (cell < 1 || cell > BombCellColour) continue;
            Sprites.Blocks[cell - 1].Draw(g.BoardLeft + CellSize * column,
                                          g.BoardTop + CellSize * row, colour);
        }
    }
    if (Options.Shadow) DrawShadow(colour);
}

void DrawShadow(uint32_t colour) {
    GameStateRecord& g = GameState;
    g.ShadowX = g.PieceX;
    g.ShadowY = g.PieceY;
    g.ShadowColumn = (g.PieceX - g.BoardLeft) / CellSize;
    g.ShadowRow = (g.PieceY - g.BoardTop) / CellSize;
    while (CanMoveDown(g.ShadowY, g.ShadowColumn, g.ShadowRow)) {
        g.ShadowY += CellSize;
        g.ShadowRow += 1;
    }
    DrawPiece(g.CurrentPiece, g.ShadowX, g.ShadowY, Sprites.ShadowBlock, colour);
}
