// Change tracking and saving: the title with its marker, the throttled
// change handler, the timed save and the safe write of a note file.
#pragma once

#include "core/program_state.h"

namespace orvel {

// "Orvel - name [n ch] ", or "Orvel - name* [n ch] " with the marker.
Text TitleBar(TextView fileName, std::int64_t length, bool modified);

// The number of UTF-16 code units of the editor's text, a line break as two.
std::int32_t TextLength(ProgramState& state);

// Builds the title from the note's file name and the editor's length now.
void SetNoteTitle(ProgramState& state, bool modified);

// The editor's change event: the note is marked at once; the whole text is
// measured for the title at most once per 200 ms.
void TrackChange(ProgramState& state);

// A SaveTimer tick: writes a marked note.
void AutoSave(ProgramState& state);

struct SaveOptions {
  bool warnWhenTooLong = true;  // show the size warning first, as the tick does
};

// Writes a marked note now, as the tick would. True when the note is clean
// afterwards (it was not marked, or the save worked).
bool SaveMarkedNote(ProgramState& state, SaveOptions options = {});

// Writes the bytes to the file safely: into a temporary file in the same
// folder, flushed, then put in the note's place in one step. Where that
// cannot replace the note (another program holds it without sharing
// deletion), writes in place. No temporary file is left behind.
bool WriteNoteFile(System& system, const Text& path, std::string_view bytes);

// The size warning, shown while ticks hold back.
void ShowSizeWarning(ProgramState& state);

}  // namespace orvel
