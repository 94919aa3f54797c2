// The DDS reader on files written here: good ones in every supported layout, and damaged ones
// that must be refused with a reason and never read out of bounds.
#include "platform/dds.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr uint32_t AlphaPixels = 0x1, FourCc = 0x4, Rgb = 0x40;

struct DdsFile {
    uint32_t Width = 2;
    uint32_t Height = 2;
    uint32_t FormatFlags = Rgb | AlphaPixels;
    uint32_t FourCcCode = 0;
    uint32_t BitCount = 32;
    uint32_t Masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};  // R, G, B, A
    uint32_t Caps2 = 0;
    std::vector<uint32_t> Raw;  // pixel words as stored

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> bytes(128 + Raw.size() * 4, 0);
        auto put = [&](size_t at, uint32_t value) {
            for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
        };
        std::memcpy(bytes.data(), "DDS ", 4);
        put(4, 124);
        put(8, 0x100F);  // caps, height, width, pitch, pixel format
        put(12, Height);
        put(16, Width);
        put(20, Width * 4);
        put(76, 32);
        put(80, FormatFlags);
        put(84, FourCcCode);
        put(88, BitCount);
        for (int i = 0; i < 4; ++i) put(92 + 4 * i, Masks[i]);
        put(108, 0x1000);  // texture
        put(112, Caps2);
        for (size_t i = 0; i < Raw.size(); ++i) put(128 + 4 * i, Raw[i]);
        return bytes;
    }
};

uint32_t Code(const char* text) {
    return static_cast<uint32_t>(text[0]) | static_cast<uint32_t>(text[1]) << 8 |
           static_cast<uint32_t>(text[2]) << 16 | static_cast<uint32_t>(text[3]) << 24;
}

struct Decoded {
    bool Ok;
    DecodedImage Image;
    std::string Error;
};

Decoded Decode(const std::vector<uint8_t>& bytes) {
    Decoded result;
    result.Image.Width = 99;  // must be cleared on failure
    result.Image.Pixels.assign(3, 7);
    result.Ok = DecodeDds(bytes.data(), bytes.size(), result.Image, result.Error);
    return result;
}

void ExpectRefused(const std::vector<uint8_t>& bytes, const std::string& reasonPart) {
    const Decoded result = Decode(bytes);
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Image.Width, 0);
    EXPECT_EQ(result.Image.Height, 0);
    EXPECT_TRUE(result.Image.Pixels.empty());
    EXPECT_NE(result.Error.find(reasonPart), std::string::npos) << "error was: " << result.Error;
}

TEST(DdsTest, ReadsArgbPixelsRowByRowFromTheTop) {
    DdsFile file;
    file.Width = 3;
    file.Raw = {0xFFFF0000, 0x8000FF00, 0x000000FF,  // top row: red, half green, clear blue
                0xFF123456, 0xFFFF00FF, 0x7F010203};
    const Decoded result = Decode(file.Bytes());
    ASSERT_TRUE(result.Ok) << result.Error;
    EXPECT_EQ(result.Image.Width, 3);
    EXPECT_EQ(result.Image.Height, 2);
    EXPECT_EQ(result.Image.Pixels, file.Raw);
}

