// The pictures and sounds the build generates, read back from the run folder: every file the
// game loads is there, in the size and format it is drawn or played at, and the pictures keep
// the promises players rely on (a clear well, blocks told apart without colour, no stray
// colour-key pixels).
#include "game/assets.h"

#include <SDL_image.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/application.h"
#include "game/layout.h"
#include "game/sound_bank.h"
#include "platform/platform.h"
#include "support/scripted_platform.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const std::string RunDir = ZANTORVIX_RUN_DIR;

// The game names files as "gfx//font//A.png" and "sfx\bgm.mp3".
std::string OnDisk(const std::string& name) {
    return RunDir + "/" + RunFolderPath(name);
}

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Be32(const Bytes& b, size_t at) {
    return uint32_t(b.at(at)) << 24 | uint32_t(b.at(at + 1)) << 16 | uint32_t(b.at(at + 2)) << 8 |
           b.at(at + 3);
}
uint32_t Le32(const Bytes& b, size_t at) {
    return b.at(at) | uint32_t(b.at(at + 1)) << 8 | uint32_t(b.at(at + 2)) << 16 |
           uint32_t(b.at(at + 3)) << 24;
}
uint16_t Le16(const Bytes& b, size_t at) {
    return uint16_t(b.at(at) | b.at(at + 1) << 8);
}

// --- Inflate (RFC 1951), just enough to read the PNGs back -----------------------------------

class Inflater {
  public:
    Inflater(const Bytes& in, size_t start) : in_(in), pos_(start) {}

    Bytes Run() {
        int last;
        do {
            last = Bits(1);
            const int type = Bits(2);
            if (type == 0) {
                Stored();
            } else if (type == 1) {
                Fixed();
            } else if (type == 2) {
                Dynamic();
            } else {
                throw std::runtime_error("bad deflate block");
            }
        } while (!last);
        return out_;
    }

  private:
    struct Huffman {
        std::array<int, 16> Count{};
        std::vector<int> Symbol;
    };

    int Bits(int n) {
        while (count_ < n) {
            if (pos_ >= in_.size()) throw std::runtime_error("deflate data runs out");
            buffer_ |= uint32_t(in_[pos_++]) << count_;
            count_ += 8;
        }
        const int v = static_cast<int>(buffer_ & ((1u << n) - 1));
        buffer_ >>= n;
        count_ -= n;
        return v;
    }

    void Stored() {
        buffer_ = 0;
        count_ = 0;
        const size_t len = Le16(in_, pos_);
        pos_ += 4;
        if (pos_ + len > in_.size()) throw std::runtime_error("stored block runs out");
        out_.insert(out_.end(), in_.begin() + pos_, in_.begin() + pos_ + len);
        pos_ += len;
    }

    static Huffman Build(const int* lengths, int n) {
        Huffman h;
        h.Symbol.resize(n);
        for (int i = 0; i < n; ++i) h.Count[lengths[i]]++;
        h.Count[0] = 0;
        std::array<int, 16> offset{};
        for (int len = 1; len < 15; ++len) offset[len + 1] = offset[len] + h.Count[len];
        for (int i = 0; i < n; ++i) {
            if (lengths[i]) h.Symbol[offset[lengths[i]]++] = i;
        }
        return h;
    }

    int Decode(const Huffman& h) {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len <= 15; ++len) {
            code |= Bits(1);
            const int count = h.Count[len];
            if (code - count < first) return h.Symbol[index + (code - first)];
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        throw std::runtime_error("bad Huffman code");
    }

    void Codes(const Huffman& lengths, const Huffman& distances) {
        static const int LengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                           15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                           67, 83, 99, 115, 131, 163, 195, 227, 258};
        static const int LengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                            2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        static const int DistBase[30] = {
            1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
            193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
        static const int DistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                          6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
        for (;;) {
            int symbol = Decode(lengths);
            if (symbol < 256) {
                out_.push_back(static_cast<uint8_t>(symbol));
            } else if (symbol == 256) {
                return;
            } else {
                symbol -= 257;
                if (symbol >= 29) throw std::runtime_error("bad length");
                const int len = LengthBase[symbol] + Bits(LengthExtra[symbol]);
                const int d = Decode(distances);
                if (d >= 30) throw std::runtime_error("bad distance");
                const size_t dist = DistBase[d] + Bits(DistExtra[d]);
                if (dist > out_.size()) throw std::runtime_error("distance too far");
                for (int i = 0; i < len; ++i) out_.push_back(out_[out_.size() - dist]);
            }
        }
    }

