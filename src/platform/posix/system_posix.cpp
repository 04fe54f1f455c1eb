// System services on Linux and other POSIX systems.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <clocale>
#include <cwctype>
#include <locale.h>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/system.h"

namespace orvel {

namespace {

std::string NativePath(const Text& path) { return TextToUtf8(path); }

// A path as a file URI: every byte but the unreserved ones and '/' in %XX
// form, so that a comma or a space in a name stays part of it.
std::string FileUri(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      uri.push_back(static_cast<char>(c));
    } else {
      uri.push_back('%');
      uri.push_back(kHex[c >> 4]);
      uri.push_back(kHex[c & 15]);
    }
  }
  return uri;
}

// An argument list as execvp takes it; the strings stay with `words`.
std::vector<char*> ArgumentList(std::vector<std::string>& words) {
  std::vector<char*> list;
  for (std::string& word : words) list.push_back(word.data());
  list.push_back(nullptr);
  return list;
}

// POSIX has no sharing modes. The nearest equivalent is a protocol of
// advisory open-file-description locks on bytes far beyond any real file
// size: every opener holds a shared lock on one "has" byte for each right it
// uses and on one "deny" byte for each right it refuses to share, and an
// open is refused when a right it wants is denied by another opener, or a
// right it denies is in use by another opener. This binds every program
// that follows the same protocol (every Orvel), not other programs, which
// POSIX cannot stop.
constexpr off_t kLockBase = off_t{1} << 62;
enum LockByte : off_t { kHasRead = 0, kDenyRead = 1, kHasWrite = 2, kDenyWrite = 3 };

struct flock OneByte(LockByte which, short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = kLockBase + which;
  lock.l_len = 1;
  return lock;
}

bool LockedByOther(int fd, LockByte which) {
  struct flock probe = OneByte(which, F_WRLCK);
  if (fcntl(fd, F_OFD_GETLK, &probe) != 0) return false;
  return probe.l_type != F_UNLCK;
}

