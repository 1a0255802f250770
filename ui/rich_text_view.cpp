#include "rich_text_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <string_view>

namespace zarvex {

namespace {

// Room between the gutter and the first column, and above the first line.
constexpr int kMargin = 4;

// A control character has no glyph of its own: it takes its cell as a dot.
QString shownCharacters(std::string_view characters) {
  QString shown = QString::fromLatin1(characters.data(), static_cast<qsizetype>(characters.size()));
  for (QChar& c : shown) {
    const char16_t u = c.unicode();
    if (u < 0x20 || (u >= 0x7F && u < 0xA0)) c = QChar(0x00B7);
  }
  return shown;
}

}  // namespace

// The line numbers beside the listing: painted by the view, which knows
// where its lines are.
class LineNumberGutter : public QWidget {
 public:
  explicit LineNumberGutter(RichTextView* view) : QWidget(view), m_view(view) { setObjectName(QStringLiteral("gutter")); }
  QSize sizeHint() const override { return {m_view->gutterWidth(), 0}; }

 protected:
  void paintEvent(QPaintEvent* event) override { m_view->paintGutter(event); }
  void mousePressEvent(QMouseEvent* event) override {
    // A click on a number puts the caret at the start of that line.
    const std::int32_t at = m_view->positionAt(QPoint(0, event->position().toPoint().y()));
    m_view->setCaret(m_view->m_text.lineStart(m_view->m_text.lineOf(at)));
    m_view->setFocus(Qt::MouseFocusReason);
  }

