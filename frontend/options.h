// The player's options: the options screen and "options.dat".
#pragma once

#include <string>
#include <string_view>

#include "frontend/data_file.h"
#include "game/state.h"

inline constexpr const char* OptionsFileName = "options.dat";

// Reads "options.dat" into Options; a missing file leaves the defaults without a word.
void LoadOptions();
// Writes Options to "options.dat", replacing the old file only once the new one is complete.
void SaveOptions();
// The options screen, run from the title menu; leaves with Escape and saves on every exit.
void RunOptionsScreen();

// The file's text: volume, bombs, shadow and preview, one a line, no line end after the last.
std::string WriteOptions(const OptionsRecord& options);
// Takes the four values from any text, separated by any white space. Reading stops at the
// first value that is missing or not a whole number within 32 bits; it and the later fields
// keep what they held. A switch is off when its value is 0 and on for any other number.
ItemsRead ReadOptions(std::string_view text, OptionsRecord& options);
