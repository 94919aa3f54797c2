#include "platform/dds.h"

#include <bit>

namespace {

// Layout of the file: the signature, then a 124-byte header, then the top level's pixels.
constexpr size_t SignatureSize = 4;
constexpr size_t HeaderSize = 124;
constexpr size_t PixelFormatSize = 32;
constexpr size_t DataOffset = SignatureSize + HeaderSize;

// Byte offsets from the start of the file.
constexpr size_t HeaderSizeAt = 4;
constexpr size_t FlagsAt = 8;
constexpr size_t HeightAt = 12;
constexpr size_t WidthAt = 16;
constexpr size_t DepthAt = 24;
constexpr size_t PixelFormatSizeAt = 76;
constexpr size_t PixelFormatFlagsAt = 80;
constexpr size_t FourCcAt = 84;
constexpr size_t BitCountAt = 88;
constexpr size_t RedMaskAt = 92;
constexpr size_t GreenMaskAt = 96;
constexpr size_t BlueMaskAt = 100;
constexpr size_t AlphaMaskAt = 104;
constexpr size_t Caps2At = 112;

constexpr uint32_t HeaderDepthFlag = 0x800000;  // DDSD_DEPTH
constexpr uint32_t AlphaPixelsFlag = 0x1;       // DDPF_ALPHAPIXELS
constexpr uint32_t FourCcFlag = 0x4;            // DDPF_FOURCC
constexpr uint32_t RgbFlag = 0x40;              // DDPF_RGB
constexpr uint32_t CubeMapCaps = 0x200;         // DDSCAPS2_CUBEMAP
constexpr uint32_t VolumeCaps = 0x200000;       // DDSCAPS2_VOLUME

uint32_t ReadU32(const uint8_t* data, size_t at) {
    return static_cast<uint32_t>(data[at]) | static_cast<uint32_t>(data[at + 1]) << 8 |
           static_cast<uint32_t>(data[at + 2]) << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
}

// One colour channel of the pixel format: where its bits are and how to widen them to 8 bits.
struct Channel {
    uint32_t Mask = 0;
    int Shift = 0;
    uint32_t Max = 0;  // the largest value the channel can hold; 0 when the channel is absent

    uint32_t Read(uint32_t pixel) const {
        if (Max == 0) return 0xFF;
        const uint32_t value = (pixel & Mask) >> Shift;
        return static_cast<uint32_t>((static_cast<uint64_t>(value) * 255 + Max / 2) / Max);
    }
};

// A mask must be one run of set bits; an empty mask is only allowed where `optional`.
bool MakeChannel(uint32_t mask, bool optional, Channel& channel) {
    channel = Channel{};
    if (mask == 0) return optional;
    channel.Mask = mask;
    channel.Shift = std::countr_zero(mask);
    const uint32_t run = mask >> channel.Shift;
    if ((run & (run + 1)) != 0) return false;  // holes in the run
    channel.Max = run;
    return true;
}

std::string FourCcText(uint32_t code) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>((code >> (8 * i)) & 0xFF);
        text += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return text;
}

bool Fail(DecodedImage& out, std::string& error, std::string message) {
    out = DecodedImage{};
    error = std::move(message);
    return false;
}

}  // namespace

bool DecodeDds(const uint8_t* data, size_t size, DecodedImage& out, std::string& error) {
    out = DecodedImage{};
    if (data == nullptr || size < SignatureSize || ReadU32(data, 0) != 0x20534444) {
        return Fail(out, error, "not a DDS file (no \"DDS \" signature)");
    }
    if (size < DataOffset) return Fail(out, error, "truncated DDS header");
    if (ReadU32(data, HeaderSizeAt) != HeaderSize ||
        ReadU32(data, PixelFormatSizeAt) != PixelFormatSize) {
        return Fail(out, error, "damaged DDS header (wrong header sizes)");
    }

    const uint32_t formatFlags = ReadU32(data, PixelFormatFlagsAt);
    if (formatFlags & FourCcFlag) {
        return Fail(out, error,
                    "DDS pixel format '" + FourCcText(ReadU32(data, FourCcAt)) +
                        "' is not supported (only uncompressed 32-bit RGB)");
    }
    if (!(formatFlags & RgbFlag)) {
        return Fail(out, error, "DDS picture is not RGB (only uncompressed 32-bit RGB)");
    }
    const uint32_t bitCount = ReadU32(data, BitCountAt);
    if (bitCount != 32) {
        return Fail(out, error,
                    "DDS picture has " + std::to_string(bitCount) +
                        " bits per pixel (only uncompressed 32-bit RGB)");
    }
    const uint32_t caps2 = ReadU32(data, Caps2At);
    const bool deep = (ReadU32(data, FlagsAt) & HeaderDepthFlag) && ReadU32(data, DepthAt) > 1;
    if ((caps2 & (CubeMapCaps | VolumeCaps)) || deep) {
        return Fail(out, error, "DDS cube maps and volumes are not supported");
    }

    Channel red, green, blue, alpha;
    const uint32_t alphaMask = (formatFlags & AlphaPixelsFlag) ? ReadU32(data, AlphaMaskAt) : 0;
    const uint32_t masks[4] = {ReadU32(data, RedMaskAt), ReadU32(data, GreenMaskAt),
                               ReadU32(data, BlueMaskAt), alphaMask};
    const bool overlap = (masks[0] & masks[1]) || (masks[0] & masks[2]) || (masks[0] & masks[3]) ||
                         (masks[1] & masks[2]) || (masks[1] & masks[3]) || (masks[2] & masks[3]);
    if (overlap || !MakeChannel(masks[0], false, red) || !MakeChannel(masks[1], false, green) ||
        !MakeChannel(masks[2], false, blue) || !MakeChannel(masks[3], true, alpha)) {
        return Fail(out, error, "DDS colour masks are damaged");
    }

    const uint32_t width = ReadU32(data, WidthAt);
    const uint32_t height = ReadU32(data, HeightAt);
    if (width == 0 || height == 0 || width > DdsMaxSide || height > DdsMaxSide) {
        return Fail(out, error,
                    "DDS picture size " + std::to_string(width) + "x" + std::to_string(height) +
                        " is out of range");
    }
    // Both sides are at most 2^14, so this cannot overflow 64 bits.
    const uint64_t needed = static_cast<uint64_t>(width) * height * 4;
    if (needed > size - DataOffset) {
        return Fail(out, error,
                    "DDS pixel data is truncated (" + std::to_string(size - DataOffset) + " of " +
                        std::to_string(needed) + " bytes)");
    }

    out.Width = static_cast<int32_t>(width);
    out.Height = static_cast<int32_t>(height);
    out.Pixels.resize(static_cast<size_t>(width) * height);
    const uint8_t* source = data + DataOffset;
    for (size_t i = 0; i < out.Pixels.size(); ++i) {
        const uint32_t pixel = ReadU32(source, i * 4);
        out.Pixels[i] = alpha.Read(pixel) << 24 | red.Read(pixel) << 16 | green.Read(pixel) << 8 |
                        blue.Read(pixel);
    }
    error.clear();
    return true;
}
