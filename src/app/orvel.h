// The program: start-up, the event loop and shut-down.
#pragma once

#include "app/command_line.h"
#include "core/program_state.h"

namespace orvel {

// Everything from the data folder to the settled layout, in its order;
// the help box last when the data folder could not be made.
void StartUp(ProgramState& state, CommandLine& commandLine);

// Waits for events until the main window is asked to close; closing the
// find window only hides it.
void RunEventLoop(ProgramState& state);

// Saves a marked note, stores geometry and theme unless maximised, closes
// the main window and writes the settings. Returns the exit code.
int ShutDown(ProgramState& state);

// The whole run; what a backend's main calls.
int RunOrvel(Toolkit& toolkit, System& system, CommandLine commandLine);

}  // namespace orvel