    void Fixed() {
        int lengths[320];
        int i = 0;
        for (; i < 144; ++i) lengths[i] = 8;
        for (; i < 256; ++i) lengths[i] = 9;
        for (; i < 280; ++i) lengths[i] = 7;
        for (; i < 288; ++i) lengths[i] = 8;
        for (i = 0; i < 30; ++i) lengths[288 + i] = 5;
        Codes(Build(lengths, 288), Build(lengths + 288, 30));
    }

    void Dynamic() {
        static const int Order[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                      11, 4,  12, 3, 13, 2, 14, 1, 15};
        const int nlen = Bits(5) + 257, ndist = Bits(5) + 1, ncode = Bits(4) + 4;
        int lengths[320] = {};
        for (int i = 0; i < ncode; ++i) lengths[Order[i]] = Bits(3);
        const Huffman codeCodes = Build(lengths, 19);
        int index = 0;
        while (index < nlen + ndist) {
            const int symbol = Decode(codeCodes);
            if (symbol < 16) {
                lengths[index++] = symbol;
            } else {
                int repeat, value = 0;
                if (symbol == 16) {
                    if (index == 0) throw std::runtime_error("repeat with nothing before");
                    value = lengths[index - 1];
                    repeat = 3 + Bits(2);
                } else if (symbol == 17) {
                    repeat = 3 + Bits(3);
                } else {
                    repeat = 11 + Bits(7);
                }
                if (index + repeat > nlen + ndist) throw std::runtime_error("too many lengths");
                while (repeat--) lengths[index++] = value;
            }
        }
        Codes(Build(lengths, nlen), Build(lengths + nlen, ndist));
    }

    const Bytes& in_;
    size_t pos_;
    uint32_t buffer_ = 0;
    int count_ = 0;
    Bytes out_;
};

// --- The three picture formats ------------------------------------------------------------

struct Image {
    int Width = 0, Height = 0;
    std::vector<std::array<uint8_t, 4>> Rgba;  // empty when only the size was read
    const std::array<uint8_t, 4>& At(int x, int y) const { return Rgba.at(size_t(y) * Width + x); }
};

int Paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
}

// 8-bit RGB or RGBA, not interlaced: what the generator writes.
Image ReadPng(const std::string& path) {
    const Bytes b = ReadAll(path);
    static const uint8_t Signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (b.size() < 33 || !std::equal(Signature, Signature + 8, b.begin())) {
        throw std::runtime_error(path + " is not a PNG");
    }
    Image image;
    image.Width = static_cast<int>(Be32(b, 16));
    image.Height = static_cast<int>(Be32(b, 20));
    const int depth = b[24], type = b[25], interlace = b[28];
    if (depth != 8 || (type != 2 && type != 6) || interlace != 0) {
        throw std::runtime_error(path + " is not 8-bit RGB(A) without interlace");
    }
    Bytes data;
    for (size_t at = 8; at + 8 <= b.size();) {
        const uint32_t len = Be32(b, at);
        const std::string kind(b.begin() + at + 4, b.begin() + at + 8);
        if (kind == "IDAT") data.insert(data.end(), b.begin() + at + 8, b.begin() + at + 8 + len);
        at += 12 + len;
    }
    const Bytes raw = Inflater(data, 2).Run();
    const int channels = type == 6 ? 4 : 3;
    const size_t stride = size_t(image.Width) * channels;
    if (raw.size() < (stride + 1) * image.Height) throw std::runtime_error(path + " is short");
    Bytes previous(stride, 0), line(stride);
    image.Rgba.resize(size_t(image.Width) * image.Height);
    for (int y = 0; y < image.Height; ++y) {
        const uint8_t* row = raw.data() + y * (stride + 1);
        const int filter = row[0];
        for (size_t i = 0; i < stride; ++i) {
            const int a = i >= size_t(channels) ? line[i - channels] : 0;
            const int up = previous[i];
            const int c = i >= size_t(channels) ? previous[i - channels] : 0;
            int v = row[1 + i];
            switch (filter) {
                case 1:
                    v += a;
                    break;
                case 2:
                    v += up;
                    break;
                case 3:
                    v += (a + up) / 2;
                    break;
                case 4:
                    v += Paeth(a, up, c);
                    break;
                default:
                    break;
            }
            line[i] = static_cast<uint8_t>(v);
        }
        for (int x = 0; x < image.Width; ++x) {
            auto& p = image.Rgba[size_t(y) * image.Width + x];
            for (int k = 0; k < 3; ++k) p[k] = line[x * channels + k];
            p[3] = channels == 4 ? line[x * channels + 3] : 255;
        }
        previous = line;
    }
    return image;
}

