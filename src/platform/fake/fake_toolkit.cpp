#include "platform/fake/fake_toolkit.h"

#include <algorithm>

namespace orvel {

namespace {

// The editor holds a line break as one CR; CR LF and a lone LF become one.
Text ToEditorBreaks(const Text& text) {
  Text out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    out.push_back(text[i] == u'\n' ? u'\r' : text[i]);
  }
  return out;
}

Text ToCrLf(const Text& text) {
  Text out;
  out.reserve(text.size() + text.size() / 8);
  for (const char16_t c : text) {
    out.push_back(c);
    if (c == u'\r') out.push_back(u'\n');
  }
  return out;
}

}  // namespace

FakeToolkit::FakeToolkit(FakeSystem& system) : system_(system) {
  events_.SetNativePump([this] {
    if (script_.empty()) {
      RequestClose(0);
      return;
    }
    auto step = std::move(script_.front());
    script_.pop_front();
    step();
  });
}

FakeToolkit::Window* FakeToolkit::Win(int window) {
  auto found = windows_.find(window);
  return found == windows_.end() || found->second.closed ? nullptr : &found->second;
}

FakeToolkit::Control* FakeToolkit::Ctl(int window, int control) {
  if (!Win(window)) return nullptr;
  auto found = controls_.find({window, control});
  return found == controls_.end() ? nullptr : &found->second;
}

const FakeToolkit::Window* FakeToolkit::FindWindowRecord(int window) const {
  auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : &found->second;
}

const FakeToolkit::Control* FakeToolkit::FindControl(int window, int control) const {
  auto found = controls_.find({window, control});
  return found == controls_.end() ? nullptr : &found->second;
}

Text FakeToolkit::EditorText(int window, int control) { return ControlText(window, control); }

void FakeToolkit::RaiseSize(int window) { events_.Raise({kSizeEvent, window, 0, 0}); }

void FakeToolkit::Changed(int window, int control) {
  if (Ctl(window, control)->asked.kind == ControlKind::Editor) {
    events_.Raise({kControlEvent, window, control, kEditChanged});
  }
}

// --- the user ---

void FakeToolkit::Type(const Text& text, int window, int control) {
  if (!Ctl(window, control)) return;
  // Each typed character is one change, as keystrokes are.
  for (const char16_t c : text) ReplaceSelection(window, control, Text(1, c == u'\n' ? u'\r' : c));
}

