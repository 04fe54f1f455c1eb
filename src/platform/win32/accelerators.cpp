// A window's shortcut table as a native accelerator table, offered every
// key press in the pump, and the commands it gives.
#include "platform/win32/rich_edit.h"
#include "platform/win32/toolkit_win32_internal.h"

namespace orvel::win32 {

namespace {

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

// The key of a key-down message with the modifiers held at that moment (the
// thread's key state follows the messages as they are taken from the queue).
KeyValue PressedKey(WPARAM virtualKey) {
  KeyValue key = static_cast<KeyValue>(virtualKey & 0xFFFF);
  if (GetKeyState(VK_SHIFT) < 0) key |= kShiftKey;
  if (GetKeyState(VK_CONTROL) < 0) key |= kCtrlKey;
  if (GetKeyState(VK_MENU) < 0) key |= kAltKey;
  return key;
}

}  // namespace

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

void Win32Toolkit::AddShortcut(int window, KeyValue key, int command) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record) return;
  record->shortcuts.Add(key, command);
  // An accelerator table cannot be changed: a new one replaces it.
  HACCEL rebuilt = CreateAccelerators(record->shortcuts);
  if (record->accelerators) DestroyAcceleratorTable(record->accelerators);
  record->accelerators = rebuilt;
}

// Offers a key press to the table of the window active at this moment,
// if it is one of ours; true when the table took it.
bool Win32Toolkit::TranslateShortcut(MSG& message) {
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
bool Win32Toolkit::FocusInWritableEditor() {
  HWND focus = GetFocus();
  const ControlRecord* control = focus ? OurControl(focus) : nullptr;
  return control && control->kind == ControlKind::Editor && !rich::IsReadOnly(focus);
}

// The focus commands: to the next or previous control with a tab stop,
// round from the last to the first and back.
void Win32Toolkit::MoveFocus(const WindowRecord& record, bool backward) {
  HWND focus = GetFocus();
  // With no control focused, the search starts at the end (forward gives
  // the first control, backward the last).
  HWND from = focus && IsChild(record.hwnd, focus) ? focus : nullptr;
  if (HWND next = GetNextDlgTabItem(record.hwnd, from, backward ? TRUE : FALSE)) SetFocus(next);
}

void Win32Toolkit::RunShortcut(WindowRecord& record, WORD id) {
  if (id == kFocusNextId || id == kFocusPreviousId) {
    MoveFocus(record, id == kFocusPreviousId);
    return;
  }
  Raise(kCommandEvent, record.number, id, 0);
}

}  // namespace orvel::win32
