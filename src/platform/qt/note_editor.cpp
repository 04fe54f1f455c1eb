#include "platform/qt/note_editor.h"

#include <QAbstractTextDocumentLayout>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/qt/qt_text.h"

namespace orvel::qt {

namespace {

// Every line break (CR LF, a lone CR or a lone LF) as the one LF that
// QTextCursor turns into a block separator.
QString WithLineFeeds(TextView text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      out.append(QChar(u'\n'));
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      out.append(QChar(text[i]));
    }
  }
  return out;
}

// While it lives, changes of the editor's text give no change notice.
class Quiet {
 public:
  explicit Quiet(int& depth) : depth_(depth) { ++depth_; }
  ~Quiet() { --depth_; }
  Quiet(const Quiet&) = delete;
  Quiet& operator=(const Quiet&) = delete;

 private:
  int& depth_;
};

// Draws over the viewport right after the editor painted it. The painter is
// made by Open only and goes with the canvas at the end of the paint.
class ViewportCanvas final : public PaintCanvas {
 public:
  explicit ViewportCanvas(NoteEditor& editor) : editor_(editor) {}

  void Open(const Rect& clip, int font) override {
    painter_.reset();  // opened again: a fresh painter
    painter_.emplace(editor_.viewport());
    clip_ = QRect(QPoint(clip.left, clip.top), QPoint(clip.right - 1, clip.bottom - 1));
    painter_->setClipRect(clip_);
    // A number that names no font leaves the editor's own.
    painter_->setFont(editor_.fontOf ? editor_.fontOf(font) : editor_.font());
    ascent_ = QFontMetricsF(painter_->font()).ascent();
  }

  void SetTextColour(Colour colour) override {
    if (painter_) painter_->setPen(ToQColor(colour));
  }

  // The glyph goes exactly where the editor drew it: the corner asked for
  // is whole pixels, the layout's is not, and a glyph half a pixel off
  // would smear two glyphs into each other.
  void DrawCharacter(char16_t character, const Rect& area) override {
    if (!painter_) return;
    const QRect box = QRect(QPoint(area.left, area.top), QPoint(area.right - 1, area.bottom - 1)) & clip_;
    if (box.isEmpty()) return;
    const QPointF corner = editor_.ExactCornerNear({area.left, area.top});
    painter_->save();
    painter_->setClipRect(box);
    painter_->drawText(QPointF(std::max<qreal>(corner.x(), area.left - 1.0), corner.y() + ascent_),
                       QString(QChar(character)));
    painter_->restore();
  }

 private:
  NoteEditor& editor_;
  std::optional<QPainter> painter_;
  QRect clip_;
  qreal ascent_ = 0;
};

}  // namespace

NoteEditor::NoteEditor(QWidget* parent) : QPlainTextEdit(parent) {
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setTabChangesFocus(false);
  setFrameShape(QFrame::NoFrame);
  setAcceptDrops(true);
  // Everything the editor can undo, it can undo at once; the loaded text
  // itself is not an undoable step (setPlainText starts a new history).
  setUndoRedoEnabled(true);
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    if (quiet_ == 0 && onChange) onChange();
  });
}

QString NoteEditor::PositionalText() const {
  QString text = document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QChar(u'\r'));
  return text;
}

Text NoteEditor::WholeText() const {
  const QString positional = PositionalText();
  Text whole;
  whole.reserve(static_cast<std::size_t>(positional.size()) + 64);
  for (const QChar c : positional) {
    whole.push_back(c.unicode());
    if (c == u'\r') whole.push_back(u'\n');
  }
  return whole;
}

void NoteEditor::SetWholeText(const Text& text) {
  Quiet quiet(quiet_);
  setPlainText(WithLineFeeds(text));
}

int NoteEditor::Length() const { return std::max(0, document()->characterCount() - 1); }

void NoteEditor::Select(int start, int end) {
  const int length = Length();
  QTextCursor cursor(document());
  cursor.setPosition(std::clamp(start, 0, length));
  cursor.setPosition(std::clamp(end, 0, length), QTextCursor::KeepAnchor);
  setTextCursor(cursor);
  ensureCursorVisible();
}

void NoteEditor::ReplaceSelection(const Text& text) {
  QTextCursor cursor = textCursor();
  cursor.insertText(WithLineFeeds(text));
  setTextCursor(cursor);
  ensureCursorVisible();
}

int NoteEditor::Find(int start, const Text& needle) const {
  if (needle.empty()) return -1;
  // A line break in the search text, however it is written, is one break.
  QString wanted = WithLineFeeds(needle);
  wanted.replace(QChar(u'\n'), QChar(u'\r'));
  const QString text = PositionalText();
  const int from = std::max(start, 0);
  if (from >= text.size()) return -1;
  return static_cast<int>(text.indexOf(wanted, from, Qt::CaseInsensitive));
}

void NoteEditor::SetNoteFont(const QFont& font) {
  Quiet quiet(quiet_);
  setFont(font);
}

