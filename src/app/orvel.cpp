#include "app/orvel.h"

#include "core/number_text.h"
#include "notes/locations.h"
#include "notes/note_load.h"
#include "notes/note_save.h"
#include "ui/commands.h"
#include "ui/find_window.h"
#include "ui/keyboard.h"
#include "ui/main_window.h"

namespace orvel {

namespace {

void CountRun(ProgramState& state) {
  const Text stored = ReadSettingText(state.settings, u"r", u"0");
  // 64 bits that wrap, as the number text does.
  const auto next = static_cast<std::int64_t>(static_cast<std::uint64_t>(NumberTextValue(stored)) + 1);
  WriteSettingText(state.settings, u"r", DecimalText(next));
}

// A geometry parameter, or the setting when it is missing, no number or 0.
std::int32_t GeometryValue(ProgramState& state, CommandLine& commandLine, const char16_t* key,
                           std::int32_t fallback) {
  const std::int32_t given = Low32(NumberTextValue(commandLine.NextParameter()));
  return given != 0 ? given : ReadSettingInteger(state.settings, key, fallback);
}

void LoadFirstNote(ProgramState& state) {
  if (LoadNote(state) == LoadResult::Loaded) return;
  // The note named cannot be shown whole: start on a new one, so that what
  // is typed never lands over that file.
  state.notePath = NewNoteName(state.system, state.dataFolder);
  LoadNote(state);
}

void BindHandlers(ProgramState& state) {
  EventModel& events = state.toolkit.Events();
  events.Bind({kControlEvent, kMainWindow, kEditor, kEditChanged}, [&state] { TrackChange(state); });
  events.Bind({kControlEvent, kFindWindow, kFindButton, kButtonClicked}, [&state] { FindNext(state); });
  events.Bind({kControlEvent, kFindWindow, kCancelButton, kButtonClicked}, [&state] { HideFind(state); });
  events.Bind({kDropEvent, kAny, kAny, kAny}, [&state] { OpenDroppedNote(state); });
  events.Bind({kSizeEvent, kAny, kAny, kAny}, [&state] { FitEditor(state); });
  events.Bind({kTimerEvent, kAny, kAny, kAny}, [&state] { AutoSave(state); });
  // The session ends without a close request: the note is written all the
  // same, without a box that would hold the session up.
  state.toolkit.OnSessionEnd([&state] { SaveMarkedNote(state, {.warnWhenTooLong = false}); });
}

}  // namespace

void StartUp(ProgramState& state, CommandLine& commandLine) {
  state.dataFolder = ResolveDataFolder(state.system);
  OpenSettings(state.settings, state.system, state.dataFolder + u"Orvel.ini");
  state.notePath = ReadSettingText(state.settings, u"f", u"__");
  state.themeName = ReadSettingText(state.settings, u"t", u"bright");
  CountRun(state);

  const Text first = commandLine.NextParameter();
  if (!first.empty()) {
    state.notePath = first;
  } else if (state.notePath.size() < 3) {
    state.notePath = NewNoteName(state.system, state.dataFolder);
  }
  const std::int32_t x = GeometryValue(state, commandLine, u"x", 685);
  const std::int32_t y = GeometryValue(state, commandLine, u"y", 500);
  const std::int32_t w = GeometryValue(state, commandLine, u"w", 650);
  const std::int32_t h = GeometryValue(state, commandLine, u"h", 180);

  BuildMainWindow(state, x, y, w, h);
  LoadFirstNote(state);
  EnableNoteDrop(state);
  BuildFindWindow(state);
  state.toolkit.StartTimer(kMainWindow, kSaveTimer, kSavePeriod);
  BindHandlers(state);
  RegisterShortcuts(state);
  SettleLayout(state);
  if (QueryPathSize(state.system, state.dataFolder) != kPathIsFolder) ShowHelp(state);
}

void RunEventLoop(ProgramState& state) {
  EventModel& events = state.toolkit.Events();
  for (;;) {
    if (events.Wait() != kCloseEvent) continue;
    const int window = events.Current().window;
    if (window == kFindWindow) HideFind(state);
    if (window == kMainWindow) return;
  }
}

int ShutDown(ProgramState& state) {
  Toolkit& toolkit = state.toolkit;
  // Nothing typed is lost at close: a marked note is written first.
  SaveMarkedNote(state);
  const WindowState windowState = toolkit.State(kMainWindow);
  if (windowState != WindowState::Maximised) {
    // A minimised window stores where it stands when restored.
    const WindowGeometry geometry = windowState == WindowState::Minimised
                                        ? toolkit.NormalGeometry(kMainWindow)
                                        : toolkit.Geometry(kMainWindow);
    WriteSettingInteger(state.settings, u"x", geometry.x);
    WriteSettingInteger(state.settings, u"y", geometry.y);
    WriteSettingInteger(state.settings, u"w", geometry.innerWidth);
    WriteSettingInteger(state.settings, u"h", geometry.innerHeight);
    WriteSettingText(state.settings, u"t", state.themeName);
  }
  toolkit.CloseWindow(kMainWindow);
  FlushSettings(state.settings, state.system);
  toolkit.Release();
  return 0;
}

int RunOrvel(Toolkit& toolkit, System& system, CommandLine commandLine) {
  ProgramState state(toolkit, system);
  StartUp(state, commandLine);
  RunEventLoop(state);
  return ShutDown(state);
}

}  // namespace orvel
