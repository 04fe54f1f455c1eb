// What Orvel asks of the operating system beside the window system: files,
// folders, paths and clocks. One implementation per platform (win32, posix)
// and an in-memory one (fake) for tests.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace orvel {

// What a file is opened for.
enum class FileAccess { Read, Write, ReadWrite };

// What other openers of the same file may do meanwhile (bits).
enum FileShare : unsigned {
  kShareNone = 0,
  kShareRead = 1,
  kShareWrite = 2,
};

// What happens when the file is, or is not, there.
enum class FileDisposition {
  OpenExisting,      // open it; fail when it is missing
  OpenAlways,        // open it; create it empty when it is missing
  CreateAlways,      // create it, or empty it when it exists
  TruncateExisting,  // empty it; fail when it is missing
};

struct FileMode {
  FileAccess access = FileAccess::Read;
  unsigned share = kShareRead;
  FileDisposition disposition = FileDisposition::OpenExisting;
};

// An open file. Destroying it closes it.
class File {
 public:
  virtual ~File() = default;
  // Reads from the current position to the end into `bytes`. False when a
  // read failed part-way; what was read before that stays in `bytes`.
  virtual bool ReadToEnd(std::string& bytes) = 0;
  // Writes all of `bytes` at the current position.
  virtual bool Write(std::string_view bytes) = 0;
  // Moves the position to the start of the file.
  virtual bool Rewind() = 0;
  // Cuts the file off at the current position.
  virtual bool TruncateHere() = 0;
  // Pushes what was written through to the disk.
  virtual bool FlushToDisk() = 0;
};

// The local calendar date and time of day, to the second.
struct LocalDateTime {
  int year = 1970;
  int month = 1;  // 1 to 12
  int day = 1;    // 1 to 31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Results of PathSize besides a file's size in bytes.
inline constexpr std::int64_t kPathMissing = -1;
inline constexpr std::int64_t kPathIsFolder = -2;

class System {
 public:
  virtual ~System() = default;

  // Opens a file, or gives null when the open fails (missing, refused,
  // a folder, held by another opener whose sharing forbids it, ...).
  virtual std::unique_ptr<File> OpenFile(const Text& path, const FileMode& mode) = 0;

  // kPathMissing, kPathIsFolder, or the size of the file in bytes. Trailing
  // separators are ignored; a drive root or the file-system root is a folder.
  virtual std::int64_t PathSize(const Text& path) = 0;

  // Puts the file `source` in the place of `target` in one step, so that
  // `target` holds its old bytes or all of the new ones, never a mix; the
  // replacement is pushed through to the disk. Works whether or not
  // `target` exists. Fails, changing nothing, where `target` may not be
  // replaced (write-protected, or held open by a program that does not
  // share it for deletion).
  virtual bool ReplaceAtomically(const Text& source, const Text& target) = 0;

  // Deletes a file. False when it failed.
  virtual bool RemoveFile(const Text& path) = 0;

  // Creates one folder (its parent must exist). False when it failed.
  virtual bool CreateFolder(const Text& path) = 0;

  // The full path of the running program file.
  virtual Text ProgramPath() = 0;

  // The user's documents folder, as the platform names it (with or without
  // a trailing separator), or nothing when the platform cannot say.
  virtual std::optional<Text> DocumentsFolder() = 0;

  // The separator that this platform puts between folder names.
  virtual char16_t PathSeparator() const = 0;

  // Whether this user may make files in the folder (false for a folder
  // that is not there).
  virtual bool MayWriteIn(const Text& folder) = 0;

  // Starts another program with one parameter text and does not wait for
  // it. False when it could not be started.
  virtual bool StartProgram(const Text& program, const Text& parameters) = 0;

  // Asks the desktop's file manager to show the file, selected, and does
  // not wait for it. False when nothing could be started.
  virtual bool ShowInFileManager(const Text& path) = 0;

  // Lower case, one UTF-16 code unit at a time, by the platform's rules.
  virtual Text LowerCase(const Text& text) = 0;

  virtual LocalDateTime LocalTime() = 0;

  // Milliseconds of a monotonic clock that counts from the start of the
  // system, not of the program.
  virtual std::int64_t MonotonicMilliseconds() = 0;
};

// The system services of the platform this program was built for.
std::unique_ptr<System> MakePlatformSystem();

}  // namespace orvel
