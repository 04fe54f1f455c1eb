#include "settings/settings_format.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

using Kind = SettingsEntry::Kind;

SettingsEntry Key(std::string name, std::string value) { return {Kind::Key, std::move(name), std::move(value)}; }
SettingsEntry Group(std::string name) { return {Kind::Group, std::move(name), {}}; }
SettingsEntry Comment(std::string text) { return {Kind::Comment, std::move(text), {}}; }

TEST(ParseSettingsLines, RecognisesTheThreeKindsOfLine) {
  const struct {
    const char* name;
    std::string text;
    std::vector<SettingsEntry> entries;
  } cases[] = {
      {"key and value", "x = 12", {Key("x", "12")}},
      {"blanks around key and value", " \t x \t=  \t12  ", {Key("x", "12  ")}},
      {"no equals sign", "lonely\nx=1", {Key("lonely", ""), Key("x", "1")}},
      {"empty value", "x=", {Key("x", "")}},
      {"only the first equals sign separates", "f = a=b", {Key("f", "a=b")}},
      {"hash begins a key", "#x = 1", {Key("#x", "1")}},
      {"empty key", "= 5", {Key("", "5")}},
      {"comment drops one space", ";  two", {Comment(" two")}},
      {"comment without space", ";x", {Comment("x")}},
      {"indented comment", "  ; c", {Comment("c")}},
      {"group drops what follows the bracket", "[main] tail", {Group("main")}},
      {"group without bracket", "[open", {Group("open")}},
      {"runs of CR and LF are one break", "a=1\r\n\r\n\n\rb=2\r", {Key("a", "1"), Key("b", "2")}},
      {"blank lines vanish", "  \t \r\nx=1\r\n   ", {Key("x", "1")}},
      {"empty text", "", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseSettingsLines(c.text), c.entries) << c.name;
}

TEST(ParseSettings, ReadsTheMarkOrElseLatin1) {
  const struct {
    const char* name;
    std::string bytes;
    std::vector<SettingsEntry> entries;
  } cases[] = {
      {"mark then UTF-8", "\xEF\xBB\xBF\r\nf = caf\xC3\xA9", {Key("f", "caf\xC3\xA9")}},
      {"Latin-1 without mark", "f = caf\xE9", {Key("f", "caf\xC3\xA9")}},
      {"two bytes of a mark are Latin-1", "\xEF\xBB", {Key("\xC3\xAF\xC2\xBB", "")}},
      {"mark alone", "\xEF\xBB\xBF", {}},
      {"empty file", "", {}},
  };
  for (const auto& c : cases) {
    const ParsedSettings parsed = ParseSettings(c.bytes);
    EXPECT_EQ(parsed.entries, c.entries) << c.name;
    EXPECT_TRUE(parsed.withMark) << c.name;
  }
}

TEST(FormatSettings, WritesTheMarkCrLfAndNormalisedLines) {
  const std::vector<SettingsEntry> entries = {Key("r", "1"), Comment("note"), Group("g"), Key("x", "")};
  EXPECT_EQ(FormatSettings(entries, true), "\xEF\xBB\xBF\r\nr = 1\r\n; note\r\n[g]\r\nx = \r\n");
  EXPECT_EQ(FormatSettings({}, true), "\xEF\xBB\xBF\r\n");
}

// Files as people write them by hand: what the program does not know stays
// in its place, in its written form.
TEST(SettingsRoundTrip, KeepsUnknownLinesAndNormalisesTheRest) {
  const struct {
    const char* name;
    std::string before;
    std::string after;
  } cases[] = {
      {"hand-written file",
       ";my settings\n\n  f=C:\\notes\\a.txt\nother =  kept value\n\n[extra] ignored\nx = 5\n",
       "\xEF\xBB\xBF\r\n; my settings\r\nf = C:\\notes\\a.txt\r\nother = kept value\r\n[extra]\r\nx = "
       "5\r\n"},
      {"program's own file is unchanged",
       "\xEF\xBB\xBF\r\nr = 1\r\nf = /home/u/Orvel_data/note_20180307_140509.orv\r\nx = 685\r\n",
       "\xEF\xBB\xBF\r\nr = 1\r\nf = /home/u/Orvel_data/note_20180307_140509.orv\r\nx = 685\r\n"},
      {"Latin-1 becomes UTF-8 with the mark", "t = d\xE9j\xE0", "\xEF\xBB\xBF\r\nt = d\xC3\xA9j\xC3\xA0\r\n"},
      {"empty file gets the mark", "", "\xEF\xBB\xBF\r\n"},
  };
  for (const auto& c : cases) {
    const ParsedSettings parsed = ParseSettings(c.before);
    const std::string written = FormatSettings(parsed.entries, parsed.withMark);
    EXPECT_EQ(written, c.after) << c.name;
    EXPECT_EQ(ParseSettings(written).entries, parsed.entries) << c.name;
  }
}

}  // namespace
}  // namespace orvel