TEST(DdsTest, ReadsAbgrAndOpaqueXrgbLayouts) {
    DdsFile abgr;
    abgr.Width = 2;
    abgr.Height = 1;
    abgr.Masks[0] = 0x000000FF;
    abgr.Masks[2] = 0x00FF0000;
    abgr.Raw = {0x80332211, 0xFF0000FF};
    Decoded result = Decode(abgr.Bytes());
    ASSERT_TRUE(result.Ok) << result.Error;
    EXPECT_EQ(result.Image.Pixels, (std::vector<uint32_t>{0x80112233, 0xFFFF0000}));

    // X8R8G8B8: whatever the unused byte holds, the picture is opaque.
    DdsFile xrgb;
    xrgb.Width = 2;
    xrgb.Height = 1;
    xrgb.FormatFlags = Rgb;
    xrgb.Masks[3] = 0;
    xrgb.Raw = {0x00ABCDEF, 0x5A010203};
    result = Decode(xrgb.Bytes());
    ASSERT_TRUE(result.Ok) << result.Error;
    EXPECT_EQ(result.Image.Pixels, (std::vector<uint32_t>{0xFFABCDEF, 0xFF010203}));

    // An alpha mask without the alpha flag is not used either.
    xrgb.Masks[3] = 0xFF000000;
    result = Decode(xrgb.Bytes());
    ASSERT_TRUE(result.Ok) << result.Error;
    EXPECT_EQ(result.Image.Pixels[0], 0xFFABCDEFu);
}

TEST(DdsTest, WidensNarrowChannelsAndIgnoresSmallerLevelsAfterTheTop) {
    DdsFile file;
    file.Width = 1;
    file.Height = 1;
    // A2R10G10B10: full red, half green, no blue, alpha 1 of 3.
    file.Masks[0] = 0x3FF00000;
    file.Masks[1] = 0x000FFC00;
    file.Masks[2] = 0x000003FF;
    file.Masks[3] = 0xC0000000;
    file.Raw = {0x40000000u | 0x3FFu << 20 | 0x200u << 10};
    std::vector<uint8_t> bytes = file.Bytes();
    bytes.resize(bytes.size() + 64, 0xEE);  // mipmap levels follow the top level
    const Decoded result = Decode(bytes);
    ASSERT_TRUE(result.Ok) << result.Error;
    EXPECT_EQ(result.Image.Pixels, (std::vector<uint32_t>{0x55FF8000}));
}

TEST(DdsTest, RefusesFilesThatAreNotUncompressed32BitRgb) {
    ExpectRefused({}, "not a DDS file");
    DecodedImage image;
    std::string error;
    EXPECT_FALSE(DecodeDds(nullptr, 0, image, error));

    std::vector<uint8_t> bytes = DdsFile{.Raw = {1, 2, 3, 4}}.Bytes();
    bytes[3] = 'X';
    ExpectRefused(bytes, "not a DDS file");

    DdsFile compressed{.FormatFlags = FourCc, .FourCcCode = Code("DXT5"), .BitCount = 0, .Raw = {}};
    ExpectRefused(compressed.Bytes(), "DXT5");
    compressed.FourCcCode = Code("DX10");
    ExpectRefused(compressed.Bytes(), "DX10");
    compressed.FourCcCode = 0x01020304;  // unprintable codes are not echoed raw
    ExpectRefused(compressed.Bytes(), "'\?\?\?\?'");

    DdsFile rgb24{
        .FormatFlags = Rgb, .BitCount = 24, .Masks = {0xFF0000, 0xFF00, 0xFF, 0}, .Raw = {}};
    rgb24.Raw.assign(3, 0);
    ExpectRefused(rgb24.Bytes(), "24 bits");

    DdsFile luminance{.FormatFlags = 0x20000, .Raw = {0, 0, 0, 0}};
    ExpectRefused(luminance.Bytes(), "not RGB");

    DdsFile cube{.Caps2 = 0x200 | 0xFC00, .Raw = {0, 0, 0, 0}};
    ExpectRefused(cube.Bytes(), "cube");
}

TEST(DdsTest, RefusesDamagedHeadersAndMasks) {
    std::vector<uint8_t> bytes = DdsFile{.Raw = {0, 0, 0, 0}}.Bytes();
    bytes[4] = 100;  // header size
    ExpectRefused(bytes, "damaged DDS header");

    DdsFile overlapping{.Masks = {0x00FF0000, 0x00FFFF00, 0xFF, 0xFF000000}, .Raw = {0, 0, 0, 0}};
    ExpectRefused(overlapping.Bytes(), "masks");
    DdsFile holes{.Masks = {0x00F0F000, 0x00000F00, 0x0000000F, 0xFF000000}, .Raw = {0, 0, 0, 0}};
    ExpectRefused(holes.Bytes(), "masks");
    DdsFile noRed{.Masks = {0, 0xFF00, 0xFF, 0xFF000000}, .Raw = {0, 0, 0, 0}};
    ExpectRefused(noRed.Bytes(), "masks");
}

