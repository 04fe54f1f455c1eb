#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_system.h"

namespace orvel {
namespace {

const Text kPath = u"/data/Orvel_data/Orvel.ini";
constexpr char kMark[] = "\xEF\xBB\xBF\r\n";

class SettingsStoreTest : public ::testing::Test {
 protected:
  SettingsStoreTest() { system.AddFolder(u"/data/Orvel_data"); }

  void Open(std::optional<std::string> bytes) {
    if (bytes) system.AddFile(kPath, *bytes);
    OpenSettings(store, system, kPath);
  }
  std::string Flushed() {
    FlushSettings(store, system);
    return system.FileBytes(kPath).value_or("<no file>");
  }

  FakeSystem system;
  SettingsStore store;
};

TEST_F(SettingsStoreTest, MissingFileGivesEveryDefaultAndIsWrittenInWriteOrder) {
  EXPECT_FALSE(OpenSettings(store, system, kPath));
  EXPECT_EQ(ReadSettingText(store, u"f", u"__"), u"__");
  EXPECT_EQ(ReadSettingText(store, u"t", u"bright"), u"bright");
  EXPECT_EQ(ReadSettingText(store, u"r", u"0"), u"0");
  EXPECT_EQ(ReadSettingInteger(store, u"x", 685), 685);
  EXPECT_EQ(ReadSettingInteger(store, u"h", 180), 180);
  WriteSettingText(store, u"r", u"1");
  WriteSettingText(store, u"f", u"/data/Orvel_data/note_20180307_140509.orv");
  WriteSettingInteger(store, u"x", 685);
  WriteSettingInteger(store, u"y", -500);
  WriteSettingText(store, u"t", u"bright");
  EXPECT_EQ(Flushed(), std::string(kMark) +
                           "r = 1\r\nf = /data/Orvel_data/note_20180307_140509.orv\r\n"
                           "x = 685\r\ny = -500\r\nt = bright\r\n");
  EXPECT_FALSE(store.isOpen);
}

TEST_F(SettingsStoreTest, ReadsFollowTheLookupRules) {
  Open(
      "X = 5\r\n"
      "x = 6\r\n"
      "   pad   =   12   \r\n"
      "word = twelve\r\n"
      "empty =\r\n"
      "neg = -42abc\r\n"
      "big = 99999999999\r\n"
      "; x = 7\r\n"
      "t = caf\xE9\r\n"
      "[group]\r\n"
      "late = 1\r\n");
  const struct {
    const char16_t* key;
    std::int32_t integer;
    const char16_t* text;
  } cases[] = {
      {u"x", 5, u"5"},  // upper-case key found; the first of two wins
      {u"pad", 12, u"12"},
      {u"PAD", 12, u"12"},
      {u"word", 0, u"twelve"},  // no number: 0, not the default
      {u"empty", 0, u""},       // present but empty: not the default
      {u"neg", -42, u"-42abc"},
      {u"big", 2147483647, u"99999999999"},
      {u"t", 0, u"caf\u00E9"},   // Latin-1 file
      {u"late", 77, u"dflt"},    // behind a group: not found
      {u"absent", 77, u"dflt"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadSettingInteger(store, c.key, 77), c.integer) << TextToUtf8(c.key);
    EXPECT_EQ(ReadSettingText(store, c.key, u"dflt"), c.text) << TextToUtf8(c.key);
  }
}

TEST_F(SettingsStoreTest, WritesReplaceTheFirstMatchAndInsertBeforeTheFirstGroup) {
  Open("X = 5\r\nx = 6\r\n; note\r\n[g]\r\nk = v\r\n");
  WriteSettingInteger(store, u"x", 10);
  WriteSettingText(store, u"new", u"n");
  EXPECT_EQ(Flushed(), std::string(kMark) + "x = 10\r\nx = 6\r\n; note\r\nnew = n\r\n[g]\r\nk = v\r\n");
}

TEST_F(SettingsStoreTest, AGroupFirstPutsNewKeysAtTheVeryBeginning) {
  Open("[g]\r\nx = 1\r\n");
  EXPECT_EQ(ReadSettingInteger(store, u"x", 685), 685);
  WriteSettingInteger(store, u"x", 2);
  EXPECT_EQ(Flushed(), std::string(kMark) + "x = 2\r\n[g]\r\nx = 1\r\n");
}

TEST_F(SettingsStoreTest, WrittenFilesAreNormalised) {
  Open("lonely\r\n\r\n\r\n;x\r\n[g] tail\r\nnext=1\r\n");
  EXPECT_EQ(ReadSettingText(store, u"lonely", u"d"), u"");
  WriteSettingText(store, u"r", u"1");
  EXPECT_EQ(Flushed(), std::string(kMark) + "lonely = \r\n; x\r\nr = 1\r\n[g]\r\nnext = 1\r\n");
}

TEST_F(SettingsStoreTest, EmptyFileAndLatin1FileAreWrittenBackWithTheMark) {
  Open("");
  WriteSettingText(store, u"r", u"1");
  EXPECT_EQ(Flushed(), std::string(kMark) + "r = 1\r\n");

  system.AddFile(kPath, "t = \xE9t\xE9\r\n");
  OpenSettings(store, system, kPath);
  WriteSettingText(store, u"r", u"2");
  EXPECT_EQ(Flushed(), std::string(kMark) + "t = \xC3\xA9t\xC3\xA9\r\nr = 2\r\n");
}

TEST_F(SettingsStoreTest, EveryWriteCountsAsAChangeEvenWithTheSameValue) {
  Open("r = 1\r\n");
  WriteSettingText(store, u"r", u"1");
  EXPECT_EQ(Flushed(), std::string(kMark) + "r = 1\r\n");
}

TEST_F(SettingsStoreTest, NothingChangedLeavesTheFileUntouched) {
  Open("x=1\n\n");
  ReadSettingInteger(store, u"x", 0);
  const int opensBefore = system.WriteOpens(kPath);
  EXPECT_EQ(Flushed(), "x=1\n\n");
  EXPECT_EQ(system.WriteOpens(kPath), opensBefore);
}

TEST_F(SettingsStoreTest, AShorterWriteCutsTheOldTailOff) {
  Open(std::string(kMark) + "f = a very long path that is longer than the new one\r\n");
  WriteSettingText(store, u"f", u"b");
  EXPECT_EQ(Flushed(), std::string(kMark) + "f = b\r\n");
}

TEST_F(SettingsStoreTest, WriteProtectedFileIsReadButNeverWritten) {
  system.AddFile(kPath, "x = 3\r\n");
  system.SetReadOnly(kPath, true);
  EXPECT_TRUE(OpenSettings(store, system, kPath));
  EXPECT_TRUE(store.readOnly);
  EXPECT_EQ(ReadSettingInteger(store, u"x", 685), 3);
  WriteSettingInteger(store, u"x", 4);
  EXPECT_EQ(Flushed(), "x = 3\r\n");
}

TEST_F(SettingsStoreTest, ASecondInstanceReadsOnlyAndTheLastToEndDecides) {
  Open("r = 1\r\n");
  SettingsStore second;
  EXPECT_TRUE(OpenSettings(second, system, kPath));
  EXPECT_TRUE(second.readOnly);
  EXPECT_EQ(ReadSettingText(second, u"r", u"0"), u"1");
  WriteSettingText(store, u"r", u"2");
  WriteSettingText(second, u"r", u"3");

  FlushSettings(second, system);  // the first still holds the file
  EXPECT_EQ(system.FileBytes(kPath), "r = 1\r\n");
  EXPECT_EQ(Flushed(), std::string(kMark) + "r = 2\r\n");

  // When the first ends first, the second rewrites the file at its end.
  OpenSettings(store, system, kPath);
  OpenSettings(second, system, kPath);
  WriteSettingText(store, u"r", u"4");
  WriteSettingText(second, u"r", u"5");
  FlushSettings(store, system);
  EXPECT_EQ(system.FileBytes(kPath), std::string(kMark) + "r = 4\r\n");
  FlushSettings(second, system);
  EXPECT_EQ(system.FileBytes(kPath), std::string(kMark) + "r = 5\r\n");
}

TEST_F(SettingsStoreTest, MissingFolderWritesNothing) {
  const Text elsewhere = u"/missing/Orvel.ini";
  EXPECT_FALSE(OpenSettings(store, system, elsewhere));
  WriteSettingText(store, u"r", u"1");
  FlushSettings(store, system);
  EXPECT_EQ(system.FileBytes(elsewhere), std::nullopt);
}

TEST_F(SettingsStoreTest, OpeningAgainFlushesTheStoreThatWasOpen) {
  Open("r = 1\r\n");
  WriteSettingText(store, u"r", u"2");
  const Text other = u"/data/Orvel_data/other.ini";
  OpenSettings(store, system, other);
  EXPECT_EQ(system.FileBytes(kPath), std::string(kMark) + "r = 2\r\n");
  EXPECT_EQ(ReadSettingText(store, u"r", u"0"), u"0");
}

}  // namespace
}  // namespace orvel
