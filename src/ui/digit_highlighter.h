// The digit highlighter: after the editor has painted itself, every visible
// digit is drawn again in the theme's digit colour and every angle bracket
// in grey, over the glyph the editor drew.
#pragma once

#include "core/program_state.h"

namespace orvel {

inline constexpr Colour kBracketColour = 0x6D6D6D;

// Puts the highlighter in place when it is not yet; never twice.
void InstallDigitHighlighter(ProgramState& state);
// Takes it away when it is in place.
void RemoveDigitHighlighter(ProgramState& state);

// One overdraw: the characters from the one nearest the text area's
// top-left corner up to, not including, the one nearest its bottom-right.
void PaintDigits(ProgramState& state, PaintCanvas& canvas);

}  // namespace orvel
