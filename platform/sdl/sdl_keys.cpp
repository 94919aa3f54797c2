#include "platform/sdl/sdl_keys.h"

#include "platform/key_places.h"
#include "platform/keyboard.h"

// SDL counts key places as the USB HID usage numbers do.
static_assert(int{SDL_NUM_SCANCODES} == KeyPlaceCount &&
              int{SDL_SCANCODE_KP_PLUS} == int{PlaceKeypadPlus} &&
              int{SDL_SCANCODE_RETURN} == int{PlaceReturn} &&
              int{SDL_SCANCODE_F11} == int{PlaceF11});

uint8_t DirectInputCodeOf(SDL_Scancode scancode) {
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
    return DirectInputCodeOfPlace(static_cast<KeyPlace>(scancode));
}

uint8_t GameKeyCodeOf(SDL_Scancode scancode, SDL_Keycode symbol) {
    if (symbol >= SDLK_a && symbol <= SDLK_z) return LetterKeys[symbol - SDLK_a];
    const uint8_t code = DirectInputCodeOf(scancode);
    const bool letterPlace = scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z;
    if (letterPlace && symbol > 0 && symbol < 0x80) return 0;
    return code;
}
