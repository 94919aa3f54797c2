// The controls screen as the journeys expect to see it, composed from the generated pictures as
// the game draws it, and the wait for it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/harness.h"
#include "e2e/screens.h"

namespace e2e {

// The controls screen with the highlight on row `cursor` (0 to 6 the actions, 7 "reset all"),
// each action's keys and buttons named as the screen names them (none: "NONE", quieter).
Image ControlsScreen(int cursor, const std::vector<std::vector<std::string>>& keys,
                     const std::vector<std::vector<std::string>>& buttons);
// Waits until the screen shows the controls screen `expected`: as a whole, and each row's keys
// and buttons closely enough that one wrong glyph counts.
::testing::AssertionResult WaitForControls(const Image& expected, const std::string& what);

}  // namespace e2e
