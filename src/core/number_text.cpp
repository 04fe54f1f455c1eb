#include "core/number_text.h"

namespace orvel {

namespace {
int DigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return 99;
}
}  // namespace

std::int64_t NumberTextValue(TextView text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
    negative = text[i] == u'-';
    ++i;
  }
  unsigned base = 10;
  if (i < text.size() && text[i] == u'$') {
    base = 16;
    ++i;
  } else if (i < text.size() && text[i] == u'%') {
    base = 2;
    ++i;
  }
  // Unsigned arithmetic wraps by definition; the result is its 64 bits.
  std::uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i]);
    if (digit >= static_cast<int>(base)) break;
    value = value * base + static_cast<unsigned>(digit);
  }
  if (negative) value = ~value + 1;
  return static_cast<std::int64_t>(value);
}

std::int32_t Low32(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

}  // namespace orvel