// Width and height from the first start-of-frame marker.
Image ReadJpegSize(const std::string& path) {
    const Bytes b = ReadAll(path);
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8)
        throw std::runtime_error(path + " is not a JPEG");
    for (size_t at = 2; at + 9 < b.size();) {
        if (b[at] != 0xFF) throw std::runtime_error(path + ": lost the marker chain");
        const int marker = b[at + 1];
        const size_t len = size_t(b[at + 2]) << 8 | b[at + 3];
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            Image image;
            image.Height = b[at + 5] << 8 | b[at + 6];
            image.Width = b[at + 7] << 8 | b[at + 8];
            return image;
        }
        at += 2 + len;
    }
    throw std::runtime_error(path + " has no frame header");
}

// Uncompressed A8R8G8B8 with alpha, as the HUD is stored.
Image ReadDds(const std::string& path) {
    const Bytes b = ReadAll(path);
    if (b.size() < 128 || std::string(b.begin(), b.begin() + 4) != "DDS ") {
        throw std::runtime_error(path + " is not a DDS");
    }
    EXPECT_EQ(Le32(b, 4), 124u) << "header size";
    EXPECT_EQ(Le32(b, 76), 32u) << "pixel format size";
    EXPECT_EQ(Le32(b, 80) & 0x41u, 0x41u) << "RGB with alpha";
    EXPECT_EQ(Le32(b, 84), 0u) << "no compression";
    EXPECT_EQ(Le32(b, 88), 32u) << "bits per pixel";
    EXPECT_EQ(Le32(b, 92), 0x00FF0000u);
    EXPECT_EQ(Le32(b, 96), 0x0000FF00u);
    EXPECT_EQ(Le32(b, 100), 0x000000FFu);
    EXPECT_EQ(Le32(b, 104), 0xFF000000u);
    Image image;
    image.Height = static_cast<int>(Le32(b, 12));
    image.Width = static_cast<int>(Le32(b, 16));
    if (b.size() != 128 + size_t(image.Width) * image.Height * 4) {
        throw std::runtime_error(path + " has the wrong amount of pixel data");
    }
    image.Rgba.resize(size_t(image.Width) * image.Height);
    for (size_t i = 0; i < image.Rgba.size(); ++i) {
        const size_t at = 128 + i * 4;  // B, G, R, A
        image.Rgba[i] = {b[at + 2], b[at + 1], b[at], b[at + 3]};
    }
    return image;
}

Image ReadPicture(const std::string& path) {
    const std::string ext = path.substr(path.rfind('.') + 1);
    if (ext == "png") return ReadPng(path);
    if (ext == "jpg") return ReadJpegSize(path);
    if (ext == "dds") return ReadDds(path);
    throw std::runtime_error("unknown picture type: " + path);
}

double Luma(const std::array<uint8_t, 4>& p) {
    return (0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2]) / 255.0;
}

// --- What the game loads ----------------------------------------------------------------

struct LoadList {
    std::vector<std::string> Pictures, Samples;
};

// The file names exactly as the game's start-up asks for them.
LoadList WhatTheGameLoads() {
    ScriptedPlatform platform;
    SetPlatform(&platform);
    LoadTitleSprites();
    LoadGameSprites();
    LoadSoundBank();
    SetPlatform(nullptr);
    return {platform.LoadedPictures, platform.LoadedSamples};
}

