// Reads back what a frame shows in letters and digits, the way a player would read it.
#pragma once

#include <cstdint>
#include <string>

#include "support/scripted_platform.h"

// The letters drawn on row y from x rightwards, as upper-case text. Each empty 25-pixel place
// before or between letters reads as a blank; trailing blanks cannot be seen and are not read.
std::string TextAt(const Frame& frame, int32_t x, int32_t y);
// The digits of a five-place number drawn at (x, y), left to right ("00042" padded, "42" not);
// digits further left, for values above 99999, are included, up to ten digits in all.
std::string NumberAt(const Frame& frame, int32_t x, int32_t y);
// The letter (A to Z) or digit ('0' to '9') a draw shows, or 0 when it shows neither.
char GlyphOf(const DrawCall& draw);
// The key and button names drawn closely set (DrawLabel) on row y from x up to `right`: one
// blank where a name has one, two between names.
std::string LabelAt(const Frame& frame, int32_t x, int32_t y, int32_t right = 1024);
