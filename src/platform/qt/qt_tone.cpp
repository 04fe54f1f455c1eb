#include "platform/qt/qt_tone.h"

#include <QApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <chrono>
#include <thread>

// Xlib last: its macros (None, Bool, Status) would clash with Qt's names.
#include <X11/Xlib.h>

namespace orvel::qt {

void SoundTone(int frequency, int milliseconds) {
  const int length = std::max(milliseconds, 0);
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  if (display) {
    // The bell's pitch and length are the whole display's: they go back as
    // they were once the tone is rung.
    XKeyboardState before{};
    XGetKeyboardControl(display, &before);
    XKeyboardControl tone{};
    tone.bell_pitch = std::max(frequency, 0);
    tone.bell_duration = length;
    XChangeKeyboardControl(display, KBBellPitch | KBBellDuration, &tone);
    XBell(display, 0);
    XKeyboardControl back{};
    back.bell_pitch = static_cast<int>(before.bell_pitch);
    back.bell_duration = static_cast<int>(before.bell_duration);
    XChangeKeyboardControl(display, KBBellPitch | KBBellDuration, &back);
    XFlush(display);
  } else {
    QApplication::beep();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(length));
}

}  // namespace orvel::qt
