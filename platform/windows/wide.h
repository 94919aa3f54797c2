// Names as the game keeps them (UTF-8) and as Windows' wide calls take them (UTF-16). The wide
// calls take any name, a user folder named "Zoë" included; the narrow ones only the names the
// machine's ANSI code page can spell.
#pragma once

#include <string>
#include <string_view>

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// The system's words for an error code (GetLastError's), without the closing full stop.
std::string SystemMessage(unsigned long code);
