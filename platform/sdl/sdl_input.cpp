// The SDL platform's window messages and keyboard.
#include <algorithm>

#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_platform_impl.h"

void SdlPlatform::Notice(const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
            Closed = true;
            break;
        case SDL_KEYDOWN:
            // A key pressed and let go between two polls still reads as down at the next one,
            // so a short tap is never lost to a late frame.
            if (event.key.repeat == 0) {
                const uint8_t code = DirectInputCodeOf(event.key.keysym.scancode);
                if (code != 0) Latched[code] = 0x80;
            }
            break;
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    Closed = true;
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
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
}

void SdlPlatform::PollKeyboard(uint8_t state[256]) {
    std::fill(state, state + 256, uint8_t{0});
    if (!VideoOpen) return;
    PumpEvents();
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    for (int scancode = 0; scancode < count; ++scancode) {
        if (keys[scancode] == 0) continue;
        const uint8_t code = DirectInputCodeOf(static_cast<SDL_Scancode>(scancode));
        if (code != 0) state[code] = 0x80;
    }
    for (int code = 0; code < 256; ++code) state[code] |= Latched[code];
    std::fill(std::begin(Latched), std::end(Latched), uint8_t{0});
}