std::string BaseName(const std::string& name) {
    const size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

// --- Pictures -------------------------------------------------------------------------------

TEST(AssetsTest, EveryPictureTheGameLoadsIsListedAndHasTheSizeItIsDrawnAt) {
    // The game loads the listed pictures, in the listed order, and nothing else: so the
    // generator, which makes what the list names, makes all it needs.
    const LoadList load = WhatTheGameLoads();
    ASSERT_EQ(load.Pictures.size(), 126u);
    std::vector<std::string> listed;
    for (size_t i = 0; i < SpriteCount; ++i) listed.push_back(EveryPicture[i].Name);
    EXPECT_EQ(load.Pictures, listed);
    // The listed size where the layout depends on one; the layout's limits elsewhere.
    for (const PictureFile& file : EveryPicture) {
        const std::string name = file.Name;
        SCOPED_TRACE(name);
        const std::string base = BaseName(name);
        const std::string path = OnDisk(name);
        ASSERT_TRUE(fs::exists(path)) << path;
        const Image image = ReadPicture(path);
        if (file.Width > 0) {
            EXPECT_EQ(image.Width, file.Width);
        }
        if (file.Height > 0) {
            EXPECT_EQ(image.Height, file.Height);
        }
        if (name.find("background") != std::string::npos) {
            EXPECT_EQ(image.Width, 1024);
            EXPECT_EQ(image.Height, 768);
        } else if (name.find("blocks") != std::string::npos) {
            EXPECT_EQ(image.Width, 26);
            EXPECT_EQ(image.Height, 26);
        } else if (name.find("signs") != std::string::npos) {
            // Set close on the controls screen: as wide as the sign, as high as a letter.
            EXPECT_GE(image.Width, 12);
            EXPECT_LE(image.Width, 24);
            EXPECT_EQ(image.Height, 30);
        } else if (name.find("font") != std::string::npos) {
            // Letters advance 25 (the I 12), digits 20; all stand about 30 high.
            const bool digit = isdigit(static_cast<unsigned char>(base[0]));
            const int advance = digit ? 20 : (base[0] == 'I' ? 12 : 25);
            EXPECT_LE(image.Width, advance);
            EXPECT_GE(image.Width, advance - 4);
            EXPECT_GE(image.Height, 28);
            EXPECT_LE(image.Height, 32);
        } else if (base == "colon.png") {
            EXPECT_LE(image.Width, 14);
            EXPECT_LE(image.Height, 30);
        } else if (base.rfind("start", 0) == 0 || base.rfind("options", 0) == 0 ||
                   base.rfind("exit", 0) == 0) {
            EXPECT_LE(image.Height, 55);
        } else if (base.rfind("on", 0) == 0 || base.rfind("off", 0) == 0) {
            EXPECT_LE(image.Width, 70);
            EXPECT_LE(image.Height, 45);
        } else if (base.rfind("volume", 0) == 0 || base.rfind("bombs", 0) == 0 ||
                   base.rfind("shadow", 0) == 0 || base.rfind("preview", 0) == 0) {
            EXPECT_LE(image.Width, 280);
            EXPECT_LE(image.Height, 45);
        } else if (name.find("controls//") != std::string::npos) {
            // The controls screen's labels end before its keys begin.
            EXPECT_LE(image.Width, ControlsLayout.KeysX - ControlsLayout.LabelX - 8);
            EXPECT_LE(image.Height, 45);
        }
    }
}

TEST(AssetsTest, HighlightedMenuItemsStayCentredOnTheMiddleOfTheScreen) {
    // The menu draws each item at a fixed x; both variants must centre on x 512.
    const struct {
        PictureFile File;
        int X;
    } items[] = {{StartPicture, 450},    {Start2Picture, 434}, {OptionsPicture, 430},
                 {Options2Picture, 412}, {ExitPicture, 467},   {Exit2Picture, 458}};
    for (const auto& item : items) {
        SCOPED_TRACE(item.File.Name);
        const Image image = ReadPng(OnDisk(item.File.Name));
        EXPECT_EQ(item.X * 2 + image.Width, 1024);
        // The lettering itself, not only the picture, is centred.
        int left = image.Width, right = -1;
        for (int y = 0; y < image.Height; ++y) {
            for (int x = 0; x < image.Width; ++x) {
                if (image.At(x, y)[3] > 128) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        ASSERT_GE(right, left);
        EXPECT_NEAR(item.X + (left + right) / 2.0, 512.0, 2.0);
    }
}

TEST(AssetsTest, NoPngUsesTheTransparentColourKeyByAccident) {
    for (const auto& entry : fs::recursive_directory_iterator(RunDir + "/gfx")) {
        if (entry.path().extension() != ".png") continue;
        SCOPED_TRACE(entry.path().string());
        const Image image = ReadPng(entry.path().string());
        int keyed = 0;
        for (const auto& p : image.Rgba)
            keyed += p[0] == 255 && p[1] == 0 && p[2] == 255 && p[3] == 255;
        EXPECT_EQ(keyed, 0);
    }
}

TEST(AssetsTest, LettersAreLightOverADarkOutline) {
    for (char c : std::string("ABCMWIO0123456789")) {
        SCOPED_TRACE(std::string(1, c));
        const PictureFile& file = c >= 'A' ? LetterPictures[c - 'A'] : DigitPictures[c - '0'];
        const Image image = ReadPng(OnDisk(file.Name));
        int light = 0, dark = 0;
        for (const auto& p : image.Rgba) {
            if (p[3] < 200) continue;
            if (Luma(p) > 0.75) ++light;
            if (Luma(p) < 0.15) ++dark;
        }
        EXPECT_GT(light, 20);  // the glyph's face
        EXPECT_GT(dark, 20);   // the outline round it
        // Nothing but the halo touches the picture's edges: letters never run into each other.
        for (int y = 0; y < image.Height; ++y) {
            EXPECT_LT(Luma(image.At(0, y)) * image.At(0, y)[3], 40.0);
            EXPECT_LT(Luma(image.At(image.Width - 1, y)) * image.At(image.Width - 1, y)[3], 40.0);
        }
    }
}

TEST(AssetsTest, BlocksDifferInBrightnessAndInTheirMark) {
    std::vector<std::string> names;
    std::vector<double> brightness;
    std::vector<std::vector<bool>> marks;
    for (const PictureFile& file : BlockPictures) {
        names.push_back(BaseName(file.Name));
        const Image block = ReadPng(OnDisk(file.Name));
        // The tile's body, round the mark.
        double sum = 0;
        int n = 0;
        for (int y = 0; y < 26; ++y) {
            for (int x = 0; x < 26; ++x) {
                const bool centre = std::abs(x - 13) < 8 && std::abs(y - 13) < 8;
                if (!centre && block.At(x, y)[3] == 255) {
                    sum += Luma(block.At(x, y));
                    ++n;
                }
            }
        }
        brightness.push_back(sum / n);
        // The mark: centre pixels that stand apart from the tile's own shade at their height.
        std::vector<bool> mark;
        for (int y = 6; y < 21; ++y) {
            const double rim = (Luma(block.At(4, y)) + Luma(block.At(21, y))) / 2;
            for (int x = 6; x < 21; ++x) mark.push_back(std::abs(Luma(block.At(x, y)) - rim) > 0.2);
        }
        marks.push_back(mark);
    }
    for (size_t a = 0; a < brightness.size(); ++a) {
        for (size_t b = a + 1; b < brightness.size(); ++b) {
            SCOPED_TRACE(names[a] + " and " + names[b]);
            EXPECT_GT(std::abs(brightness[a] - brightness[b]), 0.05)
                << brightness[a] << " against " << brightness[b];
            int differ = 0;
            for (size_t i = 0; i < marks[a].size(); ++i) differ += marks[a][i] != marks[b][i];
            EXPECT_GT(differ, 12);
        }
    }
}

TEST(AssetsTest, ShadowBlockIsSeeThrough) {
    const Image shadow = ReadPng(OnDisk(ShadowBlockPicture.Name));
    const auto& centre = shadow.At(13, 13);
    EXPECT_GT(centre[3], 40);
    EXPECT_LT(centre[3], 200);
    EXPECT_LT(Luma(centre), 0.2);
}

TEST(AssetsTest, HudLeavesTheWellClearAndTheCornerPlain) {
    const Image hud = ReadDds(OnDisk(HudPicture.Name));
    ASSERT_EQ(hud.Width, 1024);
    ASSERT_EQ(hud.Height, 768);
    int opaqueInWell = 0;
    for (int y = 59; y < 709; ++y) {
        for (int x = 317; x < 707; ++x) opaqueInWell += hud.At(x, y)[3] != 0;
    }
    EXPECT_EQ(opaqueInWell, 0) << "the backdrop must show through the whole well";
    // A frame round it.
    EXPECT_GT(hud.At(312, 300)[3], 200);
    EXPECT_GT(hud.At(712, 300)[3], 200);
    EXPECT_GT(hud.At(500, 54)[3], 200);
    EXPECT_GT(hud.At(500, 714)[3], 200);
    // Dark, nearly opaque ground where the counters and the frame rate are drawn.
    for (auto [x0, y0, x1, y1] : {std::array<int, 4>{1, 1, 40, 30},
                                  {192, 522, 290, 548},
                                  {737, 522, 834, 548},
                                  {197, 647, 294, 673}}) {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                ASSERT_GT(hud.At(x, y)[3], 200) << x << "," << y;
                ASSERT_LT(Luma(hud.At(x, y)), 0.3) << x << "," << y;
            }
        }
    }
}

TEST(AssetsTest, TitleKeepsTheMenuAndTableAreasCalm) {
    const Image title = ReadPng(OnDisk(TitlePicture.Name));
    // Behind the menu, the options rows and the high-score table the picture stays dark, so
    // the light lettering reads.
    for (auto [x0, y0, x1, y1] :
         {std::array<int, 4>{300, 300, 750, 500}, {320, 565, 710, 765}, {415, 380, 580, 410}}) {
        double sum = 0, brightest = 0;
        int n = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                sum += Luma(title.At(x, y));
                brightest = std::max(brightest, Luma(title.At(x, y)));
                ++n;
            }
        }
        EXPECT_LT(sum / n, 0.25);
        EXPECT_LT(brightest, 0.75);
    }
}

