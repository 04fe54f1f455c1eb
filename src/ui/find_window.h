// The find window: a small always-on-top window with the search text.
#pragma once

#include "app/program_state.h"

namespace orvel {

// Builds the find window hidden, centred on the primary screen.
void BuildFindWindow(ProgramState& state);

// Hides the find window; nothing else changes.
void HideFind(ProgramState& state);

}  // namespace orvel
