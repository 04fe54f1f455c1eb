#include "notes/note_load.h"

#include "notes/locations.h"
#include "notes/note_file.h"
#include "notes/note_save.h"
#include "ui/digit_highlighter.h"

namespace orvel {

namespace {

LoadResult Keep(ProgramState& state, LoadResult result) {
  // The editor still holds the note shown before; saving goes on there.
  if (!state.shownPath.empty()) state.notePath = state.shownPath;
  return result;
}

// Another note replaces the one shown only once the shown one is safe.
bool ReadyToLeave(ProgramState& state) { return SaveMarkedNote(state); }

}  // namespace

LoadResult LoadNote(ProgramState& state) {
  const Text path = state.notePath;
  if (QueryPathSize(state.system, path) > TextLimit(path)) {
    ShowSizeWarning(state);
    return Keep(state, LoadResult::Refused);
  }
  std::string bytes;
  {
    auto file = state.system.OpenFile(path, {FileAccess::ReadWrite, kShareRead, FileDisposition::OpenAlways});
    if (!file) return Keep(state, LoadResult::Failed);
    if (!file->ReadToEnd(bytes)) {
      // A read that failed part-way leaves a note the editor cannot hold whole.
      ShowSizeWarning(state);
      return Keep(state, LoadResult::Refused);
    }
  }
  DecodedNote note = DecodeNoteFile(bytes);
  if (!note.whole) {
    ShowSizeWarning(state);
    return Keep(state, LoadResult::Refused);
  }

  WriteSettingText(state.settings, u"f", path);
  state.toolkit.SetControlText(kMainWindow, kEditor, note.text);  // raises no change event
  state.shownPath = path;
  state.marked = false;
  // The highlighter follows the note shown.
  RemoveDigitHighlighter(state);
  if (HighlightRule(path)) InstallDigitHighlighter(state);
  SetNoteTitle(state, false);
  if (CaretRule(path)) state.toolkit.SetSelection(kMainWindow, kEditor, -1, -1);
  state.savedLength = TextLength(state);
  return LoadResult::Loaded;
}

void OpenNote(ProgramState& state) {
  const Text chosen = state.toolkit.ShowOpenDialog(
      {u"Open a file", u"Orvel files", u"*.txt;*.orv;*.ini"});
  if (chosen.empty() || !ReadyToLeave(state)) return;
  state.notePath = chosen;
  LoadNote(state);
}

void OpenDroppedNote(ProgramState& state) {
  // Several files name no one note: nothing is loaded, nothing is said.
  const std::vector<Text> files = state.toolkit.DroppedFiles();
  if (files.size() != 1 || !ReadyToLeave(state)) return;
  state.notePath = files.front();
  LoadNote(state);
}

void NewNote(ProgramState& state) {
  if (!ReadyToLeave(state)) return;
  state.notePath = NewNoteName(state.system, state.dataFolder);
  LoadNote(state);
}

}  // namespace orvel
