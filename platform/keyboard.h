// The keyboard's key codes: a poll reads the keyboard as 256 bytes indexed by DirectInput key
// code, a key down while its byte is non-zero.
#pragma once

#include <cstdint>

// The keys the game reads. The platform fills in every other key under its own code too.
enum KeyCode : uint8_t {
    DIK_ESCAPE = 0x01,
    DIK_BACK = 0x0E,
    DIK_Q = 0x10,
    DIK_W = 0x11,
    DIK_E = 0x12,
    DIK_R = 0x13,
    DIK_T = 0x14,
    DIK_Y = 0x15,
    DIK_U = 0x16,
    DIK_I = 0x17,
    DIK_O = 0x18,
    DIK_P = 0x19,
    DIK_RETURN = 0x1C,
    DIK_A = 0x1E,
    DIK_S = 0x1F,
    DIK_D = 0x20,
    DIK_F = 0x21,
    DIK_G = 0x22,
    DIK_H = 0x23,
    DIK_J = 0x24,
    DIK_K = 0x25,
    DIK_L = 0x26,
    DIK_Z = 0x2C,
    DIK_X = 0x2D,
    DIK_C = 0x2E,
    DIK_V = 0x2F,
    DIK_B = 0x30,
    DIK_N = 0x31,
    DIK_M = 0x32,
    DIK_SPACE = 0x39,
    DIK_ADD = 0x4E,
    DIK_UP = 0xC8,
    DIK_LEFT = 0xCB,
    DIK_RIGHT = 0xCD,
    DIK_DOWN = 0xD0,
};

// The key code of each letter A to Z, in alphabetical order.
extern const uint8_t LetterKeys[26];
