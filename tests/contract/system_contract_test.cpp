// One suite of file and folder assertions, held against the in-memory
// system and the real one of the platform the tests were built for (under
// Wine for the Windows build, where sharing modes are real).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>

#include "notes/locations.h"
#include "platform/fake/fake_system.h"
#include "platform/system.h"
#include "settings/settings_store.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace orvel {
namespace {

#ifdef _WIN32
constexpr char16_t kSeparator = u'\\';
#else
constexpr char16_t kSeparator = u'/';
#endif

constexpr FileMode kReadWriteShareRead{FileAccess::ReadWrite, kShareRead, FileDisposition::OpenExisting};
constexpr FileMode kCreate{FileAccess::ReadWrite, kShareRead, FileDisposition::CreateAlways};
constexpr FileMode kReadShareRead{FileAccess::Read, kShareRead, FileDisposition::OpenExisting};
constexpr FileMode kReadShareAll{FileAccess::Read, kShareRead | kShareWrite, FileDisposition::OpenExisting};

// A folder of its own for each test, and a way to write-protect a file.
class Backend {
 public:
  virtual ~Backend() = default;
  virtual System& system() = 0;
  virtual Text root() = 0;
  virtual void WriteProtect(const Text& path, bool on) = 0;
};

class FakeBackend final : public Backend {
 public:
  FakeBackend() : system_(kSeparator) { system_.AddFolder(root()); }
  System& system() override { return system_; }
  Text root() override { return kSeparator == u'/' ? Text(u"/work") : Text(u"C:\\work"); }
  void WriteProtect(const Text& path, bool on) override { system_.SetReadOnly(path, on); }

 private:
  FakeSystem system_;
};

class PlatformBackend final : public Backend {
 public:
  PlatformBackend() : system_(MakePlatformSystem()) {
    std::mt19937_64 random(std::random_device{}() ^
                           static_cast<unsigned long long>(
                               std::chrono::steady_clock::now().time_since_epoch().count()));
    folder_ = std::filesystem::temp_directory_path() / ("orvel-contract-" + std::to_string(random()));
    std::filesystem::create_directories(folder_);
  }
  ~PlatformBackend() override {
    for (const Text& path : protected_) WriteProtect(path, false);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  System& system() override { return *system_; }
  Text root() override { return folder_.u16string(); }
  void WriteProtect(const Text& path, bool on) override {
#ifdef _WIN32
    const std::wstring wide(path.begin(), path.end());
    SetFileAttributesW(wide.c_str(), on ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
#else
    chmod(TextToUtf8(path).c_str(), on ? 0444 : 0644);
#endif
    if (on) protected_.push_back(path);
  }

 private:
  std::unique_ptr<System> system_;
  std::filesystem::path folder_;
  std::vector<Text> protected_;
};

class SystemContract : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (std::string(GetParam()) == "fake") {
      backend_ = std::make_unique<FakeBackend>();
    } else {
      backend_ = std::make_unique<PlatformBackend>();
    }
  }
  System& system() { return backend_->system(); }
  Text Path(const char16_t* name) { return backend_->root() + kSeparator + name; }

  void Put(const Text& path, std::string_view bytes) {
    auto file = system().OpenFile(path, kCreate);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->Write(bytes));
  }
  std::string Get(const Text& path) {
    auto file = system().OpenFile(path, kReadShareAll);
    if (!file) return "<cannot open>";
    std::string bytes;
    file->ReadToEnd(bytes);
    return bytes;
  }

  std::unique_ptr<Backend> backend_;
};