 private:
  RichTextView* m_view;
};

RichTextView::RichTextView(QWidget* parent)
    : QAbstractScrollArea(parent), m_gutter(new LineNumberGutter(this)), m_dragScroll(new QTimer(this)) {
  setFocusPolicy(Qt::StrongFocus);
  setFrameShape(QFrame::StyledPanel);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setAutoFillBackground(true);
  viewport()->setBackgroundRole(QPalette::Base);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  QFont font(QStringLiteral("Courier New"));
  font.setPointSizeF(8.25);
  font.setWeight(QFont::Normal);
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  setFont(font);
  // Selecting past the top or bottom edge scrolls on while the button is held.
  m_dragScroll->setInterval(50);
  connect(m_dragScroll, &QTimer::timeout, this, [this] {
    const int y = m_dragAt.y();
    // A line a tick just past the edge, faster the farther the pointer is.
    const int beyond = y < 0 ? -y : std::max(0, y - viewport()->height());
    const int step = (1 + beyond / (4 * m_lineHeight)) * (y < 0 ? -1 : 1);
    verticalScrollBar()->setValue(verticalScrollBar()->value() + step);
    moveCaretTo(positionAt(m_dragAt), true);
  });
  updateMetrics();
}

// --- content ------------------------------------------------------------

void RichTextView::setTextRtf(const std::string& text) {
  if (!looksLikeRtf(text)) {
    setPlainText(text);
    return;
  }
  FormattedText formatted = readRtf(text);
  m_text.setText(std::move(formatted.text), std::move(formatted.runs));
  m_colours = std::move(formatted.colours);
  m_runColours = m_colours;
  m_runsHash = std::hash<std::string_view>{}(text);
  m_runsKept = true;
  m_showsRtf = true;
  contentChanged();
}

void RichTextView::setPlainText(const std::string& text) {
  m_text.setText(text);
  m_showsRtf = false;
  m_runsKept = false;
  m_colours.clear();
  contentChanged();
}

bool RichTextView::restyle(const std::string* rtfDocument) {
  if (!m_runsKept) return false;  // the characters were set anew since
  if (rtfDocument == nullptr) {
    m_showsRtf = false;
    m_colours.clear();
  } else {
    if (std::hash<std::string_view>{}(*rtfDocument) != m_runsHash) return false;
    m_showsRtf = true;
    m_colours = m_runColours;
  }
  resolveColours();
  viewport()->update();
  return true;
}

// New characters: the caret goes to the start and the view to the top, as
// for any text set anew.
void RichTextView::contentChanged() {
  m_marks.clear();
  const bool moved = m_caret != 0;
  m_caret = m_anchor = 0;
  m_goalColumn = -1;
  resolveColours();
  updateGutterWidth();
  updateScrollBars();
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
  viewport()->update();
  m_gutter->update();
  if (moved) emit cursorPositionChanged();
}

void RichTextView::resolveColours() {
  m_shownColours.assign(m_colours.size(), QColor());
  for (std::size_t i = 0; i < m_colours.size(); ++i) {
    const RtfColour& c = m_colours[i];
    if (c.automatic) continue;
    QColor shown(c.red, c.green, c.blue);
    // Pure red, blue and grey are hard to read on a dark desktop: the same
    // hue, lighter.
    if (darkPalette() && shown.lightness() < 160) shown = QColor::fromHsl(shown.hslHue(), shown.hslSaturation(), 170);
    m_shownColours[i] = shown;
  }
}

RichTextView::Look RichTextView::lookAt(std::int32_t position) const {
  Look look{false, palette().color(QPalette::Text)};
  if (!m_showsRtf) return look;
  for (const RtfRun& run : m_text.runsIn(position, position + 1)) {
    if (run.start > static_cast<std::size_t>(position)) break;
    look.bold = run.bold;
    if (run.colour > 0 && static_cast<std::size_t>(run.colour) < m_shownColours.size() &&
        m_shownColours[static_cast<std::size_t>(run.colour)].isValid()) {
      look.colour = m_shownColours[static_cast<std::size_t>(run.colour)];
    }
  }
  return look;
}

// --- caret and selection ----------------------------------------------

int RichTextView::currentLine() const { return m_text.lineOf(m_caret) + 1; }

int RichTextView::firstVisibleLine() const { return verticalScrollBar()->value() + 1; }

int RichTextView::columnOf(std::int32_t position) const { return position - m_text.lineStart(m_text.lineOf(position)); }

std::int32_t RichTextView::selectionStart() const { return std::min(m_caret, m_anchor); }

std::int32_t RichTextView::selectionLength() const { return std::abs(m_caret - m_anchor); }

// Setting the start places the caret there with nothing selected; setting
// the length then selects that many characters from it. Both are kept inside
// the text.
void RichTextView::setSelectionStart(std::int32_t start) { moveCaretTo(start, false); }

void RichTextView::setSelectionLength(std::int32_t length) {
  const std::int32_t start = selectionStart();
  select(start, start + std::clamp(length, 0, m_text.size() - start));
}

void RichTextView::setCaret(std::int32_t position, bool keepAnchor) { moveCaretTo(position, keepAnchor); }

void RichTextView::select(std::int32_t start, std::int32_t end) {
  m_anchor = std::clamp(start, 0, m_text.size());
  moveCaretTo(end, true);
}

void RichTextView::moveCaretTo(std::int32_t position, bool keepAnchor, bool keepGoalColumn) {
  const std::int32_t caret = std::clamp(position, 0, m_text.size());
  const bool moved = caret != m_caret;
  const int oldLine = m_text.lineOf(m_caret);
  m_caret = caret;
  if (!keepAnchor) m_anchor = caret;
  if (!keepGoalColumn) m_goalColumn = -1;
  ensureCaretVisible();
  viewport()->update();
  if (m_text.lineOf(m_caret) != oldLine) m_gutter->update();
  if (moved) emit cursorPositionChanged();
}

std::string RichTextView::selectedText() const {
  return m_text.text().substr(static_cast<std::size_t>(selectionStart()), static_cast<std::size_t>(selectionLength()));
}

void RichTextView::copy() const {
  if (selectionLength() == 0) return;
  const std::string text = selectedText();
  QGuiApplication::clipboard()->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void RichTextView::selectAll() {
  // Everything selected, the reader's place kept: the view does not jump to
  // the end with the caret.
  const int top = verticalScrollBar()->value();
  const int left = horizontalScrollBar()->value();
  select(0, m_text.size());
  verticalScrollBar()->setValue(top);
  horizontalScrollBar()->setValue(left);
}

// --- search ---------------------------------------------------------------

namespace {

// The needle as the listing's characters, or nothing when one of its
// characters is not among them (nor folds to one of them, without case).
std::optional<std::string> latin1Needle(const QString& needle, bool caseSensitive) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(needle.size()));
  for (QChar c : needle) {
    char16_t u = c.unicode();
    if (u > 0xFF && !caseSensitive) u = c.toCaseFolded().unicode();
    if (u > 0xFF) return std::nullopt;
    bytes.push_back(static_cast<char>(u));
  }
  return bytes;
}

}  // namespace