void FakeToolkit::Backspace(int window, int control) {
  Control* c = Ctl(window, control);
  if (!c) return;
  int start = std::min(c->selectionStart, c->selectionEnd);
  const int end = std::max(c->selectionStart, c->selectionEnd);
  if (start == end) {
    if (start == 0) return;
    --start;
  }
  c->text.erase(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
  c->selectionStart = c->selectionEnd = start;
  Changed(window, control);
}

void FakeToolkit::Select(int start, int end, int window, int control) {
  SetSelection(window, control, start, end);
}

void FakeToolkit::Click(int window, int control) {
  if (Ctl(window, control)) events_.Raise({kControlEvent, window, control, kButtonClicked});
}

void FakeToolkit::ResizeByUser(int window, int innerWidth, int innerHeight) {
  Window* w = Win(window);
  if (!w) return;
  w->state = WindowState::Normal;
  w->normal.innerWidth = innerWidth;
  w->normal.innerHeight = innerHeight;
  RaiseSize(window);
}

void FakeToolkit::Minimise(int window) {
  if (Window* w = Win(window)) {
    w->restoresMaximised = w->state == WindowState::Maximised;
    w->state = WindowState::Minimised;  // no size event
  }
}

void FakeToolkit::Maximise(int window) {
  if (Window* w = Win(window)) {
    w->state = WindowState::Maximised;
    RaiseSize(window);
  }
}

void FakeToolkit::Restore(int window) {
  if (Window* w = Win(window)) {
    // A window minimised from maximised comes back maximised.
    w->state = w->state == WindowState::Minimised && w->restoresMaximised ? WindowState::Maximised
                                                                           : WindowState::Normal;
    w->restoresMaximised = false;
    RaiseSize(window);
  }
}

void FakeToolkit::RequestClose(int window) {
  if (Win(window)) events_.Raise({kCloseEvent, window, window, 0});
}

void FakeToolkit::DropFiles(std::vector<Text> paths, int window, int control) {
  Control* c = Ctl(window, control);
  if (!c || !c->acceptsDrops) return;
  dropped_ = std::move(paths);
  events_.Raise({kDropEvent, window, control, 0});
}

void FakeToolkit::EndSession() {
  if (sessionEnd_) sessionEnd_();
}

void FakeToolkit::PressKey(KeyValue key) {
  // The box's own loop consults no shortcut table, and the program's
  // windows are disabled while it is open.
  if (modalOpen_) return;
  Window* w = Win(active_);
  if (!w || !w->enabled) return;
  const int window = active_;
  const Control* focused = Ctl(window, w->focusedControl);
  const bool inEditor = focused && focused->asked.kind == ControlKind::Editor;
  // Every window has a table, Tab and Shift+Tab in it from the start.
  const ShortcutTable& table = shortcuts_[window];
  if (OfferedToTable(key, inEditor)) {
    if (const ShortcutEntry* entry = table.Match(key)) {
      if (entry->command == kFocusNextCommand || entry->command == kFocusPreviousCommand) {
        MoveFocus(window, entry->command == kFocusNextCommand);
      } else {
        events_.Raise({kCommandEvent, window, entry->command, 0});
      }
      return;
    }
  }
  // Unmatched keys reach the focused control; the fake knows what Enter and
  // Tab type into an editor, and that a button takes Enter as nothing.
  if (!inEditor) return;
  if (key == kKeyReturn) Type(u"\r", window, w->focusedControl);
  if (key == kKeyTab) Type(u"\t", window, w->focusedControl);
}

void FakeToolkit::MoveFocus(int window, bool forward) {
  std::vector<int> stops;  // tab stops in the order of creation
  for (const ControlSpec& asked : creationOrder_) {
    if (asked.window == window && asked.kind != ControlKind::StaticText) stops.push_back(asked.number);
  }
  if (stops.empty()) return;
  Window* w = Win(window);
  auto at = std::find(stops.begin(), stops.end(), w->focusedControl);
  std::size_t index = 0;
  if (at == stops.end()) {
    index = forward ? 0 : stops.size() - 1;  // nothing focused: the first or the last
  } else {
    const std::size_t here = static_cast<std::size_t>(at - stops.begin());
    index = forward ? (here + 1) % stops.size() : (here + stops.size() - 1) % stops.size();
  }
  w->focusedControl = stops[index];
}

FakeToolkit::Painted FakeToolkit::Paint(int window, int control) {
  struct Canvas final : PaintCanvas {
    Painted painted;
    Colour colour = 0;
    void Open(const Rect& clip, int font) override {
      painted.opened = true;
      painted.clip = clip;
      painted.font = font;
    }
    void SetTextColour(Colour c) override { colour = c; }
    void DrawCharacter(char16_t character, const Rect& area) override {
      painted.drawn.push_back({character, colour, area});
    }
  } canvas;
  Control* c = Ctl(window, control);
  if (c && c->afterPaint) {
    const AfterPaint hook = c->afterPaint;  // a copy: the hook may replace itself
    hook(canvas);
  }
  return canvas.painted;
}

Rect FakeToolkit::FormattingRect(int window, int control) {
  const Control* c = Ctl(window, control);
  return c ? Rect{0, 0, c->width, c->height} : Rect{};
}

int FakeToolkit::CharFromPos(int window, int control, Point point) {
  const Control* c = Ctl(window, control);
  if (!c) return 0;
  // Lines start after each CR; the nearest character of the nearest line.
  std::vector<int> starts{0};
  for (std::size_t i = 0; i < c->text.size(); ++i) {
    if (c->text[i] == u'\r') starts.push_back(static_cast<int>(i) + 1);
  }
  const int line = std::clamp(point.y / kCellHeight, 0, static_cast<int>(starts.size()) - 1);
  const int start = starts[static_cast<std::size_t>(line)];
  const int end = line + 1 < static_cast<int>(starts.size()) ? starts[static_cast<std::size_t>(line) + 1] - 1
                                                            : static_cast<int>(c->text.size());
  const int column = std::max(0, (point.x + kCellWidth / 2) / kCellWidth);
  return std::min(start + column, end);
}

Point FakeToolkit::PosFromChar(int window, int control, int index) {
  const Control* c = Ctl(window, control);
  if (!c) return {};
  int line = 0, column = 0;
  for (int i = 0; i < index && i < static_cast<int>(c->text.size()); ++i) {
    if (c->text[static_cast<std::size_t>(i)] == u'\r') {
      ++line;
      column = 0;
    } else {
      ++column;
    }
  }
  return {column * kCellWidth, line * kCellHeight};
}

Text FakeToolkit::TextRange(int window, int control, int first, int last) {
  const Control* c = Ctl(window, control);
  const int length = c ? static_cast<int>(c->text.size()) : 0;
  if (!c || first < 0 || first >= std::min(last, length)) return {};
  // The control copies what there is and ends it with a zero.
  const Text range = c->text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(std::min(last, length) - first));
  return range.substr(0, range.find(u'\0'));
}