TEST_P(SystemContract, DispositionsCreateOpenAndEmpty) {
  const Text path = Path(u"a.txt");
  EXPECT_EQ(system().OpenFile(path, kReadWriteShareRead), nullptr);
  EXPECT_EQ(system().OpenFile(path, {FileAccess::Write, kShareRead, FileDisposition::TruncateExisting}),
            nullptr);
  EXPECT_EQ(system().PathSize(path), kPathMissing);  // failed opens create nothing

  {
    auto file = system().OpenFile(path, {FileAccess::ReadWrite, kShareRead, FileDisposition::OpenAlways});
    ASSERT_TRUE(file);
    EXPECT_EQ(system().PathSize(path), 0);
    EXPECT_TRUE(file->Write("hello world"));
  }
  EXPECT_EQ(system().PathSize(path), 11);
  EXPECT_EQ(Get(path), "hello world");

  {
    auto file = system().OpenFile(path, {FileAccess::ReadWrite, kShareRead, FileDisposition::OpenAlways});
    ASSERT_TRUE(file);
    std::string bytes;
    EXPECT_TRUE(file->ReadToEnd(bytes));
    EXPECT_EQ(bytes, "hello world");  // an existing file is opened as it is
    EXPECT_TRUE(file->Rewind());
    EXPECT_TRUE(file->Write("bye"));
    EXPECT_TRUE(file->TruncateHere());
    EXPECT_TRUE(file->FlushToDisk());
  }
  EXPECT_EQ(Get(path), "bye");

  system().OpenFile(path, kCreate);
  EXPECT_EQ(system().PathSize(path), 0);
  Put(path, "again");
  system().OpenFile(path, {FileAccess::Write, kShareRead, FileDisposition::TruncateExisting});
  EXPECT_EQ(system().PathSize(path), 0);
}

TEST_P(SystemContract, SharingModesDecideWhoMayOpenMeanwhile) {
  const Text path = Path(u"Orvel.ini");
  Put(path, "r = 1\r\n");
  auto holder = system().OpenFile(path, kReadWriteShareRead);
  ASSERT_TRUE(holder);
  EXPECT_EQ(system().OpenFile(path, kReadWriteShareRead), nullptr);
  EXPECT_EQ(system().OpenFile(path, kReadShareRead), nullptr);  // the holder writes
  EXPECT_NE(system().OpenFile(path, kReadShareAll), nullptr);
  // A refused open that would empty the file leaves it whole.
  EXPECT_EQ(system().OpenFile(path, kCreate), nullptr);
  EXPECT_EQ(system().OpenFile(path, {FileAccess::Write, kShareRead, FileDisposition::TruncateExisting}),
            nullptr);
  EXPECT_EQ(Get(path), "r = 1\r\n");

  // A reader that shares only reading keeps writers out.
  holder.reset();
  auto reader = system().OpenFile(path, kReadShareRead);
  ASSERT_TRUE(reader);
  EXPECT_EQ(system().OpenFile(path, kReadWriteShareRead), nullptr);
  EXPECT_NE(system().OpenFile(path, kReadShareRead), nullptr);
  reader.reset();
  EXPECT_NE(system().OpenFile(path, kReadWriteShareRead), nullptr);
}

TEST_P(SystemContract, AWriteProtectedFileOpensForReadingOnly) {
  const Text path = Path(u"locked.txt");
  Put(path, "keep");
  backend_->WriteProtect(path, true);
  EXPECT_EQ(system().OpenFile(path, kReadWriteShareRead), nullptr);
  EXPECT_EQ(system().OpenFile(path, kCreate), nullptr);
  EXPECT_EQ(system().OpenFile(path, {FileAccess::Write, kShareRead, FileDisposition::TruncateExisting}),
            nullptr);
  EXPECT_NE(system().OpenFile(path, kReadShareRead), nullptr);
  EXPECT_EQ(Get(path), "keep");
}

TEST_P(SystemContract, PathSizeTellsFilesFoldersAndNothing) {
  const Text folder = Path(u"sub");
  EXPECT_EQ(system().PathSize(folder), kPathMissing);
  EXPECT_TRUE(system().CreateFolder(folder));
  EXPECT_FALSE(system().CreateFolder(folder));  // already there
  EXPECT_FALSE(system().CreateFolder(Path(u"no") + kSeparator + u"deeper"));  // one level only
  EXPECT_EQ(system().PathSize(folder), kPathIsFolder);
  EXPECT_EQ(system().PathSize(folder + kSeparator), kPathIsFolder);
  EXPECT_EQ(system().PathSize(folder + kSeparator + kSeparator), kPathIsFolder);
  EXPECT_EQ(system().PathSize(folder + u"/"), kPathIsFolder);
  EXPECT_EQ(system().PathSize(u""), kPathMissing);

  const Text file = folder + kSeparator + u"n.orv";
  Put(file, std::string(16385, 'x'));
  EXPECT_EQ(system().PathSize(file), 16385);
  EXPECT_EQ(QueryPathSize(system(), file), 16385);
  EXPECT_EQ(system().OpenFile(folder, kReadShareAll), nullptr);  // a folder is no file
  EXPECT_EQ(system().OpenFile(folder, {FileAccess::ReadWrite, kShareRead, FileDisposition::OpenAlways}),
            nullptr);
}

