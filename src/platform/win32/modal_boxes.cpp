// Message boxes and the open dialog, each run while the program's other
// windows wait.
#include "platform/win32/toolkit_win32_internal.h"

#include <cwchar>
#include <string>
#include <vector>

#include "platform/win32/wide.h"

namespace orvel::win32 {

namespace {

// Spaces off both ends.
std::wstring TrimSpaces(const Text& text) {
  const auto first = text.find_first_not_of(u' ');
  if (first == Text::npos) return {};
  const auto last = text.find_last_not_of(u' ');
  return Wide(text.substr(first, last - first + 1));
}

}  // namespace

// While a modal box or dialog is open: the program's other visible windows
// are disabled (the box disables its owner itself) and none of them stays
// topmost above it. Everything is put back when the box is gone.
class Win32Toolkit::ModalScope {
 public:
  explicit ModalScope(Win32Toolkit& toolkit) {
    HWND foreground = GetForegroundWindow();
    DWORD process = 0;
    if (foreground) GetWindowThreadProcessId(foreground, &process);
    if (process == GetCurrentProcessId()) owner_ = foreground;
    for (const auto& [number, record] : toolkit.windows_) {
      HWND hwnd = record->hwnd;
      if (!::IsWindowVisible(hwnd)) continue;
      if ((GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) {
        SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        topmost_.push_back(hwnd);
      }
      // The owner is left to the box: it disables the owner and enables it
      // again before it goes, so that the owner gets the activation back.
      // An owner disabled by us would still be disabled at that moment and
      // the activation would go to another program.
      if (hwnd != owner_ && IsWindowEnabled(hwnd)) {
        EnableWindow(hwnd, FALSE);
        disabled_.push_back(hwnd);
      }
    }
  }
  ~ModalScope() {
    for (HWND hwnd : disabled_) {
      if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    }
    for (HWND hwnd : topmost_) {
      if (IsWindow(hwnd)) {
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      }
    }
  }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;
  HWND owner() const { return owner_; }

 private:
  HWND owner_ = nullptr;
  std::vector<HWND> disabled_;
  std::vector<HWND> topmost_;
};

void Win32Toolkit::ShowMessageBox(const Text& caption, const Text& text, BoxIcon icon) {
  ModalScope modal(*this);
  const UINT flags = MB_OK | (icon == BoxIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION);
  // The box runs its own message loop; WM_TIMER still reaches the window
  // procedure there, so timer events keep coming.
  MessageBoxW(modal.owner(), Wide(text).c_str(), Wide(caption).c_str(), flags);
}

Text Win32Toolkit::ShowOpenDialog(const OpenDialogSpec& wanted) {
  ModalScope modal(*this);
  std::wstring filter = TrimSpaces(wanted.filterLabel);
  filter += L'\0';
  filter += TrimSpaces(wanted.filterPatterns);
  filter += L'\0';  // the string's own terminator is the second one
  wchar_t file[MAX_PATH] = {};
  const std::wstring title = Wide(wanted.title);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = modal.owner();
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = title.c_str();
  // The folder must exist, the file need not (OFN_FILEMUSTEXIST left out).
  dialog.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_EXPLORER;
  if (!GetOpenFileNameW(&dialog)) return {};
  return FromWide(file, wcsnlen(file, MAX_PATH));
}

}  // namespace orvel::win32
