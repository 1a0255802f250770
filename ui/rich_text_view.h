// txtOutput: the read-only view that shows the listing.
//
// Takes the listing document as RTF (see decoder/document/rtf_reader.h for what is
// understood) or, when a text does not begin with an RTF header, as plain
// text, and paints only the lines in sight: a listing of tens of thousands
// of lines loads, scrolls and restyles in the time of one screenful. Every
// character takes one cell of a monospaced grid, so a line of any length
// scrolls sideways without being laid out whole.
//
// Reading: arrows, Page Up/Down, Home/End, Ctrl+Home/End, Ctrl+Left/Right by
// words, Shift to select; mouse selection (a double click takes a word),
// Ctrl+wheel to zoom. Line numbers sit in a gutter at the left and the
// caret's line lies on a band.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QString>
#include <string>
#include <vector>

#include "listing_host.h"
#include "listing_text.h"
#include "rtf_reader.h"

class QTimer;

namespace zarvex {

class RichTextView : public QAbstractScrollArea, public ListingView {
  Q_OBJECT

 public:
  using Range = ListingText::Range;

  explicit RichTextView(QWidget* parent = nullptr);

  // The gutter of line numbers at the left (View > Line Numbers).
  bool lineNumbersVisible() const { return m_lineNumbers; }
  void setLineNumbersVisible(bool visible);
  int gutterWidth() const;
  QWidget* gutter() const { return m_gutter; }
  // The line the caret is on, from 1, and the first line in sight.
  int currentLine() const;
  int firstVisibleLine() const;
  int lineCount() const { return m_text.lineCount(); }
  std::int32_t characterCount() const { return m_text.size(); }
  // The characters shown, without a copy; and the line (from 0) that holds a
  // position.
  std::string_view characters() const { return m_text.text(); }
  int lineOf(std::int32_t position) const { return m_text.lineOf(position); }
  // The position where a line (from 1, kept within the text) starts.
  std::int32_t lineStart(int line) const { return m_text.lineStart(line - 1); }
  // True when the desktop's palette is dark: the listing's colours are then
  // lightened to stay readable on it.
  bool darkPalette() const;

  // ListingView; texts are one byte a character (ISO-8859-1).
  void setTextRtf(const std::string& text) override;
  std::string plainText() const override { return m_text.text(); }
  void setPlainText(const std::string& text) override;
  // In place, while the characters are those the last RTF text set.
  bool restyle(const std::string* rtfDocument) override;
  std::int32_t selectionStart() const override;
  void setSelectionStart(std::int32_t start) override;
  std::int32_t selectionLength() const override;
  void setSelectionLength(std::int32_t length) override;

  // The caret and the other end of the selection; both kept inside the text.
  std::int32_t caretPosition() const { return m_caret; }
  std::int32_t anchorPosition() const { return m_anchor; }
  // Moves the caret, keeping the anchor (extending the selection) or with it,
  // and scrolls the caret into sight.
  void setCaret(std::int32_t position, bool keepAnchor = false);
  // Selects [start, end), the caret at `end`.
  void select(std::int32_t start, std::int32_t end);
  std::string selectedText() const;
  // Edit > Copy and Select All.
  void copy() const;
  void selectAll();
  // Scrolls so that the caret's line is in the middle (Go to Line, the
  // outline); reveal only when it is out of sight (Find).
  void centerCaret();
  void revealCaret();

  // Searches the characters shown (the needle is ISO-8859-1 as far as it can
  // be; one that cannot be is never found). See ListingText::find.
  std::optional<std::int32_t> find(const QString& needle, std::int32_t from, bool backward, bool caseSensitive) const;
  std::vector<Range> findAll(const QString& needle, bool caseSensitive, std::size_t limit) const;
  // Stretches marked on a background of their own (the find bar's matches),
  // in order of position.
  void setMarks(std::vector<Range> marks);
  const std::vector<Range>& marks() const { return m_marks; }

  // Shown, greyed, while the view is empty.
  void setPlaceholderText(const QString& text);
  QString placeholderText() const { return m_placeholder; }

  // True when the content came from RTF (and may carry formatting).
  bool showsRtf() const { return m_showsRtf; }
  // The colour table of the current RTF content.
  const std::vector<RtfColour>& colourTable() const { return m_colours; }
  // How the character at `position` is shown: bold, and its colour (the
  // view's text colour when the listing gives it none).
  struct Look {
    bool bold = false;
    QColor colour;
    bool operator==(const Look&) const = default;
  };
  Look lookAt(std::int32_t position) const;

  // View > Zoom: steps from the normal size (0, 8.25 points) up or down a
  // ladder of sizes; kept within the ladder.
  static constexpr int kSmallestZoom = -2;
  static constexpr int kLargestZoom = 11;
  int zoomStep() const { return m_zoomStep; }
  void setZoomStep(int step);

 signals:
  void cursorPositionChanged();
  // Ctrl+wheel asks the window to zoom by this many steps.
  void zoomRequested(int steps);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  friend class LineNumberGutter;
  void paintGutter(QPaintEvent* event);
  void paintLine(QPainter& painter, int line, int top, int firstColumn, int lastColumn);
  void updateGutterWidth();
  void updateMetrics();
  void updateScrollBars();
  void contentChanged();
  void ensureCaretVisible();
  void moveCaretTo(std::int32_t position, bool keepAnchor, bool keepGoalColumn = false);
  void resolveColours();
  std::int32_t positionAt(QPoint viewportPoint) const;
  int visibleLines() const;
  int columnOf(std::int32_t position) const;
  int textLeft() const;

  ListingText m_text;
  bool m_showsRtf = false;
  std::int32_t m_caret = 0;
  std::int32_t m_anchor = 0;
  int m_goalColumn = -1;  // the column Up and Down keep to, -1 for the caret's
  std::vector<Range> m_marks;
  QString m_placeholder;
  bool m_lineNumbers = true;
  QWidget* m_gutter;
  int m_zoomStep = 0;
  // The grid: one character's width, one line's height and the baseline.
  double m_charWidth = 1;
  int m_lineHeight = 1;
  int m_ascent = 0;
  bool m_boldOnGrid = true;  // the bold face keeps the grid's width
  bool m_dragging = false;
  QPoint m_dragAt;
  QTimer* m_dragScroll;
  std::vector<RtfColour> m_colours;
  std::vector<QColor> m_shownColours;  // m_colours as painted on this palette
  // The formatting of the last RTF text set stays with the characters
  // (m_text's runs) while plain text is shown, so that it can be laid over
  // them again: its colours and a hash of the text it came from.
  std::vector<RtfColour> m_runColours;
  std::size_t m_runsHash = 0;
  bool m_runsKept = false;
};

}  // namespace zarvex
