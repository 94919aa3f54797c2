#include "raster.h"

#include <SDL_image.h>
#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace assetgen {

Picture::Picture(int width, int height)
    : width_(width),
      height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr_(cairo_create(surface_)) {
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
        throw std::runtime_error("cannot make a " + std::to_string(width) + "x" +
                                 std::to_string(height) + " picture");
    }
}

Picture::~Picture() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

uint32_t* Picture::Pixels() {
    cairo_surface_flush(surface_);
    return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface_));
}

const uint32_t* Picture::Pixels() const {
    cairo_surface_flush(surface_);
    return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface_));
}

void Picture::SavePng(const std::string& path) const {
    cairo_surface_flush(surface_);
    if (cairo_surface_write_to_png(surface_, path.c_str()) != CAIRO_STATUS_SUCCESS) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string Picture::PngBytes() const {
    cairo_surface_flush(surface_);
    std::string bytes;
    const auto append = [](void* closure, const unsigned char* data, unsigned int length) {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
    };
    if (cairo_surface_write_to_png_stream(surface_, append, &bytes) != CAIRO_STATUS_SUCCESS) {
        throw std::runtime_error("cannot code a picture as PNG");
    }
    return bytes;
}

void Picture::SaveJpeg(const std::string& path, int quality) const {
    // cairo's native-endian ARGB32 is SDL's packed ARGB8888; a JPEG has no alpha to care about.
    std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> surface(
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(Pixels()), width_, height_, 32,
                                           cairo_image_surface_get_stride(surface_),
                                           SDL_PIXELFORMAT_ARGB8888),
        SDL_FreeSurface);
    if (!surface || IMG_SaveJPG(surface.get(), path.c_str(), quality) != 0) {
        throw std::runtime_error("cannot write " + path + ": " + SDL_GetError());
    }
}

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

void Picture::SaveDds(const std::string& path) const {
    // Uncompressed A8R8G8B8 with straight (not premultiplied) alpha.
    std::vector<uint8_t> out;
    out.reserve(128 + static_cast<size_t>(width_) * height_ * 4);
    out.insert(out.end(), {'D', 'D', 'S', ' '});
    PutU32(out, 124);                             // header size
    PutU32(out, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000);  // caps, height, width, pitch, pixel format
    PutU32(out, static_cast<uint32_t>(height_));
    PutU32(out, static_cast<uint32_t>(width_));
    PutU32(out, static_cast<uint32_t>(width_) * 4);  // pitch
    PutU32(out, 0);                                  // depth
    PutU32(out, 0);                                  // mipmap count
    for (int i = 0; i < 11; ++i) PutU32(out, 0);     // reserved
    PutU32(out, 32);                                 // pixel format size
    PutU32(out, 0x40 | 0x1);                         // RGB with alpha
    PutU32(out, 0);                                  // no four-cc
    PutU32(out, 32);                                 // bits per pixel
    PutU32(out, 0x00FF0000);
    PutU32(out, 0x0000FF00);
    PutU32(out, 0x000000FF);
    PutU32(out, 0xFF000000);
    PutU32(out, 0x1000);  // a plain texture
    for (int i = 0; i < 4; ++i) PutU32(out, 0);
    const uint32_t* pixels = Pixels();
    const int stride = cairo_image_surface_get_stride(surface_) / 4;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const uint32_t p = pixels[y * stride + x];
            const uint32_t a = p >> 24;
            uint32_t straight = 0;
            if (a != 0) {
                auto un = [a](uint32_t c) {
                    return std::min<uint32_t>(255, (c * 255 + a / 2) / a);
                };
                straight = (a << 24) | (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) |
                           un(p & 0xFF);
            }
            PutU32(out, straight);
        }
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot write " + path);
    const bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    if (std::fclose(file) != 0 || !ok) throw std::runtime_error("cannot write " + path);
}

void FieldToPicture(const Field& field, Picture& picture, uint32_t ditherSeed) {
    uint32_t* pixels = picture.Pixels();
    const int stride = cairo_image_surface_get_stride(picture.Surface()) / 4;
    for (int y = 0; y < field.H; ++y) {
        for (int x = 0; x < field.W; ++x) {
            const Rgb& c = field.Data[static_cast<size_t>(y) * field.W + x];
            const double dither = (LatticeValue(x, y, ditherSeed) - 0.5) / 255.0;
            // Keep the hue of bright light: scale all three channels by the shoulder of the
            // brightest, and let only the very brightest drift towards white.
            const double peak = std::max({c.R, c.G, c.B, 1e-9});
            double k = 1.0;
            if (peak > 0.75) k = (0.75 + 0.25 * (1 - std::exp(-(peak - 0.75) / 0.25))) / peak;
            const double white = Clamp01((peak - 1.2) * 0.25);
            auto tone = [&](double v) {
                v = std::max(0.0, v) * k;
                v = v + (peak * k - v) * white;
                return static_cast<uint32_t>(Clamp01(v + dither) * 255.0 + 0.5);
            };
            pixels[y * stride + x] = 0xFF000000u | (tone(c.R) << 16) | (tone(c.G) << 8) | tone(c.B);
        }
    }
    picture.MarkDirty();
}

