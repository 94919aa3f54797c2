// The piece catalogue and the drawing of pieces, the board and the shadow.
#include "game/board.h"

#include <gtest/gtest.h>

#include "game/movement.h"
#include "game/pieces.h"
#include "game/play_frame.h"
#include "game/state.h"
#include "platform/renderer.h"
#include "support/game_fixture.h"
#include "support/playfield.h"

namespace {

using Cells = std::vector<CellOffset>;
using BoardTest = GameTest;

std::string Red = "gfx//blocks//set1//red.png";
std::string Blue = "gfx//blocks//set1//blue.png";
std::string Aqua = "gfx//blocks//set1//aqua.png";
std::string Yellow = "gfx//blocks//set1//yellow.png";
std::string Orange = "gfx//blocks//set1//orange.png";
std::string Pink = "gfx//blocks//set1//pink.png";
std::string Green = "gfx//blocks//set1//green.png";
std::string Bomb = "gfx//blocks//set1//bomb.png";
std::string ShadowImage = "gfx//blocks//set1//shadow.png";

struct CatalogueEntry {
    Cells CellList;
    int32_t Width;
    int32_t Height;
    CellColour Colour;
    std::string Image;
};

// The catalogue written out cell by cell, by hand, independently of the code that draws it.
const std::vector<CatalogueEntry> Expected = {
    {{{0, 0}, {0, 1}, {0, 2}, {1, 2}}, 2, 3, 1, Red},
    {{{0, 0}, {1, 0}, {2, 0}, {0, 1}}, 3, 2, 1, Red},
    {{{0, 0}, {1, 0}, {1, 1}, {1, 2}}, 2, 3, 1, Red},
    {{{2, 0}, {0, 1}, {1, 1}, {2, 1}}, 3, 2, 1, Red},
    {{{1, 0}, {1, 1}, {0, 2}, {1, 2}}, 2, 3, 2, Blue},
    {{{0, 0}, {0, 1}, {1, 1}, {2, 1}}, 3, 2, 2, Blue},
    {{{0, 0}, {1, 0}, {0, 1}, {0, 2}}, 2, 3, 2, Blue},
    {{{0, 0}, {1, 0}, {2, 0}, {2, 1}}, 3, 2, 2, Blue},
    {{{0, 0}, {1, 0}, {1, 1}, {2, 1}}, 3, 2, 3, Aqua},
    {{{1, 0}, {0, 1}, {1, 1}, {0, 2}}, 2, 3, 3, Aqua},
    {{{1, 0}, {2, 0}, {0, 1}, {1, 1}}, 3, 2, 4, Yellow},
    {{{0, 0}, {0, 1}, {1, 1}, {1, 2}}, 2, 3, 4, Yellow},
    {{{1, 0}, {0, 1}, {1, 1}, {2, 1}}, 3, 2, 5, Orange},
    {{{0, 0}, {0, 1}, {1, 1}, {0, 2}}, 2, 3, 5, Orange},
    {{{0, 0}, {1, 0}, {2, 0}, {1, 1}}, 3, 2, 5, Orange},
    {{{1, 0}, {0, 1}, {1, 1}, {1, 2}}, 2, 3, 5, Orange},
    {{{0, 0}, {0, 1}, {0, 2}, {0, 3}}, 1, 4, 6, Pink},
    {{{0, 0}, {1, 0}, {2, 0}, {3, 0}}, 4, 1, 6, Pink},
    {{{0, 0}, {1, 0}, {0, 1}, {1, 1}}, 2, 2, 7, Green},
    {{{0, 0}}, 1, 1, 0, Bomb},
};

std::vector<std::pair<int32_t, int32_t>> Positions(const std::vector<DrawCall>& draws) {
    std::vector<std::pair<int32_t, int32_t>> positions;
    for (const DrawCall& draw : draws) positions.emplace_back(draw.X, draw.Y);
    return positions;
}

TEST(PieceCatalogueTest, EveryCodeHasItsCellsSizeColourAndImage) {
    for (PieceCode code = 0; code < PieceCodeCount; ++code) {
        SCOPED_TRACE("code " + std::to_string(code));
        const PieceShape& shape = PieceCatalogue[code];
        const CatalogueEntry& expected = Expected[static_cast<size_t>(code)];
        EXPECT_EQ(Cells(shape.Cells.begin(), shape.Cells.end()), expected.CellList);
        EXPECT_EQ(shape.Width, expected.Width);
        EXPECT_EQ(shape.Height, expected.Height);
        EXPECT_EQ(shape.Colour, expected.Colour);
    }
    EXPECT_EQ(std::vector<PieceCode>(std::begin(ClockwiseSuccessor), std::end(ClockwiseSuccessor)),
              (std::vector<PieceCode>{1,  2,  3,  0,  5,  6,  7,  4,  9,  8,
                                      11, 10, 13, 14, 15, 12, 17, 16, 18, 19}));
}

TEST_F(BoardTest, PieceSpriteIsTheImageOfTheCodesColour) {
    for (PieceCode code = 0; code < PieceCodeCount; ++code) {
        EXPECT_STREQ(PieceSprite(code).Name, Expected[static_cast<size_t>(code)].Image.c_str())
            << "code " << code;
    }
    // A copy of the loaded record: it draws.
    BeginFrame();
    PieceSprite(19).Draw(5, 6, OpaqueWhite);
    EndFrame();
    ASSERT_EQ(Platform.LastFrame().Draws.size(), 1u);
    EXPECT_EQ(Platform.LastFrame().Draws[0].File, Bomb);
}

TEST_F(BoardTest, DrawPieceLaysOneBlockPerCellFromTheAnchorWithoutClipping) {
    BeginFrame();
    DrawPiece(3, 750, 625, PieceSprite(3), 0x80FFFFFFu);
    DrawPiece(17, CellX(7), CellY(0), PieceSprite(17), OpaqueWhite);
    DrawPiece(16, CellX(7), CellY(0), PieceSprite(16), OpaqueWhite);
    DrawPiece(19, 1000, 760, Sprites.ShadowBlock, OpaqueWhite);
    EndFrame();
    const Frame& frame = Platform.LastFrame();
    ASSERT_EQ(frame.Draws.size(), 13u);
    EXPECT_EQ(
        Positions({frame.Draws.begin(), frame.Draws.begin() + 4}),
        (std::vector<std::pair<int32_t, int32_t>>{{802, 625}, {750, 651}, {776, 651}, {802, 651}}));
    EXPECT_EQ(frame.Draws[0].Colour, 0x80FFFFFFu);
    EXPECT_EQ(frame.Draws[0].File, Red);
    // Orientation 17 at the spawn anchor covers columns 7 to 10 of row 0; 16 rows 0 to 3.
    EXPECT_EQ(Positions({frame.Draws.begin() + 4, frame.Draws.begin() + 8}),
              (std::vector<std::pair<int32_t, int32_t>>{
                  {CellX(7), 59}, {CellX(8), 59}, {CellX(9), 59}, {CellX(10), 59}}));
    EXPECT_EQ(Positions({frame.Draws.begin() + 8, frame.Draws.begin() + 12}),
              (std::vector<std::pair<int32_t, int32_t>>{
                  {499, CellY(0)}, {499, CellY(1)}, {499, CellY(2)}, {499, CellY(3)}}));
    EXPECT_EQ(frame.Draws[12].File, ShadowImage);
    EXPECT_EQ(frame.Draws[12].X, 1000);
    EXPECT_EQ(frame.Draws[12].Y, 760);
}

TEST_F(BoardTest, BoardDrawsFilledCellsRowByRowThenTheShadow) {
    Options.Shadow = true;
    GameState.Board[14][24] = 2;
    GameState.Board[0][24] = 8;
    GameState.Board[3][0] = 7;
    GameState.Board[5][10] = 9;   // not a colour: nothing to draw
    GameState.Board[6][10] = -1;  // likewise
    PlacePiece(18, 7, 0);
    BeginFrame();
    DrawBoard(0x40FFFFFFu);
    EndFrame();
    const Frame& frame = Platform.LastFrame();
    ASSERT_EQ(frame.Draws.size(), 7u);
    EXPECT_EQ(frame.Draws[0].File, Green);
    EXPECT_EQ(frame.Draws[0].X, CellX(3));
    EXPECT_EQ(frame.Draws[0].Y, 59);
    EXPECT_EQ(frame.Draws[1].File, Bomb);
    EXPECT_EQ(frame.Draws[1].X, 317);
    EXPECT_EQ(frame.Draws[1].Y, CellY(24));
    EXPECT_EQ(frame.Draws[2].File, Blue);
    EXPECT_EQ(frame.Draws[2].X, CellX(14));
    // The square's shadow rests on the floor: rows 23 and 24 of columns 7 and 8.
    EXPECT_EQ(Positions(frame.Of(ShadowImage)),
              (std::vector<std::pair<int32_t, int32_t>>{{CellX(7), CellY(23)},
                                                        {CellX(8), CellY(23)},
                                                        {CellX(7), CellY(24)},
                                                        {CellX(8), CellY(24)}}));
    for (const DrawCall& draw : frame.Draws) EXPECT_EQ(draw.Colour, 0x40FFFFFFu);
    EXPECT_EQ(GameState.ShadowRow, 23);
    EXPECT_EQ(GameState.ShadowColumn, 7);
    EXPECT_EQ(GameState.ShadowY, CellY(23));
    EXPECT_EQ(GameState.ShadowX, CellX(7));

    Options.Shadow = false;
    BeginFrame();
    DrawBoard(OpaqueWhite);
    EndFrame();
    EXPECT_EQ(Platform.LastFrame().Draws.size(), 3u);
    EXPECT_FALSE(Platform.LastFrame().Shows(ShadowImage));
}

TEST_F(BoardTest, AFullBoardOfBombsShowsTheBombPictureInEveryCell) {
    Options.Shadow = false;
    FillBoard(8);
    BeginFrame();
    DrawBoard(OpaqueWhite);
    EndFrame();
    EXPECT_EQ(Platform.LastFrame().Of(Bomb).size(), 375u);
    EXPECT_EQ(Platform.LastFrame().Draws.back().X, CellX(14));
    EXPECT_EQ(Platform.LastFrame().Draws.back().Y, CellY(24));
}

TEST_F(BoardTest, ShadowRestsOnTheStackOrTheFloorAndCoversAPieceThatCannotFall) {
    auto shadowCells = [&]() {
        BeginFrame();
        DrawShadow(OpaqueWhite);
        EndFrame();
        return Positions(Platform.LastFrame().Of(ShadowImage));
    };
    // Where the cells (column, row) are drawn.
    const auto at = [](std::initializer_list<std::pair<int32_t, int32_t>> cells) {
        std::vector<std::pair<int32_t, int32_t>> pixels;
        for (const auto& [column, row] : cells) pixels.push_back({CellX(column), CellY(row)});
        return pixels;
    };
    // The four in a column on an empty board: rows 21 to 24 of its column.
    PlacePiece(16, 4, 0);
    EXPECT_EQ(shadowCells(), at({{4, 21}, {4, 22}, {4, 23}, {4, 24}}));
    // The bomb's shadow is one cell, on top of the stack.
    FillColumn(9, 15, 24);
    PlacePiece(19, 9, 2);
    EXPECT_EQ(shadowCells(), at({{9, 14}}));
    // A T over a stack that holds only its middle: the shadow stops there.
    PlacePiece(12, 8, 0);
    EXPECT_EQ(shadowCells(), at({{9, 13}, {8, 14}, {9, 14}, {10, 14}}));
    // A piece that cannot move at all has its shadow where it is.
    PlacePiece(18, 9, 13);
    EXPECT_EQ(shadowCells(), at({{9, 13}, {10, 13}, {9, 14}, {10, 14}}));
    // Looking for the shadow leaves the falling piece where it is.
    EXPECT_EQ(GameState.PieceY, CellY(13));
    EXPECT_EQ(GameState.PieceRow, 13);
}

}  // namespace
