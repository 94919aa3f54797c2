// SDL's physical key positions translated to the DirectInput key codes the game reads.
#pragma once

#include <SDL_keycode.h>
#include <SDL_scancode.h>

#include <cstdint>

// The DirectInput code of a key, 0 for a key the table does not know.
uint8_t DirectInputCodeOf(SDL_Scancode scancode);

// The code a key gives the game under the player's keyboard layout, `symbol` being what the
// key types there: a key that types a letter A to Z gives that letter's code wherever it sits
// (the key marked A on a French keyboard types A in a name), a key in a letter's place that
// types some other Latin sign gives none, and every other key gives the code of its place, so
// that the arrows, Space, Enter, Escape, Backspace and keypad + never move. Keys of a
// non-Latin layout give the letter of their place, as printed beside their own on such
// keyboards.
uint8_t GameKeyCodeOf(SDL_Scancode scancode, SDL_Keycode symbol);
