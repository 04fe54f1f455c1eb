// The whole program on the fake backend: a Windows-like machine with the
// program at C:\Tools\Orvel.exe and a clock that the test moves.
#pragma once

#include <gtest/gtest.h>

#include "app/orvel.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/fake_toolkit.h"

namespace orvel {

inline const Text kDataFolder = u"C:\\Tools\\Orvel_data\\";
inline const Text kSettingsPath = kDataFolder + u"Orvel.ini";
inline const Text kFirstNote = kDataFolder + u"note_20180307_140509.orv";
inline constexpr char kMark[] = "\xEF\xBB\xBF\r\n";

struct Harness {
  Harness() {
    system.AddFolder(u"C:");
    system.AddFolder(u"C:\\Tools");
    system.AddFolder(u"C:\\notes");
    system.SetProgramPath(u"C:\\Tools\\Orvel.exe");
    system.SetDocumentsFolder(u"C:\\Users\\u\\Documents");
    system.SetLocalTime({2018, 3, 7, 14, 5, 9});
    system.SetMonotonicMilliseconds(5'000'000);
  }

  void Start(std::vector<Text> parameters = {}) {
    CommandLine line(std::move(parameters));
    StartUp(state, line);
  }
  // The user closes the main window; the loop takes the request.
  int Close() {
    toolkit.RequestClose(kMainWindow);
    RunEventLoop(state);
    return ShutDown(state);
  }
  void Tick() { toolkit.Advance(kSavePeriod); }

  Text Title() { return toolkit.Title(kMainWindow); }
  Text EditorText() { return toolkit.EditorText(); }
  std::string File(const Text& path) { return system.FileBytes(path).value_or("<no file>"); }
  std::string Settings() { return File(kSettingsPath); }
  void Put(const Text& path, std::string bytes) { system.AddFile(path, std::move(bytes)); }
  void Settle() { system.AdvanceMilliseconds(1000); }  // far from the last change

  FakeSystem system{u'\\'};
  FakeToolkit toolkit{system};
  ProgramState state{toolkit, system};
};

}  // namespace orvel