namespace {

// One box pass along rows (horizontal) or columns of premultiplied ARGB.
void BoxPass(uint32_t* px, int w, int h, int stride, int r, bool horizontal) {
    const int n = horizontal ? w : h;
    const int lines = horizontal ? h : w;
    std::vector<uint32_t> line(n);
    for (int l = 0; l < lines; ++l) {
        auto at = [&](int i) -> uint32_t& {
            return horizontal ? px[l * stride + i] : px[i * stride + l];
        };
        for (int i = 0; i < n; ++i) line[i] = at(i);
        uint32_t sum[4] = {0, 0, 0, 0};
        auto addPixel = [&](int i, int sign) {
            if (i < 0 || i >= n) return;
            const uint32_t p = line[i];
            for (int c = 0; c < 4; ++c) sum[c] += sign * ((p >> (8 * c)) & 0xFF);
        };
        for (int i = -r; i <= r; ++i) addPixel(i, 1);
        const uint32_t div = 2 * r + 1;
        for (int i = 0; i < n; ++i) {
            uint32_t out = 0;
            for (int c = 0; c < 4; ++c) out |= ((sum[c] + div / 2) / div) << (8 * c);
            at(i) = out;
            addPixel(i - r, -1);
            addPixel(i + r + 1, 1);
        }
    }
}

}  // namespace

void Blur(Picture& picture, double radius) {
    const int r = std::max(1, static_cast<int>(std::lround(radius / 1.7)));
    uint32_t* px = picture.Pixels();
    const int stride = cairo_image_surface_get_stride(picture.Surface()) / 4;
    for (int pass = 0; pass < 3; ++pass) {
        BoxPass(px, picture.Width(), picture.Height(), stride, r, true);
        BoxPass(px, picture.Width(), picture.Height(), stride, r, false);
    }
    picture.MarkDirty();
}

void Paint(Picture& dst, const Picture& src, double x, double y, double alpha) {
    cairo_t* cr = dst.Cr();
    cairo_save(cr);
    cairo_set_source_surface(cr, src.Surface(), x, y);
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
}

void FadeBorders(Picture& picture, double width) {
    uint32_t* px = picture.Pixels();
    const int stride = cairo_image_surface_get_stride(picture.Surface()) / 4;
    const int w = picture.Width(), h = picture.Height();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double d = std::min({x + 0.5, w - x - 0.5, y + 0.5, h - y - 0.5});
            if (d >= width) continue;
            const double k = SmoothStep(0.0, 1.0, d / width);
            uint32_t& p = px[y * stride + x];
            uint32_t out = 0;
            for (int c = 0; c < 4; ++c) {
                out |= static_cast<uint32_t>(((p >> (8 * c)) & 0xFF) * k + 0.5) << (8 * c);
            }
            p = out;
        }
    }
    picture.MarkDirty();
}

void AvoidColourKey(Picture& picture) {
    uint32_t* px = picture.Pixels();
    const int stride = cairo_image_surface_get_stride(picture.Surface()) / 4;
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            if (px[y * stride + x] == 0xFFFF00FFu) px[y * stride + x] = 0xFFFE00FFu;
        }
    }
    picture.MarkDirty();
}

namespace {

const char* const FontFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf",
};

std::mutex FontLock;
FT_Library FreeType = nullptr;
FT_Face Faces[3] = {nullptr, nullptr, nullptr};
cairo_font_face_t* CairoFaces[3] = {nullptr, nullptr, nullptr};

}  // namespace

cairo_font_face_t* Font(FontId id) {
    std::lock_guard<std::mutex> hold(FontLock);
    const int i = static_cast<int>(id);
    if (!CairoFaces[i]) {
        if (!FreeType && FT_Init_FreeType(&FreeType) != 0) {
            throw std::runtime_error("cannot start FreeType");
        }
        if (FT_New_Face(FreeType, FontFiles[i], 0, &Faces[i]) != 0) {
            throw std::runtime_error(std::string("cannot open the font ") + FontFiles[i] +
                                     " (Debian packages fonts-dejavu-core, fonts-dejavu-extra)");
        }
        CairoFaces[i] = cairo_ft_font_face_create_for_ft_face(Faces[i], 0);
    }
    return CairoFaces[i];
}

void ReleaseFonts() {
    for (int i = 0; i < 3; ++i) {
        if (CairoFaces[i]) cairo_font_face_destroy(CairoFaces[i]);
        CairoFaces[i] = nullptr;
        if (Faces[i]) FT_Done_Face(Faces[i]);
        Faces[i] = nullptr;
    }
    if (FreeType) FT_Done_FreeType(FreeType);
    FreeType = nullptr;
}

