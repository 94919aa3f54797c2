// What the two desktops, Linux and Windows, do alike: OpenGL asked its renderer's name, a real
// window that switches between full screen and a window of its own size, presents every frame,
// sleeps its thread, and reads the pictures and sounds ahead on a second thread.
#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/frame_clock.h"
#include "platform/platform.h"
#include "platform/sdl/host.h"
#include "platform/sdl/sdl_platform_impl.h"
#include "platform/sdl/sdl_renderer_choice.h"

bool OpenGlIsSoftware(SDL_Window* window) {
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) return true;
    using GetString = const unsigned char* (*)(unsigned int);
    constexpr unsigned int GlRenderer = 0x1F01;
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* name = getString != nullptr ? getString(GlRenderer) : nullptr;
    const bool software = NamesSoftwareRasterizer(LowerCase(reinterpret_cast<const char*>(name)));
    SDL_GL_DeleteContext(context);
    return software;
}

bool PresentsWaitForRefresh() {
    return true;
}

Uint32 HostWindowFlags() {
    return 0;
}

bool FullScreenUnlessChosen() {
    return true;  // never chosen: full screen, as it always was
}

bool IsFullScreenNow(SDL_Window*, bool asked) {
    return asked;
}

void ApplyFullScreen(SDL_Window* window, bool fullScreen, WindowedSize& windowed) {
    const int display = std::max(SDL_GetWindowDisplayIndex(window), 0);
    if (fullScreen) {
        if ((SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) == 0) {
            SDL_GetWindowSize(window, &windowed.Width, &windowed.Height);
        }
        // Without a window manager the full-screen request is not carried out; the window then
        // covers the desktop by its own size and place.
        SDL_Rect bounds{0, 0, ScreenWidth, ScreenHeight};
        SDL_GetDisplayBounds(display, &bounds);
        SDL_SetWindowPosition(window, bounds.x, bounds.y);
        SDL_SetWindowSize(window, bounds.w, bounds.h);
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        SDL_SetWindowFullscreen(window, 0);
        int width = windowed.Width, height = windowed.Height;
        if (width <= 0 || height <= 0) WindowSizeFor(display, width, height);
        SDL_SetWindowSize(window, width, height);
        SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                              SDL_WINDOWPOS_CENTERED_DISPLAY(display));
    }
}

void PresentFrame(SDL_Renderer* renderer, bool) {
    SDL_RenderPresent(renderer);
}

bool PictureLost() {
    return false;  // a change of the window's size comes as a window event
}

void PresentWindowPixels(SDL_Window* window, const SDL_Rect* rects, int count) {
    if (count > 0) SDL_UpdateWindowSurfaceRects(window, rects, count);
}

void SleepFor(int64_t ns) {
    std::this_thread::sleep_for(std::chrono::nanoseconds(ns));
}

const int64_t PollPause = FrameClock::Millisecond;

const bool ReadsAhead = true;

// Every file is on the disk.
bool AssetFileToCome(const std::string&) {
    return false;
}

void AwaitAssetFile(const std::string&) {}

void ReadHostKeys(uint8_t*) {}

void AnnounceKeyMode(KeyMode) {}
