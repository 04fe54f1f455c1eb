// Orvel's text and the Windows API's wide strings: both UTF-16, so a copy
// converts.
#pragma once

#include <string>

#include "platform/text.h"

namespace orvel {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

inline std::wstring Wide(const Text& text) { return std::wstring(text.begin(), text.end()); }
inline Text FromWide(const wchar_t* text, std::size_t length) { return Text(text, text + length); }

}  // namespace orvel
