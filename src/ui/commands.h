// The keyboard commands whose work lives nowhere else.
#pragma once

#include "app/program_state.h"

namespace orvel {

// The help box, captioned with the program's name and version.
void ShowHelp(ProgramState& state);

}  // namespace orvel