// --- Sounds ---------------------------------------------------------------------------------

struct Wav {
    int Channels = 0, Rate = 0, Bits = 0, Format = 0;
    std::vector<int16_t> Samples;  // interleaved
};

Wav ReadWav(const std::string& path) {
    const Bytes b = ReadAll(path);
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE") {
        throw std::runtime_error(path + " is not a WAV");
    }
    Wav wav;
    for (size_t at = 12; at + 8 <= b.size();) {
        const std::string id(b.begin() + at, b.begin() + at + 4);
        const uint32_t len = Le32(b, at + 4);
        if (id == "fmt ") {
            wav.Format = Le16(b, at + 8);
            wav.Channels = Le16(b, at + 10);
            wav.Rate = static_cast<int>(Le32(b, at + 12));
            wav.Bits = Le16(b, at + 22);
        } else if (id == "data") {
            for (size_t i = 0; i + 1 < len && at + 8 + i + 1 < b.size(); i += 2) {
                wav.Samples.push_back(static_cast<int16_t>(Le16(b, at + 8 + i)));
            }
        }
        at += 8 + len + (len & 1);
    }
    return wav;
}

struct Mp3 {
    int Frames = 0, Rate = 0;
    bool Stereo = true, Layer3 = true;
    double Seconds = 0;
};

