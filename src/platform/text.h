// Orvel's text: UTF-16, as the editor control and the window system hold it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvel {

using Text = std::u16string;
using TextView = std::u16string_view;

// UTF-8 bytes to text. Malformed sequences become U+FFFD, one for each
// maximal ill-formed part, as the Windows conversion does.
Text Utf8ToText(std::string_view bytes);

// Text to UTF-8 bytes. An unpaired surrogate becomes U+FFFD.
std::string TextToUtf8(TextView text);

// Every byte is one character U+0000 to U+00FF.
std::string Latin1ToUtf8(std::string_view bytes);

// Decimal digits with a '-' for negative numbers, as "%i" writes them.
Text DecimalText(std::int64_t value);

}  // namespace orvel
