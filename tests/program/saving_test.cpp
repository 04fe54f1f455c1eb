#include "harness.h"
#include "notes/note_load.h"
#include "notes/note_save.h"

namespace orvel {
namespace {

const Text kNote = u"C:\\notes\\note.txt";

// A clean note of 125 characters, shown and settled.
struct SavingTest : ::testing::Test {
  void SetUp() override {
    h.Put(kNote, std::string(125, 'a'));
    h.Start({kNote});
    h.Settle();
  }
  Harness h;
};

TEST_F(SavingTest, TypingMarksTheTitleAndTheTickWritesTheNote) {
  EXPECT_EQ(h.Title(), u"Orvel - note.txt [125 ch] ");
  h.toolkit.Select(125, 125);
  h.toolkit.Type(u"b");
  EXPECT_EQ(h.Title(), u"Orvel - note.txt* [126 ch] ");
  h.Tick();
  EXPECT_EQ(h.File(kNote), std::string(125, 'a') + "b");
  EXPECT_EQ(h.Title(), u"Orvel - note.txt [126 ch] ");
  EXPECT_EQ(h.state.savedLength, 126);
  EXPECT_FALSE(h.state.marked);
}

TEST_F(SavingTest, EnterAddsTwoAndIsWrittenAsCrLf) {
  h.toolkit.Type(u"\r");
  EXPECT_EQ(h.Title(), u"Orvel - note.txt* [127 ch] ");
  h.Tick();
  EXPECT_EQ(h.File(kNote), "\r\n" + std::string(125, 'a'));
}

TEST_F(SavingTest, AChangeThatKeepsTheLengthIsSavedToo) {
  h.toolkit.Select(0, 1);
  h.toolkit.Type(u"Z");
  EXPECT_EQ(h.Title(), u"Orvel - note.txt* [125 ch] ");
  h.Tick();
  EXPECT_EQ(h.File(kNote), "Z" + std::string(124, 'a'));
}

TEST_F(SavingTest, AChangeRightAfterASavedOneIsSavedToo) {
  h.toolkit.Type(u"1");
  AutoSave(h.state);  // a tick right after the change
  EXPECT_EQ(h.Title(), u"Orvel - note.txt [126 ch] ");
  h.system.AdvanceMilliseconds(100);
  h.toolkit.Type(u"2");  // within 200 ms of the last measured change
  EXPECT_EQ(h.Title(), u"Orvel - note.txt* [127 ch] ");
  AutoSave(h.state);
  EXPECT_EQ(h.File(kNote), "12" + std::string(125, 'a'));
  EXPECT_EQ(h.Title(), u"Orvel - note.txt [127 ch] ");
}

TEST_F(SavingTest, ABurstOfTypingIsMeasuredAtMostEvery200MsAndCaughtUpByTheTick) {
  h.toolkit.Type(u"x");
  h.system.AdvanceMilliseconds(100);
  h.toolkit.Type(u"y");  // not measured yet
  EXPECT_EQ(h.Title(), u"Orvel - note.txt* [126 ch] ");
  h.system.AdvanceMilliseconds(150);
  h.toolkit.Type(u"z");  // 250 ms after the measured one
  EXPECT_EQ(h.Title(), u"Orvel - note.txt* [128 ch] ");
  h.Tick();
  EXPECT_EQ(h.Title(), u"Orvel - note.txt [128 ch] ");
  EXPECT_EQ(h.File(kNote), "xyz" + std::string(125, 'a'));
}

TEST_F(SavingTest, TypingAndDeletingAgainStillWritesOnTheTick) {
  h.toolkit.Select(125, 125);
  h.toolkit.Type(u"b");
  h.system.AdvanceMilliseconds(300);
  h.toolkit.Backspace();
  EXPECT_EQ(h.Title(), u"Orvel - note.txt* [125 ch] ");
  h.Tick();
  EXPECT_EQ(h.Title(), u"Orvel - note.txt [125 ch] ");
  EXPECT_EQ(h.File(kNote), std::string(125, 'a'));
}

TEST_F(SavingTest, DeletingEverythingEmptiesTheFile) {
  h.toolkit.Select(0, -1);
  h.toolkit.Backspace();
  h.Tick();
  EXPECT_EQ(h.File(kNote), "");
  EXPECT_EQ(h.Title(), u"Orvel - note.txt [0 ch] ");
}

TEST(Saving, NothingTypedIsLostAtCloseOrWhenAnotherNoteIsLoaded) {
  const struct {
    const char* name;
    void (*leave)(Harness&);
  } cases[] = {
      {"close", [](Harness& h) { h.Close(); }},
      {"end of the session", [](Harness& h) { h.toolkit.EndSession(); }},
      {"new note", [](Harness& h) { NewNote(h.state); }},
      {"open dialog", [](Harness& h) {
         h.Put(u"C:\\notes\\other.txt", "other");
         h.toolkit.AnswerDialogs([](const OpenDialogSpec&) { return Text(u"C:\\notes\\other.txt"); });
         OpenNote(h.state);
       }},
      {"drop", [](Harness& h) {
         h.Put(u"C:\\notes\\other.txt", "other");
         h.toolkit.DropFiles({u"C:\\notes\\other.txt"});
       }},
  };
  for (const auto& c : cases) {
    Harness h;
    h.Put(kNote, "old");
    h.Start({kNote});
    h.Settle();
    h.toolkit.Type(u"new ");
    c.leave(h);
    EXPECT_EQ(h.File(kNote), "new old") << c.name;
  }
}

TEST_F(SavingTest, AFailedSaveKeepsTheNoteMarkedAndTriesAgain) {
  h.system.SetReadOnly(kNote, true);
  h.toolkit.Type(u"b");
  h.Tick();
  EXPECT_EQ(h.File(kNote), std::string(125, 'a'));
  EXPECT_TRUE(h.state.marked);
  EXPECT_EQ(h.Title(), u"Orvel - note.txt* [126 ch] ");
  EXPECT_TRUE(h.toolkit.Boxes().empty());  // still no message
  h.Tick();
  EXPECT_TRUE(h.state.marked);
  h.system.SetReadOnly(kNote, false);
  h.Tick();
  EXPECT_EQ(h.File(kNote), "b" + std::string(125, 'a'));
  EXPECT_EQ(h.Title(), u"Orvel - note.txt [126 ch] ");
}

TEST_F(SavingTest, ANoteThatCannotBeSavedIsNotLeftForAnother) {
  h.system.SetReadOnly(kNote, true);
  h.toolkit.Type(u"b");
  NewNote(h.state);
  EXPECT_EQ(h.state.notePath, kNote);
  EXPECT_EQ(h.EditorText(), u"b" + Text(125, u'a'));
}

TEST_F(SavingTest, SavesReplaceTheNoteAndLeaveNoTemporaryFile) {
  h.toolkit.Type(u"b");
  h.Tick();
  // Another program holds the note without sharing deletion: written in place.
  h.system.RefuseReplace(true);
  h.toolkit.Type(u"c");
  h.Tick();
  EXPECT_EQ(h.File(kNote), "bc" + std::string(125, 'a'));
  for (const Text& path : h.system.Listing()) {
    EXPECT_EQ(path.find(u".orvel-save"), Text::npos) << TextToUtf8(path);
  }
}

TEST_F(SavingTest, ATooLongNoteWarnsOnceAndIsSavedInFullAfterTheBox) {
  const Text orv = u"C:\\notes\\long.orv";
  h.Put(orv, std::string(16384, 'x'));
  h.toolkit.DropFiles({orv});
  h.Settle();
  int boxesSeen = 0;
  h.toolkit.AnswerBoxes([&](const FakeToolkit::Box& box) {
    ++boxesSeen;
    EXPECT_EQ(box.caption, u"Error");
    EXPECT_EQ(box.text, u"Unsupported format or size");
    EXPECT_EQ(box.icon, BoxIcon::Error);
    h.toolkit.Advance(5 * kSavePeriod);  // ticks while the box is open
    EXPECT_TRUE(h.state.marked);  // no save inside the box
  });
  h.toolkit.Type(u"y");
  h.Tick();
  EXPECT_EQ(boxesSeen, 1);
  EXPECT_EQ(h.File(orv), "y" + std::string(16384, 'x'));
  EXPECT_FALSE(h.state.marked);
  h.Settle();
  h.toolkit.Type(u"z");
  h.Tick();
  EXPECT_EQ(boxesSeen, 2);  // every save of a too long note warns again
}

TEST(Saving, CyrillicCountsCharactersAndTheFileHoldsUtf8) {
  Harness h;
  h.Start({u"C:\\notes\\ru.orv"});
  h.Settle();
  h.toolkit.Type(u"\u041F\u0440\u0438");
  h.Tick();
  EXPECT_EQ(h.File(u"C:\\notes\\ru.orv"), "\xD0\x9F\xD1\x80\xD0\xB8");
  EXPECT_EQ(h.Title(), u"Orvel - ru.orv [3 ch] ");
  EXPECT_TRUE(h.toolkit.Boxes().empty());
}

TEST(TitleBar, HasTwoFormsWithATrailingSpace) {
  EXPECT_EQ(TitleBar(u"note_20180307_140509.orv", 125, false), u"Orvel - note_20180307_140509.orv [125 ch] ");
  EXPECT_EQ(TitleBar(u"note_20180307_140509.orv", 126, true), u"Orvel - note_20180307_140509.orv* [126 ch] ");
  EXPECT_EQ(TitleBar(u"", 0, false), u"Orvel -  [0 ch] ");
}

}  // namespace
}  // namespace orvel
