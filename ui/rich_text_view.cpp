#include "rich_text_view.h"

#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <iterator>

namespace zarvex {

RichTextView::RichTextView(QWidget* parent) : QPlainTextEdit(parent) {
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
}

void RichTextView::setTextRtf(const std::string& text) {
  if (!looksLikeRtf(text)) {
    setPlainText(text);
    return;
  }
  FormattedText formatted = readRtf(text);
  QPlainTextEdit::setPlainText(QString::fromLatin1(formatted.text.data(), static_cast<qsizetype>(formatted.text.size())));
  m_colours = std::move(formatted.colours);
  m_showsRtf = true;
  applyRuns(formatted.runs);
}

void RichTextView::applyRuns(const std::vector<RtfRun>& runs) {
  if (runs.empty()) return;
  QTextDocument* doc = document();
  QTextBlock block = doc->begin();
  QList<QTextLayout::FormatRange> ranges;
  const auto flush = [&] {
    if (!ranges.isEmpty() && block.isValid()) {
      block.layout()->setFormats(ranges);
      ranges.clear();
    }
  };
  for (const RtfRun& run : runs) {
    // Runs never cross a paragraph break; find the run's paragraph.
    while (block.isValid() && static_cast<std::size_t>(block.position() + block.length()) <= run.start) {
      flush();
      block = block.next();
    }
    if (!block.isValid()) break;
    QTextCharFormat format;
    if (run.bold) format.setFontWeight(QFont::Bold);
    if (run.colour > 0 && static_cast<std::size_t>(run.colour) < m_colours.size() &&
        !m_colours[static_cast<std::size_t>(run.colour)].automatic) {
      const RtfColour& c = m_colours[static_cast<std::size_t>(run.colour)];
      format.setForeground(QColor(c.red, c.green, c.blue));
    }
    QTextLayout::FormatRange range;
    range.start = static_cast<int>(run.start) - block.position();
    range.length = static_cast<int>(run.length);
    range.format = format;
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
