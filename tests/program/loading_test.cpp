#include "harness.h"
#include "notes/note_file.h"
#include "notes/note_load.h"
#include "notes/note_save.h"

namespace orvel {
namespace {

const Text kShown = u"C:\\notes\\shown.txt";

// A note is shown; then another is asked for.
struct LoadingTest : ::testing::Test {
  void SetUp() override {
    h.Put(kShown, "shown");
    h.Start({kShown});
  }
  LoadResult Load(const Text& path) {
    h.state.notePath = path;
    return LoadNote(h.state);
  }
  Harness h;
};

TEST_F(LoadingTest, SizeLimitsAreStrictAndDependOnTheExactExtension) {
  const struct {
    const char16_t* path;
    std::size_t size;
    LoadResult result;
  } cases[] = {
      {u"C:\\notes\\x.orv", 16384, LoadResult::Loaded},   {u"C:\\notes\\x.orv", 16385, LoadResult::Refused},
      {u"C:\\notes\\x.txt", 65536, LoadResult::Loaded},   {u"C:\\notes\\x.txt", 65537, LoadResult::Refused},
      {u"C:\\notes\\x.ORV", 16385, LoadResult::Loaded},   {u"C:\\notes\\x.ORV", 65537, LoadResult::Refused},
  };
  for (const auto& c : cases) {
    h.Put(c.path, std::string(c.size, 'x'));
    EXPECT_EQ(Load(c.path), c.result) << TextToUtf8(c.path) << " " << c.size;
    EXPECT_EQ(TextLength(h.state), static_cast<std::int32_t>(c.result == LoadResult::Loaded ? c.size : 5));
    Load(kShown);
  }
}

TEST(Loading, FilesTheEditorCannotHoldWholeAreRefusedAndNothingChanges) {
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"zero byte inside", std::string("abc\0def", 7)},
      {"zero byte at the end", std::string("abc\0", 4)},
      {"invalid UTF-8", "caf\xE9"},
      {"invalid UTF-8 after the mark", "\xEF\xBB\xBF\xFF"},
      {"UTF-16 LE mark", "\xFF\xFE" "a\0b\0"},
      {"UTF-16 BE mark", "\xFE\xFF\0a\0b"},
      {"UTF-32 BE mark", std::string("\0\0\xFE\xFF\0\0\0a", 8)},
      {"too large", std::string(65537, 'x')},
  };
  for (const auto& c : cases) {
    Harness h;
    h.Put(kShown, "shown");
    h.Start({kShown});
    const Text refused = u"C:\\notes\\refused.txt";
    h.Put(refused, c.bytes);
    h.toolkit.DropFiles({refused});
    ASSERT_EQ(h.toolkit.Boxes().size(), 1u) << c.name;
    EXPECT_EQ(h.toolkit.Boxes()[0].text, u"Unsupported format or size") << c.name;
    EXPECT_EQ(h.state.notePath, kShown) << c.name;
    EXPECT_EQ(h.EditorText(), u"shown") << c.name;
    EXPECT_EQ(h.Title(), u"Orvel - shown.txt [5 ch] ") << c.name;
    // Typing goes to the note shown; the refused file stays as it was.
    h.toolkit.Type(u"+");
    h.Tick();
    h.Close();
    EXPECT_EQ(h.File(refused), c.bytes) << c.name;
    EXPECT_EQ(h.File(kShown), "+shown") << c.name;
    EXPECT_NE(h.Settings().find("f = C:\\notes\\shown.txt\r\n"), std::string::npos) << c.name;
  }
}

