#include "platform/sdl/sdl_platform.h"

#include <SDL_image.h>

#include <algorithm>
#include <ctime>
#include <filesystem>

#include "platform/sdl/host.h"
#include "platform/sdl/sdl_picture.h"
#include "platform/sdl/sdl_platform_impl.h"

std::unique_ptr<Platform> CreateSdlPlatform(const SdlPlatformOptions& options) {
    return std::make_unique<SdlPlatform>(options);
}

SdlPlatform::SdlPlatform(const SdlPlatformOptions& options)
    : Options(options), Start(std::chrono::steady_clock::now()) {
    std::fill(std::begin(ChannelVolumes), std::end(ChannelVolumes), 255);
    // Before the picture reader's thread can start decoding.
    IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG);
    if (Options.PlayerFolders) {
        const PlayerFolders folders = EnterPlayerFolders();
        Assets = folders.Assets;
        Scratch = folders.Scratch;
    }
}

SdlPlatform::~SdlPlatform() {
    CloseSound();
    CloseGamepads();
    CloseDisplay();
    IMG_Quit();
    SDL_Quit();
    if (!Scratch.empty()) {
        // Out of it first: Windows removes no folder a program works in. The name is UTF-8.
        const std::filesystem::path scratch = std::u8string(Scratch.begin(), Scratch.end());
        std::error_code ignored;
        std::filesystem::current_path(scratch.parent_path(), ignored);
        std::filesystem::remove_all(scratch, ignored);
    }
}

std::string SdlPlatform::AssetPath(const char* file) const {
    return Assets + LinuxPath(file);
}

// Time.

int64_t SdlPlatform::Clock() {
    return NowNs() / FrameClock::Millisecond;
}

int64_t SdlPlatform::NowNs() const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                                Start)
        .count();
}

int64_t SdlPlatform::Time() {
    return static_cast<int64_t>(std::time(nullptr));
}

void SdlPlatform::Sleep(int32_t milliseconds) {
    if (milliseconds > 0) WaitUntil(NowNs() + milliseconds * FrameClock::Millisecond);
}

void SdlPlatform::WaitUntil(int64_t ns) {
    PolledSinceWait = false;
    constexpr int64_t Slice = 10 * FrameClock::Millisecond;  // a close is answered within this
    for (bool slept = false;; slept = true) {
        PumpEvents();
        if (Closed) return;
        const int64_t now = NowNs();
        if (now >= ns) {
            // Late already: a page still hands itself to the browser once, to show the frame.
            if (!slept) SleepFor(0);
            return;
        }
        SleepFor(std::min(ns - now, Slice));
    }
}
