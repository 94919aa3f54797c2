#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "common.h"
#include "game/assets.h"
#include "game/layout.h"
#include "outputs.h"
#include "raster.h"

namespace assetgen {
namespace {

// The tiles are drawn for one cell of the well.
static_assert(BlockPictures[0].Width == CellSize && BlockPictures[0].Height == CellSize &&
              ShadowBlockPicture.Width == CellSize && ShadowBlockPicture.Height == CellSize);

// ---------------------------------------------------------------------------------------------
// The night sky: gradient, nebula, aurora curtains, stars and a ridge of ice mountains.

struct Curtain {
    double Base;    // mean y of the lower, brightest edge
    double Sway;    // how far the edge waves up and down
    double Height;  // how far the light reaches above the edge
    double Brightness;
    Rgb Low, High;          // colour at the edge and at the top
    double Coverage = 0.5;  // share of the sky's width the ribbon spans, about
};

struct Sky {
    uint32_t Seed = 1;
    Rgb Top = Hex(0x02040E), Bottom = Hex(0x0A1C3C);
    double Horizon = 768;  // y where the sky gradient ends
    std::vector<Curtain> Curtains;
    int Stars = 300;
    double Nebula = 0.2;
    Rgb NebulaA = Hex(0x1A2A80), NebulaB = Hex(0x6A2A90);
    int Meteors = 0;
    double Ridge = -1;       // mean height of the mountain ridge, or none
    double RidgeRise = 110;  // how high the peaks rise above it
    Rgb RimLight = Hex(0x7FE8FF);
};

void PaintGradient(Field& f, const Sky& s) {
    for (int y = 0; y < f.H; ++y) {
        const double t = Clamp01(y / s.Horizon);
        const Rgb c = Mix(s.Top, s.Bottom, t * t);
        for (int x = 0; x < f.W; ++x) f.At(x, y) = c;
    }
}

void PaintNebula(Field& f, const Sky& s) {
    if (s.Nebula <= 0) return;
    // Cheap: the clouds are smooth, so work on a quarter grid and interpolate.
    const int step = 4;
    const int gw = f.W / step + 2, gh = f.H / step + 2;
    std::vector<Rgb> grid(static_cast<size_t>(gw) * gh);
    for (int gy = 0; gy < gh; ++gy) {
        for (int gx = 0; gx < gw; ++gx) {
            const double x = gx * step, y = gy * step;
            const double warp = Fbm(x * 0.002, y * 0.002, 3, s.Seed + 7) * 3.0;
            const double n = Fbm(x * 0.0035 + warp, y * 0.0045, 5, s.Seed + 11);
            const double density = SmoothStep(0.42, 0.78, n);
            const double hue = Fbm(x * 0.0016, y * 0.0016, 3, s.Seed + 13);
            const double fade = 1.0 - SmoothStep(s.Horizon * 0.55, s.Horizon, y);
            grid[static_cast<size_t>(gy) * gw + gx] = Scale(
                Mix(s.NebulaA, s.NebulaB, SmoothStep(0.3, 0.7, hue)), density * s.Nebula * fade);
        }
    }
    for (int y = 0; y < f.H; ++y) {
        const int gy = y / step;
        const double ty = (y % step) / static_cast<double>(step);
        for (int x = 0; x < f.W; ++x) {
            const int gx = x / step;
            const double tx = (x % step) / static_cast<double>(step);
            auto g = [&](int i, int j) { return grid[static_cast<size_t>(j) * gw + i]; };
            const Rgb c = Mix(Mix(g(gx, gy), g(gx + 1, gy), tx),
                              Mix(g(gx, gy + 1), g(gx + 1, gy + 1), tx), ty);
            f.Add(x, y, c, 1.0);
        }
    }
}

void PaintCurtain(Field& f, const Curtain& c, uint32_t seed) {
    Random random(seed);
    const double f1 = random.Range(0.004, 0.008), f2 = random.Range(0.011, 0.02);
    const double p1 = random.Range(0, 2 * Pi), p2 = random.Range(0, 2 * Pi);
    for (int x = 0; x < f.W; ++x) {
        const double edge = c.Base +
                            c.Sway * (0.65 * std::sin(x * f1 + p1) + 0.35 * std::sin(x * f2 + p2)) +
                            (SmoothNoise(x * 0.03, 0.5, seed + 3) - 0.5) * 6.0;
        // Ribbons come and go along the sky rather than spanning it evenly.
        const double gap = 0.62 - 0.3 * c.Coverage;
        const double presence =
            SmoothStep(gap - 0.16, gap + 0.16, Fbm(x * 0.0045, 1.5, 3, seed + 5));
        if (presence <= 0.001) continue;
        const double height = c.Height * (0.6 + 0.8 * Fbm(x * 0.006, 2.5, 2, seed + 9));
        const double bright = c.Brightness * presence;
        const int y0 = std::max(0, static_cast<int>(edge - height * 4.0));
        const int y1 = std::min(f.H - 1, static_cast<int>(edge + 12));
        for (int y = y0; y <= y1; ++y) {
            const double d = edge - y;  // distance above the lower edge
            double v;
            if (d < 0) {
                v = std::exp(-(d * d) / (2 * 3.5 * 3.5));
            } else {
                // Vertical rays: noise that changes fast across x and slowly up the curtain.
                const double rays = 0.45 + 0.75 * SmoothNoise(x * 0.11, y * 0.008, seed + 17);
                v = std::exp(-d / height) * rays + 0.25 * std::exp(-d / (height * 2.5));
            }
            const Rgb colour = Mix(c.Low, c.High, SmoothStep(0, height * 1.8, d));
            f.Add(x, y, colour, v * bright);
        }
    }
}

void PaintStars(Field& f, const Sky& s) {
    Random random(s.Seed * 31 + 5);
    const double limit = s.Ridge > 0 ? s.Ridge : f.H;
    for (int i = 0; i < s.Stars; ++i) {
        const double x = random.Range(0, f.W), y = random.Range(0, limit);
        const double u = random.Unit();
        const double b = 0.12 + 0.9 * u * u * u * u;
        const double tint = random.Unit();
        const Rgb colour =
            tint < 0.25 ? Hex(0xFFE9C8) : (tint < 0.6 ? Hex(0xDDEBFF) : Hex(0xB8D4FF));
        const double radius = 0.55 + 0.7 * b;
        for (int dy = -3; dy <= 3; ++dy) {
            for (int dx = -3; dx <= 3; ++dx) {
                const int px = static_cast<int>(x) + dx, py = static_cast<int>(y) + dy;
                const double ddx = px + 0.5 - x, ddy = py + 0.5 - y;
                const double g = std::exp(-(ddx * ddx + ddy * ddy) / (2 * radius * radius));
                f.Add(px, py, colour, g * b * 1.3);
            }
        }
        if (b > 0.7) {  // the brightest few get a faint cross flare
            for (int k = 4; k <= 11; ++k) {
                const double fl = b * 0.22 * (1.0 - k / 12.0);
                f.Add(static_cast<int>(x) + k, static_cast<int>(y), colour, fl);
                f.Add(static_cast<int>(x) - k, static_cast<int>(y), colour, fl);
                f.Add(static_cast<int>(x), static_cast<int>(y) + k, colour, fl);
                f.Add(static_cast<int>(x), static_cast<int>(y) - k, colour, fl);
            }
        }
    }
}

void PaintMeteors(Field& f, const Sky& s) {
    Random random(s.Seed * 131 + 9);
    for (int i = 0; i < s.Meteors; ++i) {
        const double x0 = random.Range(60, f.W - 60), y0 = random.Range(30, f.H * 0.45);
        const double angle = random.Range(0.35, 0.75) * (random.Chance(0.5) ? 1 : -1) + Pi / 2;
        const double length = random.Range(70, 160);
        for (double t = 0; t < length; t += 0.5) {
            const double k = t / length;
            const double x = x0 + std::cos(angle) * t, y = y0 + std::sin(angle) * t;
            f.Add(static_cast<int>(x), static_cast<int>(y), Hex(0xFFF4DA), 0.5 * k * k);
            f.Add(static_cast<int>(x), static_cast<int>(y) + 1, Hex(0x9FD8FF), 0.2 * k * k);
        }
    }
}

void PaintRidge(Field& f, const Sky& s) {
    if (s.Ridge <= 0) return;
    std::vector<double> ridge(f.W);
    for (int x = 0; x < f.W; ++x) {
        const double big = 1.0 - std::abs(2.0 * Fbm(x * 0.0032, 0.7, 3, s.Seed + 41) - 1.0);
        const double small = Fbm(x * 0.02, 3.1, 3, s.Seed + 43);
        ridge[x] = s.Ridge - big * s.RidgeRise - small * 18.0;
    }
    for (int x = 0; x < f.W; ++x) {
        const double slope = ridge[std::min(x + 1, f.W - 1)] - ridge[std::max(x - 1, 0)];
        // Slopes facing up-left catch the aurora light: a thin icy rim.
        const double rim = Clamp01(0.35 + slope * 0.25);
        for (int y = static_cast<int>(ridge[x]); y < f.H; ++y) {
            const double depth = y - ridge[x];
            if (depth < 0) continue;
            const double edge = Clamp01(depth);  // anti-alias the ridge line
            const double t = Clamp01(depth / 260.0);
            Rgb body = Mix(Hex(0x0B1830), Hex(0x02050C), std::sqrt(t));
            // Snow: faint streaks down the slopes.
            const double snow =
                SmoothStep(0.55, 0.95, SmoothNoise(x * 0.035, y * 0.03, s.Seed + 47)) *
                std::exp(-depth / 60.0) * 0.22;
            body = Mix(body, Hex(0x41618A), snow);
            Rgb& p = f.At(x, y);
            p = Mix(p, body, edge);
            if (depth < 3) f.Add(x, y, s.RimLight, rim * 0.5 * (1.0 - depth / 3.0));
        }
    }
}

void PaintSky(Field& f, const Sky& s) {
    PaintGradient(f, s);
    PaintNebula(f, s);
    PaintStars(f, s);
    uint32_t seed = s.Seed * 7 + 100;
    for (const Curtain& c : s.Curtains) PaintCurtain(f, c, seed += 23);
    PaintMeteors(f, s);
    PaintRidge(f, s);
}

// ---------------------------------------------------------------------------------------------
// Lettering.

// The light lettering of the whole game: ice white over a dark outline and a soft dark halo,
// so that it reads over the brightest aurora and over a stack of bombs alike.
TextStyle IceStyle() {
    TextStyle s;
    s.Top = Hex(0xFFFFFF);
    s.Bottom = Hex(0xB4E2FF);
    s.Outline = Hex(0x030713);
    s.OutlineWidth = 2.0;
    s.ShadowRadius = 2.0;
    s.ShadowAlpha = 0.85;
    s.ShadowDy = 1.0;
    return s;
}

// Quieter lettering for menu entries that are not selected.
TextStyle DimStyle() {
    TextStyle s = IceStyle();
    s.Top = Hex(0xC9D9EE);
    s.Bottom = Hex(0x7F98BA);
    return s;
}

// Selected entries: bright, with the aurora's green glow.
TextStyle GlowStyle() {
    TextStyle s = IceStyle();
    s.Top = Hex(0xFFFFFF);
    s.Bottom = Hex(0x9CFFD8);
    s.Glow = Hex(0x2CFFB0);
    s.GlowRadius = 6;
    s.GlowAlpha = 1.35;
    s.Sheen = 0.25;
    return s;
}

struct Fit {
    double Size, XScale, InkWidth, InkHeight;
};

// The font size and squeeze that give capitals of the given height within maxWidth.
Fit FitCaps(cairo_t* cr, FontId font, const std::string& text, double capHeight, double maxWidth,
            double minSqueeze = 0.8) {
    const Bounds h = InkBounds(cr, font, 100, "H");
    double size = 100 * capHeight / h.Height();
    Bounds b = InkBounds(cr, font, size, text);
    double xScale = std::min(1.0, maxWidth / b.Width());
    if (xScale < minSqueeze) {
        size *= xScale / minSqueeze;
        xScale = minSqueeze;
        b = InkBounds(cr, font, size, text);
    }
    return {size, xScale, b.Width() * xScale, b.Height()};
}

// One letter or digit picture: cap height 22 from y 3, centred across the width.
void SaveGlyph(const std::string& runDir, const PictureFile& file, char c) {
    constexpr double CapTop = 3.0, CapHeight = 22.0;
    const int width = file.Width;
    Picture p(width, file.Height);
    const std::string text(1, c);
    const FontId font = FontId::CondensedBold;
    const Bounds h = InkBounds(p.Cr(), font, 100, "H");
    const double size = 100 * CapHeight / h.Height();
    const Bounds b = InkBounds(p.Cr(), font, size, text);
    const Bounds hb = InkBounds(p.Cr(), font, size, "H");
    const double room = width - 2 * 2.6;
    const double xScale = std::min(1.0, room / b.Width());
    const double x = (width - b.Width() * xScale) / 2.0;
    // Keep every glyph on the capitals' baseline: round letters overshoot a little, Q and J
    // reach a little below.
    const double y = CapTop + (b.Y0 - hb.Y0);
    DrawText(p, font, size, text, x, y, xScale, IceStyle());
    AvoidColourKey(p);
    SavePicture(runDir, file, p);
}

void SaveColon(const std::string& runDir, const PictureFile& file) {
    // Drawn 2 pixels below the digits' top, so its dots sit at a third and two thirds of them.
    Picture p(file.Width, file.Height);
    cairo_t* cr = p.Cr();
    for (double cy : {8.5, 18.0}) {
        cairo_new_path(cr);
        RoundedRect(cr, 4.5, cy - 2.5, 5, 5, 1.5);
    }
    // Halo, outline, fill: the same recipe as the glyphs.
    {
        Picture halo(p.Width(), p.Height());
        cairo_t* hc = halo.Cr();
        for (double cy : {8.5, 18.0}) RoundedRect(hc, 2.0, cy - 5.0 + 1, 10, 10, 3);
        cairo_set_source_rgba(hc, 0, 0, 0, 0.85);
        cairo_fill(hc);
        Blur(halo, 2.0);
        Paint(p, halo, 0, 0);
    }
    for (double cy : {8.5, 18.0}) RoundedRect(cr, 4.5, cy - 2.5, 5, 5, 1.5);
    cairo_set_source_rgb(cr, 0.012, 0.027, 0.075);
    cairo_set_line_width(cr, 4.0);
    cairo_stroke_preserve(cr);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, 6, 0, 21);
    cairo_pattern_add_color_stop_rgb(fill, 0, 1, 1, 1);
    cairo_pattern_add_color_stop_rgb(fill, 1, 0.71, 0.89, 1.0);
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
    AvoidColourKey(p);
    SavePicture(runDir, file, p);
}

void MakeFont(const std::string& runDir) {
    for (int i = 0; i < 26; ++i) SaveGlyph(runDir, LetterPictures[i], static_cast<char>('A' + i));
    for (int i = 0; i < 10; ++i) SaveGlyph(runDir, DigitPictures[i], static_cast<char>('0' + i));
    for (const SignPicture& sign : SignPictures) SaveGlyph(runDir, sign.File, sign.Sign);
    SaveColon(runDir, ColonPicture);
}

// A word centred in a picture of exactly the listed size, capitals of the given height.
void SaveWord(const std::string& runDir, const PictureFile& file, const std::string& text,
              double capHeight, double margin, const TextStyle& style, double inkTop = -1) {
    const int width = file.Width, height = file.Height;
    Picture p(width, height);
    const FontId font = FontId::CondensedBold;
    const Fit fit = FitCaps(p.Cr(), font, text, capHeight, width - 2 * margin);
    const double x = (width - fit.InkWidth) / 2.0;
    const double y = inkTop >= 0 ? inkTop : (height - fit.InkHeight) / 2.0;
    DrawText(p, font, fit.Size, text, x, y, fit.XScale, style);
    FadeBorders(p, 5);
    AvoidColourKey(p);
    SavePicture(runDir, file, p);
}

// A word of the menus, drawn plain and highlighted.
struct MenuWord {
    const char* Text;
    PictureFile Plain, Highlighted;
};

// The title menu's items: plain, and a larger glowing one for the selected item, both centred
// on the same x, so the picture widths are fixed.
void MakeMenu(const std::string& runDir) {
    for (const MenuWord& item : {MenuWord{"START", StartPicture, Start2Picture},
                                 MenuWord{"OPTIONS", OptionsPicture, Options2Picture},
                                 MenuWord{"EXIT", ExitPicture, Exit2Picture}}) {
        SaveWord(runDir, item.Plain, item.Text, 28, 5, DimStyle(), 7);
        SaveWord(runDir, item.Highlighted, item.Text, 34, 7, GlowStyle(), 8);
    }
}

// A row label of the options and controls screens, drawn from the left edge as wide as its
// word: plain, or selected with an aurora bar under it. The capitals sit at the height of the
// digits and letters drawn on the same row.
constexpr double RowCapHeight = 23, RowInkTop = 4;

void SaveRowLabel(const std::string& runDir, const PictureFile& file, const std::string& text,
                  bool selected) {
    Picture probe(1, 1);
    const Fit fit = FitCaps(probe.Cr(), FontId::CondensedBold, text, RowCapHeight, 260);
    const int width = static_cast<int>(std::ceil(fit.InkWidth)) + 16;
    Picture p(width, file.Height);
    const TextStyle style = selected ? GlowStyle() : DimStyle();
    if (selected) {
        // An aurora bar under the selected label.
        cairo_t* cr = p.Cr();
        cairo_pattern_t* bar = cairo_pattern_create_linear(4, 0, width - 4, 0);
        cairo_pattern_add_color_stop_rgba(bar, 0, 0.17, 1.0, 0.69, 0.0);
        cairo_pattern_add_color_stop_rgba(bar, 0.2, 0.17, 1.0, 0.69, 0.9);
        cairo_pattern_add_color_stop_rgba(bar, 0.8, 0.45, 0.55, 1.0, 0.9);
        cairo_pattern_add_color_stop_rgba(bar, 1, 0.45, 0.55, 1.0, 0.0);
        cairo_set_source(cr, bar);
        RoundedRect(cr, 4, RowInkTop + RowCapHeight + 7, width - 8, 3, 1.5);
        cairo_fill(cr);
        cairo_pattern_destroy(bar);
    }
    DrawText(p, FontId::CondensedBold, fit.Size, text, 8, RowInkTop, fit.XScale, style);
    FadeBorders(p, 4);
    AvoidColourKey(p);
    SavePicture(runDir, file, p);
}

// The options screen's labels (left-aligned at x 300) and its on/off marks.
void MakeOptionLabels(const std::string& runDir) {
    for (const MenuWord& label : {MenuWord{"VOLUME", VolumePicture, Volume2Picture},
                                  MenuWord{"BOMBS", BombsPicture, Bombs2Picture},
                                  MenuWord{"SHADOW", ShadowPicture, Shadow2Picture},
                                  MenuWord{"PREVIEW", PreviewPicture, Preview2Picture}}) {
        SaveRowLabel(runDir, label.Plain, label.Text, false);
        SaveRowLabel(runDir, label.Highlighted, label.Text, true);
    }
    for (const MenuWord& mark :
         {MenuWord{"ON", OnPicture, On2Picture}, MenuWord{"OFF", OffPicture, Off2Picture}}) {
        SaveWord(runDir, mark.Plain, mark.Text, RowCapHeight, 7, DimStyle(), RowInkTop);
        SaveWord(runDir, mark.Highlighted, mark.Text, RowCapHeight, 7, GlowStyle(), RowInkTop);
    }
}

// The controls screen's rows: the actions of play, then "reset all".
void MakeControlsLabels(const std::string& runDir) {
    for (const RowPictures& row : ControlsRowPictures) {
        SaveRowLabel(runDir, row.Plain, row.Word, false);
        SaveRowLabel(runDir, row.Highlighted, row.Word, true);
    }
}

void MakeBonusHeading(const std::string& runDir) {
    TextStyle gold = GlowStyle();
    gold.Top = Hex(0xFFFBEA);
    gold.Bottom = Hex(0xFFC646);
    gold.Glow = Hex(0xFF9E2C);
    gold.GlowAlpha = 1.2;
    SaveWord(runDir, BonusPicture, "BONUS", 34, 9, gold);
}

// ---------------------------------------------------------------------------------------------
// Blocks: glass tiles whose colours differ in brightness as well as hue, each with its own mark
// so that no two can be confused even without colour.

enum class Mark { Cross, Ring, Diamond, Dot, Triangle, Bar, Square };

struct BlockLook {
    uint32_t Colour;
    Mark Symbol;
    bool DarkMark;  // a dark mark on a light tile, a light mark on a dark one
};

void TilePath(cairo_t* cr) {
    RoundedRect(cr, 0.5, 0.5, 25, 25, 4.5);
}

void DrawGlassTile(cairo_t* cr, Rgb base) {
    const Rgb light = Mix(base, Hex(0xFFFFFF), 0.25), dark = Scale(base, 0.72);
    cairo_pattern_t* body = cairo_pattern_create_linear(0, 0, 0, 26);
    cairo_pattern_add_color_stop_rgb(body, 0, light.R, light.G, light.B);
    cairo_pattern_add_color_stop_rgb(body, 0.5, base.R, base.G, base.B);
    cairo_pattern_add_color_stop_rgb(body, 1, dark.R, dark.G, dark.B);
    TilePath(cr);
    cairo_set_source(cr, body);
    cairo_fill(cr);
    cairo_pattern_destroy(body);
    // A lit rim on the top and left, shade on the bottom and right.
    cairo_set_line_width(cr, 1.4);
    cairo_move_to(cr, 3, 24);
    cairo_line_to(cr, 2.2, 5);
    cairo_curve_to(cr, 2.2, 3, 3, 2.2, 5, 2.2);
    cairo_line_to(cr, 23, 2.2);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.55);
    cairo_stroke(cr);
    cairo_move_to(cr, 23.8, 4);
    cairo_line_to(cr, 23.8, 21);
    cairo_curve_to(cr, 23.8, 23, 23, 23.8, 21, 23.8);
    cairo_line_to(cr, 3, 23.8);
    cairo_set_source_rgba(cr, 0, 0, 0.05, 0.35);
    cairo_stroke(cr);
    // Gloss across the upper half.
    cairo_save(cr);
    TilePath(cr);
    cairo_clip(cr);
    cairo_pattern_t* gloss = cairo_pattern_create_linear(0, 2, 0, 13);
    cairo_pattern_add_color_stop_rgba(gloss, 0, 1, 1, 1, 0.42);
    cairo_pattern_add_color_stop_rgba(gloss, 1, 1, 1, 1, 0.04);
    cairo_set_source(cr, gloss);
    cairo_new_path(cr);
    cairo_move_to(cr, 3, 3);
    cairo_line_to(cr, 23, 3);
    cairo_curve_to(cr, 23, 10, 16, 12, 3, 13);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_pattern_destroy(gloss);
    cairo_restore(cr);
    // A dark edge keeps neighbouring cells apart.
    TilePath(cr);
    cairo_set_source_rgba(cr, 0.01, 0.02, 0.06, 0.85);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

// A mark's path painted: filled, or stroked with a round pen.
void PaintMark(cairo_t* cr, bool filled) {
    cairo_set_line_width(cr, 2.2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    if (filled) {
        cairo_fill(cr);
    } else {
        cairo_stroke(cr);
    }
}

void DrawMark(cairo_t* cr, Mark mark, bool darkMark) {
    const double cx = 13, cy = 13.5;
    cairo_new_path(cr);
    switch (mark) {
        case Mark::Cross:
            cairo_move_to(cr, cx - 4, cy - 4);
            cairo_line_to(cr, cx + 4, cy + 4);
            cairo_move_to(cr, cx + 4, cy - 4);
            cairo_line_to(cr, cx - 4, cy + 4);
            break;
        case Mark::Ring:
            cairo_arc(cr, cx, cy, 4.2, 0, 2 * Pi);
            break;
        case Mark::Diamond:
            cairo_move_to(cr, cx, cy - 5.5);
            cairo_line_to(cr, cx + 5.5, cy);
            cairo_line_to(cr, cx, cy + 5.5);
            cairo_line_to(cr, cx - 5.5, cy);
            cairo_close_path(cr);
            break;
        case Mark::Dot:
            cairo_arc(cr, cx, cy, 3.6, 0, 2 * Pi);
            break;
        case Mark::Triangle:
            cairo_move_to(cr, cx, cy - 5);
            cairo_line_to(cr, cx + 5.2, cy + 4);
            cairo_line_to(cr, cx - 5.2, cy + 4);
            cairo_close_path(cr);
            break;
        case Mark::Bar:
            RoundedRect(cr, cx - 6, cy - 2, 12, 4, 1.5);
            break;
        case Mark::Square:
            cairo_rectangle(cr, cx - 4, cy - 4, 8, 8);
            break;
    }
    const bool filled = mark == Mark::Dot || mark == Mark::Triangle || mark == Mark::Bar;
    // An engraved look: a thin counter-coloured line offset by one pixel, then the mark.
    cairo_path_t* path = cairo_copy_path(cr);
    cairo_save(cr);
    cairo_translate(cr, 0, darkMark ? 1 : -1);
    cairo_new_path(cr);
    cairo_append_path(cr, path);
    if (darkMark) {
        cairo_set_source_rgba(cr, 1, 1, 1, 0.45);
    } else {
        cairo_set_source_rgba(cr, 0, 0, 0.05, 0.45);
    }
    PaintMark(cr, filled);
    cairo_restore(cr);
    cairo_new_path(cr);
    cairo_append_path(cr, path);
    cairo_path_destroy(path);
    if (darkMark) {
        cairo_set_source_rgba(cr, 0.02, 0.03, 0.1, 0.78);
    } else {
        cairo_set_source_rgba(cr, 1, 1, 1, 0.9);
    }
    PaintMark(cr, filled);
}

void DrawBomb(cairo_t* cr) {
    // A dark ember tile, so the whole stack turned to bombs stays dark behind the bonus list.
    DrawGlassTile(cr, Hex(0x4A1420));
    // The bomb: a black glossy sphere with a hot seam, a fuse and a spark.
    cairo_arc(cr, 12.5, 14.5, 7.6, 0, 2 * Pi);
    cairo_pattern_t* ball = cairo_pattern_create_radial(10, 11.5, 1, 12.5, 14.5, 8);
    cairo_pattern_add_color_stop_rgb(ball, 0, 0.42, 0.42, 0.5);
    cairo_pattern_add_color_stop_rgb(ball, 0.45, 0.1, 0.1, 0.14);
    cairo_pattern_add_color_stop_rgb(ball, 1, 0.02, 0.02, 0.04);
    cairo_set_source(cr, ball);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(ball);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.9);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    cairo_arc(cr, 9.6, 11.4, 1.6, 0, 2 * Pi);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.75);
    cairo_fill(cr);
    cairo_rectangle(cr, 15.5, 6.0, 3.2, 3.2);
    cairo_set_source_rgb(cr, 0.25, 0.25, 0.3);
    cairo_fill(cr);
    cairo_move_to(cr, 17.2, 6.2);
    cairo_curve_to(cr, 18.5, 3.5, 20.5, 4.5, 21.2, 3.4);
    cairo_set_source_rgb(cr, 0.85, 0.75, 0.55);
    cairo_set_line_width(cr, 1.1);
    cairo_stroke(cr);
    cairo_pattern_t* spark = cairo_pattern_create_radial(21.5, 3.3, 0, 21.5, 3.3, 3.4);
    cairo_pattern_add_color_stop_rgba(spark, 0, 1, 1, 0.85, 1);
    cairo_pattern_add_color_stop_rgba(spark, 0.4, 1, 0.75, 0.2, 0.85);
    cairo_pattern_add_color_stop_rgba(spark, 1, 1, 0.4, 0.1, 0);
    cairo_set_source(cr, spark);
    cairo_arc(cr, 21.5, 3.3, 3.4, 0, 2 * Pi);
    cairo_fill(cr);
    cairo_pattern_destroy(spark);
}