TEST(Loading, AtStartUpANoteThatCannotBeShownWholeGivesWayToANewNote) {
  const struct {
    const char* name;
    std::optional<std::string> bytes;  // nothing: the folder is missing
    const char16_t* path;
    std::size_t boxes;
  } cases[] = {
      {"grown too large", std::string(16385, 'x'), u"C:\\notes\\big.orv", 1},
      {"zero byte", std::string("a\0b", 3), u"C:\\notes\\bin.txt", 1},
      {"cannot be opened", std::nullopt, u"C:\\gone\\x.txt", 0},
  };
  for (const auto& c : cases) {
    Harness h;
    if (c.bytes) h.Put(c.path, *c.bytes);
    h.Start({c.path});
    EXPECT_EQ(h.toolkit.Boxes().size(), c.boxes) << c.name;
    EXPECT_EQ(h.state.notePath, kFirstNote) << c.name;
    EXPECT_EQ(h.Title(), u"Orvel - note_20180307_140509.orv [0 ch] ") << c.name;
    h.toolkit.Type(u"typed");
    h.Tick();
    EXPECT_EQ(h.File(kFirstNote), "typed") << c.name;
    if (c.bytes) {
      EXPECT_EQ(h.File(c.path), *c.bytes) << c.name;
    }
  }
}

TEST_F(LoadingTest, AFileThatCannotBeOpenedChangesNothingAndSaysNothing) {
  h.Put(u"C:\\notes\\locked.txt", "locked");
  h.system.SetReadOnly(u"C:\\notes\\locked.txt", true);
  for (const char16_t* path : {u"C:\\notes\\locked.txt", u"C:\\notes", u"C:\\gone\\x.txt", u""}) {
    EXPECT_EQ(Load(path), LoadResult::Failed) << TextToUtf8(path);
    EXPECT_EQ(h.state.notePath, kShown);
    EXPECT_EQ(h.EditorText(), u"shown");
  }
  EXPECT_TRUE(h.toolkit.Boxes().empty());
}

TEST_F(LoadingTest, MarksAreSkippedAndLineBreaksCountTwo) {
  h.Put(u"C:\\notes\\marked.txt", "\xEF\xBB\xBFline one\r\nline two");
  ASSERT_EQ(Load(u"C:\\notes\\marked.txt"), LoadResult::Loaded);
  EXPECT_EQ(h.EditorText(), u"line one\r\nline two");
  EXPECT_EQ(h.Title(), u"Orvel - marked.txt [18 ch] ");
  EXPECT_EQ(h.state.savedLength, 18);
  h.Settle();
  h.toolkit.Type(u"!");
  h.Tick();
  EXPECT_EQ(h.File(u"C:\\notes\\marked.txt"), "!line one\r\nline two");  // saved without the mark
}

TEST_F(LoadingTest, TheLoadItselfMarksNothing) {
  h.Put(u"C:\\notes\\other.txt", "other");
  Load(u"C:\\notes\\other.txt");
  EXPECT_FALSE(h.state.marked);
  const int opens = h.system.WriteOpens(u"C:\\notes\\other.txt");
  h.Tick();
  EXPECT_EQ(h.system.WriteOpens(u"C:\\notes\\other.txt"), opens);
  EXPECT_EQ(h.Title(), u"Orvel - other.txt [5 ch] ");
}

TEST_F(LoadingTest, TheCaretGoesToTheEndOnlyForABackslashAnd201) {
  const struct {
    const char16_t* path;
    int caret;
  } cases[] = {
      // A file name that starts with 201 stands right after a backslash too.
      {u"C:\\notes\\20180307.txt", 5},
      {u"C:\\diary\\2018\\notes.txt", 5},
      {u"C:\\notes\\x20180307.txt", 0},
      {u"C:\\notes\\a2019.txt", 0},
  };
  h.system.AddFolder(u"C:\\diary");
  h.system.AddFolder(u"C:\\diary\\2018");
  for (const auto& c : cases) {
    h.Put(c.path, "hello");
    ASSERT_EQ(Load(c.path), LoadResult::Loaded) << TextToUtf8(c.path);
    EXPECT_EQ(h.toolkit.FindControl(kMainWindow, kEditor)->selectionStart, c.caret) << TextToUtf8(c.path);
    EXPECT_TRUE(h.state.highlighterOn) << TextToUtf8(c.path);
  }
}

