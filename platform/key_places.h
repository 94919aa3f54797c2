// Keys by their place on the keyboard, whatever its layout prints on them: the USB HID usage
// number of the place, which SDL calls the key's scancode. The player's controls name keys this
// way, so that a binding stays on the same key under every layout.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

using KeyPlace = uint16_t;  // 0: no key
inline constexpr int32_t KeyPlaceCount = 512;

// The places the game itself knows.
enum : KeyPlace {
    PlaceA = 4,
    PlaceX = 27,
    PlaceZ = 29,
    PlaceReturn = 40,
    PlaceEscape = 41,
    PlaceBackspace = 42,
    PlaceSpace = 44,
    PlaceComma = 54,
    PlaceF11 = 68,
    PlaceRight = 79,
    PlaceLeft = 80,
    PlaceDown = 81,
    PlaceUp = 82,
    PlaceKeypadPlus = 87,
    PlaceKeypadEnter = 88,
    PlaceLeftAlt = 226,
    PlaceRightAlt = 230,
};

// The place's name as SDL writes it ("Space", "Left Shift", "Keypad +"), except where that name
// could not stand in a list of names: "Comma" for the comma, "Keypad Comma", "NonUSBackslash"
// for the key SDL leaves unnamed (left of Z on European keyboards), "Return2" for SDL's second
// Return; a place SDL does not name at all is "Scancode" and its number. "" for no place.
std::string KeyPlaceName(KeyPlace place);
// The place of a name, in any case; 0 for a name no place has.
KeyPlace KeyPlaceNamed(std::string_view name);
// The DirectInput key code of the place (platform/keyboard.h), as a US keyboard gives it; 0 for
// a place DirectInput has no code for.
uint8_t DirectInputCodeOfPlace(KeyPlace place);
