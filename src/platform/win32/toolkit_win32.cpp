// The toolkit on Win32. Windows and controls are known by the numbers the
// program gives them; a control's id is its number. Native notifications
// become events while the window procedure handles them. Each window's
// shortcut table is an accelerator table, offered every key press in the
// pump; an after-paint hook sits in a replacement procedure of its control.
// Here: windows, fonts, controls, the editor, drops, the pump and the window
// procedure. Shortcuts, the after-paint hook and the modal boxes have files
// of their own beside this one; toolkit_win32_internal.h declares the class.
#include "platform/win32/toolkit_win32.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/win32/rich_edit.h"
#include "platform/win32/toolkit_win32_internal.h"
#include "platform/win32/wide.h"

namespace orvel {

namespace win32 {

// While it lives, EN_CHANGE from the editor raises no event.
class Win32Toolkit::QuietEditor {
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

Win32Toolkit::Win32Toolkit() : instance_(GetModuleHandleW(nullptr)) {
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

void Win32Toolkit::OpenWindow(const WindowSpec& wanted) {
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

void Win32Toolkit::ShowWindow(int window) {
  if (HWND hwnd = WindowHandle(window)) ::ShowWindow(hwnd, SW_SHOWNORMAL);
}

void Win32Toolkit::HideWindow(int window) {
  if (HWND hwnd = WindowHandle(window)) ::ShowWindow(hwnd, SW_HIDE);
}

void Win32Toolkit::ActivateWindow(int window) {
  if (HWND hwnd = WindowHandle(window)) {
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
  }
}

bool Win32Toolkit::IsWindowVisible(int window) {
  HWND hwnd = WindowHandle(window);
  return hwnd && ::IsWindowVisible(hwnd);
}

WindowState Win32Toolkit::State(int window) {
  HWND hwnd = WindowHandle(window);
  if (!hwnd) return WindowState::Normal;
  if (IsIconic(hwnd)) return WindowState::Minimised;
  if (IsZoomed(hwnd)) return WindowState::Maximised;
  return WindowState::Normal;
}

WindowGeometry Win32Toolkit::Geometry(int window) {
  HWND hwnd = WindowHandle(window);
  if (!hwnd) return {};
  RECT frame{};
  RECT client{};
  GetWindowRect(hwnd, &frame);
  GetClientRect(hwnd, &client);
  return {frame.left, frame.top, client.right - client.left, client.bottom - client.top};
}

WindowGeometry Win32Toolkit::NormalGeometry(int window) {
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

void Win32Toolkit::SetInnerSize(int window, int innerWidth, int innerHeight) {
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

void Win32Toolkit::SetTopmost(int window, bool topmost) {
  if (HWND hwnd = WindowHandle(window)) {
    SetWindowPos(hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

Text Win32Toolkit::Title(int window) {
  HWND hwnd = WindowHandle(window);
  return hwnd ? WindowText(hwnd) : Text();
}

void Win32Toolkit::SetTitle(int window, const Text& title) {
  if (HWND hwnd = WindowHandle(window)) SetWindowTextW(hwnd, Wide(title).c_str());
}

void Win32Toolkit::CloseWindow(int window) {
  // WM_NCDESTROY drops the record.
  if (HWND hwnd = WindowHandle(window)) DestroyWindow(hwnd);
}

void Win32Toolkit::LoadFont(int font, const Text& face, int points) {
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

void Win32Toolkit::CreateControl(const ControlSpec& wanted) {
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

void Win32Toolkit::SetControlFont(int window, int control, int font) {
  HWND hwnd = ControlHandle(window, control);
  if (!hwnd) return;
  if (HFONT handle = FontHandle(font)) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
}

void Win32Toolkit::ResizeControl(int window, int control, int width, int height) {
  if (HWND hwnd = ControlHandle(window, control)) {
    SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Win32Toolkit::FocusControl(int window, int control) {
  const ControlRecord* record = FindControl(window, control);
  if (!record) return;
  // SetFocus would activate the control's window; a window in the
  // background (or hidden) keeps the control for when it is activated.
  record->window->focus = record->hwnd;
  if (GetActiveWindow() == record->window->hwnd) SetFocus(record->hwnd);
}

Text Win32Toolkit::ControlText(int window, int control) {
  const ControlRecord* record = FindControl(window, control);
  if (!record) return {};
  // The rich edit keeps a line break as a lone CR (positions count it
  // once) and gives it as CR LF through WM_GETTEXT.
  return WindowText(record->hwnd);
}

void Win32Toolkit::SetControlText(int window, int control, const Text& text) {
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

void Win32Toolkit::SetSelection(int window, int control, int start, int end) {
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

void Win32Toolkit::SetPlainTextMode(int window, int control) {
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

void Win32Toolkit::SetEditorBackground(int window, int control, Colour colour) {
  if (HWND editor = EditorHandle(window, control)) rich::SetBackground(editor, colour);
}

void Win32Toolkit::SetEditorTextColour(int window, int control, Colour colour) {
  HWND editor = EditorHandle(window, control);
  if (!editor) return;
  // A colour is no change of the note, whatever the control reports.
  QuietEditor quiet(*this, editor);
  rich::SetTextColour(editor, SCF_ALL, colour);
  rich::SetTextColour(editor, SCF_DEFAULT, colour);
}

void Win32Toolkit::ReplaceSelection(int window, int control, const Text& text) {
  const ControlRecord* record = FindControl(window, control);
  if (!record || record->kind == ControlKind::StaticText || record->kind == ControlKind::Button) return;
  rich::ReplaceSelection(record->hwnd, Wide(text));  // the same message for an input field
}

int Win32Toolkit::FindText(int window, int control, int start, const Text& text) {
  HWND editor = EditorHandle(window, control);
  if (!editor) return -1;
  return rich::FindForward(editor, start, Wide(text));
}

void Win32Toolkit::EnableFileDrops(int window, int control) {
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

Rect Win32Toolkit::FormattingRect(int window, int control) {
  HWND editor = EditorHandle(window, control);
  if (!editor) return {};
  const RECT area = rich::FormattingRect(editor);
  return {area.left, area.top, area.right, area.bottom};
}

int Win32Toolkit::CharFromPos(int window, int control, Point point) {
  HWND editor = EditorHandle(window, control);
  return editor ? rich::CharFromPos(editor, {point.x, point.y}) : 0;
}

Point Win32Toolkit::PosFromChar(int window, int control, int index) {
  HWND editor = EditorHandle(window, control);
  if (!editor) return {};
  const POINTL point = rich::PosFromChar(editor, index);
  return {static_cast<int>(point.x), static_cast<int>(point.y)};
}

Text Win32Toolkit::TextRange(int window, int control, int first, int last) {
  HWND editor = EditorHandle(window, control);
  if (!editor) return {};
  const std::wstring range = rich::TextRange(editor, first, last);
  return FromWide(range.data(), range.size());
}

void Win32Toolkit::Beep(int frequency, int milliseconds) {
  ::Beep(static_cast<DWORD>(std::max(frequency, 0)), static_cast<DWORD>(std::max(milliseconds, 0)));
}

void Win32Toolkit::StartTimer(int window, int timer, int milliseconds) {
  if (HWND hwnd = WindowHandle(window)) {
    SetTimer(hwnd, static_cast<UINT_PTR>(timer), static_cast<UINT>(std::max(milliseconds, 0)), nullptr);
  }
}

void Win32Toolkit::Release() {
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

// One native message. A key press that is a shortcut goes no further: the
// focused control never sees it, and TranslateMessage makes no character
// of it. A box or dialog runs its own loop, which consults no table.
void Win32Toolkit::PumpOneMessage() {
  MSG message;
  if (GetMessageW(&message, nullptr, 0, 0) <= 0) return;
  if (TranslateShortcut(message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

HFONT Win32Toolkit::FontHandle(int font) {
  if (font == kGuiFont) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  auto found = fonts_.find(font);
  return found == fonts_.end() ? nullptr : found->second;
}

SIZE Win32Toolkit::OuterSize(DWORD style, DWORD exStyle, int innerWidth, int innerHeight) {
  RECT rect{0, 0, innerWidth, innerHeight};
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

Text Win32Toolkit::WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, buffer.data(), length + 1);
  return FromWide(buffer.data(), static_cast<std::size_t>(std::clamp(got, 0, length)));
}

WindowRecord* Win32Toolkit::FindWindowRecord(int window) {
  auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : found->second.get();
}

HWND Win32Toolkit::WindowHandle(int window) {
  const WindowRecord* record = FindWindowRecord(window);
  return record ? record->hwnd : nullptr;
}

ControlRecord* Win32Toolkit::FindControl(int window, int control) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record) return nullptr;
  auto found = record->controls.find(control);
  return found == record->controls.end() ? nullptr : found->second.get();
}

HWND Win32Toolkit::ControlHandle(int window, int control) {
  const ControlRecord* record = FindControl(window, control);
  return record ? record->hwnd : nullptr;
}

HWND Win32Toolkit::EditorHandle(int window, int control) {
  const ControlRecord* record = FindControl(window, control);
  return record && record->kind == ControlKind::Editor ? record->hwnd : nullptr;
}

// The records of a native window of ours, or null.
WindowRecord* Win32Toolkit::OurWindow(HWND hwnd) {
  if (!hwnd) return nullptr;
  for (const auto& [number, record] : windows_) {
    if (record->hwnd == hwnd) return record.get();
  }
  return nullptr;
}

ControlRecord* Win32Toolkit::OurControl(HWND hwnd) {
  WindowRecord* window = OurWindow(GetParent(hwnd));
  if (!window) return nullptr;
  auto found = window->controls.find(GetDlgCtrlID(hwnd));
  return found != window->controls.end() && found->second->hwnd == hwnd ? found->second.get() : nullptr;
}

// Once per session end, though every window hears of it.
void Win32Toolkit::EndSession() {
  if (sessionEnded_) return;
  sessionEnded_ = true;
  if (sessionEnd_) sessionEnd_();
}

void Win32Toolkit::HandleDrop(const ControlRecord& control, HDROP drop) {
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

LRESULT Win32Toolkit::HandleMessage(WindowRecord& record, UINT message, WPARAM wParam, LPARAM lParam) {
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

int Win32Toolkit::BackgroundColour(const WindowRecord& record) {
  return record.buttonFace ? COLOR_BTNFACE : COLOR_WINDOW;
}

LRESULT CALLBACK Win32Toolkit::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
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
LRESULT CALLBACK Win32Toolkit::DropTargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
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

}  // namespace win32

std::unique_ptr<Toolkit> MakeWin32Toolkit() { return std::make_unique<win32::Win32Toolkit>(); }

}  // namespace orvel