TEST_P(SystemContract, MayWriteInTellsAFolderThatTakesNewFiles) {
  const Text folder = Path(u"writable");
  ASSERT_TRUE(system().CreateFolder(folder));
  const Text file = folder + kSeparator + u"n.txt";
  Put(file, "x");
  EXPECT_TRUE(system().MayWriteIn(folder));
  EXPECT_TRUE(system().MayWriteIn(folder + kSeparator));
  EXPECT_FALSE(system().MayWriteIn(Path(u"missing")));
  EXPECT_FALSE(system().MayWriteIn(file)) << "a file is no folder";
  EXPECT_EQ(Get(file), "x") << "asking leaves the folder as it was";
  EXPECT_EQ(system().PathSize(folder + kSeparator + u".orvel-write-test"), kPathMissing);
}

TEST_P(SystemContract, ReplaceAtomicallyPutsTheNewFileInPlaceInOneStep) {
  const Text note = Path(u"note.orv");
  const Text temp = Path(u"note.orv.tmp");
  Put(temp, "first");
  EXPECT_TRUE(system().ReplaceAtomically(temp, note));  // no note yet
  EXPECT_EQ(Get(note), "first");
  EXPECT_EQ(system().PathSize(temp), kPathMissing);

  Put(temp, "second, longer");
  EXPECT_TRUE(system().ReplaceAtomically(temp, note));
  EXPECT_EQ(Get(note), "second, longer");
  EXPECT_EQ(system().PathSize(temp), kPathMissing);

  EXPECT_FALSE(system().ReplaceAtomically(Path(u"missing.tmp"), note));
  EXPECT_EQ(Get(note), "second, longer");

  Put(temp, "third");
  backend_->WriteProtect(note, true);
  EXPECT_FALSE(system().ReplaceAtomically(temp, note));
  EXPECT_EQ(Get(note), "second, longer");
  backend_->WriteProtect(note, false);

  EXPECT_TRUE(system().RemoveFile(temp));
  EXPECT_FALSE(system().RemoveFile(temp));
  EXPECT_EQ(system().PathSize(temp), kPathMissing);
}

TEST_P(SystemContract, NamesBeyondTheAsciiRangeWork) {
  const Text path = Path(u"\u00E9t\u00E9 \u2713 \u041F.txt");
  Put(path, "x");
  EXPECT_EQ(system().PathSize(path), 1);
}

// The settings store's two hard cases, on every system.
TEST_P(SystemContract, SettingsOfASecondInstanceAreNotWrittenWhileTheFirstHoldsTheFile) {
  const Text path = Path(u"Orvel.ini");
  Put(path, "\xEF\xBB\xBF\r\nr = 1\r\n");
  SettingsStore first, second;
  EXPECT_TRUE(OpenSettings(first, system(), path));
  EXPECT_FALSE(first.readOnly);
  EXPECT_TRUE(OpenSettings(second, system(), path));
  EXPECT_TRUE(second.readOnly);
  WriteSettingText(first, u"r", u"2");
  WriteSettingText(second, u"r", u"9");
  FlushSettings(second, system());
  EXPECT_EQ(Get(path), "\xEF\xBB\xBF\r\nr = 1\r\n");
  FlushSettings(first, system());
  EXPECT_EQ(Get(path), "\xEF\xBB\xBF\r\nr = 2\r\n");
}

TEST_P(SystemContract, SettingsInAWriteProtectedFileAreReadAndNeverWritten) {
  const Text path = Path(u"Orvel.ini");
  Put(path, "x = 3\r\n");
  backend_->WriteProtect(path, true);
  SettingsStore store;
  EXPECT_TRUE(OpenSettings(store, system(), path));
  EXPECT_TRUE(store.readOnly);
  EXPECT_EQ(ReadSettingInteger(store, u"x", 685), 3);
  WriteSettingInteger(store, u"x", 4);
  FlushSettings(store, system());
  EXPECT_EQ(Get(path), "x = 3\r\n");
}

INSTANTIATE_TEST_SUITE_P(EverySystem, SystemContract, ::testing::Values("fake", "platform"),
                         [](const auto& param) { return std::string(param.param); });