std::optional<std::int32_t> RichTextView::find(const QString& needle, std::int32_t from, bool backward,
                                               bool caseSensitive) const {
  const auto bytes = latin1Needle(needle, caseSensitive);
  if (!bytes) return std::nullopt;
  return m_text.find(*bytes, from, backward, caseSensitive);
}

std::vector<RichTextView::Range> RichTextView::findAll(const QString& needle, bool caseSensitive,
                                                       std::size_t limit) const {
  const auto bytes = latin1Needle(needle, caseSensitive);
  if (!bytes) return {};
  return m_text.findAll(*bytes, caseSensitive, limit);
}

void RichTextView::setMarks(std::vector<Range> marks) {
  m_marks = std::move(marks);
  viewport()->update();
}

void RichTextView::setPlaceholderText(const QString& text) {
  m_placeholder = text;
  viewport()->update();
}

// --- geometry -----------------------------------------------------------

bool RichTextView::darkPalette() const { return palette().color(QPalette::Base).lightness() < 128; }

void RichTextView::updateMetrics() {
  // The width of a long run of one character, so that any rounding of each
  // glyph's advance is in the grid too.
  constexpr int kSample = 64;
  const QString sample(kSample, QLatin1Char('M'));
  m_charWidth = std::max(1.0, QFontMetricsF(font()).horizontalAdvance(sample) / kSample);
  QFont bold = font();
  bold.setBold(true);
  m_boldOnGrid = std::abs(QFontMetricsF(bold).horizontalAdvance(sample) / kSample - m_charWidth) < 0.01;
  const QFontMetrics metrics(font());
  m_lineHeight = std::max(1, metrics.lineSpacing());
  m_ascent = metrics.ascent();
  updateGutterWidth();
  updateScrollBars();
  viewport()->update();
}

int RichTextView::visibleLines() const { return std::max(1, (viewport()->height() - kMargin) / m_lineHeight); }

int RichTextView::textLeft() const { return kMargin - horizontalScrollBar()->value(); }

void RichTextView::updateScrollBars() {
  const int lines = visibleLines();
  verticalScrollBar()->setRange(0, std::max(0, lineCount() - lines));
  verticalScrollBar()->setPageStep(lines);
  verticalScrollBar()->setSingleStep(1);
  const double contentWidth = m_text.longestLine() * m_charWidth + 2 * kMargin + 2;
  const int width = viewport()->width();
  horizontalScrollBar()->setRange(0, std::max(0, static_cast<int>(std::ceil(contentWidth)) - width));
  horizontalScrollBar()->setPageStep(width);
  horizontalScrollBar()->setSingleStep(std::max(1, static_cast<int>(m_charWidth)));
}

void RichTextView::setLineNumbersVisible(bool visible) {
  m_lineNumbers = visible;
  m_gutter->setVisible(visible);
  updateGutterWidth();
}

int RichTextView::gutterWidth() const {
  if (!m_lineNumbers) return 0;
  int digits = 3;
  for (int lines = std::max(1, lineCount()); lines >= 1000; lines /= 10) ++digits;
  return 10 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

void RichTextView::updateGutterWidth() {
  setViewportMargins(gutterWidth(), 0, 0, 0);
  const QRect area = contentsRect();
  m_gutter->setGeometry(QRect(area.left(), area.top(), gutterWidth(), area.height()));
}

void RichTextView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  updateGutterWidth();
  updateScrollBars();
}

void RichTextView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) updateMetrics();
  if (event->type() == QEvent::PaletteChange) {
    // Colours chosen for a light desktop or a dark one: choose them anew.
    resolveColours();
    viewport()->update();
  }
}

void RichTextView::scrollContentsBy(int, int) {
  viewport()->update();
  m_gutter->update();
}

void RichTextView::ensureCaretVisible() {
  const int line = m_text.lineOf(m_caret);
  QScrollBar* vertical = verticalScrollBar();
  if (line < vertical->value()) {
    vertical->setValue(line);
  } else if (line >= vertical->value() + visibleLines()) {
    vertical->setValue(line - visibleLines() + 1);
  }
  const double x = kMargin + columnOf(m_caret) * m_charWidth;
  QScrollBar* horizontal = horizontalScrollBar();
  const int width = viewport()->width();
  if (x - kMargin < horizontal->value()) {
    horizontal->setValue(static_cast<int>(x) - kMargin);
  } else if (x + m_charWidth + kMargin > horizontal->value() + width) {
    horizontal->setValue(static_cast<int>(std::ceil(x + m_charWidth + kMargin)) - width);
  }
}

