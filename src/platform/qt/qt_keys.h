// Qt's key presses as the toolkit's key values: the Windows virtual-key
// code of the key (a letter by its upper-case code) and the modifiers held.
#pragma once

#include "platform/shortcuts.h"

class QKeyEvent;

namespace orvel::qt {

// 0 for a key that has no virtual-key code (a modifier alone, say).
KeyValue KeyValueOf(const QKeyEvent& event);

}  // namespace orvel::qt
