// The command line's two verbs for recorded games.
#pragma once

#include "platform/platform.h"

// zantorvix --check FILE: plays it back without a window and prints what it ended with.
// Returns 0 when it matches the recording, 1 when it departs, 2 when the file is bad.
int CheckReplay(const char* file);
// zantorvix --replay FILE: shows it in the window on the real platform, after the same start-up
// as a game. Returns 0 when it was shown (or left by the viewer), 1 when it departs or there is
// no display, 2 when the file is bad.
int WatchReplay(const char* file, Platform& real);
