// The SDL platform's window messages and keyboard.
#include <algorithm>

#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_platform_impl.h"

void SdlPlatform::Notice(const SDL_Event& event) {
    if (event.type == SDL_QUIT ||
        (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)) {
        Closed = true;
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
    for (int scancode = 0; scancode < count; ++scancode) {
        if (keys[scancode] == 0) continue;
        const uint8_t code = DirectInputCodeOf(static_cast<SDL_Scancode>(scancode));
        if (code != 0) state[code] = 0x80;
    }
}
