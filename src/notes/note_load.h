// Loading a note into the editor, and the three ways to another note: the
// open dialog, a drop, and a new note.
#pragma once

#include "core/program_state.h"

namespace orvel {

enum class LoadResult {
  Loaded,
  Refused,  // too large, or not a file the editor can hold whole: the warning was shown
  Failed,   // could not be opened
};

// Loads the note named by state.notePath. On anything but success, the
// editor, the title and the settings stay as they were and notePath goes
// back to the note still shown.
LoadResult LoadNote(ProgramState& state);

void OpenNote(ProgramState& state);
void OpenDroppedNote(ProgramState& state);
void NewNote(ProgramState& state);

}  // namespace orvel
