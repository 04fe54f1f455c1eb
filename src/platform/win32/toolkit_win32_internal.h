// What the files of the Win32 toolkit share: the native headers, the records
// of numbered windows and controls, and the toolkit class, whose members are
// defined by concern across the folder (toolkit_win32.cpp, accelerators.cpp,
// after_paint.cpp, modal_boxes.cpp). Private to the backend: the program
// and the tests see toolkit_win32.h, which holds no native type.
#pragma once

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

#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/toolkit.h"

namespace orvel::win32 {

inline constexpr wchar_t kWindowClass[] = L"OrvelWindow";
inline constexpr int kProgramIconResource = 1;
// Where a subclassed control keeps its record: the window's own user data
// may be the control's.
inline constexpr wchar_t kControlProperty[] = L"Orvel.Control";

// Builds a window's accelerator table (accelerators.cpp); null for an empty
// table.
HACCEL CreateAccelerators(const ShortcutTable& table);

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
  Win32Toolkit();
  ~Win32Toolkit() override { Release(); }
  Win32Toolkit(const Win32Toolkit&) = delete;
  Win32Toolkit& operator=(const Win32Toolkit&) = delete;

  EventModel& Events() override { return events_; }

  // Windows.
  void OpenWindow(const WindowSpec& wanted) override;
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

  // Fonts and controls.
  void LoadFont(int font, const Text& face, int points) override;
  void CreateControl(const ControlSpec& wanted) override;
  void SetControlFont(int window, int control, int font) override;
  void ResizeControl(int window, int control, int width, int height) override;
  void FocusControl(int window, int control) override;
  Text ControlText(int window, int control) override;
  void SetControlText(int window, int control, const Text& text) override;
  void SetSelection(int window, int control, int start, int end) override;

  // The editor and the files dropped on it.
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

  // The after-paint hook (after_paint.cpp).
  void SetAfterPaint(int window, int control, AfterPaint hook) override;

  // Shortcut tables (accelerators.cpp).
  void AddShortcut(int window, KeyValue key, int command) override;

  void Beep(int frequency, int milliseconds) override;
  void StartTimer(int window, int timer, int milliseconds) override;

  // Modal boxes (modal_boxes.cpp).
  void ShowMessageBox(const Text& caption, const Text& text, BoxIcon icon) override;
  Text ShowOpenDialog(const OpenDialogSpec& wanted) override;

  void OnSessionEnd(std::function<void()> handler) override { sessionEnd_ = std::move(handler); }
  void Release() override;

 private:
  class ModalScope;      // modal_boxes.cpp
  class OverdrawCanvas;  // after_paint.cpp
  class QuietEditor;     // toolkit_win32.cpp

  void PumpOneMessage();

  // Shortcut tables (accelerators.cpp).
  bool TranslateShortcut(MSG& message);
  bool FocusInWritableEditor();
  void MoveFocus(const WindowRecord& record, bool backward);
  void RunShortcut(WindowRecord& record, WORD id);

  HFONT FontHandle(int font);

  // The after-paint hook (after_paint.cpp).
  void RunAfterPaint(HWND control, const AfterPaint& hook);
  static WNDPROC CurrentProc(HWND hwnd);
  static LRESULT CALLBACK AfterPaintProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  static SIZE OuterSize(DWORD style, DWORD exStyle, int innerWidth, int innerHeight);
  static Text WindowText(HWND hwnd);

  WindowRecord* FindWindowRecord(int window);
  HWND WindowHandle(int window);
  ControlRecord* FindControl(int window, int control);
  HWND ControlHandle(int window, int control);
  HWND EditorHandle(int window, int control);
  WindowRecord* OurWindow(HWND hwnd);
  ControlRecord* OurControl(HWND hwnd);

  void Raise(int kind, int window, int object, int subtype) { events_.Raise({kind, window, object, subtype}); }

  void EndSession();
  void HandleDrop(const ControlRecord& control, HDROP drop);

  // The window procedure and the drop procedure in front of the editor's.
  LRESULT HandleMessage(WindowRecord& record, UINT message, WPARAM wParam, LPARAM lParam);
  static int BackgroundColour(const WindowRecord& record);
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK DropTargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

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

}  // namespace orvel::win32
