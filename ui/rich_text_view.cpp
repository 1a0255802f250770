#include "rich_text_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <functional>
#include <string_view>
#include <iterator>

namespace zarvex {

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
    const QTextCursor at = m_view->cursorForPosition(QPoint(0, event->position().toPoint().y()));
    QTextCursor cursor(at.block());
    m_view->setTextCursor(cursor);
  }

 private:
  RichTextView* m_view;
};

RichTextView::RichTextView(QWidget* parent) : QPlainTextEdit(parent), m_gutter(new LineNumberGutter(this)) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setUndoRedoEnabled(false);
  QFont font(QStringLiteral("Courier New"));
  font.setPointSizeF(8.25);
  font.setWeight(QFont::Normal);
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  setFont(font);
  // The system's window colours: background and default text.
  setBackgroundVisible(false);
  setFrameShape(QFrame::StyledPanel);
  // The caret shows where Go to Line, Find and the outline went, in a
  // read-only view too.
  setCursorWidth(2);
  connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { updateGutterWidth(); });
  connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
    if (dy != 0) {
      m_gutter->scroll(0, dy);
    } else {
      m_gutter->update(0, rect.y(), m_gutter->width(), rect.height());
    }
  });
  connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
    viewport()->update();
    m_gutter->update();
  });
  updateGutterWidth();
}

void RichTextView::setLineNumbersVisible(bool visible) {
  m_lineNumbers = visible;
  m_gutter->setVisible(visible);
  updateGutterWidth();
}

int RichTextView::gutterWidth() const {
  if (!m_lineNumbers) return 0;
  int digits = 3;
  for (int lines = std::max(1, blockCount()); lines >= 1000; lines /= 10) ++digits;
  return 10 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

void RichTextView::updateGutterWidth() {
  setViewportMargins(gutterWidth(), 0, 0, 0);
  const QRect area = contentsRect();
  m_gutter->setGeometry(QRect(area.left(), area.top(), gutterWidth(), area.height()));
}

void RichTextView::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  updateGutterWidth();
}

void RichTextView::changeEvent(QEvent* event) {
  QPlainTextEdit::changeEvent(event);
  if (event->type() == QEvent::FontChange) updateGutterWidth();
  if (event->type() == QEvent::PaletteChange && m_showsRtf) {
    // Colours chosen for a light desktop or a dark one: lay them anew.
    m_colours = m_runColours;
    applyRuns(m_runs);
  }
}

int RichTextView::currentLine() const { return textCursor().blockNumber() + 1; }

int RichTextView::firstVisibleLine() const { return firstVisibleBlock().blockNumber() + 1; }

bool RichTextView::darkPalette() const { return palette().color(QPalette::Base).lightness() < 128; }

// The caret's line on a band of its own, under the text.
void RichTextView::paintEvent(QPaintEvent* event) {
  {
    QPainter painter(viewport());
    const QTextBlock block = textCursor().block();
    if (block.isValid() && block.isVisible()) {
      QRectF band = blockBoundingGeometry(block).translated(contentOffset());
      band.setLeft(0);
      band.setWidth(viewport()->width());
      QColor colour = palette().color(QPalette::Highlight);
      colour.setAlpha(darkPalette() ? 60 : 28);
      painter.fillRect(band, colour);
    }
  }
  QPlainTextEdit::paintEvent(event);
}

void RichTextView::paintGutter(QPaintEvent* event) {
  QPainter painter(m_gutter);
  painter.fillRect(event->rect(), palette().color(QPalette::AlternateBase));
  const int current = textCursor().blockNumber();
  QTextBlock block = firstVisibleBlock();
  int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
  const int right = m_gutter->width() - 5;
  QFont plain = font();
  QFont bold = font();
  bold.setBold(true);
  while (block.isValid() && top <= event->rect().bottom()) {
    const int height = qRound(blockBoundingRect(block).height());
    if (block.isVisible() && top + height >= event->rect().top()) {
      const bool here = block.blockNumber() == current;
      painter.setFont(here ? bold : plain);
      painter.setPen(palette().color(here ? QPalette::Text : QPalette::PlaceholderText));
      painter.drawText(0, top, right, height, Qt::AlignRight | Qt::AlignVCenter, QString::number(block.blockNumber() + 1));
    }
    top += height;
    block = block.next();
  }
}

