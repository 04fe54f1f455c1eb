// The toolkit on Qt 6 Widgets: top-level widgets as the numbered windows, a
// plain-text editor, QTimers, per-window shortcut tables offered each key
// press before any widget sees it, message boxes and the open dialog. The
// program sees only the Toolkit interface. A QApplication must exist first.
#pragma once

#include <memory>

#include "platform/toolkit.h"

namespace orvel {

struct QtToolkitOptions {
  // After SIGTERM, SIGHUP or SIGINT the session-end handler runs (it writes
  // the marked note), then the process ends. A test keeps the process.
  bool endProcessAfterSignal = true;
};

std::unique_ptr<Toolkit> MakeQtToolkit(QtToolkitOptions options = {});

}  // namespace orvel
