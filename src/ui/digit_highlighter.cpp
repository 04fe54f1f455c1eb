#include "ui/digit_highlighter.h"

namespace orvel {

namespace {

// Only these twelve characters count: no other script's digits, no
// superscripts, no guillemets. The digit colour is read at draw time, so a
// theme switch shows in the next paint.
bool ColourOf(char16_t character, const ProgramState& state, Colour& colour) {
  if (character >= u'0' && character <= u'9') {
    colour = state.digitColour;
    return true;
  }
  if (character == u'<' || character == u'>') {
    colour = kBracketColour;
    return true;
  }
  return false;
}

}  // namespace

void InstallDigitHighlighter(ProgramState& state) {
  if (state.highlighterOn) return;
  state.toolkit.SetAfterPaint(kMainWindow, kEditor, [&state](PaintCanvas& canvas) { PaintDigits(state, canvas); });
  state.highlighterOn = true;
}

void RemoveDigitHighlighter(ProgramState& state) {
  if (!state.highlighterOn) return;
  state.toolkit.SetAfterPaint(kMainWindow, kEditor, nullptr);
  state.highlighterOn = false;
}

void PaintDigits(ProgramState& state, PaintCanvas& canvas) {
  Toolkit& toolkit = state.toolkit;
  const Rect area = toolkit.FormattingRect(kMainWindow, kEditor);
  const int first = toolkit.CharFromPos(kMainWindow, kEditor, {area.left, area.top});
  const int last = toolkit.CharFromPos(kMainWindow, kEditor, {area.right, area.bottom});
  if (last - first <= 0) return;  // nothing visible: no drawing context at all
  const Text visible = toolkit.TextRange(kMainWindow, kEditor, first, last);
  canvas.Open(area, kNoteFont);
  for (std::size_t k = 0; k < visible.size() && visible[k] != u'\0'; ++k) {
    Colour colour = 0;
    if (!ColourOf(visible[k], state, colour)) continue;
    canvas.SetTextColour(colour);
    const Point at = toolkit.PosFromChar(kMainWindow, kEditor, first + static_cast<int>(k));
    // Right and bottom stay the text area's, so nothing lands in the margins.
    canvas.DrawCharacter(visible[k], {at.x, at.y, area.right, area.bottom});
  }
}

}  // namespace orvel
