#include "ui/find_window.h"

namespace orvel {

void BuildFindWindow(ProgramState& state) {
  Toolkit& toolkit = state.toolkit;
  WindowSpec window;
  window.number = kFindWindow;
  window.x = 100;
  window.y = 100;
  window.innerWidth = 355;
  window.innerHeight = 105;
  window.title = u"Find";
  window.style = WindowStyle::Tool;
  window.visible = false;
  window.centred = true;
  window.buttonFace = true;
  toolkit.OpenWindow(window);
  const ControlSpec controls[] = {
      {kFindWindow, kFindWhatLabel, ControlKind::StaticText, 10, 15, 50, 20, u"Find what:"},
      {kFindWindow, kMatchLabel, ControlKind::StaticText, 10, 55, 110, 20, u""},
      {kFindWindow, kFindField, ControlKind::Input, 70, 12, 200, 20, u""},
      {kFindWindow, kFindButton, ControlKind::Button, 280, 12, 65, 20, u"Find"},
      {kFindWindow, kCancelButton, ControlKind::Button, 280, 38, 65, 20, u"Cancel"},
  };
  for (const ControlSpec& control : controls) {
    toolkit.CreateControl(control);
    toolkit.SetControlFont(kFindWindow, control.number, kGuiFont);
  }
  toolkit.FocusControl(kFindWindow, kFindField);
  toolkit.SetTopmost(kFindWindow, true);
}

void ShowFind(ProgramState& state) {
  Toolkit& toolkit = state.toolkit;
  toolkit.ShowWindow(kFindWindow);
  toolkit.ActivateWindow(kFindWindow);
  state.searchStart = 0;
  toolkit.SetSelection(kFindWindow, kFindField, 0, -1);
}

void HideFind(ProgramState& state) { state.toolkit.HideWindow(kFindWindow); }

void FindNext(ProgramState& state) {
  Toolkit& toolkit = state.toolkit;
  const Text search = TranslateEscapes(toolkit.ControlText(kFindWindow, kFindField));
  if (search.empty()) return;
  // Counted in the editor's own form, a line break as one CR, as the search
  // finds it: read back with CR LF, a search across a line break would
  // count nothing while the search selects it.
  Text note;
  const Text read = toolkit.ControlText(kMainWindow, kEditor);
  for (std::size_t i = 0; i < read.size(); ++i) {
    note.push_back(read[i]);
    if (read[i] == u'\r' && i + 1 < read.size() && read[i + 1] == u'\n') ++i;
  }
  const int count = CountMatches(state.system.LowerCase(note), state.system.LowerCase(search));
  toolkit.SetControlText(kFindWindow, kMatchLabel, MatchLabelText(count));
  const int at = toolkit.FindText(kMainWindow, kEditor, state.searchStart, search);
  if (at < 0) {
    toolkit.Beep(939, 129);
    state.searchStart = 0;
    return;
  }
  // One past the start, so overlapping matches are visited one by one.
  state.searchStart = at + 1;
  toolkit.SetSelection(kMainWindow, kEditor, at, at + static_cast<int>(search.size()));
}

namespace {
Text ReplaceAll(TextView text, TextView from, char16_t to) {
  Text out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text.substr(i, from.size()) == from) {
      out.push_back(to);
      i += from.size();
    } else {
      out.push_back(text[i++]);
    }
  }
  return out;
}
}  // namespace

Text TranslateEscapes(TextView typed) {
  // Two passes over the whole text, line breaks first, then tabs. A
  // backslash cannot be escaped: two backslashes and an n are a backslash
  // and a line break.
  return ReplaceAll(ReplaceAll(typed, u"\\n", u'\r'), u"\\t", u'\t');
}

int CountMatches(TextView text, TextView search) {
  if (search.empty()) return 0;
  int count = 0;
  std::size_t at = 0;
  while ((at = text.find(search, at)) != TextView::npos) {
    ++count;
    at += search.size();
  }
  return count;
}

Text MatchLabelText(int count) { return DecimalText(count) + (count == 1 ? u" match" : u" matches"); }

}  // namespace orvel