// Walks the MPEG audio frames, skipping an ID3v2 tag and the encoder's info frame alike.
Mp3 ReadMp3(const std::string& path) {
    const Bytes b = ReadAll(path);
    size_t at = 0;
    if (b.size() > 10 && b[0] == 'I' && b[1] == 'D' && b[2] == '3') {
        at = 10 + (size_t(b[6] & 0x7F) << 21 | size_t(b[7] & 0x7F) << 14 |
                   size_t(b[8] & 0x7F) << 7 | (b[9] & 0x7F));
    }
    static const int Bitrates[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                     112, 128, 160, 192, 224, 256, 320, 0};
    static const int Rates[4] = {44100, 48000, 32000, 0};
    Mp3 mp3;
    while (at + 4 <= b.size()) {
        if (b[at] != 0xFF || (b[at + 1] & 0xE0) != 0xE0) break;
        const int version = (b[at + 1] >> 3) & 3, layer = (b[at + 1] >> 1) & 3;
        const int bitrate = Bitrates[b[at + 2] >> 4], rate = Rates[(b[at + 2] >> 2) & 3];
        const int padding = (b[at + 2] >> 1) & 1, mode = b[at + 3] >> 6;
        if (version != 3 || bitrate == 0 || rate == 0) break;  // MPEG-1 only
        mp3.Layer3 = mp3.Layer3 && layer == 1;
        mp3.Stereo = mp3.Stereo && mode != 3;
        mp3.Rate = rate;
        ++mp3.Frames;
        at += 144 * bitrate * 1000 / rate + padding;
    }
    if (at < b.size() && !(b.size() - at == 128 && b[at] == 'T' && b[at + 1] == 'A')) {
        throw std::runtime_error(path + ": stray bytes after frame " + std::to_string(mp3.Frames));
    }
    mp3.Seconds = mp3.Rate ? mp3.Frames * 1152.0 / mp3.Rate : 0;
    return mp3;
}

TEST(AssetsTest, EverySoundTheGameLoadsIsThereInItsFormat) {
    const LoadList load = WhatTheGameLoads();
    ASSERT_EQ(load.Samples.size(), 15u);
    for (const std::string& name : load.Samples) {
        SCOPED_TRACE(name);
        const std::string path = OnDisk(name);
        ASSERT_TRUE(fs::exists(path)) << path;
        if (name.find(".mp3") != std::string::npos) {
            const Mp3 mp3 = ReadMp3(path);
            EXPECT_TRUE(mp3.Layer3);
            EXPECT_TRUE(mp3.Stereo);
            EXPECT_EQ(mp3.Rate, 44100);
            EXPECT_GE(mp3.Seconds, 60.0);
            EXPECT_LE(mp3.Seconds, 90.0);
            continue;
        }
        const Wav wav = ReadWav(path);
        EXPECT_EQ(wav.Format, 1);  // PCM
        EXPECT_EQ(wav.Bits, 16);
        EXPECT_EQ(wav.Rate, 44100);
        ASSERT_GE(wav.Channels, 1);
        ASSERT_FALSE(wav.Samples.empty());
        const double seconds = double(wav.Samples.size()) / wav.Channels / wav.Rate;
        EXPECT_GT(seconds, 0.03);
        EXPECT_LT(seconds, 2.5);
        // Peaks at most -1 dBFS; starts and ends at rest, so nothing clicks.
        int peak = 0;
        for (int16_t s : wav.Samples) peak = std::max(peak, std::abs(int(s)));
        EXPECT_LE(peak, 29205);
        EXPECT_GT(peak, 3000) << "audible at all";
        for (int i = 0; i < wav.Channels; ++i) {
            EXPECT_LT(std::abs(int(wav.Samples[i])), 300);
            EXPECT_LT(std::abs(int(wav.Samples[wav.Samples.size() - 1 - i])), 300);
        }
    }
}

