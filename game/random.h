// The linear congruential generator the game's dealing depends on: state * 214013 + 2531011
// modulo 2^32, result bits 16 to 30, state 1 until seeded. The C library's rand differs. Its
// state is RandomState (game/state.h).
#pragma once

#include <cstdint>

void Srand(uint32_t seed);
int32_t Rand();
