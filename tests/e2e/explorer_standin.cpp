// Stands in for the file manager in the end-to-end tests: writes the
// command line it was started with, as UTF-8, into explorer-command.txt
// beside itself, and ends.
#include <windows.h>

#include <string>

int main() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self);
  folder.resize(folder.find_last_of(L'\\') + 1);
  const std::wstring out = folder + L"explorer-command.txt";
  const wchar_t* line = GetCommandLineW();
  const int size = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line, -1, bytes.data(), size, nullptr, nullptr);
  HANDLE file = CreateFileW(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return 0;
}
