// The platform over SDL2, SDL2_image and SDL2_mixer.
#pragma once

#include <memory>

#include "platform/platform.h"

struct SdlPlatformOptions {
    // Present in step with the display's refresh where the driver can (no tearing).
    bool VSync = true;
    // Keep frames 1/60 s apart (see platform/frame_clock.h). Off for tests that only compose.
    bool PaceFrames = true;
    // Compose a frame only when its pictures differ from the last one, and keep the full-screen
    // pictures that open a frame as one cached layer. Off only to compare the pixels both ways.
    bool DrawLess = true;
    // Find the pictures and sounds and keep the player's files where an installed game does
    // (see sdl_paths.h), working in the data folder. The program sets this; tests and tools
    // work in the folder they are started in.
    bool PlayerFolders = false;
    // Keep the window-or-full-screen choice in "display.dat" when the player switches. Off
    // when watching a replay, which writes no player file.
    bool RememberWindowChoice = true;
};

std::unique_ptr<Platform> CreateSdlPlatform(const SdlPlatformOptions& options = {});

// Tells the home the program runs in that it has ended with this status: a page then offers a
// new start; a desktop's program simply exits.
void AnnounceProgramEnd(int status);
