// The real SDL platform, run on SDL's dummy video and audio drivers: pictures composed and read
// back pixel by pixel, the mixer's channels and volumes, the window's close request, the
// keyboard table, clocks, and the messages for missing files and devices.
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/keyboard.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_picture.h"
#include "platform/sdl/sdl_platform_impl.h"
#include "support/game_fixture.h"

namespace {

constexpr uint32_t Red = 0xFFFF0000, Green = 0xFF00FF00, Blue = 0xFF0000FF, White = 0xFFFFFFFF,
                   Black = 0xFF000000, Magenta = 0xFFFF00FF;

SDL_Event KeyEvent(Uint32 type, SDL_Scancode scancode) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.scancode = scancode;
    return event;
}

// Queues a key pressed and let go before the next poll; false when SDL refuses the events.
bool PushKeyTap(SDL_Scancode scancode) {
    SDL_Event down = KeyEvent(SDL_KEYDOWN, scancode);
    SDL_Event up = KeyEvent(SDL_KEYUP, scancode);
    return SDL_PushEvent(&down) == 1 && SDL_PushEvent(&up) == 1;
}

// Sets (or, given nullptr, removes) an environment variable for one test and puts the old value
// back afterwards.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const char* value) : Name(name) {
        if (const char* old = std::getenv(name)) Old = old;
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        if (Old) {
            setenv(Name.c_str(), Old->c_str(), 1);
        } else {
            unsetenv(Name.c_str());
        }
    }

  private:
    std::string Name;
    std::optional<std::string> Old;
};

void WritePng(const std::string& path, int w, int h, std::vector<uint32_t> argb) {
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(argb.data(), w, h, 32, w * 4, SDL_PIXELFORMAT_ARGB8888);
    ASSERT_NE(surface, nullptr) << SDL_GetError();
    ASSERT_EQ(IMG_SavePNG(surface, path.c_str()), 0) << IMG_GetError();
    SDL_FreeSurface(surface);
}

void WriteDds(const std::string& path, int w, int h, const std::vector<uint32_t>& argb) {
    std::vector<uint8_t> bytes(128 + argb.size() * 4, 0);
    auto put = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    put(0, 0x20534444);
    put(4, 124);
    put(8, 0x100F);
    put(12, static_cast<uint32_t>(h));
    put(16, static_cast<uint32_t>(w));
    put(76, 32);
    put(80, 0x41);  // RGB with alpha
    put(88, 32);
    put(92, 0x00FF0000);
    put(96, 0x0000FF00);
    put(100, 0x000000FF);
    put(104, 0xFF000000);
    for (size_t i = 0; i < argb.size(); ++i) put(128 + 4 * i, argb[i]);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// A 16-bit mono square wave at 44.1 kHz.
void WriteWav(const std::string& path, int milliseconds) {
    const uint32_t samples = 44100u * static_cast<uint32_t>(milliseconds) / 1000u;
    std::string wav = "RIFF";
    auto put = [&](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) wav += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(36 + samples * 2, 4);
    wav += "WAVEfmt ";
    put(16, 4);
    put(1, 2);  // PCM
    put(1, 2);  // mono
    put(44100, 4);
    put(44100 * 2, 4);
    put(2, 2);
    put(16, 2);
    wav += "data";
    put(samples * 2, 4);
    for (uint32_t i = 0; i < samples; ++i) put((i / 50) % 2 ? 0x2000 : 0xE000, 2);
    std::ofstream(path, std::ios::binary) << wav;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

int CountLines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// The lines of stderr output that the game wrote itself.
std::vector<std::string> OurLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = text.substr(start, end - start);
        if (line.rfind("zantorvix: ", 0) == 0) lines.push_back(line);
    }
    return lines;
}

// Pushes a quit event, as the desktop's close command does, and polls the keyboard once:
// whether the platform heard it.
bool AQuitIsHeardByAPoll(SdlPlatform& sdl) {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    if (SDL_PushEvent(&quit) != 1) return false;
    uint8_t keys[256];
    sdl.PollKeyboard(keys);
    return sdl.WindowCloseRequested();
}

class SdlPlatformTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories("gfx/font");
        std::filesystem::create_directories("sfx");
        // Outside CTest, stay off the real devices too.
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        Sdl = std::make_unique<SdlPlatform>(SdlPlatformOptions{.VSync = false});
    }

    void TearDown() override { Sdl.reset(); }

    uint32_t At(const std::vector<uint32_t>& frame, int x, int y) const {
        return frame[static_cast<size_t>(y) * ScreenWidth + static_cast<size_t>(x)] |
               0xFF000000;  // the composed frame is opaque; its alpha byte is not shown
    }

    TextureId Load(const char* file, int32_t expectedWidth, int32_t expectedHeight) {
        int32_t width = -1, height = -1;
        const TextureId texture = Sdl->LoadTexture(file, &width, &height);
        EXPECT_NE(texture, 0) << file;
        EXPECT_EQ(width, expectedWidth) << file;
        EXPECT_EQ(height, expectedHeight) << file;
        return texture;
    }

    ScratchFolder Scratch{"zantorvix-sdl"};
    const std::filesystem::path Folder = Scratch.Path();
    std::unique_ptr<SdlPlatform> Sdl;
};

#define OPEN_DISPLAY_OR_SKIP()                                                      \
    if (!Sdl->OpenDisplay("Zantorvix test"))                                        \
    GTEST_SKIP() << "SDL's dummy video driver gave no window or renderer here, so " \
                    "nothing can be composed and read back: "                       \
                 << SDL_GetError()

