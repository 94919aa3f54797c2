#include "virtual_display.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace {

int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

// The server's display number, as it writes it to the pipe once it is ready; empty when it
// ends first.
std::string ReadDisplayNumber(int fd) {
    char buffer[32] = {};
    ssize_t got = 0;
    while (got < 31) {
        const ssize_t n = read(fd, buffer + got, static_cast<size_t>(31 - got));
        if (n <= 0) break;
        got += n;
        if (std::memchr(buffer, '\n', static_cast<size_t>(got))) break;
    }
    return got <= 0 ? "" : std::string(buffer, std::strcspn(buffer, "\n"));
}

}  // namespace

VirtualDisplay::VirtualDisplay(const std::string& size) {
    for (int attempt = 1;; ++attempt) {
        try {
            Start(size);
            return;
        } catch (const std::runtime_error&) {
            Stop();
            if (attempt == 3) throw;
        }
    }
}

VirtualDisplay::~VirtualDisplay() {
    Stop();
}

void VirtualDisplay::Start(const std::string& size) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
    Pid = fork();
    if (Pid == 0) {
        close(pipeFds[0]);
        const std::string fd = std::to_string(pipeFds[1]);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, 1);
        dup2(devNull, 2);
        const std::string screen = size + "x24";
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    const std::string number = ReadDisplayNumber(pipeFds[0]);
    close(pipeFds[0]);
    if (number.empty()) {
        throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
    }
    Name = ":" + number;
    Connection = XOpenDisplay(Name.c_str());
    if (Connection == nullptr) throw std::runtime_error("cannot connect to Xvfb " + Name);
    XSetErrorHandler(IgnoreXError);
}

void VirtualDisplay::Stop() {
    if (Connection != nullptr) XCloseDisplay(Connection);
    Connection = nullptr;
    if (Pid > 0) {
        kill(Pid, SIGTERM);
        waitpid(Pid, nullptr, 0);
    }
    Pid = -1;
}

unsigned long FindWindowNamed(_XDisplay* display, unsigned long window, const char* name) {
    char* windowName = nullptr;
    if (XFetchName(display, window, &windowName) && windowName) {
        const bool match = std::strcmp(windowName, name) == 0;
        XFree(windowName);
        if (match) return window;
    }
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i) {
            found = FindWindowNamed(display, children[i], name);
        }
        if (children) XFree(children);
    }
    return found;
}
