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

// The buttons and the keys they press.
struct ButtonKey {
    SDL_GameControllerButton Button;
    uint8_t Key;
};
constexpr ButtonKey ButtonKeys[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, DIK_UP},       {SDL_CONTROLLER_BUTTON_A, DIK_UP},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, DIK_DOWN},   {SDL_CONTROLLER_BUTTON_DPAD_LEFT, DIK_LEFT},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, DIK_RIGHT}, {SDL_CONTROLLER_BUTTON_B, DIK_SPACE},
    {SDL_CONTROLLER_BUTTON_START, DIK_RETURN},     {SDL_CONTROLLER_BUTTON_BACK, DIK_ESCAPE},
};

// The arrow key the left stick presses at (x, y), or 0 when it is near the middle.
uint8_t StickKey(int x, int y) {
    if (std::abs(x) >= std::abs(y)) {
        if (x <= -StickThreshold) return DIK_LEFT;
        if (x >= StickThreshold) return DIK_RIGHT;
        return 0;
    }
    if (y <= -StickThreshold) return DIK_UP;
    if (y >= StickThreshold) return DIK_DOWN;
    return 0;
}

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

void SdlPlatform::LatchGamepad(const SDL_Event& event) {
    if (!GamepadsOpen) return;
    // A button or a push of the stick let go before the next poll still reads as down at it,
    // once, as a key tapped on the keyboard does.
    if (event.type == SDL_CONTROLLERBUTTONDOWN) {
        for (const ButtonKey& pair : ButtonKeys) {
            if (pair.Button == event.cbutton.button) Latched[pair.Key] = 0x80;
        }
        return;
    }
    const SDL_ControllerAxisEvent& axis = event.caxis;
    const bool across = axis.axis == SDL_CONTROLLER_AXIS_LEFTX;
    if (!across && axis.axis != SDL_CONTROLLER_AXIS_LEFTY) return;
    SDL_GameController* pad = SDL_GameControllerFromInstanceID(axis.which);
    if (pad == nullptr) return;
    const int other = SDL_GameControllerGetAxis(
        pad, across ? SDL_CONTROLLER_AXIS_LEFTY : SDL_CONTROLLER_AXIS_LEFTX);
    const uint8_t key = across ? StickKey(axis.value, other) : StickKey(other, axis.value);
    if (key != 0) Latched[key] = 0x80;
}

void SdlPlatform::ReadGamepads(uint8_t state[256]) {
    for (SDL_GameController* pad : Gamepads) {
        for (const ButtonKey& pair : ButtonKeys) {
            if (SDL_GameControllerGetButton(pad, pair.Button) != 0) state[pair.Key] = 0x80;
        }
        const uint8_t stick = StickKey(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX),
                                       SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY));
        if (stick != 0) state[stick] = 0x80;
    }
}

void SdlPlatform::CloseGamepads() {
    for (SDL_GameController* pad : Gamepads) SDL_GameControllerClose(pad);
    Gamepads.clear();
    if (GamepadsOpen) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    GamepadsOpen = false;
}
