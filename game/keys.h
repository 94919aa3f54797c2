// The keyboard as the game reads it: KeyState (game/state.h) refreshed once per poll.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/keyboard.h"
#include "platform/platform.h"

void CreateKeyboard();
// Refreshes KeyState. Throws WindowClosed once the window was closed, so that every loop
// waiting for a key ends at once.
void PollKeyboard();
// Tells the machine what the keys are for from now on: the menus', play's, the pause's, or a
// typed name's.
void SetKeyMode(KeyMode mode);
// Tells the machine the player's controls (Controls), which it applies while the keys are
// play's.
void ApplyControls();
// The key or gamepad button pressed last since the last call, or nothing (the controls screen).
ControlPress TakeControlPress();
// What the player's keyboard prints on the key at this place; "" when it has no name.
std::string KeyLabel(KeyPlace place);
// How the player's gamepad prints its buttons.
PadKind GamepadKind();
// True once after the game's window lost the focus since the last call: the player has gone
// to another window. Losses are noticed by the polls.
bool FocusWasLost();
// Polls until every one of the keys is up: how a press is made to act once, however long the
// key is held.
void WaitForKeysUp(std::initializer_list<uint8_t> keys);