TEST(AssetsTest, EffectsSitWithinAFewDecibelsOfEachOther) {
    // Loudest 100 ms of each effect, in dBFS: none far louder than the rest.
    std::vector<std::pair<double, std::string>> levels;
    for (const auto& entry : fs::directory_iterator(RunDir + "/sfx")) {
        if (entry.path().extension() != ".wav") continue;
        const Wav wav = ReadWav(entry.path().string());
        const size_t window = size_t(wav.Rate / 10) * wav.Channels;
        double loudest = 0;
        for (size_t start = 0; start < wav.Samples.size(); start += window / 4) {
            double sum = 0;
            const size_t end = std::min(wav.Samples.size(), start + window);
            for (size_t i = start; i < end; ++i) sum += double(wav.Samples[i]) * wav.Samples[i];
            loudest = std::max(loudest, std::sqrt(sum / window) / 32768.0);
            if (end == wav.Samples.size()) break;
        }
        levels.push_back({20 * std::log10(loudest), entry.path().filename().string()});
    }
    ASSERT_EQ(levels.size(), 12u);
    std::sort(levels.begin(), levels.end());
    EXPECT_LT(levels.back().first - levels[1].first, 12.0)
        << levels.back().second << " against " << levels[1].second;
    EXPECT_LT(levels.back().first, -10.0) << levels.back().second;
}

TEST(AssetsTest, EverythingTogetherStaysUnderTwelveMegabytes) {
    uintmax_t total = 0;
    for (const char* folder : {"/gfx", "/sfx"}) {
        for (const auto& entry : fs::recursive_directory_iterator(RunDir + folder)) {
            if (entry.is_regular_file()) total += entry.file_size();
        }
    }
    EXPECT_LT(total, 12u * 1000 * 1000);
}

// --- The browser's copy --------------------------------------------------------------------

const std::string WebCopyDir = ZANTORVIX_WEB_COPY_DIR;

std::string TextOf(const std::string& path) {
    const Bytes bytes = ReadAll(path);
    return std::string(bytes.begin(), bytes.end());
}

std::string Gunzipped(const std::string& packed) {
    z_stream stream{};
    if (inflateInit2(&stream, 15 + 16) != Z_OK) throw std::runtime_error("zlib");
    std::string out;
    char buffer[1 << 16];
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - stream.avail_out);
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END) throw std::runtime_error("a packed file is not whole gzip");
    return out;
}

// A picture's pixels as SDL_image reads it, as 0xAARRGGBB.
std::vector<uint32_t> Argb(const std::string& path) {
    SDL_Surface* read = IMG_Load(path.c_str());
    if (read == nullptr) throw std::runtime_error("cannot read " + path);
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(read, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(read);
    std::vector<uint32_t> pixels;
    for (int y = 0; y < argb->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(argb->pixels) + y * argb->pitch);
        pixels.insert(pixels.end(), row, row + argb->w);
    }
    SDL_FreeSurface(argb);
    return pixels;
}

// Samples of a sound file as libsndfile reads it, whatever its format; empty when it cannot.
struct Decoded {
    SF_INFO Info{};
    std::vector<double> Samples;  // interleaved
};
Decoded Decode(const std::string& path) {
    Decoded sound;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &sound.Info);
    if (file == nullptr) return sound;
    sound.Samples.resize(static_cast<size_t>(sound.Info.frames * sound.Info.channels));
    sf_readf_double(file, sound.Samples.data(), sound.Info.frames);
    sf_close(file);
    return sound;
}