void FakeToolkit::SetAfterPaint(int window, int control, AfterPaint hook) {
  Control* c = Ctl(window, control);
  if (!c) return;
  if (hook && !c->afterPaint) ++c->afterPaintInstalls;
  c->afterPaint = std::move(hook);
}

void FakeToolkit::AddShortcut(int window, KeyValue key, int command) {
  if (Win(window)) shortcuts_[window].Add(key, command);
}

void FakeToolkit::Advance(std::int64_t milliseconds) {
  const std::int64_t target = system_.MonotonicMilliseconds() + milliseconds;
  for (;;) {
    Timer* next = nullptr;
    for (Timer& timer : timers_) {
      if (timer.due <= target && (!next || timer.due < next->due)) next = &timer;
    }
    if (!next) break;
    const Timer fired = *next;
    next->due += next->period;
    if (fired.due > system_.MonotonicMilliseconds()) system_.SetMonotonicMilliseconds(fired.due);
    events_.Raise({kTimerEvent, fired.window, fired.timer, 0});
  }
  // A nested advance (inside a box) may already have gone further.
  if (system_.MonotonicMilliseconds() < target) system_.SetMonotonicMilliseconds(target);
}

// --- windows ---

void FakeToolkit::OpenWindow(const WindowSpec& asked) {
  Window w;
  w.asked = asked;
  w.title = asked.title;
  w.normal = {asked.x, asked.y, asked.innerWidth, asked.innerHeight};
  if (asked.centred) {
    // The fake's frames add nothing, so the outer size is the inner size.
    w.normal.x = (kScreenWidth - std::min(kScreenWidth, asked.innerWidth)) / 2;
    w.normal.y = (kScreenHeight - std::min(kScreenHeight, asked.innerHeight)) / 2;
  }
  w.visible = asked.visible;
  windows_[asked.number] = w;
  if (asked.visible) active_ = asked.number;
}

void FakeToolkit::ShowWindow(int window) {
  if (Window* w = Win(window)) {
    w->visible = true;
    if (w->state == WindowState::Minimised) w->state = WindowState::Normal;
    active_ = window;  // shown in normal state means activated
  }
}

void FakeToolkit::HideWindow(int window) {
  if (Window* w = Win(window)) {
    w->visible = false;
    if (active_ == window) ActivateNextVisible();
  }
}

