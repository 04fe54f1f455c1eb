// One suite of window and editor assertions, held against the in-memory
// toolkit and, in real windows on an X display, against the Win32 toolkit
// (in the Windows build, under Wine) and the Qt toolkit (natively). What
// the fake does here, the real controls must do too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/fake/fake_system.h"
#include "platform/fake/fake_toolkit.h"
#include "platform/toolkit.h"

#ifdef ORVEL_TOOLKIT_WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>
#include <richedit.h>
#include <shlobj.h>

#include "platform/win32/toolkit_win32.h"
#include "platform/win32/wide.h"
// commdlg.h makes FindText a macro; here it is the toolkit's operation.
#undef FindText
#endif

#ifdef ORVEL_TOOLKIT_QT
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QClipboard>
#include <QFontInfo>
#include <QImage>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <csignal>

#include "platform/qt/qt_text.h"
#include "platform/qt/toolkit_qt.h"
#endif

namespace orvel {
namespace {

constexpr int kEditor = 11;
constexpr int kInput = 12;
// A second window, as the program's find window: a field and two buttons.
constexpr int kToolWindow = 33;
constexpr int kFirstButton = 21;
constexpr int kSecondButton = 22;
// How many clock steps or native messages a wait may take before the test
// gives up on what it waits for.
constexpr int kMaxSteps = 600;

// What the toolkit cannot do or tell by itself: the user's and the
// system's part, and a few looks inside.
class Backend {
 public:
  virtual ~Backend() = default;
  virtual Toolkit& toolkit() = 0;
  // Lets time pass, with native messages handled, until `done` holds;
  // false when it did not within a bounded number of steps.
  virtual bool RunUntil(const std::function<bool()>& done) = 0;
  // From a handler while a message box is open: the user closes it.
  // False when no box is open.
  virtual bool CloseMessageBox() = 0;
  // The user's choice in the next open dialog: a path, or cancel.
  virtual void AnswerNextOpenDialog(std::optional<Text> path) = 0;
  virtual void RequestClose(int window) = 0;
  // False when the control does not take dropped files.
  virtual bool DropFiles(int window, int control, const std::vector<Text>& paths) = 0;
  virtual void EndSession(const std::vector<int>& windows) = 0;
  virtual void Maximise(int window) = 0;
  virtual void Minimise(int window) = 0;
  virtual void Restore(int window) = 0;
  virtual bool IsEnabled(int window) = 0;
  virtual bool IsTopmost(int window) = 0;
  virtual int FocusedControl(int window) = 0;
  virtual bool IsActive(int window) = 0;
  // The colour of all of the editor's text; kMixed when it has several.
  virtual Colour TextColour(int window, int control) = 0;
  virtual bool IsPlainText(int window, int control) = 0;
  // The user brings the window to the front, and it stays there.
  virtual void Activate(int window) = 0;
  // The user presses the key (code and modifiers) and lets go, in the
  // active window; it is handled before this returns, or, from a handler
  // while a box is open, by the box.
  virtual void PressKey(KeyValue key) = 0;
  // Lower-case letters typed one key each into the focused control.
  virtual void Type(const Text& letters) = 0;
  // The control paints itself now, with its after-paint hook.
  virtual void Paint(int window, int control) = 0;
  // A window that was just shown is on the screen, its first paint done.
  virtual void Shown(int) {}

  static constexpr Colour kMixed = 0xFFFFFFFF;
};

class FakeBackend final : public Backend {
 public:
  FakeBackend() : toolkit_(system_) {
    // An open box: the clock runs until the test closes it.
    toolkit_.AnswerBoxes([this](const FakeToolkit::Box&) {
      boxOpen_ = true;
      for (int step = 0; boxOpen_ && step < kMaxSteps; ++step) toolkit_.Advance(10);
      boxOpen_ = false;
    });
    toolkit_.AnswerDialogs([this](const OpenDialogSpec&) { return dialogAnswer_.value_or(Text()); });
  }
  Toolkit& toolkit() override { return toolkit_; }
  bool RunUntil(const std::function<bool()>& done) override {
    for (int step = 0; !done() && step < kMaxSteps; ++step) toolkit_.Advance(10);
    return done();
  }
  bool CloseMessageBox() override {
    const bool wasOpen = boxOpen_;
    boxOpen_ = false;
    return wasOpen;
  }
  void AnswerNextOpenDialog(std::optional<Text> path) override { dialogAnswer_ = std::move(path); }
  void RequestClose(int window) override { toolkit_.RequestClose(window); }
  bool DropFiles(int window, int control, const std::vector<Text>& paths) override {
    const FakeToolkit::Control* c = toolkit_.FindControl(window, control);
    if (!c || !c->acceptsDrops) return false;
    toolkit_.DropFiles(paths, window, control);
    return true;
  }
  void EndSession(const std::vector<int>&) override { toolkit_.EndSession(); }
  void Maximise(int window) override { toolkit_.Maximise(window); }
  void Minimise(int window) override { toolkit_.Minimise(window); }
  void Restore(int window) override { toolkit_.Restore(window); }
  bool IsEnabled(int window) override { return Record(window).enabled; }
  bool IsTopmost(int window) override { return Record(window).topmost; }
  int FocusedControl(int window) override { return Record(window).focusedControl; }
  bool IsActive(int window) override { return toolkit_.ActiveWindow() == window; }
  Colour TextColour(int window, int control) override { return toolkit_.FindControl(window, control)->textColour; }
  bool IsPlainText(int window, int control) override { return toolkit_.FindControl(window, control)->plainText; }
  void Activate(int window) override { toolkit_.ActivateWindow(window); }
  void PressKey(KeyValue key) override { toolkit_.PressKey(key); }
  void Type(const Text& letters) override {
    const int window = toolkit_.ActiveWindow();
    toolkit_.Type(letters, window, FocusedControl(window));
  }
  void Paint(int window, int control) override { toolkit_.Paint(window, control); }

 private:
  const FakeToolkit::Window& Record(int window) { return *toolkit_.FindWindowRecord(window); }