TEST(NoteFile, RulesForLimitsHighlightingAndTheCaret) {
  const struct {
    const char16_t* path;
    std::int64_t limit;
    bool highlight, caret;
  } cases[] = {
      {u"C:\\a\\note.orv", 16384, true, false},   {u"C:\\a\\note.ORV", 65536, false, false},
      {u"C:\\notes\\20180307.txt", 65536, true, true},
      {u"C:\\notes\\x2018030.txt", 65536, true, false},
      {u"C:\\diary\\2018\\notes.txt", 65536, true, true},
      {u"C:\\notes\\a2019.txt", 65536, true, false}, {u"C:\\a\\b.txt", 65536, false, false},
      {u"/home/u/x_np/abcdefgh.txt", 65536, true, false}, {u"C:\\a\\orv", 65536, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextLimit(c.path), c.limit) << TextToUtf8(c.path);
    EXPECT_EQ(HighlightRule(c.path), c.highlight) << TextToUtf8(c.path);
    EXPECT_EQ(CaretRule(c.path), c.caret) << TextToUtf8(c.path);
  }
}

TEST_F(LoadingTest, OpenDialogAsksOnceAndCancelChangesNothing) {
  h.toolkit.AnswerDialogs([](const OpenDialogSpec&) { return Text(); });
  OpenNote(h.state);
  ASSERT_EQ(h.toolkit.Dialogs().size(), 1u);
  EXPECT_EQ(h.toolkit.Dialogs()[0].title, u"Open a file");
  EXPECT_EQ(h.toolkit.Dialogs()[0].filterLabel, u"Orvel files");
  EXPECT_EQ(h.toolkit.Dialogs()[0].filterPatterns, u"*.txt;*.orv;*.ini");
  EXPECT_EQ(h.state.notePath, kShown);

  // A name typed for a file that does not exist yet makes it.
  h.toolkit.AnswerDialogs([](const OpenDialogSpec&) { return Text(u"C:\\notes\\fresh.txt"); });
  OpenNote(h.state);
  EXPECT_EQ(h.File(u"C:\\notes\\fresh.txt"), "");
  EXPECT_EQ(h.Title(), u"Orvel - fresh.txt [0 ch] ");
}

TEST_F(LoadingTest, TicksDuringTheOpenDialogSaveTheNoteShown) {
  h.Settle();
  h.toolkit.Type(u"+");
  h.toolkit.AnswerDialogs([&](const OpenDialogSpec&) {
    h.Tick();
    EXPECT_EQ(h.File(kShown), "+shown");
    return Text();
  });
  OpenNote(h.state);
}

TEST_F(LoadingTest, DroppingSeveralFilesOrAFolderLoadsNothing) {
  h.Put(u"C:\\notes\\a.txt", "a");
  h.Put(u"C:\\notes\\b.txt", "b");
  h.toolkit.DropFiles({u"C:\\notes\\a.txt", u"C:\\notes\\b.txt"});
  h.toolkit.DropFiles({u"C:\\notes"});
  EXPECT_EQ(h.state.notePath, kShown);
  EXPECT_EQ(h.EditorText(), u"shown");
  EXPECT_TRUE(h.toolkit.Boxes().empty());
  h.toolkit.DropFiles({u"C:\\notes\\a.txt"});
  EXPECT_EQ(h.EditorText(), u"a");
}

TEST_F(LoadingTest, NewNoteIsAnEmptyTimeStampedFileAtOnce) {
  h.system.SetLocalTime({2026, 12, 11, 9, 8, 7});
  NewNote(h.state);
  const Text made = kDataFolder + u"note_20261211_090807.orv";
  EXPECT_EQ(h.state.notePath, made);
  EXPECT_EQ(h.File(made), "");
  EXPECT_EQ(h.Title(), u"Orvel - note_20261211_090807.orv [0 ch] ");
  EXPECT_TRUE(h.state.highlighterOn);
  h.Close();
  EXPECT_NE(h.Settings().find("f = " + TextToUtf8(made) + "\r\n"), std::string::npos);
}

}  // namespace
}  // namespace orvel
