#include "platform/shortcuts.h"

namespace orvel {

ShortcutTable::ShortcutTable()
    : entries_{{kKeyTab, kFocusNextCommand}, {kShiftKey | kKeyTab, kFocusPreviousCommand}} {}

void ShortcutTable::Add(KeyValue key, int command) {
  for (ShortcutEntry& entry : entries_) {
    if (entry.key == key) {
      entry.command = command;
      return;
    }
  }
  entries_.push_back({key, command});
}

const ShortcutEntry* ShortcutTable::Match(KeyValue key) const {
  for (const ShortcutEntry& entry : entries_) {
    if (entry.key == key) return &entry;
  }
  return nullptr;
}

bool OfferedToTable(KeyValue key, bool focusInWritableEditor) {
  return !(focusInWritableEditor && key == kKeyTab);
}

}  // namespace orvel
