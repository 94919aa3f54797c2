// Pictures drawn with cairo, the fonts they letter with, and the three file formats the game
// reads (PNG, JPEG, uncompressed DDS).
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common.h"

namespace assetgen {

// One ARGB32 cairo surface and its drawing context. Pixels are premultiplied, as cairo keeps them.
class Picture {
  public:
    Picture(int width, int height);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    cairo_t* Cr() const { return cr_; }
    cairo_surface_t* Surface() const { return surface_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    uint32_t* Pixels();
    const uint32_t* Pixels() const;
    void MarkDirty() { cairo_surface_mark_dirty(surface_); }

    // Each throws std::runtime_error naming the file when it cannot be written.
    void SavePng(const std::string& path) const;
    // The picture as a PNG file's bytes.
    std::string PngBytes() const;
    void SaveJpeg(const std::string& path, int quality) const;
    void SaveDds(const std::string& path) const;

  private:
    int width_, height_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

// A float RGB field for the big painted backdrops, where light adds up before tone mapping.
struct Field {
    Field(int width, int height) : W(width), H(height), Data(static_cast<size_t>(width) * height) {}
    Rgb& At(int x, int y) { return Data[static_cast<size_t>(y) * W + x]; }
    void Add(int x, int y, Rgb c, double k) {
        if (x < 0 || y < 0 || x >= W || y >= H) return;
        Rgb& p = At(x, y);
        p.R += c.R * k;
        p.G += c.G * k;
        p.B += c.B * k;
    }
    int W, H;
    std::vector<Rgb> Data;
};

// Soft tone map into an opaque picture, with a faint fixed dither against banding.
void FieldToPicture(const Field& field, Picture& picture, uint32_t ditherSeed);

// Gaussian-like blur of a whole picture (three box passes each way).
void Blur(Picture& picture, double radius);

// Copies src onto dst at (x, y) with the given opacity.
void Paint(Picture& dst, const Picture& src, double x, double y, double alpha = 1.0);

// Fades the picture to nothing over the given width at all four borders, so that a glow cut
// by the picture's edge ends softly instead of in a visible box.
void FadeBorders(Picture& picture, double width);

// Opaque magenta is the colour the game makes transparent; nudge any pixel that lands on it.
void AvoidColourKey(Picture& picture);

enum class FontId { Bold, CondensedBold, MonoBold };
cairo_font_face_t* Font(FontId id);
void ReleaseFonts();

// Sets font and size on cr and returns the ink bounds of text with its origin at (0, 0).
struct Bounds {
    double X0, Y0, X1, Y1;
    double Width() const { return X1 - X0; }
    double Height() const { return Y1 - Y0; }
};
Bounds InkBounds(cairo_t* cr, FontId font, double size, const std::string& text);

// How a piece of lettering looks: a vertical gradient fill, a dark outline, an optional glow
// behind and a soft drop shadow.
struct TextStyle {
    Rgb Top = Hex(0xFFFFFF), Bottom = Hex(0xBFE6FF);
    Rgb Outline = Hex(0x040A18);
    double OutlineWidth = 2.0;  // pixels outside the glyph edge
    Rgb Glow = Hex(0x40E0FF);
    double GlowRadius = 0, GlowAlpha = 0;
    double ShadowRadius = 0, ShadowAlpha = 0, ShadowDx = 0, ShadowDy = 0;
    double Sheen = 0.0;  // strength of a light band across the upper half of the glyphs
};

// Draws text with its ink box's top-left at (x, y), squeezed horizontally by xScale.
void DrawText(Picture& picture, FontId font, double size, const std::string& text, double x,
              double y, double xScale, const TextStyle& style);

// Rounded rectangle path.
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);

}  // namespace assetgen
