// The Windows program: the Win32 toolkit and system services handed to the
// program's entry point with the command line as Windows gives it.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cwchar>

#include "app/command_line.h"
#include "app/orvel.h"
#include "platform/system.h"
#include "platform/win32/toolkit_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The wide command line, not WinMain's: a note path may hold any character.
  const wchar_t* line = GetCommandLineW();
  const orvel::Text commandLine(line, line + std::wcslen(line));
  auto system = orvel::MakePlatformSystem();
  auto toolkit = orvel::MakeWin32Toolkit();
  return orvel::RunOrvel(*toolkit, *system, orvel::CommandLine(orvel::TokenizeCommandLine(commandLine)));
}