namespace {

bool isLineBreak(char c) { return c == '\r' || c == '\n'; }

// The runs of `text` as they fall in the document the view makes of it. A
// text can hold line breaks inside formatted stretches (a string with a
// carriage return in it); the document makes a paragraph break of each, and
// of a CR LF pair only one. Runs are split around the breaks and moved to
// the document's positions.
std::vector<RtfRun> runsInDocument(const std::string& text, std::vector<RtfRun> runs) {
  if (text.find('\r') == std::string::npos && std::none_of(runs.begin(), runs.end(), [&](const RtfRun& run) {
        return std::string_view(text).substr(run.start, run.length).find('\n') != std::string_view::npos;
      })) {
    return runs;  // every listing of a real program
  }
  std::vector<std::size_t> position(text.size() + 1);
  std::size_t at = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool secondOfPair = text[i] == '\n' && i > 0 && text[i - 1] == '\r';
    position[i] = secondOfPair ? at - 1 : at;
    if (!secondOfPair) ++at;
  }
  position[text.size()] = at;
  std::vector<RtfRun> moved;
  for (const RtfRun& run : runs) {
    const std::size_t end = std::min(run.start + run.length, text.size());
    for (std::size_t i = run.start; i < end;) {
      while (i < end && isLineBreak(text[i])) ++i;
      std::size_t j = i;
      while (j < end && !isLineBreak(text[j])) ++j;
      if (j > i) moved.push_back({position[i], j - i, run.bold, run.colour});
      i = j;
    }
  }
  return moved;
}

}  // namespace

void RichTextView::setTextRtf(const std::string& text) {
  if (!looksLikeRtf(text)) {
    setPlainText(text);
    return;
  }
  FormattedText formatted = readRtf(text);
  QPlainTextEdit::setPlainText(QString::fromLatin1(formatted.text.data(), static_cast<qsizetype>(formatted.text.size())));
  m_colours = std::move(formatted.colours);
  m_showsRtf = true;
  formatted.runs = runsInDocument(formatted.text, std::move(formatted.runs));
  applyRuns(formatted.runs);
  m_runs = std::move(formatted.runs);
  m_runColours = m_colours;
  m_runsHash = std::hash<std::string_view>{}(text);
  m_runsRevision = document()->revision();
}

bool RichTextView::restyle(const std::string* rtfDocument) {
  // Any change of the characters since the runs were laid shows in the
  // document's revision.
  if (m_runsRevision < 0 || m_runsRevision != document()->revision()) return false;
  if (rtfDocument == nullptr) {
    if (m_showsRtf) clearRuns();
    m_showsRtf = false;
    m_colours.clear();
    return true;
  }
  if (std::hash<std::string_view>{}(*rtfDocument) != m_runsHash) return false;
  if (!m_showsRtf) {
    m_colours = m_runColours;
    applyRuns(m_runs);
    m_showsRtf = true;
  }
  return true;
}

void RichTextView::clearRuns() {
  QTextDocument* doc = document();
  for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
    if (!block.layout()->formats().isEmpty()) block.layout()->clearFormats();
  }
  doc->markContentsDirty(0, doc->characterCount());
}

