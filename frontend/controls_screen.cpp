#include "frontend/controls_screen.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "frontend/controls.h"
#include "frontend/menu.h"
#include "game/keys.h"
#include "game/layout.h"
#include "game/lettering.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/renderer.h"
#include "platform/system.h"

namespace {

constexpr int32_t ResetRow = PlayActionCount;
constexpr int32_t RowCount = PlayActionCount + 1;

// The letters stand a pixel lower than their pictures' tops, so that their capitals line up
// with the row labels'.
constexpr int32_t TextDrop = 1;
constexpr int32_t NameGap = 24;     // between two keys, or two buttons, of a row
constexpr int32_t ColumnGap = 12;   // kept clear before the next column
constexpr int32_t LostFrames = 90;  // how long a row shows that it lost a key: 1.5 s

constexpr uint32_t LostColour = 0xFFFF7A7A;  // a row that lost a key to another
constexpr uint32_t WaitColour = 0xFF9CFFD8;  // "press a key", in the highlight's green
constexpr uint32_t NoneColour = 0x90FFFFFF;  // "none", quieter than a name

enum class Wait { Nothing, First, Second };

enum Column { KeysColumn, ButtonsColumn };

struct ControlsView {
    int32_t Cursor = 0;
    Wait Waiting = Wait::Nothing;
    // Frames left to show that a row's keys, or its buttons, went to another.
    int32_t LostTimers[PlayActionCount][2] = {};
};

int32_t RowY(int32_t row) {
    const ControlsPlaces& at = ControlsLayout;
    return row == ResetRow ? at.ResetRowY : at.FirstRowY + at.RowStep * row;
}

std::string Capitals(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// What the player's keyboard prints on the key, or its place's name where the lettering has no
// picture for that.
std::string KeyText(KeyPlace place) {
    const std::string label = Capitals(KeyLabel(place));
    return !label.empty() && CanLabel(label) ? label : Capitals(KeyPlaceName(place));
}

// Long key names made shorter, for a row whose two keys would not fit otherwise.
std::string Shortened(std::string name) {
    for (const auto& [word, shorter] : {std::pair<std::string, std::string>{"LEFT ", "L "},
                                        {"RIGHT ", "R "},
                                        {"KEYPAD ", "KP "}}) {
        if (name.rfind(word, 0) == 0 && name.size() > word.size()) {
            name = shorter + name.substr(word.size());
        }
    }
    return name;
}

// Draws names one after another from x, as far as right; "NONE" when there are none. Returns
// where the last ended.
int32_t DrawNames(std::vector<std::string> names, int32_t x, int32_t y, int32_t right,
                  uint32_t colour) {
    if (names.empty()) return DrawLabel("NONE", x, y, colour == OpaqueWhite ? NoneColour : colour);
    int32_t width = 0;
    for (const std::string& name : names) width += LabelWidth(name) + NameGap;
    if (x + width - NameGap > right) {
        for (std::string& name : names) name = Shortened(name);
    }
    int32_t pen = x;
    for (const std::string& name : names) pen = DrawLabel(name, pen, y, colour, right) + NameGap;
    return pen - NameGap;
}

void DrawRow(int32_t row, const ControlsView& view) {
    const ControlsPlaces& at = ControlsLayout;
    const bool selected = view.Cursor == row;
    Sprites.ControlsRows[row][selected ? 1 : 0].Draw(at.LabelX, RowY(row), OpaqueWhite);
    if (row == ResetRow) return;

    const int32_t y = RowY(row) + TextDrop;
    const auto colour = [&view, row](Column column) {
        return view.LostTimers[row][column] > 0 ? LostColour : OpaqueWhite;
    };
    const bool waiting = selected && view.Waiting != Wait::Nothing;
    std::vector<std::string> keys;
    std::vector<std::string> buttons;
    for (int32_t slot = 0; slot < 2; ++slot) {
        const KeyPlace key = Controls.Keys[row][slot];
        const PadButton button = Controls.Buttons[row][slot];
        if (key != 0) keys.push_back(KeyText(key));
        if (button != PadButton::NoButton) {
            buttons.emplace_back(PadButtonLabel(GamepadKind(), button));
        }
    }
    const int32_t keysRight = at.ButtonsX - ColumnGap;
    if (!waiting) {
        DrawNames(keys, at.KeysX, y, keysRight, colour(KeysColumn));
        DrawNames(buttons, at.ButtonsX, y, at.Right, colour(ButtonsColumn));
        return;
    }
    // The key pressed next goes here: in place of the keys, or after the first.
    int32_t pen = at.KeysX;
    if (view.Waiting == Wait::Second && !keys.empty()) {
        pen = DrawNames({keys.front()}, pen, y, keysRight, colour(KeysColumn)) + NameGap;
    }
    DrawLabel("PRESS A KEY", pen, y, WaitColour, keysRight);
    DrawLabel("OR A BUTTON", at.ButtonsX, y, WaitColour, at.Right);
}

void DrawControlsFrame(const ControlsView& view) {
    BeginFrame();
    Sprites.ControlsBackground.Draw(0, 0, OpaqueWhite);
    for (int32_t row = 0; row < RowCount; ++row) DrawRow(row, view);
    EndFrame();
}

void Chime() {
    PlaySound(ChannelGameMusic, SoundBank[SoundDrop]);
}

// Polls until no key is down at all: the key or button just bound is let go before the screen
// reads keys again, so that binding Down does not also move the highlight.
void WaitForEveryKeyUp() {
    for (;;) {
        if (std::all_of(std::begin(KeyState), std::end(KeyState),
                        [](uint8_t k) { return k == 0; })) {
            return;
        }
        PollKeyboard();
    }
}

// One frame of a wait for a key or button: binds what was pressed, or cancels on Escape (or
// the gamepad's Back).
void TakeWaitedPress(ControlsView& view) {
    const ControlPress press = TakeControlPress();
    const auto action = static_cast<PlayAction>(view.Cursor);
    const bool second = view.Waiting == Wait::Second;
    Rebinding change;
    Column column = KeysColumn;
    if (press.Key == PlaceEscape || press.Button == PadButton::Back) {
        view.Waiting = Wait::Nothing;
        // Let go before it could also leave the screen.
        WaitForKeysUp({DIK_ESCAPE});
        return;
    }
    if (KeyCanBeBound(press.Key)) {
        change = BindKey(Controls, action, press.Key, second);
    } else if (ButtonCanBeBound(press.Button)) {
        change = BindButton(Controls, action, press.Button, second);
        column = ButtonsColumn;
    } else {
        return;  // nothing yet, or a key that belongs to the window
    }
    view.Waiting = Wait::Nothing;
    if (change.Refused) {
        // Enter is pause's last key, and stays: the pause row says so.
        view.LostTimers[static_cast<int32_t>(PlayAction::Pause)][column] = LostFrames;
    } else {
        Chime();
        ApplyControls();
    }
    for (int32_t row = 0; row < PlayActionCount; ++row) {
        if (change.Lost[row]) view.LostTimers[row][column] = LostFrames;
    }
    DrawControlsFrame(view);
    WaitForEveryKeyUp();
}

void StartWaiting(ControlsView& view, Wait wait) {
    TakeControlPress();  // what was pressed before, the key that opened the wait included
    view.Waiting = wait;
}

}  // namespace

void RunControlsScreen() {
    const ControlsRecord before = Controls;
    ControlsView view;
    for (;;) {
        TakeWindowMessage();
        PollKeyboard();
        const bool onAction = view.Cursor < PlayActionCount;
        if (view.Waiting != Wait::Nothing) {
            TakeWaitedPress(view);
        } else if (KeyState[DIK_ESCAPE]) {
            // Acted on at release, so that the options screen never sees this Escape.
            WaitForKeysUp({DIK_ESCAPE});
            // An unreadable file is left as it is until the player changes something.
            if (!(Controls == before)) SaveControls();
            ApplyControls();
            return;
        } else {
            StepMenuCursor(view.Cursor, 0, RowCount - 1);
            if (KeyState[DIK_RETURN]) {
                WaitForKeysUp({DIK_RETURN});
                if (view.Cursor == ResetRow) {
                    Controls = ControlsRecord{};
                    ApplyControls();
                    Chime();
                } else {
                    StartWaiting(view, Wait::First);
                }
            } else if (KeyState[DIK_RIGHT] && onAction) {
                WaitForKeysUp({DIK_RIGHT});
                StartWaiting(view, Wait::Second);
            } else if (KeyState[DIK_BACK] && onAction) {
                WaitForKeysUp({DIK_BACK});
                if (ClearSecondKey(Controls, static_cast<PlayAction>(view.Cursor))) {
                    ApplyControls();
                    Chime();
                }
            }
        }
        DrawControlsFrame(view);
        for (auto& timers : view.LostTimers) {
            for (int32_t& timer : timers) timer = std::max(0, timer - 1);
        }
        CountDownMenuRepeat();
        Sleep(1);
    }
}
