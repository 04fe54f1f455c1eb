// The one state record of a run: made by start-up, handed to every handler.
// It and the program's numbers live in core/ because notes/ and ui/ need
// them as much as app/ does, and app/, which starts those, must stay on top
// of them rather than be included from below.
#pragma once

#include <cstdint>

#include "platform/system.h"
#include "platform/toolkit.h"
#include "settings/settings_store.h"

namespace orvel {

inline constexpr char16_t kAppVersion[] = u"1.035";

// The program's numbered windows, controls, fonts and timers.
inline constexpr int kMainWindow = 0;
inline constexpr int kFindWindow = 33;
inline constexpr int kEditor = 11;
inline constexpr int kFindWhatLabel = 113;
inline constexpr int kMatchLabel = 111;
inline constexpr int kFindField = 101;
inline constexpr int kFindButton = 105;
inline constexpr int kCancelButton = 107;
inline constexpr int kNoteFont = 1;
inline constexpr int kSaveTimer = 1;
inline constexpr int kSavePeriod = 800;  // milliseconds

struct ProgramState {
  ProgramState(Toolkit& toolkitIn, System& systemIn) : toolkit(toolkitIn), system(systemIn) {}

  Toolkit& toolkit;
  System& system;
  SettingsStore settings;

  Text dataFolder;
  Text notePath;   // the note named for loading and saving
  Text shownPath;  // the note whose whole text the editor holds; empty before the first load
  Text themeName;
  Colour digitColour = 0;

  std::int32_t savedLength = 0;      // text length at the last load or save
  std::int32_t lastChangeCheck = 0;  // clock at the last change that was measured
  std::int32_t searchStart = 0;

  bool marked = false;        // the editor holds changes that are not on disk
  bool titleMarked = false;   // the title shows the marker
  bool warningOpen = false;   // a size warning is on screen
  bool highlighterOn = false;
};

}  // namespace orvel
