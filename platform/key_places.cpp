#include "platform/key_places.h"

#include <array>
#include <charconv>
#include <iterator>

namespace {

struct PlaceRow {
    KeyPlace Place;
    const char* Name;
    uint8_t DirectInputCode;
};

// SDL 2's scancode names, with the four changes KeyPlaceName describes, and the DirectInput code
// each place has where it has one.
constexpr PlaceRow PlaceRows[] = {
    {4, "A", 0x1E},
    {5, "B", 0x30},
    {6, "C", 0x2E},
    {7, "D", 0x20},
    {8, "E", 0x12},
    {9, "F", 0x21},
    {10, "G", 0x22},
    {11, "H", 0x23},
    {12, "I", 0x17},
    {13, "J", 0x24},
    {14, "K", 0x25},
    {15, "L", 0x26},
    {16, "M", 0x32},
    {17, "N", 0x31},
    {18, "O", 0x18},
    {19, "P", 0x19},
    {20, "Q", 0x10},
    {21, "R", 0x13},
    {22, "S", 0x1F},
    {23, "T", 0x14},
    {24, "U", 0x16},
    {25, "V", 0x2F},
    {26, "W", 0x11},
    {27, "X", 0x2D},
    {28, "Y", 0x15},
    {29, "Z", 0x2C},
    {30, "1", 0x02},
    {31, "2", 0x03},
    {32, "3", 0x04},
    {33, "4", 0x05},
    {34, "5", 0x06},
    {35, "6", 0x07},
    {36, "7", 0x08},
    {37, "8", 0x09},
    {38, "9", 0x0A},
    {39, "0", 0x0B},
    {40, "Return", 0x1C},
    {41, "Escape", 0x01},
    {42, "Backspace", 0x0E},
    {43, "Tab", 0x0F},
    {44, "Space", 0x39},
    {45, "-", 0x0C},
    {46, "=", 0x0D},
    {47, "[", 0x1A},
    {48, "]", 0x1B},
    {49, "\\", 0x2B},
    {50, "#", 0x2B},
    {51, ";", 0x27},
    {52, "'", 0x28},
    {53, "`", 0x29},
    {54, "Comma", 0x33},
    {55, ".", 0x34},
    {56, "/", 0x35},
    {57, "CapsLock", 0x3A},
    {58, "F1", 0x3B},
    {59, "F2", 0x3C},
    {60, "F3", 0x3D},
    {61, "F4", 0x3E},
    {62, "F5", 0x3F},
    {63, "F6", 0x40},
    {64, "F7", 0x41},
    {65, "F8", 0x42},
    {66, "F9", 0x43},
    {67, "F10", 0x44},
    {68, "F11", 0x57},
    {69, "F12", 0x58},
    {70, "PrintScreen", 0xB7},
    {71, "ScrollLock", 0x46},
    {72, "Pause", 0xC5},
    {73, "Insert", 0xD2},
    {74, "Home", 0xC7},
    {75, "PageUp", 0xC9},
    {76, "Delete", 0xD3},
    {77, "End", 0xCF},
    {78, "PageDown", 0xD1},
    {79, "Right", 0xCD},
    {80, "Left", 0xCB},
    {81, "Down", 0xD0},
    {82, "Up", 0xC8},
    {83, "Numlock", 0x45},
    {84, "Keypad /", 0xB5},
    {85, "Keypad *", 0x37},
    {86, "Keypad -", 0x4A},
    {87, "Keypad +", 0x4E},
    {88, "Keypad Enter", 0x9C},
    {89, "Keypad 1", 0x4F},
    {90, "Keypad 2", 0x50},
    {91, "Keypad 3", 0x51},
    {92, "Keypad 4", 0x4B},
    {93, "Keypad 5", 0x4C},
    {94, "Keypad 6", 0x4D},
    {95, "Keypad 7", 0x47},
    {96, "Keypad 8", 0x48},
    {97, "Keypad 9", 0x49},
    {98, "Keypad 0", 0x52},
    {99, "Keypad .", 0x53},
    {100, "NonUSBackslash", 0x56},
    {101, "Application", 0xDD},
    {102, "Power", 0x00},
    {103, "Keypad =", 0x8D},
    {104, "F13", 0x00},
    {105, "F14", 0x00},
    {106, "F15", 0x00},
    {107, "F16", 0x00},
    {108, "F17", 0x00},
    {109, "F18", 0x00},
    {110, "F19", 0x00},
    {111, "F20", 0x00},
    {112, "F21", 0x00},
    {113, "F22", 0x00},
    {114, "F23", 0x00},
    {115, "F24", 0x00},
    {116, "Execute", 0x00},
    {117, "Help", 0x00},
    {118, "Menu", 0x00},
    {119, "Select", 0x00},
    {120, "Stop", 0x00},
    {121, "Again", 0x00},
    {122, "Undo", 0x00},
    {123, "Cut", 0x00},
    {124, "Copy", 0x00},
    {125, "Paste", 0x00},
    {126, "Find", 0x00},
    {127, "Mute", 0x00},
    {128, "VolumeUp", 0x00},
    {129, "VolumeDown", 0x00},
    {133, "Keypad Comma", 0x00},
    {134, "Keypad = (AS400)", 0x00},
    {153, "AltErase", 0x00},
    {154, "SysReq", 0x00},
    {155, "Cancel", 0x00},
    {156, "Clear", 0x00},
    {157, "Prior", 0x00},
    {158, "Return2", 0x00},
    {159, "Separator", 0x00},
    {160, "Out", 0x00},
    {161, "Oper", 0x00},
    {162, "Clear / Again", 0x00},
    {163, "CrSel", 0x00},
    {164, "ExSel", 0x00},
    {176, "Keypad 00", 0x00},
    {177, "Keypad 000", 0x00},
    {178, "ThousandsSeparator", 0x00},
    {179, "DecimalSeparator", 0x00},
    {180, "CurrencyUnit", 0x00},
    {181, "CurrencySubUnit", 0x00},
    {182, "Keypad (", 0x00},
    {183, "Keypad )", 0x00},
    {184, "Keypad {", 0x00},
    {185, "Keypad }", 0x00},
    {186, "Keypad Tab", 0x00},
    {187, "Keypad Backspace", 0x00},
    {188, "Keypad A", 0x00},
    {189, "Keypad B", 0x00},
    {190, "Keypad C", 0x00},
    {191, "Keypad D", 0x00},
    {192, "Keypad E", 0x00},
    {193, "Keypad F", 0x00},
    {194, "Keypad XOR", 0x00},
    {195, "Keypad ^", 0x00},
    {196, "Keypad %", 0x00},
    {197, "Keypad <", 0x00},
    {198, "Keypad >", 0x00},
    {199, "Keypad &", 0x00},
    {200, "Keypad &&", 0x00},
    {201, "Keypad |", 0x00},
    {202, "Keypad ||", 0x00},
    {203, "Keypad :", 0x00},
    {204, "Keypad #", 0x00},
    {205, "Keypad Space", 0x00},
    {206, "Keypad @", 0x00},
    {207, "Keypad !", 0x00},
    {208, "Keypad MemStore", 0x00},
    {209, "Keypad MemRecall", 0x00},
    {210, "Keypad MemClear", 0x00},
    {211, "Keypad MemAdd", 0x00},
    {212, "Keypad MemSubtract", 0x00},
    {213, "Keypad MemMultiply", 0x00},
    {214, "Keypad MemDivide", 0x00},
    {215, "Keypad +/-", 0x00},
    {216, "Keypad Clear", 0x00},
    {217, "Keypad ClearEntry", 0x00},
    {218, "Keypad Binary", 0x00},
    {219, "Keypad Octal", 0x00},
    {220, "Keypad Decimal", 0x00},
    {221, "Keypad Hexadecimal", 0x00},
    {224, "Left Ctrl", 0x1D},
    {225, "Left Shift", 0x2A},
    {226, "Left Alt", 0x38},
    {227, "Left GUI", 0xDB},
    {228, "Right Ctrl", 0x9D},
    {229, "Right Shift", 0x36},
    {230, "Right Alt", 0xB8},
    {231, "Right GUI", 0xDC},
    {257, "ModeSwitch", 0x00},
    {258, "AudioNext", 0x00},
    {259, "AudioPrev", 0x00},
    {260, "AudioStop", 0x00},
    {261, "AudioPlay", 0x00},
    {262, "AudioMute", 0x00},
    {263, "MediaSelect", 0x00},
    {264, "WWW", 0x00},
    {265, "Mail", 0x00},
    {266, "Calculator", 0x00},
    {267, "Computer", 0x00},
    {268, "AC Search", 0x00},
    {269, "AC Home", 0x00},
    {270, "AC Back", 0x00},
    {271, "AC Forward", 0x00},
    {272, "AC Stop", 0x00},
    {273, "AC Refresh", 0x00},
    {274, "AC Bookmarks", 0x00},
    {275, "BrightnessDown", 0x00},
    {276, "BrightnessUp", 0x00},
    {277, "DisplaySwitch", 0x00},
    {278, "KBDIllumToggle", 0x00},
    {279, "KBDIllumDown", 0x00},
    {280, "KBDIllumUp", 0x00},
    {281, "Eject", 0x00},
    {282, "Sleep", 0x00},
    {283, "App1", 0x00},
    {284, "App2", 0x00},
    {285, "AudioRewind", 0x00},
    {286, "AudioFastForward", 0x00},
    {287, "SoftLeft", 0x00},
    {288, "SoftRight", 0x00},
    {289, "Call", 0x00},
    {290, "EndCall", 0x00},
};

constexpr std::string_view GenericPrefix = "Scancode";

// The row of each place, by place; -1 for a place no row names.
constexpr std::array<int16_t, KeyPlaceCount> RowIndex = [] {
    std::array<int16_t, KeyPlaceCount> index{};
    index.fill(-1);
    for (size_t i = 0; i < std::size(PlaceRows); ++i) {
        index[PlaceRows[i].Place] = static_cast<int16_t>(i);
    }
    return index;
}();

const PlaceRow* RowOf(KeyPlace place) {
    if (place >= KeyPlaceCount || RowIndex[place] < 0) return nullptr;
    return &PlaceRows[RowIndex[place]];
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

}  // namespace

std::string KeyPlaceName(KeyPlace place) {
    if (place == 0 || place >= KeyPlaceCount) return "";
    const PlaceRow* row = RowOf(place);
    if (row != nullptr) return row->Name;
    return std::string(GenericPrefix) + std::to_string(place);
}

KeyPlace KeyPlaceNamed(std::string_view name) {
    for (const PlaceRow& row : PlaceRows) {
        if (SameLetters(name, row.Name)) return row.Place;
    }
    if (name.size() > GenericPrefix.size() &&
        SameLetters(name.substr(0, GenericPrefix.size()), GenericPrefix)) {
        const std::string_view digits = name.substr(GenericPrefix.size());
        unsigned value = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error == std::errc{} && end == digits.data() + digits.size() && value > 0 &&
            value < static_cast<unsigned>(KeyPlaceCount)) {
            return static_cast<KeyPlace>(value);
        }
    }
    return 0;
}

uint8_t DirectInputCodeOfPlace(KeyPlace place) {
    const PlaceRow* row = RowOf(place);
    return row == nullptr ? 0 : row->DirectInputCode;
}
