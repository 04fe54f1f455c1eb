// The find window: a small always-on-top window with the search text.
#pragma once

#include "core/program_state.h"

namespace orvel {

// Builds the find window hidden, centred on the primary screen.
void BuildFindWindow(ProgramState& state);

// Shows and activates the find window, selects its search text and starts
// the search over from the beginning of the note.
void ShowFind(ProgramState& state);

// Hides the find window; nothing else changes.
void HideFind(ProgramState& state);

// Counts the search text in the note, shows the count, and selects the next
// match from the search start on; at the end a tone, and the next search
// starts at the beginning.
void FindNext(ProgramState& state);

// The search text as typed, with "\n" as a line break (CR, as the editor
// holds one) and then "\t" as a tab. Nothing else is translated.
Text TranslateEscapes(TextView typed);

// Occurrences of `search` in `text` without overlap, both already in one
// letter case.
int CountMatches(TextView text, TextView search);

// "1 match", otherwise "N matches".
Text MatchLabelText(int count);

}  // namespace orvel