void RichTextView::centerCaret() {
  verticalScrollBar()->setValue(m_text.lineOf(m_caret) - visibleLines() / 2);
  ensureCaretVisible();
}

void RichTextView::revealCaret() {
  const int line = m_text.lineOf(m_caret);
  const int top = verticalScrollBar()->value();
  if (line < top || line >= top + visibleLines()) centerCaret();
  ensureCaretVisible();
}

std::int32_t RichTextView::positionAt(QPoint point) const {
  const int row = static_cast<int>(std::floor(static_cast<double>(point.y() - kMargin) / m_lineHeight));
  const int line = std::clamp(verticalScrollBar()->value() + row, 0, lineCount() - 1);
  const long column = std::lround((point.x() - textLeft()) / m_charWidth);
  const auto length = static_cast<long>(m_text.line(line).size());
  return m_text.lineStart(line) + static_cast<std::int32_t>(std::clamp(column, 0L, length));
}

void RichTextView::setZoomStep(int step) {
  static constexpr double kSizes[] = {6, 7, 8.25, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 36};
  static_assert(std::size(kSizes) == kLargestZoom - kSmallestZoom + 1);
  m_zoomStep = std::clamp(step, kSmallestZoom, kLargestZoom);
  QFont zoomed = font();
  zoomed.setPointSizeF(kSizes[m_zoomStep - kSmallestZoom]);
  setFont(zoomed);
}

// --- painting -------------------------------------------------------------

void RichTextView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  const QRect area = event->rect();
  if (m_text.size() == 0 && !m_placeholder.isEmpty()) {
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(viewport()->rect().adjusted(kMargin, kMargin, -kMargin, -kMargin), Qt::TextWordWrap, m_placeholder);
  }
  const int hScroll = horizontalScrollBar()->value();
  const int firstColumn = std::max(0, static_cast<int>(std::floor((hScroll - kMargin) / m_charWidth)));
  const int lastColumn = static_cast<int>(std::ceil((hScroll + viewport()->width()) / m_charWidth)) + 1;
  const int first = verticalScrollBar()->value();
  for (int row = std::max(0, (area.top() - kMargin) / m_lineHeight);; ++row) {
    const int line = first + row;
    const int top = kMargin + row * m_lineHeight;
    if (line >= lineCount() || top > area.bottom()) break;
    paintLine(painter, line, top, firstColumn, lastColumn);
  }
}

