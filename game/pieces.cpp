#include "game/pieces.h"

Sprite PieceSprite(PieceCode code) {
    const CellColour colour = code == BombPiece ? BombCellColour : PieceCatalogue[code].Colour;
    return Sprites.Blocks[colour - 1];
}

void DrawPiece(PieceCode code, int32_t x, int32_t y, const Sprite& sprite, uint32_t colour) {
    for (const CellOffset& cell : PieceCatalogue[code].Cells) {
        sprite.Draw(x + CellSize * cell.Column, y + CellSize * cell.Row, colour);
    }
}
