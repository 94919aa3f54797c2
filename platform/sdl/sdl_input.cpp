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
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) Closed = true;
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) FocusLossPending = true;
            break;
        case SDL_KEYDOWN:
            NoticeKey(event.key);
            break;
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED:
            NoticeGamepad(event.cdevice);
            break;
        default:
            break;
    }
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

void SdlPlatform::PollKeyboard(uint8_t state[256]) {
    std::fill(state, state + 256, uint8_t{0});
    if (!VideoOpen) return;
    SDL_PumpEvents();
    // Scenes that take no window messages (the loading screen, the pause, the score screen)
    // would otherwise let the queue fill up until SDL drops events, the close request included.
    // The game handles no message but the close request, so everything waiting is taken here.
    SDL_Event events[64];
    int taken;
    do {
        taken = SDL_PeepEvents(events, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
        for (int i = 0; i < taken; ++i) Notice(events[i]);
    } while (taken == 64);

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
    ReadGamepads(state);
}
