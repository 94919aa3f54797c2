#include "e2e/harness.h"

#include <SDL.h>
#include <SDL_image.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/dds.h"
#include "virtual_display.h"

namespace fs = std::filesystem;

namespace e2e {

namespace {

// The one display of this test process, of exactly the game's size, made the DISPLAY of
// everything it starts.
VirtualDisplay& Server() {
    static VirtualDisplay server("1024x768");
    static const bool exported = setenv("DISPLAY", server.Name.c_str(), 1) == 0;
    (void)exported;
    return server;
}

Window GameWindow() {
    Display* display = Server().Connection;
    return FindWindowNamed(display, DefaultRootWindow(display), "Zantorvix");
}

void RunXdotool(const std::string& arguments) {
    DisplayName();
    const std::string command = "xdotool " + arguments;
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

}  // namespace

void Image::SavePng(const fs::path& file) const {
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(Pixels.data()), Width, Height, 32,
                                           Width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (surface) {
        IMG_SavePNG(surface, file.c_str());
        SDL_FreeSurface(surface);
    }
}

Image LoadPicture(const fs::path& file) {
    Image image;
    if (file.extension() == ".dds") {
        const std::string bytes = ReadFile(file);
        DecodedImage decoded;
        std::string error;
        if (DecodeDds(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), decoded,
                      error)) {
            image.Width = decoded.Width;
            image.Height = decoded.Height;
            image.Pixels = std::move(decoded.Pixels);
        }
        return image;
    }
    SDL_Surface* loaded = IMG_Load(file.c_str());
    if (!loaded) return image;
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!argb) return image;
    image.Width = argb->w;
    image.Height = argb->h;
    image.Pixels.resize(static_cast<size_t>(argb->w * argb->h));
    for (int y = 0; y < argb->h; ++y) {
        std::memcpy(&image.Pixels[static_cast<size_t>(y * argb->w)],
                    static_cast<const uint8_t*>(argb->pixels) + y * argb->pitch,
                    static_cast<size_t>(argb->w) * 4);
    }
    SDL_FreeSurface(argb);
    return image;
}

Colour MeanColour(const Image& image, int x, int y, int width, int height) {
    Colour sum;
    int count = 0;
    for (int py = y; py < y + height; ++py) {
        for (int px = x; px < x + width; ++px) {
            if (px < 0 || py < 0 || px >= image.Width || py >= image.Height) continue;
            const uint32_t p = image.At(px, py);
            sum.R += (p >> 16) & 0xFF;
            sum.G += (p >> 8) & 0xFF;
            sum.B += p & 0xFF;
            ++count;
        }
    }
    if (count > 0) {
        sum.R /= count;
        sum.G /= count;
        sum.B /= count;
    }
    return sum;
}

double Distance(const Colour& a, const Colour& b) {
    return std::sqrt((a.R - b.R) * (a.R - b.R) + (a.G - b.G) * (a.G - b.G) +
                     (a.B - b.B) * (a.B - b.B));
}

void Compose(Image& below, const Image& picture, int x, int y) {
    for (int py = 0; py < picture.Height; ++py) {
        for (int px = 0; px < picture.Width; ++px) {
            const int bx = x + px, by = y + py;
            if (bx < 0 || by < 0 || bx >= below.Width || by >= below.Height) continue;
            const uint32_t src = picture.At(px, py);
            if (src == 0xFFFF00FFu) continue;
            const uint32_t a = src >> 24;
            uint32_t& dst = below.Pixels[static_cast<size_t>(by * below.Width + bx)];
            uint32_t out = 0xFF000000u;
            for (int shift = 0; shift <= 16; shift += 8) {
                const uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
                out |= ((s * a + d * (255 - a)) / 255) << shift;
            }
            dst = out;
        }
    }
}

double RegionDifference(const Image& a, const Image& b, int x, int y, int width, int height) {
    double sum = 0;
    int count = 0;
    for (int py = y; py < y + height; ++py) {
        for (int px = x; px < x + width; ++px) {
            const uint32_t p = a.At(px, py), q = b.At(px, py);
            for (int shift = 0; shift <= 16; shift += 8) {
                sum += std::abs(static_cast<int>((p >> shift) & 0xFF) -
                                static_cast<int>((q >> shift) & 0xFF));
            }
            count += 3;
        }
    }
    return count ? sum / count : 0;
}