void RichTextView::applyRuns(const std::vector<RtfRun>& runs) {
  if (runs.empty()) return;
  // One format for each weight and colour; runs share them.
  std::vector<QTextCharFormat> formats(2 * (m_colours.size() + 1));
  const auto formatOf = [&](const RtfRun& run) -> const QTextCharFormat& {
    const bool coloured = run.colour > 0 && static_cast<std::size_t>(run.colour) < m_colours.size() &&
                          !m_colours[static_cast<std::size_t>(run.colour)].automatic;
    const std::size_t colour = coloured ? static_cast<std::size_t>(run.colour) : 0;
    QTextCharFormat& format = formats[2 * colour + (run.bold ? 1 : 0)];
    if (format.isEmpty()) {
      format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
      if (coloured) {
        const RtfColour& c = m_colours[colour];
        QColor shown(c.red, c.green, c.blue);
        // Pure red, blue and grey are hard to read on a dark desktop: the
        // same hue, lighter.
        if (darkPalette() && shown.lightness() < 160) shown = QColor::fromHsl(shown.hslHue(), shown.hslSaturation(), 170);
        format.setForeground(shown);
      }
      if (!run.bold) format.clearProperty(QTextFormat::FontWeight);
    }
    return format;
  };

  QTextDocument* doc = document();
  QTextBlock block = doc->begin();
  std::size_t blockStart = 0;  // the block's position, followed along
  QList<QTextLayout::FormatRange> ranges;
  const auto flush = [&] {
    if (!ranges.isEmpty() && block.isValid()) {
      block.layout()->setFormats(ranges);
      ranges.clear();
    }
  };
  for (const RtfRun& run : runs) {
    // Runs never cross a paragraph break; find the run's paragraph.
    while (block.isValid() && blockStart + static_cast<std::size_t>(block.length()) <= run.start) {
      flush();
      blockStart += static_cast<std::size_t>(block.length());
      block = block.next();
    }
    if (!block.isValid()) break;
    QTextLayout::FormatRange range;
    range.start = static_cast<int>(run.start - blockStart);
    range.length = static_cast<int>(run.length);
    range.format = formatOf(run);
    ranges.append(range);
  }
  flush();
  doc->markContentsDirty(0, doc->characterCount());
}

void RichTextView::setZoomStep(int step) {
  static constexpr double kSizes[] = {6, 7, 8.25, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 36};
  static_assert(std::size(kSizes) == kLargestZoom - kSmallestZoom + 1);
  m_zoomStep = std::clamp(step, kSmallestZoom, kLargestZoom);
  QFont zoomed = font();
  zoomed.setPointSizeF(kSizes[m_zoomStep - kSmallestZoom]);
  setFont(zoomed);
}

std::string RichTextView::plainText() const {
  QString text = document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  text.replace(QChar::LineSeparator, QLatin1Char('\n'));
  const QByteArray latin1 = text.toLatin1();
  return {latin1.constData(), static_cast<std::size_t>(latin1.size())};
}

void RichTextView::setPlainText(const std::string& text) {
  QPlainTextEdit::setPlainText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
  m_showsRtf = false;
  m_colours.clear();
  m_runs.clear();
  m_runsRevision = -1;
}

std::int32_t RichTextView::characterCount() const {
  return std::max(0, document()->characterCount() - 1);
}

std::int32_t RichTextView::selectionStart() const { return textCursor().selectionStart(); }

std::int32_t RichTextView::selectionLength() const {
  const QTextCursor cursor = textCursor();
  return cursor.selectionEnd() - cursor.selectionStart();
}

// Setting the start places the caret there with nothing selected; setting
// the length then selects that many characters from it. Both are kept inside
// the text.
void RichTextView::setSelectionStart(std::int32_t start) {
  QTextCursor cursor = textCursor();
  cursor.setPosition(std::clamp(start, 0, characterCount()));
  setTextCursor(cursor);
}

void RichTextView::setSelectionLength(std::int32_t length) {
  QTextCursor cursor = textCursor();
  const int start = cursor.selectionStart();
  cursor.setPosition(start);
  cursor.setPosition(start + std::clamp(length, 0, characterCount() - start), QTextCursor::KeepAnchor);
  setTextCursor(cursor);
}

}  // namespace zarvex