// By board colour, as the block pictures are listed: red, blue, aqua, yellow, orange, pink and
// green. Luma of the base colours, darkest to lightest: blue 0.23, red 0.33, green 0.44, orange
// 0.59, pink 0.72, aqua 0.84, yellow 0.93.
const BlockLook Blocks[7] = {
    {0xF02A2A, Mark::Cross, false},   {0x1838C8, Mark::Ring, false},
    {0x60F4FF, Mark::Diamond, true},  {0xFFF65A, Mark::Dot, true},
    {0xFF8418, Mark::Triangle, true}, {0xFF9EE0, Mark::Bar, true},
    {0x189036, Mark::Square, false},
};
// The bomb, the last block picture, is drawn on its own.
static_assert(std::size(Blocks) + 1 == std::size(BlockPictures));

void MakeBlocks(const std::string& runDir) {
    for (size_t i = 0; i < std::size(Blocks); ++i) {
        Picture p(BlockPictures[i].Width, BlockPictures[i].Height);
        DrawGlassTile(p.Cr(), Hex(Blocks[i].Colour));
        DrawMark(p.Cr(), Blocks[i].Symbol, Blocks[i].DarkMark);
        AvoidColourKey(p);
        SavePicture(runDir, BlockPictures[i], p);
    }
    {
        const PictureFile& bomb = BlockPictures[std::size(Blocks)];
        Picture p(bomb.Width, bomb.Height);
        DrawBomb(p.Cr());
        AvoidColourKey(p);
        SavePicture(runDir, bomb, p);
    }
    {
        // Where the piece will land: a dark see-through cell with a faint dashed ice outline.
        Picture p(ShadowBlockPicture.Width, ShadowBlockPicture.Height);
        cairo_t* cr = p.Cr();
        RoundedRect(cr, 1.5, 1.5, 23, 23, 4);
        cairo_set_source_rgba(cr, 0.0, 0.02, 0.08, 0.5);
        cairo_fill_preserve(cr);
        const double dash[] = {3.0, 2.0};
        cairo_set_dash(cr, dash, 2, 0);
        cairo_set_source_rgba(cr, 0.75, 0.92, 1.0, 0.72);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
        AvoidColourKey(p);
        SavePicture(runDir, ShadowBlockPicture, p);
    }
}

