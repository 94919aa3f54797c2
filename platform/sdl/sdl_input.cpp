// The SDL platform's window messages and keyboard.
#include <algorithm>

#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_platform_impl.h"

void SdlPlatform::Notice(const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
            Closed = true;
            break;
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    Closed = true;
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    FocusLossPending = true;
                    // Keys are read only while the window has the focus.
                    std::fill(std::begin(Latched), std::end(Latched), uint8_t{0});
                    break;
                case SDL_WINDOWEVENT_SHOWN:
                case SDL_WINDOWEVENT_EXPOSED:
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                case SDL_WINDOWEVENT_RESTORED:
                    ScreenStale = true;
                    break;
                default:
                    break;
            }
            break;
        case SDL_KEYDOWN:
            NoticeKey(event.key);
            // A key pressed and let go between two polls still reads as down at the next one,
            // so a short tap is never lost to a late frame.
            // Alt+Enter and F11 stay the window's.
            if (event.key.repeat == 0 && !ReturnSwallowed &&
                event.key.keysym.scancode != SDL_SCANCODE_F11) {
                const SDL_Scancode key = event.key.keysym.scancode;
                const uint8_t code = GameKeyCodeOf(key, SDL_GetKeyFromScancode(key));
                if (code != 0) Latched[code] = 0x80;
            }
            break;
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED:
            NoticeGamepad(event.cdevice);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERAXISMOTION:
            LatchGamepad(event);
            break;
        default:
            break;
    }
}

void SdlPlatform::PumpEvents() {
    if (!VideoOpen) return;
    SDL_PumpEvents();
    // Every waiting event is taken, wherever the game is: scenes that take no window messages
    // (the loading screen, the pause, the score screen) would otherwise let the queue fill up
    // until SDL drops events, the close request included.
    SDL_Event events[64];
    int taken;
    do {
        taken = SDL_PeepEvents(events, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
        for (int i = 0; i < taken; ++i) Notice(events[i]);
    } while (taken == 64);
}

void SdlPlatform::TakeWindowMessage() {
    if (!VideoOpen) return;
    SDL_Event event;
    if (SDL_PollEvent(&event)) Notice(event);
}

void SdlPlatform::CreateKeyboard() {
    // The game reads whole-key states only; text input would let an input method catch keys.
    if (VideoOpen) SDL_StopTextInput();
    OpenGamepads();
}

void SdlPlatform::SetKeyMode(KeyMode mode) {
    Keys = mode;
    AnnounceKeyMode(mode);
}

void SdlPlatform::PollKeyboard(uint8_t state[256]) {
    std::fill(state, state + 256, uint8_t{0});
    if (!VideoOpen) return;
    // A loop that only polls (waiting for a held key to come up) would spin a whole core; a
    // pause of a millisecond (a timer's grain in the browser) between its polls is far below
    // anything a player can notice.
    if (PolledSinceWait) SleepFor(PollPause);
    PolledSinceWait = true;
    PumpEvents();
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    const auto down = [&](SDL_Scancode scancode) {
        return scancode < count && keys[scancode] != 0;
    };
    // Alt+Enter and F11 belong to the window, not to the game; so does an Enter still held
    // from an Alt+Enter after Alt is let go.
    const bool enterDown = down(SDL_SCANCODE_RETURN) || down(SDL_SCANCODE_KP_ENTER);
    if (!enterDown) ReturnSwallowed = false;
    const bool enterTaken = ReturnSwallowed || down(SDL_SCANCODE_LALT) || down(SDL_SCANCODE_RALT);
    for (int scancode = 0; scancode < count; ++scancode) {
        if (keys[scancode] == 0 || scancode == SDL_SCANCODE_F11) continue;
        const auto key = static_cast<SDL_Scancode>(scancode);
        if (enterTaken && (key == SDL_SCANCODE_RETURN || key == SDL_SCANCODE_KP_ENTER)) continue;
        const uint8_t code = GameKeyCodeOf(key, SDL_GetKeyFromScancode(key));
        if (code != 0) state[code] = 0x80;
    }
    // Taps since the last poll.
    for (int code = 1; code < 256; ++code) state[code] |= Latched[code];
    std::fill(std::begin(Latched), std::end(Latched), uint8_t{0});
    ReadGamepads(state);
    ReadHostKeys(state);
}
