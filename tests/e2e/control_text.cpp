// Prints the text of one control of a top-level window, found by its
// caption and the control's number: control_text CAPTION NUMBER; or, with
// "focus" for the number, the number of the control that has the keyboard
// focus in that window's thread. What the end-to-end tests cannot read off
// the screen.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 3) return 2;
  HWND window = FindWindowW(nullptr, argv[1]);
  if (!window) return 1;
  if (std::wcscmp(argv[2], L"focus") == 0) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) || !info.hwndFocus) return 1;
    std::printf("%d", GetDlgCtrlID(info.hwndFocus));
    return 0;
  }
  HWND control = GetDlgItem(window, static_cast<int>(std::wcstol(argv[2], nullptr, 10)));
  if (!control) return 1;
  wchar_t text[1024] = {};
  GetWindowTextW(control, text, 1024);
  char bytes[4096] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
  std::fputs(bytes, stdout);
  return 0;
}
