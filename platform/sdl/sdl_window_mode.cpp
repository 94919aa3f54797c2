// The SDL platform's two ways of showing the game: full screen or a window, switched by
// Alt+Enter or F11 and remembered across runs in "display.dat" beside the player's files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>

#include "platform/sdl/sdl_platform_impl.h"

namespace {

constexpr const char* ChoiceFile = "display.dat";
constexpr const char* FullScreenWord = "fullscreen";
constexpr const char* WindowWord = "window";

// Room left around a window for the desktop's title bar and borders, so that it fits whole.
constexpr int FrameRoomWidth = 16;
constexpr int FrameRoomHeight = 48;
constexpr int SmallestWidth = 320;

bool SaveFailed(const std::string& reason) {
    std::fprintf(stderr,
                 "zantorvix: could not save \"%s\": %s; the choice lasts until the game ends\n",
                 ChoiceFile, reason.c_str());
    return false;
}

// Written beside and renamed over the old file, so that a crash leaves the old choice whole.
bool SaveChoice(bool fullScreen) {
    // A file the player made read-only stays as it is, like the other files.
    if (::access(ChoiceFile, W_OK) != 0 && errno == EACCES) return SaveFailed("it is read-only");
    const std::string temp = std::string(ChoiceFile) + ".tmp";
    const int fd =
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return SaveFailed(std::strerror(errno));
    const char* word = fullScreen ? FullScreenWord : WindowWord;
    const size_t length = std::strlen(word);
    const bool written =
        ::write(fd, word, length) == static_cast<ssize_t>(length) && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!written || ::rename(temp.c_str(), ChoiceFile) != 0) {
        const std::string reason = std::strerror(written ? errno : error);
        ::unlink(temp.c_str());
        return SaveFailed(reason);
    }
    return true;
}

// The largest size of the game's shape, up to its own 1024x768, that fits on the display with
// the window's frame.
void FittedWindowSize(int display, int& width, int& height) {
    SDL_Rect usable{0, 0, ScreenWidth + FrameRoomWidth, ScreenHeight + FrameRoomHeight};
    if (SDL_GetDisplayUsableBounds(display, &usable) != 0) {
        usable = SDL_Rect{0, 0, ScreenWidth + FrameRoomWidth, ScreenHeight + FrameRoomHeight};
    }
    const int roomWidth = usable.w - FrameRoomWidth, roomHeight = usable.h - FrameRoomHeight;
    width = std::min({ScreenWidth, roomWidth, roomHeight * ScreenWidth / ScreenHeight});
    width = std::max(width, SmallestWidth);
    height = width * ScreenHeight / ScreenWidth;
}

}  // namespace

bool ReadFullScreenChoice() {
    // Non-blocking, so that a pipe left under the file's name cannot stall the start.
    const int fd = ::open(ChoiceFile, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) return true;  // never chosen: full screen, as it always was
    char buffer[64] = {};
    struct stat info {};
    ssize_t got = -1;
    if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        got = ::read(fd, buffer, sizeof buffer - 1);
    }
    if (fd >= 0) ::close(fd);
    std::istringstream words(std::string(buffer, got > 0 ? static_cast<size_t>(got) : 0));
    std::string word;
    words >> word;
    if (word == FullScreenWord) return true;
    if (word == WindowWord) return false;
    std::fprintf(stderr, "zantorvix: \"%s\" holds neither \"%s\" nor \"%s\"; full screen it is\n",
                 ChoiceFile, FullScreenWord, WindowWord);
    return true;
}

void WindowSizeFor(int display, int& width, int& height) {
    FittedWindowSize(display, width, height);
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
    FullScreen = !FullScreen;
    ApplyFullScreen();
    if (Options.RememberWindowChoice) SaveChoice(FullScreen);
}

void SdlPlatform::ApplyFullScreen() {
    const int display = std::max(SDL_GetWindowDisplayIndex(Window), 0);
    if (FullScreen) {
        if ((SDL_GetWindowFlags(Window) & SDL_WINDOW_FULLSCREEN) == 0) {
            SDL_GetWindowSize(Window, &LastWindowWidth, &LastWindowHeight);
        }
        // Without a window manager the full-screen request is not carried out; the window then
        // covers the desktop by its own size and place.
        SDL_Rect bounds{0, 0, ScreenWidth, ScreenHeight};
        SDL_GetDisplayBounds(display, &bounds);
        SDL_SetWindowPosition(Window, bounds.x, bounds.y);
        SDL_SetWindowSize(Window, bounds.w, bounds.h);
        SDL_SetWindowFullscreen(Window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        SDL_SetWindowFullscreen(Window, 0);
        int width = LastWindowWidth, height = LastWindowHeight;
        if (width <= 0 || height <= 0) FittedWindowSize(display, width, height);
        SDL_SetWindowSize(Window, width, height);
        SDL_SetWindowPosition(Window, SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                              SDL_WINDOWPOS_CENTERED_DISPLAY(display));
    }
}