void RichTextView::paintLine(QPainter& painter, int line, int top, int firstColumn, int lastColumn) {
  const std::string_view characters = m_text.line(line);
  const std::int32_t start = m_text.lineStart(line);
  const auto length = static_cast<std::int32_t>(characters.size());
  const int left = textLeft();
  const auto xOf = [&](std::int32_t column) { return left + column * m_charWidth; };
  const auto fillColumns = [&](std::int32_t from, std::int32_t to, const QColor& colour) {
    painter.fillRect(QRectF(xOf(from), top, (to - from) * m_charWidth, m_lineHeight), colour);
  };

  // Under the text: the caret's line, the find bar's marks, the selection
  // (which takes the line's break as one more cell).
  if (m_text.lineOf(m_caret) == line) {
    QColor band = palette().color(QPalette::Highlight);
    band.setAlpha(darkPalette() ? 60 : 28);
    painter.fillRect(0, top, viewport()->width(), m_lineHeight, band);
  }
  const QColor markColour = darkPalette() ? QColor(0x80, 0x60, 0x00) : QColor(0xFF, 0xE0, 0x60);
  auto mark = std::lower_bound(m_marks.begin(), m_marks.end(), start,
                               [](const Range& r, std::int32_t at) { return r.start + r.length <= at; });
  for (; mark != m_marks.end() && mark->start <= start + length; ++mark) {
    fillColumns(std::max(mark->start, start) - start, std::min(mark->start + mark->length, start + length) - start, markColour);
  }
  const std::int32_t selectionFrom = std::max(selectionStart(), start) - start;
  const std::int32_t selectionTo =
      std::min(selectionStart() + selectionLength(), start + length + (line + 1 < lineCount() ? 1 : 0)) - start;
  if (selectionTo > selectionFrom) fillColumns(selectionFrom, selectionTo, palette().color(QPalette::Highlight));

  // The characters in sight, cut where the formatting or the selection
  // changes.
  const std::int32_t from = std::min(firstColumn, length);
  const std::int32_t to = std::min(lastColumn, length);
  if (from < to) {
    const std::span<const RtfRun> runs = m_showsRtf ? m_text.runsIn(start + from, start + to) : std::span<const RtfRun>();
    auto run = runs.begin();
    QFont plain = font();
    QFont bold = font();
    bold.setBold(true);
    for (std::int32_t column = from; column < to;) {
      const std::int32_t at = start + column;
      while (run != runs.end() && static_cast<std::int32_t>(run->start + run->length) <= at) ++run;
      const bool inRun = run != runs.end() && static_cast<std::int32_t>(run->start) <= at;
      std::int32_t end = to;
      if (inRun) end = std::min<std::int32_t>(end, static_cast<std::int32_t>(run->start + run->length) - start);
      else if (run != runs.end()) end = std::min<std::int32_t>(end, static_cast<std::int32_t>(run->start) - start);
      const bool selected = column >= selectionFrom && column < selectionTo;
      if (column < selectionFrom) end = std::min(end, selectionFrom);
      else if (selected) end = std::min(end, selectionTo);

      QColor colour = palette().color(selected ? QPalette::HighlightedText : QPalette::Text);
      const bool isBold = inRun && run->bold;
      if (!selected && inRun && run->colour > 0 && static_cast<std::size_t>(run->colour) < m_shownColours.size() &&
          m_shownColours[static_cast<std::size_t>(run->colour)].isValid()) {
        colour = m_shownColours[static_cast<std::size_t>(run->colour)];
      }
      painter.setPen(colour);
      painter.setFont(isBold ? bold : plain);
      const std::string_view piece = characters.substr(static_cast<std::size_t>(column), static_cast<std::size_t>(end - column));
      if (isBold && !m_boldOnGrid) {
        // A bold face wider or narrower than the grid: one cell at a time.
        for (std::size_t i = 0; i < piece.size(); ++i) {
          painter.drawText(QPointF(xOf(column + static_cast<std::int32_t>(i)), top + m_ascent), shownCharacters(piece.substr(i, 1)));
        }
      } else {
        painter.drawText(QPointF(xOf(column), top + m_ascent), shownCharacters(piece));
      }
      column = end;
    }
  }

  if (m_text.lineOf(m_caret) == line && hasFocus()) {
    painter.fillRect(QRectF(xOf(columnOf(m_caret)), top, 2, m_lineHeight), palette().color(QPalette::Text));
  }
}

void RichTextView::paintGutter(QPaintEvent* event) {
  QPainter painter(m_gutter);
  painter.fillRect(event->rect(), palette().color(QPalette::AlternateBase));
  const int current = m_text.lineOf(m_caret);
  const int right = m_gutter->width() - 5;
  QFont plain = font();
  QFont bold = font();
  bold.setBold(true);
  const int first = verticalScrollBar()->value();
  for (int row = 0;; ++row) {
    const int line = first + row;
    const int top = kMargin + row * m_lineHeight;
    if (line >= lineCount() || top > event->rect().bottom()) break;
    if (top + m_lineHeight < event->rect().top()) continue;
    const bool here = line == current;
    painter.setFont(here ? bold : plain);
    painter.setPen(palette().color(here ? QPalette::Text : QPalette::PlaceholderText));
    painter.drawText(0, top, right, m_lineHeight, Qt::AlignRight | Qt::AlignVCenter, QString::number(line + 1));
  }
}

// --- keyboard and mouse ---------------------------------------------------

