#include "platform/qt/qt_keys.h"

#include <QKeyEvent>

namespace orvel::qt {

namespace {

KeyValue VirtualKey(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<KeyValue>('A' + (key - Qt::Key_A));
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<KeyValue>('0' + (key - Qt::Key_0));
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<KeyValue>(kKeyF1 + (key - Qt::Key_F1));
  switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return kKeyTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return kKeyReturn;
    case Qt::Key_Escape: return kKeyEscape;
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    default: return 0;
  }
}

}  // namespace

KeyValue KeyValueOf(const QKeyEvent& event) {
  const KeyValue code = VirtualKey(event.key());
  if (code == 0) return 0;
  KeyValue key = code;
  const Qt::KeyboardModifiers held = event.modifiers();
  // Shift+Tab comes as a key of its own, Backtab, with Shift held or not.
  if ((held & Qt::ShiftModifier) || event.key() == Qt::Key_Backtab) key |= kShiftKey;
  if (held & Qt::ControlModifier) key |= kCtrlKey;
  if (held & Qt::AltModifier) key |= kAltKey;
  return key;
}

}  // namespace orvel::qt
