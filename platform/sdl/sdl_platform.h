// The platform over SDL2, SDL2_image and SDL2_mixer.
#pragma once

#include <memory>

#include "platform/platform.h"

std::unique_ptr<Platform> CreateSdlPlatform();