TEST(DdsTest, RefusesTruncatedDataAndAbsurdSizesWithoutReadingPastTheEnd) {
    const std::vector<uint8_t> good =
        DdsFile{.Width = 3, .Height = 2, .Raw = {1, 2, 3, 4, 5, 6}}.Bytes();
    ASSERT_TRUE(Decode(good).Ok);
    // Every shorter copy, in a buffer of exactly that size, fails cleanly.
    for (size_t size = 0; size < good.size(); ++size) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(size));
        const Decoded result = Decode(cut);
        EXPECT_FALSE(result.Ok) << "size " << size;
        EXPECT_FALSE(result.Error.empty());
    }
    ExpectRefused(std::vector<uint8_t>(good.begin(), good.end() - 1), "truncated");
    ExpectRefused(std::vector<uint8_t>(good.begin(), good.begin() + 100), "truncated");

    ExpectRefused(DdsFile{.Width = 0, .Height = 5, .Raw = {}}.Bytes(), "out of range");
    ExpectRefused(DdsFile{.Width = 5, .Height = 0, .Raw = {}}.Bytes(), "out of range");
    ExpectRefused(DdsFile{.Width = 100000, .Height = 100000, .Raw = {}}.Bytes(), "out of range");
    // Sizes whose byte count overflows 32 bits must not wrap into something small.
    ExpectRefused(DdsFile{.Width = 0xFFFFFFFF, .Height = 0xFFFFFFFF, .Raw = {}}.Bytes(),
                  "out of range");
    ExpectRefused(DdsFile{.Width = 0x40000001, .Height = 4, .Raw = {1, 2, 3, 4}}.Bytes(),
                  "out of range");
    ExpectRefused(DdsFile{.Width = DdsMaxSide, .Height = DdsMaxSide, .Raw = {1}}.Bytes(),
                  "truncated");
}

TEST(DdsTest, SurvivesRandomDamage) {
    DdsFile file{.Width = 4, .Height = 4, .Raw = {}};
    for (uint32_t i = 0; i < 16; ++i) file.Raw.push_back(i * 0x01010101u);
    const std::vector<uint8_t> good = file.Bytes();
    uint32_t state = 12345;
    auto next = [&] { return state = state * 1664525u + 1013904223u; };
    int decoded = 0;
    for (int round = 0; round < 5000; ++round) {
        std::vector<uint8_t> bytes = good;
        const int flips = 1 + static_cast<int>(next() % 4);
        for (int f = 0; f < flips; ++f) {
            // Mostly the header, where damage matters.
            const size_t at = next() % (next() % 4 == 0 ? bytes.size() : 128);
            bytes[at] = static_cast<uint8_t>(next() >> 24);
        }
        if (next() % 8 == 0) bytes.resize(next() % bytes.size());
        DecodedImage image;
        std::string error;
        if (DecodeDds(bytes.data(), bytes.size(), image, error)) {
            ++decoded;
            ASSERT_GT(image.Width, 0);
            ASSERT_GT(image.Height, 0);
            ASSERT_EQ(image.Pixels.size(), static_cast<size_t>(image.Width) * image.Height);
            ASSERT_LE(image.Pixels.size() * 4, bytes.size() - 128);
        } else {
            ASSERT_FALSE(error.empty());
            ASSERT_TRUE(image.Pixels.empty());
        }
    }
    EXPECT_GT(decoded, 0);  // damage to the pixels alone still reads
}

}  // namespace
