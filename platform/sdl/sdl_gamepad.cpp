// The SDL platform's gamepads: any controller SDL knows, plugged in before the start or during
// play, fills the same key state as the keyboard.
//
//   D-pad or left stick   the arrow keys
//   A (the lower face button)   Up: turn the piece
//   B (the right face button)   Space: hard drop
//   Start                 Enter: choose in the menus, pause and resume, accept a name
//   Back                  Escape: leave
#include <algorithm>
#include <cstdlib>

#include "platform/keyboard.h"
#include "platform/sdl/sdl_platform_impl.h"

namespace {

// Past half-way the stick counts as pushed. Only its main direction counts, so that a push
// to the side that wanders a little upward does not also turn the piece.
constexpr int StickThreshold = 16384;

SDL_JoystickID InstanceOf(SDL_GameController* pad) {
    return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
}

}  // namespace

void SdlPlatform::OpenGamepads() {
    if (GamepadsOpen) return;
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return;  // the keyboard still plays
    GamepadsOpen = true;
    // Controllers already there announce themselves as added at the next poll.
}

void SdlPlatform::NoticeGamepad(const SDL_ControllerDeviceEvent& device) {
    if (!GamepadsOpen) return;
    if (device.type == SDL_CONTROLLERDEVICEADDED) {
        SDL_GameController* pad = SDL_GameControllerOpen(device.which);
        if (pad == nullptr) return;
        if (std::find(Gamepads.begin(), Gamepads.end(), pad) != Gamepads.end()) {
            SDL_GameControllerClose(pad);  // announced twice; SDL counts the opens
            return;
        }
        Gamepads.push_back(pad);
        return;
    }
    for (auto pad = Gamepads.begin(); pad != Gamepads.end(); ++pad) {
        if (InstanceOf(*pad) == device.which) {
            SDL_GameControllerClose(*pad);
            Gamepads.erase(pad);
            return;
        }
    }
}

void SdlPlatform::ReadGamepads(uint8_t state[256]) {
    for (SDL_GameController* pad : Gamepads) {
        const auto pressed = [pad](SDL_GameControllerButton button) {
            return SDL_GameControllerGetButton(pad, button) != 0;
        };
        const int x = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX);
        const int y = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY);
        const bool across = std::abs(x) >= std::abs(y);
        const bool stickLeft = across && x <= -StickThreshold;
        const bool stickRight = across && x >= StickThreshold;
        const bool stickUp = !across && y <= -StickThreshold;
        const bool stickDown = !across && y >= StickThreshold;
        const auto set = [state](uint8_t key, bool down) {
            if (down) state[key] = 0x80;
        };
        set(DIK_UP,
            pressed(SDL_CONTROLLER_BUTTON_DPAD_UP) || stickUp || pressed(SDL_CONTROLLER_BUTTON_A));
        set(DIK_DOWN, pressed(SDL_CONTROLLER_BUTTON_DPAD_DOWN) || stickDown);
        set(DIK_LEFT, pressed(SDL_CONTROLLER_BUTTON_DPAD_LEFT) || stickLeft);
        set(DIK_RIGHT, pressed(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) || stickRight);
        set(DIK_SPACE, pressed(SDL_CONTROLLER_BUTTON_B));
        set(DIK_RETURN, pressed(SDL_CONTROLLER_BUTTON_START));
        set(DIK_ESCAPE, pressed(SDL_CONTROLLER_BUTTON_BACK));
    }
}

void SdlPlatform::CloseGamepads() {
    for (SDL_GameController* pad : Gamepads) SDL_GameControllerClose(pad);
    Gamepads.clear();
    if (GamepadsOpen) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    GamepadsOpen = false;
}
