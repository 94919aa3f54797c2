#include "platform/sdl/sdl_keys.h"

#include <array>
#include <utility>

#include "platform/keyboard.h"

namespace {

// DirectInput codes the game itself never reads; kept so that every ordinary key has its code.
constexpr uint8_t Dik1 = 0x02, Dik2 = 0x03, Dik3 = 0x04, Dik4 = 0x05, Dik5 = 0x06, Dik6 = 0x07,
                  Dik7 = 0x08, Dik8 = 0x09, Dik9 = 0x0A, Dik0 = 0x0B, DikTab = 0x0F,
                  DikLeftControl = 0x1D, DikLeftShift = 0x2A, DikRightShift = 0x36,
                  DikLeftAlt = 0x38, DikNumpadEnter = 0x9C, DikRightControl = 0x9D,
                  DikRightAlt = 0xB8, DikMinus = 0x0C, DikEquals = 0x0D, DikLeftBracket = 0x1A,
                  DikRightBracket = 0x1B, DikSemicolon = 0x27, DikApostrophe = 0x28,
                  DikGrave = 0x29, DikBackslash = 0x2B, DikComma = 0x33, DikPeriod = 0x34,
                  DikSlash = 0x35, DikMultiply = 0x37, DikCapital = 0x3A, DikF1 = 0x3B,
                  DikF2 = 0x3C, DikF3 = 0x3D, DikF4 = 0x3E, DikF5 = 0x3F, DikF6 = 0x40,
                  DikF7 = 0x41, DikF8 = 0x42, DikF9 = 0x43, DikF10 = 0x44, DikNumLock = 0x45,
                  DikScroll = 0x46, DikNumpad7 = 0x47, DikNumpad8 = 0x48, DikNumpad9 = 0x49,
                  DikSubtract = 0x4A, DikNumpad4 = 0x4B, DikNumpad5 = 0x4C, DikNumpad6 = 0x4D,
                  DikNumpad1 = 0x4F, DikNumpad2 = 0x50, DikNumpad3 = 0x51, DikNumpad0 = 0x52,
                  DikDecimal = 0x53, DikOem102 = 0x56, DikF11 = 0x57, DikF12 = 0x58,
                  DikNumpadEquals = 0x8D, DikDivide = 0xB5, DikSysRq = 0xB7, DikPause = 0xC5,
                  DikHome = 0xC7, DikPrior = 0xC9, DikEnd = 0xCF, DikNext = 0xD1, DikInsert = 0xD2,
                  DikDelete = 0xD3, DikLeftWindows = 0xDB, DikRightWindows = 0xDC, DikApps = 0xDD;

constexpr std::pair<SDL_Scancode, uint8_t> KeyPairs[] = {
    {SDL_SCANCODE_ESCAPE, DIK_ESCAPE},
    {SDL_SCANCODE_1, Dik1},
    {SDL_SCANCODE_2, Dik2},
    {SDL_SCANCODE_3, Dik3},
    {SDL_SCANCODE_4, Dik4},
    {SDL_SCANCODE_5, Dik5},
    {SDL_SCANCODE_6, Dik6},
    {SDL_SCANCODE_7, Dik7},
    {SDL_SCANCODE_8, Dik8},
    {SDL_SCANCODE_9, Dik9},
    {SDL_SCANCODE_0, Dik0},
    {SDL_SCANCODE_MINUS, DikMinus},
    {SDL_SCANCODE_EQUALS, DikEquals},
    {SDL_SCANCODE_BACKSPACE, DIK_BACK},
    {SDL_SCANCODE_TAB, DikTab},
    {SDL_SCANCODE_Q, DIK_Q},
    {SDL_SCANCODE_W, DIK_W},
    {SDL_SCANCODE_E, DIK_E},
    {SDL_SCANCODE_R, DIK_R},
    {SDL_SCANCODE_T, DIK_T},
    {SDL_SCANCODE_Y, DIK_Y},
    {SDL_SCANCODE_U, DIK_U},
    {SDL_SCANCODE_I, DIK_I},
    {SDL_SCANCODE_O, DIK_O},
    {SDL_SCANCODE_P, DIK_P},
    {SDL_SCANCODE_LEFTBRACKET, DikLeftBracket},
    {SDL_SCANCODE_RIGHTBRACKET, DikRightBracket},
    {SDL_SCANCODE_RETURN, DIK_RETURN},
    {SDL_SCANCODE_LCTRL, DikLeftControl},
    {SDL_SCANCODE_A, DIK_A},
    {SDL_SCANCODE_S, DIK_S},
    {SDL_SCANCODE_D, DIK_D},
    {SDL_SCANCODE_F, DIK_F},
    {SDL_SCANCODE_G, DIK_G},
    {SDL_SCANCODE_H, DIK_H},
    {SDL_SCANCODE_J, DIK_J},
    {SDL_SCANCODE_K, DIK_K},
    {SDL_SCANCODE_L, DIK_L},
    {SDL_SCANCODE_SEMICOLON, DikSemicolon},
    {SDL_SCANCODE_APOSTROPHE, DikApostrophe},
    {SDL_SCANCODE_GRAVE, DikGrave},
    {SDL_SCANCODE_LSHIFT, DikLeftShift},
    {SDL_SCANCODE_BACKSLASH, DikBackslash},
    {SDL_SCANCODE_NONUSHASH, DikBackslash},  // the ISO key in the same place
    {SDL_SCANCODE_Z, DIK_Z},
    {SDL_SCANCODE_X, DIK_X},
    {SDL_SCANCODE_C, DIK_C},
    {SDL_SCANCODE_V, DIK_V},
    {SDL_SCANCODE_B, DIK_B},
    {SDL_SCANCODE_N, DIK_N},
    {SDL_SCANCODE_M, DIK_M},
    {SDL_SCANCODE_COMMA, DikComma},
    {SDL_SCANCODE_PERIOD, DikPeriod},
    {SDL_SCANCODE_SLASH, DikSlash},
    {SDL_SCANCODE_RSHIFT, DikRightShift},
    {SDL_SCANCODE_KP_MULTIPLY, DikMultiply},
    {SDL_SCANCODE_LALT, DikLeftAlt},
    {SDL_SCANCODE_SPACE, DIK_SPACE},
    {SDL_SCANCODE_CAPSLOCK, DikCapital},
    {SDL_SCANCODE_F1, DikF1},
    {SDL_SCANCODE_F2, DikF2},
    {SDL_SCANCODE_F3, DikF3},
    {SDL_SCANCODE_F4, DikF4},
    {SDL_SCANCODE_F5, DikF5},
    {SDL_SCANCODE_F6, DikF6},
    {SDL_SCANCODE_F7, DikF7},
    {SDL_SCANCODE_F8, DikF8},
    {SDL_SCANCODE_F9, DikF9},
    {SDL_SCANCODE_F10, DikF10},
    {SDL_SCANCODE_NUMLOCKCLEAR, DikNumLock},
    {SDL_SCANCODE_SCROLLLOCK, DikScroll},
    {SDL_SCANCODE_KP_7, DikNumpad7},
    {SDL_SCANCODE_KP_8, DikNumpad8},
    {SDL_SCANCODE_KP_9, DikNumpad9},
    {SDL_SCANCODE_KP_MINUS, DikSubtract},
    {SDL_SCANCODE_KP_4, DikNumpad4},
    {SDL_SCANCODE_KP_5, DikNumpad5},
    {SDL_SCANCODE_KP_6, DikNumpad6},
    {SDL_SCANCODE_KP_PLUS, DIK_ADD},
    {SDL_SCANCODE_KP_1, DikNumpad1},
    {SDL_SCANCODE_KP_2, DikNumpad2},
    {SDL_SCANCODE_KP_3, DikNumpad3},
    {SDL_SCANCODE_KP_0, DikNumpad0},
    {SDL_SCANCODE_KP_PERIOD, DikDecimal},
    {SDL_SCANCODE_NONUSBACKSLASH, DikOem102},
    {SDL_SCANCODE_F11, DikF11},
    {SDL_SCANCODE_F12, DikF12},
    {SDL_SCANCODE_KP_EQUALS, DikNumpadEquals},
    {SDL_SCANCODE_KP_ENTER, DikNumpadEnter},
    {SDL_SCANCODE_RCTRL, DikRightControl},
    {SDL_SCANCODE_KP_DIVIDE, DikDivide},
    {SDL_SCANCODE_PRINTSCREEN, DikSysRq},
    {SDL_SCANCODE_RALT, DikRightAlt},
    {SDL_SCANCODE_PAUSE, DikPause},
    {SDL_SCANCODE_HOME, DikHome},
    {SDL_SCANCODE_UP, DIK_UP},
    {SDL_SCANCODE_PAGEUP, DikPrior},
    {SDL_SCANCODE_LEFT, DIK_LEFT},
    {SDL_SCANCODE_RIGHT, DIK_RIGHT},
    {SDL_SCANCODE_END, DikEnd},
    {SDL_SCANCODE_DOWN, DIK_DOWN},
    {SDL_SCANCODE_PAGEDOWN, DikNext},
    {SDL_SCANCODE_INSERT, DikInsert},
    {SDL_SCANCODE_DELETE, DikDelete},
    {SDL_SCANCODE_LGUI, DikLeftWindows},
    {SDL_SCANCODE_RGUI, DikRightWindows},
    {SDL_SCANCODE_APPLICATION, DikApps},
};

constexpr std::array<uint8_t, SDL_NUM_SCANCODES> MakeTable() {
    std::array<uint8_t, SDL_NUM_SCANCODES> table{};
    for (const auto& [scancode, code] : KeyPairs) table[scancode] = code;
    return table;
}

constexpr std::array<uint8_t, SDL_NUM_SCANCODES> DirectInputCodes = MakeTable();

}  // namespace

uint8_t DirectInputCodeOf(SDL_Scancode scancode) {
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
    return DirectInputCodes[scancode];
}

uint8_t GameKeyCodeOf(SDL_Scancode scancode, SDL_Keycode symbol) {
    if (symbol >= SDLK_a && symbol <= SDLK_z) return LetterKeys[symbol - SDLK_a];
    const uint8_t code = DirectInputCodeOf(scancode);
    const bool letterPlace = scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z;
    if (letterPlace && symbol > 0 && symbol < 0x80) return 0;
    return code;
}
