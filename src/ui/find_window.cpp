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

void HideFind(ProgramState& state) { state.toolkit.HideWindow(kFindWindow); }

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
