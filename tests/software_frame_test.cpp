// The frames composed on the CPU against SDL's own software renderer, which composed them before:
// the game's frames, faded or not, come out with the same pixels, and the picture put into a
// window of any size is SDL's own linear scaling, placed where SDL's logical size put it.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/application.h"
#include "frontend/high_scores.h"
#include "game/board.h"
#include "game/lettering.h"
#include "game/movement.h"
#include "game/play_frame.h"
#include "game/state.h"
#include "platform/forwarding_platform.h"
#include "platform/renderer.h"
#include "platform/sdl/sdl_picture.h"
#include "platform/sdl/sdl_platform_impl.h"
#include "platform/sdl/sdl_software_frame.h"
#include "support/playfield.h"

namespace {

// Keeps each picture's file and the pictures of the frame being drawn, on the way to the SDL
// platform.
class FrameCapture final : public ForwardingPlatform {
  public:
    using ForwardingPlatform::ForwardingPlatform;
    TextureId LoadTexture(const char* file, int32_t* width, int32_t* height) override {
        return Keep(Inner.LoadTexture(file, width, height), file);
    }
    TextureId LoadTextureOnDemand(const char* file, int32_t* width, int32_t* height) override {
        return Keep(Inner.LoadTextureOnDemand(file, width, height), file);
    }
    void BeginFrame() override {
        Draws.clear();
        Inner.BeginFrame();
    }
    void DrawTexture(TextureId texture, int32_t x, int32_t y, int32_t width, int32_t height,
                     uint32_t colour) override {
        Draws.push_back({texture, {x, y, width, height}, colour});
        Inner.DrawTexture(texture, x, y, width, height, colour);
    }

    std::map<TextureId, std::string> Files;
    std::vector<PictureDraw> Draws;

  private:
    TextureId Keep(TextureId texture, const char* file) {
        Files[texture] = LinuxPath(file);
        return texture;
    }
};

// The same pictures composed by SDL's software renderer on a 1024x768 picture of its own, as the
// game composed its frames before.
std::vector<uint32_t> ComposeWithSdl(const std::vector<PictureDraw>& draws,
                                     const std::map<TextureId, std::string>& files) {
    SDL_Surface* target =
        SDL_CreateRGBSurfaceWithFormat(0, ScreenWidth, ScreenHeight, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(target);
    std::map<TextureId, SDL_Texture*> textures;
    for (const auto& [id, file] : files) {
        DecodedImage image;
        std::string error;
        if (!ReadPicture(file, image, error)) continue;
        SDL_Texture* texture =
            SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                              image.Width, image.Height);
        SDL_UpdateTexture(texture, nullptr, image.Pixels.data(), image.Width * 4);
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
        textures[id] = texture;
    }
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    for (const PictureDraw& draw : draws) {
        SDL_Texture* texture = textures.at(draw.Texture);
        SDL_SetTextureColorMod(texture, static_cast<Uint8>(draw.Colour >> 16),
                               static_cast<Uint8>(draw.Colour >> 8),
                               static_cast<Uint8>(draw.Colour));
        SDL_SetTextureAlphaMod(texture, static_cast<Uint8>(draw.Colour >> 24));
        SDL_RenderCopy(renderer, texture, nullptr, &draw.Where);
    }
    SDL_RenderFlush(renderer);
    std::vector<uint32_t> pixels(static_cast<size_t>(ScreenWidth) * ScreenHeight);
    for (int y = 0; y < ScreenHeight; ++y) {
        std::copy_n(reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(target->pixels) +
                                                      y * target->pitch),
                    ScreenWidth, pixels.begin() + static_cast<ptrdiff_t>(y) * ScreenWidth);
    }
    for (auto& [id, texture] : textures) SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(target);
    return pixels;
}

// The largest difference of any colour channel of any pixel.
int LargestDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int largest = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        for (int shift = 0; shift <= 16; shift += 8) {
            largest = std::max(largest, std::abs(static_cast<int>((a[i] >> shift) & 0xFF) -
                                                 static_cast<int>((b[i] >> shift) & 0xFF)));
        }
    }
    return largest;
}

class SoftwareFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::current_path(ZANTORVIX_RUN_DIR);  // the game's own pictures
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
    }
    void TearDown() override { std::filesystem::current_path(Previous); }

    const std::filesystem::path Previous = std::filesystem::current_path();
};