// ---------------------------------------------------------------------------------------------
// Backdrops, one per level, the aurora growing stronger and warmer from level to level.

struct LevelLook {
    uint32_t Low, High, Accent;  // aurora edge, aurora top, second curtain
    uint32_t SkyTop, SkyBottom;
    uint32_t NebulaA, NebulaB;
};

const LevelLook Levels[10] = {
    {0x2CFF9A, 0x1F6BFF, 0x2AD8C8, 0x02040E, 0x081A36, 0x10245A, 0x1A3A70},
    {0x34FFC0, 0x3A5CFF, 0x30E0FF, 0x02040F, 0x09193A, 0x122662, 0x283A88},
    {0x2EE6FF, 0x6A4CFF, 0x3CFFB0, 0x03040F, 0x0B173E, 0x1A2470, 0x3A2C8C},
    {0x4CFFB0, 0xB04CFF, 0x2EC8FF, 0x040410, 0x0E1642, 0x22207A, 0x5A2A96},
    {0x7A6BFF, 0xFF4FD8, 0x4CFFC8, 0x050411, 0x121444, 0x2C1E80, 0x7A2A9A},
    {0xFF5AD0, 0x6A3CFF, 0x40F0FF, 0x070412, 0x181242, 0x3A1C7E, 0x902A8A},
    {0xFF6A8A, 0xFFB347, 0x9A5CFF, 0x090411, 0x1E103C, 0x4A1C6A, 0xA0305A},
    {0xFF8A3C, 0xFF3C6A, 0x4CFFD0, 0x0A0410, 0x240E34, 0x581A58, 0xB0383C},
    {0xFFD24A, 0xFF3CB4, 0x3CFFB0, 0x0B0410, 0x2A0C30, 0x64184E, 0xC04A2C},
    {0xE8FFFF, 0xFF4FD8, 0xFFD24A, 0x0C0410, 0x2E0C30, 0x701850, 0xC85A2C},
};

