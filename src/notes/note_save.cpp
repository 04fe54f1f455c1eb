#include "notes/note_save.h"

#include <cstdlib>

#include "core/number_text.h"
#include "notes/locations.h"
#include "notes/note_file.h"

namespace orvel {

namespace {

constexpr std::int64_t kChangeThrottle = 200;  // milliseconds

std::int32_t MillisecondClock(System& system) { return Low32(system.MonotonicMilliseconds()); }

// The note the editor's text belongs to.
const Text& SaveTarget(const ProgramState& state) {
  return state.shownPath.empty() ? state.notePath : state.shownPath;
}

}  // namespace

Text TitleBar(TextView fileName, std::int64_t length, bool modified) {
  return Text(kAppTitle) + u" - " + Text(fileName) + (modified ? u"* [" : u" [") + DecimalText(length) +
         u" ch] ";
}

std::int32_t TextLength(ProgramState& state) {
  return static_cast<std::int32_t>(state.toolkit.ControlText(kMainWindow, kEditor).size());
}

void SetNoteTitle(ProgramState& state, bool modified) {
  state.toolkit.SetTitle(kMainWindow, TitleBar(PathFileName(state.notePath), TextLength(state), modified));
  state.titleMarked = modified;
}

void TrackChange(ProgramState& state) {
  // Every change marks the note, whatever its length and however soon it
  // follows the last one: nothing typed may go unsaved.
  state.marked = true;
  const std::int64_t now = MillisecondClock(state.system);
  if (std::llabs(now - state.lastChangeCheck) <= kChangeThrottle) {
    // Too soon to measure the whole text again. A clean title still turns
    // marked at once; a marked one catches up with the next measured change
    // or the tick.
    if (!state.titleMarked) SetNoteTitle(state, true);
    return;
  }
  SetNoteTitle(state, true);
  state.lastChangeCheck = MillisecondClock(state.system);
}

void ShowSizeWarning(ProgramState& state) {
  // While the box is open, ticks start neither another save nor another box.
  state.warningOpen = true;
  state.toolkit.ShowMessageBox(u"Error", u"Unsupported format or size", BoxIcon::Error);
  state.warningOpen = false;
}

bool SaveMarkedNote(ProgramState& state, SaveOptions options) {
  if (!state.marked) return true;
  if (options.warnWhenTooLong && TextLength(state) > TextLimit(SaveTarget(state))) {
    ShowSizeWarning(state);  // and then the whole text is saved all the same
  }
  const Text text = state.toolkit.ControlText(kMainWindow, kEditor);
  if (!WriteNoteFile(state.system, SaveTarget(state), EncodeNoteFile(text))) {
    // Nothing reached the disk: the note stays marked for the next tick, and
    // the count in the title catches up with the text.
    SetNoteTitle(state, true);
    return false;
  }
  state.marked = false;
  SetNoteTitle(state, false);
  state.savedLength = static_cast<std::int32_t>(text.size());
  return true;
}

void AutoSave(ProgramState& state) {
  if (state.warningOpen) return;  // the save goes on once the box is closed
  SaveMarkedNote(state);
}

bool WriteNoteFile(System& system, const Text& path, std::string_view bytes) {
  const Text temp = PathFolder(path) + u"." + PathFileName(path) + u".orvel-save";
  if (auto file = system.OpenFile(temp, {FileAccess::ReadWrite, kShareNone, FileDisposition::CreateAlways})) {
    const bool written = file->Write(bytes) && file->FlushToDisk();
    file.reset();
    if (!written) {
      system.RemoveFile(temp);  // a full disk, say: the note stays as it was
      return false;
    }
    if (system.ReplaceAtomically(temp, path)) return true;
    system.RemoveFile(temp);
  }
  // The note cannot be replaced (or no file can be made beside it): write
  // it in place, as the last way left.
  auto file = system.OpenFile(path, {FileAccess::ReadWrite, kShareRead, FileDisposition::CreateAlways});
  if (!file) file = system.OpenFile(path, {FileAccess::Write, kShareRead, FileDisposition::TruncateExisting});
  if (!file) return false;
  const bool written = bytes.empty() || file->Write(bytes);
  file->FlushToDisk();
  return written;
}

}  // namespace orvel
