// A reader for uncompressed 32-bit DirectDraw Surface pictures. Pure: bytes in, pixels out, no
// file or graphics calls, so that it can be fed anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DecodedImage {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint32_t> Pixels;  // 0xAARRGGBB, rows top to bottom, Width * Height of them
};

// The largest side accepted; anything bigger is a damaged header, not a picture of this game.
constexpr uint32_t DdsMaxSide = 16384;

// Decodes the top level of a DDS file held in memory. Reads 32-bit RGB pictures with any
// non-overlapping contiguous channel masks (A8R8G8B8, A8B8G8R8, X8R8G8B8, ...); a picture
// without an alpha mask reads as opaque. On failure returns false, leaves `out` empty and says
// why in `error`.
bool DecodeDds(const uint8_t* data, size_t size, DecodedImage& out, std::string& error);