Sky LevelSky(int level) {
    const LevelLook& look = Levels[level - 1];
    const double t = (level - 1) / 9.0;
    Sky s;
    s.Seed = 1000 + level * 29;
    s.Top = Hex(look.SkyTop);
    s.Bottom = Hex(look.SkyBottom);
    s.Horizon = 700;
    s.Stars = 260 + level * 50;
    s.Nebula = 0.12 + 0.55 * t;
    s.NebulaA = Hex(look.NebulaA);
    s.NebulaB = Hex(look.NebulaB);
    s.Meteors = level >= 6 ? level - 5 : 0;
    s.Ridge = 735;
    s.RidgeRise = 90 + 40 * t;
    s.RimLight = Mix(Hex(look.Low), Hex(0xFFFFFF), 0.5);
    Random random(s.Seed);
    const int curtains = 1 + (level + 1) / 2;
    for (int i = 0; i < curtains; ++i) {
        Curtain c;
        c.Base = random.Range(230, 470);
        c.Sway = random.Range(30, 80) * (0.6 + 0.6 * t);
        c.Height = random.Range(60, 110) * (0.8 + 0.5 * t);
        c.Brightness = (0.42 + 0.3 * t) * random.Range(0.75, 1.05);
        c.Coverage = 0.45 + 0.4 * t;
        const bool accent = i % 2 == 1;
        c.Low = Hex(accent ? look.Accent : look.Low);
        c.High = Hex(look.High);
        s.Curtains.push_back(c);
    }
    return s;
}

