// The toolkit on Qt. Windows and controls are known by the numbers the
// program gives them. Native notifications become events while Qt delivers
// them; the event model's pump is one round of Qt's event processing.
#include "platform/qt/toolkit_qt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <csignal>
#include <map>
#include <utility>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

#include "platform/qt/note_editor.h"
#include "platform/qt/qt_keys.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_tone.h"

namespace orvel {

namespace {

using qt::FromQString;
using qt::NoteEditor;
using qt::ToQString;

// A top-level window of the program. A close request is only reported: the
// program decides what closes.
class ProgramWindow final : public QWidget {
 public:
  std::function<void()> onClose;
  std::function<void()> onResize;
  std::function<void()> onMoveOrResize;

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    if (onClose) onClose();
  }
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    if (onMoveOrResize) onMoveOrResize();
    if (onResize) onResize();
  }
  void moveEvent(QMoveEvent* event) override {
    QWidget::moveEvent(event);
    if (onMoveOrResize) onMoveOrResize();
  }
};

// Lets a function look at every event before its receiver does.
class EventFilter final : public QObject {
 public:
  explicit EventFilter(std::function<bool(QObject*, QEvent*)> filter) : filter_(std::move(filter)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override { return filter_(watched, event); }

 private:
  std::function<bool(QObject*, QEvent*)> filter_;
};

struct ControlRecord {
  ControlKind kind = ControlKind::Editor;
  QWidget* widget = nullptr;  // a child of the window, which deletes it
  NoteEditor* editor = nullptr;
};

struct WindowRecord {
  int number = 0;
  std::unique_ptr<ProgramWindow> widget;
  WindowStyle style = WindowStyle::Overlapped;
  std::map<int, ControlRecord> controls;
  std::vector<int> tabOrder;  // controls that take the focus, in the order they were made
  std::map<int, QTimer*> timers;  // children of the window
  ShortcutTable shortcuts;
  WindowGeometry normal;  // where the window stands in normal state
};

// The write end of the pipe that a termination signal is reported through:
// a signal handler may only write to a descriptor.
int g_signalPipe = -1;

void ReportSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const auto written = ::write(g_signalPipe, &byte, 1);
}

