// Typed wrappers over the rich-edit control's messages, one small function
// per message, so that the toolkit sends none of them raw. What each message
// needs, and how the control's versions differ, is noted at its definition
// in rich_edit.cpp.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

namespace orvel::win32::rich {

// Set up once, when the editor is made.
void AllowLongestText(HWND editor);
void SetEventMask(HWND editor, DWORD mask);
void TurnOffWordWrap(HWND editor);
bool SetPlainText(HWND editor);

// Colours.
void SetBackground(HWND editor, COLORREF colour);
void SetTextColour(HWND editor, WPARAM scope, COLORREF colour);

// Text, selection and search.
int Length(HWND editor);
void SetSelection(HWND editor, int start, int end);
void ReplaceSelection(HWND editor, const std::wstring& text);
int FindForward(HWND editor, int start, const std::wstring& text);
bool IsReadOnly(HWND editor);

// Layout.
RECT FormattingRect(HWND editor);
int CharFromPos(HWND editor, POINTL point);
POINTL PosFromChar(HWND editor, int index);
std::wstring TextRange(HWND editor, int first, int last);

}  // namespace orvel::win32::rich
