// The SDL platform's window and renderer: the full-screen window, the 1024x768 composing
// target, the pictures and the frames.
#include <SDL_image.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/sdl/sdl_picture.h"
#include "platform/sdl/sdl_platform_impl.h"

namespace {

constexpr const char* IconFile = "gfx//icon.png";

bool IsInvisibleVideoDriver(const char* driver) {
    return std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

}  // namespace

bool SdlPlatform::FailDisplay(const char* reason) {
    std::fprintf(stderr, "zantorvix: cannot open a display: %s\n", reason);
    CloseDisplay();
    return false;
}

bool SdlPlatform::OpenDisplay(const char* title) {
    if (Render != nullptr) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return FailDisplay(SDL_GetError());
    VideoOpen = true;
    // With no X or Wayland display, SDL quietly falls back on drivers that show nothing; the
    // game would then run unseen. They are used only when asked for by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* requested = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (driver != nullptr && IsInvisibleVideoDriver(driver) &&
        (requested == nullptr || std::strstr(requested, driver) == nullptr)) {
        return FailDisplay("no X11 or Wayland display is available");
    }
    IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG);

    // Full screen is made at the desktop's own size: without a window manager (a bare X
    // server) the full-screen request is not carried out, and the window would stay 1024x768
    // while SDL draws for the whole desktop.
    FullScreen = ReadFullScreenChoice();
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0 || desktop.w <= 0 || desktop.h <= 0) {
        desktop.w = ScreenWidth;
        desktop.h = ScreenHeight;
    }
    int width = desktop.w, height = desktop.h;
    if (!FullScreen) WindowSizeFor(0, width, height);
    Window =
        SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                         SDL_WINDOW_RESIZABLE | (FullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0));
    if (Window == nullptr) return FailDisplay(SDL_GetError());
    SDL_SetWindowMinimumSize(Window, ScreenWidth / 4, ScreenHeight / 4);

    Render = SDL_CreateRenderer(Window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
    if (Render == nullptr) {
        Render = SDL_CreateRenderer(Window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
    }
    if (Render == nullptr) return FailDisplay(SDL_GetError());
    // Where the driver cannot wait for the refresh itself, SDL paces the presents instead.
    SDL_RenderSetVSync(Render, Options.VSync ? 1 : 0);
    SDL_RenderSetLogicalSize(Render, ScreenWidth, ScreenHeight);

    Target = SDL_CreateTexture(Render, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                               ScreenWidth, ScreenHeight);
    if (Target == nullptr) return FailDisplay(SDL_GetError());
    SDL_SetTextureBlendMode(Target, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(Target, SDL_ScaleModeLinear);

    SDL_ShowCursor(SDL_DISABLE);
    SetWindowIcon();
    return true;
}

void SdlPlatform::SetWindowIcon() {
    const std::string path = AssetPath(IconFile);
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) return;
    SDL_Surface* icon = IMG_Load(path.c_str());
    if (icon == nullptr) {
        std::fprintf(stderr, "zantorvix: cannot load picture %s: %s\n", path.c_str(),
                     IMG_GetError());
        return;
    }
    SDL_SetWindowIcon(Window, icon);
    SDL_FreeSurface(icon);
}

void SdlPlatform::CloseDisplay() {
    for (SDL_Texture*& texture : Textures) {
        if (texture != nullptr) SDL_DestroyTexture(texture);
        texture = nullptr;
    }
    if (Target != nullptr) SDL_DestroyTexture(Target);
    Target = nullptr;
    if (Render != nullptr) SDL_DestroyRenderer(Render);
    Render = nullptr;
    if (Window != nullptr) SDL_DestroyWindow(Window);
    Window = nullptr;
    if (VideoOpen) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    VideoOpen = false;
}

void SdlPlatform::BeginFrame() {
    if (Render == nullptr) return;
    SDL_SetRenderTarget(Render, Target);
    SDL_SetRenderDrawColor(Render, 0, 0, 0, 255);
    SDL_RenderClear(Render);
}

void SdlPlatform::EndFrame() {
    if (Render == nullptr) return;
    SDL_SetRenderTarget(Render, nullptr);
    SDL_SetRenderDrawColor(Render, 0, 0, 0, 255);
    SDL_RenderClear(Render);  // the bars around a frame that does not fill the screen
    SDL_RenderCopy(Render, Target, nullptr, nullptr);
    SDL_RenderPresent(Render);
}

TextureId SdlPlatform::LoadTexture(const char* file, int32_t* width, int32_t* height) {
    *width = 0;
    *height = 0;
    const std::string path = AssetPath(file);
    if (Render == nullptr) {
        std::fprintf(stderr, "zantorvix: cannot load picture %s: no display is open\n",
                     path.c_str());
        return 0;
    }
    DecodedImage image;
    std::string error;
    if (!ReadPicture(path, image, error)) {
        std::fprintf(stderr, "zantorvix: cannot load picture %s: %s\n", path.c_str(),
                     error.c_str());
        return 0;
    }
    KeyOutMagenta(image.Pixels);
    SDL_Texture* texture = SDL_CreateTexture(Render, SDL_PIXELFORMAT_ARGB8888,
                                             SDL_TEXTUREACCESS_STATIC, image.Width, image.Height);
    if (texture == nullptr ||
        SDL_UpdateTexture(texture, nullptr, image.Pixels.data(), image.Width * 4) != 0) {
        std::fprintf(stderr, "zantorvix: cannot load picture %s: %s\n", path.c_str(),
                     SDL_GetError());
        if (texture != nullptr) SDL_DestroyTexture(texture);
        return 0;
    }
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
    Textures.push_back(texture);
    *width = image.Width;
    *height = image.Height;
    return static_cast<TextureId>(Textures.size() - 1);
}

void SdlPlatform::DrawTexture(TextureId texture, int32_t x, int32_t y, int32_t width,
                              int32_t height, uint32_t colour) {
    if (texture <= 0 || static_cast<size_t>(texture) >= Textures.size()) return;
    SDL_Texture* picture = Textures[static_cast<size_t>(texture)];
    if (picture == nullptr) return;
    SDL_SetTextureColorMod(picture, static_cast<Uint8>(colour >> 16),
                           static_cast<Uint8>(colour >> 8), static_cast<Uint8>(colour));
    SDL_SetTextureAlphaMod(picture, static_cast<Uint8>(colour >> 24));
    const SDL_Rect where{x, y, width, height};
    SDL_RenderCopy(Render, picture, nullptr, &where);
}

void SdlPlatform::ReleaseTexture(TextureId texture) {
    if (texture <= 0 || static_cast<size_t>(texture) >= Textures.size()) return;
    SDL_Texture*& picture = Textures[static_cast<size_t>(texture)];
    if (picture != nullptr) SDL_DestroyTexture(picture);
    picture = nullptr;
}

std::vector<uint32_t> SdlPlatform::ReadFrame() {
    if (Render == nullptr) return {};
    std::vector<uint32_t> pixels(static_cast<size_t>(ScreenWidth) * ScreenHeight);
    SDL_Texture* previous = SDL_GetRenderTarget(Render);
    SDL_SetRenderTarget(Render, Target);
    const int result = SDL_RenderReadPixels(Render, nullptr, SDL_PIXELFORMAT_ARGB8888,
                                            pixels.data(), ScreenWidth * 4);
    SDL_SetRenderTarget(Render, previous);
    if (result != 0) return {};
    return pixels;
}
