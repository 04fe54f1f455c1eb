#include "notes/locations.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_system.h"

namespace orvel {
namespace {

TEST(ResolveDataFolder, ChoosesTheBaseFolderAndCreatesTheDataFolder) {
  const struct {
    const char* name;
    const char16_t* program;
    const char16_t* documents;  // nullptr: the platform cannot say
    const char16_t* dataFolder;
  } cases[] = {
      {"program folder", u"C:\\Tools\\Orvel.exe", u"C:\\Users\\u\\Documents", u"C:\\Tools\\Orvel_data\\"},
      {"_np in a folder name", u"C:\\Tools_np\\Orvel.exe", u"C:\\Users\\u\\Documents",
       u"C:\\Users\\u\\Documents\\Orvel_data\\"},
      {"_np in the file name", u"C:\\Tools\\Orvel_np.exe", u"C:\\Users\\u\\Documents\\",
       u"C:\\Users\\u\\Documents\\Orvel_data\\"},
      {"_NP is not _np", u"C:\\Tools\\Orvel_NP.exe", u"C:\\Users\\u\\Documents", u"C:\\Tools\\Orvel_data\\"},
      {"no documents folder", u"C:\\Tools_np\\Orvel.exe", nullptr, u"Orvel_data\\"},
      {"drive root", u"D:\\Orvel.exe", u"C:\\Docs", u"D:\\Orvel_data\\"},
  };
  for (const auto& c : cases) {
    FakeSystem system(u'\\');
    system.SetProgramPath(c.program);
    system.SetDocumentsFolder(c.documents ? std::optional<Text>(c.documents) : std::nullopt);
    for (const char16_t* folder : {u"C:", u"D:", u"C:\\Tools", u"C:\\Tools_np", u"C:\\Users\\u\\Documents"}) {
      system.AddFolder(folder);
    }
    const Text dataFolder = ResolveDataFolder(system);
    EXPECT_EQ(dataFolder, c.dataFolder) << c.name;
    EXPECT_EQ(QueryPathSize(system, dataFolder), kPathIsFolder) << c.name;
  }
}

TEST(ResolveDataFolder, UsesTheSlashWhereThePlatformDoes) {
  FakeSystem system(u'/');
  system.AddFolder(u"/opt/orvel");
  system.SetProgramPath(u"/opt/orvel/orvel");
  EXPECT_EQ(ResolveDataFolder(system), u"/opt/orvel/Orvel_data/");
  system.SetProgramPath(u"/opt/orvel_np/orvel");
  system.SetDocumentsFolder(u"/home/u/Documents");
  system.AddFolder(u"/home/u/Documents");
  EXPECT_EQ(ResolveDataFolder(system), u"/home/u/Documents/Orvel_data/");
}

// An installed copy cannot make its data folder beside itself: it keeps its
// notes in the documents folder, unless a data folder is there already.
TEST(ResolveDataFolder, AProgramFolderThatCannotBeWrittenGivesWayToTheDocumentsFolder) {
  const struct {
    const char* name;
    bool programFolderWritable;
    bool dataFolderBeside;
    const char16_t* dataFolder;
  } cases[] = {
      {"a portable copy", true, false, u"/opt/orvel/Orvel_data/"},
      {"an installed copy", false, false, u"/home/u/Documents/Orvel_data/"},
      {"an installed copy with data beside it", false, true, u"/opt/orvel/Orvel_data/"},
  };
  for (const auto& c : cases) {
    FakeSystem system(u'/');
    system.AddFolder(u"/opt/orvel");
    if (c.dataFolderBeside) system.AddFolder(u"/opt/orvel/Orvel_data");
    system.SetReadOnly(u"/opt/orvel", !c.programFolderWritable);
    system.AddFolder(u"/home/u/Documents");
    system.SetDocumentsFolder(u"/home/u/Documents");
    system.SetProgramPath(u"/opt/orvel/orvel");
    const Text dataFolder = ResolveDataFolder(system);
    EXPECT_EQ(dataFolder, c.dataFolder) << c.name;
    EXPECT_EQ(QueryPathSize(system, dataFolder), kPathIsFolder) << c.name;
  }
}

TEST(ResolveDataFolder, AFileInTheWayOrAMissingParentIsSilent) {
  FakeSystem system(u'\\');
  system.SetProgramPath(u"C:\\Tools\\Orvel.exe");
  system.AddFolder(u"C:\\Tools");
  system.AddFile(u"C:\\Tools\\Orvel_data", "x");
  EXPECT_EQ(ResolveDataFolder(system), u"C:\\Tools\\Orvel_data\\");
  EXPECT_EQ(QueryPathSize(system, u"C:\\Tools\\Orvel_data\\"), 1);  // still the file

  system.SetProgramPath(u"C:\\Gone\\Orvel.exe");
  EXPECT_EQ(ResolveDataFolder(system), u"C:\\Gone\\Orvel_data\\");
  EXPECT_EQ(QueryPathSize(system, u"C:\\Gone\\Orvel_data"), kPathMissing);
}

TEST(DateValue, CountsLocalSecondsWithinTheSigned32BitRange) {
  const struct {
    LocalDateTime time;
    DateValue value;
  } cases[] = {
      {{1970, 1, 1, 0, 0, 0}, 0},
      {{2018, 3, 7, 14, 5, 9}, 1520431509},
      {{2000, 2, 29, 23, 59, 59}, 951868799},
      {{2038, 1, 19, 3, 14, 7}, 2147483647},
      {{2038, 1, 19, 3, 14, 8}, kNoDate},
      {{1969, 12, 31, 23, 59, 59}, kNoDate},
      {{2026, 13, 1, 0, 0, 0}, kNoDate},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeDateValue(c.time), c.value) << c.time.year << "-" << c.time.month;
    if (c.value != kNoDate) {
      const LocalDateTime back = DecodeDateValue(c.value);
      EXPECT_EQ(FillDatePattern(u"%yyyy%mm%dd_%hh%ii%ss", c.value),
                FillDatePattern(u"%yyyy%mm%dd_%hh%ii%ss", EncodeDateValue(back)));
      EXPECT_EQ(back.second, c.time.second);
    }
  }
}

TEST(FillDatePattern, ReplacesTokensInAnyCaseAndCopiesTheRest) {
  const DateValue march7 = EncodeDateValue({2018, 3, 7, 14, 5, 9});
  const DateValue newYear = EncodeDateValue({2018, 1, 1, 9, 5, 3});
  const struct {
    const char16_t* pattern;
    DateValue value;
    const char16_t* text;
  } cases[] = {
      {u"%yyyy-%mm-%dd", march7, u"2018-03-07"},
      {u"%yyyy%mm%dd_%hh%ii%ss", newYear, u"20180101_090503"},
      {u"%YYYY-%Mm-%DD %HH:%II:%SS", march7, u"2018-03-07 14:05:09"},
      {u"%yyyy%mm%dd_%hh%ii%ss", kNoDate, u"00000000_000000"},
      {u"100% %y %yyy %q %", march7, u"100% %y %yyy %q %"},
      {u"%%mm", march7, u"%03"},
      {u"", march7, u""},
  };
  for (const auto& c : cases) EXPECT_EQ(FillDatePattern(c.pattern, c.value), c.text) << TextToUtf8(c.pattern);
}

TEST(PathParts, BothSeparatorsCountEverywhere) {
  const struct {
    const char16_t* path;
    const char16_t* folder;
    const char16_t* file;
  } cases[] = {
      {u"C:\\notes\\20180307.txt", u"C:\\notes\\", u"20180307.txt"},
      {u"C:\\notes\\", u"C:\\notes\\", u""},
      {u"/home/u/a.orv", u"/home/u/", u"a.orv"},
      {u"C:\\mixed/dir\\x/y.txt", u"C:\\mixed/dir\\x/", u"y.txt"},
      {u"plain.txt", u"", u"plain.txt"},
      {u"", u"", u""},
      {u"a\nb", u"", u"a\nb"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PathFolder(c.path), c.folder) << TextToUtf8(c.path);
    EXPECT_EQ(PathFileName(c.path), c.file) << TextToUtf8(c.path);
  }
  EXPECT_EQ(PathFileName(u"C:\\notes\\20180307.txt").size(), 12u);
}

TEST(NewNoteName, StampsTheDataFolderWithTheLocalTime) {
  FakeSystem system(u'\\');
  system.SetLocalTime({2018, 3, 7, 14, 5, 9});
  const Text name = NewNoteName(system, u"C:\\Tools\\Orvel_data\\");
  EXPECT_EQ(name, u"C:\\Tools\\Orvel_data\\note_20180307_140509.orv");
  EXPECT_EQ(PathFileName(name).size(), 24u);
  EXPECT_EQ(NewNoteName(system, u"C:\\Tools\\Orvel_data\\"), name);  // same second, same name
  system.SetLocalTime({2040, 1, 1, 0, 0, 0});
  EXPECT_EQ(NewNoteName(system, u"D\\"), u"D\\note_00000000_000000.orv");
}

TEST(DocumentsFolderPath, EndsWithASeparatorOrIsEmpty) {
  FakeSystem system(u'\\');
  system.SetDocumentsFolder(u"C:\\Users\\u\\Documents");
  EXPECT_EQ(DocumentsFolderPath(system), u"C:\\Users\\u\\Documents\\");
  system.SetDocumentsFolder(u"C:\\Users\\u\\Documents\\");
  EXPECT_EQ(DocumentsFolderPath(system), u"C:\\Users\\u\\Documents\\");
  system.SetDocumentsFolder(Text{});
  EXPECT_EQ(DocumentsFolderPath(system), u"");
  system.SetDocumentsFolder(std::nullopt);
  EXPECT_EQ(DocumentsFolderPath(system), u"");
}

}  // namespace
}  // namespace orvel
