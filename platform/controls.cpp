#include "platform/controls.h"

#include <algorithm>
#include <iterator>

#include "platform/keyboard.h"

const char* const ActionNames[PlayActionCount] = {
    "left", "right", "turn", "soft_drop", "hard_drop", "pause", "change_piece",
};

namespace {

constexpr uint8_t ActionCodes[PlayActionCount] = {DIK_LEFT,  DIK_RIGHT,  DIK_UP, DIK_DOWN,
                                                  DIK_SPACE, DIK_RETURN, DIK_ADD};

constexpr int PauseRow = static_cast<int>(PlayAction::Pause);

constexpr const char* ButtonNames[PadButtonCount] = {
    "a",
    "b",
    "x",
    "y",
    "back",
    "guide",
    "start",
    "leftstick",
    "rightstick",
    "leftshoulder",
    "rightshoulder",
    "dpup",
    "dpdown",
    "dpleft",
    "dpright",
    "misc1",
    "paddle1",
    "paddle2",
    "paddle3",
    "paddle4",
    "touchpad",
    "lefttrigger",
    "righttrigger",
};

// What each kind of pad prints on its buttons, in PadButton's order.
constexpr const char* ButtonLabels[3][PadButtonCount] = {
    {"A",    "B",    "X",     "Y",     "BACK", "GUIDE", "START", "LS", "RS",       "LB", "RB", "UP",
     "DOWN", "LEFT", "RIGHT", "SHARE", "P1",   "P2",    "P3",    "P4", "TOUCHPAD", "LT", "RT"},
    {"CROSS", "CIRCLE", "SQUARE", "TRIANGLE", "SHARE",    "PS",   "OPTIONS", "L3",
     "R3",    "L1",     "R1",     "UP",       "DOWN",     "LEFT", "RIGHT",   "MIC",
     "P1",    "P2",     "P3",     "P4",       "TOUCHPAD", "L2",   "R2"},
    {"A",    "B",    "X",     "Y",       "MINUS", "HOME", "PLUS", "LS", "RS",       "L",  "R", "UP",
     "DOWN", "LEFT", "RIGHT", "CAPTURE", "P1",    "P2",   "P3",   "P4", "TOUCHPAD", "ZL", "ZR"},
};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The key and button tables are edited alike: a row of two slots per action, `none` for an
// empty slot, and the one the pause falls back on.
template <typename T>
struct Table {
    T (&Rows)[PlayActionCount][2];
    T None;
    T Fallback;

    bool Holds(int action, T item) const {
        return item != None && (Rows[action][0] == item || Rows[action][1] == item);
    }
    void Remove(int action, T item) {
        T(&slots)[2] = Rows[action];
        if (slots[1] == item) slots[1] = None;
        if (slots[0] == item) {
            slots[0] = slots[1];
            slots[1] = None;
        }
    }
    void KeepPauseReachable(bool lost[PlayActionCount]) {
        if (Rows[PauseRow][0] != None) return;
        for (int action = 0; action < PlayActionCount; ++action) {
            if (!Holds(action, Fallback)) continue;
            Remove(action, Fallback);
            lost[action] = true;
        }
        Rows[PauseRow][0] = Fallback;
    }
    Rebinding Bind(int action, T item, bool second) {
        Rebinding result;
        const bool pauseHasOnlyIt = Rows[PauseRow][0] == item && Rows[PauseRow][1] == None;
        if (action != PauseRow && item == Fallback && pauseHasOnlyIt) {
            result.Refused = true;
            return result;
        }
        for (int other = 0; other < PlayActionCount; ++other) {
            if (other == action || !Holds(other, item)) continue;
            Remove(other, item);
            result.Lost[other] = true;
        }
        T(&slots)[2] = Rows[action];
        if (!second) {
            slots[0] = item;
            slots[1] = None;
        } else if (slots[0] == None) {
            slots[0] = item;
        } else if (slots[0] != item) {
            slots[1] = item;
        }
        KeepPauseReachable(result.Lost);
        return result;
    }
};

Table<KeyPlace> KeysOf(ControlsRecord& controls) {
    return {controls.Keys, KeyPlace{0}, PlaceReturn};
}

Table<PadButton> ButtonsOf(ControlsRecord& controls) {
    return {controls.Buttons, PadButton::NoButton, PadButton::Start};
}

}  // namespace