bool HoldShared(int fd, LockByte which) {
  struct flock lock = OneByte(which, F_RDLCK);
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

class PosixFile final : public File {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  bool ReadToEnd(std::string& bytes) override {
    char buffer[65536];
    for (;;) {
      const ssize_t got = read(fd_, buffer, sizeof buffer);
      if (got == 0) return true;
      if (got < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      bytes.append(buffer, static_cast<std::size_t>(got));
    }
  }

  bool Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t put = write(fd_, bytes.data(), bytes.size());
      if (put < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
  }

  bool Rewind() override { return lseek(fd_, 0, SEEK_SET) == 0; }

  bool TruncateHere() override {
    const off_t here = lseek(fd_, 0, SEEK_CUR);
    return here >= 0 && ftruncate(fd_, here) == 0;
  }

  bool FlushToDisk() override { return fsync(fd_) == 0; }

 private:
  int fd_;
};

class PosixSystem final : public System {
 public:
  std::unique_ptr<File> OpenFile(const Text& path, const FileMode& mode) override {
    if (path.empty()) return nullptr;
    const bool wantsRead = mode.access != FileAccess::Write;
    const bool wantsWrite = mode.access != FileAccess::Read;
    int flags = O_CLOEXEC;
    if (mode.disposition == FileDisposition::OpenAlways ||
        mode.disposition == FileDisposition::CreateAlways) {
      flags |= O_CREAT;
    }
    // A lock needs a descriptor that can read, so a write-only open reads
    // too where the file allows it.
    int fd = -1;
    if (wantsWrite) {
      fd = open(NativePath(path).c_str(), flags | O_RDWR, 0644);
      if (fd < 0 && !wantsRead) fd = open(NativePath(path).c_str(), flags | O_WRONLY, 0644);
    } else {
      fd = open(NativePath(path).c_str(), flags | O_RDONLY);
    }
    if (fd < 0) return nullptr;
    auto file = std::make_unique<PosixFile>(fd);

    struct stat info {};
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) return nullptr;
    // A file without any write permission counts as read-only for every
    // user, root included, as the read-only attribute does on Windows.
    if (wantsWrite && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return nullptr;

    if ((wantsRead && LockedByOther(fd, kDenyRead)) ||
        (wantsWrite && LockedByOther(fd, kDenyWrite)) ||
        (!(mode.share & kShareRead) && LockedByOther(fd, kHasRead)) ||
        (!(mode.share & kShareWrite) && LockedByOther(fd, kHasWrite))) {
      return nullptr;  // a sharing violation: nothing was changed
    }
    if (wantsRead) HoldShared(fd, kHasRead);
    if (wantsWrite) HoldShared(fd, kHasWrite);
    if (!(mode.share & kShareRead)) HoldShared(fd, kDenyRead);
    if (!(mode.share & kShareWrite)) HoldShared(fd, kDenyWrite);

    // Emptying comes after the sharing checks, so that a refused open
    // leaves the file as it was.
    if (mode.disposition == FileDisposition::CreateAlways ||
        mode.disposition == FileDisposition::TruncateExisting) {
      if (ftruncate(fd, 0) != 0) return nullptr;
    }
    return file;
  }

  std::int64_t PathSize(const Text& path) override {
    if (path.empty()) return kPathMissing;
    std::string native = NativePath(path);
    while (native.size() > 1 && (native.back() == '/' || native.back() == '\\')) native.pop_back();
    if (native == "\\") native = "/";
    struct stat info {};
    if (stat(native.c_str(), &info) != 0) return kPathMissing;
    if (S_ISDIR(info.st_mode)) return kPathIsFolder;
    return static_cast<std::int64_t>(info.st_size);
  }

  bool ReplaceAtomically(const Text& source, const Text& target) override {
    const std::string from = NativePath(source), to = NativePath(target);
    struct stat info {};
    if (stat(to.c_str(), &info) == 0) {
      if (S_ISDIR(info.st_mode)) return false;
      // rename() would replace a write-protected file; Orvel does not.
      if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
      chmod(from.c_str(), info.st_mode & 07777);  // the note keeps its permissions
    }
    if (rename(from.c_str(), to.c_str()) != 0) return false;
    // The rename itself reaches the disk only with its folder.
    const std::size_t cut = to.find_last_of('/');
    const std::string folder = cut == std::string::npos ? "." : cut == 0 ? "/" : to.substr(0, cut);
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      fsync(dir);
      close(dir);
    }
    return true;
  }

  bool RemoveFile(const Text& path) override { return unlink(NativePath(path).c_str()) == 0; }

  bool CreateFolder(const Text& path) override {
    return !path.empty() && mkdir(NativePath(path).c_str(), 0755) == 0;
  }

  Text ProgramPath() override {
    std::string buffer(256, '\0');
    for (;;) {
      const ssize_t got = readlink("/proc/self/exe", buffer.data(), buffer.size());
      if (got < 0) return {};
      if (static_cast<std::size_t>(got) < buffer.size()) {
        buffer.resize(static_cast<std::size_t>(got));
        return Utf8ToText(buffer);
      }
      buffer.resize(buffer.size() * 2);
    }
  }

  // The XDG documents folder (XDG_DOCUMENTS_DIR in the environment or in
  // the user's user-dirs.dirs), else ~/Documents.
  std::optional<Text> DocumentsFolder() override {
    const char* homeEnv = std::getenv("HOME");
    const std::string home = homeEnv ? homeEnv : "";
    if (const char* fromEnv = std::getenv("XDG_DOCUMENTS_DIR"); fromEnv && *fromEnv) {
      return Utf8ToText(ExpandHome(fromEnv, home));
    }
    const char* configEnv = std::getenv("XDG_CONFIG_HOME");
    const std::string config =
        configEnv && *configEnv ? std::string(configEnv) : home.empty() ? "" : home + "/.config";
    if (!config.empty()) {
      std::ifstream dirs(config + "/user-dirs.dirs");
      std::string line;
      const std::string key = "XDG_DOCUMENTS_DIR=";
      while (std::getline(dirs, line)) {
        if (line.rfind(key, 0) != 0) continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
          value = value.substr(1, value.size() - 2);
        }
        if (!value.empty()) return Utf8ToText(ExpandHome(value, home));
      }
    }
    if (home.empty()) return std::nullopt;
    return Utf8ToText(home + "/Documents");
  }

  char16_t PathSeparator() const override { return u'/'; }

  // By the C library's Unicode tables (the C.UTF-8 locale), one code unit
  // at a time; surrogates stay as they are.
  Text LowerCase(const Text& text) override {
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    Text out = text;
    for (char16_t& c : out) {
      if (c >= 0xD800 && c <= 0xDFFF) continue;
      const wint_t lower = unicode ? towlower_l(c, unicode) : std::towlower(c);
      if (lower <= 0xFFFF) c = static_cast<char16_t>(lower);
    }
    return out;
  }

  // The parameter text is handed on as one argument. The child is not
  // waited for; SIGCHLD is left to reap it where the program sets that up.
  bool StartProgram(const Text& program, const Text& parameters) override {
    std::string name = NativePath(program), argument = NativePath(parameters);
    char* argv[] = {name.data(), argument.data(), nullptr};
    pid_t child = 0;
    return posix_spawnp(&child, name.c_str(), nullptr, nullptr, argv, environ) == 0;
  }

  bool MayWriteIn(const Text& folder) override {
    const std::string native = NativePath(folder);
    struct stat info {};
    return stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && access(native.c_str(), W_OK | X_OK) == 0;
  }

  // The desktop's file manager is asked over D-Bus to show the file
  // selected (org.freedesktop.FileManager1.ShowItems); where nothing
  // answers, the file's folder is opened with xdg-open. Programs get
  // argument lists, never a shell. The asking is done by a grandchild that
  // the system reaps, so the program waits for nothing but one fork; the
  // child does only what is safe after a fork in a program with threads.
  bool ShowInFileManager(const Text& path) override {
    const std::string file = NativePath(path);
    const std::size_t slash = file.find_last_of('/');
    std::vector<std::string> ask = {"dbus-send",
                                    "--session",
                                    "--print-reply",
                                    "--reply-timeout=5000",
                                    "--dest=org.freedesktop.FileManager1",
                                    "/org/freedesktop/FileManager1",
                                    "org.freedesktop.FileManager1.ShowItems",
                                    "array:string:" + FileUri(file),
                                    "string:"};
    std::vector<std::string> open = {"xdg-open", slash == std::string::npos ? "." : file.substr(0, slash + 1)};
    std::vector<char*> askList = ArgumentList(ask);
    std::vector<char*> openList = ArgumentList(open);
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
      if (fork() != 0) _exit(0);  // the grandchild goes on alone
      const int nothing = ::open("/dev/null", O_RDWR);
      if (nothing >= 0) {
        dup2(nothing, 0);
        dup2(nothing, 1);
        dup2(nothing, 2);
      }
      const pid_t asker = fork();
      if (asker == 0) {
        execvp(askList[0], askList.data());
        _exit(127);
      }
      int status = 0;
      if (asker > 0 && waitpid(asker, &status, 0) == asker && WIFEXITED(status) && WEXITSTATUS(status) == 0) _exit(0);
      execvp(openList[0], openList.data());
      _exit(127);
    }
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  LocalDateTime LocalTime() override {
    const time_t now = time(nullptr);
    struct tm parts {};
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
  }

  std::int64_t MonotonicMilliseconds() override {
    struct timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
  }

 private:
  static std::string ExpandHome(std::string value, const std::string& home) {
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    return value;
  }
};

}  // namespace

std::unique_ptr<System> MakePlatformSystem() { return std::make_unique<PosixSystem>(); }

}  // namespace orvel