// The page's two packs hold every picture and sound the game loads, each once: what the loading
// screen shows (and the window's icon) in the first, the rest in the order the game first needs
// them (the tunes, which the page reads when they first play, last, the title's first), each
// file as the desktop has it. Only the effects differ: Ogg Vorbis under the same names,
// which sound as the WAVs do, sample for sample in time, at the same loudness.
TEST(AssetsTest, TheBrowsersPacksHoldEveryFileAndItsEffectsSoundAsTheDesktops) {
    const std::string index = TextOf(WebCopyDir + "/packs.json");
    const std::regex packPattern(R"re("(\w+\.data)":\{"size":(\d+),"files":\[(.*?)\]\})re");
    const std::regex filePattern(R"re(\["/([^"]+)",(\d+),(\d+)(,1)?\])re");
    std::vector<std::string> order;
    std::vector<std::string> first;
    for (std::sregex_iterator pack(index.begin(), index.end(), packPattern), end; pack != end;
         ++pack) {
        const std::string name = (*pack)[1];
        const Bytes bytes = ReadAll(WebCopyDir + "/" + name);
        EXPECT_EQ(bytes.size(), std::stoull((*pack)[2])) << name;
        const std::string files = (*pack)[3];
        for (std::sregex_iterator file(files.begin(), files.end(), filePattern); file != end;
             ++file) {
            const std::string path = (*file)[1];
            (name == "first.data" ? first : order).push_back(path);
            const size_t start = std::stoull((*file)[2]), stop = std::stoull((*file)[3]);
            ASSERT_LE(stop, bytes.size()) << path;
            std::string packed(bytes.begin() + static_cast<long>(start),
                               bytes.begin() + static_cast<long>(stop));
            if ((*file)[4].matched) packed = Gunzipped(packed);
            if (path == RunFolderPath(TitlePicture.Name)) {
                // The loading screen's picture is a JPEG in the page, the same to the eye.
                EXPECT_EQ(packed, TextOf(WebCopyDir + "/" + path));
                EXPECT_EQ(packed.substr(0, 3), "\xFF\xD8\xFF");
                const std::vector<uint32_t> png = Argb(RunDir + "/" + path);
                const std::vector<uint32_t> jpeg = Argb(WebCopyDir + "/" + path);
                ASSERT_EQ(png.size(), jpeg.size());
                double sum = 0;
                for (size_t i = 0; i < png.size(); ++i) {
                    for (const int shift : {16, 8, 0}) {
                        sum += std::abs(int(png[i] >> shift & 0xFF) - int(jpeg[i] >> shift & 0xFF));
                    }
                    EXPECT_NE(jpeg[i] & 0xFFFFFF, 0xFF00FFu) << "a pixel the game would key out";
                }
                EXPECT_LT(sum / (3.0 * png.size()), 1.5);
                continue;
            }
            if (path.rfind(".wav") != path.size() - 4) {
                EXPECT_TRUE(packed == TextOf(RunDir + "/" + path)) << path;
                continue;
            }
            EXPECT_EQ(packed.substr(0, 4), "OggS") << path;
            const Decoded wav = Decode(RunDir + "/" + path);
            const Decoded ogg = Decode(WebCopyDir + "/" + path);
            EXPECT_EQ(packed, TextOf(WebCopyDir + "/" + path)) << path;
            ASSERT_EQ(ogg.Info.channels, wav.Info.channels) << path;
            ASSERT_EQ(ogg.Info.samplerate, wav.Info.samplerate) << path;
            ASSERT_EQ(ogg.Info.frames, wav.Info.frames) << path;
            double signal = 0, error = 0, heard = 0;
            for (size_t i = 0; i < wav.Samples.size(); ++i) {
                signal += wav.Samples[i] * wav.Samples[i];
                heard += ogg.Samples[i] * ogg.Samples[i];
                error += (wav.Samples[i] - ogg.Samples[i]) * (wav.Samples[i] - ogg.Samples[i]);
            }
            // A sound that started late, or early, would differ by about as much as it holds.
            EXPECT_GT(10 * std::log10(signal / error), 10.0) << path;
            EXPECT_NEAR(10 * std::log10(heard / signal), 0.0, 0.5) << path;
        }
    }

    std::vector<std::string> loaded;
    for (const PictureFile& picture : EveryPicture) loaded.push_back(RunFolderPath(picture.Name));
    for (const char* sound : SoundFiles) {
        if (std::string(sound).find(".mp3") == std::string::npos) {
            loaded.push_back(RunFolderPath(sound));
        }
    }
    for (const SoundSlot tune : {SoundTitleMusic, SoundGameMusic, SoundGameMusicLoop}) {
        loaded.push_back(RunFolderPath(SoundFiles[tune]));
    }
    std::vector<std::string> expectedFirst = {RunFolderPath(TitlePicture.Name)};
    for (const PictureFile& letter : LetterPictures)
        expectedFirst.push_back(RunFolderPath(letter.Name));
    expectedFirst.push_back(RunFolderPath(IconPicture.Name));
    EXPECT_EQ(first, expectedFirst);
    std::vector<std::string> rest;
    for (const std::string& path : loaded) {
        if (std::find(first.begin(), first.end(), path) == first.end()) rest.push_back(path);
    }
    EXPECT_EQ(order, rest);
}

}  // namespace