bool ControlsRecord::operator==(const ControlsRecord& other) const {
    return std::equal(&Keys[0][0], &Keys[0][0] + 2 * PlayActionCount, &other.Keys[0][0]) &&
           std::equal(&Buttons[0][0], &Buttons[0][0] + 2 * PlayActionCount, &other.Buttons[0][0]);
}

uint8_t ActionKeyCode(PlayAction action) {
    return ActionCodes[static_cast<int>(action)];
}

std::string_view PadButtonName(PadButton button) {
    if (button >= PadButton::NoButton) return "";
    return ButtonNames[static_cast<int>(button)];
}

PadButton PadButtonNamed(std::string_view name) {
    for (int i = 0; i < PadButtonCount; ++i) {
        const std::string_view candidate = ButtonNames[i];
        if (candidate.size() != name.size()) continue;
        if (std::equal(name.begin(), name.end(), candidate.begin(),
                       [](char a, char b) { return Lower(a) == b; })) {
            return static_cast<PadButton>(i);
        }
    }
    return PadButton::NoButton;
}

std::string_view PadButtonLabel(PadKind kind, PadButton button) {
    if (button >= PadButton::NoButton) return "";
    return ButtonLabels[static_cast<int>(kind)][static_cast<int>(button)];
}

bool KeyCanBeBound(KeyPlace place) {
    return place != 0 && place < KeyPlaceCount && place != PlaceEscape && place != PlaceF11 &&
           place != PlaceLeftAlt && place != PlaceRightAlt;
}

bool ButtonCanBeBound(PadButton button) {
    return button < PadButton::NoButton && button != PadButton::Back && button != PadButton::Guide;
}

Rebinding BindKey(ControlsRecord& controls, PlayAction action, KeyPlace place, bool second) {
    if (!KeyCanBeBound(place)) return Rebinding{.Refused = true};
    return KeysOf(controls).Bind(static_cast<int>(action), place, second);
}

Rebinding BindButton(ControlsRecord& controls, PlayAction action, PadButton button, bool second) {
    if (!ButtonCanBeBound(button)) return Rebinding{.Refused = true};
    return ButtonsOf(controls).Bind(static_cast<int>(action), button, second);
}

bool ClearSecondKey(ControlsRecord& controls, PlayAction action) {
    KeyPlace& second = controls.Keys[static_cast<int>(action)][1];
    if (second == 0) return false;
    second = 0;
    return true;
}

void KeepPauseReachable(ControlsRecord& controls, bool lost[PlayActionCount]) {
    KeysOf(controls).KeepPauseReachable(lost);
    ButtonsOf(controls).KeepPauseReachable(lost);
}

void FillKeyState(KeyMode mode, const ControlsRecord& controls, const PhysicalInput& input,
                  uint8_t state[256]) {
    std::fill(state, state + 256, uint8_t{0});
    const auto set = [state](uint8_t code) {
        if (code != 0) state[code] = 0x80;
    };
    const auto pressed = [&input](PadButton button) {
        return button < PadButton::NoButton && input.Buttons[static_cast<int>(button)];
    };
    if (mode == KeyMode::Menus || mode == KeyMode::Name) {
        for (int place = 1; place < KeyPlaceCount; ++place) {
            if (input.Keys[place]) set(input.MenuCodes[place]);
        }
        if (pressed(PadButton::DpadUp) || pressed(PadButton::A)) set(DIK_UP);
        if (pressed(PadButton::DpadDown)) set(DIK_DOWN);
        if (pressed(PadButton::DpadLeft)) set(DIK_LEFT);
        if (pressed(PadButton::DpadRight)) set(DIK_RIGHT);
        if (pressed(PadButton::B)) set(DIK_SPACE);
        if (pressed(PadButton::Start)) set(DIK_RETURN);
        if (pressed(PadButton::Back)) set(DIK_ESCAPE);
        return;
    }
    if (input.Keys[PlaceEscape] || pressed(PadButton::Back)) set(DIK_ESCAPE);
    for (int action = 0; action < PlayActionCount; ++action) {
        bool down = false;
        for (int slot = 0; slot < 2; ++slot) {
            const KeyPlace place = controls.Keys[action][slot];
            down = down || (place != 0 && place < KeyPlaceCount && input.Keys[place]);
            down = down || pressed(controls.Buttons[action][slot]);
        }
        if (down) set(ActionCodes[action]);
    }
    // Whatever pause is bound to, Enter (and Start) resumes.
    if (mode == KeyMode::Paused && (input.Keys[PlaceReturn] || pressed(PadButton::Start))) {
        set(DIK_RETURN);
    }
}
