#include "probes.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <thread>

#include "platform/sdl/sdl_picture.h"
#include "session.h"

namespace {

constexpr int64_t Millisecond = 1'000'000;

// One present as the X server saw it: its own time of the damage (milliseconds), and when the
// benchmark got the news.
struct Present {
    unsigned long ServerMs;
    int64_t SeenNs;
};

// Every present of the game draws into its window, which the X server reports as damage: one
// event for each rectangle drawn, all of one present in the same millisecond.
class PresentWatch {
  public:
    PresentWatch(Display* display, Window window) : Connection(display) {
        int error = 0;
        if (!XDamageQueryExtension(display, &EventBase, &error)) return;
        Handle = XDamageCreate(display, window, XDamageReportRawRectangles);
        XSync(display, False);
    }
    ~PresentWatch() {
        if (Handle != 0) XDamageDestroy(Connection, Handle);
    }
    PresentWatch(const PresentWatch&) = delete;
    PresentWatch& operator=(const PresentWatch&) = delete;

    bool Works() const { return Handle != 0; }

    // Waits until something arrives or `untilNs` (of MonotonicNs) passes, and takes what came;
    // false when nothing did.
    bool WaitUntil(int64_t untilNs) {
        if (XEventsQueued(Connection, QueuedAfterFlush) == 0) {
            const int64_t left = untilNs - MonotonicNs();
            if (left <= 0) return false;
            pollfd wait{ConnectionNumber(Connection), POLLIN, 0};
            if (poll(&wait, 1, static_cast<int>((left + Millisecond - 1) / Millisecond)) <= 0) {
                return false;
            }
        }
        Take();
        return true;
    }

    // Takes every event that has arrived.
    void Take() {
        const int64_t seen = MonotonicNs();
        while (XEventsQueued(Connection, QueuedAfterReading) > 0) {
            XEvent event;
            XNextEvent(Connection, &event);
            if (event.type != EventBase + XDamageNotify) continue;
            const auto& damage = *reinterpret_cast<XDamageNotifyEvent*>(&event);
            if (damage.damage != Handle) continue;
            if (!Presents.empty() && Presents.back().ServerMs == damage.timestamp) continue;
            Presents.push_back({damage.timestamp, seen});
        }
    }

    std::vector<Present> Presents;

  private:
    Display* Connection;
    int EventBase = 0;
    Damage Handle = 0;
};

void SendKey(Display* display, KeySym key, bool down) {
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), down ? True : False, CurrentTime);
    XFlush(display);
}

// A part of the window's picture, as the X server holds it.
class Snapshot {
  public:
    Snapshot(Display* display, Window window, int x, int y, int width, int height) {
        XImage* image = XGetImage(display, window, x, y, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
        if (image == nullptr) return;
        Bytes.assign(image->data, static_cast<size_t>(image->bytes_per_line) * image->height);
        XDestroyImage(image);
    }
    bool operator==(const Snapshot& other) const { return Bytes == other.Bytes; }
    bool Empty() const { return Bytes.empty(); }

  private:
    std::string Bytes;
};

}  // namespace

double TimeFadesAfterReturn(Display* display, unsigned long window) {
    PresentWatch watch(display, window);
    if (!watch.Works()) return 0;
    watch.Take();
    watch.Presents.clear();
    SendKey(display, XK_Return, true);
    SendKey(display, XK_Return, false);
    // 129 frames of the title's fade-out, its pause of 500 ms, 86 frames of the game's fade-in.
    constexpr unsigned long PauseMs = 400;
    constexpr size_t FadeInFrames = 86;
    const std::vector<Present>& seen = watch.Presents;
    size_t pause = 0;  // the first present after the pause, once it has come
    const int64_t until = MonotonicNs() + 15000 * Millisecond;
    while (pause == 0 || seen.size() < pause + FadeInFrames) {
        if (!watch.WaitUntil(until)) return 0;
        for (size_t i = 1; pause == 0 && i < seen.size(); ++i) {
            if (seen[i].ServerMs - seen[i - 1].ServerMs >= PauseMs) pause = i;
        }
    }
    const size_t last = pause + FadeInFrames - 1;
    const double intervals = static_cast<double>(pause - 1 + FadeInFrames - 1);
    const double ms = static_cast<double>(seen[pause - 1].ServerMs - seen[0].ServerMs +
                                          seen[last].ServerMs - seen[pause].ServerMs);
    return ms > 0 ? intervals * 1000.0 / ms : 0;
}