namespace {

void SetFont(cairo_t* cr, FontId font, double size) {
    cairo_set_font_face(cr, Font(font));
    cairo_set_font_size(cr, size);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

// Puts the text's outline into cr's current path, ink box top-left at (x, y).
void TextPathAt(cairo_t* cr, FontId font, double size, const std::string& text, double x, double y,
                double xScale) {
    const Bounds b = InkBounds(cr, font, size, text);
    cairo_save(cr);
    cairo_translate(cr, x - b.X0 * xScale, y - b.Y0);
    cairo_scale(cr, xScale, 1.0);
    cairo_move_to(cr, 0, 0);
    cairo_text_path(cr, text.c_str());
    cairo_restore(cr);
}

}  // namespace

Bounds InkBounds(cairo_t* cr, FontId font, double size, const std::string& text) {
    SetFont(cr, font, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, text.c_str(), &e);
    return {e.x_bearing, e.y_bearing, e.x_bearing + e.width, e.y_bearing + e.height};
}

void DrawText(Picture& picture, FontId font, double size, const std::string& text, double x,
              double y, double xScale, const TextStyle& style) {
    const int w = picture.Width();
    auto halo = [&](Rgb colour, double radius, double alpha, double dx, double dy, double extra) {
        // Only the text's neighbourhood is blurred, not the whole picture.
        const Bounds b = InkBounds(picture.Cr(), font, size, text);
        const double pad = 3 * radius + style.OutlineWidth + extra + 2;
        const int lx = static_cast<int>(std::floor(x - pad));
        const int ly = static_cast<int>(std::floor(y - pad));
        const int lw = static_cast<int>(std::ceil(b.Width() * xScale + 2 * pad)) + 2;
        const int lh = static_cast<int>(std::ceil(b.Height() + 2 * pad)) + 2;
        Picture layer(lw, lh);
        cairo_t* lc = layer.Cr();
        TextPathAt(lc, font, size, text, x - lx, y - ly, xScale);
        cairo_set_source_rgb(lc, colour.R, colour.G, colour.B);
        cairo_set_line_width(lc, 2 * (style.OutlineWidth + extra));
        cairo_set_line_join(lc, CAIRO_LINE_JOIN_ROUND);
        cairo_fill_preserve(lc);
        cairo_stroke(lc);
        Blur(layer, radius);
        Paint(picture, layer, lx + dx, ly + dy, alpha);
    };
    if (style.ShadowAlpha > 0) {
        halo(Hex(0x000000), style.ShadowRadius, style.ShadowAlpha, style.ShadowDx, style.ShadowDy,
             0.5);
    }
    if (style.GlowAlpha > 0) {
        halo(style.Glow, style.GlowRadius, std::min(1.0, style.GlowAlpha), 0, 0, 1.0);
        if (style.GlowAlpha > 1)
            halo(style.Glow, style.GlowRadius * 0.5, style.GlowAlpha - 1, 0, 0, 0);
    }

    cairo_t* cr = picture.Cr();
    cairo_save(cr);
    TextPathAt(cr, font, size, text, x, y, xScale);
    if (style.OutlineWidth > 0) {
        cairo_set_source_rgb(cr, style.Outline.R, style.Outline.G, style.Outline.B);
        cairo_set_line_width(cr, 2 * style.OutlineWidth);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
    }
    const Bounds b = InkBounds(cr, font, size, text);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, y, 0, y + b.Height());
    cairo_pattern_add_color_stop_rgb(fill, 0, style.Top.R, style.Top.G, style.Top.B);
    cairo_pattern_add_color_stop_rgb(fill, 1, style.Bottom.R, style.Bottom.G, style.Bottom.B);
    cairo_set_source(cr, fill);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(fill);
    if (style.Sheen > 0) {
        cairo_clip(cr);
        cairo_pattern_t* sheen = cairo_pattern_create_linear(0, y, 0, y + b.Height() * 0.55);
        cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, style.Sheen);
        cairo_pattern_add_color_stop_rgba(sheen, 0.9, 1, 1, 1, style.Sheen * 0.3);
        cairo_pattern_add_color_stop_rgba(sheen, 1, 1, 1, 1, 0);
        cairo_set_source(cr, sheen);
        cairo_rectangle(cr, 0, y - 2, w, b.Height() * 0.55 + 2);
        cairo_fill(cr);
        cairo_pattern_destroy(sheen);
    }
    cairo_new_path(cr);
    cairo_restore(cr);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -Pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, Pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, Pi / 2, Pi);
    cairo_arc(cr, x + r, y + r, r, Pi, 3 * Pi / 2);
    cairo_close_path(cr);
}

}  // namespace assetgen
