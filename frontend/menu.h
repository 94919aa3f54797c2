// The highlight of the title menu and the options screen: held Up or Down moves it one item
// every MenuRepeatFrames frames, wrapping round at either end, each move with a click.
#pragma once

#include <cstdint>

inline constexpr int32_t MenuRepeatFrames = 10;

// Moves the cursor within first..last for the arrows held now, where their repeat allows.
void StepMenuCursor(int32_t& cursor, int32_t first, int32_t last);
// Counts the repeat down by one frame; called once at the end of each menu frame.
void CountDownMenuRepeat();