const std::string& DisplayName() {
    return Server().Name;
}

fs::path MakeGameFolder() {
    std::string pattern = (fs::temp_directory_path() / "zantorvix-e2e-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    const fs::path folder = pattern;
    const fs::path run = ZANTORVIX_RUN_DIR;
    fs::copy(run / "gfx", folder / "gfx", fs::copy_options::recursive);
    fs::copy(run / "sfx", folder / "sfx", fs::copy_options::recursive);
    return folder;
}

GameRun::GameRun(const fs::path& folder, LaunchOptions options)
    : Folder(folder),
      StderrFile(options.StderrFile.empty() ? folder / "stderr.txt" : options.StderrFile) {
    DisplayName();
    const fs::path binary = options.Binary.empty() ? fs::path(ZANTORVIX_BINARY) : options.Binary;
    std::vector<char*> argv{const_cast<char*>("zantorvix")};
    for (std::string& argument : options.Arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    Pid = fork();
    if (Pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(126);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        for (const auto& [name, value] : options.Environment)
            setenv(name.c_str(), value.c_str(), 1);
        int err = open(StderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int devNull = open("/dev/null", O_WRONLY);
        dup2(err, 2);
        dup2(devNull, 1);
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
}

GameRun::~GameRun() {
    if (Running()) {
        kill(Pid, SIGKILL);
        waitpid(Pid, nullptr, 0);
    }
}

bool GameRun::Running() {
    if (Pid <= 0) return false;
    int status = 0;
    const pid_t done = waitpid(Pid, &status, WNOHANG);
    if (done == 0) return true;
    if (done == Pid) {
        ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
        Pid = -1;
    }
    return false;
}

bool GameRun::WaitForExit(std::chrono::milliseconds timeout) {
    return WaitUntil([&] { return !Running(); }, timeout);
}

std::string GameRun::Stderr() const {
    return ReadFile(StderrFile);
}

std::string GameRun::Describe() {
    if (!Running()) {
        return "the game has ended, status " + std::to_string(ExitStatus) + "; stderr:\n" +
               Stderr();
    }
    std::string text = "the game runs; its threads (state, wait, CPU ticks):";
    std::error_code ignored;
    const fs::path tasks = "/proc/" + std::to_string(Pid) + "/task";
    for (const auto& task : fs::directory_iterator(tasks, ignored)) {
        const std::string stat = ReadFile(task.path() / "stat");
        const size_t open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        std::istringstream rest(stat.substr(close + 2));
        std::string field, state;
        long long cpu = 0;
        rest >> state;
        for (int at = 4; at <= 15 && rest >> field; ++at) {
            if (at >= 14) cpu += std::atoll(field.c_str());  // user and system time
        }
        text += "\n  " + stat.substr(open + 1, close - open - 1) + " " + state + " " +
                ReadFile(task.path() / "wchan") + " " + std::to_string(cpu);
    }
    return text + "\nstderr:\n" + Stderr();
}

void KeyDown(const std::string& key) {
    RunXdotool("keydown " + key);
}
void KeyUp(const std::string& key) {
    RunXdotool("keyup " + key);
}

void PressKey(const std::string& key, std::chrono::milliseconds hold) {
    // One xdotool run presses, waits and lets go, so the key is held for `hold` however long a
    // busy machine takes to start a process: a second start between the two would stretch the
    // press until the game's own key repeat moved the menu twice.
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", hold.count() / 1000.0);
    RunXdotool("keydown " + key + " sleep " + seconds + " keyup " + key);
}

Image TakeScreenshot() {
    Display* display = Server().Connection;
    Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* shot = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                             static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    Image image;
    if (!shot) return image;
    image.Width = attributes.width;
    image.Height = attributes.height;
    image.Pixels.resize(static_cast<size_t>(image.Width * image.Height));
    for (int y = 0; y < image.Height; ++y) {
        for (int x = 0; x < image.Width; ++x) {
            image.Pixels[static_cast<size_t>(y * image.Width + x)] =
                0xFF000000u | (static_cast<uint32_t>(XGetPixel(shot, x, y)) & 0xFFFFFFu);
        }
    }
    XDestroyImage(shot);
    return image;
}

bool CloseGameWindow() {
    Display* display = Server().Connection;
    const Window window = GameWindow();
    if (!window) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    return true;
}

bool WaitForWindow(std::chrono::milliseconds timeout) {
    return WaitUntil(
        [] {
            const Window window = GameWindow();
            if (!window) return false;
            XWindowAttributes attributes;
            return XGetWindowAttributes(Server().Connection, window, &attributes) &&
                   attributes.map_state == IsViewable;
        },
        timeout);
}

std::pair<int, int> GameWindowSize() {
    const Window window = GameWindow();
    XWindowAttributes attributes;
    if (!window || !XGetWindowAttributes(Server().Connection, window, &attributes)) return {0, 0};
    return {attributes.width, attributes.height};
}

namespace {
Window OtherWindow = 0;
}

bool FocusGameWindow() {
    Display* display = Server().Connection;
    const Window window = GameWindow();
    if (!window) return false;
    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
    if (OtherWindow) XDestroyWindow(display, OtherWindow);
    OtherWindow = 0;
    XSync(display, False);
    return true;
}

bool FocusAnotherWindow() {
    Display* display = Server().Connection;
    if (!OtherWindow) {
        OtherWindow = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 8, 8, 0, 0, 0);
        XMapWindow(display, OtherWindow);
        XSync(display, False);
    }
    const bool mapped = WaitUntil(
        [&] {
            XWindowAttributes attributes;
            return XGetWindowAttributes(display, OtherWindow, &attributes) &&
                   attributes.map_state == IsViewable;
        },
        std::chrono::seconds(5));
    if (!mapped) return false;
    XSetInputFocus(display, OtherWindow, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
    return true;
}

void SetKeyboardLayout(const std::string& layout) {
    DisplayName();
    const std::string command = "setxkbmap " + layout;
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

fs::path InstallGame(const fs::path& prefix) {
    const std::string command = "cmake --install \"" + std::string(ZANTORVIX_BUILD_DIR) +
                                "\" --prefix \"" + prefix.string() + "\" >/dev/null";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
    return prefix / "bin" / "zantorvix";
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        Pause(std::chrono::milliseconds(50));
    }
}

namespace {

// The stack has reached the rows where pieces appear ("data.dat": 25 rows of 15 digits, each
// ended by a line break, CR LF on Windows). The game ends when a piece locks where it appeared,
// which most often leaves a cell in row 0; but a bomb that ends it blows the rows around it
// away, so the top eight count.
bool StackAtTheTop(const std::string& board) {
    const size_t block = board.find_first_not_of("0\r\n");
    return block != std::string::npos &&
           std::count(board.begin(), board.begin() + static_cast<std::ptrdiff_t>(block), '\n') < 8;
}

}  // namespace

bool HoldSpaceUntilToppedOut(const fs::path& dataFolder, int presses) {
    // Over once the stack is at the top and held Space locks no more pieces: a lock comes every
    // ten frames while it is held, so seconds without one mean the game has ended.
    std::string board = ReadFile(dataFolder / "data.dat");
    auto changed = std::chrono::steady_clock::now();
    bool topped = false;
    for (int press = 0; press < presses && !topped; ++press) {
        KeyDown("space");
        topped = WaitUntil(
            [&] {
                const std::string now = ReadFile(dataFolder / "data.dat");
                if (now != board) {
                    board = now;
                    changed = std::chrono::steady_clock::now();
                    return false;
                }
                return StackAtTheTop(board) &&
                       std::chrono::steady_clock::now() - changed >= std::chrono::seconds(3);
            },
            std::chrono::seconds(8));
        KeyUp("space");
    }
    return topped;
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void Pause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

void KeepScreenshot(const Image& image, const std::string& name) {
    const char* folder = std::getenv("ZANTORVIX_SHOTS");
    if (!folder || !*folder) return;
    fs::create_directories(folder);
    image.SavePng(fs::path(folder) / (name + ".png"));
}

}  // namespace e2e
