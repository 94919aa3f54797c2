#include "platform/sdl/sdl_platform.h"

#include <SDL_image.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <thread>

#include "platform/sdl/sdl_paths.h"
#include "platform/sdl/sdl_picture.h"
#include "platform/sdl/sdl_platform_impl.h"

std::unique_ptr<Platform> CreateSdlPlatform(const SdlPlatformOptions& options) {
    return std::make_unique<SdlPlatform>(options);
}

SdlPlatform::SdlPlatform(const SdlPlatformOptions& options)
    : Options(options), Start(std::chrono::steady_clock::now()) {
    std::fill(std::begin(ChannelVolumes), std::end(ChannelVolumes), 255);
    if (Options.PlayerFolders) {
        const GameFolders folders = ChooseGameFoldersHere();
        Assets = folders.Assets;
        Scratch = EnterDataFolder(folders.Data);
    }
}

SdlPlatform::~SdlPlatform() {
    CloseSound();
    CloseGamepads();
    CloseDisplay();
    IMG_Quit();
    SDL_Quit();
    if (!Scratch.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(Scratch, ignored);
    }
}

std::string SdlPlatform::AssetPath(const char* file) const {
    return Assets + LinuxPath(file);
}

// Time.

int64_t SdlPlatform::Clock() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 Start)
        .count();
}

int64_t SdlPlatform::Time() {
    return static_cast<int64_t>(std::time(nullptr));
}

void SdlPlatform::Sleep(int32_t milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
