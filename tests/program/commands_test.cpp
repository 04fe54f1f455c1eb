#include "harness.h"
#include "notes/note_load.h"
#include "ui/commands.h"
#include "ui/digit_highlighter.h"
#include "ui/find_window.h"
#include "ui/main_window.h"

namespace orvel {
namespace {

const Text kNote = u"C:\\notes\\note.orv";

struct CommandsTest : ::testing::Test {
  void Open(const std::string& text, const Text& path = kNote) {
    h.Put(path, text);
    h.state.notePath = path;
    ASSERT_EQ(LoadNote(h.state), LoadResult::Loaded);
  }
  void SetUp() override { h.Start({kNote}); }
  std::pair<int, int> Selection() {
    const auto* editor = h.toolkit.FindControl(kMainWindow, kEditor);
    return {editor->selectionStart, editor->selectionEnd};
  }
  Text Label() { return h.toolkit.ControlText(kFindWindow, kMatchLabel); }
  Harness h;
};

// --- the digit highlighter ---

TEST_F(CommandsTest, TheHighlighterRedrawsDigitsAndBracketsOnly) {
  const struct {
    const char* name;
    std::string text;
    std::vector<char16_t> drawn;
  } cases[] = {
      {"empty note", "", {}},
      {"letters, a digit, brackets", "a1<b>", {u'1', u'<', u'>'}},
      {"every digit", "0123456789", {u'0', u'1', u'2', u'3', u'4', u'5', u'6', u'7', u'8', u'9'}},
      {"look-alikes stay as they are",
       "\xC2\xB2\xEF\xBC\x93\xD9\xA3\xC2\xAB\xC2\xBB\xE2\x80\xB9\xE2\x80\xBA", {}},  // ² ３ ٣ « » ‹ ›
  };
  for (const auto& c : cases) {
    Open(c.text);
    const auto painted = h.toolkit.Paint();
    std::vector<char16_t> drawn;
    for (const auto& d : painted.drawn) drawn.push_back(d.character);
    EXPECT_EQ(drawn, c.drawn) << c.name;
    EXPECT_EQ(painted.opened, !c.text.empty()) << c.name;  // no drawing context for an empty note
  }
}

TEST_F(CommandsTest, DigitsTakeTheThemesColourAtDrawTimeAndBracketsStayGrey) {
  Open("a1<b>");
  auto painted = h.toolkit.Paint();
  ASSERT_EQ(painted.drawn.size(), 3u);
  EXPECT_EQ(painted.drawn[0].colour, 0x5020F0u);
  EXPECT_EQ(painted.drawn[1].colour, 0x6D6D6Du);
  EXPECT_EQ(painted.drawn[2].colour, 0x6D6D6Du);
  const Rect area = h.toolkit.FormattingRect(kMainWindow, kEditor);
  EXPECT_EQ(painted.clip, area);
  EXPECT_EQ(painted.font, kNoteFont);
  // Each glyph at its character's place; right and bottom are the text area's.
  EXPECT_EQ(painted.drawn[0].area, (Rect{FakeToolkit::kCellWidth, 0, area.right, area.bottom}));
  EXPECT_EQ(painted.drawn[2].area, (Rect{4 * FakeToolkit::kCellWidth, 0, area.right, area.bottom}));

  ToggleTheme(h.state);
  painted = h.toolkit.Paint();
  EXPECT_EQ(painted.drawn[0].colour, 0xCCAA77u);
  EXPECT_EQ(painted.drawn[1].colour, 0x6D6D6Du);
}

TEST_F(CommandsTest, TheCharacterNearestTheBottomRightCornerIsNotDrawn) {
  // A text area of five cells by two lines; the nearest character to its
  // bottom-right corner is the 6 of the second line.
  h.toolkit.ResizeByUser(kMainWindow, 5 * FakeToolkit::kCellWidth, 2 * FakeToolkit::kCellHeight);
  Open("ab\r\n12345678");
  std::u16string drawn;
  for (const auto& d : h.toolkit.Paint().drawn) drawn.push_back(d.character);
  EXPECT_EQ(drawn, u"12345");
}

TEST_F(CommandsTest, OnlyNotesThatQualifyArePaintedAndTheHookIsNeverDoubled) {
  const Text plain = u"C:\\notes\\plain.txt";
  Open("a1<b>", plain);
  EXPECT_FALSE(h.state.highlighterOn);
  EXPECT_TRUE(h.toolkit.Paint().drawn.empty());

  Open("a1<b>", u"C:\\notes\\a2019.txt");
  EXPECT_TRUE(h.state.highlighterOn);
  EXPECT_EQ(h.toolkit.Paint().drawn.size(), 3u);
  const int installs = h.toolkit.FindControl(kMainWindow, kEditor)->afterPaintInstalls;
  InstallDigitHighlighter(h.state);
  InstallDigitHighlighter(h.state);
  EXPECT_EQ(h.toolkit.FindControl(kMainWindow, kEditor)->afterPaintInstalls, installs);
  RemoveDigitHighlighter(h.state);
  RemoveDigitHighlighter(h.state);
  EXPECT_TRUE(h.toolkit.Paint().drawn.empty());
}

TEST_F(CommandsTest, ARefusedLoadKeepsTheHighlighterOfTheNoteShown) {
  Open("a1<b>");
  h.Put(u"C:\\notes\\plain.txt", std::string("\0", 1));
  h.toolkit.DropFiles({u"C:\\notes\\plain.txt"});
  EXPECT_TRUE(h.state.highlighterOn);
  EXPECT_EQ(h.toolkit.Paint().drawn.size(), 3u);
}

// --- find ---

// Types the search text into the find field and presses Enter there.
struct FindTest : CommandsTest {
  void Search(const Text& typed) {
    ShowFind(h.state);
    h.toolkit.SetControlText(kFindWindow, kFindField, typed);
    h.toolkit.PressKey(kKeyReturn);
  }
  void Again() { h.toolkit.PressKey(kKeyReturn); }
};

TEST_F(FindTest, CountsWithoutOverlapAndWalksOnePastEachStart) {
  const struct {
    const char* name;
    std::string note;
    const char16_t* typed;
    const char16_t* label;
    std::vector<std::pair<int, int>> walk;  // {-1, -1}: a tone, the selection unchanged
  } cases[] = {
      {"aaaa", "aaaa", u"aa", u"2 matches", {{0, 2}, {1, 3}, {2, 4}, {-1, -1}, {0, 2}}},
      {"aaa", "aaa", u"aa", u"1 match", {{0, 2}, {1, 3}, {-1, -1}}},
      {"letter case", "abc", u"ABC", u"1 match", {{0, 3}, {-1, -1}}},
      {"line breaks", "a\r\nb\r\nc", u"\\n", u"2 matches", {{1, 2}, {3, 4}, {-1, -1}}},
      {"a tab", "xa\tb", u"a\\tb", u"1 match", {{1, 4}}},
      {"backslash and capital N", "x\\Ny", u"\\N", u"1 match", {{1, 3}}},
      {"two backslashes and n", "a\\\r\nb", u"\\\\n", u"1 match", {{1, 3}}},
      {"across a line break", "a\r\nb", u"a\\nb", u"1 match", {{0, 3}}},
      {"nothing there", "abc", u"z", u"0 matches", {{-1, -1}}},
  };
  for (const auto& c : cases) {
    Open(c.note);
    h.toolkit.Select(0, 0);
    const std::size_t beeps = h.toolkit.Beeps().size();
    int tones = 0;
    Search(c.typed);
    for (std::size_t step = 0; step < c.walk.size(); ++step) {
      if (step > 0) Again();
      if (c.walk[step].first < 0) {
        ++tones;
        EXPECT_EQ(h.toolkit.Beeps().size(), beeps + tones) << c.name << " step " << step;
        EXPECT_EQ(h.state.searchStart, 0) << c.name;
      } else {
        EXPECT_EQ(Selection(), c.walk[step]) << c.name << " step " << step;
      }
    }
    EXPECT_EQ(Label(), c.label) << c.name;
  }
  EXPECT_EQ(h.toolkit.Beeps().back(), (std::pair<int, int>{939, 129}));
}

TEST_F(FindTest, AnEmptySearchDoesNothingAtAll) {
  Open("abc");
  h.toolkit.Select(1, 2);
  Search(u"");
  EXPECT_EQ(Label(), u"");
  EXPECT_TRUE(h.toolkit.Beeps().empty());
  EXPECT_EQ(Selection(), (std::pair<int, int>{1, 2}));
}

TEST_F(FindTest, TheSearchGoesOnInAnotherNoteOrStartsOverPastItsEnd) {
  Open("0123456789 x");
  Search(u"x");
  EXPECT_EQ(h.state.searchStart, 12);
  Open("x");
  h.toolkit.ActivateWindow(kFindWindow);
  Again();
  EXPECT_EQ(h.toolkit.Beeps().size(), 1u);
  Again();
  EXPECT_EQ(Selection(), (std::pair<int, int>{0, 1}));
}

TEST_F(FindTest, HidingKeepsTheTextAndShowingSelectsItAndStartsOver) {
  Open("ab ab");
  Search(u"ab");
  Again();
  EXPECT_EQ(h.state.searchStart, 4);
  h.toolkit.PressKey(kKeyEscape);
  EXPECT_FALSE(h.toolkit.IsWindowVisible(kFindWindow));
  EXPECT_EQ(h.toolkit.ActiveWindow(), kMainWindow);
  h.toolkit.PressKey(Ctrl('F'));
  EXPECT_TRUE(h.toolkit.IsWindowVisible(kFindWindow));
  EXPECT_EQ(h.toolkit.ActiveWindow(), kFindWindow);
  EXPECT_EQ(h.state.searchStart, 0);
  const auto* field = h.toolkit.FindControl(kFindWindow, kFindField);
  EXPECT_EQ(field->text, u"ab");
  EXPECT_EQ(std::pair(field->selectionStart, field->selectionEnd), std::pair(0, 2));
  EXPECT_EQ(Label(), u"2 matches");  // the last result stays
  h.toolkit.Click(kFindWindow, kCancelButton);
  EXPECT_FALSE(h.toolkit.IsWindowVisible(kFindWindow));
  // F3 searches with the find window hidden.
  h.toolkit.PressKey(kKeyF3);
  EXPECT_EQ(Selection(), (std::pair<int, int>{0, 2}));
}

TEST_F(FindTest, EnterSearchesEvenWhileCancelHasTheFocus) {
  Open("abc");
  ShowFind(h.state);
  h.toolkit.SetControlText(kFindWindow, kFindField, u"b");
  h.toolkit.PressKey(kKeyTab);
  h.toolkit.PressKey(kKeyTab);
  EXPECT_EQ(h.toolkit.FindWindowRecord(kFindWindow)->focusedControl, kCancelButton);
  h.toolkit.PressKey(kKeyReturn);
  EXPECT_EQ(Selection(), (std::pair<int, int>{1, 2}));
  EXPECT_TRUE(h.toolkit.IsWindowVisible(kFindWindow));
  h.toolkit.PressKey(kKeyTab);
  EXPECT_EQ(h.toolkit.FindWindowRecord(kFindWindow)->focusedControl, kFindField);  // wraps around
  h.toolkit.PressKey(kShiftKey | kKeyTab);
  EXPECT_EQ(h.toolkit.FindWindowRecord(kFindWindow)->focusedControl, kCancelButton);
}

TEST_F(FindTest, TheFindWindowIsBuiltAsItShouldBe) {
  const auto* find = h.toolkit.FindWindowRecord(kFindWindow);
  EXPECT_EQ(find->asked.title, u"Find");
  EXPECT_EQ(find->asked.style, WindowStyle::Tool);
  EXPECT_TRUE(find->asked.centred);
  EXPECT_TRUE(find->asked.buttonFace);
  EXPECT_EQ(std::pair(find->asked.innerWidth, find->asked.innerHeight), std::pair(355, 105));
  const struct {
    int number;
    ControlKind kind;
    Rect place;
    const char16_t* text;
  } controls[] = {
      {kFindWhatLabel, ControlKind::StaticText, {10, 15, 60, 35}, u"Find what:"},
      {kMatchLabel, ControlKind::StaticText, {10, 55, 120, 75}, u""},
      {kFindField, ControlKind::Input, {70, 12, 270, 32}, u""},
      {kFindButton, ControlKind::Button, {280, 12, 345, 32}, u"Find"},
      {kCancelButton, ControlKind::Button, {280, 38, 345, 58}, u"Cancel"},
  };
  for (const auto& c : controls) {
    const auto* control = h.toolkit.FindControl(kFindWindow, c.number);
    ASSERT_NE(control, nullptr) << c.number;
    EXPECT_EQ(control->asked.kind, c.kind) << c.number;
    EXPECT_EQ((Rect{control->asked.x, control->asked.y, control->asked.x + control->asked.width,
                    control->asked.y + control->asked.height}),
              c.place)
        << c.number;
    EXPECT_EQ(control->asked.text, c.text) << c.number;
    EXPECT_EQ(control->font, kGuiFont) << c.number;
  }
  EXPECT_EQ(find->focusedControl, kFindField);
}

// --- the keyboard commands ---

TEST_F(CommandsTest, TickAndDateGoToTheCaretAndAreSavedLikeTyping) {
  Open("abc");
  h.Settle();
  h.toolkit.Select(1, 2);
  h.toolkit.PressKey(Ctrl('K'));
  EXPECT_EQ(h.EditorText(), u"a\u2713 c");
  EXPECT_EQ(Selection(), (std::pair<int, int>{3, 3}));
  h.system.SetLocalTime({2018, 3, 7, 23, 59, 59});
  h.toolkit.PressKey(kKeyF5);
  h.toolkit.PressKey(kKeyF5);
  EXPECT_EQ(h.EditorText(), u"a\u2713 2018-03-072018-03-07c");
  EXPECT_TRUE(h.state.marked);
  h.Tick();
  EXPECT_EQ(h.File(kNote), "a\xE2\x9C\x93 2018-03-072018-03-07c");
}

TEST_F(CommandsTest, KeysWorkOnlyWithTheirExactModifiersAndInTheirOwnWindow) {
  Open("abc");
  const std::string before = h.File(kNote);
  for (KeyValue key : {kCtrlKey | kShiftKey | 'K', kAltKey | 'K', kCtrlKey | kShiftKey | 'F', kKeyEscape}) {
    h.toolkit.PressKey(key);
  }
  EXPECT_EQ(h.EditorText(), u"abc");
  EXPECT_FALSE(h.toolkit.IsWindowVisible(kFindWindow));
  ShowFind(h.state);
  h.toolkit.PressKey(Ctrl('K'));  // a main-window key, pressed in the find window
  h.toolkit.PressKey(kKeyF1);
  EXPECT_EQ(h.EditorText(), u"abc");
  EXPECT_TRUE(h.toolkit.Boxes().empty());
  h.toolkit.ActivateWindow(kMainWindow);
  h.toolkit.FocusControl(kMainWindow, kEditor);
  h.toolkit.Select(3, 3);
  h.toolkit.PressKey(kKeyTab);     // a tab in the note
  h.toolkit.PressKey(kKeyReturn);  // a line break in the note
  EXPECT_EQ(h.EditorText(), u"abc\t\r\n");
}

TEST_F(CommandsTest, ThemeNewNoteOpenAndFileManagerKeys) {
  h.toolkit.PressKey(Ctrl('T'));
  EXPECT_EQ(h.state.themeName, u"dark");
  h.toolkit.PressKey(Ctrl('T'));
  EXPECT_EQ(h.state.themeName, u"bright");

  h.toolkit.PressKey(Ctrl('E'));
  EXPECT_EQ(h.system.ShownInFileManager(), std::vector<Text>{kNote});
  h.system.FailProgramStarts(true);
  h.toolkit.PressKey(Ctrl('E'));  // nothing is said when it cannot start
  EXPECT_TRUE(h.toolkit.Boxes().empty());

  h.toolkit.PressKey(Ctrl('N'));
  EXPECT_EQ(h.state.notePath, kFirstNote);
  h.toolkit.AnswerDialogs([](const OpenDialogSpec&) { return Text(); });
  h.toolkit.PressKey(Ctrl('O'));
  EXPECT_EQ(h.toolkit.Dialogs().size(), 1u);
}

TEST_F(CommandsTest, BoxesDisableTheProgramAndLowerTheFindWindowMeanwhile) {
  ShowFind(h.state);
  h.toolkit.ActivateWindow(kMainWindow);
  h.toolkit.Type(u"typed before");
  int ticksInside = 0;
  h.toolkit.AnswerBoxes([&](const FakeToolkit::Box&) {
    h.toolkit.PressKey(Ctrl('T'));  // shortcuts do not act while the box is open
    ticksInside = 1;
    h.Tick();
  });
  h.toolkit.PressKey(kKeyF1);
  ASSERT_EQ(h.toolkit.Boxes().size(), 1u);
  const auto& box = h.toolkit.Boxes()[0];
  EXPECT_EQ(box.caption, u"Orvel 1.035");
  EXPECT_EQ(box.text, Utf8ToText(kHelpText));
  EXPECT_EQ(box.icon, BoxIcon::Information);
  EXPECT_EQ(box.disabledWindows, (std::vector<int>{kMainWindow, kFindWindow}));
  EXPECT_EQ(box.topmostWhileOpen, std::vector<int>{kFindWindow});
  EXPECT_TRUE(h.toolkit.FindWindowRecord(kFindWindow)->topmost);  // topmost again after
  EXPECT_TRUE(h.toolkit.FindWindowRecord(kMainWindow)->enabled);
  EXPECT_EQ(h.state.themeName, u"bright");
  EXPECT_EQ(ticksInside, 1);
  EXPECT_FALSE(h.state.marked);  // the tick inside the box saved
}

}  // namespace
}  // namespace orvel