// Colour channels within `tolerance` of each other (blending rounds differently per renderer).
::testing::AssertionResult Near(uint32_t actual, uint32_t expected, int tolerance = 2) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = static_cast<int>((actual >> shift) & 0xFF);
        const int e = static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(a - e) > tolerance) {
            return ::testing::AssertionFailure()
                   << std::hex << "0x" << actual << " is not near 0x" << expected;
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(PictureRulesTest, OnlyOpaqueMagentaBecomesTransparent) {
    std::vector<uint32_t> pixels = {Magenta,    0xFEFF00FF, 0xFFFF01FF, 0xFFFE00FF,
                                    0x00FF00FF, Red,        Blue,       0x80FF00FF};
    KeyOutMagenta(pixels);
    EXPECT_EQ(pixels, (std::vector<uint32_t>{0, 0xFEFF00FF, 0xFFFF01FF, 0xFFFE00FF, 0x00FF00FF, Red,
                                             Blue, 0x80FF00FF}));
}

TEST(PictureRulesTest, BackslashesBecomeSlashesAndNothingElseChanges) {
    EXPECT_EQ(LinuxPath("sfx\\line.wav"), "sfx/line.wav");
    EXPECT_EQ(LinuxPath("gfx//font//A.png"), "gfx//font//A.png");
    EXPECT_EQ(LinuxPath("a\\\\b\\C.DDS"), "a//b/C.DDS");
}

TEST(KeyTableTest, LettersDigitsAndTheGamesKeysHaveTheirDirectInputCodes) {
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(DirectInputCodeOf(static_cast<SDL_Scancode>(SDL_SCANCODE_A + i)), LetterKeys[i])
            << static_cast<char>('A' + i);
    }
    // SDL orders the digits 1..9, 0 just as DirectInput does.
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(DirectInputCodeOf(static_cast<SDL_Scancode>(SDL_SCANCODE_1 + i)), 0x02 + i);
    }
    const std::pair<SDL_Scancode, uint8_t> gameKeys[] = {
        {SDL_SCANCODE_ESCAPE, 0x01},  {SDL_SCANCODE_BACKSPACE, 0x0E}, {SDL_SCANCODE_TAB, 0x0F},
        {SDL_SCANCODE_RETURN, 0x1C},  {SDL_SCANCODE_KP_ENTER, 0x9C},  {SDL_SCANCODE_SPACE, 0x39},
        {SDL_SCANCODE_KP_PLUS, 0x4E}, {SDL_SCANCODE_UP, 0xC8},        {SDL_SCANCODE_LEFT, 0xCB},
        {SDL_SCANCODE_RIGHT, 0xCD},   {SDL_SCANCODE_DOWN, 0xD0},      {SDL_SCANCODE_LSHIFT, 0x2A},
        {SDL_SCANCODE_RSHIFT, 0x36},  {SDL_SCANCODE_LCTRL, 0x1D},     {SDL_SCANCODE_RCTRL, 0x9D},
        {SDL_SCANCODE_LALT, 0x38},    {SDL_SCANCODE_RALT, 0xB8},
    };
    for (const auto& [scancode, code] : gameKeys) {
        EXPECT_EQ(DirectInputCodeOf(scancode), code) << SDL_GetScancodeName(scancode);
    }
    EXPECT_EQ(DirectInputCodeOf(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(DirectInputCodeOf(static_cast<SDL_Scancode>(SDL_NUM_SCANCODES + 7)), 0);
    EXPECT_EQ(DirectInputCodeOf(static_cast<SDL_Scancode>(-1)), 0);
}

TEST(KeyTableTest, NoTwoKeysShareACodeExceptTheIsoBackslash) {
    std::map<uint8_t, SDL_Scancode> seen;
    for (int s = 0; s < SDL_NUM_SCANCODES; ++s) {
        const uint8_t code = DirectInputCodeOf(static_cast<SDL_Scancode>(s));
        if (code == 0 || s == SDL_SCANCODE_NONUSHASH) continue;
        auto [it, fresh] = seen.emplace(code, static_cast<SDL_Scancode>(s));
        EXPECT_TRUE(fresh) << SDL_GetScancodeName(static_cast<SDL_Scancode>(s)) << " and "
                           << SDL_GetScancodeName(it->second) << " both give 0x" << std::hex
                           << int{code};
    }
    EXPECT_GE(seen.size(), 100u);
}

TEST_F(SdlPlatformTest, DrawsUnscaledTintedAndBlendedInCallOrder) {
    OPEN_DISPLAY_OR_SKIP();
    WritePng("gfx/sprite.png", 3, 2, {Red, Green, Magenta, Blue, White, 0x80FFFFFF});
    WritePng("gfx/white.png", 8, 8, std::vector<uint32_t>(64, White));
    const TextureId sprite = Load("gfx//sprite.png", 3, 2);
    const TextureId white = Load("gfx\\white.png", 8, 8);

    Sdl->BeginFrame();
    Sdl->DrawTexture(sprite, 10, 20, 3, 2, White);
    Sdl->DrawTexture(sprite, 100, 50, 3, 2, 0xFF80FF40);  // tinted
    Sdl->DrawTexture(white, 300, 300, 8, 8, White);
    Sdl->DrawTexture(sprite, 300, 300, 3, 2, 0x80FFFFFF);  // half faded over white
    Sdl->DrawTexture(sprite, 400, 400, 3, 2, 0x00FFFFFF);  // fully faded
    Sdl->DrawTexture(sprite, 500, 500, 3, 2, White);
    Sdl->DrawTexture(white, 500, 500, 8, 8, White);  // later draws cover earlier ones
    Sdl->DrawTexture(sprite, -1, -1, 3, 2, White);   // partly off screen
    Sdl->EndFrame();
    const std::vector<uint32_t> frame = Sdl->ReadFrame();
    ASSERT_EQ(frame.size(), 1024u * 768u);

    // Unchanged texels, pixel for pixel; magenta shows what is below; nothing spills over.
    EXPECT_EQ(At(frame, 10, 20), Red);
    EXPECT_EQ(At(frame, 11, 20), Green);
    EXPECT_EQ(At(frame, 12, 20), Black);
    EXPECT_EQ(At(frame, 10, 21), Blue);
    EXPECT_EQ(At(frame, 11, 21), White);
    EXPECT_TRUE(Near(At(frame, 12, 21), 0xFF808080));
    EXPECT_EQ(At(frame, 9, 20), Black);
    EXPECT_EQ(At(frame, 13, 20), Black);
    EXPECT_EQ(At(frame, 10, 19), Black);
    EXPECT_EQ(At(frame, 10, 22), Black);

    EXPECT_TRUE(Near(At(frame, 100, 50), 0xFF800000));
    EXPECT_TRUE(Near(At(frame, 101, 50), 0xFF00FF00));
    EXPECT_TRUE(Near(At(frame, 100, 51), 0xFF000040));
    EXPECT_TRUE(Near(At(frame, 101, 51), 0xFF80FF40));

    EXPECT_TRUE(Near(At(frame, 300, 300), 0xFFFF7F7F));
    EXPECT_TRUE(Near(At(frame, 301, 301), White));
    EXPECT_EQ(At(frame, 302, 300), White);  // keyed out: the white below shows
    EXPECT_EQ(At(frame, 307, 307), White);

    for (int x = 400; x < 403; ++x) EXPECT_EQ(At(frame, x, 400), Black);
    EXPECT_EQ(At(frame, 500, 500), White);
    EXPECT_EQ(At(frame, 0, 0), White);  // texel (1, 1)
    EXPECT_TRUE(Near(At(frame, 1, 0), 0xFF808080));
    EXPECT_EQ(At(frame, 2, 0), Black);
}

TEST_F(SdlPlatformTest, FullScreenPictureCoversTheFrameExactlyAndTheNextFrameStartsBlack) {
    OPEN_DISPLAY_OR_SKIP();
    std::vector<uint32_t> pattern(1024 * 768);
    for (int y = 0; y < 768; ++y) {
        for (int x = 0; x < 1024; ++x) {
            pattern[static_cast<size_t>(y * 1024 + x)] =
                0xFF000000u | static_cast<uint32_t>(x & 0xFF) << 16 |
                static_cast<uint32_t>(y & 0xFF) << 8 | static_cast<uint32_t>((x ^ y) & 0xFF);
        }
    }
    WritePng("gfx/titlebkg.png", 1024, 768, pattern);
    const TextureId picture = Load("gfx//titlebkg.png", 1024, 768);
    Sdl->BeginFrame();
    Sdl->DrawTexture(picture, 0, 0, 1024, 768, White);
    Sdl->EndFrame();
    std::vector<uint32_t> frame = Sdl->ReadFrame();
    ASSERT_EQ(frame.size(), pattern.size());
    int wrong = 0, keyed = 0;
    for (size_t i = 0; i < frame.size(); ++i) {
        const uint32_t expected = pattern[i] == Magenta ? Black : pattern[i];
        keyed += pattern[i] == Magenta;
        wrong += (frame[i] | 0xFF000000) != expected;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(keyed, 0);  // the pattern holds magenta pixels, and they were keyed out

    Sdl->BeginFrame();
    Sdl->EndFrame();
    frame = Sdl->ReadFrame();
    int lit = 0;
    for (uint32_t pixel : frame) lit += (pixel & 0xFFFFFF) != 0;
    EXPECT_EQ(lit, 0);
}

// The window's own pixels, as the player sees them.
std::vector<uint32_t> WindowPixels(SdlPlatform& sdl) {
    SDL_Surface* surface = SDL_GetWindowSurface(sdl.MainWindow());
    std::vector<uint32_t> pixels;
    for (int y = 0; surface != nullptr && y < surface->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch);
        for (int x = 0; x < surface->w; ++x) pixels.push_back(row[x] | 0xFF000000u);
    }
    return pixels;
}

// The frames as the game draws them (a backdrop and a frame picture over the whole screen, then
// small pictures), composed once whole every time and once only where they changed, in a window
// of the frame's own size (which holds the frame itself) and in one that scales it: the same
// pixels every time, in the frame and in the window.
TEST_F(SdlPlatformTest, DrawingLessLeavesEveryPixelAsItWas) {
    std::vector<uint32_t> backdrop(1024 * 768), frame(1024 * 768);
    for (size_t i = 0; i < backdrop.size(); ++i) {
        const uint32_t x = static_cast<uint32_t>(i % 1024), y = static_cast<uint32_t>(i / 1024);
        backdrop[i] = 0xFF000000u | (x & 0xFF) << 16 | (y & 0xFF) << 8 | ((x + y) & 0xFF);
        // The frame picture: opaque edges, a clear well, a half-see-through panel.
        const bool well = x >= 300 && x < 700 && y >= 50 && y < 710;
        const bool panel = x >= 750 && y >= 400;
        frame[i] = well ? Magenta : panel ? 0x80306090u : 0xFF202830u;
    }
    WritePng("gfx/backdrop.png", 1024, 768, backdrop);
    WritePng("gfx/frame.png", 1024, 768, frame);
    WritePng("gfx/block.png", 26, 26, std::vector<uint32_t>(26 * 26, 0xC0E04010));
    WritePng("gfx/other.png", 26, 26, std::vector<uint32_t>(26 * 26, 0xA01060F0));
    auto compose = [](SdlPlatform& sdl, int width, int height) {
        std::vector<std::vector<uint32_t>> shown;
        int32_t w, h;
        const TextureId back = sdl.LoadTexture("gfx//backdrop.png", &w, &h);
        const TextureId over = sdl.LoadTexture("gfx//frame.png", &w, &h);
        const TextureId block = sdl.LoadTexture("gfx//block.png", &w, &h);
        const TextureId other = sdl.LoadTexture("gfx//other.png", &w, &h);
        SDL_SetWindowFullscreen(sdl.MainWindow(), 0);
        SDL_SetWindowSize(sdl.MainWindow(), width, height);
        const uint32_t tints[] = {0x00FFFFFF, 0x80FFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                                  0xFFFFFFFF, 0xFF808080, 0xFF808080, 0xFF808080};
        for (int i = 0; i < 8; ++i) {
            sdl.BeginFrame();
            sdl.DrawTexture(back, 0, 0, 1024, 768, tints[i]);
            sdl.DrawTexture(over, 0, 0, 1024, 768, tints[i]);
            // The falling block moves on the fifth frame only.
            sdl.DrawTexture(block, 317, i == 4 ? 85 : 59, 26, 26, White);
            // Two overlapping pictures change places on the last frame.
            sdl.DrawTexture(i == 7 ? other : block, 760, 420, 26, 26, tints[i]);
            sdl.DrawTexture(i == 7 ? block : other, 770, 430, 26, 26, White);
            sdl.EndFrame();
            shown.push_back(sdl.ReadFrame());
            shown.push_back(WindowPixels(sdl));
        }
        return shown;
    };
    for (const auto& [width, height] : {std::pair{1024, 768}, std::pair{1000, 700}}) {
        SdlPlatform plain(
            SdlPlatformOptions{.VSync = false, .PaceFrames = false, .DrawLess = false});
        if (!plain.OpenDisplay("Zantorvix test")) GTEST_SKIP() << SDL_GetError();
        const std::vector<std::vector<uint32_t>> expected = compose(plain, width, height);
        plain.CloseDisplay();
        SdlPlatform less(SdlPlatformOptions{.VSync = false, .PaceFrames = false});
        ASSERT_TRUE(less.OpenDisplay("Zantorvix test"));
        const std::vector<std::vector<uint32_t>> actual = compose(less, width, height);
        ASSERT_EQ(actual.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(actual[i].size(), expected[i].size());
            size_t differing = 0;
            for (size_t p = 0; p < expected[i].size(); ++p) {
                differing += (actual[i][p] | 0xFF000000u) != (expected[i][p] | 0xFF000000u);
            }
            EXPECT_EQ(differing, 0u) << width << "x" << height << ", frame " << i;
        }
        EXPECT_NE(expected[6], expected[8]);    // the moved block shows
        EXPECT_NE(expected[0], expected[2]);    // and so does the fade
        EXPECT_NE(expected[13], expected[15]);  // and the change of places, in the window too
        EXPECT_EQ(expected[1].size(), static_cast<size_t>(width * height));
    }
}

// A picture loaded on demand holds its pixels only while it is wanted, and shows whenever it is
// drawn: made ahead once wanted, or at the draw itself.
TEST_F(SdlPlatformTest, PicturesLoadedOnDemandHoldPixelsOnlyWhileWanted) {
    OPEN_DISPLAY_OR_SKIP();
    WritePng("gfx/backdrop.png", 4, 4, std::vector<uint32_t>(16, Blue));
    const size_t before = Sdl->PicturesHeld();
    int32_t width = 0, height = 0;
    Sdl->PreparePictureOnDemand("gfx//backdrop.png");
    const TextureId backdrop = Sdl->LoadTextureOnDemand("gfx//backdrop.png", &width, &height);
    ASSERT_NE(backdrop, 0);
    EXPECT_EQ(width, 4);
    EXPECT_EQ(height, 4);
    EXPECT_EQ(Sdl->PicturesHeld(), before);
    const auto drawn = [&] {
        Sdl->BeginFrame();
        Sdl->DrawTexture(backdrop, 0, 0, 4, 4, White);
        Sdl->EndFrame();
        const uint32_t pixel = At(Sdl->ReadFrame(), 3, 3);
        Sdl->BeginFrame();  // and gone again, so that the next draw is composed anew
        Sdl->EndFrame();
        return pixel;
    };
    Sdl->WantTexture(backdrop, true);
    EXPECT_EQ(drawn(), Blue);
    EXPECT_EQ(Sdl->PicturesHeld(), before + 1);
    Sdl->WantTexture(backdrop, false);
    EXPECT_EQ(Sdl->PicturesHeld(), before);
    EXPECT_EQ(drawn(), Blue);  // drawn unwanted: made at the draw
}

TEST_F(SdlPlatformTest, LoadsJpegAndDdsAndKeysMagentaInEvery) {
    OPEN_DISPLAY_OR_SKIP();
    {
        std::vector<uint32_t> grey(16 * 8, 0xFF808080);
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(grey.data(), 16, 8, 32, 64,
                                                                  SDL_PIXELFORMAT_ARGB8888);
        ASSERT_EQ(IMG_SaveJPG(surface, "gfx/background1.jpg", 95), 0) << IMG_GetError();
        SDL_FreeSurface(surface);
    }
    WriteDds("gfx/HUD.dds", 2, 2, {Magenta, 0xFF102030, 0x80FFFFFF, Green});
    const TextureId jpeg = Load("gfx//background1.jpg", 16, 8);
    const TextureId dds = Load("gfx\\HUD.dds", 2, 2);

    Sdl->BeginFrame();
    Sdl->DrawTexture(jpeg, 0, 0, 16, 8, White);
    Sdl->DrawTexture(dds, 4, 4, 2, 2, White);
    Sdl->EndFrame();
    const std::vector<uint32_t> frame = Sdl->ReadFrame();
    ASSERT_FALSE(frame.empty());
    EXPECT_TRUE(Near(At(frame, 0, 0), 0xFF808080, 3));
    EXPECT_TRUE(Near(At(frame, 4, 4), 0xFF808080, 3));  // magenta keyed: the JPEG shows
    EXPECT_EQ(At(frame, 5, 4), 0xFF102030u);
    EXPECT_TRUE(Near(At(frame, 4, 5), 0xFFC0C0C0, 3));  // half white over grey
    EXPECT_EQ(At(frame, 5, 5), Green);
}

TEST_F(SdlPlatformTest, UnusablePicturesGiveEmptyHandlesAndOneLineEach) {
    int32_t width = 5, height = 5;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Sdl->LoadTexture("gfx//start.png", &width, &height), 0);  // no display yet
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "zantorvix: cannot load picture gfx//start.png: no display is open\n");
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);

    OPEN_DISPLAY_OR_SKIP();
    std::vector<uint8_t> compressed(128 + 8, 0);
    std::memcpy(compressed.data(), "DDS ", 4);
    compressed[4] = 124;
    compressed[76] = 32;
    compressed[80] = 0x4;
    std::memcpy(&compressed[84], "DXT1", 4);
    WriteText("gfx/compressed.dds", std::string(compressed.begin(), compressed.end()));
    WriteText("gfx/broken.png", "\x89PNG\r\n\x1a\n but then nothing");

    const char* const files[] = {"gfx//missing.png", "gfx\\compressed.dds", "gfx//broken.png"};
    const char* const shown[] = {"gfx//missing.png: No such file or directory",
                                 "gfx/compressed.dds: DDS pixel format 'DXT1'",
                                 "gfx//broken.png: "};
    // The same when loaded on demand: checked, and reported, as they are loaded.
    for (int i = 0; i < 6; ++i) {
        width = height = 5;
        testing::internal::CaptureStderr();
        const TextureId loaded = i < 3 ? Sdl->LoadTexture(files[i], &width, &height)
                                       : Sdl->LoadTextureOnDemand(files[i - 3], &width, &height);
        EXPECT_EQ(loaded, 0) << files[i % 3];
        err = testing::internal::GetCapturedStderr();
        // libpng prints a line of its own before ours for a damaged PNG.
        const std::vector<std::string> ours = OurLines(err);
        ASSERT_EQ(ours.size(), 1u) << err;
        EXPECT_EQ(ours[0].rfind(std::string("zantorvix: cannot load picture ") + shown[i % 3], 0),
                  0u)
            << err;
        EXPECT_EQ(width, 0);
        EXPECT_EQ(height, 0);
    }

    // Empty, unknown and released handles draw nothing and do not crash.
    WritePng("gfx/one.png", 1, 1, {Red});
    const TextureId one = Load("gfx//one.png", 1, 1);
    Sdl->ReleaseTexture(one);
    Sdl->ReleaseTexture(one);
    Sdl->BeginFrame();
    Sdl->DrawTexture(0, 0, 0, 1, 1, White);
    Sdl->DrawTexture(one, 0, 0, 1, 1, White);
    Sdl->DrawTexture(12345, 0, 0, 1, 1, White);
    Sdl->DrawTexture(-3, 0, 0, 1, 1, White);
    Sdl->EndFrame();
    EXPECT_EQ(At(Sdl->ReadFrame(), 0, 0), Black);
}

