// The SDL platform's two ways of showing the game: full screen or a window, switched by
// Alt+Enter or F11 and remembered across runs in "display.dat" beside the player's files.
#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>

#include "platform/file.h"
#include "platform/sdl/host.h"
#include "platform/sdl/sdl_platform_impl.h"

namespace {

constexpr const char* ChoiceFile = "display.dat";
constexpr const char* FullScreenWord = "fullscreen";
constexpr const char* WindowWord = "window";

// Room left around a window for the desktop's title bar and borders, so that it fits whole.
constexpr int FrameRoomWidth = 16;
constexpr int FrameRoomHeight = 48;
constexpr int SmallestWidth = 320;

// Saved like every other file of the player's, so that a crash leaves the old choice whole.
void SaveChoice(bool fullScreen) {
    std::string error;
    if (ReplaceFile(ChoiceFile, fullScreen ? FullScreenWord : WindowWord, error)) return;
    std::fprintf(stderr,
                 "zantorvix: could not save \"%s\": %s; the choice lasts until the game ends\n",
                 ChoiceFile, error.c_str());
}

}  // namespace

void WindowSizeFor(int display, int& width, int& height) {
    SDL_Rect usable{0, 0, ScreenWidth + FrameRoomWidth, ScreenHeight + FrameRoomHeight};
    if (SDL_GetDisplayUsableBounds(display, &usable) != 0) {
        usable = SDL_Rect{0, 0, ScreenWidth + FrameRoomWidth, ScreenHeight + FrameRoomHeight};
    }
    const int roomWidth = usable.w - FrameRoomWidth, roomHeight = usable.h - FrameRoomHeight;
    width = std::min({ScreenWidth, roomWidth, roomHeight * ScreenWidth / ScreenHeight});
    width = std::max(width, SmallestWidth);
    height = width * ScreenHeight / ScreenWidth;
}

bool ReadFullScreenChoice() {
    std::string bytes, error;
    // The first word is all there is to it; a longer file is damaged anyway.
    if (ReadWholeFile(ChoiceFile, bytes, error, 63) == FileRead::Missing) {
        return FullScreenUnlessChosen();
    }
    std::istringstream words(bytes);
    std::string word;
    words >> word;
    if (word == FullScreenWord) return true;
    if (word == WindowWord) return false;
    std::fprintf(stderr, "zantorvix: \"%s\" holds neither \"%s\" nor \"%s\"; full screen it is\n",
                 ChoiceFile, FullScreenWord, WindowWord);
    return true;
}

bool SdlPlatform::FocusLost() {
    const bool lost = FocusLossPending;
    FocusLossPending = false;
    return lost;
}

void SdlPlatform::NoticeKey(const SDL_KeyboardEvent& key) {
    if (key.type != SDL_KEYDOWN || key.repeat) return;
    const SDL_Scancode scancode = key.keysym.scancode;
    const bool enter = scancode == SDL_SCANCODE_RETURN || scancode == SDL_SCANCODE_KP_ENTER;
    if (scancode == SDL_SCANCODE_F11 || (enter && (key.keysym.mod & KMOD_ALT) != 0)) {
        // The Enter stays away from the game until it is let go, even once Alt is.
        if (enter) ReturnSwallowed = true;
        ToggleFullScreen();
    }
}

void SdlPlatform::ToggleFullScreen() {
    if (Window == nullptr) return;
    FullScreen = !IsFullScreenNow(Window, FullScreen);
    ApplyFullScreen(Window, FullScreen, Windowed);
    if (Options.RememberWindowChoice) SaveChoice(FullScreen);
}
