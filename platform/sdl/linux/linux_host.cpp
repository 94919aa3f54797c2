// A Linux desktop: the folders XDG names, and an X server asked what it offers before the
// window is made. (What Linux shares with Windows is in desktop/.)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <malloc.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/sdl/host.h"
#include "platform/sdl/linux/folders.h"

namespace fs = std::filesystem;

namespace {

// The pictures' pixels come and go a few megabytes at a time (a backdrop made for its level and
// let go after it). After the first such block was freed, glibc would keep later ones inside its
// heaps, where a freed block stays resident; with a fixed threshold each is mapped on its own and
// goes back to the system when it is freed.
[[maybe_unused]] const int LargeBlocksMappedAlone = mallopt(M_MMAP_THRESHOLD, 256 * 1024);

}  // namespace

PlayerFolders EnterPlayerFolders() {
    std::error_code error;
    const fs::path working = fs::current_path(error);
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        if (const passwd* user = ::getpwuid(::getuid())) home = user->pw_dir;
    }
    const GameFolders folders =
        ChooseGameFolders(working.string(), program.string(), std::getenv("XDG_DATA_HOME"), home);
    return PlayerFolders{folders.Assets, EnterDataFolder(folders.Data)};
}

namespace {

int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

bool HasWindowManager(Display* display) {
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                          XA_WINDOW, &type, &format, &count, &after, &data);
    const bool found = status == Success && type == XA_WINDOW && count == 1 && data != nullptr;
    if (data != nullptr) XFree(data);
    return found;
}

}  // namespace

WindowSystemFacts LookAtWindowSystem() {
    WindowSystemFacts facts;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) return facts;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return facts;
    facts.X11 = true;
    int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler(IgnoreXError);
    int opcode = 0, event = 0, error = 0;
    facts.DirectRendering = XQueryExtension(display, "DRI3", &opcode, &event, &error) ||
                            XQueryExtension(display, "DRI2", &opcode, &event, &error);
    facts.WindowManager = HasWindowManager(display);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return facts;
}

void AnnounceProgramEnd(int) {}  // whatever went wrong is on stderr already