void RichTextView::keyPressEvent(QKeyEvent* event) {
  if (event == QKeySequence::Copy) return copy();
  if (event == QKeySequence::SelectAll) return selectAll();

  const int line = m_text.lineOf(m_caret);
  const int column = m_goalColumn >= 0 ? m_goalColumn : columnOf(m_caret);
  // To the same column of another line, or its end when it is shorter.
  const auto onLine = [&](int target) {
    target = std::clamp(target, 0, lineCount() - 1);
    return m_text.lineStart(target) + std::min(column, static_cast<int>(m_text.line(target).size()));
  };
  const auto isWord = [&](std::int32_t at) { return ListingText::isWordCharacter(m_text.text()[static_cast<std::size_t>(at)]); };
  const auto nextWord = [&] {
    std::int32_t at = m_caret;
    while (at < m_text.size() && isWord(at)) ++at;
    while (at < m_text.size() && !isWord(at)) ++at;
    return at;
  };
  const auto previousWord = [&] {
    std::int32_t at = m_caret;
    while (at > 0 && !isWord(at - 1)) --at;
    while (at > 0 && isWord(at - 1)) --at;
    return at;
  };
  struct Move {
    QKeySequence::StandardKey move, select;
    std::function<std::int32_t()> target;
    bool vertical;
  };
  const int page = visibleLines();
  const Move moves[] = {
      {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, [&] { return m_caret + 1; }, false},
      {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, [&] { return m_caret - 1; }, false},
      {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, nextWord, false},
      {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, previousWord, false},
      {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, [&] { return onLine(line + 1); }, true},
      {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, [&] { return onLine(line - 1); }, true},
      {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, [&] { return onLine(line + page); }, true},
      {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, [&] { return onLine(line - page); }, true},
      {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, [&] { return m_text.lineStart(line); }, false},
      {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine,
       [&] { return m_text.lineStart(line) + static_cast<std::int32_t>(m_text.line(line).size()); }, false},
      {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, [] { return 0; }, false},
      {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, [&] { return m_text.size(); }, false},
  };
  for (const Move& move : moves) {
    const bool selecting = event->matches(move.select);
    if (!selecting && !event->matches(move.move)) continue;
    const std::int32_t target = move.target();
    // Page Up and Down scroll the view by the page as well as the caret.
    if (move.move == QKeySequence::MoveToNextPage) verticalScrollBar()->setValue(verticalScrollBar()->value() + page);
    if (move.move == QKeySequence::MoveToPreviousPage) verticalScrollBar()->setValue(verticalScrollBar()->value() - page);
    if (move.vertical) m_goalColumn = column;
    moveCaretTo(target, selecting, move.vertical);
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void RichTextView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  m_dragging = true;
  m_dragAt = event->position().toPoint();
  moveCaretTo(positionAt(m_dragAt), event->modifiers() & Qt::ShiftModifier);
}

void RichTextView::mouseMoveEvent(QMouseEvent* event) {
  if (!m_dragging) return QAbstractScrollArea::mouseMoveEvent(event);
  m_dragAt = event->position().toPoint();
  moveCaretTo(positionAt(m_dragAt), true);
  const bool outside = m_dragAt.y() < 0 || m_dragAt.y() > viewport()->height();
  if (outside && !m_dragScroll->isActive()) m_dragScroll->start();
  if (!outside) m_dragScroll->stop();
}

void RichTextView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mouseReleaseEvent(event);
  m_dragging = false;
  m_dragScroll->stop();
  // What is selected with the mouse is offered to a middle click elsewhere.
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (selectionLength() > 0 && clipboard->supportsSelection()) {
    const std::string text = selectedText();
    clipboard->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())), QClipboard::Selection);
  }
}

void RichTextView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mouseDoubleClickEvent(event);
  const Range word = m_text.wordAt(positionAt(event->position().toPoint()));
  if (word.length > 0) select(word.start, word.start + word.length);
}

void RichTextView::wheelEvent(QWheelEvent* event) {
  if (event->modifiers() & Qt::ControlModifier) {
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) emit zoomRequested(steps);
    event->accept();
    return;
  }
  QAbstractScrollArea::wheelEvent(event);
}

void RichTextView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* copyAction = menu.addAction(QStringLiteral("&Copy"), this, [this] { copy(); });
  copyAction->setEnabled(selectionLength() > 0);
  menu.addAction(QStringLiteral("Select &All"), this, [this] { selectAll(); });
  menu.exec(event->globalPos());
}

void RichTextView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  viewport()->update();
}

void RichTextView::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  viewport()->update();
}

}  // namespace zarvex
