// Drawing a frame of play: the HUD over the level's backdrop, the stack with the shadow, and
// the falling piece. The play scene, its pause and the score screen draw with these, and so do
// the benchmark and the screenshot tool, so what they show is what the game shows.
#pragma once

#include <cstdint>

// One whole frame of play: the HUD and the stack in `colour`, the falling piece in
// `pieceColour` (it stays at full strength while the rest fades in).
void DrawPlayFrame(uint32_t colour, uint32_t pieceColour);

// The level's backdrop, the frame, the preview, the words, the numbers and the clock, all with
// the given tint. The pause and the score screen show it on its own.
void DrawHud(uint32_t colour);
// Of the levels' backdrops, the `count` from `level` on are wanted (their pixels made ahead) and
// the others let go.
void WantBackdrops(int32_t level, int32_t count);
// Every filled cell with its block image, then the shadow when the Shadow option is on.
void DrawBoard(uint32_t colour);
// The falling piece drawn with the shadow image where it would land.
void DrawShadow(uint32_t colour);