TEST_F(SdlPlatformTest, MissingDisplayIsReportedInOneLine) {
    Sdl.reset();
    ScopedEnvironment noVideo("SDL_VIDEODRIVER", "no-such-video-driver");
    Sdl = std::make_unique<SdlPlatform>();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Sdl->OpenDisplay("Zantorvix"));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("zantorvix: cannot open a display: ", 0), 0u) << err;
    EXPECT_EQ(CountLines(err), 1) << err;
    EXPECT_EQ(Sdl->ReadFrame().size(), 0u);
    Sdl->BeginFrame();  // harmless without a display
    Sdl->EndFrame();
}

TEST_F(SdlPlatformTest, NoWindowSystemIsAMissingDisplayNotAnInvisibleOne) {
    Sdl.reset();
    ScopedEnvironment noDriver("SDL_VIDEODRIVER", nullptr);
    ScopedEnvironment noX("DISPLAY", nullptr);
    ScopedEnvironment noWayland("WAYLAND_DISPLAY", nullptr);
    Sdl = std::make_unique<SdlPlatform>();
    testing::internal::CaptureStderr();
    const bool opened = Sdl->OpenDisplay("Zantorvix");
    const std::string err = testing::internal::GetCapturedStderr();
    if (opened) {
        const std::string driver = SDL_GetCurrentVideoDriver();
        EXPECT_NE(driver, "offscreen");
        EXPECT_NE(driver, "dummy");
        GTEST_SKIP() << "this machine has a display without X or Wayland: " << driver;
    }
    const std::vector<std::string> ours = OurLines(err);
    ASSERT_EQ(ours.size(), 1u) << err;
    EXPECT_EQ(ours[0].rfind("zantorvix: cannot open a display: ", 0), 0u) << err;
}

