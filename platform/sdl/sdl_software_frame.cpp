#include "platform/sdl/sdl_software_frame.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <tuple>

namespace {

// --- Two pixels at once --------------------------------------------------------------------------
// The eight channels of two neighbouring pixels as 16-bit lanes of one vector (the compiler's own
// vectors: SSE2 on a desktop, WebAssembly's SIMD in a page), blue the lowest: one multiplication
// by a byte weighs them all, since no lane's product passes 16 bits.

typedef uint16_t Lanes __attribute__((vector_size(16)));
typedef uint8_t Bytes __attribute__((vector_size(16)));
typedef uint8_t EightBytes __attribute__((vector_size(8)));
typedef uint64_t Quads __attribute__((vector_size(16)));

// The bytes of two pixels, each widened to a lane (interleaved with zeros).
Lanes LoadTwo(const void* pixels) {
    uint64_t two;
    std::memcpy(&two, pixels, sizeof two);
    const Quads loaded = {two, 0};
    const Bytes widened = __builtin_shufflevector(reinterpret_cast<Bytes>(loaded), Bytes{}, 0, 16,
                                                  1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
    return reinterpret_cast<Lanes>(widened);
}

// Every lane holds a byte's value: their low bytes, two pixels.
uint64_t Narrow(Lanes lanes) {
    const EightBytes narrowed = __builtin_convertvector(lanes, EightBytes);
    uint64_t pixels;
    std::memcpy(&pixels, &narrowed, sizeof pixels);
    return pixels;
}

void StoreTwo(void* pixels, Lanes lanes) {
    const uint64_t narrowed = Narrow(lanes);
    std::memcpy(pixels, &narrowed, sizeof narrowed);
}

// Each pixel's alpha in all four of its lanes.
Lanes AlphaOfEach(Lanes lanes) {
    return __builtin_shufflevector(lanes, lanes, 3, 3, 3, 3, 7, 7, 7, 7);
}

const Lanes AlphaLanes = {0, 0, 0, 0xFFFF, 0, 0, 0, 0xFFFF};

// Every lane (at most 255 * 255) divided by 255, rounded down, as SDL divides.
Lanes DivideBy255(Lanes lanes) {
    return (lanes + 1 + (lanes >> 8)) >> 8;
}

// A picture at full strength: SDL's blend of a texture with its own alpha and no colour (its MMX
// blitter's arithmetic on the desktop): a clear pixel leaves the frame alone, an opaque one
// replaces it, and any other is a / 256 of the picture and (255 - a) / 256 of the frame, each
// rounded down, the alpha taking 255 / 256 of a.
void BlendPlain(const uint32_t* from, uint32_t* to, int32_t count) {
    int32_t i = 0;
    for (; i + 2 <= count; i += 2) {
        const Lanes source = LoadTwo(from + i), below = LoadTwo(to + i);
        const Lanes alpha = AlphaOfEach(source);
        const Lanes clear = reinterpret_cast<Lanes>(alpha == 0);
        const Lanes opaque = reinterpret_cast<Lanes>(alpha == 255);
        const Lanes weight = (alpha & ~AlphaLanes) | (255 & AlphaLanes);
        const Lanes mixed = ((source * weight) >> 8) + ((below * (255 - alpha)) >> 8);
        StoreTwo(to + i, (mixed & ~(clear | opaque)) | (below & clear) | (source & opaque));
    }
    if (i < count) {  // the last one alone, with a clear one beside it
        const uint32_t pair[2] = {from[i], 0};
        uint32_t below[2] = {to[i], 0};
        BlendPlain(pair, below, 2);
        to[i] = below[0];
    }
}

// A picture with a colour (a fade's alpha, a tint): SDL's blend with colour and alpha
// modulation, every division by 255 rounded down. The colour multiplies the picture's channels,
// the faded alpha then multiplies its colours, and the frame keeps (255 - alpha) / 255 of itself.
void BlendTinted(const uint32_t* from, uint32_t* to, int32_t count, uint32_t colour) {
    const uint32_t colours[2] = {colour | 0xFF000000u, colour | 0xFF000000u};
    const Lanes tint = LoadTwo(colours);
    const bool tinted = (colour & 0xFFFFFFu) != 0xFFFFFFu;
    const uint16_t fade = static_cast<uint16_t>(colour >> 24);
    int32_t i = 0;
    for (; i + 2 <= count; i += 2) {
        Lanes source = LoadTwo(from + i);
        if (tinted) source = DivideBy255(source * tint);
        const Lanes alpha = DivideBy255(AlphaOfEach(source) * fade);
        const Lanes picture = (DivideBy255(source * alpha) & ~AlphaLanes) | (alpha & AlphaLanes);
        StoreTwo(to + i, picture + DivideBy255(LoadTwo(to + i) * (255 - alpha)));
    }
    if (i < count) {  // the last one alone, with a clear one beside it
        const uint32_t pair[2] = {from[i], 0};
        uint32_t below[2] = {to[i], 0};
        BlendTinted(pair, below, 2, colour);
        to[i] = below[0];
    }
}

using DrawKey = std::tuple<TextureId, int, int, int, int, uint32_t>;

DrawKey KeyOf(const PictureDraw& draw) {
    return {draw.Texture, draw.Where.x, draw.Where.y, draw.Where.w, draw.Where.h, draw.Colour};
}

bool TouchOrOverlap(const SDL_Rect& a, const SDL_Rect& b) {
    return a.x <= b.x + b.w && b.x <= a.x + a.w && a.y <= b.y + b.h && b.y <= a.y + a.h;
}

// More small rectangles than this are not worth keeping apart.
constexpr size_t MostRects = 8;

}  // namespace

// --- What changed --------------------------------------------------------------------------------

void ChangedArea::Add(const SDL_Rect& rect) {
    const SDL_Rect frame{0, 0, ScreenWidth, ScreenHeight};
    SDL_Rect part;
    if (!SDL_IntersectRect(&rect, &frame, &part)) return;
    // Merged with every rectangle it touches, and again while the merged one touches more.
    for (size_t i = 0; i < Parts.size();) {
        if (TouchOrOverlap(Parts[i], part)) {
            SDL_UnionRect(&Parts[i], &part, &part);
            Parts.erase(Parts.begin() + static_cast<std::ptrdiff_t>(i));
            i = 0;
        } else {
            ++i;
        }
    }
    Parts.push_back(part);
    if (Parts.size() > MostRects) {
        for (size_t i = 1; i < Parts.size(); ++i) SDL_UnionRect(&Parts[0], &Parts[i], &Parts[0]);
        Parts.resize(1);
    }
}

ChangedArea FindChanges(const std::vector<PictureDraw>& before,
                        const std::vector<PictureDraw>& now) {
    ChangedArea changed;
    const size_t shorter = std::min(before.size(), now.size());
    size_t start = 0;
    while (start < shorter && before[start] == now[start]) ++start;
    size_t end = 0;
    while (end < shorter - start && before[before.size() - 1 - end] == now[now.size() - 1 - end]) {
        ++end;
    }
    const size_t oldCount = before.size() - start - end, newCount = now.size() - start - end;

    // The old middle's pictures sorted, so that each new one finds its equal, the earliest
    // not yet taken.
    std::vector<std::pair<DrawKey, size_t>> old;
    old.reserve(oldCount);
    for (size_t i = 0; i < oldCount; ++i) old.push_back({KeyOf(before[start + i]), i});
    std::sort(old.begin(), old.end());
    std::vector<size_t> takenOfRun(oldCount, 0);  // by the place where a run of equals begins
    std::vector<bool> oldShared(oldCount, false);
    std::vector<const PictureDraw*> added;
    bool sameOrder = true;
    size_t lastShared = 0;
    bool anyShared = false;
    for (size_t i = 0; i < newCount; ++i) {
        const PictureDraw& draw = now[start + i];
        const auto run =
            std::equal_range(old.begin(), old.end(), std::pair<DrawKey, size_t>{KeyOf(draw), 0},
                             [](const auto& a, const auto& b) { return a.first < b.first; });
        const size_t first = static_cast<size_t>(run.first - old.begin());
        const size_t count = static_cast<size_t>(run.second - run.first);
        if (count == 0 || takenOfRun[first] == count) {
            added.push_back(&draw);
            continue;
        }
        const size_t at = old[first + takenOfRun[first]++].second;
        oldShared[at] = true;
        if (anyShared && at < lastShared) sameOrder = false;
        lastShared = at;
        anyShared = true;
    }
    for (size_t i = 0; i < oldCount; ++i) {
        if (!sameOrder || !oldShared[i]) changed.Add(before[start + i].Where);
    }
    if (!sameOrder) {
        for (size_t i = 0; i < newCount; ++i) changed.Add(now[start + i].Where);
    } else {
        for (const PictureDraw* draw : added) changed.Add(draw->Where);
    }
    return changed;
}

// --- Composing -----------------------------------------------------------------------------------

void SoftwareFrame::Place(uint32_t* pixels, int32_t pitch) {
    if (pixels != nullptr) {
        Own = std::vector<uint32_t>();  // the memory itself goes
        Base = pixels;
        Pitch = pitch;
        return;
    }
    if (Own.empty()) Own.assign(static_cast<size_t>(ScreenWidth) * ScreenHeight, 0xFF000000u);
    Base = Own.data();
    Pitch = ScreenWidth;
}

std::vector<uint32_t> SoftwareFrame::All() const {
    std::vector<uint32_t> pixels;
    pixels.reserve(static_cast<size_t>(ScreenWidth) * ScreenHeight);
    for (int32_t y = 0; y < ScreenHeight; ++y)
        pixels.insert(pixels.end(), Row(y), Row(y) + ScreenWidth);
    return pixels;
}

void SoftwareFrame::Fill(const SDL_Rect& rect, uint32_t pixel) {
    for (int32_t y = rect.y; y < rect.y + rect.h; ++y) {
        std::fill(Row(y) + rect.x, Row(y) + rect.x + rect.w, pixel);
    }
}

bool SoftwareFrame::CoverBlack(const DecodedImage& picture, int32_t x, int32_t y, uint32_t colour,
                               bool opaque, const SDL_Rect& clip) {
    const SDL_Rect where{x, y, picture.Width, picture.Height};
    SDL_Rect part;
    if (!opaque || (colour & 0xFFFFFFu) != 0xFFFFFFu || !SDL_IntersectRect(&where, &clip, &part) ||
        !SDL_RectEquals(&part, &clip)) {
        return false;
    }
    // Over black, an opaque picture faded to alpha f keeps f / 255 of its colours (rounded down)
    // and the frame stays opaque; at full strength it is simply itself.
    const uint16_t fade = static_cast<uint16_t>(colour >> 24);
    for (int32_t row = part.y; row < part.y + part.h; ++row) {
        const uint32_t* from = picture.Pixels.data() +
                               static_cast<size_t>(row - y) * static_cast<size_t>(picture.Width) +
                               (part.x - x);
        uint32_t* to = Row(row) + part.x;
        if (fade == 255) {
            std::memcpy(to, from, static_cast<size_t>(part.w) * sizeof(uint32_t));
            continue;
        }
        int32_t i = 0;
        for (; i + 2 <= part.w; i += 2) {
            StoreTwo(to + i, DivideBy255(LoadTwo(from + i) * fade) | (255 & AlphaLanes));
        }
        if (i < part.w) {
            const uint32_t pair[2] = {from[i], 0};
            to[i] = static_cast<uint32_t>(
                Narrow(DivideBy255(LoadTwo(pair) * fade) | (255 & AlphaLanes)));
        }
    }
    return true;
}

void SoftwareFrame::Blend(const DecodedImage& picture, int32_t x, int32_t y, uint32_t colour,
                          const SDL_Rect& clip) {
    if (colour >> 24 == 0) return;  // fully faded: nothing shows
    const SDL_Rect where{x, y, picture.Width, picture.Height};
    SDL_Rect part;
    if (!SDL_IntersectRect(&where, &clip, &part)) return;
    const bool plain = colour == 0xFFFFFFFFu;
    for (int32_t row = part.y; row < part.y + part.h; ++row) {
        const uint32_t* from = picture.Pixels.data() +
                               static_cast<size_t>(row - y) * static_cast<size_t>(picture.Width) +
                               (part.x - x);
        uint32_t* to = Row(row) + part.x;
        if (plain) {
            BlendPlain(from, to, part.w);
        } else {
            BlendTinted(from, to, part.w, colour);
        }
    }
}

// --- To the window -------------------------------------------------------------------------------

SDL_Rect FrameViewport(int32_t windowWidth, int32_t windowHeight) {
    // SDL's logical size, step by step and in its own number types, so that every size of window
    // gets the very rectangle it got from SDL.
    const int w = windowWidth, h = windowHeight;
    const float wanted = static_cast<float>(ScreenWidth) / ScreenHeight;
    const float real = static_cast<float>(w) / static_cast<float>(h);
    float scale;
    SDL_Rect viewport{0, 0, w, h};
    if (std::fabs(wanted - real) < 0.0001f) {
        scale = static_cast<float>(w) / ScreenWidth;
    } else if (wanted > real) {
        scale = static_cast<float>(w) / ScreenWidth;
        viewport.h = static_cast<int>(std::floor(ScreenHeight * scale));
        viewport.y = (h - viewport.h) / 2;
    } else {
        scale = static_cast<float>(h) / ScreenHeight;
        viewport.w = static_cast<int>(std::floor(ScreenWidth * scale));
        viewport.x = (w - viewport.w) / 2;
    }
    const auto drawn = [scale](int size) {
        const float logical = static_cast<float>(static_cast<double>(size) / scale);
        return std::min(size, static_cast<int>(logical * scale));
    };
    return {viewport.x, viewport.y, drawn(viewport.w), drawn(viewport.h)};
}

std::vector<FrameScaler::Tap> FrameScaler::TapsFor(int32_t source, int32_t target) {
    // SDL's linear scaling: positions in 16.16 fixed point from the first target pixel's centre,
    // the weight the top seven bits of the fraction, and the edges held to the first or last
    // source pixel.
    const int32_t step =
        static_cast<int32_t>((static_cast<uint32_t>(source) << 16) / static_cast<uint32_t>(target));
    const int64_t half = static_cast<int64_t>(step) * 0x8000;
    const int32_t first = static_cast<int32_t>((half + 0x8000) >> 16) - 0x8000;
    std::vector<Tap> taps(static_cast<size_t>(target));
    for (int32_t i = 0; i < target; ++i) {
        const int32_t position = first + i * step;
        Tap& tap = taps[static_cast<size_t>(i)];
        if (position < 0) {
            tap = {0, 0};
        } else if ((position >> 16) > source - 2) {
            tap = {source - 2, 128};
        } else {
            tap = {position >> 16, (position >> 9) & 127};
        }
    }
    return taps;
}

void FrameScaler::Resize(int32_t width, int32_t height) {
    if (width == Width && height == Height) return;
    Width = width;
    Height = height;
    Columns = TapsFor(ScreenWidth, width);
    Rows = TapsFor(ScreenHeight, height);
    ColumnWeights.clear();
    for (const Tap& column : Columns) {
        const uint16_t left = static_cast<uint16_t>(128 - column.Weight);
        const uint16_t right = static_cast<uint16_t>(column.Weight);
        ColumnWeights.insert(ColumnWeights.end(),
                             {left, left, left, left, right, right, right, right});
    }
}

SDL_Rect FrameScaler::Affected(const SDL_Rect& changed) const {
    if (Width == ScreenWidth && Height == ScreenHeight) return changed;
    // The target pixels whose two source pixels reach into the changed ones; the taps only ever
    // move forward.
    const auto span = [](const std::vector<Tap>& taps, int32_t from, int32_t size) {
        const auto begin = std::partition_point(
            taps.begin(), taps.end(), [from](const Tap& tap) { return tap.Index + 1 < from; });
        const auto end = std::partition_point(
            begin, taps.end(),
            [last = from + size - 1](const Tap& tap) { return tap.Index <= last; });
        return std::pair<int32_t, int32_t>{static_cast<int32_t>(begin - taps.begin()),
                                           static_cast<int32_t>(end - begin)};
    };
    const auto [x, w] = span(Columns, changed.x, changed.w);
    const auto [y, h] = span(Rows, changed.y, changed.h);
    return {x, y, w, h};
}

void FrameScaler::Put(const SoftwareFrame& frame, const SDL_Rect& part, uint8_t* out, int32_t pitch,
                      WindowPixels pixels) const {
    const bool redBlueSwapped = pixels == WindowPixels::Abgr;
    if (part.w <= 0 || part.h <= 0) return;
    if (Width == ScreenWidth && Height == ScreenHeight) {
        for (int32_t y = part.y; y < part.y + part.h; ++y) {
            const uint32_t* from = frame.Row(y) + part.x;
            auto* to =
                reinterpret_cast<uint32_t*>(out + static_cast<ptrdiff_t>(y) * pitch) + part.x;
            if (pixels == WindowPixels::Xrgb) {
                // The top byte is no alpha for such a window: the frame's own shows nothing.
                std::memcpy(to, from, static_cast<size_t>(part.w) * sizeof(uint32_t));
                continue;
            }
            int32_t x = 0;
            for (; x + 4 <= part.w; x += 4) {  // four pixels at once
                Bytes four;
                std::memcpy(&four, from + x, sizeof four);
                if (redBlueSwapped) {
                    four = __builtin_shufflevector(four, four, 2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11,
                                                   14, 13, 12, 15);
                }
                four |= Bytes{0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
                std::memcpy(to + x, &four, sizeof four);
            }
            for (; x < part.w; ++x) {
                const uint32_t pixel = from[x] | 0xFF000000u;
                to[x] = redBlueSwapped ? (pixel & 0xFF00FF00u) | ((pixel >> 16) & 0xFFu) |
                                             ((pixel & 0xFFu) << 16)
                                       : pixel;
            }
        }
        return;
    }
    // Weighing the two source columns of every target column first and the two source rows
    // after gives SDL's very sums (it weighs the rows first; nothing is rounded in between), and
    // each source row's columns are then weighed once for the two or so target rows that use it.
    // A weighed row keeps four 16-bit channels a pixel, each at most 255 * 128.
    const size_t count = static_cast<size_t>(part.w);
    std::vector<uint64_t> weighed[2] = {std::vector<uint64_t>(count + 1),
                                        std::vector<uint64_t>(count + 1)};
    int32_t weighedRow[2] = {-1, -1};
    const auto weigh = [&](int32_t row, int32_t keep) {
        const int32_t slot = weighedRow[0] == keep ? 1 : 0;
        if (weighedRow[0] == row) return weighed[0].data();
        if (weighedRow[1] == row) return weighed[1].data();
        weighedRow[slot] = row;
        uint64_t* to = weighed[slot].data();
        const uint32_t* from = frame.Row(row);
        for (size_t i = 0; i < count; ++i) {
            const size_t column = static_cast<size_t>(part.x) + i;
            Lanes weights;
            std::memcpy(&weights, &ColumnWeights[8 * column], sizeof weights);
            const Lanes both = LoadTwo(from + Columns[column].Index) * weights;
            const Lanes sum = both + __builtin_shufflevector(both, both, 4, 5, 6, 7, 0, 1, 2, 3);
            std::memcpy(to + i, &sum, sizeof(uint64_t));
        }
        return to;
    };
    // Then (top * (128 - w) + bottom * w) >> 14 a channel, in 16-bit lanes: with each weighed
    // value split into its high and low byte, 256 * high + low, both sums fit, and
    // (high sum + low sum / 256) / 64 is the same number.
    for (int32_t y = part.y; y < part.y + part.h; ++y) {
        const Tap row = Rows[static_cast<size_t>(y)];
        const uint64_t* top = weigh(row.Index, row.Index + 1);
        const uint64_t* bottom = weigh(std::min(row.Index + 1, ScreenHeight - 1), row.Index);
        const uint16_t bottomWeight = static_cast<uint16_t>(row.Weight);
        const uint16_t topWeight = static_cast<uint16_t>(128 - row.Weight);
        auto* to = reinterpret_cast<uint32_t*>(out + static_cast<ptrdiff_t>(y) * pitch) + part.x;
        for (size_t i = 0; i < count; i += 2) {
            Lanes upper, lower;  // two pixels of each
            std::memcpy(&upper, top + i, sizeof upper);
            std::memcpy(&lower, bottom + i, sizeof lower);
            const Lanes high = (upper >> 8) * topWeight + (lower >> 8) * bottomWeight;
            const Lanes low = (upper & 255) * topWeight + (lower & 255) * bottomWeight;
            Lanes two = ((high + (low >> 8)) >> 6) | (255 & AlphaLanes);
            if (redBlueSwapped) two = __builtin_shufflevector(two, two, 2, 1, 0, 3, 6, 5, 4, 7);
            const uint64_t narrowed = Narrow(two);
            if (i + 1 < count) {
                std::memcpy(to + i, &narrowed, 8);
            } else {
                to[i] = static_cast<uint32_t>(narrowed);
            }
        }
    }
}
