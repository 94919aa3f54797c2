#include "support/screen_reading.h"

#include <algorithm>
#include <utility>
#include <vector>

char GlyphOf(const DrawCall& draw) {
    const std::string& f = draw.File;
    if (f.size() != 16 || f.rfind("gfx//font//", 0) != 0 || f.substr(12) != ".png") return 0;
    const char c = f[11];
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ? c : 0;
}

std::string TextAt(const Frame& frame, int32_t x, int32_t y) {
    std::vector<std::pair<int32_t, char>> letters;
    for (const DrawCall& draw : frame.Draws) {
        const char c = GlyphOf(draw);
        if (c >= 'A' && c <= 'Z' && draw.Y == y && draw.X >= x) letters.emplace_back(draw.X, c);
    }
    std::sort(letters.begin(), letters.end());
    std::string text;
    int32_t pen = x;
    for (const auto& [at, letter] : letters) {
        for (; pen + 25 <= at; pen += 25) text += ' ';
        text += letter;
        pen = at + (letter == 'I' ? 12 : 25);
    }
    return text;
}

std::string NumberAt(const Frame& frame, int32_t x, int32_t y) {
    std::vector<std::pair<int32_t, char>> digits;
    for (const DrawCall& draw : frame.Draws) {
        const char c = GlyphOf(draw);
        const int32_t place = x + 80 - draw.X;  // 0 for the units, 20 for the tens, ...
        if (c >= '0' && c <= '9' && draw.Y == y && place >= 0 && place < 280 && place % 20 == 0) {
            digits.emplace_back(draw.X, c);
        }
    }
    std::sort(digits.begin(), digits.end());
    std::string number;
    for (const auto& [at, digit] : digits) number += digit;
    return number;
}