// The well's glass: darker than the sky around it, with a faint cell grid to aim by.
void DrawWellGlass(cairo_t* cr, double darkness) {
    cairo_rectangle(cr, Well.Left, Well.Top, Well.Right - Well.Left, Well.Bottom - Well.Top);
    cairo_set_source_rgba(cr, 0.0, 0.01, 0.04, darkness);
    cairo_fill(cr);
    cairo_set_line_width(cr, 1.0);
    for (int c = 1; c < BoardColumns; ++c) {
        cairo_move_to(cr, Well.Left + c * CellSize + 0.5, Well.Top);
        cairo_line_to(cr, Well.Left + c * CellSize + 0.5, Well.Bottom);
    }
    for (int r = 1; r < BoardRows; ++r) {
        cairo_move_to(cr, Well.Left, Well.Top + r * CellSize + 0.5);
        cairo_line_to(cr, Well.Right, Well.Top + r * CellSize + 0.5);
    }
    cairo_set_source_rgba(cr, 0.6, 0.85, 1.0, 0.06);
    cairo_stroke(cr);
}

// The game draws the level's digit off the screen's edge, so the backdrop itself says which
// level it belongs to, up in the open sky left of the well.
void DrawLevelMark(Picture& p, int level) {
    const LevelLook& look = Levels[level - 1];
    TextStyle small = IceStyle();
    small.Top = Hex(0xDFF4FF);
    small.Bottom = Hex(0x9EC4E6);
    Picture probe(1, 1);
    const Fit word = FitCaps(probe.Cr(), FontId::CondensedBold, "LEVEL", 20, 200);
    DrawText(p, FontId::CondensedBold, word.Size, "LEVEL", 150 - word.InkWidth / 2, 118,
             word.XScale, small);
    TextStyle big = GlowStyle();
    big.Glow = Hex(look.Low);
    big.Bottom = Mix(Hex(look.Low), Hex(0xFFFFFF), 0.55);
    big.GlowRadius = 10;
    big.GlowAlpha = 1.5;
    big.Sheen = 0.3;
    const std::string number = std::to_string(level);
    const Fit digits = FitCaps(probe.Cr(), FontId::Bold, number, 86, 220);
    DrawText(p, FontId::Bold, digits.Size, number, 150 - digits.InkWidth / 2, 152, digits.XScale,
             big);
}