TEST_F(SdlPlatformTest, CloseRequestIsNoticedByMessagesAndByKeyboardPolls) {
    OPEN_DISPLAY_OR_SKIP();
    uint8_t keys[256];
    std::fill(std::begin(keys), std::end(keys), uint8_t{0x55});
    Sdl->PollKeyboard(keys);
    EXPECT_EQ(std::count(std::begin(keys), std::end(keys), 0), 256);  // no key is down
    EXPECT_FALSE(Sdl->WindowCloseRequested());

    // One message per call: the close request waits behind two others.
    SDL_Event other{};
    other.type = SDL_USEREVENT;
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    ASSERT_EQ(SDL_PushEvent(&other), 1);
    ASSERT_EQ(SDL_PushEvent(&other), 1);
    ASSERT_EQ(SDL_PushEvent(&close), 1);
    Sdl->TakeWindowMessage();
    Sdl->TakeWindowMessage();
    EXPECT_FALSE(Sdl->WindowCloseRequested());
    Sdl->TakeWindowMessage();
    EXPECT_TRUE(Sdl->WindowCloseRequested());

    // A scene that only polls the keyboard still hears the quit event.
    Sdl.reset();
    Sdl = std::make_unique<SdlPlatform>();
    OPEN_DISPLAY_OR_SKIP();
    EXPECT_TRUE(AQuitIsHeardByAPoll(*Sdl));
}

