// The main window: the editor that fills it, the note font and the themes.
#pragma once

#include "core/program_state.h"

namespace orvel {

struct Theme {
  const char16_t* name;
  Colour background, text, digits;
};
inline constexpr Theme kBrightTheme{u"bright", 0xFEFEFE, 0x010101, 0x5020F0};
inline constexpr Theme kDarkTheme{u"dark", 0x4A4540, 0xFEFEFE, 0xCCAA77};

// Opens the main window at outer (x, y) with the inner size given, loads the
// note font, creates the editor over the whole inner area and shows the
// stored theme.
void BuildMainWindow(ProgramState& state, int x, int y, int innerWidth, int innerHeight);

// "bright" becomes "dark"; anything else becomes "bright".
void ToggleTheme(ProgramState& state);

// The editor takes the main window's inner size, whichever window resized.
void FitEditor(ProgramState& state);

// Focus to the editor; the inner size nudged one pixel down and back.
void SettleLayout(ProgramState& state);

// The editor accepts dropped file lists.
void EnableNoteDrop(ProgramState& state);

}  // namespace orvel