TEST_F(SoftwareFrameTest, TheGamesFramesFadedOrNotHaveSdlsPixels) {
    SdlPlatform sdl(SdlPlatformOptions{.VSync = false, .PaceFrames = false});
    FrameCapture capture(sdl);
    ScopedPlatform current(capture);
    InitialiseProgramState();
    ASSERT_TRUE(CreateRenderer());
    ASSERT_EQ(sdl.RendererName(), "software");
    LoadTitleSprites();
    LoadGameSprites();
    SetUpFullWell();
    for (Sprite& backdrop : Sprites.LevelBackgrounds) backdrop.Want(true);

    struct Shown {
        std::string What;
        std::vector<PictureDraw> Draws;
        std::vector<uint32_t> Pixels;
    };
    std::vector<Shown> frames;
    const auto keep = [&](const std::string& what) {
        frames.push_back({what, capture.Draws, sdl.ReadFrame()});
    };
    for (uint32_t alpha : {90u}) {
        BeginFrame();
        Sprites.TitleBackground.Draw(0, 0, alpha << 24 | 0xFFFFFF);
        DrawWord("LOADING", 415, 380, Sprites.Letters, 7, alpha << 24 | 0xFFFFFF);
        EndFrame();
        keep("loading screen at alpha " + std::to_string(alpha));
    }
    for (uint32_t alpha : {255u, 201u, 77u, 1u}) {
        const uint32_t colour = alpha << 24 | 0xFFFFFF;
        BeginFrame();
        Sprites.TitleBackground.Draw(0, 0, colour);
        Sprites.Start2.Draw(434, 325, colour);
        Sprites.OptionsItem.Draw(430, 385, colour);
        Sprites.Exit.Draw(467, 445, colour);
        DrawHighScoreTable(colour);
        EndFrame();
        keep("title menu at alpha " + std::to_string(alpha));
    }
    for (uint32_t alpha : {0u, 3u, 129u, 252u, 255u}) {
        DrawPlayFrame(alpha << 24 | 0xFFFFFF, OpaqueWhite);
        keep("play fading in at alpha " + std::to_string(alpha));
    }
    for (uint32_t alpha : {253u, 127u, 1u}) {
        DrawPlayFrame(alpha << 24 | 0xFFFFFF, alpha << 24 | 0xFFFFFF);
        keep("play fading out at alpha " + std::to_string(alpha));
    }
    for (int level : {1, 10}) {
        GameState.Level = level;
        DrawPlayFrame(0x80FFFFFF, OpaqueWhite);
        keep("play at level " + std::to_string(level) + " half faded");
    }

    for (const Shown& frame : frames) {
        ASSERT_EQ(frame.Pixels.size(), static_cast<size_t>(ScreenWidth) * ScreenHeight);
        const std::vector<uint32_t> expected = ComposeWithSdl(frame.Draws, capture.Files);
        EXPECT_LE(LargestDifference(frame.Pixels, expected), 1) << frame.What;
    }
    // Each fade level is a picture of its own.
    EXPECT_NE(frames[1].Pixels, frames[2].Pixels);
    EXPECT_NE(frames[6].Pixels, frames[7].Pixels);
    ReleaseSprites();
    ReleaseRenderer();
}