TEST_F(SdlPlatformTest, KeyboardPollsKeepTheEventQueueFromFillingUp) {
    OPEN_DISPLAY_OR_SKIP();
    uint8_t keys[256];
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    // Far more events than SDL's queue holds (65535), arriving between polls.
    for (int round = 0; round < 25; ++round) {
        for (int i = 0; i < 4000; ++i) ASSERT_EQ(SDL_PushEvent(&key), 1) << "round " << round;
        Sdl->PollKeyboard(keys);
    }
    EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT), 0);
    EXPECT_FALSE(Sdl->WindowCloseRequested());
    EXPECT_TRUE(AQuitIsHeardByAPoll(*Sdl));
}

TEST_F(SdlPlatformTest, AKeyOrAGamepadButtonTappedBetweenTwoPollsReadsDownAtTheNextPollOnce) {
    OPEN_DISPLAY_OR_SKIP();
    Sdl->CreateKeyboard();
    uint8_t keys[256];
    ASSERT_TRUE(PushKeyTap(SDL_SCANCODE_SPACE));
    Sdl->BeginFrame();  // a frame's events are taken as it ends, without losing the tap
    Sdl->EndFrame();
    Sdl->PollKeyboard(keys);
    EXPECT_NE(keys[DIK_SPACE], 0);
    EXPECT_EQ(std::count(std::begin(keys), std::end(keys), 0), 255);
    Sdl->PollKeyboard(keys);
    EXPECT_EQ(keys[DIK_SPACE], 0);

    // The gamepad's B is Space too, and so is a tap of it.
    SDL_Event press{};
    press.type = SDL_CONTROLLERBUTTONDOWN;
    press.cbutton.button = SDL_CONTROLLER_BUTTON_B;
    press.cbutton.state = SDL_PRESSED;
    SDL_Event release = press;
    release.type = SDL_CONTROLLERBUTTONUP;
    release.cbutton.state = SDL_RELEASED;
    ASSERT_EQ(SDL_PushEvent(&press), 1);
    ASSERT_EQ(SDL_PushEvent(&release), 1);
    Sdl->BeginFrame();
    Sdl->EndFrame();
    Sdl->PollKeyboard(keys);
    EXPECT_NE(keys[DIK_SPACE], 0);
    EXPECT_EQ(std::count(std::begin(keys), std::end(keys), 0), 255);
    Sdl->PollKeyboard(keys);
    EXPECT_EQ(keys[DIK_SPACE], 0);

    // A key held as the window loses the focus is not read afterwards.
    SDL_Event held = KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_SPACE);
    ASSERT_EQ(SDL_PushEvent(&held), 1);
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    ASSERT_EQ(SDL_PushEvent(&focus), 1);
    Sdl->PollKeyboard(keys);
    EXPECT_EQ(keys[DIK_SPACE], 0);
}

