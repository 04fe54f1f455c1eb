// The toolkit on Win32: top-level windows of one class, the rich-edit
// control as the editor, GDI fonts, window timers, accelerator tables for
// the shortcuts, drawing over a control after its paint, message boxes and
// the common open dialog. The program sees only the Toolkit interface.
#pragma once

#include <memory>

#include "platform/toolkit.h"

namespace orvel {

std::unique_ptr<Toolkit> MakeWin32Toolkit();

}  // namespace orvel
