// The shortcut table of the program: each key, for its window only, with
// the command it runs.
#pragma once

#include "core/program_state.h"

namespace orvel {

// Adds the eleven shortcuts in their order, each followed by its binding.
void RegisterShortcuts(ProgramState& state);

}  // namespace orvel