// As Windows does when the active window goes away: the next visible one
// of the program becomes active.
void FakeToolkit::ActivateNextVisible() {
  active_ = -1;
  for (const auto& [number, w] : windows_) {
    if (!w.closed && w.visible) {
      active_ = number;
      return;
    }
  }
}

void FakeToolkit::ActivateWindow(int window) {
  if (Win(window)) active_ = window;
}

bool FakeToolkit::IsWindowVisible(int window) {
  const Window* w = Win(window);
  return w && w->visible;
}

WindowState FakeToolkit::State(int window) {
  const Window* w = Win(window);
  return w ? w->state : WindowState::Normal;
}

WindowGeometry FakeToolkit::Geometry(int window) {
  const Window* w = Win(window);
  if (!w) return {};
  switch (w->state) {
    case WindowState::Maximised: return {0, 0, kScreenWidth, kScreenHeight};
    case WindowState::Minimised: return {-32000, -32000, 0, 0};  // where Windows parks them
    case WindowState::Normal: break;
  }
  return w->normal;
}

WindowGeometry FakeToolkit::NormalGeometry(int window) {
  const Window* w = Win(window);
  return w ? w->normal : WindowGeometry{};
}

void FakeToolkit::SetInnerSize(int window, int innerWidth, int innerHeight) {
  Window* w = Win(window);
  if (!w) return;
  w->normal.innerWidth = innerWidth;
  w->normal.innerHeight = innerHeight;
  RaiseSize(window);
}

void FakeToolkit::SetTopmost(int window, bool topmost) {
  if (Window* w = Win(window)) w->topmost = topmost;
}

Text FakeToolkit::Title(int window) {
  const Window* w = Win(window);
  return w ? w->title : Text{};
}

void FakeToolkit::SetTitle(int window, const Text& title) {
  if (Window* w = Win(window)) w->title = title;
}

void FakeToolkit::CloseWindow(int window) {
  Window* w = Win(window);
  if (!w) return;
  w->closed = true;
  w->visible = false;
  shortcuts_.erase(window);
  std::erase_if(timers_, [window](const Timer& t) { return t.window == window; });
  if (active_ == window) ActivateNextVisible();
}

void FakeToolkit::LoadFont(int font, const Text& face, int points) { fonts_[font] = {face, points}; }

// --- controls ---

void FakeToolkit::CreateControl(const ControlSpec& asked) {
  if (!Win(asked.window)) return;
  EventModel::CreatingControl creating(events_);
  Control c;
  c.asked = asked;
  c.text = asked.kind == ControlKind::Editor ? ToEditorBreaks(asked.text) : asked.text;
  c.width = asked.width;
  c.height = asked.height;
  controls_[{asked.window, asked.number}] = c;
  creationOrder_.push_back(asked);
  Changed(asked.window, asked.number);  // dropped: nothing is delivered meanwhile
}

void FakeToolkit::SetControlFont(int window, int control, int font) {
  if (Control* c = Ctl(window, control)) c->font = font;
}

void FakeToolkit::ResizeControl(int window, int control, int width, int height) {
  if (Control* c = Ctl(window, control)) {
    c->width = width;
    c->height = height;
  }
}

void FakeToolkit::FocusControl(int window, int control) {
  if (Ctl(window, control)) Win(window)->focusedControl = control;
}

Text FakeToolkit::ControlText(int window, int control) {
  const Control* c = Ctl(window, control);
  if (!c) return {};
  return c->asked.kind == ControlKind::Editor ? ToCrLf(c->text) : c->text;
}

void FakeToolkit::SetControlText(int window, int control, const Text& text) {
  Control* c = Ctl(window, control);
  if (!c) return;
  c->text = c->asked.kind == ControlKind::Editor ? ToEditorBreaks(text) : text;
  c->selectionStart = c->selectionEnd = 0;  // no change event, caret at the start
}

