#include "platform/text.h"

#include <gtest/gtest.h>

#include <limits>

namespace orvel {
namespace {

TEST(Utf8ToText, DecodesAndReplacesMalformedSequences) {
  const struct {
    const char* name;
    std::string bytes;
    Text text;
  } cases[] = {
      {"empty", "", u""},
      {"ascii with controls", "a\r\nb\tc", u"a\r\nb\tc"},
      {"two bytes", "\xC3\xA9", u"\u00E9"},
      {"three bytes", "\xE2\x9C\x93", u"\u2713"},
      {"four bytes to a pair", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"lone continuation", "a\x80z", u"a\uFFFDz"},
      {"truncated at the end", "a\xE2\x9C", u"a\uFFFD"},
      {"truncated before ascii", "\xE2\x9Cz", u"\uFFFDz"},
      {"overlong", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"invalid lead byte", "\xFF", u"\uFFFD"},
      {"zero byte is a character", std::string("a\0b", 3), Text(u"a\0b", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToText(c.bytes), c.text) << c.name;
}

TEST(TextToUtf8, EncodesAndReplacesUnpairedSurrogates) {
  EXPECT_EQ(TextToUtf8(u"a\u00E9\u2713\U0001F600"), "a\xC3\xA9\xE2\x9C\x93\xF0\x9F\x98\x80");
  EXPECT_EQ(TextToUtf8(Text(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(TextToUtf8(Text(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
}

TEST(Latin1ToUtf8, EveryByteIsOneCharacter) {
  EXPECT_EQ(Latin1ToUtf8("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(Utf8ToText(Latin1ToUtf8("\xEF\xBB\xBF\xFF")), u"\u00EF\u00BB\u00BF\u00FF");
}

TEST(DecimalText, WritesAsPercentIDoes) {
  EXPECT_EQ(DecimalText(0), u"0");
  EXPECT_EQ(DecimalText(-7), u"-7");
  EXPECT_EQ(DecimalText(1234567890123), u"1234567890123");
  EXPECT_EQ(DecimalText(std::numeric_limits<std::int64_t>::min()), u"-9223372036854775808");
}

}  // namespace
}  // namespace orvel
