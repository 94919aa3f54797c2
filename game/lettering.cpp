#include "game/lettering.h"

#include <cstdlib>

#include "game/assets.h"
#include "game/state.h"

void DrawWord(std::string_view text, int32_t x, int32_t y, const Sprite* letters, int32_t count,
              uint32_t colour) {
    int32_t pen = x;
    for (int32_t i = 0; i < count; ++i) {
        // Nothing past the right edge can show, so a damaged file's endless name costs no
        // more than a screen's width of letters.
        if (pen >= ScreenWidth) return;
        const char c = static_cast<size_t>(i) < text.size() ? text[static_cast<size_t>(i)] : '\0';
        if (c == '\n') return;
        int32_t index = -1;
        if (c >= 'A' && c <= 'Z') index = c - 'A';
        if (c >= 'a' && c <= 'z') index = c - 'a';
        if (index < 0) {
            pen += 25;
            continue;
        }
        letters[index].Draw(pen, y, colour);
        pen += index == 'I' - 'A' ? 12 : 25;
    }
}

void DrawNumber(int32_t value, int32_t x, int32_t y, const Sprite* digits, bool padded,
                uint32_t colour) {
    // There is no minus picture; a negative value (only a damaged file holds one) shows its
    // magnitude.
    int64_t v = std::llabs(static_cast<int64_t>(value));
    if (v > 99999) {
        for (int64_t high = v / 100000, px = x - 20; high > 0; high /= 10, px -= 20) {
            digits[high % 10].Draw(static_cast<int32_t>(px), y, colour);
        }
        v %= 100000;
        padded = true;
    }
    bool leading = padded;
    int32_t px = x;
    for (int64_t p = 10000; p >= 10; p /= 10, px += 20) {
        if (p <= v && v < 10 * p) {
            digits[v / p].Draw(px, y, colour);
            v %= p;
            leading = true;
        } else if (leading) {
            digits[0].Draw(px, y, colour);
        }
    }
    digits[v].Draw(x + 80, y, colour);
}

namespace {
// Two digits at x and x + 20; a value of 100 or more shows whole, growing leftwards.
void DrawTwoDigits(int32_t value, int32_t x, int32_t y, uint32_t colour) {
    int64_t v = std::llabs(static_cast<int64_t>(value));
    const int64_t tens = v >= 10 ? v / 10 : 0;
    int32_t px = x - 20;
    for (int64_t high = tens / 10; high > 0; high /= 10, px -= 20) {
        Sprites.Digits[high % 10].Draw(px, y, colour);
    }
    Sprites.Digits[tens % 10].Draw(x, y, colour);
    Sprites.Digits[v - 10 * tens].Draw(x + 20, y, colour);
}
}  // namespace

void DrawClock(int32_t x, int32_t y, uint32_t colour) {
    DrawTwoDigits(GameState.ClockMinutes, x, y, colour);
    Sprites.Colon.Draw(x + 44, y + 2, colour);
    DrawTwoDigits(GameState.ClockSeconds, x + 60, y, colour);
}

namespace {

constexpr int32_t LabelOutline = 3;  // the outline two neighbouring glyphs may share
constexpr int32_t LabelBlank = 10;

struct Glyph {
    const Sprite* Picture = nullptr;
    int32_t Advance = 0;  // 0: no picture for the character
};

Glyph GlyphOf(char c) {
    if (c == ' ') return {nullptr, LabelBlank};
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z') {
        const int i = c - 'A';
        return {&Sprites.Letters[i], LetterPictures[i].Width - LabelOutline};
    }
    if (c >= '0' && c <= '9') {
        const int i = c - '0';
        return {&Sprites.Digits[i], DigitPictures[i].Width - LabelOutline};
    }
    for (int i = 0; i < 32; ++i) {
        if (SignPictures[i].Sign == c) {
            return {&Sprites.Signs[i], SignPictures[i].File.Width - LabelOutline};
        }
    }
    return {};
}

}  // namespace

bool CanLabel(std::string_view text) {
    for (const char c : text) {
        if (GlyphOf(c).Advance == 0) return false;
    }
    return true;
}

int32_t LabelWidth(std::string_view text) {
    int32_t width = 0;
    for (const char c : text) width += GlyphOf(c).Advance;
    return text.empty() ? 0 : width + LabelOutline;
}

int32_t DrawLabel(std::string_view text, int32_t x, int32_t y, uint32_t colour, int32_t right) {
    int32_t pen = x;
    for (const char c : text) {
        const Glyph glyph = GlyphOf(c);
        if (pen + glyph.Advance + LabelOutline > right) break;
        if (glyph.Picture != nullptr) glyph.Picture->Draw(pen, y, colour);
        pen += glyph.Advance;
    }
    return pen;
}
