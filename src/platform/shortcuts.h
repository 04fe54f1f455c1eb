// Per-window shortcut tables, portable: a backend realises a table natively
// (an accelerator table on Windows) and offers each key press to the table
// of the active window only.
#pragma once

#include <cstdint>
#include <vector>

namespace orvel {

// A key value: the virtual-key code in the low 16 bits (a letter by its
// upper-case code), the modifiers above it.
using KeyValue = std::uint32_t;
inline constexpr KeyValue kShiftKey = 0x10000;
inline constexpr KeyValue kCtrlKey = 0x20000;
inline constexpr KeyValue kAltKey = 0x40000;
inline constexpr KeyValue kModifierKeys = kShiftKey | kCtrlKey | kAltKey;

inline constexpr KeyValue kKeyTab = 0x09;
inline constexpr KeyValue kKeyReturn = 0x0D;
inline constexpr KeyValue kKeyEscape = 0x1B;
inline constexpr KeyValue kKeyF1 = 0x70;
inline constexpr KeyValue kKeyF3 = 0x72;
inline constexpr KeyValue kKeyF5 = 0x74;
inline constexpr KeyValue Ctrl(char letter) { return kCtrlKey | static_cast<KeyValue>(letter); }

// The toolkit's own commands: focus to the next or previous control.
inline constexpr int kFocusNextCommand = -2;
inline constexpr int kFocusPreviousCommand = -3;

struct ShortcutEntry {
  KeyValue key = 0;  // code and modifiers together
  int command = 0;
};

class ShortcutTable {
 public:
  // Starts with Tab and Shift+Tab, which move the focus.
  ShortcutTable();

  // A key already in the table gets the new command number; any other key
  // is appended.
  void Add(KeyValue key, int command);

  // The entry whose code and modifier set equal the key exactly.
  const ShortcutEntry* Match(KeyValue key) const;

  const std::vector<ShortcutEntry>& Entries() const { return entries_; }

 private:
  std::vector<ShortcutEntry> entries_;
};

// Whether a key press is offered to the table at all: Tab alone, while a
// writable editor has the focus, is typed into it instead.
bool OfferedToTable(KeyValue key, bool focusInWritableEditor);

}  // namespace orvel
