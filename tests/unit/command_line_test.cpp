#include "app/command_line.h"

#include <gtest/gtest.h>

#include "core/number_text.h"

namespace orvel {
namespace {

TEST(TokenizeCommandLine, FollowsTheFiveRules) {
  const struct {
    const char16_t* line;
    std::vector<Text> parameters;
  } cases[] = {
      {u"", {}},
      {u"orvel.exe", {}},
      {u"\"C:\\Program Files\\orvel.exe\" note.txt", {u"note.txt"}},
      {u"orvel.exe   a    b  ", {u"a", u"b"}},
      {u"orvel.exe \"my notes\\a b.txt\" 10", {u"my notes\\a b.txt", u"10"}},
      {u"orvel.exe \"a b\"c d", {u"a b", u"c", u"d"}},
      {u"orvel.exe \"unterminated quote", {u"unterminated quote"}},
      {u"orvel.exe a\"b\"c", {u"a\"b\"c"}},
      {u"orvel.exe one\ttwo", {u"one\ttwo"}},
      {u"orvel.exe \"\" x", {u"", u"x"}},
  };
  for (const auto& c : cases) EXPECT_EQ(TokenizeCommandLine(c.line), c.parameters) << TextToUtf8(c.line);
}

TEST(CommandLine, GivesEmptyTextOnceExhausted) {
  CommandLine line({u"note.txt", u"10"});
  EXPECT_EQ(line.NextParameter(), u"note.txt");
  EXPECT_EQ(line.NextParameter(), u"10");
  EXPECT_EQ(line.NextParameter(), u"");
  EXPECT_EQ(line.NextParameter(), u"");
}

TEST(NumberTextValue, ReadsSignsBasesAndStopsAtTheFirstOtherCharacter) {
  const struct {
    const char16_t* text;
    std::int64_t value;
  } cases[] = {
      {u"", 0},          {u"abc", 0},         {u"12px", 12},     {u"$20", 32},
      {u"$fF", 255},     {u"%101", 5},        {u"%102", 2},      {u" -7", -7},
      {u"\t+8", 8},      {u"- 5", 0},         {u"$", 0},         {u"--1", 0},
      {u"  $-1", 0},     {u"0010", 10},       {u"-$10", -16},
      {u"9223372036854775808", std::numeric_limits<std::int64_t>::min()},  // wraps
      {u"18446744073709551617", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(NumberTextValue(c.text), c.value) << TextToUtf8(c.text);
}

TEST(Low32, KeepsTheLowBitsAsASignedValue) {
  EXPECT_EQ(Low32(12), 12);
  EXPECT_EQ(Low32(-7), -7);
  EXPECT_EQ(Low32(0x100000000LL), 0);  // counts as 0, so the setting is used
  EXPECT_EQ(Low32(0xFFFFFFFFLL), -1);
  EXPECT_EQ(Low32(NumberTextValue(u"$100000005")), 5);
}

}  // namespace
}  // namespace orvel