// What only the real platform can answer.
TEST(PlatformSystem, KnowsItsProgramFoldersAndClocks) {
  auto system = MakePlatformSystem();
  const Text program = ProgramPath(*system);
  EXPECT_NE(program.find(u"contract_system"), Text::npos) << TextToUtf8(program);
  EXPECT_GT(system->PathSize(program), 0);
  EXPECT_EQ(system->PathSeparator(), kSeparator);

  const Text documents = DocumentsFolderPath(*system);
  if (!documents.empty()) {
    EXPECT_TRUE(documents.back() == u'\\' || documents.back() == u'/') << TextToUtf8(documents);
  }

  const std::int64_t before = system->MonotonicMilliseconds();
  const std::int64_t after = system->MonotonicMilliseconds();
  EXPECT_GE(after, before);
  EXPECT_GT(before, 0);
  const LocalDateTime now = system->LocalTime();
  EXPECT_GE(now.year, 2020);
  EXPECT_GE(CurrentDateValue(*system), 0);
}

#ifdef _WIN32
// Windows cannot replace a file that another program holds open without
// sharing deletion; POSIX renames over it, and the holder keeps the old one.
TEST(PlatformSystem, ReplaceAtomicallyFailsWhileTheTargetIsHeldWithoutDeleteSharing) {
  auto system = MakePlatformSystem();
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "orvel-replace-held";
  std::filesystem::create_directories(folder);
  const Text note = (folder / "note.txt").u16string();
  const Text temp = (folder / "note.tmp").u16string();
  auto put = [&](const Text& path, std::string_view bytes) {
    auto file = system->OpenFile(path, kCreate);
    ASSERT_TRUE(file);
    file->Write(bytes);
  };
  put(note, "old");
  put(temp, "new");
  {
    auto holder = system->OpenFile(note, kReadShareAll);
    ASSERT_TRUE(holder);
    EXPECT_FALSE(system->ReplaceAtomically(temp, note));
  }
  std::string bytes;
  system->OpenFile(note, kReadShareAll)->ReadToEnd(bytes);
  EXPECT_EQ(bytes, "old");
  EXPECT_TRUE(system->ReplaceAtomically(temp, note));
  std::filesystem::remove_all(folder);
}

TEST(PlatformSystem, DriveRootsAreFolders) {
  auto system = MakePlatformSystem();
  EXPECT_EQ(QueryPathSize(*system, u"C:"), kPathIsFolder);
  EXPECT_EQ(QueryPathSize(*system, u"C:\\"), kPathIsFolder);
  DWORD drives = GetLogicalDrives();
  for (int letter = 25; letter >= 0; --letter) {
    if (drives & (1u << letter)) continue;
    const Text missing{static_cast<char16_t>(u'A' + letter), u':'};
    EXPECT_EQ(QueryPathSize(*system, missing), kPathMissing) << letter;
    EXPECT_EQ(QueryPathSize(*system, missing + u"\\"), kPathMissing) << letter;
    break;
  }
  EXPECT_EQ(QueryPathSize(*system, u"C:\\*"), kPathMissing);  // wildcards name nothing
}
#else
TEST(PlatformSystem, DocumentsFolderFollowsXdg) {
  auto system = MakePlatformSystem();
  const char* old = std::getenv("XDG_DOCUMENTS_DIR");
  const std::string saved = old ? old : "";
  setenv("XDG_DOCUMENTS_DIR", "/srv/docs", 1);
  EXPECT_EQ(DocumentsFolderPath(*system), u"/srv/docs/");
  unsetenv("XDG_DOCUMENTS_DIR");
  const std::string config = (std::filesystem::temp_directory_path() / "orvel-xdg-config").string();
  std::filesystem::create_directories(config);
  {
    std::FILE* dirs = std::fopen((config + "/user-dirs.dirs").c_str(), "w");
    ASSERT_NE(dirs, nullptr);
    std::fputs("# written by a test\nXDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n", dirs);
    std::fclose(dirs);
  }
  const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
  const std::string savedConfig = oldConfig ? oldConfig : "";
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  const char* home = std::getenv("HOME");
  EXPECT_EQ(DocumentsFolderPath(*system), Utf8ToText(std::string(home ? home : "") + "/Papers/"));
  if (oldConfig) setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1); else unsetenv("XDG_CONFIG_HOME");
  if (old) setenv("XDG_DOCUMENTS_DIR", saved.c_str(), 1);
  std::filesystem::remove_all(config);
}

TEST(PlatformSystem, TheFileSystemRootIsAFolder) {
  auto system = MakePlatformSystem();
  EXPECT_EQ(QueryPathSize(*system, u"/"), kPathIsFolder);
}
#endif

}  // namespace
}  // namespace orvel
