#include "session.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <thread>

#include "probes.h"

namespace fs = std::filesystem;

int64_t MonotonicNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

namespace {

void Pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace

int64_t ProcessCpuNs(pid_t pid) {
    int64_t total = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* folder = opendir(tasks.c_str());
    if (folder == nullptr) return -1;
    while (dirent* entry = readdir(folder)) {
        if (entry->d_name[0] == '.') continue;
        std::FILE* file = std::fopen((tasks + "/" + entry->d_name + "/schedstat").c_str(), "r");
        if (file == nullptr) continue;
        long long onCpu = 0;
        if (std::fscanf(file, "%lld", &onCpu) == 1) total += onCpu;
        std::fclose(file);
    }
    closedir(folder);
    return total;
}

fs::path MakeGameFolder() {
    std::string pattern = (fs::temp_directory_path() / "zantorvix-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    const fs::path folder = pattern;
    fs::create_directory_symlink(fs::absolute("gfx"), folder / "gfx");
    fs::create_directory_symlink(fs::absolute("sfx"), folder / "sfx");
    return folder;
}

namespace {

pid_t StartGame(const VirtualDisplay& display, const fs::path& folder, GameCommand command) {
    if (command.Program.empty()) command.Program = ZANTORVIX_BINARY;
    std::vector<char*> argv{const_cast<char*>("zantorvix")};
    for (std::string& argument : command.Arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(126);
        setenv("DISPLAY", display.Name.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_VIDEODRIVER");
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, 1);
        execv(command.Program.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

// The process started last whose name begins with `name` (Debian's wineserver is
// wineserver64), or -1.
pid_t NewestProcessNamed(const std::string& name) {
    pid_t newest = -1;
    DIR* folder = opendir("/proc");
    if (folder == nullptr) return newest;
    while (dirent* entry = readdir(folder)) {
        const pid_t pid = std::atoi(entry->d_name);
        if (pid <= 0) continue;
        std::FILE* file =
            std::fopen(("/proc/" + std::string(entry->d_name) + "/comm").c_str(), "r");
        if (file == nullptr) continue;
        char comm[64] = {};
        const bool read = std::fgets(comm, sizeof comm, file) != nullptr;
        std::fclose(file);
        if (read && std::string(comm).rfind(name, 0) == 0 && pid > newest) newest = pid;
    }
    closedir(folder);
    return newest;
}

// The peak resident memory of a running process, in MB.
double PeakResidentMb(pid_t pid) {
    std::FILE* status = std::fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
    if (status == nullptr) return 0;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, status)) {
        if (std::sscanf(line, "VmHWM: %ld", &kb) == 1) break;
    }
    std::fclose(status);
    return kb / 1024.0;
}

void Key(const VirtualDisplay& display, const char* key) {
    const std::string command = "DISPLAY=" + display.Name + " xdotool key " + key;
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "bench: %s failed\n", key);
}

// Counts the game window's presents: each one draws into the window (the whole of it, or only
// the rectangles that changed), which the X server reports as damage, the last rectangle of a
// present marked as such.
class PresentCounter {
  public:
    PresentCounter(Display* display, Window window) : Connection(display) {
        int error = 0;
        if (!XDamageQueryExtension(display, &EventBase, &error)) return;
        Handle = XDamageCreate(display, window, XDamageReportRawRectangles);
        XSync(display, False);
    }
    ~PresentCounter() {
        if (Handle != 0) XDamageDestroy(Connection, Handle);
    }
    PresentCounter(const PresentCounter&) = delete;
    PresentCounter& operator=(const PresentCounter&) = delete;

    // Takes every event waiting; returns the presents counted so far.
    int64_t Take() {
        XSync(Connection, False);
        while (XPending(Connection) > 0) {
            XEvent event;
            XNextEvent(Connection, &event);
            if (event.type == EventBase + XDamageNotify &&
                !reinterpret_cast<XDamageNotifyEvent*>(&event)->more) {
                ++Count;
            }
        }
        return Count;
    }
    bool Works() const { return Handle != 0; }

  private:
    Display* Connection;
    int EventBase = 0;
    Damage Handle = 0;
    int64_t Count = 0;
};

}  // namespace

SessionFigures RunSession(const VirtualDisplay& display, const GameCommand& command) {
    SessionFigures figures;
    const fs::path folder = MakeGameFolder();
    const pid_t game = StartGame(display, folder, command);
    Display* connection = display.Connection;
    Window window = 0;
    for (int i = 0; i < 200 && !window; ++i) {
        Pause(50);
        window = FindWindowNamed(connection, DefaultRootWindow(connection), "Zantorvix");
    }
    if (window) {
        PresentCounter presents(connection, window);
        // The loading screen (its fades and pauses take about 5 s) and the title's fade-in.
        Pause(8000);
        int64_t cpu = ProcessCpuNs(game);
        int64_t shown = presents.Take();
        Pause(10000);
        figures.MenuCpuMs = (ProcessCpuNs(game) - cpu) / 1e6 / 10.0;
        figures.MenuPresents = (presents.Take() - shown) / 10.0;
        figures.KeyToPictureMs = ProbeKeyToPicture(connection, window, 40);

        figures.FadeFps = TimeFadesAfterReturn(connection, window);
        Pause(1000);  // the game's first frames
        const char* keys[4] = {"Left", "Up", "Right", "space"};
        cpu = ProcessCpuNs(game);
        const int64_t server = ProcessCpuNs(display.Pid);
        const pid_t helper = command.Helper.empty() ? -1 : NewestProcessNamed(command.Helper);
        const int64_t helped = helper > 0 ? ProcessCpuNs(helper) : 0;
        const int64_t presentsBefore = presents.Take();
        const int64_t start = MonotonicNs();
        const HudFrameRate hud("gfx/font");
        double hudSum = 0;
        int hudReadings = 0;
        for (int i = 0; i < 40; ++i) {
            Key(display, keys[i % 4]);
            if (i % 4 == 3) {  // once a second, as the HUD's figure changes
                const int shown = hud.Read(connection, window);
                if (shown >= 0) {
                    hudSum += shown;
                    ++hudReadings;
                }
            }
            const int64_t due = start + (i + 1) * 250'000'000LL;
            const int64_t now = MonotonicNs();
            if (due > now) std::this_thread::sleep_for(std::chrono::nanoseconds(due - now));
        }
        const double seconds = (MonotonicNs() - start) / 1e9;
        figures.PlayCpuMs = (ProcessCpuNs(game) - cpu) / 1e6 / seconds;
        figures.ServerCpuMs = (ProcessCpuNs(display.Pid) - server) / 1e6 / seconds;
        figures.PlayPresents = (presents.Take() - presentsBefore) / seconds;
        figures.PlayFps = hudReadings > 0 ? hudSum / hudReadings : 0;
        if (helper > 0) figures.HelperCpuMs = (ProcessCpuNs(helper) - helped) / 1e6 / seconds;
        figures.PeakMb = PeakResidentMb(game);
        figures.Ok = presents.Works() && kill(game, 0) == 0;
    }
    kill(game, SIGTERM);
    waitpid(game, nullptr, 0);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return figures;
}
