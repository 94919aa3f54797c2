// Drives the real game executable the way a player meets it: a virtual X display of exactly
// 1024x768, real key events from xdotool, screenshots of what was drawn, and the window's close
// button pressed through the window system.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

struct Image {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels;  // 0xAARRGGBB, row by row

    uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y * Width + x)]; }
    bool Empty() const { return Pixels.empty(); }
    void SavePng(const std::filesystem::path& file) const;
};

// Loads a PNG, JPEG (or anything SDL_image reads) as ARGB pixels; magenta is left as it is.
Image LoadPicture(const std::filesystem::path& file);

// Mean colour of a rectangle, as {r, g, b}.
struct Colour {
    double R = 0, G = 0, B = 0;
};
Colour MeanColour(const Image& image, int x, int y, int width, int height);
double Distance(const Colour& a, const Colour& b);

// Draws `picture` over `below` at (x, y) with alpha blending and the ARGB tint multiplied in, the
// way the game draws a picture (white: as it is); opaque magenta counts as transparent.
void Compose(Image& below, const Image& picture, int x, int y, uint32_t colour = 0xFFFFFFFFu);

// Mean absolute difference per channel (0 to 255) between two images over a rectangle.
double RegionDifference(const Image& a, const Image& b, int x, int y, int width, int height);

// One Xvfb server for this test process, started on first use.
const std::string& DisplayName();

// A folder that looks like the game's: a copy of the generated gfx/ and sfx/.
std::filesystem::path MakeGameFolder();

// How to start the game: which program, with what more in its environment, and where its
// stderr goes (default: stderr.txt in its folder).
struct LaunchOptions {
    std::filesystem::path Binary{};
    std::vector<std::pair<std::string, std::string>> Environment{};
    std::filesystem::path StderrFile{};
    std::vector<std::string> Arguments{};  // the command-line arguments after the program's name
};

class GameRun {
  public:
    explicit GameRun(const std::filesystem::path& folder, LaunchOptions options = {});
    ~GameRun();
    GameRun(const GameRun&) = delete;
    GameRun& operator=(const GameRun&) = delete;

    bool Running();
    // Waits for the program to end; returns false on timeout. The exit status lands in ExitStatus.
    bool WaitForExit(std::chrono::milliseconds timeout);
    int ExitStatus = -1;  // exit status, or -signal
    std::string Stderr() const;
    // For a failure's message: whether the program still runs, each thread's state, where it
    // waits and the CPU it has used (a stuck frame and a paused game look the same on screen),
    // and what it wrote to stderr.
    std::string Describe();
    std::filesystem::path Folder;
    std::filesystem::path StderrFile;

  private:
    pid_t Pid = -1;
};

// Holds a key down for `hold` and lets it go (xdotool key names: Up, Return, Escape, a, space,
// KP_Add ...).
void PressKey(const std::string& key,
              std::chrono::milliseconds hold = std::chrono::milliseconds(100));
void KeyDown(const std::string& key);
void KeyUp(const std::string& key);

Image TakeScreenshot();
// Asks the game's window to close, as its close button would (WM_DELETE_WINDOW).
bool CloseGameWindow();
// Waits until the game's window exists and is mapped.
bool WaitForWindow(std::chrono::milliseconds timeout);

// The game window's size on the screen, {0, 0} when there is none.
std::pair<int, int> GameWindowSize();
// Gives the keyboard focus to the game's window, as a window manager gives it to a new window.
bool FocusGameWindow();
// Opens a small window of the harness's own and gives it the focus, as Alt+Tab would; the
// window goes again at the next FocusGameWindow.
bool FocusAnotherWindow();
// Sets the keyboard layout of the virtual display (setxkbmap), e.g. "fr" or "us".
void SetKeyboardLayout(const std::string& layout);
// Installs the build into `prefix` with `cmake --install`; returns the installed program.
std::filesystem::path InstallGame(const std::filesystem::path& prefix);

// Polls `done` every 50 ms until it is true or the timeout passes.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
// Holds Space (pressed afresh every 8 s, in case the display lost the held key) until the game
// in `dataFolder` is over; false if it never ends within `presses` presses.
bool HoldSpaceUntilToppedOut(const std::filesystem::path& dataFolder, int presses = 20);

std::string ReadFile(const std::filesystem::path& file);
void Pause(std::chrono::milliseconds duration);

// Saves a screenshot under $ZANTORVIX_SHOTS (when set), for looking at by eye.
void KeepScreenshot(const Image& image, const std::string& name);

}  // namespace e2e
