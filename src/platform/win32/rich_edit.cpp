// The rich-edit control, one small function per message. Each message's
// quirks are noted here, where it is sent.
#include "platform/win32/rich_edit.h"

#include <commdlg.h>  // FR_DOWN, for the search
#include <richedit.h>

#include <climits>

namespace orvel::win32::rich {

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

}  // namespace orvel::win32::rich
