// The platform over SDL2, SDL2_image and SDL2_mixer.
#pragma once

#include <memory>

#include "platform/platform.h"

struct SdlPlatformOptions {
    // Present in step with the display's refresh. Off only for measuring raw drawing speed.
    bool VSync = true;
    // Find the pictures and sounds and keep the player's files where an installed game does
    // (see sdl_paths.h), working in the data folder. The program sets this; tests and tools
    // work in the folder they are started in.
    bool PlayerFolders = false;
    // Keep the window-or-full-screen choice in "display.dat" when the player switches. Off
    // when watching a replay, which writes no player file.
    bool RememberWindowChoice = true;
};

std::unique_ptr<Platform> CreateSdlPlatform(const SdlPlatformOptions& options = {});
