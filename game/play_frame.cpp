#include "game/play_frame.h"

#include "game/lettering.h"
#include "game/movement.h"
#include "game/pieces.h"
#include "game/state.h"

static_assert(std::size(PreviewPositions) == PieceCodeCount);

void DrawPlayFrame(uint32_t colour, uint32_t pieceColour) {
    const GameStateRecord& g = GameState;
    BeginFrame();
    DrawHud(colour);
    DrawBoard(colour);
    DrawPiece(g.CurrentPiece, g.PieceX, g.PieceY, PieceSprite(g.CurrentPiece), pieceColour);
    EndFrame();
}

void WantBackdrops(int32_t level, int32_t count) {
    for (int32_t i = 0; i < 10; ++i) {
        Sprites.LevelBackgrounds[i].Want(i + 1 >= level && i + 1 < level + count);
    }
}

void DrawHud(uint32_t colour) {
    const GameStateRecord& g = GameState;
    const HudPlaces& at = HudLayout;
    const int32_t level = g.Level < 1 ? 1 : (g.Level > 10 ? 10 : g.Level);
    Sprites.LevelBackgrounds[level - 1].Draw(0, 0, colour);
    Sprites.Hud.Draw(0, 0, colour);
    if (Options.Preview) {
        const ScreenPoint& preview = PreviewPositions[g.NextPiece];
        DrawPiece(g.NextPiece, preview.X, preview.Y, PieceSprite(g.NextPiece), colour);
    }
    DrawWord("lines", at.LinesWord.X, at.LinesWord.Y, Sprites.Letters, 5, colour);
    DrawWord("score", at.ScoreWord.X, at.ScoreWord.Y, Sprites.Letters, 5, colour);
    DrawWord("time", at.TimeWord.X, at.TimeWord.Y, Sprites.Letters, 4, colour);
    DrawNumber(g.Score, at.Score.X, at.Score.Y, Sprites.Digits, true, colour);
    DrawNumber(g.LinesCleared, at.Lines.X, at.Lines.Y, Sprites.Digits, true, colour);
    DrawNumber(g.Level, at.Level.X, at.Level.Y, Sprites.Digits, false, colour);
    DrawNumber(g.FramesPerSecond, at.FramesPerSecond.X, at.FramesPerSecond.Y, Sprites.Digits, false,
               colour);
    DrawClock(at.Clock.X, at.Clock.Y, colour);
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
