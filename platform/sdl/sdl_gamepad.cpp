// The SDL platform's gamepads: any controller SDL knows, plugged in before the start or during
// play, fills the same key state as the keyboard. In the menus its keys are fixed:
//
//   D-pad or left stick   the arrow keys
//   A (the lower face button)   Up
//   B (the right face button)   Space
//   Start                 Enter: choose in the menus, accept a name
//   Back                  Escape: leave
//
// In play its buttons do what the player's controls say (by default: the D-pad moves, A and
// the D-pad's up turn, B hard-drops, Start pauses), the left stick counting as the D-pad, and
// Back always leaves.
#include <algorithm>
#include <cstdlib>

#include "platform/keyboard.h"
#include "platform/sdl/sdl_platform_impl.h"

namespace {

// Past half-way the stick counts as pushed. Only its main direction counts, so that a push
// to the side that wanders a little upward does not also turn the piece. A trigger counts as
// pressed past half-way too.
constexpr int StickThreshold = 16384;
constexpr int TriggerThreshold = 16384;

static_assert(static_cast<int>(PadButton::Touchpad) == SDL_CONTROLLER_BUTTON_TOUCHPAD &&
                  static_cast<int>(PadButton::DpadUp) == SDL_CONTROLLER_BUTTON_DPAD_UP &&
                  static_cast<int>(PadButton::LeftTrigger) == SDL_CONTROLLER_BUTTON_MAX,
              "PadButton follows SDL's buttons, then the triggers");

// The D-pad button the left stick stands for at (x, y), or none when it is near the middle.
PadButton StickButton(int x, int y) {
    if (std::abs(x) >= std::abs(y)) {
        if (x <= -StickThreshold) return PadButton::DpadLeft;
        if (x >= StickThreshold) return PadButton::DpadRight;
        return PadButton::NoButton;
    }
    if (y <= -StickThreshold) return PadButton::DpadUp;
    if (y >= StickThreshold) return PadButton::DpadDown;
    return PadButton::NoButton;
}

SDL_JoystickID InstanceOf(SDL_GameController* pad) {
    return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
}

PadKind KindOf(SDL_GameController* pad) {
    switch (SDL_GameControllerGetType(pad)) {
        case SDL_CONTROLLER_TYPE_PS3:
        case SDL_CONTROLLER_TYPE_PS4:
        case SDL_CONTROLLER_TYPE_PS5:
            return PadKind::PlayStation;
        case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_PRO:
            return PadKind::Nintendo;
        default:
            return PadKind::Xbox;
    }
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
            if (*pad == LastPad) LastPad = nullptr;
            SDL_GameControllerClose(*pad);
            Gamepads.erase(pad);
            return;
        }
    }
}

void SdlPlatform::LatchGamepad(const SDL_Event& event) {
    if (!GamepadsOpen) return;
    // A button, a push of the stick or a pull of a trigger let go before the next poll still
    // reads as down at it, once, as a key tapped on the keyboard does.
    PadButton button = PadButton::NoButton;
    SDL_JoystickID which = 0;
    if (event.type == SDL_CONTROLLERBUTTONDOWN) {
        if (event.cbutton.button >= SDL_CONTROLLER_BUTTON_MAX) return;
        button = static_cast<PadButton>(event.cbutton.button);
        which = event.cbutton.which;
    } else {
        const SDL_ControllerAxisEvent& axis = event.caxis;
        which = axis.which;
        if (axis.axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT ||
            axis.axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT) {
            const bool left = axis.axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT;
            bool& wasPulled = left ? LeftTriggerPressed : RightTriggerPressed;
            const bool pulled = axis.value >= TriggerThreshold;
            if (pulled && !wasPulled)
                button = left ? PadButton::LeftTrigger : PadButton::RightTrigger;
            wasPulled = pulled;
        } else {
            const bool across = axis.axis == SDL_CONTROLLER_AXIS_LEFTX;
            if (!across && axis.axis != SDL_CONTROLLER_AXIS_LEFTY) return;
            SDL_GameController* pad = SDL_GameControllerFromInstanceID(axis.which);
            if (pad == nullptr) return;
            const int other = SDL_GameControllerGetAxis(
                pad, across ? SDL_CONTROLLER_AXIS_LEFTY : SDL_CONTROLLER_AXIS_LEFTX);
            const PadButton stick =
                across ? StickButton(axis.value, other) : StickButton(other, axis.value);
            // The stick counts as the D-pad, but only a button pressed binds on the controls
            // screen: a stick at rest after a push would otherwise be taken.
            if (stick != PadButton::NoButton) LatchedButtons[static_cast<int>(stick)] = true;
            return;
        }
        if (button == PadButton::NoButton) return;
    }
    LatchedButtons[static_cast<int>(button)] = true;
    LastPress = ControlPress{.Button = button};
    for (SDL_GameController* pad : Gamepads) {
        if (InstanceOf(pad) == which) LastPad = pad;
    }
}

PadKind SdlPlatform::GamepadKind() {
    if (LastPad != nullptr) return KindOf(LastPad);
    return Gamepads.empty() ? PadKind::Xbox : KindOf(Gamepads.front());
}

void SdlPlatform::ReadGamepads(PhysicalInput& input) {
    for (SDL_GameController* pad : Gamepads) {
        for (int button = 0; button < SDL_CONTROLLER_BUTTON_MAX; ++button) {
            if (SDL_GameControllerGetButton(pad, static_cast<SDL_GameControllerButton>(button))) {
                input.Buttons[button] = true;
            }
        }
        const PadButton stick =
            StickButton(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX),
                        SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY));
        if (stick != PadButton::NoButton) input.Buttons[static_cast<int>(stick)] = true;
        if (SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT) >= TriggerThreshold) {
            input.Buttons[static_cast<int>(PadButton::LeftTrigger)] = true;
        }
        if (SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) >= TriggerThreshold) {
            input.Buttons[static_cast<int>(PadButton::RightTrigger)] = true;
        }
    }
    for (int button = 0; button < PadButtonCount; ++button) {
        input.Buttons[button] = input.Buttons[button] || LatchedButtons[button];
    }
    std::fill(std::begin(LatchedButtons), std::end(LatchedButtons), false);
}

void SdlPlatform::CloseGamepads() {
    for (SDL_GameController* pad : Gamepads) SDL_GameControllerClose(pad);
    Gamepads.clear();
    LastPad = nullptr;
    if (GamepadsOpen) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    GamepadsOpen = false;
}