void MakeBackdrops(const std::string& runDir) {
    const PictureFile& first = LevelBackgroundPictures[0];
    Field f(first.Width, first.Height);  // the gradient repaints every pixel, so it is reused
    for (int level = 1; level <= 10; ++level) {
        const PictureFile& file = LevelBackgroundPictures[level - 1];
        PaintSky(f, LevelSky(level));
        Picture p(file.Width, file.Height);
        FieldToPicture(f, p, 77 + level);
        DrawWellGlass(p.Cr(), 0.55 + 0.025 * level);
        DrawLevelMark(p, level);
        SavePicture(runDir, file, p);
    }
}

// ---------------------------------------------------------------------------------------------
// The HUD: a glass frame round the well, two side consoles for the counts and the preview, and
// a plain dark tab in the top-left corner where the frame rate is drawn.

void GlassPanel(cairo_t* cr, double x, double y, double w, double h, double r, double alpha) {
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgba(fill, 0, 0.05, 0.1, 0.22, alpha);
    cairo_pattern_add_color_stop_rgba(fill, 1, 0.015, 0.03, 0.09, alpha + 0.05);
    RoundedRect(cr, x, y, w, h, r);
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
    // A sheen on the upper edge, a cold rim all round.
    cairo_save(cr);
    RoundedRect(cr, x, y, w, h, r);
    cairo_clip(cr);
    cairo_pattern_t* sheen = cairo_pattern_create_linear(0, y, 0, y + 26);
    cairo_pattern_add_color_stop_rgba(sheen, 0, 0.6, 0.85, 1.0, 0.14);
    cairo_pattern_add_color_stop_rgba(sheen, 1, 0.6, 0.85, 1.0, 0.0);
    cairo_set_source(cr, sheen);
    cairo_paint(cr);
    cairo_pattern_destroy(sheen);
    cairo_restore(cr);
    RoundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, r);
    cairo_set_source_rgba(cr, 0.45, 0.85, 1.0, 0.45);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

void MakeHud(const std::string& runDir) {
    Picture p(HudPicture.Width, HudPicture.Height);
    cairo_t* cr = p.Cr();

    // Corner tab behind the frame-rate count (x 0 to 40) and the level digit's visible sliver.
    GlassPanel(cr, -14, -14, 66, 122, 12, 0.92);

    // Left console: rows cleared, then the clock. Right console: score, then the preview.
    GlassPanel(cr, 178, 444, 136, 252, 12, 0.84);
    GlassPanel(cr, 710, 444, 152, 278, 12, 0.84);
    cairo_set_source_rgba(cr, 0.45, 0.85, 1.0, 0.22);
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, 190, 575.5);
    cairo_line_to(cr, 300, 575.5);
    cairo_stroke(cr);
    // The preview's window and its caption.
    RoundedRect(cr, 736, 588, 106, 126, 8);
    cairo_set_source_rgba(cr, 0.0, 0.01, 0.04, 0.55);
    cairo_fill_preserve(cr);
    cairo_set_source_rgba(cr, 0.45, 0.85, 1.0, 0.3);
    cairo_stroke(cr);
    {
        TextStyle caption = DimStyle();
        caption.OutlineWidth = 1.2;
        caption.ShadowAlpha = 0;
        const Fit fit = FitCaps(cr, FontId::CondensedBold, "NEXT", 10, 60);
        DrawText(p, FontId::CondensedBold, fit.Size, "NEXT", 789 - fit.InkWidth / 2, 572,
                 fit.XScale, caption);
    }

    // The frame round the well.
    const double fx = Well.Left - 12, fy = Well.Top - 12;
    const double fw = Well.Right - Well.Left + 24, fh = Well.Bottom - Well.Top + 24;
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    RoundedRect(cr, fx, fy, fw, fh, 14);
    cairo_rectangle(cr, Well.Left, Well.Top, Well.Right - Well.Left, Well.Bottom - Well.Top);
    cairo_pattern_t* frame = cairo_pattern_create_linear(fx, 0, fx + fw, 0);
    cairo_pattern_add_color_stop_rgba(frame, 0, 0.07, 0.14, 0.3, 0.96);
    cairo_pattern_add_color_stop_rgba(frame, 0.5, 0.03, 0.06, 0.16, 0.96);
    cairo_pattern_add_color_stop_rgba(frame, 1, 0.07, 0.14, 0.3, 0.96);
    cairo_set_source(cr, frame);
    cairo_fill(cr);
    cairo_pattern_destroy(frame);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    RoundedRect(cr, fx + 0.5, fy + 0.5, fw - 1, fh - 1, 14);
    cairo_set_source_rgba(cr, 0.5, 0.85, 1.0, 0.5);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    // A soft aurora glow hugging the well's edge: green below, violet above.
    {
        Picture glow(p.Width(), p.Height());
        cairo_t* gc = glow.Cr();
        cairo_rectangle(gc, Well.Left - 2, Well.Top - 2, Well.Right - Well.Left + 4,
                        Well.Bottom - Well.Top + 4);
        cairo_pattern_t* edge = cairo_pattern_create_linear(0, Well.Top, 0, Well.Bottom);
        cairo_pattern_add_color_stop_rgb(edge, 0, 0.62, 0.42, 1.0);
        cairo_pattern_add_color_stop_rgb(edge, 0.5, 0.25, 0.85, 1.0);
        cairo_pattern_add_color_stop_rgb(edge, 1, 0.2, 1.0, 0.7);
        cairo_set_source(gc, edge);
        cairo_set_line_width(gc, 3.0);
        cairo_stroke_preserve(gc);
        Blur(glow, 5);
        Paint(p, glow, 0, 0, 0.9);
        cairo_set_source(cr, edge);
        cairo_rectangle(cr, Well.Left - 1, Well.Top - 1, Well.Right - Well.Left + 2,
                        Well.Bottom - Well.Top + 2);
        cairo_set_line_width(cr, 2.0);
        cairo_stroke(cr);
        cairo_pattern_destroy(edge);
    }

    // The game's name, small, in the open sky at the top right.
    {
        TextStyle logo = IceStyle();
        logo.Glow = Hex(0x2CFFB0);
        logo.GlowRadius = 6;
        logo.GlowAlpha = 0.7;
        logo.Sheen = 0.3;
        const Fit fit = FitCaps(cr, FontId::Bold, "ZANTORVIX", 24, 250);
        DrawText(p, FontId::Bold, fit.Size, "ZANTORVIX", 866 - fit.InkWidth / 2, 64, fit.XScale,
                 logo);
    }

    // Whatever glow reached into the well is wiped: the backdrop must show there untouched.
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_rectangle(cr, Well.Left, Well.Top, Well.Right - Well.Left, Well.Bottom - Well.Top);
    cairo_fill(cr);
    cairo_restore(cr);
    AvoidColourKey(p);
    SavePicture(runDir, HudPicture, p);
}

// ---------------------------------------------------------------------------------------------
// The title picture and the window icon.

