// The after-paint hook: a procedure put in front of the control's, which
// lets each paint go on and then hands the hook a canvas over the control.
#include "platform/win32/toolkit_win32_internal.h"

#include <utility>

namespace orvel::win32 {

// The after-paint hook's drawing context: acquired by Open only, released
// when the canvas goes at the end of the paint, whichever way the hook
// left.
class Win32Toolkit::OverdrawCanvas final : public PaintCanvas {
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

void Win32Toolkit::RunAfterPaint(HWND control, const AfterPaint& hook) {
  OverdrawCanvas canvas(*this, control);
  hook(canvas);
}

WNDPROC Win32Toolkit::CurrentProc(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
}

void Win32Toolkit::SetAfterPaint(int window, int control, AfterPaint hook) {
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

// In front of the control's procedure while an after-paint hook may be
// set. Every message goes on unchanged, once, and its result is returned;
// a paint goes on first, so the hook draws over what the control painted.
LRESULT CALLBACK Win32Toolkit::AfterPaintProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
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

}  // namespace orvel::win32
