// What Orvel asks of a window system, in its own terms: numbered windows,
// controls, fonts and timers; events (events.h); modal boxes; the open
// dialog; dropped files; the editor control's operations. No native type
// crosses this seam: each backend (win32, fake, later qt) implements it once.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/events.h"
#include "platform/shortcuts.h"
#include "platform/text.h"

namespace orvel {

// Colours laid out 0x00BBGGRR: red in the lowest byte.
using Colour = std::uint32_t;

enum class WindowStyle {
  // Caption, system menu, sizing border, minimise and maximise boxes.
  Overlapped,
  // Caption and close box only; not sizeable.
  Tool,
};

struct WindowSpec {
  int number = 0;
  int x = 0, y = 0;  // outer top-left corner, screen pixels
  int innerWidth = 0, innerHeight = 0;
  Text title;
  WindowStyle style = WindowStyle::Overlapped;
  bool visible = true;      // shown in normal state and activated at once
  bool centred = false;     // centred on the primary screen instead of x, y
  bool programIcon = false; // shows the program's icon in the caption
  bool buttonFace = false;  // the system's button-face background
};

// Outer left and top edge in screen coordinates, inner (client) size.
struct WindowGeometry {
  int x = 0, y = 0;
  int innerWidth = 0, innerHeight = 0;
  friend bool operator==(const WindowGeometry&, const WindowGeometry&) = default;
};

enum class WindowState { Normal, Maximised, Minimised };

enum class ControlKind {
  Editor,      // the multi-line plain-text editor of the notes
  StaticText,  // left-aligned, no border, '&' shown as it is
  Input,       // single-line, sunken edge, scrolls sideways
  Button,      // plain push button
};

struct ControlSpec {
  int window = 0;
  int number = 0;
  ControlKind kind = ControlKind::Editor;
  int x = 0, y = 0, width = 0, height = 0;
  Text text;
};

enum class BoxIcon { Error, Information };

struct OpenDialogSpec {
  Text title;
  Text filterLabel;     // what the filter is called
  Text filterPatterns;  // "*.txt;*.orv;*.ini"
};

// The font that a window system offers for dialogs (DEFAULT_GUI_FONT).
inline constexpr int kGuiFont = -1;

// Client coordinates of a control, in pixels.
struct Point {
  int x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Drawing over a control right after it has painted itself. Nothing is
// acquired until Open; whatever Open acquired is released when the paint
// ends.
class PaintCanvas {
 public:
  virtual ~PaintCanvas() = default;
  // A drawing context of the control's client area, clipped to `clip`,
  // transparent background, `font` selected.
  virtual void Open(const Rect& clip, int font) = 0;
  virtual void SetTextColour(Colour colour) = 0;
  // One character with its top-left corner at the area's top-left, left-
  // and top-aligned, clipped to the area.
  virtual void DrawCharacter(char16_t character, const Rect& area) = 0;
};
using AfterPaint = std::function<void(PaintCanvas&)>;

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // The backend raises events here while it handles native messages, and
  // supplies the pump that the loop's wait uses.
  virtual EventModel& Events() = 0;

  // Windows. Operations on a number that names no window do nothing.
  virtual void OpenWindow(const WindowSpec& asked) = 0;
  virtual void ShowWindow(int window) = 0;  // normal state
  virtual void HideWindow(int window) = 0;
  virtual void ActivateWindow(int window) = 0;
  virtual bool IsWindowVisible(int window) = 0;
  virtual WindowState State(int window) = 0;
  virtual WindowGeometry Geometry(int window) = 0;
  // Where the window stands when it is in normal state, even while it is
  // minimised or maximised.
  virtual WindowGeometry NormalGeometry(int window) = 0;
  // Sets the inner size; position and z-order stay; not activated. Raises
  // the size event synchronously.
  virtual void SetInnerSize(int window, int innerWidth, int innerHeight) = 0;
  virtual void SetTopmost(int window, bool topmost) = 0;
  virtual Text Title(int window) = 0;
  virtual void SetTitle(int window, const Text& title) = 0;
  // Destroys the window with its controls and timers.
  virtual void CloseWindow(int window) = 0;