void DrawTitleName(Picture& p) {
    const std::string name = "ZANTORVIX";
    cairo_t* cr = p.Cr();
    const FontId font = FontId::Bold;
    const Fit fit = FitCaps(cr, font, name, 92, 800);
    const double x = 512 - fit.InkWidth / 2, y = 112;
    // Aurora glow, wide and soft, then a tighter one.
    TextStyle glow;
    glow.Top = glow.Bottom = Hex(0x000000);
    glow.OutlineWidth = 0;
    glow.Glow = Hex(0x2CFFB0);
    glow.GlowRadius = 26;
    glow.GlowAlpha = 0.9;
    DrawText(p, font, fit.Size, name, x, y, fit.XScale, glow);
    // The letters: chrome-ice, a bright upper half over a deep blue lower half.
    TextStyle ice;
    ice.Outline = Hex(0x020612);
    ice.OutlineWidth = 3.5;
    ice.Glow = Hex(0x7AE8FF);
    ice.GlowRadius = 9;
    ice.GlowAlpha = 1.0;
    ice.ShadowRadius = 6;
    ice.ShadowAlpha = 0.9;
    ice.ShadowDy = 4;
    ice.Top = Hex(0xFFFFFF);
    ice.Bottom = Hex(0xBEEBFF);
    DrawText(p, font, fit.Size, name, x, y, fit.XScale, ice);
    // The lower half of each letter in deep, aurora-lit blue.
    cairo_save(cr);
    cairo_rectangle(cr, 0, y + fit.InkHeight * 0.54, p.Width(), fit.InkHeight);
    cairo_clip(cr);
    TextStyle lower;
    lower.OutlineWidth = 0;
    lower.Top = Hex(0x4FB8F0);
    lower.Bottom = Hex(0x1A3F9A);
    DrawText(p, font, fit.Size, name, x, y, fit.XScale, lower);
    cairo_restore(cr);
    // A bright horizon line where the two halves meet.
    cairo_save(cr);
    cairo_rectangle(cr, 0, y + fit.InkHeight * 0.54 - 1.5, p.Width(), 2.5);
    cairo_clip(cr);
    TextStyle line;
    line.OutlineWidth = 0;
    line.Top = line.Bottom = Hex(0xE8FFFF);
    DrawText(p, font, fit.Size, name, x, y, fit.XScale, line);
    cairo_restore(cr);
}

// A row of the seven glass blocks under the name, the game's pieces in miniature.
void DrawBlockRow(Picture& p, double y) {
    const double x0 = 512 - (7 * CellSize + 6 * 6) / 2.0;
    for (int i = 0; i < 7; ++i) {
        Picture tile(CellSize, CellSize);
        DrawGlassTile(tile.Cr(), Hex(Blocks[i].Colour));
        DrawMark(tile.Cr(), Blocks[i].Symbol, Blocks[i].DarkMark);
        Picture shadow(CellSize + 16, CellSize + 16);
        cairo_set_source_rgba(shadow.Cr(), 0, 0, 0, 0.8);
        RoundedRect(shadow.Cr(), 8, 10, CellSize, CellSize, 5);
        cairo_fill(shadow.Cr());
        Blur(shadow, 4);
        const double x = x0 + i * (CellSize + 6);
        Paint(p, shadow, x - 8, y - 8);
        Paint(p, tile, x, y);
    }
}

void SoftPanel(cairo_t* cr, double x, double y, double w, double h, double alpha) {
    RoundedRect(cr, x, y, w, h, 18);
    cairo_set_source_rgba(cr, 0.0, 0.02, 0.07, alpha);
    cairo_fill(cr);
    RoundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, 18);
    cairo_set_source_rgba(cr, 0.5, 0.85, 1.0, 0.16);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

// The title's night: aurora over a mountain ridge.
Sky TitleSky() {
    Sky s;
    s.Seed = 4242;
    s.Top = Hex(0x02030C);
    s.Bottom = Hex(0x0B2244);
    s.Horizon = 560;
    s.Stars = 520;
    s.Nebula = 0.35;
    s.NebulaA = Hex(0x14286A);
    s.NebulaB = Hex(0x4A2288);
    s.Ridge = 610;
    s.RidgeRise = 120;
    s.RimLight = Hex(0xA8F4FF);
    s.Curtains = {
        {250, 60, 95, 0.95, Hex(0x2CFFA0), Hex(0x8A4CFF)},
        {330, 45, 80, 0.7, Hex(0x2CE0FF), Hex(0xB04CFF)},
        {175, 40, 70, 0.55, Hex(0x4CFFB8), Hex(0x3A5CFF)},
        {420, 35, 60, 0.4, Hex(0x30FFC0), Hex(0xFF4FD8)},
    };
    return s;
}

// Small quiet capitals, as the captions over the tables; returns the ink's width.
double DrawCaption(Picture& p, const std::string& text, double x, double y, double capHeight = 13) {
    TextStyle caption = DimStyle();
    caption.OutlineWidth = 1.5;
    caption.ShadowAlpha = 0.6;
    const Fit fit = FitCaps(p.Cr(), FontId::CondensedBold, text, capHeight, 900);
    DrawText(p, FontId::CondensedBold, fit.Size, text, x, y, fit.XScale, caption);
    return fit.InkWidth;
}

// A caption centred on x with a fading line to either side.
void DrawCentredCaption(Picture& p, const std::string& text, double x, double y) {
    cairo_t* cr = p.Cr();
    const Fit fit = FitCaps(cr, FontId::CondensedBold, text, 13, 900);
    DrawCaption(p, text, x - fit.InkWidth / 2, y);
    for (int side : {-1, 1}) {
        const double inner = x + side * (fit.InkWidth / 2 + 12);
        const double outer = x + side * (fit.InkWidth / 2 + 92);
        cairo_pattern_t* line = cairo_pattern_create_linear(inner, 0, outer, 0);
        cairo_pattern_add_color_stop_rgba(line, 0, 0.5, 0.9, 1.0, 0.5);
        cairo_pattern_add_color_stop_rgba(line, 1, 0.5, 0.9, 1.0, 0.0);
        cairo_set_source(cr, line);
        cairo_rectangle(cr, std::min(inner, outer), y + 6, std::abs(outer - inner), 1);
        cairo_fill(cr);
        cairo_pattern_destroy(line);
    }
}

void MakeTitle(const std::string& runDir) {
    const Sky s = TitleSky();
    Field f(TitlePicture.Width, TitlePicture.Height);
    PaintSky(f, s);
    Picture p(TitlePicture.Width, TitlePicture.Height);
    FieldToPicture(f, p, 4242);
    cairo_t* cr = p.Cr();
    // Calm glass behind the menu and options rows, and behind the high-score table.
    SoftPanel(cr, 280, 290, 476, 222, 0.5);
    SoftPanel(cr, 300, 522, 424, 240, 0.45);
    DrawTitleName(p);
    DrawBlockRow(p, 242);
    DrawCentredCaption(p, "HIGH SCORES", 512, 538);
    AvoidColourKey(p);
    SavePicture(runDir, TitlePicture, p);
}

