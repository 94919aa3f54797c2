// The frame composed on the CPU: the pictures of a frame blended into 1024x768 pixels exactly as
// SDL's software renderer blends them, but only where the frame changed and with arithmetic that
// does several channels at once; then scaled into the window's own pixels as SDL's linear
// scaling does it. A machine without a graphics card draws every frame this way.
#pragma once

#include <SDL_rect.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/dds.h"
#include "platform/platform.h"

// One picture of a frame: which, where (unscaled, so its own size), and its ARGB colour.
struct PictureDraw {
    TextureId Texture;
    SDL_Rect Where;
    uint32_t Colour;
    bool operator==(const PictureDraw& other) const {
        return Texture == other.Texture && Where.x == other.Where.x && Where.y == other.Where.y &&
               Where.w == other.Where.w && Where.h == other.Where.h && Colour == other.Colour;
    }
};

// A few rectangles of the 1024x768 frame, overlapping rectangles merged.
class ChangedArea {
  public:
    void Add(const SDL_Rect& rect);
    void AddWholeFrame() { Add({0, 0, ScreenWidth, ScreenHeight}); }
    const std::vector<SDL_Rect>& Rects() const { return Parts; }
    bool Empty() const { return Parts.empty(); }

  private:
    std::vector<SDL_Rect> Parts;
};

// Where two frames' pictures can differ: the pictures that are in one and not in the other, after
// the ones both share at their start and at their end. When the pictures they both hold come in
// another order, all of those between count too.
ChangedArea FindChanges(const std::vector<PictureDraw>& before,
                        const std::vector<PictureDraw>& now);

// 0xAARRGGBB pixels, 1024x768, as SDL's software renderer leaves its target: pixels of its own,
// or the window's own where it shows the frame at that very size.
class SoftwareFrame {
  public:
    SoftwareFrame() { Place(nullptr, 0); }

    // From now on the frame is `pixels` (a row `pitch` pixels long, the window's own), or
    // pixels of its own again (null). Either way, what they hold is to be composed anew.
    void Place(uint32_t* pixels, int32_t pitch);
    const uint32_t* Placed() const { return Own.empty() ? Base : nullptr; }

    // Composes the part `clip` of the frame anew: black, then every picture in order, each over
    // the ones before it. `pictureOf` gives a picture's pixels, or null for none, and whether
    // every pixel of it is opaque.
    template <typename PictureOf>
    void Compose(const SDL_Rect& clip, const std::vector<PictureDraw>& draws, PictureOf pictureOf) {
        bool begun = false;  // the clip holds black, or the first picture over black
        for (const PictureDraw& draw : draws) {
            bool opaque = false;
            const DecodedImage* picture = pictureOf(draw.Texture, opaque);
            if (!begun) {
                begun = true;
                if (picture != nullptr &&
                    CoverBlack(*picture, draw.Where.x, draw.Where.y, draw.Colour, opaque, clip)) {
                    continue;
                }
                Fill(clip, 0xFF000000u);
            }
            if (picture != nullptr) Blend(*picture, draw.Where.x, draw.Where.y, draw.Colour, clip);
        }
        if (!begun) Fill(clip, 0xFF000000u);
    }
    // Blends the part of `picture` inside `clip`, its top-left pixel at (x, y), with the colour
    // multiplied in and its alpha over what is there.
    void Blend(const DecodedImage& picture, int32_t x, int32_t y, uint32_t colour,
               const SDL_Rect& clip);
    // The first picture of a part it covers, when it is opaque: what it blends to over black,
    // written without reading the frame at all (the picture itself at full strength, its colours
    // times the alpha when faded). False, having done nothing, for any other picture.
    bool CoverBlack(const DecodedImage& picture, int32_t x, int32_t y, uint32_t colour, bool opaque,
                    const SDL_Rect& clip);
    void Fill(const SDL_Rect& rect, uint32_t pixel);

    // Every pixel, rows top to bottom.
    std::vector<uint32_t> All() const;
    const uint32_t* Row(int32_t y) const { return Base + static_cast<ptrdiff_t>(y) * Pitch; }

  private:
    uint32_t* Row(int32_t y) { return Base + static_cast<ptrdiff_t>(y) * Pitch; }
    std::vector<uint32_t> Own;  // empty while the frame is the window's pixels
    uint32_t* Base = nullptr;
    int32_t Pitch = ScreenWidth;
};

// Where the 1024x768 frame stands in a window of this size: as large as fits, with bars on two
// sides, as SDL's logical size places it.
SDL_Rect FrameViewport(int32_t windowWidth, int32_t windowHeight);

// How a window keeps its pixels: 0xXXRRGGBB with the top byte unused, 0xAARRGGBB, or 0xAABBGGRR
// (a page's canvas, whose alpha must be full).
enum class WindowPixels : uint8_t { Xrgb, Argb, Abgr };

// The frame put into the window's own pixels at the viewport's size: copied when that is the
// frame's own size, otherwise scaled with the arithmetic of SDL's linear scaling (seven bits of
// weight each way, rounded down once), any part of the viewport on its own.
class FrameScaler {
  public:
    // For a viewport of this size.
    void Resize(int32_t width, int32_t height);
    // The part of the viewport (in its own pixels) that shows anything of `changed` (a rectangle
    // of the frame).
    SDL_Rect Affected(const SDL_Rect& changed) const;
    // Writes the part `part` of the viewport (in its own pixels) at `out`, the pixel of the
    // viewport's top-left corner, `pitch` bytes a row.
    void Put(const SoftwareFrame& frame, const SDL_Rect& part, uint8_t* out, int32_t pitch,
             WindowPixels pixels) const;

  private:
    struct Tap {
        int32_t Index;   // the first of the two source pixels (columns or rows)
        int32_t Weight;  // of the second, 0 to 128; the first weighs 128 less this
    };
    static std::vector<Tap> TapsFor(int32_t source, int32_t target);
    std::vector<Tap> Columns, Rows;
    std::vector<uint16_t> ColumnWeights;  // each column's two weights, four times each
    int32_t Width = 0, Height = 0;
};
