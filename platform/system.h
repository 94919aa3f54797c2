// The C runtime the game was written against, reproduced: a wall clock in milliseconds since
// start, calendar seconds, a sleep and the window's message queue.
#pragma once

#include <cstdint>

int64_t Clock();  // milliseconds of wall time since the program started (not CPU time)
int64_t Time();   // calendar time in whole seconds
// Ends early once the window is closed.
void Sleep(int32_t milliseconds);
// Takes at most one waiting window message and handles it; throws WindowClosed once the
// window was closed.
void TakeWindowMessage();
