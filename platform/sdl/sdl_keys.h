// SDL's physical key positions translated to the DirectInput key codes the game reads.
#pragma once

#include <SDL_scancode.h>

#include <cstdint>

// The DirectInput code of a key, 0 for a key the table does not know.
uint8_t DirectInputCodeOf(SDL_Scancode scancode);
