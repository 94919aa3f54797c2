// The platform over SDL2, SDL2_image and SDL2_mixer.
#pragma once

#include <memory>

#include "platform/platform.h"

struct SdlPlatformOptions {
    // Present in step with the display's refresh. Off only for measuring raw drawing speed.
    bool VSync = true;
};

std::unique_ptr<Platform> CreateSdlPlatform(const SdlPlatformOptions& options = {});
