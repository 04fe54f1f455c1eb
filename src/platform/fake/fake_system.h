// System services in memory, for tests: files and folders that the test
// lays out, the Windows sharing rules between open files, and clocks that
// the test sets.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/system.h"

namespace orvel {

// The fake's letter case: ASCII, Latin-1 and the basic Cyrillic letters.
char16_t FakeLowerCase(char16_t c);

class FakeSystem final : public System {
 public:
  explicit FakeSystem(char16_t separator = u'/');

  // Layout. Paths use either separator; a folder's parent need not exist.
  void AddFolder(const Text& path);
  void AddFile(const Text& path, std::string bytes);
  // A file that may not be written, or a folder in which nothing may be made.
  void SetReadOnly(const Text& path, bool readOnly);
  // The bytes of a file, or nothing when there is no such file.
  std::optional<std::string> FileBytes(const Text& path) const;
  // How many times a file was opened with write access.
  int WriteOpens(const Text& path) const;

  void SetProgramPath(Text path) { programPath_ = std::move(path); }
  void SetDocumentsFolder(std::optional<Text> path) { documents_ = std::move(path); }
  void SetLocalTime(const LocalDateTime& time) { localTime_ = time; }
  void SetMonotonicMilliseconds(std::int64_t ms) { clock_ = ms; }
  void AdvanceMilliseconds(std::int64_t ms) { clock_ += ms; }
  // Makes every folder creation fail.
  void RefuseFolderCreation(bool refuse) { refuseFolders_ = refuse; }

  std::unique_ptr<File> OpenFile(const Text& path, const FileMode& mode) override;
  std::int64_t PathSize(const Text& path) override;
  bool ReplaceAtomically(const Text& source, const Text& target) override;
  bool RemoveFile(const Text& path) override;
  bool CreateFolder(const Text& path) override;
  // Makes every ReplaceAtomically fail, as when another program holds the note
  // without sharing deletion.
  void RefuseReplace(bool refuse) { refuseReplace_ = refuse; }
  // Every path that exists now, files and folders.
  std::vector<Text> Listing() const;
  Text ProgramPath() override { return programPath_; }
  std::optional<Text> DocumentsFolder() override { return documents_; }
  char16_t PathSeparator() const override { return separator_; }
  LocalDateTime LocalTime() override { return localTime_; }
  Text LowerCase(const Text& text) override;
  bool StartProgram(const Text& program, const Text& parameters) override {
    started_.push_back({program, parameters});
    return startWorks_;
  }
  struct Started {
    Text program, parameters;
  };
  const std::vector<Started>& StartedPrograms() const { return started_; }
  void FailProgramStarts(bool fail) { startWorks_ = !fail; }
  // The files shown in the file manager, in order; it "starts" as other
  // programs do.
  bool ShowInFileManager(const Text& path) override {
    shownInFileManager_.push_back(path);
    return startWorks_;
  }
  const std::vector<Text>& ShownInFileManager() const { return shownInFileManager_; }
  bool MayWriteIn(const Text& folder) override;
  std::int64_t MonotonicMilliseconds() override { return clock_; }

  struct Node;

 private:
  static std::string Key(const Text& path);
  static std::string ParentKey(const std::string& key);
  bool ParentExists(const std::string& key) const;
  bool ParentWritable(const std::string& key) const;

  char16_t separator_;
  std::map<std::string, std::shared_ptr<Node>> files_;
  std::set<std::string> folders_;
  Text programPath_;
  std::optional<Text> documents_;
  LocalDateTime localTime_{};
  std::int64_t clock_ = 0;
  bool refuseFolders_ = false;
  bool refuseReplace_ = false;
  std::vector<Started> started_;
  std::vector<Text> shownInFileManager_;
  std::set<std::string> readOnlyFolders_;
  bool startWorks_ = true;
};

}  // namespace orvel
