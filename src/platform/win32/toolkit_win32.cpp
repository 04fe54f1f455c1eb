// The toolkit on Win32. Windows and controls are known by the numbers the
// program gives them; a control's id is its number. Native notifications
// become events while the window procedure handles them. Each window's
// shortcut table is an accelerator table, offered every key press in the
// pump; an after-paint hook sits in a replacement procedure of its control.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commdlg.h>
#include <ole2.h>
#include <richedit.h>
#include <shellapi.h>
// commdlg.h makes FindText a macro; here it is the toolkit's operation.
#undef FindText

#include <algorithm>
#include <climits>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/toolkit_win32.h"
#include "platform/win32/wide.h"

namespace orvel {

namespace {


constexpr wchar_t kWindowClass[] = L"OrvelWindow";
constexpr int kProgramIconResource = 1;
// Where a subclassed control keeps its record: the window's own user data
// may be the control's.
constexpr wchar_t kControlProperty[] = L"Orvel.Control";

// The rich-edit control, one small function per message.
namespace rich {

// Without a limit the control stops taking text at 64K characters; this is
// the largest limit it accepts.
void AllowLongestText(HWND editor) {
  SendMessageW(editor, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(INT_MAX - 1));
}

void SetEventMask(HWND editor, DWORD mask) { SendMessageW(editor, EM_SETEVENTMASK, 0, mask); }

// A target line width of 1 (with no device) turns word wrap off; the
// scrolling styles alone do not in every version of the control.
void TurnOffWordWrap(HWND editor) { SendMessageW(editor, EM_SETTARGETDEVICE, 0, 1); }

// The control takes a new text mode only while it is empty.
bool SetPlainText(HWND editor) {
  return SendMessageW(editor, EM_SETTEXTMODE, TM_PLAINTEXT, 0) == 0;
}

void SetBackground(HWND editor, COLORREF colour) {
  SendMessageW(editor, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(colour));
}

void SetTextColour(HWND editor, WPARAM scope, COLORREF colour) {
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR;
  format.dwEffects = 0;  // no CFE_AUTOCOLOR: the colour below counts
  format.crTextColor = colour;
  SendMessageW(editor, EM_SETCHARFORMAT, scope, reinterpret_cast<LPARAM>(&format));
}

// Positions in the text, a line break counted as one.
int Length(HWND editor) {
  GETTEXTLENGTHEX how{};
  how.flags = GTL_PRECISE | GTL_NUMCHARS;
  how.codepage = 1200;  // UTF-16
  return static_cast<int>(SendMessageW(editor, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0));
}

void SetSelection(HWND editor, int start, int end) { SendMessageW(editor, EM_SETSEL, start, end); }

// Not undoable (wParam FALSE); the control sends EN_CHANGE.
void ReplaceSelection(HWND editor, const std::wstring& text) {
  SendMessageW(editor, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

// FR_DOWN is needed: since version 2.0 the control searches backwards
// without it. No FR_MATCHCASE: letter case is ignored.
int FindForward(HWND editor, int start, const std::wstring& text) {
  FINDTEXTW find{};
  find.chrg.cpMin = start;
  find.chrg.cpMax = -1;
  find.lpstrText = text.c_str();
  return static_cast<int>(SendMessageW(editor, EM_FINDTEXTW, FR_DOWN, reinterpret_cast<LPARAM>(&find)));
}

// A control made read-only by its own options takes no typing, not even a tab.
bool IsReadOnly(HWND editor) { return (SendMessageW(editor, EM_GETOPTIONS, 0, 0) & ECO_READONLY) != 0; }

RECT FormattingRect(HWND editor) {
  RECT area{};
  SendMessageW(editor, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
  return area;
}

// The rich-edit form: a POINTL in lParam and the index as the result. The
// edit control's form (coordinates packed into lParam, line and index packed
// into the result) would be misread here.
int CharFromPos(HWND editor, POINTL point) {
  return static_cast<int>(SendMessageW(editor, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&point)));
}

// The rich-edit form: a POINTL to fill in wParam, the index in lParam. The
// control tells it from the edit control's form (index in wParam, packed
// coordinates as the result) by the size of wParam, which a pointer passes.
POINTL PosFromChar(HWND editor, int index) {
  POINTL point{};
  SendMessageW(editor, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), static_cast<LPARAM>(index));
  return point;
}

// A buffer of last - first spaces and a terminating zero, filled by the
// control, read up to its first zero. The control writes nothing at all for
// a range that starts at or past the end, so the spaces are left then.
std::wstring TextRange(HWND editor, int first, int last) {
  if (last <= first) return {};
  std::wstring buffer(static_cast<std::size_t>(last - first), L' ');
  buffer.push_back(L'\0');
  TEXTRANGEW range{};
  range.chrg.cpMin = first;
  range.chrg.cpMax = last;
  range.lpstrText = buffer.data();
  SendMessageW(editor, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
  return buffer.substr(0, buffer.find(L'\0'));
}

}  // namespace rich

// Command ids of the accelerator tables. A command is a WORD there; the
// toolkit's two focus commands are negative and get two ids of their own.
// Ids of the system menu (SC_CLOSE and its kind, 0xF000 and up) are no
// use, for these or for the program's commands: an accelerator whose id is
// an item of the window's system menu becomes WM_SYSCOMMAND, not WM_COMMAND.
constexpr WORD kFocusNextId = 0xFFFE;
constexpr WORD kFocusPreviousId = 0xFFFD;

WORD AcceleratorId(int command) {
  if (command == kFocusNextCommand) return kFocusNextId;
  if (command == kFocusPreviousCommand) return kFocusPreviousId;
  return static_cast<WORD>(command);
}

// The native form of a window's shortcut table.
HACCEL CreateAccelerators(const ShortcutTable& table) {
  std::vector<ACCEL> entries;
  for (const ShortcutEntry& entry : table.Entries()) {
    ACCEL accelerator{};
    accelerator.fVirt = FVIRTKEY | FNOINVERT;
    if (entry.key & kShiftKey) accelerator.fVirt |= FSHIFT;
    if (entry.key & kCtrlKey) accelerator.fVirt |= FCONTROL;
    if (entry.key & kAltKey) accelerator.fVirt |= FALT;
    accelerator.key = static_cast<WORD>(entry.key & 0xFFFF);
    accelerator.cmd = AcceleratorId(entry.command);
    entries.push_back(accelerator);
  }
  if (entries.empty()) return nullptr;
  return CreateAcceleratorTableW(entries.data(), static_cast<int>(entries.size()));
}

// The key of a key-down message with the modifiers held at that moment (the
// thread's key state follows the messages as they are taken from the queue).
KeyValue PressedKey(WPARAM virtualKey) {
  KeyValue key = static_cast<KeyValue>(virtualKey & 0xFFFF);
  if (GetKeyState(VK_SHIFT) < 0) key |= kShiftKey;
  if (GetKeyState(VK_CONTROL) < 0) key |= kCtrlKey;
  if (GetKeyState(VK_MENU) < 0) key |= kAltKey;
  return key;
}

// Spaces off both ends.
std::wstring TrimSpaces(const Text& text) {
  const auto first = text.find_first_not_of(u' ');
  if (first == Text::npos) return {};
  const auto last = text.find_last_not_of(u' ');
  return Wide(text.substr(first, last - first + 1));
}

class Win32Toolkit;

struct WindowRecord;

struct ControlRecord {
  WindowRecord* window = nullptr;
  int number = 0;
  ControlKind kind = ControlKind::Editor;
  HWND hwnd = nullptr;
  WNDPROC nativeProc = nullptr;  // set once the control is subclassed for drops
  // Set while the after-paint procedure is in the control's chain: the
  // procedure it replaced, which it passes every message to.
  WNDPROC paintProc = nullptr;
  AfterPaint afterPaint;
};

struct WindowRecord {
  Win32Toolkit* toolkit = nullptr;
  int number = 0;
  HWND hwnd = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  bool buttonFace = false;
  HWND focus = nullptr;  // the control that had the focus when the window was left
  std::map<int, std::unique_ptr<ControlRecord>> controls;
  ShortcutTable shortcuts;
  HACCEL accelerators = nullptr;  // built from `shortcuts` after every change
};

class Win32Toolkit final : public Toolkit {
 public:
  Win32Toolkit() : instance_(GetModuleHandleW(nullptr)) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Win32Toolkit::WindowProc;
    windowClass.hInstance = instance_;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // No class brush: each window paints its own background (WM_ERASEBKGND).
    windowClass.lpszClassName = kWindowClass;
    classAtom_ = RegisterClassExW(&windowClass);
    events_.SetNativePump([this] { PumpOneMessage(); });
  }

  ~Win32Toolkit() override { Release(); }
  Win32Toolkit(const Win32Toolkit&) = delete;
  Win32Toolkit& operator=(const Win32Toolkit&) = delete;

  EventModel& Events() override { return events_; }

  void OpenWindow(const WindowSpec& wanted) override {
    CloseWindow(wanted.number);  // a number names one window
    auto record = std::make_unique<WindowRecord>();
    record->toolkit = this;
    record->number = wanted.number;
    record->style = wanted.style == WindowStyle::Overlapped ? WS_OVERLAPPEDWINDOW : (WS_CAPTION | WS_SYSMENU);
    record->exStyle = 0;
    record->buttonFace = wanted.buttonFace;
    const SIZE outer = OuterSize(record->style, record->exStyle, wanted.innerWidth, wanted.innerHeight);
    int x = wanted.x;
    int y = wanted.y;
    if (wanted.centred) {
      const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
      const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
      x = (screenWidth - std::min<int>(screenWidth, outer.cx)) / 2;
      y = (screenHeight - std::min<int>(screenHeight, outer.cy)) / 2;
    }
    WindowRecord* raw = record.get();
    windows_[wanted.number] = std::move(record);
    // Creating and showing the window sends WM_SIZE and WM_ACTIVATE; none of
    // that becomes an event: the program lays out a new window itself.
    EventModel::CreatingControl creating(events_);
    const std::wstring title = Wide(wanted.title);
    HWND hwnd = CreateWindowExW(raw->exStyle, kWindowClass, title.c_str(), raw->style, x, y, outer.cx,
                                outer.cy, nullptr, nullptr, instance_, raw);
    if (!hwnd) {
      windows_.erase(wanted.number);
      return;
    }
    raw->accelerators = CreateAccelerators(raw->shortcuts);  // Tab and Shift+Tab from the start
    if (wanted.programIcon) {
      const auto icon = [&](int sizeMetric) {
        const int size = GetSystemMetrics(sizeMetric);
        return reinterpret_cast<LPARAM>(LoadImageW(instance_, MAKEINTRESOURCEW(kProgramIconResource),
                                                   IMAGE_ICON, size, size, LR_SHARED));
      };
      SendMessageW(hwnd, WM_SETICON, ICON_BIG, icon(SM_CXICON));
      SendMessageW(hwnd, WM_SETICON, ICON_SMALL, icon(SM_CXSMICON));
    }
    if (wanted.visible) ::ShowWindow(hwnd, SW_SHOWNORMAL);  // shows and activates
  }

  void ShowWindow(int window) override {
    if (HWND hwnd = WindowHandle(window)) ::ShowWindow(hwnd, SW_SHOWNORMAL);
  }

  void HideWindow(int window) override {
    if (HWND hwnd = WindowHandle(window)) ::ShowWindow(hwnd, SW_HIDE);
  }

  void ActivateWindow(int window) override {
    if (HWND hwnd = WindowHandle(window)) {
      SetForegroundWindow(hwnd);
      SetActiveWindow(hwnd);
    }
  }

  bool IsWindowVisible(int window) override {
    HWND hwnd = WindowHandle(window);
    return hwnd && ::IsWindowVisible(hwnd);
  }

  WindowState State(int window) override {
    HWND hwnd = WindowHandle(window);
    if (!hwnd) return WindowState::Normal;
    if (IsIconic(hwnd)) return WindowState::Minimised;
    if (IsZoomed(hwnd)) return WindowState::Maximised;
    return WindowState::Normal;
  }

  WindowGeometry Geometry(int window) override {
    HWND hwnd = WindowHandle(window);
    if (!hwnd) return {};
    RECT frame{};
    RECT client{};
    GetWindowRect(hwnd, &frame);
    GetClientRect(hwnd, &client);
    return {frame.left, frame.top, client.right - client.left, client.bottom - client.top};
  }

  WindowGeometry NormalGeometry(int window) override {
    const WindowRecord* record = FindWindowRecord(window);
    if (!record) return {};
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(record->hwnd, &placement)) return {};
    // The normal position is in workspace coordinates: relative to the work
    // area of the window's monitor (the taskbar left or top shifts it).
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(record->hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& normal = placement.rcNormalPosition;
    const SIZE frame = OuterSize(record->style, record->exStyle, 0, 0);
    return {normal.left + monitor.rcWork.left - monitor.rcMonitor.left,
            normal.top + monitor.rcWork.top - monitor.rcMonitor.top,
            (normal.right - normal.left) - frame.cx, (normal.bottom - normal.top) - frame.cy};
  }

  void SetInnerSize(int window, int innerWidth, int innerHeight) override {
    const WindowRecord* record = FindWindowRecord(window);
    if (!record) return;
    const SIZE outer = OuterSize(record->style, record->exStyle, innerWidth, innerHeight);
    // WM_SIZE arrives inside this call, so the size event is raised before
    // it returns. When the size stays as it is the system sends none; the
    // event is raised all the same.
    const int sizeEventsBefore = sizeEvents_;
    SetWindowPos(record->hwnd, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (sizeEvents_ == sizeEventsBefore) Raise(kSizeEvent, window, 0, 0);
  }

  void SetTopmost(int window, bool topmost) override {
    if (HWND hwnd = WindowHandle(window)) {
      SetWindowPos(hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }

  Text Title(int window) override {
    HWND hwnd = WindowHandle(window);
    return hwnd ? WindowText(hwnd) : Text();
  }

  void SetTitle(int window, const Text& title) override {
    if (HWND hwnd = WindowHandle(window)) SetWindowTextW(hwnd, Wide(title).c_str());
  }

  void CloseWindow(int window) override {
    // WM_NCDESTROY drops the record.
    if (HWND hwnd = WindowHandle(window)) DestroyWindow(hwnd);
  }

  void LoadFont(int font, const Text& face, int points) override {
    if (font == kGuiFont) return;  // the stock font is not ours to replace
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    HFONT handle = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH | FF_DONTCARE, Wide(face).c_str());
    if (!handle) return;
    // A control may still draw with the font this number named before, so
    // that one is kept until the end.
    if (auto old = fonts_.find(font); old != fonts_.end()) retiredFonts_.push_back(old->second);
    fonts_[font] = handle;
  }

  void CreateControl(const ControlSpec& wanted) override {
    WindowRecord* window = FindWindowRecord(wanted.window);
    if (!window) return;
    EventModel::CreatingControl creating(events_);
    if (auto old = window->controls.find(wanted.number); old != window->controls.end()) {
      DestroyWindow(old->second->hwnd);  // while its record still serves its procedure
      window->controls.erase(old);
    }
    const wchar_t* className = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    switch (wanted.kind) {
      case ControlKind::Editor:
        if (!richEditLibrary_) richEditLibrary_ = LoadLibraryW(L"riched20.dll");
        className = RICHEDIT_CLASSW;  // "RichEdit20W"
        style |= WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL |
                 ES_WANTRETURN | WS_TABSTOP;
        break;
      case ControlKind::StaticText:
        className = L"STATIC";
        style |= SS_LEFT | SS_NOPREFIX;
        break;
      case ControlKind::Input:
        className = L"EDIT";
        style |= ES_AUTOHSCROLL | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::Button:
        className = L"BUTTON";
        style |= BS_PUSHBUTTON | WS_TABSTOP;
        break;
    }
    HWND hwnd = CreateWindowExW(exStyle, className, nullptr, style, wanted.x, wanted.y, wanted.width, wanted.height,
                                window->hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(wanted.number)),
                                instance_, nullptr);
    if (!hwnd) return;
    auto control = std::make_unique<ControlRecord>();
    control->window = window;
    control->number = wanted.number;
    control->kind = wanted.kind;
    control->hwnd = hwnd;
    window->controls[wanted.number] = std::move(control);
    if (wanted.kind == ControlKind::Editor) {
      rich::AllowLongestText(hwnd);
      rich::TurnOffWordWrap(hwnd);
      rich::SetEventMask(hwnd, ENM_CHANGE);
    }
    SetWindowTextW(hwnd, Wide(wanted.text).c_str());
  }

  void SetControlFont(int window, int control, int font) override {
    HWND hwnd = ControlHandle(window, control);
    if (!hwnd) return;
    if (HFONT handle = FontHandle(font)) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
  }

  void ResizeControl(int window, int control, int width, int height) override {
    if (HWND hwnd = ControlHandle(window, control)) {
      SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }

  void FocusControl(int window, int control) override {
    const ControlRecord* record = FindControl(window, control);
    if (!record) return;
    // SetFocus would activate the control's window; a window in the
    // background (or hidden) keeps the control for when it is activated.
    record->window->focus = record->hwnd;
    if (GetActiveWindow() == record->window->hwnd) SetFocus(record->hwnd);
  }

  Text ControlText(int window, int control) override {
    const ControlRecord* record = FindControl(window, control);
    if (!record) return {};
    // The rich edit keeps a line break as a lone CR (positions count it
    // once) and gives it as CR LF through WM_GETTEXT.
    return WindowText(record->hwnd);
  }

  void SetControlText(int window, int control, const Text& text) override {
    const ControlRecord* record = FindControl(window, control);
    if (!record) return;
    if (record->kind != ControlKind::Editor) {
      SetWindowTextW(record->hwnd, Wide(text).c_str());
      return;
    }
    // WM_SETTEXT makes the rich edit send EN_CHANGE; replacing the whole
    // text is not a change of the note, so no event comes out of it.
    QuietEditor quiet(*this, record->hwnd);
    SetWindowTextW(record->hwnd, Wide(text).c_str());
  }

  void SetSelection(int window, int control, int start, int end) override {
    const ControlRecord* record = FindControl(window, control);
    if (!record) return;
    if (record->kind != ControlKind::Editor) {
      SendMessageW(record->hwnd, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
      return;
    }
    if (start == -1 && end == -1) {
      // The edit control takes a start of -1 as "drop the selection, keep
      // the caret"; rich-edit versions differ. The end is asked for by its
      // position instead.
      start = end = rich::Length(record->hwnd);
    }
    rich::SetSelection(record->hwnd, start, end);
  }

  void SetPlainTextMode(int window, int control) override {
    HWND editor = EditorHandle(window, control);
    if (!editor) return;
    if (rich::SetPlainText(editor)) return;
    // Refused because the control holds text: empty it for the change.
    const std::wstring text = Wide(WindowText(editor));
    QuietEditor quiet(*this, editor);
    SetWindowTextW(editor, L"");
    rich::SetPlainText(editor);
    SetWindowTextW(editor, text.c_str());
  }

  void SetEditorBackground(int window, int control, Colour colour) override {
    if (HWND editor = EditorHandle(window, control)) rich::SetBackground(editor, colour);
  }

  void SetEditorTextColour(int window, int control, Colour colour) override {
    HWND editor = EditorHandle(window, control);
    if (!editor) return;
    // A colour is no change of the note, whatever the control reports.
    QuietEditor quiet(*this, editor);
    rich::SetTextColour(editor, SCF_ALL, colour);
    rich::SetTextColour(editor, SCF_DEFAULT, colour);
  }

  void ReplaceSelection(int window, int control, const Text& text) override {
    const ControlRecord* record = FindControl(window, control);
    if (!record || record->kind == ControlKind::StaticText || record->kind == ControlKind::Button) return;
    rich::ReplaceSelection(record->hwnd, Wide(text));  // the same message for an input field
  }

  int FindText(int window, int control, int start, const Text& text) override {
    HWND editor = EditorHandle(window, control);
    if (!editor) return -1;
    return rich::FindForward(editor, start, Wide(text));
  }

  void EnableFileDrops(int window, int control) override {
    ControlRecord* record = FindControl(window, control);
    if (!record || record->kind != ControlKind::Editor || record->nativeProc) return;
    // The rich edit registers an OLE drop target of its own (when OLE is
    // initialised in the thread), which takes text, not file lists, and
    // which a drag prefers to WM_DROPFILES. Without it, a drop of files
    // comes as WM_DROPFILES, which the subclass below turns into a DropEvent
    // before the control sees it, so the control's EN_DROPFILES is not needed.
    RevokeDragDrop(record->hwnd);
    SetPropW(record->hwnd, kControlProperty, record);
    record->nativeProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(record->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Toolkit::DropTargetProc)));
    DragAcceptFiles(record->hwnd, TRUE);
  }

  std::vector<Text> DroppedFiles() override { return dropped_; }

  Rect FormattingRect(int window, int control) override {
    HWND editor = EditorHandle(window, control);
    if (!editor) return {};
    const RECT area = rich::FormattingRect(editor);
    return {area.left, area.top, area.right, area.bottom};
  }

  int CharFromPos(int window, int control, Point point) override {
    HWND editor = EditorHandle(window, control);
    return editor ? rich::CharFromPos(editor, {point.x, point.y}) : 0;
  }

  Point PosFromChar(int window, int control, int index) override {
    HWND editor = EditorHandle(window, control);
    if (!editor) return {};
    const POINTL point = rich::PosFromChar(editor, index);
    return {static_cast<int>(point.x), static_cast<int>(point.y)};
  }

  Text TextRange(int window, int control, int first, int last) override {
    HWND editor = EditorHandle(window, control);
    if (!editor) return {};
    const std::wstring range = rich::TextRange(editor, first, last);
    return FromWide(range.data(), range.size());
  }

  void SetAfterPaint(int window, int control, AfterPaint hook) override {
    ControlRecord* record = FindControl(window, control);
    if (!record) return;
    HWND hwnd = record->hwnd;
    if (hook) {
      record->afterPaint = std::move(hook);
      // With the procedure already in the chain only the hook changes: put
      // in place again, it would become its own replaced procedure and call
      // itself for ever.
      if (!record->paintProc) {
        SetPropW(hwnd, kControlProperty, record);
        // The pointer-sized call: SetWindowLongW would cut the procedure's
        // address in half on a 64-bit build.
        record->paintProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Toolkit::AfterPaintProc)));
      }
    } else {
      record->afterPaint = nullptr;
      // The replaced procedure goes back only while ours is the one in place.
      // When another was put in front of ours since (the drop procedure), it
      // calls ours, so ours stays and passes every message on, hook or none.
      if (record->paintProc && CurrentProc(hwnd) == &Win32Toolkit::AfterPaintProc) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record->paintProc));
        record->paintProc = nullptr;
        if (!record->nativeProc) RemovePropW(hwnd, kControlProperty);
      }
    }
    // The next paint shows the hook's drawing, or the text without it.
    InvalidateRect(hwnd, nullptr, TRUE);
  }

  void AddShortcut(int window, KeyValue key, int command) override {
    WindowRecord* record = FindWindowRecord(window);
    if (!record) return;
    record->shortcuts.Add(key, command);
    // An accelerator table cannot be changed: a new one replaces it.
    HACCEL rebuilt = CreateAccelerators(record->shortcuts);
    if (record->accelerators) DestroyAcceleratorTable(record->accelerators);
    record->accelerators = rebuilt;
  }

  void Beep(int frequency, int milliseconds) override {
    ::Beep(static_cast<DWORD>(std::max(frequency, 0)), static_cast<DWORD>(std::max(milliseconds, 0)));
  }

  void StartTimer(int window, int timer, int milliseconds) override {
    if (HWND hwnd = WindowHandle(window)) {
      SetTimer(hwnd, static_cast<UINT_PTR>(timer), static_cast<UINT>(std::max(milliseconds, 0)), nullptr);
    }
  }

  void ShowMessageBox(const Text& caption, const Text& text, BoxIcon icon) override {
    ModalScope modal(*this);
    const UINT flags = MB_OK | (icon == BoxIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION);
    // The box runs its own message loop; WM_TIMER still reaches the window
    // procedure there, so timer events keep coming.
    MessageBoxW(modal.owner(), Wide(text).c_str(), Wide(caption).c_str(), flags);
  }

  Text ShowOpenDialog(const OpenDialogSpec& wanted) override {
    ModalScope modal(*this);
    std::wstring filter = TrimSpaces(wanted.filterLabel);
    filter += L'\0';
    filter += TrimSpaces(wanted.filterPatterns);
    filter += L'\0';  // the string's own terminator is the second one
    wchar_t file[MAX_PATH] = {};
    const std::wstring title = Wide(wanted.title);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = modal.owner();
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrTitle = title.c_str();
    // The folder must exist, the file need not (OFN_FILEMUSTEXIST left out).
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameW(&dialog)) return {};
    return FromWide(file, wcsnlen(file, MAX_PATH));
  }

  void OnSessionEnd(std::function<void()> handler) override { sessionEnd_ = std::move(handler); }

  void Release() override {
    std::vector<HWND> open;
    for (const auto& [number, record] : windows_) open.push_back(record->hwnd);
    for (HWND hwnd : open) DestroyWindow(hwnd);
    windows_.clear();
    for (const auto& [number, font] : fonts_) DeleteObject(font);
    fonts_.clear();
    for (HFONT font : retiredFonts_) DeleteObject(font);
    retiredFonts_.clear();
    dropped_.clear();
    if (classAtom_) {
      UnregisterClassW(kWindowClass, instance_);
      classAtom_ = 0;
    }
    if (richEditLibrary_) {
      FreeLibrary(richEditLibrary_);
      richEditLibrary_ = nullptr;
    }
  }

 private:
  // While a modal box or dialog is open: the program's other visible windows
  // are disabled (the box disables its owner itself) and none of them stays
  // topmost above it. Everything is put back when the box is gone.
  class ModalScope {
   public:
    explicit ModalScope(Win32Toolkit& toolkit) {
      HWND foreground = GetForegroundWindow();
      DWORD process = 0;
      if (foreground) GetWindowThreadProcessId(foreground, &process);
      if (process == GetCurrentProcessId()) owner_ = foreground;
      for (const auto& [number, record] : toolkit.windows_) {
        HWND hwnd = record->hwnd;
        if (!::IsWindowVisible(hwnd)) continue;
        if ((GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) {
          SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
          topmost_.push_back(hwnd);
        }
        // The owner is left to the box: it disables the owner and enables it
        // again before it goes, so that the owner gets the activation back.
        // An owner disabled by us would still be disabled at that moment and
        // the activation would go to another program.
        if (hwnd != owner_ && IsWindowEnabled(hwnd)) {
          EnableWindow(hwnd, FALSE);
          disabled_.push_back(hwnd);
        }
      }
    }
    ~ModalScope() {
      for (HWND hwnd : disabled_) {
        if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
      }
      for (HWND hwnd : topmost_) {
        if (IsWindow(hwnd)) {
          SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
      }
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
    HWND owner() const { return owner_; }

   private:
    HWND owner_ = nullptr;
    std::vector<HWND> disabled_;
    std::vector<HWND> topmost_;
  };

  // One native message. A key press that is a shortcut goes no further: the
  // focused control never sees it, and TranslateMessage makes no character
  // of it. A box or dialog runs its own loop, which consults no table.
  void PumpOneMessage() {
    MSG message;
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) return;
    if (TranslateShortcut(message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }

  // Offers a key press to the table of the window active at this moment,
  // if it is one of ours; true when the table took it.
  bool TranslateShortcut(MSG& message) {
    // Every entry is a virtual-key one, which only the key-down messages
    // match (WM_SYSKEYDOWN while Alt is held, or for F10).
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    const WindowRecord* active = OurWindow(GetActiveWindow());
    if (!active || !active->accelerators) return false;
    if (!OfferedToTable(PressedKey(message.wParam), FocusInWritableEditor())) return false;
    return TranslateAcceleratorW(active->hwnd, active->accelerators, &message) != 0;
  }

  // Whether the focus is in one of our editors that takes typing: Tab alone
  // is typed there instead of moving the focus.
  bool FocusInWritableEditor() {
    HWND focus = GetFocus();
    const ControlRecord* control = focus ? OurControl(focus) : nullptr;
    return control && control->kind == ControlKind::Editor && !rich::IsReadOnly(focus);
  }

  // The focus commands: to the next or previous control with a tab stop,
  // round from the last to the first and back.
  void MoveFocus(const WindowRecord& record, bool backward) {
    HWND focus = GetFocus();
    // With no control focused, the search starts at the end (forward gives
    // the first control, backward the last).
    HWND from = focus && IsChild(record.hwnd, focus) ? focus : nullptr;
    if (HWND next = GetNextDlgTabItem(record.hwnd, from, backward ? TRUE : FALSE)) SetFocus(next);
  }

  void RunShortcut(WindowRecord& record, WORD id) {
    if (id == kFocusNextId || id == kFocusPreviousId) {
      MoveFocus(record, id == kFocusPreviousId);
      return;
    }
    Raise(kCommandEvent, record.number, id, 0);
  }

  HFONT FontHandle(int font) {
    if (font == kGuiFont) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    auto found = fonts_.find(font);
    return found == fonts_.end() ? nullptr : found->second;
  }

  // The after-paint hook's drawing context: acquired by Open only, released
  // when the canvas goes at the end of the paint, whichever way the hook
  // left.
  class OverdrawCanvas final : public PaintCanvas {
   public:
    OverdrawCanvas(Win32Toolkit& toolkit, HWND control) : toolkit_(toolkit), control_(control) {}
    ~OverdrawCanvas() override { Close(); }
    OverdrawCanvas(const OverdrawCanvas&) = delete;
    OverdrawCanvas& operator=(const OverdrawCanvas&) = delete;

    void Open(const Rect& clip, int font) override {
      Close();  // opened again: a fresh context
      dc_ = GetDC(control_);
      if (!dc_) return;
      region_ = CreateRectRgn(clip.left, clip.top, clip.right, clip.bottom);
      // The context takes a copy of the region; ours is deleted at the end.
      SelectClipRgn(dc_, region_);
      SetBkMode(dc_, TRANSPARENT);
      // A font number that names no font leaves the context's own.
      if (HFONT handle = toolkit_.FontHandle(font)) oldFont_ = SelectObject(dc_, handle);
    }

    // Before Open there is nothing to draw on; these do nothing then.
    void SetTextColour(Colour colour) override {
      if (dc_) SetTextColor(dc_, colour);
    }

    // Format 0: left and top aligned, clipped to the area. A lone '&' would
    // be taken as the prefix of a mnemonic and draw nothing.
    void DrawCharacter(char16_t character, const Rect& area) override {
      if (!dc_) return;
      wchar_t one = static_cast<wchar_t>(character);
      RECT rect{area.left, area.top, area.right, area.bottom};
      DrawTextW(dc_, &one, 1, &rect, 0);
    }

   private:
    void Close() {
      if (!dc_) return;
      if (oldFont_) SelectObject(dc_, oldFont_);
      if (region_) DeleteObject(region_);
      ReleaseDC(control_, dc_);
      dc_ = nullptr;
      region_ = nullptr;
      oldFont_ = nullptr;
    }

    Win32Toolkit& toolkit_;
    HWND control_;
    HDC dc_ = nullptr;
    HRGN region_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
  };

  void RunAfterPaint(HWND control, const AfterPaint& hook) {
    OverdrawCanvas canvas(*this, control);
    hook(canvas);
  }

  static WNDPROC CurrentProc(HWND hwnd) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
  }

  static SIZE OuterSize(DWORD style, DWORD exStyle, int innerWidth, int innerHeight) {
    RECT rect{0, 0, innerWidth, innerHeight};
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return {rect.right - rect.left, rect.bottom - rect.top};
  }

  static Text WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) return {};
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, buffer.data(), length + 1);
    return FromWide(buffer.data(), static_cast<std::size_t>(std::clamp(got, 0, length)));
  }

  // While it lives, EN_CHANGE from the editor raises no event.
  class QuietEditor {
   public:
    QuietEditor(Win32Toolkit& toolkit, HWND editor) : toolkit_(toolkit), outer_(toolkit.quietEditor_) {
      toolkit_.quietEditor_ = editor;
    }
    ~QuietEditor() { toolkit_.quietEditor_ = outer_; }
    QuietEditor(const QuietEditor&) = delete;
    QuietEditor& operator=(const QuietEditor&) = delete;

   private:
    Win32Toolkit& toolkit_;
    HWND outer_;
  };

  WindowRecord* FindWindowRecord(int window) {
    auto found = windows_.find(window);
    return found == windows_.end() ? nullptr : found->second.get();
  }
  HWND WindowHandle(int window) {
    const WindowRecord* record = FindWindowRecord(window);
    return record ? record->hwnd : nullptr;
  }
  ControlRecord* FindControl(int window, int control) {
    WindowRecord* record = FindWindowRecord(window);
    if (!record) return nullptr;
    auto found = record->controls.find(control);
    return found == record->controls.end() ? nullptr : found->second.get();
  }
  HWND ControlHandle(int window, int control) {
    const ControlRecord* record = FindControl(window, control);
    return record ? record->hwnd : nullptr;
  }
  HWND EditorHandle(int window, int control) {
    const ControlRecord* record = FindControl(window, control);
    return record && record->kind == ControlKind::Editor ? record->hwnd : nullptr;
  }
  // The records of a native window of ours, or null.
  WindowRecord* OurWindow(HWND hwnd) {
    if (!hwnd) return nullptr;
    for (const auto& [number, record] : windows_) {
      if (record->hwnd == hwnd) return record.get();
    }
    return nullptr;
  }
  ControlRecord* OurControl(HWND hwnd) {
    WindowRecord* window = OurWindow(GetParent(hwnd));
    if (!window) return nullptr;
    auto found = window->controls.find(GetDlgCtrlID(hwnd));
    return found != window->controls.end() && found->second->hwnd == hwnd ? found->second.get() : nullptr;
  }

  void Raise(int kind, int window, int object, int subtype) { events_.Raise({kind, window, object, subtype}); }

  // Once per session end, though every window hears of it.
  void EndSession() {
    if (sessionEnded_) return;
    sessionEnded_ = true;
    if (sessionEnd_) sessionEnd_();
  }

  void HandleDrop(const ControlRecord& control, HDROP drop) {
    dropped_.clear();
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      const UINT length = DragQueryFileW(drop, i, nullptr, 0);
      std::wstring path(length + 1, L'\0');
      const UINT got = DragQueryFileW(drop, i, path.data(), length + 1);
      dropped_.push_back(FromWide(path.data(), std::min(got, length)));
    }
    Raise(kDropEvent, control.window->number, control.number, 0);
    DragFinish(drop);
  }

  LRESULT HandleMessage(WindowRecord& record, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = record.hwnd;
    switch (message) {
      case WM_COMMAND:
        // From an accelerator: 1 in the high word, no sender.
        if (lParam == 0 && HIWORD(wParam) == 1) {
          RunShortcut(record, LOWORD(wParam));
          return 0;
        }
        if (lParam != 0) {
          const HWND sender = reinterpret_cast<HWND>(lParam);
          const int code = HIWORD(wParam);
          const int number = GetDlgCtrlID(sender);
          if (record.controls.count(number) == 0) break;
          if (code == EN_CHANGE && sender == quietEditor_) return 0;
          Raise(kControlEvent, record.number, number, code);
          return 0;
        }
        break;
      case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
          ++sizeEvents_;
          Raise(kSizeEvent, record.number, 0, 0);
        }
        return 0;
      case WM_CLOSE:
        // A close request is the program's to answer; the window stays.
        Raise(kCloseEvent, record.number, record.number, 0);
        return 0;
      case WM_TIMER:
        Raise(kTimerEvent, record.number, static_cast<int>(wParam), 0);
        return 0;
      case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
          HWND focus = GetFocus();
          if (focus && IsChild(hwnd, focus)) record.focus = focus;
        } else if (!HIWORD(wParam) && record.focus && IsWindow(record.focus) && IsChild(hwnd, record.focus)) {
          SetFocus(record.focus);
          return 0;
        }
        break;
      case WM_QUERYENDSESSION:
        EndSession();
        return TRUE;
      case WM_ENDSESSION:
        if (wParam) EndSession();
        return 0;
      case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(BackgroundColour(record)));
        return 1;
      }
      case WM_CTLCOLORSTATIC: {
        // Static text takes the window's background, not always button face.
        const int colour = BackgroundColour(record);
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(colour));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(colour));
      }
      case WM_NCDESTROY: {
        const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (record.accelerators) DestroyAcceleratorTable(record.accelerators);
        record.accelerators = nullptr;
        auto found = windows_.find(record.number);
        if (found != windows_.end() && found->second.get() == &record) windows_.erase(found);
        return result;
      }
      default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  static int BackgroundColour(const WindowRecord& record) {
    return record.buttonFace ? COLOR_BTNFACE : COLOR_WINDOW;
  }

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* record = static_cast<WindowRecord*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      record->hwnd = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
    }
    auto* record = reinterpret_cast<WindowRecord*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!record) return DefWindowProcW(hwnd, message, wParam, lParam);
    return record->toolkit->HandleMessage(*record, message, wParam, lParam);
  }

  // The editor's own procedure, in front of the rich edit's, once it takes drops.
  static LRESULT CALLBACK DropTargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* control = static_cast<ControlRecord*>(GetPropW(hwnd, kControlProperty));
    if (!control) return DefWindowProcW(hwnd, message, wParam, lParam);
    const WNDPROC native = control->nativeProc;
    switch (message) {
      case WM_DROPFILES:
        control->window->toolkit->HandleDrop(*control, reinterpret_cast<HDROP>(wParam));
        return 0;
      case WM_NCDESTROY: {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(native));
        // The record goes only after the procedures behind this one (the
        // after-paint one among them) have had the message too.
        const LRESULT result = CallWindowProcW(native, hwnd, message, wParam, lParam);
        RemovePropW(hwnd, kControlProperty);
        return result;
      }
      default:
        break;
    }
    return CallWindowProcW(native, hwnd, message, wParam, lParam);
  }

  // In front of the control's procedure while an after-paint hook may be
  // set. Every message goes on unchanged, once, and its result is returned;
  // a paint goes on first, so the hook draws over what the control painted.
  static LRESULT CALLBACK AfterPaintProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* control = static_cast<ControlRecord*>(GetPropW(hwnd, kControlProperty));
    if (!control || !control->paintProc) return DefWindowProcW(hwnd, message, wParam, lParam);
    const WNDPROC replaced = control->paintProc;
    if (message == WM_NCDESTROY) {
      if (CurrentProc(hwnd) == &Win32Toolkit::AfterPaintProc) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(replaced));
      }
      control->paintProc = nullptr;
      control->afterPaint = nullptr;
      const LRESULT result = CallWindowProcW(replaced, hwnd, message, wParam, lParam);
      RemovePropW(hwnd, kControlProperty);
      return result;
    }
    const LRESULT result = CallWindowProcW(replaced, hwnd, message, wParam, lParam);
    if (message == WM_PAINT && control->afterPaint) {
      // A copy: the hook may replace or remove itself while it runs.
      const AfterPaint hook = control->afterPaint;
      control->window->toolkit->RunAfterPaint(hwnd, hook);
    }
    return result;
  }

  HINSTANCE instance_;
  ATOM classAtom_ = 0;
  HMODULE richEditLibrary_ = nullptr;
  EventModel events_;
  std::map<int, std::unique_ptr<WindowRecord>> windows_;
  std::map<int, HFONT> fonts_;
  std::vector<HFONT> retiredFonts_;
  std::vector<Text> dropped_;
  std::function<void()> sessionEnd_;
  bool sessionEnded_ = false;
  HWND quietEditor_ = nullptr;
  int sizeEvents_ = 0;
};

}  // namespace

std::unique_ptr<Toolkit> MakeWin32Toolkit() { return std::make_unique<Win32Toolkit>(); }

}  // namespace orvel
