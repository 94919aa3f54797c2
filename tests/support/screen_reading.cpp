#include "support/screen_reading.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "game/assets.h"

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

namespace {

// The character a draw of the lettering shows, sign pictures included, with the picture's
// listed width; 0 when it is none.
std::pair<char, int32_t> LabelGlyphOf(const DrawCall& draw) {
    const char c = GlyphOf(draw);
    if (c >= 'A' && c <= 'Z') return {c, LetterPictures[c - 'A'].Width};
    if (c >= '0' && c <= '9') return {c, DigitPictures[c - '0'].Width};
    for (const SignPicture& sign : SignPictures) {
        if (draw.File == sign.File.Name) return {sign.Sign, sign.File.Width};
    }
    return {0, 0};
}

}  // namespace

std::string LabelAt(const Frame& frame, int32_t x, int32_t y, int32_t right) {
    std::vector<std::pair<int32_t, std::pair<char, int32_t>>> glyphs;
    for (const DrawCall& draw : frame.Draws) {
        const auto glyph = LabelGlyphOf(draw);
        if (glyph.first != 0 && draw.Y == y && draw.X >= x && draw.X < right) {
            glyphs.emplace_back(draw.X, glyph);
        }
    }
    std::sort(glyphs.begin(), glyphs.end());
    std::string text;
    int32_t pen = x;
    for (const auto& [at, glyph] : glyphs) {
        // Glyphs advance their width less 3; a blank adds 10, the gap between names 24.
        if (!text.empty() && at - pen >= 20) {
            text += "  ";
        } else if (!text.empty() && at > pen) {
            text += ' ';
        }
        text += glyph.first;
        pen = at + glyph.second - 3;
    }
    return text;
}