TEST(KeyTableTest, EveryKeyPlaceAndButtonHasSdlsNameSaveTheFewAListCannotHold) {
    const std::map<SDL_Scancode, std::string> ownNames = {
        {SDL_SCANCODE_COMMA, "Comma"},
        {SDL_SCANCODE_KP_COMMA, "Keypad Comma"},
        {SDL_SCANCODE_NONUSBACKSLASH, "NonUSBackslash"},  // SDL gives it none
        {SDL_SCANCODE_RETURN2, "Return2"},                // SDL calls it Return, as Enter
    };
    for (int s = 1; s < SDL_NUM_SCANCODES; ++s) {
        const auto scancode = static_cast<SDL_Scancode>(s);
        const std::string sdl = SDL_GetScancodeName(scancode);
        const std::string ours = KeyPlaceName(static_cast<KeyPlace>(s));
        const auto own = ownNames.find(scancode);
        if (own != ownNames.end()) {
            EXPECT_EQ(ours, own->second);
        } else if (!sdl.empty()) {
            EXPECT_EQ(ours, sdl) << s;
        } else {
            EXPECT_EQ(ours, "Scancode" + std::to_string(s));
        }
        EXPECT_EQ(ours.find(','), std::string::npos) << ours;
        EXPECT_EQ(KeyPlaceNamed(ours), s) << ours;
    }
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
        const auto button = static_cast<SDL_GameControllerButton>(b);
        EXPECT_EQ(PadButtonName(static_cast<PadButton>(b)),
                  SDL_GameControllerGetStringForButton(button));
        EXPECT_EQ(PadButtonNamed(SDL_GameControllerGetStringForButton(button)),
                  static_cast<PadButton>(b));
    }
    EXPECT_EQ(PadButtonName(PadButton::LeftTrigger),
              SDL_GameControllerGetStringForAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT));
    EXPECT_EQ(PadButtonName(PadButton::RightTrigger),
              SDL_GameControllerGetStringForAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
}

TEST_F(SdlPlatformTest, ThePlayersControlsApplyToTheKeyboardInPlayAndTheMenusKeepTheirKeys) {
    OPEN_DISPLAY_OR_SKIP();
    ControlsRecord controls;
    BindKey(controls, PlayAction::HardDrop, PlaceX, false);
    Sdl->SetControls(controls);
    uint8_t keys[256];
    const auto tap = [&](SDL_Scancode scancode) {
        ASSERT_TRUE(PushKeyTap(scancode));
        Sdl->PollKeyboard(keys);
    };
    const auto down = [&] {
        std::vector<int> codes;
        for (int code = 0; code < 256; ++code) {
            if (keys[code] != 0) codes.push_back(code);
        }
        return codes;
    };
    tap(SDL_SCANCODE_X);
    EXPECT_EQ(down(), std::vector<int>{DIK_X});
    const ControlPress press = Sdl->TakeControlPress();
    EXPECT_EQ(press.Key, PlaceX);
    EXPECT_EQ(Sdl->TakeControlPress().Key, 0);  // taken once

    Sdl->SetKeyMode(KeyMode::Play);
    tap(SDL_SCANCODE_X);
    EXPECT_EQ(down(), std::vector<int>{DIK_SPACE});
    tap(SDL_SCANCODE_SPACE);
    EXPECT_EQ(down(), std::vector<int>{});
    tap(SDL_SCANCODE_RETURN);
    EXPECT_EQ(down(), std::vector<int>{DIK_RETURN});
    tap(SDL_SCANCODE_ESCAPE);
    EXPECT_EQ(down(), std::vector<int>{DIK_ESCAPE});
    Sdl->SetKeyMode(KeyMode::Menus);
    tap(SDL_SCANCODE_SPACE);
    EXPECT_EQ(down(), std::vector<int>{DIK_SPACE});
    // SDL's dummy driver has a US keyboard: the key at A's place prints A, until it types
    // something else (as a page learns the layout from the keys' events alone).
    EXPECT_EQ(Sdl->KeyLabel(PlaceA), "A");
    SDL_Event typed = KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_A);
    typed.key.keysym.sym = SDLK_q;
    ASSERT_EQ(SDL_PushEvent(&typed), 1);
    Sdl->PollKeyboard(keys);
    EXPECT_EQ(Sdl->KeyLabel(PlaceA), "Q");
    EXPECT_EQ(Sdl->KeyLabel(PlaceKeypadPlus), "KEYPAD +");
    EXPECT_EQ(Sdl->GamepadKind(), PadKind::Xbox);
}

TEST_F(SdlPlatformTest, ACloseIsAnsweredDuringFramesSleepsAndLoading) {
    OPEN_DISPLAY_OR_SKIP();
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    Sdl->BeginFrame();
    Sdl->EndFrame();  // a fade frame takes no messages and polls no keys
    EXPECT_TRUE(Sdl->WindowCloseRequested());

    Sdl.reset();
    Sdl = std::make_unique<SdlPlatform>();
    OPEN_DISPLAY_OR_SKIP();
    WritePng("gfx/one.png", 1, 1, {Red});
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    int32_t width = 0, height = 0;
    Sdl->LoadTexture("gfx//one.png", &width, &height);
    EXPECT_TRUE(Sdl->WindowCloseRequested());

    // A long sleep ends soon after the close arrives.
    Sdl.reset();
    Sdl = std::make_unique<SdlPlatform>();
    OPEN_DISPLAY_OR_SKIP();
    std::thread closer([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        SDL_Event event{};
        event.type = SDL_QUIT;
        SDL_PushEvent(&event);
    });
    const int64_t before = Sdl->Clock();
    Sdl->Sleep(5000);
    const int64_t slept = Sdl->Clock() - before;
    closer.join();
    EXPECT_TRUE(Sdl->WindowCloseRequested());
    EXPECT_LT(slept, 1000);
}