void FakeToolkit::SetSelection(int window, int control, int start, int end) {
  Control* c = Ctl(window, control);
  if (!c) return;
  const int length = static_cast<int>(c->text.size());
  if (start == -1) {  // collapses at the end, as the rich-edit control does
    c->selectionStart = c->selectionEnd = length;
    return;
  }
  if (end < 0 || end > length) end = length;
  start = std::clamp(start, 0, length);
  c->selectionStart = start;
  c->selectionEnd = end;
}

void FakeToolkit::SetPlainTextMode(int window, int control) {
  if (Control* c = Ctl(window, control)) c->plainText = true;
}

void FakeToolkit::SetEditorBackground(int window, int control, Colour colour) {
  if (Control* c = Ctl(window, control)) c->background = colour;
}

void FakeToolkit::SetEditorTextColour(int window, int control, Colour colour) {
  if (Control* c = Ctl(window, control)) c->textColour = colour;
}

void FakeToolkit::ReplaceSelection(int window, int control, const Text& text) {
  Control* c = Ctl(window, control);
  if (!c) return;
  const int start = std::min(c->selectionStart, c->selectionEnd);
  const int end = std::max(c->selectionStart, c->selectionEnd);
  const Text inserted = c->asked.kind == ControlKind::Editor ? ToEditorBreaks(text) : text;
  c->text.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start), inserted);
  c->selectionStart = c->selectionEnd = start + static_cast<int>(inserted.size());
  Changed(window, control);
}

int FakeToolkit::FindText(int window, int control, int start, const Text& text) {
  const Control* c = Ctl(window, control);
  if (!c || text.empty() || start < 0 || start > static_cast<int>(c->text.size())) return -1;
  const Text needle = ToEditorBreaks(text);
  const Text& hay = c->text;
  for (std::size_t at = static_cast<std::size_t>(start); at + needle.size() <= hay.size(); ++at) {
    bool same = true;
    for (std::size_t k = 0; k < needle.size() && same; ++k) same = FakeLowerCase(hay[at + k]) == FakeLowerCase(needle[k]);
    if (same) return static_cast<int>(at);
  }
  return -1;
}

void FakeToolkit::EnableFileDrops(int window, int control) {
  if (Control* c = Ctl(window, control)) c->acceptsDrops = true;
}

void FakeToolkit::StartTimer(int window, int timer, int milliseconds) {
  if (!Win(window)) return;
  std::erase_if(timers_, [&](const Timer& t) { return t.window == window && t.timer == timer; });
  timers_.push_back({window, timer, milliseconds, system_.MonotonicMilliseconds() + milliseconds});
}

// --- modal ---

template <typename Answer>
void FakeToolkit::Modal(Answer answer) {
  std::vector<int> disabled, lowered;
  for (auto& [number, w] : windows_) {
    if (w.closed || !w.visible) continue;
    if (w.enabled) {
      w.enabled = false;
      disabled.push_back(number);
    }
    if (w.topmost) {
      w.topmost = false;
      lowered.push_back(number);
    }
  }
  const bool outer = modalOpen_;
  modalOpen_ = true;
  answer(disabled, lowered);
  modalOpen_ = outer;
  for (int number : disabled) windows_[number].enabled = true;
  for (int number : lowered) windows_[number].topmost = true;
}

void FakeToolkit::ShowMessageBox(const Text& caption, const Text& text, BoxIcon icon) {
  Modal([&](const std::vector<int>& disabled, const std::vector<int>& lowered) {
    boxes_.push_back({caption, text, icon, disabled, lowered});
    const Box box = boxes_.back();
    if (boxResponder_) boxResponder_(box);
  });
}

Text FakeToolkit::ShowOpenDialog(const OpenDialogSpec& asked) {
  Text chosen;
  Modal([&](const std::vector<int>&, const std::vector<int>&) {
    dialogs_.push_back(asked);
    if (dialogResponder_) chosen = dialogResponder_(asked);
  });
  return chosen;
}

void FakeToolkit::Release() { released_ = true; }

}  // namespace orvel
