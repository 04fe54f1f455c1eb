#include "ui/keyboard.h"

#include "notes/note_load.h"
#include "ui/commands.h"
#include "ui/find_window.h"
#include "ui/main_window.h"

namespace orvel {

void RegisterShortcuts(ProgramState& state) {
  const struct {
    int window;
    KeyValue key;
    int command;
    void (*run)(ProgramState&);
  } rows[] = {
      {kMainWindow, Ctrl('E'), 15, ShowInFileManager},
      {kMainWindow, Ctrl('O'), 17, OpenNote},
      {kMainWindow, Ctrl('N'), 19, NewNote},
      {kMainWindow, Ctrl('T'), 21, ToggleTheme},
      {kMainWindow, Ctrl('K'), 95, InsertTick},
      {kMainWindow, Ctrl('F'), 93, ShowFind},
      {kMainWindow, kKeyF5, 96, InsertDate},
      {kMainWindow, kKeyF1, 66, ShowHelp},
      {kFindWindow, kKeyEscape, 83, HideFind},
      {kMainWindow, kKeyF3, 85, FindNext},
      {kFindWindow, kKeyReturn, 86, FindNext},
  };
  for (const auto& row : rows) {
    state.toolkit.AddShortcut(row.window, row.key, row.command);
    auto run = row.run;
    state.toolkit.Events().Bind({kCommandEvent, row.window, row.command, kAny}, [&state, run] { run(state); });
  }
}

}  // namespace orvel
