// The editor control on Qt: a QPlainTextEdit that speaks the toolkit's
// terms. Its whole text has CR LF breaks; positions count UTF-16 code units
// with a line break as one, as the document's own positions do (a block
// separator is one character there). Text is plain: one font, and the
// colours come from the palette, so a theme changes all text at once and
// no format ever enters the document.
#pragma once

#include <QPlainTextEdit>
#include <functional>
#include <vector>

#include "platform/toolkit.h"

namespace orvel::qt {

class NoteEditor final : public QPlainTextEdit {
 public:
  explicit NoteEditor(QWidget* parent);

  // Called for every change of the text but the quiet ones below.
  std::function<void()> onChange;
  // Called with the local paths of a drop of files, once file drops are on.
  std::function<void(std::vector<Text>)> onDrop;

  Text WholeText() const;
  // Replaces the whole text without a change notice; the caret goes to the
  // start, as after a load.
  void SetWholeText(const Text& text);
  int Length() const;
  void Select(int start, int end);
  void ReplaceSelection(const Text& text);
  int Find(int start, const Text& needle) const;

  // The font of all text; no change notice (a new default font touches the
  // whole document).
  void SetNoteFont(const QFont& font);
  void SetColours(Colour background, Colour text);
  Colour TextColour() const;

  // Layout, in the coordinates of the viewport, where the text is painted.
  Rect TextArea() const;
  int CharAt(Point point) const;
  Point CornerOf(int index) const;
  // The exact top-left corner (fractions of a pixel kept) of the character
  // whose corner, rounded down, is `point`.
  QPointF ExactCornerNear(Point point) const;
  Text Range(int first, int last) const;

  void SetAfterPaint(AfterPaint hook);
  void SetFontNumber(int font) { fontNumber_ = font; }
  // The canvas of the after-paint hook asks the toolkit for fonts by number.
  std::function<QFont(int)> fontOf;

  void AcceptFileDrops() { fileDrops_ = true; }
  bool TakesFileDrops() const { return fileDrops_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // The document's characters with each block separator as one CR: the
  // positions are the document's.
  QString PositionalText() const;
  // The local files that the data names, if any.
  static std::vector<Text> FilesIn(const QMimeData* mime);
  bool AnswerFileDrag(QDragMoveEvent* event) const;
  QPointF ExactCorner(int index) const;

  AfterPaint afterPaint_;
  int quiet_ = 0;
  bool fileDrops_ = false;
  int fontNumber_ = 0;
};

}  // namespace orvel::qt