void NoteEditor::SetColours(Colour background, Colour text) {
  QPalette colours = palette();
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    colours.setColor(group, QPalette::Base, ToQColor(background));
    colours.setColor(group, QPalette::Text, ToQColor(text));
  }
  // The selection looks the same whether or not the editor has the focus:
  // a match found from the find window stays in sight.
  colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
  colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   colours.color(QPalette::Active, QPalette::HighlightedText));
  setPalette(colours);
  viewport()->update();
}

Colour NoteEditor::TextColour() const { return FromQColor(palette().color(QPalette::Active, QPalette::Text)); }

Rect NoteEditor::TextArea() const {
  const QRect area = viewport()->rect();
  const int margin = static_cast<int>(document()->documentMargin());
  return {area.left() + margin, area.top() + margin, area.right() + 1 - margin, area.bottom() + 1 - margin};
}

int NoteEditor::CharAt(Point point) const { return cursorForPosition(QPoint(point.x, point.y)).position(); }

QPointF NoteEditor::ExactCorner(int index) const {
  const int position = std::clamp(index, 0, Length());
  const QTextBlock block = document()->findBlock(position);
  if (!block.isValid()) return {};
  const QPointF origin = blockBoundingGeometry(block).translated(contentOffset()).topLeft();
  const QTextLayout* layout = block.layout();
  if (!layout) return origin;
  const int inBlock = position - block.position();
  const QTextLine line = layout->lineForTextPosition(inBlock);
  if (!line.isValid()) return origin + layout->position();
  return origin + layout->position() + QPointF(line.cursorToX(inBlock), line.y());
}

Point NoteEditor::CornerOf(int index) const {
  const QPointF corner = ExactCorner(index);
  return {static_cast<int>(std::floor(corner.x())), static_cast<int>(std::floor(corner.y()))};
}

QPointF NoteEditor::ExactCornerNear(Point point) const {
  const int index = CharAt(point);
  const Point rounded = CornerOf(index);
  if (rounded == point) return ExactCorner(index);
  return QPointF(point.x, point.y);
}

Text NoteEditor::Range(int first, int last) const {
  const QString text = PositionalText();
  const int end = std::min(last, static_cast<int>(text.size()));
  if (first < 0 || first >= end) return {};
  return FromQString(text.mid(first, end - first));
}

void NoteEditor::SetAfterPaint(AfterPaint hook) {
  afterPaint_ = std::move(hook);
  viewport()->update();
}

void NoteEditor::paintEvent(QPaintEvent* event) {
  QPlainTextEdit::paintEvent(event);
  if (!afterPaint_) return;
  // A copy: the hook may replace or remove itself while it runs.
  const AfterPaint hook = afterPaint_;
  ViewportCanvas canvas(*this);
  hook(canvas);
}

// A list of files is never text: it is a drop to open, once drops are on,
// and nothing before.
bool NoteEditor::canInsertFromMimeData(const QMimeData* source) const {
  if (!FilesIn(source).empty()) return false;
  return source->hasText() || source->hasHtml();
}

// Whatever is pasted or dropped as text arrives as plain text, its line
// breaks as the editor's own; it takes the editor's font and colours. Rich
// text that comes without a plain form gives its words.
void NoteEditor::insertFromMimeData(const QMimeData* source) {
  if (!canInsertFromMimeData(source)) return;
  const QString text =
      source->hasText() ? source->text() : QTextDocumentFragment::fromHtml(source->html()).toPlainText();
  textCursor().insertText(WithLineFeeds(FromQString(text)));
  ensureCursorVisible();
}

std::vector<Text> NoteEditor::FilesIn(const QMimeData* mime) {
  std::vector<Text> paths;
  if (!mime->hasUrls()) return paths;
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile()) paths.push_back(FromQString(url.toLocalFile()));
  }
  return paths;
}

// A drag of files is answered here, never as text: taken as a copy once
// drops are on, refused before. False for anything else.
bool NoteEditor::AnswerFileDrag(QDragMoveEvent* event) const {
  if (FilesIn(event->mimeData()).empty()) return false;
  if (fileDrops_) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
  return true;
}

void NoteEditor::dragEnterEvent(QDragEnterEvent* event) {
  if (!AnswerFileDrag(event)) QPlainTextEdit::dragEnterEvent(event);
}

void NoteEditor::dragMoveEvent(QDragMoveEvent* event) {
  if (!AnswerFileDrag(event)) QPlainTextEdit::dragMoveEvent(event);
}

void NoteEditor::dropEvent(QDropEvent* event) {
  std::vector<Text> paths = FilesIn(event->mimeData());
  if (paths.empty()) {
    QPlainTextEdit::dropEvent(event);  // text stays the editor's own
    return;
  }
  if (!fileDrops_) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
  if (onDrop) onDrop(std::move(paths));
}

}  // namespace orvel::qt