TEST_F(SoftwareFrameTest, TheFrameIsScaledAndPlacedAsSdlDoesIt) {
    // A frame of every colour in steps, edges included.
    DecodedImage pattern;
    pattern.Width = ScreenWidth;
    pattern.Height = ScreenHeight;
    for (uint32_t y = 0; y < ScreenHeight; ++y) {
        for (uint32_t x = 0; x < ScreenWidth; ++x) {
            pattern.Pixels.push_back(0xFF000000u | ((x * 7) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 |
                                     ((x ^ y) & 0xFF));
        }
    }
    SoftwareFrame frame;
    const SDL_Rect whole{0, 0, ScreenWidth, ScreenHeight};
    frame.Blend(pattern, 0, 0, OpaqueWhite, whole);
    std::vector<uint32_t> composed = frame.All();
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
        composed.data(), ScreenWidth, ScreenHeight, 32, ScreenWidth * 4, SDL_PIXELFORMAT_ARGB8888);

    const std::pair<int, int> windows[] = {{1920, 1080}, {1024, 768}, {1280, 1024}, {1000, 700},
                                           {1366, 768},  {800, 600},  {640, 360}};
    for (const auto& [width, height] : windows) {
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        // Where SDL's logical size puts the frame: a white picture drawn over black.
        SDL_Surface* window =
            SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
        SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(window);
        SDL_RenderSetLogicalSize(renderer, ScreenWidth, ScreenHeight);
        SDL_Texture* white = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                               SDL_TEXTUREACCESS_STATIC, ScreenWidth, ScreenHeight);
        const std::vector<uint32_t> opaque(static_cast<size_t>(ScreenWidth) * ScreenHeight,
                                           0xFFFFFFFF);
        SDL_UpdateTexture(white, nullptr, opaque.data(), ScreenWidth * 4);
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, white, nullptr, nullptr);
        SDL_RenderFlush(renderer);
        SDL_Rect drawn{width, height, 0, 0};
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(
                static_cast<const uint8_t*>(window->pixels) + y * window->pitch);
            for (int x = 0; x < width; ++x) {
                if ((row[x] & 0xFFFFFF) == 0) continue;
                drawn.w = std::max(drawn.w, x + 1);
                drawn.h = std::max(drawn.h, y + 1);
                drawn.x = std::min(drawn.x, x);
                drawn.y = std::min(drawn.y, y);
            }
        }
        drawn.w -= drawn.x;
        drawn.h -= drawn.y;
        SDL_DestroyTexture(white);
        SDL_DestroyRenderer(renderer);
        SDL_FreeSurface(window);
        const SDL_Rect viewport = FrameViewport(width, height);
        EXPECT_TRUE(SDL_RectEquals(&viewport, &drawn))
            << size << ": " << viewport.x << "," << viewport.y << " " << viewport.w << "x"
            << viewport.h << " against " << drawn.x << "," << drawn.y << " " << drawn.w << "x"
            << drawn.h;

        // The pixels: SDL's own linear scaling of the same frame.
        SDL_Surface* scaled =
            SDL_CreateRGBSurfaceWithFormat(0, viewport.w, viewport.h, 32, SDL_PIXELFORMAT_ARGB8888);
        ASSERT_EQ(SDL_SoftStretchLinear(source, nullptr, scaled, nullptr), 0) << SDL_GetError();
        FrameScaler scaler;
        scaler.Resize(viewport.w, viewport.h);
        std::vector<uint32_t> ours(static_cast<size_t>(viewport.w) * viewport.h);
        auto* out = reinterpret_cast<uint8_t*>(ours.data());
        scaler.Put(frame, {0, 0, viewport.w, viewport.h}, out, viewport.w * 4, WindowPixels::Xrgb);
        size_t differing = 0;
        for (int y = 0; y < viewport.h; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(
                static_cast<const uint8_t*>(scaled->pixels) + y * scaled->pitch);
            for (int x = 0; x < viewport.w; ++x) {
                differing +=
                    ((row[x] ^ ours[static_cast<size_t>(y) * viewport.w + x]) & 0xFFFFFF) != 0;
            }
        }
        EXPECT_EQ(differing, 0u) << size;
        SDL_FreeSurface(scaled);

        // The same for windows whose top byte is alpha (full), and for a page's canvas, which
        // keeps red and blue the other way round.
        for (const WindowPixels kind : {WindowPixels::Argb, WindowPixels::Abgr}) {
            std::vector<uint32_t> other(ours.size());
            scaler.Put(frame, {0, 0, viewport.w, viewport.h},
                       reinterpret_cast<uint8_t*>(other.data()), viewport.w * 4, kind);
            size_t wrong = 0;
            for (size_t i = 0; i < ours.size(); ++i) {
                uint32_t expected = ours[i] | 0xFF000000u;
                if (kind == WindowPixels::Abgr) {
                    expected = (expected & 0xFF00FF00u) | ((expected >> 16) & 0xFFu) |
                               ((expected & 0xFFu) << 16);
                }
                wrong += other[i] != expected;
            }
            EXPECT_EQ(wrong, 0u) << size << (kind == WindowPixels::Abgr ? " (abgr)" : " (argb)");
        }

        // A part of the frame put on its own: the same pixels as the whole, and everything
        // that part shows lies inside what Affected gives.
        const SDL_Rect changed{300, 200, 57, 31};
        const SDL_Rect affected = scaler.Affected(changed);
        std::vector<uint32_t> part(ours.size(), 0);
        scaler.Put(frame, affected, reinterpret_cast<uint8_t*>(part.data()), viewport.w * 4,
                   WindowPixels::Xrgb);
        SoftwareFrame other;
        other.Blend(pattern, 0, 0, OpaqueWhite, whole);
        other.Fill(changed, 0xFF123456);
        std::vector<uint32_t> otherScaled(ours.size());
        scaler.Put(other, {0, 0, viewport.w, viewport.h},
                   reinterpret_cast<uint8_t*>(otherScaled.data()), viewport.w * 4,
                   WindowPixels::Xrgb);
        size_t outside = 0, wrong = 0;
        for (int y = 0; y < viewport.h; ++y) {
            for (int x = 0; x < viewport.w; ++x) {
                const size_t at = static_cast<size_t>(y) * viewport.w + x;
                const SDL_Point point{x, y};
                const bool inside = SDL_PointInRect(&point, &affected);
                outside += !inside && otherScaled[at] != ours[at];
                wrong += inside && part[at] != ours[at];
            }
        }
        EXPECT_EQ(outside, 0u) << size;
        EXPECT_EQ(wrong, 0u) << size;
    }
    SDL_FreeSurface(source);
}

}  // namespace
