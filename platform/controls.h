// The player's controls: which keys and gamepad buttons do each action of play. Whatever is
// bound, the menus and a name keep their fixed keys (the arrows, Enter, Escape and Backspace; on
// a gamepad the D-pad, Start and Back), and Escape always leaves play, so that no binding can
// lock a player out. The bindings are applied where the key state is filled, so the game reads
// the same 256 key codes either way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/key_places.h"

// What the keys are for, as the scenes tell it: the menus read the fixed keys, play reads the
// keys of play, the pause reads the keys of play and Enter (which always resumes), and the score
// screen may want a name typed (a page then offers the phone's own keyboard).
enum class KeyMode : uint8_t { Menus, Play, Name, Paused };

// A gamepad's buttons, in SDL's order and under SDL's names (platform/controls.cpp), then the
// two triggers, which count as pressed past half-way.
enum class PadButton : uint8_t {
    A,  // the lower face button
    B,  // the right face button
    X,
    Y,
    Back,
    Guide,
    Start,
    LeftStick,
    RightStick,
    LeftShoulder,
    RightShoulder,
    DpadUp,
    DpadDown,
    DpadLeft,
    DpadRight,
    Misc1,
    Paddle1,
    Paddle2,
    Paddle3,
    Paddle4,
    Touchpad,
    LeftTrigger,
    RightTrigger,
    NoButton,  // no button (X11 takes the shorter name)
};
inline constexpr int32_t PadButtonCount = static_cast<int32_t>(PadButton::NoButton);

// How a gamepad's buttons are printed: A B X Y (Xbox, and any pad SDL cannot tell), the
// symbols of a PlayStation pad, or Nintendo's letters.
enum class PadKind : uint8_t { Xbox, PlayStation, Nintendo };

// The actions of play, in the order the controls screen and the file list them.
enum class PlayAction : uint8_t { Left, Right, Turn, SoftDrop, HardDrop, Pause, ChangePiece };
inline constexpr int32_t PlayActionCount = 7;

// Up to two keys and two buttons per action; a second is only ever beside a first.
struct ControlsRecord {
    KeyPlace Keys[PlayActionCount][2] = {
        {PlaceLeft, 0},  {PlaceRight, 0},  {PlaceUp, 0},         {PlaceDown, 0},
        {PlaceSpace, 0}, {PlaceReturn, 0}, {PlaceKeypadPlus, 0},
    };
    PadButton Buttons[PlayActionCount][2] = {
        {PadButton::DpadLeft, PadButton::NoButton}, {PadButton::DpadRight, PadButton::NoButton},
        {PadButton::A, PadButton::DpadUp},          {PadButton::DpadDown, PadButton::NoButton},
        {PadButton::B, PadButton::NoButton},        {PadButton::Start, PadButton::NoButton},
        {PadButton::NoButton, PadButton::NoButton},
    };
    bool operator==(const ControlsRecord& other) const;
};

// Each action's name in the controls file: "left", "hard_drop", ...
extern const char* const ActionNames[PlayActionCount];
// The key code an action sets in the key state: the key that does it by default.
uint8_t ActionKeyCode(PlayAction action);

// SDL's name of a button ("a", "dpup", "lefttrigger"), "" for NoButton; the button of a name,
// in any case, NoButton for a name no button has.
std::string_view PadButtonName(PadButton button);
PadButton PadButtonNamed(std::string_view name);
// What a pad of this kind prints on the button ("A", "CROSS", "LB", "L1", "UP").
std::string_view PadButtonLabel(PadKind kind, PadButton button);

// Escape leaves play, F11 and Alt (with Enter) switch full screen: those never do an action.
bool KeyCanBeBound(KeyPlace place);
// Back leaves play and Guide is the system's.
bool ButtonCanBeBound(PadButton button);

// One change of the controls screen: binds the key to the action, as its only key or as its
// second (beside the first, or as the first when it has none). A key bound to another action
// moves here. Pause never goes without a key: taking its last key gives it Enter instead (from
// the action that has Enter), and Enter itself, when it is pause's last key, stays (the change
// is refused).
struct Rebinding {
    bool Refused = false;
    bool Lost[PlayActionCount] = {};  // the actions that lost a key (or button) to the change
};
Rebinding BindKey(ControlsRecord& controls, PlayAction action, KeyPlace place, bool second);
// The same for a gamepad button, with Start for Enter.
Rebinding BindButton(ControlsRecord& controls, PlayAction action, PadButton button, bool second);
// Forgets the action's second key; false when it has none.
bool ClearSecondKey(ControlsRecord& controls, PlayAction action);
// Gives pause Enter when it has no key, and Start when it has no button, taking them from the
// actions that have them; those actions are marked in `lost`.
void KeepPauseReachable(ControlsRecord& controls, bool lost[PlayActionCount]);

// What is physically down at one poll, as the platform reads it.
struct PhysicalInput {
    // Keys down by place, leaving out the window's own (F11, the Enter of Alt+Enter).
    bool Keys[KeyPlaceCount] = {};
    // For each key down, the code it gives in the menus and in a name under the player's
    // layout (a key that types a letter gives that letter's code); 0 for none.
    uint8_t MenuCodes[KeyPlaceCount] = {};
    // Buttons down on any gamepad, the left stick counted as the D-pad.
    bool Buttons[PadButtonCount] = {};
};

// The key state the game reads (256 bytes by DirectInput code) for what is down, by what the
// keys are for now. In the menus and a name: every key under its menu code, and the gamepad's
// fixed keys (D-pad the arrows, A Up, B Space, Start Enter, Back Escape). In play: Escape and
// Back, and each action's code while one of its keys or buttons is down, and nothing else. In
// the pause, also Enter and Start as Enter.
void FillKeyState(KeyMode mode, const ControlsRecord& controls, const PhysicalInput& input,
                  uint8_t state[256]);
