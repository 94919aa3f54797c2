// The title menu: start a game, set the options, or leave.
#pragma once

#include <cstdint>

#include "platform/platform.h"

void RunTitleMenu();
// The menu's music as the menu starts it, on the platform given: the player's master volume,
// then the title tune on its channel at the menu's volume. (A replay in the window starts it
// so too, since its recording begins after the menu has.)
void StartTitleMusic(Platform& platform, SampleId tune);