class SdlSoundTest : public SdlPlatformTest {
  protected:
    void SetUp() override {
        SdlPlatformTest::SetUp();
        WriteWav("sfx/line.wav", 100);
        WriteWav("sfx/bgm.wav", 3000);
    }

    // Waits (up to `limit` ms) until the channel falls silent; false if it never does.
    bool FallsSilent(int32_t channel, int limit) {
        for (int waited = 0; waited < limit; waited += 10) {
            if (!Sdl->IsPlaying(channel)) return true;
            Sdl->Sleep(10);
        }
        return false;
    }
};

TEST_F(SdlSoundTest, SamplesPlayOnTheirChannelFromFullVolumeAndEnd) {
    Sdl->OpenSound();
    const SampleId line = Sdl->LoadSample("sfx\\line.wav");
    const SampleId music = Sdl->LoadSample("sfx\\bgm.wav");
    ASSERT_GE(line, 0);
    ASSERT_GE(music, 0);
    EXPECT_NE(line, music);

    Sdl->SetVolume(1, 200);  // set before anything plays, as start-up does
    EXPECT_EQ(Sdl->GetVolume(1), 200);
    Sdl->PlaySound(1, music);
    EXPECT_TRUE(Sdl->IsPlaying(1));
    EXPECT_FALSE(Sdl->IsPlaying(0));
    EXPECT_EQ(Sdl->GetVolume(1), 255);
    EXPECT_EQ(Mix_Volume(1, -1), MIX_MAX_VOLUME);
    Sdl->SetVolume(1, 200);
    EXPECT_EQ(Sdl->GetVolume(1), 200);
    Sdl->PlaySound(1, music);  // restarting resets the volume again
    EXPECT_EQ(Sdl->GetVolume(1), 255);

    // Paused still counts as playing, and holds its place.
    Sdl->SetPaused(1, true);
    EXPECT_TRUE(Sdl->IsPlaying(1));
    EXPECT_NE(Mix_Paused(1), 0);
    Sdl->SetPaused(1, false);
    EXPECT_EQ(Mix_Paused(1), 0);
    Sdl->SetPaused(1, true);
    Sdl->PlaySound(1, music);  // a new start is not paused
    EXPECT_EQ(Mix_Paused(1), 0);
    EXPECT_TRUE(Sdl->IsPlaying(1));

    Sdl->StopSound(1);
    EXPECT_FALSE(Sdl->IsPlaying(1));
    Sdl->PlaySound(1, music);
    Sdl->PlaySound(1, -1);  // a sample that failed to load just silences the channel
    EXPECT_FALSE(Sdl->IsPlaying(1));

    Sdl->PlaySound(4, line);
    EXPECT_TRUE(Sdl->IsPlaying(4));
    EXPECT_TRUE(FallsSilent(4, 3000)) << "a 100 ms sample never ended";

    Sdl->PlaySound(4, line);
    Sdl->SetPaused(4, true);
    Sdl->Sleep(400);
    EXPECT_TRUE(Sdl->IsPlaying(4)) << "the pause did not hold the sample";
    Sdl->SetPaused(4, false);
    EXPECT_TRUE(FallsSilent(4, 3000));
}

TEST_F(SdlSoundTest, VolumesAreClampedAndRoundTripExactly) {
    Sdl->OpenSound();
    for (int32_t v = 0; v <= 255; ++v) {
        Sdl->SetVolume(2, v);
        ASSERT_EQ(Sdl->GetVolume(2), v);
        Sdl->SetMasterVolume(v);
        ASSERT_EQ(Sdl->GetMasterVolume(), v);
    }
    Sdl->SetVolume(2, 300);
    EXPECT_EQ(Sdl->GetVolume(2), 255);
    EXPECT_EQ(Mix_Volume(2, -1), MIX_MAX_VOLUME);
    Sdl->SetVolume(2, -1);  // what the play scene's fade-out asks for at 0
    EXPECT_EQ(Sdl->GetVolume(2), 0);
    EXPECT_EQ(Mix_Volume(2, -1), 0);
    Sdl->SetVolume(2, 1);
    EXPECT_EQ(Mix_Volume(2, -1), 1);  // quiet, not silent
    Sdl->SetVolume(2, 192);
    EXPECT_EQ(Mix_Volume(2, -1), 97);

    Sdl->SetMasterVolume(1000);
    EXPECT_EQ(Sdl->GetMasterVolume(), 255);
    Sdl->SetMasterVolume(-20);
    EXPECT_EQ(Sdl->GetMasterVolume(), 0);
    EXPECT_EQ(Mix_Volume(2, -1), 0);  // master 0 silences every channel
}

// Master and channel volumes meet in each channel's own mixer volume, rounded up: master 1 under
// the title tune's 192 was silent when the mixer multiplied its own master in and rounded down.
TEST_F(SdlSoundTest, EveryVolumeAboveZeroStaysAudibleUnderEveryMasterAboveZero) {
    Sdl->OpenSound();
    for (int32_t master : {1, 2, 100, 255}) {
        Sdl->SetMasterVolume(master);
        for (int32_t volume : {1, 97, 192, 200, 255}) {
            Sdl->SetVolume(3, volume);
            const int mixer = Mix_Volume(3, -1) * Mix_MasterVolume(-1) / MIX_MAX_VOLUME;
            EXPECT_GE(mixer, 1) << "master " << master << ", channel " << volume;
            EXPECT_LE(mixer, (master * volume * MIX_MAX_VOLUME + 65024) / 65025);
        }
    }
    Sdl->SetMasterVolume(255);
    Sdl->SetVolume(3, 255);
    EXPECT_EQ(Mix_Volume(3, -1), MIX_MAX_VOLUME);
    Sdl->SetVolume(3, 0);
    EXPECT_EQ(Mix_Volume(3, -1), 0);
}

// What the mixer sends to the (silent) device, read after every mix.
struct MixedOutput {
    std::atomic<int> Peak{0};
    static void Listen(void* self, Uint8* stream, int length) {
        auto* out = static_cast<MixedOutput*>(self);
        const auto* samples = reinterpret_cast<const int16_t*>(stream);
        int peak = out->Peak.load();
        for (int i = 0; i < length / 2; ++i) peak = std::max(peak, std::abs(int{samples[i]}));
        out->Peak.store(peak);
    }
};

