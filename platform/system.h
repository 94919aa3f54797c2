// The C runtime the game was written against, reproduced: a wall clock in milliseconds since
// start, calendar seconds, a sleep, the window's message queue and the random generator.
#pragma once

#include <cstdint>

int64_t Clock();  // milliseconds of wall time since the program started (not CPU time)
int64_t Time();   // calendar time in whole seconds
// Ends early once the window is closed.
void Sleep(int32_t milliseconds);
// Takes at most one waiting window message and handles it; throws WindowClosed once the
// window was closed.
void TakeWindowMessage();

// The linear congruential generator the game's dealing depends on: state * 214013 + 2531011
// modulo 2^32, result bits 16 to 30, state 1 until seeded. The C library's rand differs.
void Srand(uint32_t seed);
int32_t Rand();
// The generator's state as it stands: what a recorded game starts from.
uint32_t RandState();