// The controls screen's backdrop: the title's night under a heading, glass behind the rows with
// a caption over each column, and the keys of the screen along the bottom.
void MakeControlsBackdrop(const std::string& runDir) {
    const ControlsPlaces& at = ControlsLayout;
    const PictureFile& file = ControlsBackgroundPicture;
    const Sky s = TitleSky();
    Field f(file.Width, file.Height);
    PaintSky(f, s);
    Picture p(file.Width, file.Height);
    FieldToPicture(f, p, 4243);
    cairo_t* cr = p.Cr();

    TextStyle heading = GlowStyle();
    heading.OutlineWidth = 3.0;
    heading.GlowRadius = 12;
    heading.ShadowRadius = 5;
    heading.ShadowDy = 3;
    const Fit fit = FitCaps(cr, FontId::Bold, "CONTROLS", 54, 700);
    DrawText(p, FontId::Bold, fit.Size, "CONTROLS", 512 - fit.InkWidth / 2, 50, fit.XScale,
             heading);

    const double top = at.FirstRowY - 42;
    const double bottom = at.ResetRowY + 62;
    SoftPanel(cr, at.LabelX - 28, top, at.Right - at.LabelX + 56, bottom - top, 0.5);
    DrawCaption(p, "ACTION", at.LabelX + 8, top + 14);
    DrawCaption(p, "KEYBOARD", at.KeysX, top + 14);
    DrawCaption(p, "GAMEPAD", at.ButtonsX, top + 14);
    // A faint rule between the actions and "reset all".
    const double rule = (at.FirstRowY + 7 * at.RowStep + at.ResetRowY) / 2.0 - 6;
    cairo_pattern_t* line = cairo_pattern_create_linear(at.LabelX, 0, at.Right, 0);
    cairo_pattern_add_color_stop_rgba(line, 0, 0.5, 0.9, 1.0, 0.0);
    cairo_pattern_add_color_stop_rgba(line, 0.5, 0.5, 0.9, 1.0, 0.35);
    cairo_pattern_add_color_stop_rgba(line, 1, 0.5, 0.9, 1.0, 0.0);
    cairo_set_source(cr, line);
    cairo_rectangle(cr, at.LabelX, rule, at.Right - at.LabelX, 1);
    cairo_fill(cr);
    cairo_pattern_destroy(line);

    SoftPanel(cr, at.LabelX - 28, bottom + 22, at.Right - at.LabelX + 56, 74, 0.45);
    const char* help[2] = {
        "UP / DOWN  CHOOSE A ROW        ENTER  NEW KEY OR BUTTON        RIGHT  ADD A SECOND KEY",
        "BACKSPACE  FORGET THE SECOND KEY        ESC  CANCEL, OR SAVE AND GO BACK",
    };
    for (int i = 0; i < 2; ++i) {
        const Fit helpFit = FitCaps(cr, FontId::CondensedBold, help[i], 13, 900);
        DrawCaption(p, help[i], 512 - helpFit.InkWidth / 2, bottom + 40 + 26 * i);
    }
    AvoidColourKey(p);
    SavePicture(runDir, file, p);
}

// Drawn as shapes on a 64-unit square and scaled, so that every size is sharp.
void DrawIcon(Picture& p, int size) {
    const double scale = size / 64.0;
    cairo_t* cr = p.Cr();
    cairo_save(cr);
    cairo_scale(cr, scale, scale);
    RoundedRect(cr, 1, 1, 62, 62, 12);
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, 64);
    cairo_pattern_add_color_stop_rgb(sky, 0, 0.02, 0.03, 0.1);
    cairo_pattern_add_color_stop_rgb(sky, 1, 0.05, 0.15, 0.3);
    cairo_set_source(cr, sky);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(sky);
    cairo_save(cr);
    cairo_clip(cr);
    cairo_identity_matrix(cr);
    Picture glow(size, size);
    cairo_scale(glow.Cr(), scale, scale);
    cairo_move_to(glow.Cr(), -4, 30);
    cairo_curve_to(glow.Cr(), 16, 14, 40, 26, 68, 10);
    cairo_set_source_rgba(glow.Cr(), 0.17, 1.0, 0.65, 0.9);
    cairo_set_line_width(glow.Cr(), 7);
    cairo_stroke(glow.Cr());
    Blur(glow, 5 * scale);
    Paint(p, glow, 0, 0);
    cairo_restore(cr);
    // The orange T of the game, its glass cells shrunk to 16 units.
    const int cells[4][2] = {{0, 0}, {1, 0}, {2, 0}, {1, 1}};
    for (const auto& c : cells) {
        cairo_save(cr);
        cairo_translate(cr, 8 + c[0] * 16, 20 + c[1] * 16);
        cairo_scale(cr, 16.0 / CellSize, 16.0 / CellSize);
        DrawGlassTile(cr, Hex(Blocks[4].Colour));
        cairo_restore(cr);
    }
    RoundedRect(cr, 1.5, 1.5, 61, 61, 12);
    cairo_set_source_rgba(cr, 0.5, 0.9, 1.0, 0.6);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void MakeIcon(const std::string& runDir) {
    Picture p(IconPicture.Width, IconPicture.Height);
    DrawIcon(p, IconPicture.Width);
    AvoidColourKey(p);
    SavePicture(runDir, IconPicture, p);
}

// An .ico file: a directory of the sizes, each image a whole PNG file (as Windows reads them
// since Vista), all numbers little-endian.
void MakeWindowsIcon(const std::string& path) {
    constexpr int Sizes[] = {16, 24, 32, 48, 64, 256};
    constexpr size_t Count = std::size(Sizes);
    std::string directory, images;
    const auto put = [&directory](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) directory += static_cast<char>(value >> (8 * i) & 0xFF);
    };
    put(0, 2);  // reserved
    put(1, 2);  // an icon, not a cursor
    put(Count, 2);
    size_t offset = 6 + 16 * Count;
    for (const int size : Sizes) {
        Picture p(size, size);
        DrawIcon(p, size);
        const std::string png = p.PngBytes();
        put(size % 256, 1);  // 0 means 256
        put(size % 256, 1);
        put(0, 1);  // no palette
        put(0, 1);
        put(1, 2);   // planes
        put(32, 2);  // bits a pixel
        put(static_cast<uint32_t>(png.size()), 4);
        put(static_cast<uint32_t>(offset), 4);
        offset += png.size();
        images += png;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const std::string whole = directory + images;
    const bool written =
        file != nullptr && std::fwrite(whole.data(), 1, whole.size(), file) == whole.size();
    if (file == nullptr || std::fclose(file) != 0 || !written) {
        throw std::runtime_error("cannot write " + path);
    }
}

}  // namespace

void MakePictures(const std::string& runDir) {
    MakeFont(runDir);
    MakeMenu(runDir);
    MakeOptionLabels(runDir);
    MakeControlsLabels(runDir);
    MakeBonusHeading(runDir);
    MakeBlocks(runDir);
    MakeIcon(runDir);
    MakeHud(runDir);
    MakeTitle(runDir);
    MakeControlsBackdrop(runDir);
    MakeBackdrops(runDir);
}

void MakeDesktopIcons(const std::string& iconDir) {
    for (const int size : {32, 48, 64, 128, 256}) {
        const std::string folder =
            iconDir + "/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps/";
        std::filesystem::create_directories(folder);
        Picture p(size, size);
        DrawIcon(p, size);
        p.SavePng(folder + "zantorvix.png");
    }
    MakeWindowsIcon(iconDir + "/zantorvix.ico");
}

void MakeWebIcons(const std::string& webDir) {
    const std::string folder = webDir + "/icons/";
    std::filesystem::create_directories(folder);
    for (const int size : {192, 512}) {
        Picture p(size, size);
        DrawIcon(p, size);
        p.SavePng(folder + "icon-" + std::to_string(size) + ".png");
    }
}

}  // namespace assetgen