// The tunes are decoded as they play, two at once when the title tune dies away under the game's;
// at master volume 1 they are quiet but heard; a tune falls silent at its end.
TEST_F(SdlSoundTest, TunesStreamSideBySideAudibleAtTheLowestVolumeAndEnd) {
    const std::filesystem::path tunes = std::filesystem::path(ZANTORVIX_RUN_DIR) / "sfx";
    std::filesystem::copy_file(tunes / "bgm3.mp3", "sfx/bgm3.mp3");
    std::filesystem::copy_file(tunes / "bgm.mp3", "sfx/bgm.mp3");
    {  // the first 40 KB of a tune: a second or two of it
        const std::string whole = ReadWholeFile("sfx/bgm.mp3");
        WriteText("sfx/short.mp3", whole.substr(0, 40000));
    }
    Sdl->OpenSound();
    const SampleId title = Sdl->LoadSample("sfx\\bgm3.mp3");
    const SampleId game = Sdl->LoadSample("sfx\\bgm.mp3");
    const SampleId shortTune = Sdl->LoadSample("sfx\\short.mp3");
    ASSERT_GE(title, 0);
    ASSERT_GE(game, 0);
    ASSERT_GE(shortTune, 0);
    MixedOutput output;
    Mix_SetPostMix(MixedOutput::Listen, &output);

    Sdl->SetMasterVolume(1);
    Sdl->PlaySound(0, title);
    Sdl->SetVolume(0, 192);
    Sdl->Sleep(300);
    EXPECT_GT(output.Peak.load(), 0) << "the title tune is silent at master volume 1";
    Sdl->PlaySound(1, game);
    EXPECT_TRUE(Sdl->IsPlaying(0));
    EXPECT_TRUE(Sdl->IsPlaying(1));
    Sdl->SetPaused(1, true);
    Sdl->Sleep(100);
    EXPECT_TRUE(Sdl->IsPlaying(1));
    Sdl->SetPaused(1, false);
    Sdl->StopSound(0);
    EXPECT_FALSE(Sdl->IsPlaying(0));
    EXPECT_TRUE(Sdl->IsPlaying(1));

    Sdl->PlaySound(1, shortTune);  // in place of the game tune
    EXPECT_TRUE(Sdl->IsPlaying(1));
    EXPECT_TRUE(FallsSilent(1, 8000)) << "a short tune never ended";
    Sdl->PlaySound(1, shortTune);  // and it starts again from its beginning
    EXPECT_TRUE(Sdl->IsPlaying(1));
    Mix_SetPostMix(nullptr, nullptr);
}

TEST_F(SdlSoundTest, ChannelsOutsideZeroToThirtyOneAreRefused) {
    Sdl->OpenSound();
    const SampleId music = Sdl->LoadSample("sfx\\bgm.wav");
    ASSERT_GE(music, 0);
    EXPECT_EQ(Mix_AllocateChannels(-1), 32);
    for (int32_t channel : {-1, 32, 33, 1000, -1000}) {
        Sdl->PlaySound(channel, music);  // must not land on some free channel
        EXPECT_FALSE(Sdl->IsPlaying(channel));
        Sdl->SetVolume(channel, 100);
        EXPECT_EQ(Sdl->GetVolume(channel), 0);
    }
    EXPECT_EQ(Mix_Playing(-1), 0);

    Sdl->PlaySound(3, music);
    Sdl->PlaySound(31, music);
    Sdl->SetPaused(-1, true);  // the mixer's "every channel"
    Sdl->StopSound(-1);
    Sdl->StopSound(32);
    EXPECT_EQ(Mix_Paused(3), 0);
    EXPECT_TRUE(Sdl->IsPlaying(3));
    EXPECT_TRUE(Sdl->IsPlaying(31));
    EXPECT_EQ(Sdl->GetVolume(3), 255);
    EXPECT_EQ(Sdl->GetVolume(31), 255);
}

TEST_F(SdlSoundTest, UnusableSoundsGiveEmptyHandlesAndOneLineEach) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(Sdl->LoadSample("sfx\\line.wav"), -1);  // sound not open yet
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "zantorvix: cannot load sound sfx/line.wav: sound is not open\n");

    Sdl->OpenSound();
    WriteText("sfx/garbage.wav", "RIFF this is not a wave file at all");
    testing::internal::CaptureStderr();
    EXPECT_EQ(Sdl->LoadSample("sfx\\boo.wav"), -1);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "zantorvix: cannot load sound sfx/boo.wav: No such file or directory\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(Sdl->LoadSample("sfx\\garbage.wav"), -1);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("zantorvix: cannot load sound sfx/garbage.wav: ", 0), 0u) << err;
    EXPECT_EQ(CountLines(err), 1) << err;
}

TEST_F(SdlSoundTest, NoAudioDeviceFallsBackToSilentPlayWithOneLine) {
    Sdl.reset();
    ScopedEnvironment noAudio("SDL_AUDIODRIVER", "no-such-audio-driver");
    Sdl = std::make_unique<SdlPlatform>();
    testing::internal::CaptureStderr();
    Sdl->OpenSound();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("zantorvix: no audio device (", 0), 0u) << err;
    EXPECT_NE(err.find("); playing silently\n"), std::string::npos) << err;
    EXPECT_EQ(CountLines(err), 1) << err;

    const SampleId line = Sdl->LoadSample("sfx\\line.wav");
    ASSERT_GE(line, 0);
    Sdl->PlaySound(4, line);
    EXPECT_TRUE(Sdl->IsPlaying(4));
    Sdl->SetVolume(4, 10);
    EXPECT_EQ(Sdl->GetVolume(4), 10);
}

TEST_F(SdlPlatformTest, ClockCountsWallMillisecondsFromStartAndTimeIsCalendarSeconds) {
    const int64_t start = Sdl->Clock();
    EXPECT_GE(start, 0);
    EXPECT_LT(start, 1000);
    Sdl->Sleep(30);
    EXPECT_GE(Sdl->Clock() - start, 30);  // wall time: sleeping counts, unlike CPU time
    Sdl->Sleep(0);
    Sdl->Sleep(-5);
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    EXPECT_LE(std::abs(Sdl->Time() - now), 1);
}

}  // namespace
