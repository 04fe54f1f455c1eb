#include <gtest/gtest.h>

#include "platform/shortcuts.h"
#include "ui/commands.h"
#include "ui/find_window.h"

namespace orvel {
namespace {

TEST(ShortcutTable, StartsWithTabsAndReplacesARepeatedKey) {
  ShortcutTable table;
  ASSERT_EQ(table.Entries().size(), 2u);
  EXPECT_EQ(table.Match(kKeyTab)->command, kFocusNextCommand);
  EXPECT_EQ(table.Match(kShiftKey | kKeyTab)->command, kFocusPreviousCommand);
  table.Add(Ctrl('K'), 95);
  table.Add(kKeyF5, 96);
  table.Add(Ctrl('K'), 97);  // same key and modifiers: replaced in place
  ASSERT_EQ(table.Entries().size(), 4u);
  EXPECT_EQ(table.Entries()[2].key, Ctrl('K'));
  EXPECT_EQ(table.Entries()[2].command, 97);
  table.Add(kShiftKey | Ctrl('K'), 98);  // other modifiers: a new entry
  EXPECT_EQ(table.Entries().size(), 5u);
}

TEST(ShortcutTable, ModifierSetsMustMatchExactly) {
  ShortcutTable table;
  table.Add(Ctrl('K'), 95);
  table.Add(Ctrl('F'), 93);
  table.Add(kKeyEscape, 83);
  const struct {
    KeyValue key;
    int command;  // 0: nothing matches
  } cases[] = {
      {Ctrl('K'), 95},          {kCtrlKey | kShiftKey | 'K', 0}, {kAltKey | 'K', 0},
      {'K', 0},                 {kCtrlKey | kShiftKey | 'F', 0}, {kKeyEscape, 83},
      {kShiftKey | kKeyEscape, 0}, {kCtrlKey | kAltKey | 'K', 0},
  };
  for (const auto& c : cases) {
    const ShortcutEntry* entry = table.Match(c.key);
    EXPECT_EQ(entry ? entry->command : 0, c.command) << std::hex << c.key;
  }
}

TEST(ShortcutTable, TabAloneIsTypedIntoAWritableEditor) {
  EXPECT_FALSE(OfferedToTable(kKeyTab, true));
  EXPECT_TRUE(OfferedToTable(kKeyTab, false));
  EXPECT_TRUE(OfferedToTable(kShiftKey | kKeyTab, true));
  EXPECT_TRUE(OfferedToTable(kCtrlKey | kKeyTab, true));
  EXPECT_TRUE(OfferedToTable(Ctrl('K'), true));
}

TEST(FindText, EscapesCountsAndLabels) {
  const struct {
    const char16_t* typed;
    const char16_t* search;
  } escapes[] = {
      {u"\\n", u"\r"},          {u"a\\tb", u"a\tb"},       {u"\\N", u"\\N"},
      {u"\\\\n", u"\\\r"},      {u"\\r", u"\\r"},          {u"\\n\\t\\n", u"\r\t\r"},
      {u"\\", u"\\"},           {u"", u""},
  };
  for (const auto& c : escapes) EXPECT_EQ(TranslateEscapes(c.typed), c.search) << TextToUtf8(c.typed);

  const struct {
    const char16_t* text;
    const char16_t* search;
    int count;
  } counts[] = {
      {u"aaaa", u"aa", 2}, {u"aaa", u"aa", 1}, {u"abc", u"abc", 1}, {u"a\rb\rc", u"\r", 2},
      {u"", u"a", 0},      {u"abc", u"", 0},   {u"ab", u"abc", 0},
  };
  for (const auto& c : counts) EXPECT_EQ(CountMatches(c.text, c.search), c.count) << TextToUtf8(c.text);

  EXPECT_EQ(MatchLabelText(0), u"0 matches");
  EXPECT_EQ(MatchLabelText(1), u"1 match");
  EXPECT_EQ(MatchLabelText(2), u"2 matches");
  EXPECT_EQ(MatchLabelText(1000), u"1000 matches");
}

TEST(HelpText, HasNineteenLinesWithItsTabsAndTrailingSpaces) {
  std::vector<std::string> lines;
  std::string_view rest = kHelpText;
  while (!rest.empty()) {
    const std::size_t end = rest.find("\r\n");
    ASSERT_NE(end, std::string_view::npos) << "every line ends with CR LF";
    lines.emplace_back(rest.substr(0, end));
    rest.remove_prefix(end + 2);
  }
  ASSERT_EQ(lines.size(), 19u);
  const std::pair<int, const char*> fixed[] = {
      {2, ""},                   {4, " "},
      {5, "Ctrl-N: \tNew  "},    {6, "Ctrl-O: \tOpen  "},     {7, "Ctrl-C: \tCopy"},
      {8, "Ctrl-X: \tCut  "},    {9, "Ctrl-V: \tPaste"},      {10, "Ctrl-F: \tFind"},
      {11, ""},                  {12, "Ctrl-T: \tChange theme"}, {13, "Ctrl-K: \tInsert tick"},
      {14, "F5: \tInsert date"}, {15, ""},                    {16, "F1: \tHelp"},
      {17, "  "},                {19, ""},
  };
  for (const auto& [line, text] : fixed) EXPECT_EQ(lines[line - 1], text) << "line " << line;
  EXPECT_FALSE(lines[0].empty());
  EXPECT_EQ(lines[2].front(), '"');
  EXPECT_EQ(lines[2].back(), '"');
  EXPECT_EQ(lines[17].rfind("https://", 0), 0u);
  EXPECT_EQ(kHelpText.substr(kHelpText.size() - 4), "\r\n\r\n");
}

}  // namespace
}  // namespace orvel
