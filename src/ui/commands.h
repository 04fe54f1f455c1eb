// The keyboard commands whose work lives nowhere else.
#pragma once

#include <string_view>

#include "core/program_state.h"

namespace orvel {

// The help box's text, as stored: nineteen lines, each ended by CR LF.
extern const std::string_view kHelpText;

// "✓ " at the caret, in place of the selection.
void InsertTick(ProgramState& state);

// Today's date as 2018-03-07 at the caret, in place of the selection.
void InsertDate(ProgramState& state);

// Starts the file manager with the note selected in its folder; whether it
// started is not looked at.
void ShowInFileManager(ProgramState& state);

// The help box, captioned with the program's name and version.
void ShowHelp(ProgramState& state);

}  // namespace orvel