  FakeSystem system_;
  FakeToolkit toolkit_;
  bool boxOpen_ = false;
  std::optional<Text> dialogAnswer_;
};

#ifdef ORVEL_TOOLKIT_WIN32


// The top-level window of this thread with the given class (a dialog is
// "#32770"), or null.
HWND ThreadWindowOfClass(const wchar_t* className) {
  struct Search {
    const wchar_t* className;
    HWND found;
  } search{className, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM lParam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lParam);
        wchar_t name[64] = {};
        GetClassNameW(hwnd, name, 64);
        if (::IsWindowVisible(hwnd) && lstrcmpW(name, s->className) == 0) {
          s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The open dialog's answer, given from a thread timer: its callback runs
// inside the dialog's own message loop. Whatever stays open after the answer
// (a complaint about the path, the dialog itself) is cancelled, so that a
// refused answer fails the test instead of hanging it.
struct DialogAnswer {
  std::optional<Text> path;
  bool given = false;
} g_dialogAnswer;

void CALLBACK AnswerOpenDialog(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = ThreadWindowOfClass(L"#32770");
  if (!dialog) return;
  if (g_dialogAnswer.given || !g_dialogAnswer.path) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return;
  }
  g_dialogAnswer.given = true;
  const std::wstring path = Wide(*g_dialogAnswer.path);
  // The file name field of the explorer-style dialog; older ones name it edt1.
  if (!SetDlgItemTextW(dialog, cmb13, path.c_str())) SetDlgItemTextW(dialog, edt1, path.c_str());
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

// Real key strokes, as the keyboard sends them to the window in the
// foreground: the modifiers down, the key down and up, the modifiers up.
void SendKey(KeyValue key) {
  std::vector<INPUT> inputs;
  const auto add = [&](WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  const struct {
    KeyValue bit;
    WORD virtualKey;
  } modifiers[] = {{kCtrlKey, VK_CONTROL}, {kShiftKey, VK_SHIFT}, {kAltKey, VK_MENU}};
  for (const auto& m : modifiers) {
    if (key & m.bit) add(m.virtualKey, false);
  }
  add(static_cast<WORD>(key & 0xFFFF), false);
  add(static_cast<WORD>(key & 0xFFFF), true);
  for (const auto& m : modifiers) {
    if (key & m.bit) add(m.virtualKey, true);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Handles native messages until the key strokes and whatever they posted
// (the characters) are through.
void HandleKeys(Toolkit& toolkit) {
  for (int step = 0; step < kMaxSteps && HIWORD(GetQueueStatus(QS_KEY | QS_POSTMESSAGE)) != 0; ++step) {
    toolkit.Events().Wait();
  }
}

class Win32Backend final : public Backend {
 public:
  Win32Backend() : toolkit_(MakeWin32Toolkit()) {}
  ~Win32Backend() override {
    toolkit_->Release();
    if (wakeTimer_) KillTimer(nullptr, wakeTimer_);
    if (dialogTimer_) KillTimer(nullptr, dialogTimer_);
  }
  Toolkit& toolkit() override { return *toolkit_; }

  bool RunUntil(const std::function<bool()>& done) override {
    // A thread timer wakes the wait now and then, so that a missing event
    // ends the loop instead of blocking it.
    if (!wakeTimer_) wakeTimer_ = SetTimer(nullptr, 0, 50, nullptr);
    for (int step = 0; !done() && step < kMaxSteps; ++step) toolkit_->Events().Wait();
    return done();
  }

  bool CloseMessageBox() override {
    HWND box = ThreadWindowOfClass(L"#32770");
    if (!box) return false;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
  }

  void AnswerNextOpenDialog(std::optional<Text> path) override {
    g_dialogAnswer = {std::move(path), false};
    if (!dialogTimer_) dialogTimer_ = SetTimer(nullptr, 0, 100, &AnswerOpenDialog);
  }

  void RequestClose(int window) override { SendMessageW(Handle(window), WM_CLOSE, 0, 0); }

  bool DropFiles(int window, int control, const std::vector<Text>& paths) override {
    HWND target = GetDlgItem(Handle(window), control);
    // The shell drops files only on a window that says it takes them.
    if (!target || (GetWindowLongPtrW(target, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) == 0) return false;
    std::wstring list;
    for (const Text& path : paths) list += Wide(path) + L'\0';
    list += L'\0';
    HGLOBAL drop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(drop);
    // The receiver frees the drop (DragFinish).
    SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    return true;
  }

  void EndSession(const std::vector<int>& windows) override {
    for (int window : windows) {
      EXPECT_EQ(SendMessageW(Handle(window), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE) << window;
    }
    for (int window : windows) SendMessageW(Handle(window), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  }

  void Maximise(int window) override { ::ShowWindow(Handle(window), SW_MAXIMIZE); }
  void Minimise(int window) override { ::ShowWindow(Handle(window), SW_MINIMIZE); }
  void Restore(int window) override { ::ShowWindow(Handle(window), SW_RESTORE); }
  bool IsEnabled(int window) override { return IsWindowEnabled(Handle(window)) != 0; }
  bool IsTopmost(int window) override {
    return (GetWindowLongPtrW(Handle(window), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  }
  int FocusedControl(int window) override {
    HWND focus = GetFocus();
    return focus && GetParent(focus) == Handle(window) ? GetDlgCtrlID(focus) : 0;
  }
  bool IsActive(int window) override { return GetActiveWindow() == Handle(window); }

  Colour TextColour(int window, int control) override {
    HWND editor = GetDlgItem(Handle(window), control);
    CHARRANGE kept{};
    SendMessageW(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    SendMessageW(editor, EM_SETSEL, 0, -1);
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    SendMessageW(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageW(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    if (!(format.dwMask & CFM_COLOR) || (format.dwEffects & CFE_AUTOCOLOR)) return kMixed;
    return format.crTextColor;
  }

  bool IsPlainText(int window, int control) override {
    HWND editor = GetDlgItem(Handle(window), control);
    return (SendMessageW(editor, EM_GETTEXTMODE, 0, 0) & TM_PLAINTEXT) != 0;
  }

  // Wine hears from the window manager of every window it maps or
  // activates, a little later, and takes what it hears for an activation of
  // its own: a late word about another window takes the activation away
  // again. The window counts as active once it has stayed so a while with
  // those messages handled; it is asked for again when it lost it.
  void Activate(int window) override {
    toolkit_->ActivateWindow(window);
    ULONGLONG since = GetTickCount64();
    RunUntil([&] {
      if (!IsActive(window)) {
        toolkit_->ActivateWindow(window);
        since = GetTickCount64();
        return false;
      }
      return GetTickCount64() - since >= 150;
    });
  }

  void PressKey(KeyValue key) override {
    SendKey(key);
    // A box takes the keys in its own loop once the handler returns.
    if (!ThreadWindowOfClass(L"#32770")) HandleKeys(*toolkit_);
  }

  void Type(const Text& letters) override {
    for (const char16_t letter : letters) PressKey(static_cast<KeyValue>(letter - u'a' + u'A'));
  }

  // What a window system does when something is uncovered: the control is
  // invalid, and painted at once.
  void Paint(int window, int control) override {
    HWND hwnd = GetDlgItem(Handle(window), control);
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
  }

 private:
  // The tests give every window a title of its own.
  HWND Handle(int window) {
    HWND hwnd = FindWindowW(nullptr, Wide(toolkit_->Title(window)).c_str());
    EXPECT_NE(hwnd, nullptr) << "window " << window;
    return hwnd;
  }

  std::unique_ptr<Toolkit> toolkit_;
  UINT_PTR wakeTimer_ = 0;
  UINT_PTR dialogTimer_ = 0;
};

#endif  // ORVEL_TOOLKIT_WIN32


#ifdef ORVEL_TOOLKIT_QT

// One application for the whole run, as a program has. It stays to the
// end of the process: windows that Qt deletes late still find it there.
QApplication& Application() {
  static int argc = 1;
  static char name[] = "contract_toolkit_qt";
  static char* argv[] = {name, nullptr};
  static QApplication* application = new QApplication(argc, argv);
  return *application;
}

using qt::FromQString;
using qt::ToQString;

// The key as a keyboard gives it to Qt: Shift+Tab is a key of its own.
std::pair<Qt::Key, Qt::KeyboardModifiers> QtKey(KeyValue key) {
  Qt::KeyboardModifiers modifiers;
  if (key & kShiftKey) modifiers |= Qt::ShiftModifier;
  if (key & kCtrlKey) modifiers |= Qt::ControlModifier;
  if (key & kAltKey) modifiers |= Qt::AltModifier;
  const KeyValue code = key & 0xFFFF;
  Qt::Key qtKey = Qt::Key_unknown;
  if (code >= 'A' && code <= 'Z') qtKey = static_cast<Qt::Key>(Qt::Key_A + (code - 'A'));
  if (code >= kKeyF1 && code < kKeyF1 + 24) qtKey = static_cast<Qt::Key>(Qt::Key_F1 + (code - kKeyF1));
  if (code == kKeyTab) qtKey = (key & kShiftKey) ? Qt::Key_Backtab : Qt::Key_Tab;
  if (code == kKeyReturn) qtKey = Qt::Key_Return;
  if (code == kKeyEscape) qtKey = Qt::Key_Escape;
  return {qtKey, modifiers};
}

// The text a keyboard sends with the key: a letter in its case, a control
// character with Ctrl, nothing for a function key.
QString KeyText(KeyValue key) {
  const KeyValue code = key & 0xFFFF;
  if (code >= 'A' && code <= 'Z') {
    if (key & kCtrlKey) return QString(QChar(static_cast<char16_t>(code - 'A' + 1)));
    return QString(QChar(static_cast<char16_t>((key & kShiftKey) ? code : code - 'A' + 'a')));
  }
  if (code == kKeyReturn) return QStringLiteral("\r");
  if (code == kKeyEscape) return QString(QChar(0x1B));
  if (code == kKeyTab) return QStringLiteral("\t");
  return {};
}

class QtBackend final : public Backend {
 public:
  QtBackend() {
    Application();
    toolkit_ = MakeQtToolkit({.endProcessAfterSignal = false});
    // Wakes the wait now and then, so that a missing event ends the loop
    // instead of blocking it.
    wake_.start(20);
    dialogAnswerer_.setInterval(50);
    QObject::connect(&dialogAnswerer_, &QTimer::timeout, [this] { AnswerDialog(); });
  }
  ~QtBackend() override { toolkit_->Release(); }
  Toolkit& toolkit() override { return *toolkit_; }

  // A deadline that fits a slow start: nothing here waits on a fixed time.
  bool RunUntil(const std::function<bool()>& done) override {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 30000) toolkit_->Events().Wait();
    return done();
  }

  bool CloseMessageBox() override {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return false;
    box->done(QMessageBox::Ok);
    return true;
  }

  void AnswerNextOpenDialog(std::optional<Text> path) override {
    dialogPath_ = std::move(path);
    dialogAnswered_ = false;
    dialogAnswerer_.start();
  }

  void RequestClose(int window) override { Widget(window)->close(); }

  bool DropFiles(int window, int control, const std::vector<Text>& paths) override {
    auto* editor = qobject_cast<QPlainTextEdit*>(Control(window, control));
    if (!editor) return false;
    QMimeData files;
    QList<QUrl> urls;
    for (const Text& path : paths) urls.push_back(QUrl::fromLocalFile(ToQString(path)));
    files.setUrls(urls);
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(editor->viewport(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(editor->viewport(), &drop);
    return true;
  }

  // The desktop ends the program with a termination signal; twice here,
  // for the handler must still run only once. The signal is reported
  // through a descriptor that is ready at once.
  void EndSession(const std::vector<int>&) override {
    std::raise(SIGTERM);
    std::raise(SIGTERM);
    for (int round = 0; round < 3; ++round) QCoreApplication::processEvents();
  }

  // Asked for again while the window manager has not done it: a request
  // that comes while it is still taking the window on may be lost.
  void Maximise(int window) override {
    QWidget* widget = Widget(window);
    const int width = widget->width();
    QElapsedTimer since;
    since.start();
    widget->showMaximized();
    RunUntil([&] {
      if (widget->isMaximized() && widget->width() > width) return true;
      if (since.elapsed() > 2000) {
        widget->showNormal();
        widget->showMaximized();
        since.restart();
      }
      return false;
    });
  }
  void Minimise(int window) override {
    QWidget* widget = Widget(window);
    widget->showMinimized();
    RunUntil([&] { return widget->isMinimized(); });
  }
  void Restore(int window) override {
    QWidget* widget = Widget(window);
    const WindowGeometry normal = toolkit_->NormalGeometry(window);
    widget->showNormal();
    RunUntil([&] { return toolkit_->Geometry(window) == normal; });
  }

  // While a box is open the program's visible windows take no input.
  bool IsEnabled(int window) override {
    QWidget* widget = Widget(window);
    QWidget* modal = QApplication::activeModalWidget();
    return widget->isEnabled() && !(modal && modal != widget && widget->isVisible());
  }
  bool IsTopmost(int window) override { return Widget(window)->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }
  int FocusedControl(int window) override {
    QWidget* focus = Widget(window)->focusWidget();
    return focus ? focus->objectName().toInt() : 0;
  }
  // The window manager answers an activation a moment later.
  bool IsActive(int window) override {
    QWidget* widget = Widget(window);
    QElapsedTimer clock;
    clock.start();
    while (QApplication::activeWindow() != widget && clock.elapsed() < 10000) toolkit_->Events().Wait();
    return QApplication::activeWindow() == widget;
  }
  Colour TextColour(int window, int control) override {
    return qt::FromQColor(Control(window, control)->palette().color(QPalette::Active, QPalette::Text));
  }
  bool IsPlainText(int window, int control) override {
    return qobject_cast<QPlainTextEdit*>(Control(window, control)) != nullptr;
  }

  // The window counts as active once it has stayed so a while with the
  // window manager's messages handled; it is asked for again when lost.
  void Activate(int window) override {
    QWidget* widget = Widget(window);
    toolkit_->ActivateWindow(window);
    QElapsedTimer since;
    since.start();
    RunUntil([&] {
      if (QApplication::activeWindow() != widget) {
        toolkit_->ActivateWindow(window);
        since.restart();
        return false;
      }
      return since.elapsed() >= 150;
    });
  }

  // To the window that has the keyboard: a box while one is open.
  void PressKey(KeyValue key) override {
    QWidget* target = QApplication::activeModalWidget();
    if (!target) target = QApplication::activeWindow();
    if (!target || !target->windowHandle()) return;
    const auto [qtKey, modifiers] = QtKey(key);
    QTest::sendKeyEvent(QTest::Click, target->windowHandle(), qtKey, KeyText(key), modifiers);
    QCoreApplication::processEvents();
  }

  void Type(const Text& letters) override {
    for (const char16_t letter : letters) PressKey(static_cast<KeyValue>(letter - u'a' + u'A'));
  }

  // What a window system does when something is uncovered: the control is
  // invalid, and painted at once, together with what was invalid before.
  void Paint(int window, int control) override {
    auto* editor = qobject_cast<QPlainTextEdit*>(Control(window, control));
    if (!editor) return;
    editor->viewport()->update();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }

  void Shown(int window) override {
    QWindow* native = Widget(window)->windowHandle();
    RunUntil([&] { return native && native->isExposed(); });
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }

  // The tests give every window a title of its own.
  QWidget* Widget(int window) {
    const QString title = ToQString(toolkit_->Title(window));
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->windowTitle() == title && !title.isEmpty()) return widget;
    }
    ADD_FAILURE() << "no window " << window;
    return nullptr;
  }
  // Controls are named by their numbers.
  QWidget* Control(int window, int control) {
    return Widget(window)->findChild<QWidget*>(QString::number(control), Qt::FindDirectChildrenOnly);
  }

 private:
  // Runs inside the dialog's own loop. What stays open after the answer is
  // cancelled, so that a refused answer fails the test instead of hanging.
  void AnswerDialog() {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    if (dialogAnswered_ || !dialogPath_) {
      dialog->reject();
      dialogAnswerer_.stop();
      return;
    }
    dialogAnswered_ = true;
    dialog->selectFile(ToQString(*dialogPath_));
    static_cast<QDialog*>(dialog)->accept();  // the file dialog's own accept, which checks the path
  }

  std::unique_ptr<Toolkit> toolkit_;
  QTimer wake_;
  QTimer dialogAnswerer_;
  std::optional<Text> dialogPath_;
  bool dialogAnswered_ = false;
};

#endif  // ORVEL_TOOLKIT_QT

class ToolkitContract : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
#ifdef ORVEL_TOOLKIT_WIN32
    if (std::string(GetParam()) == "win32") {
      backend_ = std::make_unique<Win32Backend>();
      return;
    }
#endif
#ifdef ORVEL_TOOLKIT_QT
    if (std::string(GetParam()) == "qt") {
      backend_ = std::make_unique<QtBackend>();
      return;
    }
#endif
    backend_ = std::make_unique<FakeBackend>();
  }

  Toolkit& toolkit() { return backend_->toolkit(); }
  Backend& backend() { return *backend_; }

  static Text TitleOf(int window) { return u"Orvel contract window " + DecimalText(window); }

  // A full path in the form of the backend's system: "C:\\notes\\a.txt"
  // is "/C/notes/a.txt" on Linux.
  Text NativePath(Text path) const {
    if (std::string(GetParam()) != "qt") return path;
    if (path.size() > 2 && path[1] == u':') path = u"/" + path.substr(0, 1) + path.substr(2);
    std::replace(path.begin(), path.end(), u'\\', u'/');
    return path;
  }

  void OpenWindow(int window, bool visible = true, int innerWidth = 480, int innerHeight = 320) {
    WindowSpec wanted;
    wanted.number = window;
    // Staggered, and on the screen whatever the number.
    wanted.x = 60 + 50 * (window % 10);
    wanted.y = 40 + 50 * (window % 10);
    wanted.innerWidth = innerWidth;
    wanted.innerHeight = innerHeight;
    wanted.title = TitleOf(window);
    wanted.visible = visible;
    toolkit().OpenWindow(wanted);
    if (visible) backend().Shown(window);
  }

  // A window with an editor filling it, as the program sets one up.
  void OpenEditorWindow(int window = 0, bool visible = true) {
    OpenWindow(window, visible);
    toolkit().CreateControl({window, kEditor, ControlKind::Editor, 0, 0, 480, 320, {}});
    toolkit().SetPlainTextMode(window, kEditor);
  }

  // A window as the program's find window is: a label, a field, two buttons.
  void OpenFieldAndButtons() {
    OpenWindow(kToolWindow);
    toolkit().CreateControl({kToolWindow, 20, ControlKind::StaticText, 10, 10, 80, 20, u"Find what:"});
    toolkit().CreateControl({kToolWindow, kInput, ControlKind::Input, 100, 10, 150, 20, {}});
    toolkit().CreateControl({kToolWindow, kFirstButton, ControlKind::Button, 260, 10, 80, 24, u"Next"});
    toolkit().CreateControl({kToolWindow, kSecondButton, ControlKind::Button, 260, 40, 80, 24, u"Close"});
  }

  // Every event of one kind raised from now on, as its handler saw it.
  std::vector<Event>& Record(int kind) {
    std::vector<Event>& events = records_.emplace_back();
    Toolkit* t = &toolkit();
    toolkit().Events().Bind({kind}, [&events, t] { events.push_back(t->Events().Current()); });
    return events;
  }

  void DrainQueue() {
    while (!toolkit().Events().QueueEmpty()) toolkit().Events().Wait();
  }

  // Declared before the backend: handlers that record may still run while
  // the backend releases its windows.
  std::list<std::vector<Event>> records_;
  std::unique_ptr<Backend> backend_;
};

const Event kEditorChanged{kControlEvent, 0, kEditor, kEditChanged};

Event Command(int window, int command) { return {kCommandEvent, window, command, 0}; }

TEST_P(ToolkitContract, OpeningWindowsAndControlsRaisesNothing) {
  OpenEditorWindow(0);
  toolkit().CreateControl({0, kInput, ControlKind::Input, 0, 0, 100, 20, u"typed"});
  toolkit().SetControlText(0, kEditor, u"a note");
  EXPECT_TRUE(toolkit().Events().QueueEmpty());
  EXPECT_EQ(toolkit().ControlText(0, kInput), u"typed");
}

TEST_P(ToolkitContract, WholeTextHasCrLfBreaksAndPositionsCountABreakOnce) {
  const struct {
    Text set;
    Text read;       // as ControlText gives it
    Text needle;
    int position;    // of the needle: one per UTF-16 unit, a break as one
  } cases[] = {
      {u"", u"", u"x", -1},
      {u"one line", u"one line", u"line", 4},
      {u"ab\r\ncd", u"ab\r\ncd", u"cd", 3},
      {u"ab\ncd", u"ab\r\ncd", u"cd", 3},
      {u"\r\n\r\nend", u"\r\n\r\nend", u"end", 2},
      {u"last\r\n", u"last\r\n", u"last", 0},
      {u"a\U0001F600b\r\nc", u"a\U0001F600b\r\nc", u"c", 5},
      {u"x\r\ny\r\nz", u"x\r\ny\r\nz", u"z", 4},
  };
  OpenEditorWindow();
  for (const auto& c : cases) {
    const std::string name = TextToUtf8(c.set);
    toolkit().SetControlText(0, kEditor, c.set);
    const Text read = toolkit().ControlText(0, kEditor);
    EXPECT_EQ(read, c.read) << name;
    EXPECT_EQ(read.size(), c.read.size()) << name;
    const int found = toolkit().FindText(0, kEditor, 0, c.needle);
    EXPECT_EQ(found, c.position) << name;
    if (found < 0) continue;
    // Selecting from that position and replacing hits the needle exactly.
    toolkit().SetSelection(0, kEditor, found, found + static_cast<int>(c.needle.size()));
    toolkit().ReplaceSelection(0, kEditor, u"#");
    Text expected = c.read;
    expected.replace(expected.rfind(c.needle), c.needle.size(), u"#");
    EXPECT_EQ(toolkit().ControlText(0, kEditor), expected) << name;
  }
}

TEST_P(ToolkitContract, ReplacingTheSelectionRaisesTheChangeAndLeavesTheCaretAfterIt) {
  OpenEditorWindow();
  std::vector<Event>& controlEvents = Record(kControlEvent);
  toolkit().SetControlText(0, kEditor, u"hello world");
  EXPECT_TRUE(controlEvents.empty()) << "setting the whole text is no change";

  toolkit().SetSelection(0, kEditor, 6, 11);
  toolkit().ReplaceSelection(0, kEditor, u"there");
  ASSERT_EQ(controlEvents.size(), 1u);  // raised before the call returned
  EXPECT_EQ(controlEvents[0], kEditorChanged);
  toolkit().ReplaceSelection(0, kEditor, u"!");
  EXPECT_EQ(toolkit().ControlText(0, kEditor), u"hello there!");

  // -1, -1 puts the caret at the end, wherever it was.
  toolkit().SetSelection(0, kEditor, 0, 0);
  toolkit().SetSelection(0, kEditor, -1, -1);
  toolkit().ReplaceSelection(0, kEditor, u"\r\nsecond");
  // An inserted CR LF is one position: the caret is right after "second".
  toolkit().ReplaceSelection(0, kEditor, u" line");
  EXPECT_EQ(toolkit().ControlText(0, kEditor), u"hello there!\r\nsecond line");
  EXPECT_EQ(controlEvents.size(), 4u);

  // Into an empty editor, and at the start again after the text is replaced.
  toolkit().SetControlText(0, kEditor, u"");
  toolkit().ReplaceSelection(0, kEditor, u"a\r\nb");
  toolkit().ReplaceSelection(0, kEditor, u"c");
  EXPECT_EQ(toolkit().ControlText(0, kEditor), u"a\r\nbc");
  toolkit().SetControlText(0, kEditor, u"tail");
  toolkit().ReplaceSelection(0, kEditor, u"head ");
  EXPECT_EQ(toolkit().ControlText(0, kEditor), u"head tail");
  for (const Event& event : controlEvents) EXPECT_EQ(event, kEditorChanged);
  EXPECT_EQ(controlEvents.size(), 7u);
}

TEST_P(ToolkitContract, FindTextSearchesForwardFromAStartIgnoringCase) {
  OpenEditorWindow();
  // Positions 0-9, a break at 10, 11-21, a break at 22, 23-27.
  const Text lines = u"Alpha beta\r\nALPHA gamma\r\nalpha";
  const Text letters = u"Gr\u00FC\u00DFe \u00DCber \u0401\u043B\u043A\u0430";
  const struct {
    Text text;
    int start;
    Text needle;
    int position;
  } cases[] = {
      {lines, 0, u"alpha", 0},
      {lines, 1, u"alpha", 11},
      {lines, 11, u"alpha", 11},
      {lines, 12, u"ALPHA", 23},
      {lines, 24, u"alpha", -1},
      {lines, 0, u"GAMMA", 17},
      {lines, 0, u"a g", 15},
      {lines, 0, u"delta", -1},
      {lines, 7, u"beta", -1},
      // A line break in the search text is a CR, as the find window gives it.
      {lines, 0, u"beta\rALPHA", 6},
      {lines, 0, u"a\ra", 9},
      {lines, 10, u"a\ra", 21},
      // Nothing to find, and starts at and past the end.
      {lines, 0, u"", -1},
      {lines, 28, u"alpha", -1},
      {lines, 40, u"alpha", -1},
      // Beyond ASCII, in the same letter case (how case is ignored there
      // differs between versions of the control).
      {letters, 0, u"\u00DCber", 6},
      {letters, 0, u"\u0401\u043B\u043A\u0430", 11},
      {letters, 1, u"r\u00FC\u00DF", 1},
  };
  for (const auto& c : cases) {
    toolkit().SetControlText(0, kEditor, c.text);
    EXPECT_EQ(toolkit().FindText(0, kEditor, c.start, c.needle), c.position)
        << TextToUtf8(c.needle) << " from " << c.start;
    EXPECT_EQ(toolkit().ControlText(0, kEditor), c.text) << "searching changes nothing";
  }
}

TEST_P(ToolkitContract, TextOfOtherControlsRoundTrips) {
  OpenWindow(0);
  const struct {
    ControlKind kind;
    int number;
    Text text;
  } cases[] = {
      {ControlKind::StaticText, 20, u"Find &what:"},
      {ControlKind::Input, 21, u"s\u00FC\u00DFe Wurst"},
      {ControlKind::Button, 22, u"Find"},
  };
  for (const auto& c : cases) {
    toolkit().CreateControl({0, c.number, c.kind, 10, 10, 120, 20, c.text});
    EXPECT_EQ(toolkit().ControlText(0, c.number), c.text);
    toolkit().SetControlText(0, c.number, c.text + u" 2");
    EXPECT_EQ(toolkit().ControlText(0, c.number), c.text + u" 2");
  }
}

TEST_P(ToolkitContract, EditorColourHoldsForAllTextAndTextEnteredLater) {
  OpenEditorWindow();
  EXPECT_TRUE(backend().IsPlainText(0, kEditor));
  toolkit().SetControlText(0, kEditor, u"before");
  std::vector<Event>& controlEvents = Record(kControlEvent);
  toolkit().SetEditorBackground(0, kEditor, 0x202020);
  toolkit().SetEditorTextColour(0, kEditor, 0x3050F0);
  EXPECT_EQ(backend().TextColour(0, kEditor), 0x3050F0u);
  EXPECT_TRUE(controlEvents.empty()) << "a colour is no change of the text";
  toolkit().SetControlText(0, kEditor, u"loaded\r\nnote");
  toolkit().SetSelection(0, kEditor, -1, -1);
  toolkit().ReplaceSelection(0, kEditor, u"\r\ntyped");
  EXPECT_EQ(backend().TextColour(0, kEditor), 0x3050F0u);
}

TEST_P(ToolkitContract, PlainTextModeTakesHoldOverTextAlreadyThere) {
  OpenWindow(0);
  toolkit().CreateControl({0, kEditor, ControlKind::Editor, 0, 0, 480, 320, u"first\r\nsecond"});
  toolkit().SetPlainTextMode(0, kEditor);
  EXPECT_TRUE(backend().IsPlainText(0, kEditor));
  EXPECT_EQ(toolkit().ControlText(0, kEditor), u"first\r\nsecond");
}

TEST_P(ToolkitContract, SetInnerSizeRaisesTheSizeEventAndKeepsThePosition) {
  OpenEditorWindow();
  const WindowGeometry opened = toolkit().Geometry(0);
  EXPECT_EQ(opened.innerWidth, 480);
  EXPECT_EQ(opened.innerHeight, 320);
  EXPECT_EQ(toolkit().NormalGeometry(0), opened);
  std::vector<Event>& sizes = Record(kSizeEvent);

  toolkit().SetInnerSize(0, 520, 340);
  ASSERT_FALSE(sizes.empty()) << "raised before the call returned";
  EXPECT_EQ(sizes.back(), (Event{kSizeEvent, 0, 0, 0}));
  WindowGeometry expected = opened;
  expected.innerWidth = 520;
  expected.innerHeight = 340;
  EXPECT_EQ(toolkit().Geometry(0), expected);
  EXPECT_EQ(toolkit().NormalGeometry(0), expected);

  // The nudge that settles the layout: down by one and back.
  const std::size_t before = sizes.size();
  toolkit().SetInnerSize(0, 519, 339);
  const WindowGeometry nudged = toolkit().Geometry(0);
  EXPECT_EQ(nudged.innerWidth, 519);
  EXPECT_EQ(nudged.innerHeight, 339);
  toolkit().SetInnerSize(0, nudged.innerWidth + 1, nudged.innerHeight + 1);
  EXPECT_EQ(toolkit().Geometry(0), expected);
  EXPECT_EQ(sizes.size(), before + 2);

  // The same size again still raises the event.
  toolkit().SetInnerSize(0, 520, 340);
  EXPECT_EQ(sizes.size(), before + 3);
}

TEST_P(ToolkitContract, NormalGeometryStaysWhileMaximisedOrMinimised) {
  OpenEditorWindow();
  const WindowGeometry normal = toolkit().Geometry(0);
  std::vector<Event>& sizes = Record(kSizeEvent);

  backend().Maximise(0);
  EXPECT_EQ(toolkit().State(0), WindowState::Maximised);
  EXPECT_EQ(toolkit().NormalGeometry(0), normal);
  EXPECT_GT(toolkit().Geometry(0).innerWidth, normal.innerWidth);
  EXPECT_EQ(sizes.size(), 1u);

  backend().Restore(0);
  EXPECT_EQ(toolkit().State(0), WindowState::Normal);
  EXPECT_EQ(toolkit().Geometry(0), normal);
  EXPECT_EQ(sizes.size(), 2u);

  backend().Minimise(0);
  EXPECT_EQ(toolkit().State(0), WindowState::Minimised);
  EXPECT_EQ(toolkit().NormalGeometry(0), normal);
  EXPECT_EQ(sizes.size(), 2u) << "minimising raises no size event";
}

TEST_P(ToolkitContract, TitleRoundTripsAndUnknownWindowsAreIgnored) {
  OpenWindow(0);
  const Text title = u"2024-05-01 \u2013 Notiz \u00FC\U0001F600";
  toolkit().SetTitle(0, title);
  EXPECT_EQ(toolkit().Title(0), title);
  toolkit().SetTitle(0, TitleOf(0));

  // Numbers that name nothing: every operation does nothing.
  toolkit().SetTitle(9, u"none");
  toolkit().SetInnerSize(9, 10, 10);
  toolkit().ShowWindow(9);
  toolkit().CreateControl({9, kEditor, ControlKind::Editor, 0, 0, 10, 10, u"x"});
  toolkit().ReplaceSelection(0, 99, u"x");
  toolkit().SetControlText(0, 99, u"x");
  EXPECT_EQ(toolkit().Title(9), u"");
  EXPECT_FALSE(toolkit().IsWindowVisible(9));
  EXPECT_EQ(toolkit().Geometry(9), WindowGeometry{});
  EXPECT_EQ(toolkit().ControlText(9, kEditor), u"");
  EXPECT_EQ(toolkit().ControlText(0, 99), u"");
  EXPECT_EQ(toolkit().FindText(0, 99, 0, u"x"), -1);
  EXPECT_TRUE(toolkit().Events().QueueEmpty());
}

TEST_P(ToolkitContract, ShowHideAndCloseWindows) {
  OpenWindow(0);
  OpenWindow(1, /*visible=*/false);
  EXPECT_TRUE(toolkit().IsWindowVisible(0));
  EXPECT_FALSE(toolkit().IsWindowVisible(1));
  toolkit().ShowWindow(1);
  EXPECT_TRUE(toolkit().IsWindowVisible(1));
  toolkit().HideWindow(1);
  EXPECT_FALSE(toolkit().IsWindowVisible(1));

  // A close request is only an event: the window stays.
  std::vector<Event>& closes = Record(kCloseEvent);
  backend().RequestClose(0);
  ASSERT_EQ(closes.size(), 1u);
  EXPECT_EQ(closes[0], (Event{kCloseEvent, 0, 0, 0}));
  EXPECT_TRUE(toolkit().IsWindowVisible(0));
  EXPECT_EQ(toolkit().Title(0), TitleOf(0));

  // Closing destroys the window and its timers; the number is free again.
  std::vector<Event>& ticks = Record(kTimerEvent);
  toolkit().StartTimer(1, 4, 10);
  toolkit().StartTimer(0, 5, 30);
  toolkit().CloseWindow(1);
  EXPECT_EQ(toolkit().Title(1), u"");
  EXPECT_FALSE(toolkit().IsWindowVisible(1));
  ASSERT_TRUE(backend().RunUntil([&] { return ticks.size() >= 3; }));
  for (const Event& tick : ticks) EXPECT_EQ(tick, (Event{kTimerEvent, 0, 5, 0}));
  OpenWindow(1);
  EXPECT_EQ(toolkit().Title(1), TitleOf(1));
}

TEST_P(ToolkitContract, TimersDeliverTimerEvents) {
  OpenEditorWindow();
  std::vector<Event>& ticks = Record(kTimerEvent);
  toolkit().StartTimer(0, 7, 15);
  EXPECT_TRUE(ticks.empty());
  ASSERT_TRUE(backend().RunUntil([&] { return ticks.size() >= 3; }));
  for (const Event& tick : ticks) EXPECT_EQ(tick, (Event{kTimerEvent, 0, 7, 0}));
}

TEST_P(ToolkitContract, MessageBoxDisablesTheProgramAndKeepsTimersRunning) {
  OpenEditorWindow(0);
  OpenWindow(1);
  OpenWindow(2, /*visible=*/false);
  toolkit().SetTopmost(1, true);
  EXPECT_TRUE(backend().IsTopmost(1));

  struct Seen {
    bool enabled0, enabled1, enabled2, topmost1;
  };
  std::vector<Seen> seen;
  bool closed = false;
  toolkit().Events().Bind({kTimerEvent, 0, 3}, [&] {
    if (closed) return;
    seen.push_back({backend().IsEnabled(0), backend().IsEnabled(1), backend().IsEnabled(2),
                    backend().IsTopmost(1)});
    if (seen.size() == 3) closed = backend().CloseMessageBox();
  });
  toolkit().StartTimer(0, 3, 20);
  toolkit().ShowMessageBox(u"Orvel", u"Timers keep running.", BoxIcon::Information);

  EXPECT_TRUE(closed);
  ASSERT_GE(seen.size(), 3u);
  for (const Seen& s : seen) {
    EXPECT_FALSE(s.enabled0);
    EXPECT_FALSE(s.enabled1);
    EXPECT_TRUE(s.enabled2) << "a hidden window is left alone";
    EXPECT_FALSE(s.topmost1) << "nothing stays above the box";
  }
  EXPECT_TRUE(backend().IsEnabled(0));
  EXPECT_TRUE(backend().IsEnabled(1));
  EXPECT_TRUE(backend().IsEnabled(2));
  EXPECT_TRUE(backend().IsTopmost(1));
}

TEST_P(ToolkitContract, OpenDialogGivesThePathOrNothing) {
  OpenEditorWindow();
#if defined(ORVEL_TOOLKIT_QT)
  const Text path = FromQString(QDir::tempPath() + QStringLiteral("/orvel-contract-new-note.txt"));
#elif defined(ORVEL_TOOLKIT_WIN32)
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  Text path = Text(folder, folder + wcslen(folder));
  if (!path.empty() && path.back() != u'\\') path += u'\\';
  path += u"orvel-contract-new-note.txt";  // the file need not exist
#else
  const Text path = u"C:\\notes\\new note.txt";
#endif
  const OpenDialogSpec wanted{u"Open a note", u"Notes ", u" *.txt;*.orv "};
  backend().AnswerNextOpenDialog(path);
  EXPECT_EQ(toolkit().ShowOpenDialog(wanted), path);
  backend().AnswerNextOpenDialog(std::nullopt);
  EXPECT_EQ(toolkit().ShowOpenDialog(wanted), u"");
  EXPECT_TRUE(backend().IsEnabled(0));
}

TEST_P(ToolkitContract, DroppedFilesRaiseADropEventWithTheirPathsInOrder) {
  OpenEditorWindow();
  EXPECT_FALSE(backend().DropFiles(0, kEditor, {NativePath(u"C:\\notes\\early.txt")})) << "not yet taking drops";
  toolkit().EnableFileDrops(0, kEditor);
  std::vector<Text> during;
  std::vector<Event>& drops = Record(kDropEvent);
  toolkit().Events().Bind({kDropEvent}, [&] { during = toolkit().DroppedFiles(); });

  const std::vector<Text> paths = {NativePath(u"C:\\notes\\b.txt"), NativePath(u"C:\\notes\\a folder\\a.txt"),
                                   NativePath(u"D:\\\u00FC.orv")};
  ASSERT_TRUE(backend().DropFiles(0, kEditor, paths));
  ASSERT_EQ(drops.size(), 1u);
  EXPECT_EQ(drops[0], (Event{kDropEvent, 0, kEditor, 0}));
  EXPECT_EQ(during, paths);
  EXPECT_EQ(toolkit().ControlText(0, kEditor), u"") << "a drop of files inserts nothing";
}

TEST_P(ToolkitContract, SessionEndCallsTheHandlerOnce) {
  OpenEditorWindow(0);
  OpenWindow(1, /*visible=*/false);
  int calls = 0;
  toolkit().OnSessionEnd([&] { ++calls; });
  std::vector<Event>& closes = Record(kCloseEvent);
  backend().EndSession({0, 1});
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(closes.empty()) << "no close request at session end";
}

TEST_P(ToolkitContract, ActivationGivesTheFocusBackToTheControlThatHadIt) {
  OpenEditorWindow(0);
  toolkit().CreateControl({0, kInput, ControlKind::Input, 0, 0, 100, 20, {}});
  OpenEditorWindow(1);
  EXPECT_TRUE(backend().IsActive(1));
  // Focusing a control of a window in the background does not activate it.
  toolkit().FocusControl(0, kInput);
  EXPECT_TRUE(backend().IsActive(1));
  toolkit().ActivateWindow(0);
  EXPECT_TRUE(backend().IsActive(0));
  EXPECT_EQ(backend().FocusedControl(0), kInput) << "kept for the activation";
  // Away and back: the control that had the focus gets it again.
  toolkit().ActivateWindow(1);
  toolkit().FocusControl(1, kEditor);
  toolkit().ActivateWindow(0);
  EXPECT_EQ(backend().FocusedControl(0), kInput);
}

TEST_P(ToolkitContract, AShortcutAnswersItsExactKeyInTheActiveWindowOnly) {
  OpenEditorWindow(0);
  OpenWindow(kToolWindow);
  toolkit().AddShortcut(0, Ctrl('K'), 95);
  toolkit().AddShortcut(0, 'Q', 99);  // a plain letter: it would be typed but for the table
  toolkit().AddShortcut(0, kAltKey | 'J', 91);
  toolkit().AddShortcut(0, kCtrlKey | kShiftKey | kKeyF5, 92);
  toolkit().AddShortcut(kToolWindow, Ctrl('K'), 96);
  toolkit().AddShortcut(kToolWindow, kKeyF5, 97);
  backend().Activate(0);
  toolkit().FocusControl(0, kEditor);
  ASSERT_TRUE(backend().IsActive(0));
  std::vector<Event>& commands = Record(kCommandEvent);

  const struct {
    int active;
    KeyValue key;
    std::vector<Event> raised;
  } cases[] = {
      {0, Ctrl('K'), {Command(0, 95)}},
      {0, 'Q', {Command(0, 99)}},
      // Other modifiers are other keys.
      {0, kCtrlKey | kShiftKey | 'K', {}},
      {0, kAltKey | 'K', {}},
      {0, kShiftKey | 'Q', {}},
      {0, kAltKey | 'J', {Command(0, 91)}},
      {0, kCtrlKey | 'J', {}},
      {0, kCtrlKey | kShiftKey | kKeyF5, {Command(0, 92)}},
      {0, kShiftKey | kKeyF5, {}},
      {0, kCtrlKey | kAltKey | kKeyF5, {}},
      // The other window's keys do nothing here...
      {0, kKeyF5, {}},
      // ...and answer with its own commands where it is active.
      {kToolWindow, Ctrl('K'), {Command(kToolWindow, 96)}},
      {kToolWindow, kKeyF5, {Command(kToolWindow, 97)}},
      {kToolWindow, 'Q', {}},
      {0, Ctrl('K'), {Command(0, 95)}},
  };
  for (const auto& c : cases) {
    backend().Activate(c.active);
    commands.clear();
    backend().PressKey(c.key);
    EXPECT_EQ(commands, c.raised) << "key " << std::hex << c.key << " in window " << std::dec << c.active;
  }
  // The shortcuts typed nothing (a shifted Q may have typed its letter).
  backend().Activate(0);
  const Text typed = toolkit().ControlText(0, kEditor);
  EXPECT_EQ(typed.find_first_of(u"qkj\x0A\x0B\x11"), Text::npos) << TextToUtf8(typed);

  // Keys that are no shortcut reach the editor.
  toolkit().SetControlText(0, kEditor, u"");
  commands.clear();
  backend().Type(u"wow");
  EXPECT_EQ(toolkit().ControlText(0, kEditor), u"wow");
  EXPECT_TRUE(commands.empty());
}

TEST_P(ToolkitContract, AddingAKeyAgainGivesItTheNewCommandOnly) {
  OpenEditorWindow(0);
  backend().Activate(0);
  toolkit().FocusControl(0, kEditor);
  toolkit().AddShortcut(0, Ctrl('K'), 95);
  toolkit().AddShortcut(0, kKeyF5, 96);
  toolkit().AddShortcut(0, Ctrl('K'), 98);
  std::vector<Event>& commands = Record(kCommandEvent);
  backend().PressKey(Ctrl('K'));
  backend().PressKey(kKeyF5);
  EXPECT_EQ(commands, (std::vector<Event>{Command(0, 98), Command(0, 96)}));
}

TEST_P(ToolkitContract, TabIsTypedIntoTheEditorAndShiftTabLeavesIt) {
  OpenEditorWindow(0);
  toolkit().CreateControl({0, kInput, ControlKind::Input, 0, 0, 100, 20, {}});
  toolkit().AddShortcut(0, Ctrl('K'), 95);
  backend().Activate(0);
  toolkit().FocusControl(0, kEditor);
  std::vector<Event>& changes = Record(kControlEvent);
  backend().PressKey(kKeyTab);
  EXPECT_EQ(toolkit().ControlText(0, kEditor), u"\t");
  EXPECT_EQ(std::count(changes.begin(), changes.end(), kEditorChanged), 1);
  EXPECT_EQ(backend().FocusedControl(0), kEditor);
  // Backward from the first control round to the last.
  backend().PressKey(kShiftKey | kKeyTab);
  EXPECT_EQ(backend().FocusedControl(0), kInput);
  EXPECT_EQ(toolkit().ControlText(0, kEditor), u"\t");
  // Tab in the field moves on: round to the editor.
  backend().PressKey(kKeyTab);
  EXPECT_EQ(backend().FocusedControl(0), kEditor);
  EXPECT_EQ(toolkit().ControlText(0, kInput), u"");
}

TEST_P(ToolkitContract, TabAndShiftTabMoveTheFocusRoundTheControls) {
  OpenFieldAndButtons();
  toolkit().AddShortcut(kToolWindow, kKeyEscape, 83);
  backend().Activate(kToolWindow);
  toolkit().FocusControl(kToolWindow, kInput);
  ASSERT_EQ(backend().FocusedControl(kToolWindow), kInput);
  std::vector<Event>& commands = Record(kCommandEvent);

  const struct {
    KeyValue key;
    int focused;  // afterwards
  } steps[] = {
      {kKeyTab, kFirstButton},
      {kKeyTab, kSecondButton},
      {kKeyTab, kInput},  // round, past the static text
      {kShiftKey | kKeyTab, kSecondButton},
      {kShiftKey | kKeyTab, kFirstButton},
      {kShiftKey | kKeyTab, kInput},
  };
  for (const auto& step : steps) {
    backend().PressKey(step.key);
    EXPECT_EQ(backend().FocusedControl(kToolWindow), step.focused) << "after key " << std::hex << step.key;
  }
  EXPECT_TRUE(commands.empty()) << "moving the focus is no command of the program";
  EXPECT_EQ(toolkit().ControlText(kToolWindow, kInput), u"");
}

TEST_P(ToolkitContract, TabMovesTheFocusInAWindowWithNoShortcutsOfItsOwn) {
  OpenFieldAndButtons();
  backend().Activate(kToolWindow);
  toolkit().FocusControl(kToolWindow, kInput);
  backend().PressKey(kKeyTab);
  EXPECT_EQ(backend().FocusedControl(kToolWindow), kFirstButton);
  backend().PressKey(kShiftKey | kKeyTab);
  backend().PressKey(kShiftKey | kKeyTab);
  EXPECT_EQ(backend().FocusedControl(kToolWindow), kSecondButton);
}

TEST_P(ToolkitContract, EnterAnswersItsShortcutWhileAButtonHasTheFocus) {
  OpenEditorWindow(0);
  OpenWindow(kToolWindow);
  toolkit().CreateControl({kToolWindow, kInput, ControlKind::Input, 100, 10, 150, 20, {}});
  toolkit().CreateControl({kToolWindow, kFirstButton, ControlKind::Button, 260, 10, 80, 24, u"Next"});
  toolkit().AddShortcut(kToolWindow, kKeyReturn, 86);
  toolkit().AddShortcut(kToolWindow, kKeyEscape, 83);
  backend().Activate(kToolWindow);
  toolkit().FocusControl(kToolWindow, kFirstButton);
  std::vector<Event>& commands = Record(kCommandEvent);
  std::vector<Event>& clicks = Record(kControlEvent);
  backend().PressKey(kKeyReturn);
  backend().PressKey(kKeyEscape);
  EXPECT_EQ(commands, (std::vector<Event>{Command(kToolWindow, 86), Command(kToolWindow, 83)}));
  EXPECT_TRUE(clicks.empty()) << "the button never saw the key";
  EXPECT_EQ(backend().FocusedControl(kToolWindow), kFirstButton);
  // In the main window, where it is no shortcut, Enter breaks the line.
  backend().Activate(0);
  toolkit().FocusControl(0, kEditor);
  backend().PressKey(kKeyReturn);
  EXPECT_EQ(toolkit().ControlText(0, kEditor), u"\r\n");
  EXPECT_EQ(commands.size(), 2u);
}

TEST_P(ToolkitContract, WhileABoxIsOpenNoShortcutActsAndNoWindowStaysTopmost) {
  OpenWindow(1);
  OpenEditorWindow(0);
  backend().Activate(0);  // the box's owner; window 1 is only topmost
  toolkit().SetTopmost(1, true);
  toolkit().FocusControl(0, kEditor);
  toolkit().AddShortcut(0, Ctrl('K'), 95);
  toolkit().AddShortcut(1, Ctrl('K'), 96);
  std::vector<Event>& commands = Record(kCommandEvent);

  std::vector<bool> topmostSeen;
  bool closed = false;
  toolkit().Events().Bind({kTimerEvent, 0, 3}, [&] {
    if (closed) return;
    topmostSeen.push_back(backend().IsTopmost(1));
    if (topmostSeen.size() == 1) backend().PressKey(Ctrl('K'));
    if (topmostSeen.size() == 2) backend().PressKey('Q');
    if (topmostSeen.size() == 5) closed = backend().CloseMessageBox();
  });
  toolkit().StartTimer(0, 3, 20);
  toolkit().ShowMessageBox(u"Orvel", u"No shortcut here.", BoxIcon::Information);

  EXPECT_TRUE(closed);
  EXPECT_TRUE(commands.empty());
  ASSERT_GE(topmostSeen.size(), 5u);
  for (bool topmost : topmostSeen) EXPECT_FALSE(topmost) << "nothing stays above the box";
  EXPECT_TRUE(backend().IsTopmost(1));
  EXPECT_EQ(toolkit().ControlText(0, kEditor), u"") << "the keys went to the box";
  // Once it is gone the table answers again.
  backend().Activate(0);
  backend().PressKey(Ctrl('K'));
  EXPECT_EQ(commands, std::vector<Event>{Command(0, 95)});
}

TEST_P(ToolkitContract, LayoutQueriesAgreeWithEachOtherAndWithTheText) {
  OpenEditorWindow();
  // Positions: "first line" 0-9, breaks at 10, 17 and 18, "second" 11-16,
  // "last" 19-22.
  toolkit().SetControlText(0, kEditor, u"first line\r\nsecond\r\n\r\nlast");
  const Rect area = toolkit().FormattingRect(0, kEditor);
  EXPECT_GE(area.left, 0);
  EXPECT_GE(area.top, 0);
  EXPECT_LE(area.right, 480);
  EXPECT_LE(area.bottom, 320);
  EXPECT_LT(area.left + 50, area.right);
  EXPECT_LT(area.top + 50, area.bottom);

  for (const int index : {0, 1, 5, 9, 11, 16, 18, 19, 22}) {
    const Point corner = toolkit().PosFromChar(0, kEditor, index);
    EXPECT_EQ(toolkit().CharFromPos(0, kEditor, corner), index) << "at " << corner.x << ", " << corner.y;
    EXPECT_GE(corner.x, area.left) << index;
    EXPECT_GE(corner.y, area.top) << index;
  }
  const Point start = toolkit().PosFromChar(0, kEditor, 0);
  const Point along = toolkit().PosFromChar(0, kEditor, 5);
  const Point below = toolkit().PosFromChar(0, kEditor, 11);
  const Point empty = toolkit().PosFromChar(0, kEditor, 18);
  EXPECT_EQ(along.y, start.y);
  EXPECT_GT(along.x, start.x);
  EXPECT_EQ(below.x, start.x);
  EXPECT_GT(below.y, start.y);
  EXPECT_EQ(empty.x, start.x);
  EXPECT_EQ(empty.y - below.y, below.y - start.y) << "one line height each";
  // The text area's corners give the first character and one past the
  // last line's start.
  EXPECT_EQ(toolkit().CharFromPos(0, kEditor, {area.left, area.top}), 0);
  EXPECT_GE(toolkit().CharFromPos(0, kEditor, {area.right, area.bottom}), 19);

  const struct {
    int first, last;
    Text range;
  } ranges[] = {
      {0, 5, u"first"},
      {6, 13, u"line\rse"},  // a line break is one CR
      {17, 19, u"\r\r"},
      {19, 23, u"last"},
      {19, 40, u"last"},  // what there is up to the end
      {4, 4, u""},
      {5, 2, u""},
  };
  for (const auto& r : ranges) {
    EXPECT_EQ(toolkit().TextRange(0, kEditor, r.first, r.last), r.range) << r.first << " to " << r.last;
  }
  EXPECT_EQ(toolkit().ControlText(0, kEditor), u"first line\r\nsecond\r\n\r\nlast") << "asking changes nothing";
}

TEST_P(ToolkitContract, AfterPaintRunsAfterEveryPaintAndThereIsNeverMoreThanOne) {
  OpenEditorWindow();
  toolkit().SetControlText(0, kEditor, u"a1<b>");
  int firstRuns = 0;
  int secondRuns = 0;
  toolkit().SetAfterPaint(0, kEditor, [&](PaintCanvas&) { ++firstRuns; });
  backend().Paint(0, kEditor);
  EXPECT_EQ(firstRuns, 1);
  backend().Paint(0, kEditor);
  EXPECT_EQ(firstRuns, 2);

  // Put in place again: the new hook instead of the old one.
  toolkit().SetAfterPaint(0, kEditor, [&](PaintCanvas&) { ++secondRuns; });
  backend().Paint(0, kEditor);
  EXPECT_EQ(firstRuns, 2);
  EXPECT_EQ(secondRuns, 1);

  // Taken away once: none is left.
  toolkit().SetAfterPaint(0, kEditor, nullptr);
  backend().Paint(0, kEditor);
  EXPECT_EQ(firstRuns, 2);
  EXPECT_EQ(secondRuns, 1);
  // Taking away what is not there does nothing, and a hook can come back.
  toolkit().SetAfterPaint(0, kEditor, nullptr);
  toolkit().SetAfterPaint(0, kEditor, [&](PaintCanvas&) { ++firstRuns; });
  backend().Paint(0, kEditor);
  EXPECT_EQ(firstRuns, 3);
  EXPECT_EQ(secondRuns, 1);
}

TEST_P(ToolkitContract, WithAHookInPlaceTheEditorGetsEveryMessageOnce) {
  OpenEditorWindow();
  backend().Activate(0);
  toolkit().FocusControl(0, kEditor);
  int runs = 0;
  // In place twice: the second only replaces the hook.
  toolkit().SetAfterPaint(0, kEditor, [&](PaintCanvas&) { ++runs; });
  toolkit().SetAfterPaint(0, kEditor, [&](PaintCanvas&) { ++runs; });
  std::vector<Event>& changes = Record(kControlEvent);

  backend().Type(u"ab");
  EXPECT_EQ(toolkit().ControlText(0, kEditor), u"ab");
  EXPECT_EQ(changes.size(), 2u) << "one change per key";
  toolkit().ReplaceSelection(0, kEditor, u"!");
  EXPECT_EQ(toolkit().ControlText(0, kEditor), u"ab!");
  EXPECT_EQ(changes.size(), 3u);
  toolkit().SetSelection(0, kEditor, 0, 1);
  toolkit().ReplaceSelection(0, kEditor, u"A");
  EXPECT_EQ(toolkit().ControlText(0, kEditor), u"Ab!");
  EXPECT_EQ(toolkit().FindText(0, kEditor, 0, u"B!"), 1);
  EXPECT_EQ(changes.size(), 4u);
  for (const Event& change : changes) EXPECT_EQ(change, kEditorChanged);

  // Taken away, the editor is as it was.
  toolkit().SetAfterPaint(0, kEditor, nullptr);
  toolkit().SetSelection(0, kEditor, -1, -1);
  backend().Type(u"c");
  EXPECT_EQ(toolkit().ControlText(0, kEditor), u"Ab!c");
  EXPECT_EQ(changes.size(), 5u);
  const int before = runs;
  backend().Paint(0, kEditor);
  EXPECT_EQ(runs, before);
}

TEST_P(ToolkitContract, AfterPaintAndFileDropsWorkTogetherInEitherOrder) {
  for (const bool dropsFirst : {true, false}) {
    SCOPED_TRACE(dropsFirst ? "drops first" : "hook first");
    const int window = dropsFirst ? 0 : 1;
    OpenWindow(window);
    toolkit().CreateControl({window, kEditor, ControlKind::Editor, 0, 0, 480, 320, {}});
    toolkit().SetPlainTextMode(window, kEditor);
    backend().Activate(window);
    toolkit().FocusControl(window, kEditor);
    int runs = 0;
    int drops = 0;
    toolkit().Events().Bind({kDropEvent, window}, [&] { ++drops; });
    if (dropsFirst) toolkit().EnableFileDrops(window, kEditor);
    toolkit().SetAfterPaint(window, kEditor, [&](PaintCanvas&) { ++runs; });
    if (!dropsFirst) toolkit().EnableFileDrops(window, kEditor);

    backend().Paint(window, kEditor);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(backend().DropFiles(window, kEditor, {NativePath(u"C:\\notes\\a.txt")}));
    EXPECT_EQ(drops, 1);

    toolkit().SetAfterPaint(window, kEditor, nullptr);
    backend().Paint(window, kEditor);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(backend().DropFiles(window, kEditor, {NativePath(u"C:\\notes\\b.txt")}));
    EXPECT_EQ(drops, 2);
    backend().Type(u"x");
    EXPECT_EQ(toolkit().ControlText(window, kEditor), u"x");

    toolkit().SetAfterPaint(window, kEditor, [&](PaintCanvas&) { ++runs; });
    backend().Paint(window, kEditor);
    EXPECT_EQ(runs, 2);
    toolkit().CloseWindow(window);  // with both in the control's chain
  }
}

#ifdef ORVEL_TOOLKIT_WIN32
INSTANTIATE_TEST_SUITE_P(Win32, ToolkitContract, ::testing::Values("win32"),
                         [](const auto& param) { return std::string(param.param); });

// What only the Win32 toolkit can be asked.
class Win32Toolkit : public ::testing::Test {
 protected:
  std::unique_ptr<Toolkit> toolkit_ = MakeWin32Toolkit();
  ~Win32Toolkit() override { toolkit_->Release(); }
  HWND Handle(const Text& title) { return FindWindowW(nullptr, Wide(title).c_str()); }
};

TEST_F(Win32Toolkit, CentredWindowsSitInTheMiddleOfTheScreen) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const struct {
    WindowStyle style;
    int innerWidth, innerHeight;
  } cases[] = {
      {WindowStyle::Tool, 355, 105},
      {WindowStyle::Overlapped, 640, 480},
      {WindowStyle::Overlapped, screenWidth + 300, screenHeight + 200},  // larger than the screen
  };
  int number = 0;
  for (const auto& c : cases) {
    WindowSpec wanted;
    wanted.number = number;
    wanted.x = 7;
    wanted.y = 9;
    wanted.innerWidth = c.innerWidth;
    wanted.innerHeight = c.innerHeight;
    wanted.title = u"centred " + DecimalText(number++);
    wanted.style = c.style;
    wanted.visible = false;
    wanted.centred = true;
    toolkit_->OpenWindow(wanted);
    RECT frame{};
    ASSERT_TRUE(GetWindowRect(Handle(wanted.title), &frame));
    const int outerWidth = frame.right - frame.left;
    const int outerHeight = frame.bottom - frame.top;
    EXPECT_EQ(frame.left, (screenWidth - std::min(screenWidth, outerWidth)) / 2) << c.innerWidth;
    EXPECT_EQ(frame.top, (screenHeight - std::min(screenHeight, outerHeight)) / 2) << c.innerWidth;
    // A window larger than the screen is cut down to it by the system.
    if (c.innerWidth < screenWidth) {
      EXPECT_EQ(toolkit_->Geometry(wanted.number).innerWidth, c.innerWidth);
    }
  }
}

TEST_F(Win32Toolkit, FontsAreSizedInPointsOfTheScreen) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (dpi != 96) GTEST_SKIP() << "the table holds heights at 96 dpi, the screen has " << dpi;

  WindowSpec wanted;
  wanted.title = u"fonts";
  wanted.innerWidth = 200;
  wanted.innerHeight = 100;
  wanted.visible = false;
  toolkit_->OpenWindow(wanted);
  // An input field, which tells its font (not every rich edit answers WM_GETFONT).
  toolkit_->CreateControl({0, kInput, ControlKind::Input, 0, 0, 200, 20, {}});
  HWND input = GetDlgItem(Handle(wanted.title), kInput);
  const auto heightOf = [&] {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(input, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
  };
  const struct {
    int points;
    LONG height;  // negative: the character height, not the cell height
  } cases[] = {{14, -19}, {10, -13}, {9, -12}, {12, -16}, {1, -1}};
  for (const auto& c : cases) {
    toolkit_->LoadFont(c.points, u"Courier New", c.points);
    toolkit_->SetControlFont(0, kInput, c.points);
    EXPECT_EQ(heightOf(), c.height) << c.points << " points";
  }
  toolkit_->SetControlFont(0, kInput, kGuiFont);
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(input, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));
}

TEST_F(Win32Toolkit, LongLinesScrollSidewaysInsteadOfWrapping) {
  WindowSpec wanted;
  wanted.title = u"no wrap";
  wanted.innerWidth = 200;
  wanted.innerHeight = 100;
  wanted.visible = false;
  toolkit_->OpenWindow(wanted);
  toolkit_->CreateControl({0, kEditor, ControlKind::Editor, 0, 0, 200, 100, {}});
  toolkit_->SetPlainTextMode(0, kEditor);
  toolkit_->SetControlText(0, kEditor, Text(400, u'w') + u"\r\n" + Text(400, u'x'));
  HWND editor = GetDlgItem(Handle(wanted.title), kEditor);
  EXPECT_EQ(SendMessageW(editor, EM_GETLINECOUNT, 0, 0), 2);
}

// A window with a white editor of black text in a font of fixed pitch.
class Win32Editor : public Win32Toolkit {
 protected:
  static constexpr int kFont = 1;
  void SetUp() override {
    WindowSpec wanted;
    wanted.title = u"win32 editor";
    wanted.x = 100;
    wanted.y = 100;
    wanted.innerWidth = 320;
    wanted.innerHeight = 120;
    toolkit_->OpenWindow(wanted);
    toolkit_->CreateControl({0, kEditor, ControlKind::Editor, 0, 0, 320, 120, {}});
    toolkit_->CreateControl({0, kInput, ControlKind::Input, 0, 0, 10, 10, {}});
    toolkit_->SetPlainTextMode(0, kEditor);
    toolkit_->LoadFont(kFont, u"Courier New", 14);
    toolkit_->SetControlFont(0, kEditor, kFont);
    toolkit_->SetEditorBackground(0, kEditor, 0xFFFFFF);
    toolkit_->SetEditorTextColour(0, kEditor, 0x000000);
    editor_ = GetDlgItem(Handle(wanted.title), kEditor);
    ASSERT_NE(editor_, nullptr);
    toolkit_->SetControlText(0, kEditor, u"W\r\nW");
    lineHeight_ = toolkit_->PosFromChar(0, kEditor, 2).y - toolkit_->PosFromChar(0, kEditor, 0).y;
    ASSERT_GT(lineHeight_, 0);
    toolkit_->SetControlText(0, kEditor, u"");
  }

  void PressKey(KeyValue key) {
    SendKey(key);
    HandleKeys(*toolkit_);
  }
  void Paint() {
    InvalidateRect(editor_, nullptr, TRUE);
    UpdateWindow(editor_);
  }
  // Native messages handled, a paint among them when something is invalid,
  // until `done` holds; false when it did not within a few wake-ups.
  bool RunUntil(const std::function<bool()>& done) {
    const UINT_PTR wake = SetTimer(nullptr, 0, 50, nullptr);
    for (int step = 0; !done() && step < 40; ++step) toolkit_->Events().Wait();
    KillTimer(nullptr, wake);
    return done();
  }
  // The cell of one character: from its corner to the next one's, one line high.
  RECT Cell(int index) {
    const Point at = toolkit_->PosFromChar(0, kEditor, index);
    const Point next = toolkit_->PosFromChar(0, kEditor, index + 1);
    return {at.x, at.y, next.x, at.y + lineHeight_};
  }
  // Pixels of the cell, as the screen shows them, that pass the test.
  int CountPixels(const RECT& cell, bool (*passes)(COLORREF)) {
    HDC dc = GetDC(editor_);
    int count = 0;
    for (int y = cell.top; y < cell.bottom; ++y) {
      for (int x = cell.left; x < cell.right; ++x) count += passes(GetPixel(dc, x, y)) ? 1 : 0;
    }
    ReleaseDC(editor_, dc);
    return count;
  }
  static bool Dark(COLORREF c) { return std::max({GetRValue(c), GetGValue(c), GetBValue(c)}) < 96; }
  static bool Red(COLORREF c) { return GetRValue(c) > GetGValue(c) + 100 && GetRValue(c) > GetBValue(c) + 100; }

  HWND editor_ = nullptr;
  int lineHeight_ = 0;
};

TEST_F(Win32Editor, TheHookDrawsClippedOverTheTextTheControlPaintedFirst) {
  // Cells 0 to 9 of one line; cell 0 painted empty. (A line of spaces only
  // would not do: the control puts all of its spaces at one position.)
  toolkit_->SetControlText(0, kEditor, u" _________");
  Paint();
  ASSERT_EQ(CountPixels(Cell(0), &Dark), 0);

  std::vector<int> inkSeen;  // in cell 0, at each run of the hook
  toolkit_->SetAfterPaint(0, kEditor, [&](PaintCanvas& canvas) {
    inkSeen.push_back(CountPixels(Cell(0), &Dark));
    // Clipped to cells 2 to 5: the first W shows, the second is cut off.
    canvas.Open({Cell(2).left, 0, Cell(6).left, 120}, kFont);
    canvas.SetTextColour(0x0000FF);
    canvas.DrawCharacter(u'W', {Cell(3).left, Cell(3).top, 320, 120});
    canvas.DrawCharacter(u'W', {Cell(7).left, Cell(7).top, 320, 120});
  });
  // The text is new to the paint that the hook sees first.
  toolkit_->SetControlText(0, kEditor, u"W_________");
  Paint();
  ASSERT_FALSE(inkSeen.empty());
  EXPECT_GT(inkSeen.front(), 0) << "the control painted the text before the hook ran";
  ASSERT_GT(Cell(3).right, Cell(3).left);
  EXPECT_GT(CountPixels(Cell(3), &Red), 0);
  EXPECT_EQ(CountPixels(Cell(7), &Red), 0) << "outside the clip";
  EXPECT_EQ(CountPixels(Cell(0), &Red), 0);
  EXPECT_GT(CountPixels(Cell(3), &Dark), 0) << "drawn over the text, not instead of it";

  // Without the hook the next paint shows the text alone.
  toolkit_->SetAfterPaint(0, kEditor, nullptr);
  Paint();
  EXPECT_EQ(CountPixels(Cell(3), &Red), 0);
  EXPECT_GT(CountPixels(Cell(0), &Dark), 0);
}

TEST_F(Win32Editor, PuttingTheHookInPlaceOrAwayRepaintsTheControl) {
  toolkit_->SetControlText(0, kEditor, u"W_________");
  Paint();  // nothing left to paint
  int runs = 0;
  toolkit_->SetAfterPaint(0, kEditor, [&](PaintCanvas& canvas) {
    ++runs;
    canvas.Open({0, 0, 320, 120}, kGuiFont);
    canvas.SetTextColour(0x0000FF);
    canvas.DrawCharacter(u'W', {Cell(3).left, Cell(3).top, 320, 120});
  });
  EXPECT_TRUE(RunUntil([&] { return runs > 0 && CountPixels(Cell(3), &Red) > 0; }));
  toolkit_->SetAfterPaint(0, kEditor, nullptr);
  EXPECT_TRUE(RunUntil([&] { return CountPixels(Cell(3), &Red) == 0; }));
}

TEST_F(Win32Editor, TakingTheHookAwayPutsTheControlsOwnProcedureBack) {
  const LONG_PTR own = GetWindowLongPtrW(editor_, GWLP_WNDPROC);
  toolkit_->SetAfterPaint(0, kEditor, [](PaintCanvas&) {});
  const LONG_PTR replacement = GetWindowLongPtrW(editor_, GWLP_WNDPROC);
  EXPECT_NE(replacement, own);
  toolkit_->SetAfterPaint(0, kEditor, [](PaintCanvas&) {});
  EXPECT_EQ(GetWindowLongPtrW(editor_, GWLP_WNDPROC), replacement) << "one replacement, not two";
  toolkit_->SetAfterPaint(0, kEditor, nullptr);
  EXPECT_EQ(GetWindowLongPtrW(editor_, GWLP_WNDPROC), own);
}

TEST_F(Win32Editor, AHookMayReplaceOrRemoveItselfWhileItRuns) {
  toolkit_->SetControlText(0, kEditor, u"W");
  int firstRuns = 0;
  int secondRuns = 0;
  toolkit_->SetAfterPaint(0, kEditor, [&](PaintCanvas& canvas) {
    ++firstRuns;
    canvas.Open({0, 0, 320, 120}, kFont);
    toolkit_->SetAfterPaint(0, kEditor, [&](PaintCanvas&) {
      ++secondRuns;
      toolkit_->SetAfterPaint(0, kEditor, nullptr);
    });
    canvas.DrawCharacter(u'x', {0, 0, 320, 120});
  });
  for (int paint = 0; paint < 3; ++paint) Paint();
  EXPECT_EQ(firstRuns, 1);
  EXPECT_EQ(secondRuns, 1);
}

// The toolkit cannot make an editor read-only; the control can.
TEST_F(Win32Editor, TabIsTypedOnlyIntoAWritableEditor) {
  const struct {
    BOOL readOnly;
    Text text;   // afterwards
    int focused;
  } cases[] = {
      {TRUE, u"", kInput},
      {FALSE, u"\t", kEditor},
  };
  for (const auto& c : cases) {
    SendMessageW(editor_, EM_SETREADONLY, c.readOnly, 0);
    toolkit_->FocusControl(0, kEditor);
    PressKey(kKeyTab);
    EXPECT_EQ(toolkit_->ControlText(0, kEditor), c.text) << "read-only " << c.readOnly;
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), c.focused) << "read-only " << c.readOnly;
  }
}

#elif defined(ORVEL_TOOLKIT_QT)
INSTANTIATE_TEST_SUITE_P(Qt, ToolkitContract, ::testing::Values("qt"),
                         [](const auto& param) { return std::string(param.param); });

// What only the Qt toolkit can be asked: its widgets, as they show.
class QtToolkit : public ::testing::Test {
 protected:
  Toolkit& toolkit() { return backend_.toolkit(); }

  QPlainTextEdit* OpenEditor(int window, const Text& text) {
    WindowSpec wanted;
    wanted.number = window;
    wanted.x = 100 + 40 * window;
    wanted.y = 100;
    wanted.innerWidth = 480;
    wanted.innerHeight = 320;
    wanted.title = u"Orvel Qt window " + DecimalText(window);
    toolkit().OpenWindow(wanted);
    backend_.Shown(window);
    toolkit().CreateControl({window, kEditor, ControlKind::Editor, 0, 0, 480, 320, text});
    return qobject_cast<QPlainTextEdit*>(backend_.Control(window, kEditor));
  }

  // How many pixels of the widget, as it paints now, have this colour.
  static int PixelsOf(QWidget* widget, const QColor& colour) {
    const QImage image = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y).rgb() == colour.rgb();
    }
    return count;
  }

  QtBackend backend_;
};

TEST_F(QtToolkit, TheNoteFontIsTheFixedWidthFontAt14PointsOfTheScreen) {
  const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
  if (dpi != 96) GTEST_SKIP() << "the height is known at 96 dpi, the screen has " << dpi;
  QPlainTextEdit* editor = OpenEditor(0, u"0123 iiii WWWW");
  toolkit().LoadFont(1, u"FixedSys", 14);  // no such face here
  toolkit().SetControlFont(0, kEditor, 1);
  EXPECT_EQ(editor->font().pixelSize(), 19);
  EXPECT_TRUE(QFontInfo(editor->font()).fixedPitch());
  // Every character as wide as the next.
  const int narrow = toolkit().PosFromChar(0, kEditor, 6).x - toolkit().PosFromChar(0, kEditor, 5).x;
  const int wide = toolkit().PosFromChar(0, kEditor, 11).x - toolkit().PosFromChar(0, kEditor, 10).x;
  EXPECT_EQ(narrow, wide);
}

TEST_F(QtToolkit, ACentredWindowSitsInTheMiddleOfThePrimaryScreen) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  WindowSpec wanted;
  wanted.number = 33;
  wanted.innerWidth = 355;
  wanted.innerHeight = 105;
  wanted.title = u"Orvel Qt centred";
  wanted.style = WindowStyle::Tool;
  wanted.centred = true;
  toolkit().OpenWindow(wanted);
  backend_.Shown(33);
  const WindowGeometry geometry = toolkit().Geometry(33);
  EXPECT_EQ(geometry.innerWidth, 355);
  EXPECT_EQ(geometry.innerHeight, 105);
  EXPECT_NEAR(geometry.x + geometry.innerWidth / 2, screen.center().x(), 1);
  EXPECT_NEAR(geometry.y + geometry.innerHeight / 2, screen.center().y(), 1);
}

TEST_F(QtToolkit, LongLinesScrollSidewaysInsteadOfWrapping) {
  const Text line(400, u'x');
  QPlainTextEdit* editor = OpenEditor(0, line + u"\r\nnext");
  EXPECT_EQ(toolkit().PosFromChar(0, kEditor, 399).y, toolkit().PosFromChar(0, kEditor, 0).y);
  EXPECT_GT(editor->horizontalScrollBar()->maximum(), 0);
  // The caret at the end of the long line brings it into view.
  toolkit().SetSelection(0, kEditor, 400, 400);
  EXPECT_GT(editor->horizontalScrollBar()->value(), 0);
}

TEST_F(QtToolkit, PastedRichTextArrivesAsPlainTextInTheEditorsColours) {
  const struct {
    const char* name;
    bool withPlainText;
  } cases[] = {{"rich and plain text", true}, {"rich text only", false}};
  for (const auto& c : cases) {
    QPlainTextEdit* editor = OpenEditor(0, u"");
    toolkit().SetEditorBackground(0, kEditor, 0xFEFEFE);
    toolkit().SetEditorTextColour(0, kEditor, 0x010101);
    auto* clip = new QMimeData;
    clip->setHtml(QStringLiteral("<p><b style=\"color:#ff0000;font-size:40px\">Red</b> text</p>"));
    if (c.withPlainText) clip->setText(QStringLiteral("Red text"));
    QGuiApplication::clipboard()->setMimeData(clip);
    editor->paste();
    EXPECT_EQ(toolkit().ControlText(0, kEditor), u"Red text") << c.name;
    EXPECT_EQ(PixelsOf(editor->viewport(), QColor(255, 0, 0)), 0) << c.name << ": no colour of its own";
    EXPECT_GT(PixelsOf(editor->viewport(), QColor(1, 1, 1)), 0) << c.name << ": the editor's text colour";
    toolkit().CloseWindow(0);
  }
}

TEST_F(QtToolkit, TheSelectionStaysInSightWhileAnotherWindowIsActive) {
  QPlainTextEdit* editor = OpenEditor(0, u"find me here");
  toolkit().SetSelection(0, kEditor, 5, 7);
  const QColor highlight = editor->palette().color(QPalette::Active, QPalette::Highlight);
  backend_.Activate(0);
  const int active = PixelsOf(editor->viewport(), highlight);
  EXPECT_GT(active, 0);
  OpenEditor(1, u"");
  backend_.Activate(1);
  ASSERT_FALSE(editor->hasFocus());
  EXPECT_EQ(PixelsOf(editor->viewport(), highlight), active);
}
#else
INSTANTIATE_TEST_SUITE_P(Fake, ToolkitContract, ::testing::Values("fake"),
                         [](const auto& param) { return std::string(param.param); });
#endif

}  // namespace
}  // namespace orvel