class QtToolkit final : public Toolkit {
 public:
  explicit QtToolkit(QtToolkitOptions options)
      : options_(options), keyFilter_([this](QObject* target, QEvent* event) { return FilterKey(target, event); }) {
    events_.SetNativePump([] { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); });
    qApp->installEventFilter(&keyFilter_);
  }

  ~QtToolkit() override {
    Release();
    qApp->removeEventFilter(&keyFilter_);
    if (signalNotifier_) {
      for (int signal : {SIGTERM, SIGHUP, SIGINT}) std::signal(signal, SIG_DFL);
      g_signalPipe = -1;
      delete signalNotifier_;
      ::close(signalPipe_[0]);
      ::close(signalPipe_[1]);
    }
  }
  QtToolkit(const QtToolkit&) = delete;
  QtToolkit& operator=(const QtToolkit&) = delete;

  EventModel& Events() override { return events_; }

  void OpenWindow(const WindowSpec& wanted) override {
    CloseWindow(wanted.number);  // a number names one window
    // Making and showing the window sizes it; none of that is an event: the
    // program lays out a new window itself.
    EventModel::CreatingControl creating(events_);
    auto record = std::make_unique<WindowRecord>();
    record->number = wanted.number;
    record->style = wanted.style;
    record->widget = std::make_unique<ProgramWindow>();
    ProgramWindow& widget = *record->widget;
    if (wanted.style == WindowStyle::Tool) {
      // Caption and close button only, and a size of its own.
      widget.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowCloseButtonHint);
      widget.setFixedSize(wanted.innerWidth, wanted.innerHeight);
    } else {
      widget.resize(wanted.innerWidth, wanted.innerHeight);
    }
    widget.setWindowTitle(ToQString(wanted.title));
    widget.setAutoFillBackground(true);
    widget.setBackgroundRole(wanted.buttonFace ? QPalette::Button : QPalette::Base);
    if (wanted.programIcon) widget.setWindowIcon(QIcon(QStringLiteral(":/orvel/orvel.ico")));
    int x = wanted.x;
    int y = wanted.y;
    if (wanted.centred) {
      const QRect screen = QGuiApplication::primaryScreen()->geometry();
      x = screen.x() + (screen.width() - std::min(screen.width(), wanted.innerWidth)) / 2;
      y = screen.y() + (screen.height() - std::min(screen.height(), wanted.innerHeight)) / 2;
    }
    // Placed by its inside (X11 static gravity): the window manager's frame
    // goes around that, whatever its size, so a stored position comes back.
    widget.setGeometry(x, y, wanted.innerWidth, wanted.innerHeight);
    record->normal = {x, y, wanted.innerWidth, wanted.innerHeight};
    const int number = wanted.number;
    widget.onClose = [this, number] { Raise(kCloseEvent, number, number, 0); };
    widget.onResize = [this, number] {
      const WindowRecord* r = FindWindowRecord(number);
      if (!r || r->widget->isMinimized()) return;
      ++sizeEvents_;
      Raise(kSizeEvent, number, 0, 0);
    };
    widget.onMoveOrResize = [this, number] { RememberNormal(number); };
    windows_[number] = std::move(record);
    if (wanted.visible) {
      widget.show();
      widget.raise();
      widget.activateWindow();
    }
  }

  void ShowWindow(int window) override {
    if (QWidget* widget = WindowWidget(window)) widget->showNormal();
  }

  void HideWindow(int window) override {
    if (QWidget* widget = WindowWidget(window)) widget->hide();
  }

  // The window manager grants the activation a moment later; the focus
  // comes back to the control that had it (Qt keeps each window's own).
  void ActivateWindow(int window) override {
    QWidget* widget = WindowWidget(window);
    if (!widget || !widget->isVisible()) return;
    widget->raise();
    widget->activateWindow();
  }

  bool IsWindowVisible(int window) override {
    QWidget* widget = WindowWidget(window);
    return widget && widget->isVisible();
  }

  WindowState State(int window) override {
    QWidget* widget = WindowWidget(window);
    if (!widget) return WindowState::Normal;
    if (widget->isMinimized()) return WindowState::Minimised;
    if (widget->isMaximized()) return WindowState::Maximised;
    return WindowState::Normal;
  }

  // X11 quirk: a new window is placed by where its inside goes (see
  // OpenWindow), so the position given back is the inside's too. Were it
  // the frame's, a window reopened where it was closed would creep up and
  // left by its frame at every start.
  WindowGeometry Geometry(int window) override {
    QWidget* widget = WindowWidget(window);
    if (!widget) return {};
    const QRect inner = widget->geometry();
    return {inner.x(), inner.y(), inner.width(), inner.height()};
  }

  WindowGeometry NormalGeometry(int window) override {
    const WindowRecord* record = FindWindowRecord(window);
    if (!record) return {};
    if (State(window) == WindowState::Normal) return Geometry(window);
    return record->normal;
  }

  void SetInnerSize(int window, int innerWidth, int innerHeight) override {
    WindowRecord* record = FindWindowRecord(window);
    if (!record) return;
    // A visible window is resized, and hears of it, inside this call. When
    // the size stays as it is Qt says nothing; the event is raised anyway.
    const int sizeEventsBefore = sizeEvents_;
    if (record->style == WindowStyle::Tool) {
      record->widget->setFixedSize(innerWidth, innerHeight);
    } else {
      record->widget->resize(innerWidth, innerHeight);
    }
    if (sizeEvents_ == sizeEventsBefore) Raise(kSizeEvent, window, 0, 0);
  }

  void SetTopmost(int window, bool topmost) override {
    if (QWidget* widget = WindowWidget(window)) SetStaysOnTop(*widget, topmost);
  }

  Text Title(int window) override {
    QWidget* widget = WindowWidget(window);
    return widget ? FromQString(widget->windowTitle()) : Text();
  }

  void SetTitle(int window, const Text& title) override {
    if (QWidget* widget = WindowWidget(window)) widget->setWindowTitle(ToQString(title));
  }

  void CloseWindow(int window) override {
    auto found = windows_.find(window);
    if (found == windows_.end()) return;
    std::unique_ptr<WindowRecord> record = std::move(found->second);
    windows_.erase(found);
    for (auto& [number, timer] : record->timers) timer->stop();
    record->widget->hide();
    record->widget->setWindowTitle({});  // nothing names a closed window any more
    // Deleted once Qt is done with whatever it is delivering to it now.
    record->widget.release()->deleteLater();
  }

  void LoadFont(int font, const Text& face, int points) override {
    if (font == kGuiFont) return;  // the system's own is not ours to replace
    const QString family = ToQString(face);
    QFont loaded = QFontDatabase::hasFamily(family) ? QFont(family)
                                                    // Where the face is missing: the system's fixed-width font.
                                                    : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const qreal dpi = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->logicalDotsPerInchY() : 96;
    loaded.setPixelSize(std::max(1, qRound(points * dpi / 72.0)));
    // Crisp glyphs, as the note font has on Windows: a digit painted over in
    // its colour covers every pixel of the glyph below, and leaves no edge
    // of another colour.
    loaded.setStyleStrategy(QFont::NoAntialias);
    fonts_[font] = loaded;
  }

  void CreateControl(const ControlSpec& wanted) override {
    WindowRecord* window = FindWindowRecord(wanted.window);
    if (!window) return;
    EventModel::CreatingControl creating(events_);
    RemoveControl(*window, wanted.number);
    ProgramWindow* parent = window->widget.get();
    const int windowNumber = wanted.window;
    const int number = wanted.number;
    ControlRecord control;
    control.kind = wanted.kind;
    switch (wanted.kind) {
      case ControlKind::Editor: {
        auto* editor = new NoteEditor(parent);
        editor->SetWholeText(wanted.text);
        editor->onChange = [this, windowNumber, number] { Raise(kControlEvent, windowNumber, number, kEditChanged); };
        editor->onDrop = [this, windowNumber, number](std::vector<Text> paths) {
          dropped_ = std::move(paths);
          Raise(kDropEvent, windowNumber, number, 0);
        };
        editor->fontOf = [this, editor](int font) { return FontOf(font, editor->font()); };
        control.widget = editor;
        control.editor = editor;
        break;
      }
      case ControlKind::StaticText: {
        // Plain text, so '&' shows as it is; top-left, as a static control.
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setText(ToQString(wanted.text));
        control.widget = label;
        break;
      }
      case ControlKind::Input: {
        auto* field = new QLineEdit(parent);
        field->setText(ToQString(wanted.text));
        QObject::connect(field, &QLineEdit::textEdited, field,
                         [this, windowNumber, number] { Raise(kControlEvent, windowNumber, number, kEditChanged); });
        control.widget = field;
        break;
      }
      case ControlKind::Button: {
        auto* button = new QPushButton(ToQString(wanted.text), parent);
        // Not a default button: Enter is the window's to give a meaning.
        button->setAutoDefault(false);
        button->setDefault(false);
        QObject::connect(button, &QPushButton::clicked, button,
                         [this, windowNumber, number] { Raise(kControlEvent, windowNumber, number, kButtonClicked); });
        control.widget = button;
        break;
      }
    }
    // Named by its number, for whoever looks at the window from outside.
    control.widget->setObjectName(QString::number(number));
    control.widget->setGeometry(wanted.x, wanted.y, wanted.width, wanted.height);
    control.widget->show();
    if (wanted.kind != ControlKind::StaticText) {
      control.widget->setFocusPolicy(Qt::StrongFocus);
      window->tabOrder.push_back(number);
    } else {
      control.widget->setFocusPolicy(Qt::NoFocus);
    }
    window->controls[number] = control;
  }

  void SetControlFont(int window, int control, int font) override {
    const ControlRecord* record = FindControl(window, control);
    if (!record) return;
    if (font != kGuiFont && fonts_.count(font) == 0) return;
    const QFont chosen = FontOf(font, record->widget->font());
    if (record->editor) {
      record->editor->SetNoteFont(chosen);
      record->editor->SetFontNumber(font);
    } else {
      record->widget->setFont(chosen);
    }
  }

  void ResizeControl(int window, int control, int width, int height) override {
    if (const ControlRecord* record = FindControl(window, control)) record->widget->resize(width, height);
  }

  // In a window in the background the control is the one that gets the
  // focus when the window is activated.
  void FocusControl(int window, int control) override {
    if (const ControlRecord* record = FindControl(window, control)) record->widget->setFocus(Qt::OtherFocusReason);
  }

  Text ControlText(int window, int control) override {
    const ControlRecord* record = FindControl(window, control);
    if (!record) return {};
    if (record->editor) return record->editor->WholeText();
    if (auto* label = qobject_cast<QLabel*>(record->widget)) return FromQString(label->text());
    if (auto* field = qobject_cast<QLineEdit*>(record->widget)) return FromQString(field->text());
    if (auto* button = qobject_cast<QPushButton*>(record->widget)) return FromQString(button->text());
    return {};
  }

  void SetControlText(int window, int control, const Text& text) override {
    const ControlRecord* record = FindControl(window, control);
    if (!record) return;
    if (record->editor) {
      record->editor->SetWholeText(text);
    } else if (auto* label = qobject_cast<QLabel*>(record->widget)) {
      label->setText(ToQString(text));
    } else if (auto* field = qobject_cast<QLineEdit*>(record->widget)) {
      field->setText(ToQString(text));
    } else if (auto* button = qobject_cast<QPushButton*>(record->widget)) {
      button->setText(ToQString(text));
    }
  }

  void SetSelection(int window, int control, int start, int end) override {
    const ControlRecord* record = FindControl(window, control);
    if (!record) return;
    if (record->editor) {
      if (start == -1 && end == -1) start = end = record->editor->Length();
      record->editor->Select(start, end);
    } else if (auto* field = qobject_cast<QLineEdit*>(record->widget)) {
      // As a single-line field takes it: a start of -1 drops the selection,
      // an end of -1 is the end of the text.
      const int length = static_cast<int>(field->text().size());
      if (start < 0) {
        field->deselect();
        return;
      }
      const int from = std::min(start, length);
      const int to = end < 0 ? length : std::min(end, length);
      field->setSelection(from, to - from);
    }
  }

  // The editor is always plain text.
  void SetPlainTextMode(int, int) override {}

  void SetEditorBackground(int window, int control, Colour colour) override {
    if (NoteEditor* editor = Editor(window, control)) editor->SetColours(colour, editor->TextColour());
  }

  void SetEditorTextColour(int window, int control, Colour colour) override {
    if (NoteEditor* editor = Editor(window, control)) {
      editor->SetColours(qt::FromQColor(editor->palette().color(QPalette::Active, QPalette::Base)), colour);
    }
  }

  void ReplaceSelection(int window, int control, const Text& text) override {
    const ControlRecord* record = FindControl(window, control);
    if (!record) return;
    if (record->editor) {
      record->editor->ReplaceSelection(text);
    } else if (auto* field = qobject_cast<QLineEdit*>(record->widget)) {
      field->insert(ToQString(text));
    }
  }

  int FindText(int window, int control, int start, const Text& text) override {
    NoteEditor* editor = Editor(window, control);
    return editor ? editor->Find(start, text) : -1;
  }

  void EnableFileDrops(int window, int control) override {
    if (NoteEditor* editor = Editor(window, control)) editor->AcceptFileDrops();
  }

  std::vector<Text> DroppedFiles() override { return dropped_; }

  Rect FormattingRect(int window, int control) override {
    NoteEditor* editor = Editor(window, control);
    return editor ? editor->TextArea() : Rect{};
  }

  int CharFromPos(int window, int control, Point point) override {
    NoteEditor* editor = Editor(window, control);
    return editor ? editor->CharAt(point) : 0;
  }

  Point PosFromChar(int window, int control, int index) override {
    NoteEditor* editor = Editor(window, control);
    return editor ? editor->CornerOf(index) : Point{};
  }

  Text TextRange(int window, int control, int first, int last) override {
    NoteEditor* editor = Editor(window, control);
    return editor ? editor->Range(first, last) : Text();
  }

  void SetAfterPaint(int window, int control, AfterPaint hook) override {
    if (NoteEditor* editor = Editor(window, control)) editor->SetAfterPaint(std::move(hook));
  }

  void AddShortcut(int window, KeyValue key, int command) override {
    if (WindowRecord* record = FindWindowRecord(window)) record->shortcuts.Add(key, command);
  }

  void Beep(int frequency, int milliseconds) override { qt::SoundTone(frequency, milliseconds); }

  void StartTimer(int window, int timer, int milliseconds) override {
    WindowRecord* record = FindWindowRecord(window);
    if (!record) return;
    QTimer*& slot = record->timers[timer];
    if (!slot) {
      slot = new QTimer(record->widget.get());
      QObject::connect(slot, &QTimer::timeout, slot, [this, window, timer] { Raise(kTimerEvent, window, timer, 0); });
    }
    slot->start(std::max(milliseconds, 0));
  }

  void ShowMessageBox(const Text& caption, const Text& text, BoxIcon icon) override {
    ModalScope modal(*this);
    QString body = ToQString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon == BoxIcon::Error ? QMessageBox::Critical : QMessageBox::Information, ToQString(caption),
                    body, QMessageBox::Ok, modal.owner());
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    // Its own event loop: timers keep firing inside, and the program's
    // windows take no input meanwhile.
    box.exec();
  }

  Text ShowOpenDialog(const OpenDialogSpec& wanted) override {
    ModalScope modal(*this);
    QFileDialog dialog(modal.owner(), ToQString(wanted.title));
    // The file need not exist; the folder must.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(NameFilter(wanted));
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return {};
    const QFileInfo file(chosen.front());
    if (!file.absoluteDir().exists()) return {};
    return FromQString(file.absoluteFilePath());
  }

  void OnSessionEnd(std::function<void()> handler) override {
    sessionEnd_ = std::move(handler);
    if (!sessionWatched_) {
      sessionWatched_ = true;
      QObject::connect(qApp, &QGuiApplication::commitDataRequest, qApp, [this](QSessionManager&) { EndSession(); });
      WatchTerminationSignals();
    }
  }

  void Release() override {
    while (!windows_.empty()) {
      auto first = windows_.begin();
      std::unique_ptr<WindowRecord> record = std::move(first->second);
      windows_.erase(first);
      for (auto& [number, timer] : record->timers) timer->stop();
      record->widget.reset();
    }
    fonts_.clear();
    dropped_.clear();
  }

 private:
  // While a box or dialog is open: it belongs to the program's active
  // window, and none of the program's windows stays on top of it.
  class ModalScope {
   public:
    explicit ModalScope(QtToolkit& toolkit) : toolkit_(toolkit) {
      QWidget* active = QApplication::activeWindow();
      if (toolkit.RecordOfWidget(active)) owner_ = active;
      for (auto& [number, record] : toolkit.windows_) {
        QWidget& widget = *record->widget;
        if (widget.isVisible() && (widget.windowFlags() & Qt::WindowStaysOnTopHint)) {
          SetStaysOnTop(widget, false);
          topmost_.push_back(number);
        }
      }
    }
    ~ModalScope() {
      for (int number : topmost_) {
        if (QWidget* widget = toolkit_.WindowWidget(number)) SetStaysOnTop(*widget, true);
      }
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
    QWidget* owner() const { return owner_; }

   private:
    QtToolkit& toolkit_;
    QWidget* owner_ = nullptr;
    std::vector<int> topmost_;
  };

  // The window's flags change in place: QWidget::setWindowFlags would hide
  // the window and make it anew.
  static void SetStaysOnTop(QWidget& widget, bool onTop) {
    Qt::WindowFlags flags = widget.windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    widget.overrideWindowFlags(flags);
    if (QWindow* native = widget.windowHandle()) native->setFlags(flags);
  }

  // The font of small dialog windows: the desktop's own, at the 8 points
  // that the program's fixed control places were laid out for.
  static QFont GuiFont() {
    QFont font = QApplication::font();
    font.setPointSize(8);
    return font;
  }

  static QString NameFilter(const OpenDialogSpec& wanted) {
    QStringList patterns = ToQString(wanted.filterPatterns).split(QChar(u';'), Qt::SkipEmptyParts);
    for (QString& pattern : patterns) pattern = pattern.trimmed();
    return ToQString(wanted.filterLabel).trimmed() + QStringLiteral(" (") + patterns.join(QChar(u' ')) +
           QStringLiteral(")");
  }

  QFont FontOf(int font, const QFont& otherwise) const {
    if (font == kGuiFont) return GuiFont();
    auto found = fonts_.find(font);
    return found == fonts_.end() ? otherwise : found->second;
  }

  // Each key press, before any widget sees it, is offered to the shortcut
  // table of the active window, if that is one of ours. Qt hands a key
  // press first to the window, then to the focused widget: taking it at
  // the window sees it once.
  bool FilterKey(QObject* target, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !target->isWindowType()) return false;
    QWidget* active = QApplication::activeWindow();
    WindowRecord* record = RecordOfWidget(active);
    if (!record || active->windowHandle() != target) return false;
    const KeyValue key = qt::KeyValueOf(*static_cast<QKeyEvent*>(event));
    if (key == 0 || !OfferedToTable(key, FocusInWritableEditor())) return false;
    const ShortcutEntry* entry = record->shortcuts.Match(key);
    if (!entry) {
      // Alt with a letter is a command key, never typing (AltGr, which types
      // the letters of other languages, is another modifier).
      const auto* press = static_cast<QKeyEvent*>(event);
      return (key & kAltKey) && !(key & kCtrlKey) && !press->text().isEmpty();
    }
    if (entry->command == kFocusNextCommand || entry->command == kFocusPreviousCommand) {
      MoveFocus(*record, entry->command == kFocusPreviousCommand);
    } else {
      Raise(kCommandEvent, record->number, entry->command, 0);
    }
    return true;
  }

  static bool FocusInWritableEditor() {
    auto* editor = dynamic_cast<NoteEditor*>(QApplication::focusWidget());
    return editor && !editor->isReadOnly();
  }

  // To the next or previous control that takes the focus, round from the
  // last to the first and back; with none focused, forward gives the first.
  void MoveFocus(const WindowRecord& record, bool backward) {
    const std::vector<int>& order = record.tabOrder;
    if (order.empty()) return;
    const int count = static_cast<int>(order.size());
    int at = -1;
    QWidget* focus = QApplication::focusWidget();
    for (int i = 0; i < count; ++i) {
      if (record.controls.at(order[static_cast<std::size_t>(i)]).widget == focus) at = i;
    }
    int next = 0;
    if (at < 0) {
      next = backward ? count - 1 : 0;
    } else {
      next = backward ? (at + count - 1) % count : (at + 1) % count;
    }
    const int number = order[static_cast<std::size_t>(next)];
    record.controls.at(number).widget->setFocus(backward ? Qt::BacktabFocusReason : Qt::TabFocusReason);
  }

  void RememberNormal(int window) {
    WindowRecord* record = FindWindowRecord(window);
    if (!record || !record->widget->isVisible()) return;
    if (record->widget->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) return;
    record->normal = Geometry(window);
  }

  void WatchTerminationSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe_) != 0) return;
    g_signalPipe = signalPipe_[1];
    signalNotifier_ = new QSocketNotifier(signalPipe_[0], QSocketNotifier::Read);
    QObject::connect(signalNotifier_, &QSocketNotifier::activated, signalNotifier_, [this] {
      char byte = 0;
      [[maybe_unused]] const auto got = ::read(signalPipe_[0], &byte, 1);
      EndSession();
      if (options_.endProcessAfterSignal) std::_Exit(0);
    });
    struct sigaction action {};
    action.sa_handler = &ReportSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) sigaction(signal, &action, nullptr);
  }

  // Once, however often the session or a signal says so.
  void EndSession() {
    if (sessionEnded_) return;
    sessionEnded_ = true;
    if (sessionEnd_) sessionEnd_();
  }

  void RemoveControl(WindowRecord& window, int number) {
    auto found = window.controls.find(number);
    if (found == window.controls.end()) return;
    delete found->second.widget;
    window.controls.erase(found);
    std::erase(window.tabOrder, number);
  }

  WindowRecord* FindWindowRecord(int window) {
    auto found = windows_.find(window);
    return found == windows_.end() ? nullptr : found->second.get();
  }
  QWidget* WindowWidget(int window) {
    WindowRecord* record = FindWindowRecord(window);
    return record ? record->widget.get() : nullptr;
  }
  WindowRecord* RecordOfWidget(const QWidget* widget) {
    if (!widget) return nullptr;
    for (auto& [number, record] : windows_) {
      if (record->widget.get() == widget) return record.get();
    }
    return nullptr;
  }
  ControlRecord* FindControl(int window, int control) {
    WindowRecord* record = FindWindowRecord(window);
    if (!record) return nullptr;
    auto found = record->controls.find(control);
    return found == record->controls.end() ? nullptr : &found->second;
  }
  NoteEditor* Editor(int window, int control) {
    const ControlRecord* record = FindControl(window, control);
    return record ? record->editor : nullptr;
  }

  void Raise(int kind, int window, int object, int subtype) {
    events_.Raise({kind, window, object, subtype});
  }

  QtToolkitOptions options_;
  EventModel events_;
  EventFilter keyFilter_;
  std::map<int, std::unique_ptr<WindowRecord>> windows_;
  std::map<int, QFont> fonts_;
  std::vector<Text> dropped_;
  std::function<void()> sessionEnd_;
  bool sessionWatched_ = false;
  bool sessionEnded_ = false;
  int signalPipe_[2] = {-1, -1};
  QSocketNotifier* signalNotifier_ = nullptr;
  int sizeEvents_ = 0;
};

}  // namespace

std::unique_ptr<Toolkit> MakeQtToolkit(QtToolkitOptions options) { return std::make_unique<QtToolkit>(options); }

}  // namespace orvel