std::vector<double> ProbeKeyToPicture(Display* display, unsigned long window, int presses) {
    std::vector<double> latencies;
    PresentWatch watch(display, window);
    XWindowAttributes attributes{};
    if (!watch.Works() || !XGetWindowAttributes(display, window, &attributes)) return latencies;
    // The menu's three items (x 412 to 640, y 325 to 440 of the 1024x768 picture) where the
    // picture stands in the window, scaled to fit with bars.
    const double scale = std::min(attributes.width / 1024.0, attributes.height / 768.0);
    const int left = (attributes.width - static_cast<int>(1024 * scale)) / 2;
    const int top = (attributes.height - static_cast<int>(768 * scale)) / 2;
    const int x = left + static_cast<int>(412 * scale), y = top + static_cast<int>(325 * scale);
    const int width = static_cast<int>(228 * scale), height = static_cast<int>(115 * scale);

    std::mt19937 random(27);
    std::uniform_int_distribution<int> pause(150, 350);  // any moment of a frame
    for (int i = 0; i < presses; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
        watch.Take();
        const Snapshot before(display, window, x, y, width, height);
        if (before.Empty()) break;
        const KeySym key = i % 2 == 0 ? XK_Down : XK_Up;
        size_t next = watch.Presents.size();
        const int64_t pressed = MonotonicNs();
        SendKey(display, key, true);
        const int64_t until = pressed + 500 * Millisecond;
        bool shown = false;
        while (!shown && watch.WaitUntil(until)) {
            for (; next < watch.Presents.size() && !shown; ++next) {
                if (Snapshot(display, window, x, y, width, height) == before) continue;
                latencies.push_back(static_cast<double>(watch.Presents[next].SeenNs - pressed) /
                                    Millisecond);
                shown = true;
            }
        }
        SendKey(display, key, false);
    }
    return latencies;
}

HudFrameRate::HudFrameRate(const std::string& fontFolder) {
    for (int digit = 0; digit < 10; ++digit) {
        DecodedImage image;
        std::string error;
        if (!ReadPicture(fontFolder + "/" + std::to_string(digit) + ".png", image, error)) {
            Digits.clear();
            return;
        }
        Digits.push_back({image.Width, image.Height, std::move(image.Pixels)});
    }
}

int HudFrameRate::Read(Display* display, unsigned long window) const {
    XWindowAttributes attributes{};
    if (Digits.empty() || !XGetWindowAttributes(display, window, &attributes) ||
        attributes.width != 1024 || attributes.height != 768) {
        return -1;
    }
    // The figure's last two digits stand at x 0 and 20 of the frame's top edge.
    int height = 0;
    for (const Digit& digit : Digits) height = std::max(height, digit.Height);
    XImage* image = XGetImage(display, window, 0, 0, 40 + Digits[0].Width,
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) return -1;
    const auto shows = [&](const Digit& digit, int x) {
        size_t opaque = 0, same = 0;
        for (int y = 0; y < digit.Height; ++y) {
            for (int dx = 0; dx < digit.Width; ++dx) {
                const uint32_t pixel = digit.Pixels[static_cast<size_t>(y * digit.Width + dx)];
                if (pixel >> 24 != 255) continue;
                ++opaque;
                same += ((XGetPixel(image, x + dx, y) ^ pixel) & 0xFFFFFF) == 0;
            }
        }
        return opaque > 0 && same == opaque;
    };
    const auto digitAt = [&](int x) {
        for (int value = 0; value < 10; ++value) {
            if (shows(Digits[static_cast<size_t>(value)], x)) return value;
        }
        return -1;
    };
    const int tens = digitAt(0), units = digitAt(20);
    XDestroyImage(image);
    if (units < 0) return -1;
    return (tens < 0 ? 0 : tens) * 10 + units;
}
