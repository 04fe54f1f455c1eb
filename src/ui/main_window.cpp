#include "ui/main_window.h"

namespace orvel {

void BuildMainWindow(ProgramState& state, int x, int y, int innerWidth, int innerHeight) {
  Toolkit& toolkit = state.toolkit;
  WindowSpec window;
  window.number = kMainWindow;
  window.x = x;
  window.y = y;
  window.innerWidth = innerWidth;
  window.innerHeight = innerHeight;
  window.title = u"-";
  window.style = WindowStyle::Overlapped;
  window.visible = true;
  window.programIcon = true;
  toolkit.OpenWindow(window);
  // Where the system has no face of this name it substitutes its own.
  toolkit.LoadFont(kNoteFont, u"FixedSys", 14);
  const WindowGeometry inner = toolkit.Geometry(kMainWindow);
  toolkit.CreateControl({kMainWindow, kEditor, ControlKind::Editor, 0, 0, inner.innerWidth, inner.innerHeight, {}});
  toolkit.SetControlFont(kMainWindow, kEditor, kNoteFont);
  // Plain-text mode can only be set while the editor is empty.
  toolkit.SetControlText(kMainWindow, kEditor, u"");
  toolkit.SetPlainTextMode(kMainWindow, kEditor);
  // Twice: away from the stored theme and back, which sets every colour.
  ToggleTheme(state);
  ToggleTheme(state);
}

void ToggleTheme(ProgramState& state) {
  const Theme& next = state.themeName == kBrightTheme.name ? kDarkTheme : kBrightTheme;
  state.toolkit.SetEditorBackground(kMainWindow, kEditor, next.background);
  state.toolkit.SetEditorTextColour(kMainWindow, kEditor, next.text);
  state.digitColour = next.digits;
  state.themeName = next.name;
}

void FitEditor(ProgramState& state) {
  const WindowGeometry geometry = state.toolkit.Geometry(kMainWindow);
  state.toolkit.ResizeControl(kMainWindow, kEditor, geometry.innerWidth, geometry.innerHeight);
}

void SettleLayout(ProgramState& state) {
  Toolkit& toolkit = state.toolkit;
  toolkit.FocusControl(kMainWindow, kEditor);
  const WindowGeometry before = toolkit.Geometry(kMainWindow);
  toolkit.SetInnerSize(kMainWindow, before.innerWidth - 1, before.innerHeight - 1);
  const WindowGeometry nudged = toolkit.Geometry(kMainWindow);
  toolkit.SetInnerSize(kMainWindow, nudged.innerWidth + 1, nudged.innerHeight + 1);
}

void EnableNoteDrop(ProgramState& state) { state.toolkit.EnableFileDrops(kMainWindow, kEditor); }

}  // namespace orvel
