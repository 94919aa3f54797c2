// The game's frames drawn through SDL's software renderer and through OpenGL (Mesa's, in the
// virtual display) show the same picture: whichever renderer the machine gets, the player sees
// the same game.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/application.h"
#include "e2e/harness.h"
#include "game/board.h"
#include "game/lettering.h"
#include "game/movement.h"
#include "game/pieces.h"
#include "game/play_frame.h"
#include "game/state.h"
#include "platform/renderer.h"
#include "platform/sdl/sdl_platform_impl.h"
#include "support/playfield.h"

namespace {

// The frames through the renderer named: play at full strength, play half faded, the title.
std::vector<std::vector<uint32_t>> Frames(const char* renderer, std::string& used) {
    setenv("SDL_RENDER_DRIVER", renderer, 1);
    std::vector<std::vector<uint32_t>> frames;
    SdlPlatform sdl(SdlPlatformOptions{.PaceFrames = false});
    SetPlatform(&sdl);
    InitialiseProgramState();
    if (!CreateRenderer()) return frames;
    used = sdl.RendererName();
    LoadTitleSprites();
    LoadGameSprites();
    SetUpFullWell();
    DrawPlayFrame(OpaqueWhite, OpaqueWhite);
    frames.push_back(sdl.ReadFrame());
    DrawPlayFrame(0x80FFFFFF, OpaqueWhite);
    frames.push_back(sdl.ReadFrame());
    BeginFrame();
    Sprites.TitleBackground.Draw(0, 0, OpaqueWhite);
    Sprites.Start2.Draw(434, 325, OpaqueWhite);
    DrawWord("LOADING", 415, 380, Sprites.Letters, 7, 0xC0FFFFFF);
    EndFrame();
    frames.push_back(sdl.ReadFrame());
    ReleaseSprites();
    ReleaseRenderer();
    SetPlatform(nullptr);
    return frames;
}

TEST(RenderersTest, SoftwareAndOpenGlComposeTheSameFrames) {
    e2e::DisplayName();  // the virtual display, as DISPLAY
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(ZANTORVIX_RUN_DIR);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::string software, opengl;
    const auto expected = Frames("software", software);
    const auto actual = Frames("opengl", opengl);
    unsetenv("SDL_RENDER_DRIVER");
    std::filesystem::current_path(previous);
    ASSERT_EQ(software, "software");
    if (opengl != "opengl") GTEST_SKIP() << "no OpenGL renderer here (" << opengl << ")";
    ASSERT_EQ(expected.size(), 3u);
    ASSERT_EQ(actual.size(), 3u);
    for (size_t f = 0; f < expected.size(); ++f) {
        ASSERT_EQ(expected[f].size(), 1024u * 768u);
        ASSERT_EQ(actual[f].size(), expected[f].size());
        double sum = 0;
        size_t far = 0;
        for (size_t p = 0; p < expected[f].size(); ++p) {
            for (int shift = 0; shift <= 16; shift += 8) {
                const int a = static_cast<int>((expected[f][p] >> shift) & 0xFF);
                const int b = static_cast<int>((actual[f][p] >> shift) & 0xFF);
                sum += std::abs(a - b);
                far += std::abs(a - b) > 3;
            }
        }
        // Blending rounds a little differently on each (by a level or two where pictures are
        // faded); nothing more.
        EXPECT_LT(sum / (3.0 * expected[f].size()), 1.5) << "frame " << f;
        EXPECT_LT(far, expected[f].size() / 1000) << "frame " << f;
    }
}

}  // namespace
