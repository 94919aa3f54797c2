#include "game/keys.h"

#include "game/state.h"
#include "platform/platform.h"

void CreateKeyboard() {
    CurrentPlatform().CreateKeyboard();
}

void PollKeyboard() {
    Platform& platform = CurrentPlatform();
    platform.PollKeyboard(KeyState);
    if (platform.WindowCloseRequested()) throw WindowClosed{};
}

void SetKeyMode(KeyMode mode) {
    CurrentPlatform().SetKeyMode(mode);
}

void ApplyControls() {
    CurrentPlatform().SetControls(Controls);
}

ControlPress TakeControlPress() {
    return CurrentPlatform().TakeControlPress();
}

std::string KeyLabel(KeyPlace place) {
    return CurrentPlatform().KeyLabel(place);
}

PadKind GamepadKind() {
    return CurrentPlatform().GamepadKind();
}

bool FocusWasLost() {
    return CurrentPlatform().FocusLost();
}

void WaitForKeysUp(std::initializer_list<uint8_t> keys) {
    for (;;) {
        bool down = false;
        for (uint8_t key : keys) down = down || KeyState[key] != 0;
        if (!down) return;
        PollKeyboard();
    }
}
