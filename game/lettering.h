// Bitmap lettering: words from the 26 letter pictures, numbers from the 10 digit pictures,
// and the game clock with its colon picture.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/renderer.h"

// Lays out count character places from (x, y): letters advance 25 pixels ("I" 12), any other
// character draws nothing and advances 25; a line feed ends the word.
void DrawWord(std::string_view text, int32_t x, int32_t y, const Sprite* letters, int32_t count,
              uint32_t colour);
// Right-aligned in five places at x, x + 20, ..., x + 80. Larger values show whole: their
// further digits continue leftwards from x - 20.
void DrawNumber(int32_t value, int32_t x, int32_t y, const Sprite* digits, bool padded,
                uint32_t colour);
// The game clock as mm:ss from ClockMinutes and ClockSeconds.
void DrawClock(int32_t x, int32_t y, uint32_t colour);

// Key and button names: the letters (either case), the digits and the signs, set close (each
// advances its width less the outline neighbours share), a blank 10 pixels. True when every
// character of the text has a picture.
bool CanLabel(std::string_view text);
// The width the text takes.
int32_t LabelWidth(std::string_view text);
// Draws the text from (x, y), as far as it fits left of `right`; returns where it ended.
int32_t DrawLabel(std::string_view text, int32_t x, int32_t y, uint32_t colour,
                  int32_t right = ScreenWidth);
