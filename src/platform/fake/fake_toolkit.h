// A window system in memory: the reference backend. Windows, controls and
// timers are records; the test acts as the user (typing, resizing, closing,
// dropping files), moves the clock, and answers modal boxes and the open
// dialog, moving the clock while one is open if it likes.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/fake/fake_system.h"
#include "platform/toolkit.h"

namespace orvel {

class FakeToolkit final : public Toolkit {
 public:
  struct Window {
    WindowSpec asked;
    bool visible = false;
    bool enabled = true;
    bool topmost = false;
    bool closed = false;
    WindowState state = WindowState::Normal;
    bool restoresMaximised = false;
    WindowGeometry normal;  // outer x, y and inner size in normal state
    Text title;
    int focusedControl = 0;
  };
  struct Control {
    ControlSpec asked;
    Text text;  // an editor holds each line break as one CR, as the control does
    int selectionStart = 0, selectionEnd = 0;
    int font = 0;
    bool plainText = false;
    bool acceptsDrops = false;
    Colour background = 0xFFFFFF, textColour = 0;
    int width = 0, height = 0;
    AfterPaint afterPaint;
    int afterPaintInstalls = 0;  // how many times a hook was put in place over none
  };
  // What the after-paint hook drew, one record per character.
  struct Drawn {
    char16_t character;
    Colour colour;
    Rect area;
  };
  struct Painted {
    bool opened = false;
    Rect clip;
    int font = 0;
    std::vector<Drawn> drawn;
  };
  struct Box {
    Text caption, text;
    BoxIcon icon;
    std::vector<int> disabledWindows;  // the program's windows disabled while it was open
    std::vector<int> topmostWhileOpen;
  };
  using BoxResponder = std::function<void(const Box&)>;
  using DialogResponder = std::function<Text(const OpenDialogSpec&)>;

  explicit FakeToolkit(FakeSystem& system);

  // What the test may look at.
  const Window* FindWindowRecord(int window) const;
  const Control* FindControl(int window, int control) const;
  const std::vector<Box>& Boxes() const { return boxes_; }
  const std::vector<OpenDialogSpec>& Dialogs() const { return dialogs_; }
  int ActiveWindow() const { return active_; }
  bool Released() const { return released_; }
  const std::map<int, std::pair<Text, int>>& Fonts() const { return fonts_; }
  // The editor's text as the program reads it (CR LF) and its selection.
  Text EditorText(int window = 0, int control = 11);

  // The user. Each raises what the native control would.
  void Type(const Text& text, int window = 0, int control = 11);
  void Backspace(int window = 0, int control = 11);
  void Select(int start, int end, int window = 0, int control = 11);
  void Click(int window, int control);
  void ResizeByUser(int window, int innerWidth, int innerHeight);
  void Minimise(int window);
  void Maximise(int window);
  void Restore(int window);
  void RequestClose(int window);
  void DropFiles(std::vector<Text> paths, int window = 0, int control = 11);
  void EndSession();
  // A key press in the active window, as the keyboard delivers it.
  void PressKey(KeyValue key);
  // The control paints itself, then its after-paint hook runs.
  Painted Paint(int window = 0, int control = 11);
  const std::vector<std::pair<int, int>>& Beeps() const { return beeps_; }
  const std::map<int, ShortcutTable>& Shortcuts() const { return shortcuts_; }

  // The fake editor's layout: every character is a cell of this size, the
  // text area starts at the control's top-left corner, nothing is scrolled.
  static constexpr int kCellWidth = 8, kCellHeight = 16;
  // Moves the clock, firing every timer that comes due, in time order.
  void Advance(std::int64_t milliseconds);

  // Native messages for the loop's wait: each step is one message. With no
  // step left, the wait asks the main window to close, as a user would.
  void Script(std::function<void()> step) { script_.push_back(std::move(step)); }

  void AnswerBoxes(BoxResponder responder) { boxResponder_ = std::move(responder); }
  void AnswerDialogs(DialogResponder responder) { dialogResponder_ = std::move(responder); }

  // Toolkit.
  EventModel& Events() override { return events_; }
  void OpenWindow(const WindowSpec& asked) override;
  void ShowWindow(int window) override;
  void HideWindow(int window) override;
  void ActivateWindow(int window) override;
  bool IsWindowVisible(int window) override;
  WindowState State(int window) override;
  WindowGeometry Geometry(int window) override;
  WindowGeometry NormalGeometry(int window) override;
  void SetInnerSize(int window, int innerWidth, int innerHeight) override;
  void SetTopmost(int window, bool topmost) override;
  Text Title(int window) override;
  void SetTitle(int window, const Text& title) override;
  void CloseWindow(int window) override;
  void LoadFont(int font, const Text& face, int points) override;
  void CreateControl(const ControlSpec& asked) override;
  void SetControlFont(int window, int control, int font) override;
  void ResizeControl(int window, int control, int width, int height) override;
  void FocusControl(int window, int control) override;
  Text ControlText(int window, int control) override;
  void SetControlText(int window, int control, const Text& text) override;
  void SetSelection(int window, int control, int start, int end) override;
  void SetPlainTextMode(int window, int control) override;
  void SetEditorBackground(int window, int control, Colour colour) override;
  void SetEditorTextColour(int window, int control, Colour colour) override;
  void ReplaceSelection(int window, int control, const Text& text) override;
  int FindText(int window, int control, int start, const Text& text) override;
  void EnableFileDrops(int window, int control) override;
  std::vector<Text> DroppedFiles() override { return dropped_; }
  Rect FormattingRect(int window, int control) override;
  int CharFromPos(int window, int control, Point point) override;
  Point PosFromChar(int window, int control, int index) override;
  Text TextRange(int window, int control, int first, int last) override;
  void SetAfterPaint(int window, int control, AfterPaint hook) override;
  void AddShortcut(int window, KeyValue key, int command) override;
  void Beep(int frequency, int milliseconds) override { beeps_.push_back({frequency, milliseconds}); }
  void StartTimer(int window, int timer, int milliseconds) override;
  void ShowMessageBox(const Text& caption, const Text& text, BoxIcon icon) override;
  Text ShowOpenDialog(const OpenDialogSpec& asked) override;
  void OnSessionEnd(std::function<void()> handler) override { sessionEnd_ = std::move(handler); }
  void Release() override;

  // The screen of the fake: maximised windows take all of it.
  static constexpr int kScreenWidth = 1280, kScreenHeight = 1024;

 private:
  Window* Win(int window);
  Control* Ctl(int window, int control);
  void RaiseSize(int window);
  void ActivateNextVisible();
  void MoveFocus(int window, bool forward);
  void Changed(int window, int control);
  template <typename Answer>
  void Modal(Answer answer);

  FakeSystem& system_;
  EventModel events_;
  std::map<int, Window> windows_;
  std::map<std::pair<int, int>, Control> controls_;
  std::vector<ControlSpec> creationOrder_;
  std::map<int, std::pair<Text, int>> fonts_;
  struct Timer {
    int window, timer, period;
    std::int64_t due;
  };
  std::vector<Timer> timers_;
  std::vector<Box> boxes_;
  std::vector<OpenDialogSpec> dialogs_;
  BoxResponder boxResponder_;
  DialogResponder dialogResponder_;
  std::deque<std::function<void()>> script_;
  std::vector<Text> dropped_;
  std::function<void()> sessionEnd_;
  std::map<int, ShortcutTable> shortcuts_;
  std::vector<std::pair<int, int>> beeps_;
  bool modalOpen_ = false;
  int active_ = -1;
  bool released_ = false;
};

}  // namespace orvel
