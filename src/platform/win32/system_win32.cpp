// System services on Windows.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "platform/system.h"
#include "platform/win32/wide.h"

namespace orvel {

namespace {


class Win32File final : public File {
 public:
  explicit Win32File(HANDLE handle) : handle_(handle) {}
  ~Win32File() override { CloseHandle(handle_); }
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  bool ReadToEnd(std::string& bytes) override {
    char buffer[65536];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(handle_, buffer, sizeof buffer, &got, nullptr)) return false;
      if (got == 0) return true;
      bytes.append(buffer, got);
    }
  }

  bool Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
      DWORD put = 0;
      if (!WriteFile(handle_, bytes.data(), chunk, &put, nullptr) || put == 0) return false;
      bytes.remove_prefix(put);
    }
    return true;
  }

  bool Rewind() override {
    LARGE_INTEGER zero{};
    return SetFilePointerEx(handle_, zero, nullptr, FILE_BEGIN) != 0;
  }

  bool TruncateHere() override { return SetEndOfFile(handle_) != 0; }

  bool FlushToDisk() override { return FlushFileBuffers(handle_) != 0; }

 private:
  HANDLE handle_;
};

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

class Win32System final : public System {
 public:
  std::unique_ptr<File> OpenFile(const Text& path, const FileMode& mode) override {
    if (path.empty()) return nullptr;
    DWORD access = 0;
    if (mode.access != FileAccess::Write) access |= GENERIC_READ;
    if (mode.access != FileAccess::Read) access |= GENERIC_WRITE;
    DWORD share = 0;
    if (mode.share & kShareRead) share |= FILE_SHARE_READ;
    if (mode.share & kShareWrite) share |= FILE_SHARE_WRITE;
    DWORD disposition = OPEN_EXISTING;
    switch (mode.disposition) {
      case FileDisposition::OpenExisting: disposition = OPEN_EXISTING; break;
      case FileDisposition::OpenAlways: disposition = OPEN_ALWAYS; break;
      case FileDisposition::CreateAlways: disposition = CREATE_ALWAYS; break;
      case FileDisposition::TruncateExisting: disposition = TRUNCATE_EXISTING; break;
    }
    const std::wstring native = Wide(path);
    // Windows refuses write access to a file with the read-only attribute;
    // Wine running as root does not (it opens the file as root may), so the
    // attribute is checked here too.
    if (access & GENERIC_WRITE) {
      const DWORD attributes = GetFileAttributesW(native.c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
          !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return nullptr;
      }
    }
    const HANDLE handle = CreateFileW(native.c_str(), access, share, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32File>(handle);
  }

  std::int64_t PathSize(const Text& path) override {
    std::wstring native = Wide(path);
    if (native.empty()) return kPathMissing;
    while (native.size() > 1 && IsSeparator(native.back())) native.pop_back();
    // A drive root (C: or C:\) has no directory entry of its own.
    if (native.size() == 2 && native[1] == L':') {
      const std::wstring root = native + L"\\";
      const UINT type = GetDriveTypeW(root.c_str());
      return type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR ? kPathMissing : kPathIsFolder;
    }
    if (native.size() == 1 && IsSeparator(native[0])) return kPathIsFolder;
    // Wildcards name no file; the attribute query below never expands them.
    if (native.find_first_of(L"*?") != std::wstring::npos) return kPathMissing;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(native.c_str(), GetFileExInfoStandard, &data)) return kPathMissing;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return kPathIsFolder;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }

  bool ReplaceAtomically(const Text& source, const Text& target) override {
    const std::wstring from = Wide(source), to = Wide(target);
    const DWORD attributes = GetFileAttributesW(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
      // The note keeps its attributes (hidden, archive, ...).
      SetFileAttributesW(from.c_str(), attributes);
    }
    // One rename that replaces the target: a single step on the file system.
    // ReplaceFileW is not used: it takes the old note out of the way before
    // the new one is put in place, and a crash in between (seen under Wine)
    // leaves no note at all. The rename fails while another program holds
    // the note without sharing deletion.
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }

  bool RemoveFile(const Text& path) override { return DeleteFileW(Wide(path).c_str()) != 0; }

  bool CreateFolder(const Text& path) override {
    return !path.empty() && CreateDirectoryW(Wide(path).c_str(), nullptr) != 0;
  }

  Text ProgramPath() override {
    // Grows the buffer for paths longer than the classic 260 characters.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
      const DWORD got = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
      if (got == 0) return {};
      if (got < buffer.size()) return FromWide(buffer.data(), got);
      buffer.resize(buffer.size() * 2);
    }
  }

  std::optional<Text> DocumentsFolder() override {
    PIDLIST_ABSOLUTE items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &items)) || items == nullptr) {
      return std::nullopt;
    }
    wchar_t buffer[MAX_PATH] = {};
    const BOOL ok = SHGetPathFromIDListW(items, buffer);
    CoTaskMemFree(items);
    if (!ok) return std::nullopt;
    return FromWide(buffer, wcslen(buffer));
  }

  char16_t PathSeparator() const override { return u'\\'; }

  Text LowerCase(const Text& text) override {
    std::wstring buffer = Wide(text);
    if (!buffer.empty()) CharLowerBuffW(buffer.data(), static_cast<DWORD>(buffer.size()));
    return FromWide(buffer.data(), buffer.size());
  }

  // Tried rather than read off the folder's rights: a file of our own is
  // made and goes again when it is closed.
  bool MayWriteIn(const Text& folder) override {
    std::wstring probe = Wide(folder);
    if (!probe.empty() && probe.back() != L'\\' && probe.back() != L'/') probe += L'\\';
    probe += L".orvel-write-test-" + std::to_wstring(GetCurrentProcessId());
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
  }

  // Explorer selects the file it is given after "/select,".
  bool ShowInFileManager(const Text& path) override { return StartProgram(u"explorer", u"/select, " + path); }

  // The program's name in quotes, a space, the parameters as they are.
  bool StartProgram(const Text& program, const Text& parameters) override {
    std::wstring commandLine = L"\"" + Wide(program) + L"\" " + Wide(parameters);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                       nullptr, &startup, &process)) {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
      return true;
    }
    const std::wstring file = Wide(program), arguments = Wide(parameters);
    SHELLEXECUTEINFOW shell{};
    shell.cbSize = sizeof shell;
    shell.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC | SEE_MASK_NOCLOSEPROCESS;
    shell.lpFile = file.c_str();
    shell.lpParameters = arguments.c_str();
    shell.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&shell)) return false;
    if (shell.hProcess) CloseHandle(shell.hProcess);
    return true;
  }

  LocalDateTime LocalTime() override {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  }

  std::int64_t MonotonicMilliseconds() override {
    LARGE_INTEGER frequency{}, counter{};
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart >= 1000 &&
        QueryPerformanceCounter(&counter)) {
      return counter.QuadPart / (frequency.QuadPart / 1000);
    }
    return static_cast<std::int64_t>(GetTickCount64());
  }
};

}  // namespace

std::unique_ptr<System> MakePlatformSystem() { return std::make_unique<Win32System>(); }

}  // namespace orvel