  // Fonts: a face and a size in points at the display's resolution.
  virtual void LoadFont(int font, const Text& face, int points) = 0;

  // Controls. Nothing is delivered while one is being created.
  virtual void CreateControl(const ControlSpec& asked) = 0;
  virtual void SetControlFont(int window, int control, int font) = 0;
  virtual void ResizeControl(int window, int control, int width, int height) = 0;
  virtual void FocusControl(int window, int control) = 0;
  // The whole text; an editor gives each line break as CR LF.
  virtual Text ControlText(int window, int control) = 0;
  // Replaces the whole text. On an editor this raises no change event.
  virtual void SetControlText(int window, int control, const Text& text) = 0;
  // Selects start to end; on an editor -1, -1 puts the caret at the end.
  virtual void SetSelection(int window, int control, int start, int end) = 0;

  // The editor. Positions count UTF-16 code units, a line break as one.
  // Plain text: one font and one colour for all of the text.
  virtual void SetPlainTextMode(int window, int control) = 0;
  virtual void SetEditorBackground(int window, int control, Colour colour) = 0;
  // For all text in the editor and all text entered later.
  virtual void SetEditorTextColour(int window, int control, Colour colour) = 0;
  // Replaces the selection, or inserts at the caret; the caret ends after
  // the insertion. Raises the change event; not undoable.
  virtual void ReplaceSelection(int window, int control, const Text& text) = 0;
  // The position of the first match at or after `start`, letter case
  // ignored, or -1.
  virtual int FindText(int window, int control, int start, const Text& text) = 0;
  // From now on the control accepts dropped file lists (copy action); each
  // drop raises a DropEvent.
  virtual void EnableFileDrops(int window, int control) = 0;
  // The full paths of the drop being handled, in the order of the drop.
  virtual std::vector<Text> DroppedFiles() = 0;

  // The editor's layout: the formatting rectangle (the text area), the
  // index of the character nearest a point, the top-left corner of a
  // character, and the characters first to last (last excluded) as they
  // fill a buffer of that many spaces (the text ends at a zero).
  virtual Rect FormattingRect(int window, int control) = 0;
  virtual int CharFromPos(int window, int control, Point point) = 0;
  virtual Point PosFromChar(int window, int control, int index) = 0;
  virtual Text TextRange(int window, int control, int first, int last) = 0;

  // Runs `hook` after every paint of the control, once it has painted
  // itself completely; an empty hook takes it away again. Putting one in
  // place while one is there replaces it, so there is never more than one.
  virtual void SetAfterPaint(int window, int control, AfterPaint hook) = 0;

  // Adds a shortcut to the window's table (Tab and Shift+Tab move the focus
  // from the start): a key already there gets the new command. A key press
  // is offered to the table of the active window only; a match raises
  // CommandEvent(window, command, 0) and never reaches the focused control.
  // Tab alone is typed into a writable editor that has the focus.
  virtual void AddShortcut(int window, KeyValue key, int command) = 0;

  // A tone of the given frequency and length; returns when it is over.
  virtual void Beep(int frequency, int milliseconds) = 0;

  // A TimerEvent of (window, timer) every period.
  virtual void StartTimer(int window, int timer, int milliseconds) = 0;

  // Modal to the whole program: owned by the program's window in the
  // foreground, the program's windows disabled meanwhile and none of them
  // topmost; timer messages are still delivered inside, shortcuts are not.
  // Returns when the user closes the box.
  virtual void ShowMessageBox(const Text& caption, const Text& text, BoxIcon icon) = 0;
  // The chosen full path, or empty text when the user cancelled. The folder
  // of the path must exist; the file need not.
  virtual Text ShowOpenDialog(const OpenDialogSpec& asked) = 0;

  // Called when the user's session ends (log-off, shut-down) while the
  // program runs; the program gets no close request then.
  virtual void OnSessionEnd(std::function<void()> handler) = 0;

  // The end of the program: releases the remaining windows, fonts and drop
  // registrations.
  virtual void Release() = 0;
};

}  // namespace orvel
