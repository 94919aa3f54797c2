// The player's controls file, "controls.ini": the keys and gamepad buttons of play, beside
// "options.dat" in the player's folder.
//
//   [keyboard]
//   hard_drop = Space
//   turn = Up, X
//   [gamepad]
//   hard_drop = b
//
// One section per device, one line per action (its name in ActionNames), up to two keys or
// buttons separated by commas: keys by their place (KeyPlaceName), buttons by SDL's names. An
// action left out keeps its default; "action =" leaves it without any.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "game/state.h"

inline constexpr const char* ControlsFileName = "controls.ini";

// Reads "controls.ini" into Controls, over the defaults; each line that cannot be read, and each
// key or button named for two actions, costs one line on stderr. A missing file leaves the
// defaults without a word.
void LoadControls();
// Writes Controls to "controls.ini", replacing the old file only once the new one is complete.
void SaveControls();

// The whole file for these controls: every action of both sections, lines ended as the
// platform's text files are (TextLineEnd).
std::string WriteControls(const ControlsRecord& controls);
// Reads the file's text into `controls`, line by line: a line that cannot be read leaves its
// action as it was, and every other line still counts; a key or button named for two actions
// belongs to the later line. Pause left without a key gets Enter (without a button, Start).
// Returns what went wrong, one sentence per problem, in the order of the lines.
std::vector<std::string> ReadControls(std::string_view text, ControlsRecord& controls);
