// The listing view: RTF in, plain text and selection out.
#include "rich_text_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QElapsedTimer>
#include <QWheelEvent>

#include <tuple>
#include <vector>

#include "rtf_text.h"

namespace zarvex {
namespace {

// All stretches of the view shown otherwise than plain text, line by line:
// line, column, length, bold, colour.
using Format = std::tuple<int, int, int, bool, QRgb>;
std::vector<Format> formatsOf(const RichTextView& view) {
  std::vector<Format> all;
  const std::string text = view.plainText();
  const RichTextView::Look plain{false, view.palette().color(QPalette::Text)};
  for (int line = 1; line <= view.lineCount(); ++line) {
    const std::int32_t start = view.lineStart(line);
    const std::int32_t end = static_cast<std::int32_t>(std::min(text.find('\n', static_cast<std::size_t>(start)), text.size()));
    for (std::int32_t at = start; at < end;) {
      const RichTextView::Look look = view.lookAt(at);
      std::int32_t next = at + 1;
      while (next < end && view.lookAt(next) == look) ++next;
      if (!(look == plain)) all.emplace_back(line - 1, at - start, next - at, look.bold, look.colour.rgb());
      at = next;
    }
  }
  return all;
}

TEST(RichTextView, ReadsTheListingDocumentAndGivesBackItsCharacters) {
  RichTextView view;
  view.setTextRtf(std::string(kRtfHeader) + "  {\\b If }X{\\cf3 \"\\{\\\\\xE9\"}\\par\r\n{\\cf7 `c}\\par\r\n}");
  EXPECT_TRUE(view.showsRtf());
  EXPECT_EQ(view.plainText(), "  If X\"{\\\xE9\"\n`c\n");
  EXPECT_EQ(view.lineCount(), 3);
  const auto formats = formatsOf(view);
  ASSERT_EQ(formats.size(), 3u);
  EXPECT_EQ(formats[0], (Format{0, 2, 3, true, view.palette().color(QPalette::Text).rgb()}));
  EXPECT_EQ(std::get<1>(formats[1]), 6);
  EXPECT_EQ(std::get<2>(formats[1]), 5);
}

TEST(RichTextView, RestylesTheSameCharactersInPlaceAndOnlyThose) {
  const std::string document = std::string(kRtfHeader) + "{\\b Print }{\\cf1 12}\\par\r\n{\\cf3 \"a\"}\\par\r\n}";
  RichTextView view;
  view.setTextRtf(document);
  const auto highlighted = formatsOf(view);
  const std::string text = view.plainText();
  ASSERT_EQ(highlighted.size(), 3u);

  // Off and on again: the characters stay, the formatting goes and comes back.
  ASSERT_TRUE(view.restyle(nullptr));
  EXPECT_FALSE(view.showsRtf());
  EXPECT_TRUE(formatsOf(view).empty());
  EXPECT_EQ(view.plainText(), text);
  ASSERT_TRUE(view.restyle(&document));
  EXPECT_TRUE(view.showsRtf());
  EXPECT_EQ(formatsOf(view), highlighted);
  EXPECT_EQ(view.plainText(), text);

  // Another document's formatting is never laid over these characters.
  const std::string other = std::string(kRtfHeader) + "{\\b Else}\\par\r\n}";
  ASSERT_TRUE(view.restyle(nullptr));
  EXPECT_FALSE(view.restyle(&other));
  EXPECT_TRUE(formatsOf(view).empty());

  // Once the characters are set anew, the kept formatting is gone.
  view.setPlainText(text);
  EXPECT_FALSE(view.restyle(&document));
  EXPECT_TRUE(formatsOf(view).empty());
  view.setTextRtf(document);
  view.setPlainText("x");
  EXPECT_FALSE(view.restyle(nullptr));
  EXPECT_EQ(view.plainText(), "x");
}

TEST(RichTextView, FormattingStaysOnItsCharactersAcrossLineBreaksInsideAStretch) {
  // A string holding CR LF and a lone LF: the view breaks the paragraph
  // there (CR LF once), and what follows keeps its own formatting.
  RichTextView view;
  view.setTextRtf(std::string(kRtfHeader) + "{\\cf3 \"a\\'0d\\'0ab\\'0ac\"}{\\b Print }\\par\r\n{\\b X}\\par\r\n}");
  EXPECT_EQ(view.plainText(), "\"a\nb\nc\"Print \nX\n");
  const QRgb blue = QColor(0, 0, 255).rgb();
  const QRgb text = view.palette().color(QPalette::Text).rgb();
  EXPECT_EQ(formatsOf(view), (std::vector<Format>{{0, 0, 2, false, blue},
                                                  {1, 0, 1, false, blue},
                                                  {2, 0, 2, false, blue},
                                                  {2, 2, 6, true, text},
                                                  {3, 0, 1, true, text}}));
}

TEST(RichTextView, TextWithoutRtfHeaderIsPlainAndEmptyEmpties) {
  RichTextView view;
  view.setTextRtf("plain {\\b not bold}\nline");
  EXPECT_FALSE(view.showsRtf());
  EXPECT_EQ(view.plainText(), "plain {\\b not bold}\nline");
  view.setTextRtf("");
  EXPECT_EQ(view.plainText(), "");
  view.setPlainText(std::string("a\xA0" "b"));
  EXPECT_EQ(view.plainText(), "a\xA0" "b") << "no-break spaces stay as they are";
}

TEST(RichTextView, SelectionIsKeptInsideTheText) {
  RichTextView view;
  view.setPlainText(std::string("0123456789"));
  view.setSelectionStart(3);
  view.setSelectionLength(4);
  EXPECT_EQ(view.selectionStart(), 3);
  EXPECT_EQ(view.selectionLength(), 4);
  view.setSelectionStart(50);
  EXPECT_EQ(view.selectionStart(), 10);
  EXPECT_EQ(view.selectionLength(), 0);
  view.setSelectionStart(-5);
  view.setSelectionLength(1000);
  EXPECT_EQ(view.selectionStart(), 0);
  EXPECT_EQ(view.selectionLength(), 10);
}

}  // namespace
}  // namespace zarvex

namespace zarvex {
namespace {

TEST(ListingGutter, NumbersTheLinesInSightAndFollowsTheCaret) {
  RichTextView view;
  view.resize(400, 200);
  std::string text;
  for (int i = 1; i <= 2000; ++i) text += "Print " + std::to_string(i) + "\n";
  view.setPlainText(text);
  view.show();
  EXPECT_TRUE(view.lineNumbersVisible());
  EXPECT_GT(view.gutterWidth(), view.fontMetrics().horizontalAdvance(QStringLiteral("2000")));
  EXPECT_GE(view.viewport()->x(), view.gutterWidth());
  // A caret far down: the view follows and the current line is its.
  view.setCaret(view.lineStart(1500));
  view.centerCaret();
  EXPECT_EQ(view.currentLine(), 1500);
  EXPECT_GT(view.firstVisibleLine(), 1400);
  EXPECT_LE(view.firstVisibleLine(), 1500);
  // The gutter's own picture holds the line numbers in sight.
  const QImage picture = view.gutter()->grab().toImage();
  EXPECT_FALSE(picture.isNull());
  view.setLineNumbersVisible(false);
  EXPECT_LT(view.viewport()->x(), view.fontMetrics().horizontalAdvance(QStringLiteral("9")));
  EXPECT_EQ(view.gutterWidth(), 0);
}

TEST(ListingGutter, ListingColoursAreLightenedOnADarkDesktop) {
  RichTextView view;
  QPalette dark = view.palette();
  dark.setColor(QPalette::Base, QColor(30, 30, 30));
  dark.setColor(QPalette::Text, QColor(220, 220, 220));
  view.setTextRtf("{\\rtf1\\ansi{\\colortbl ;\\red0\\green0\\blue255;}\\cf1 \"x\"\\cf0\\par\r\n}");
  const auto colourOfFirst = [&] { return view.lookAt(0).colour; };
  EXPECT_EQ(colourOfFirst(), QColor(0, 0, 255));
  view.setPalette(dark);
  EXPECT_TRUE(view.darkPalette());
  EXPECT_GT(colourOfFirst().lightness(), 128);
}

}  // namespace
}  // namespace zarvex

namespace zarvex {
namespace {

// A view of `lines` numbered lines, shown at a size that holds about twenty.
class ListingReadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view.resize(420, 300);
    std::string text;
    for (int i = 1; i <= 1000; ++i) text += (i % 10 == 0 ? "Rem\n" : "Print \"line " + std::to_string(i) + "\"\n");
    view.setPlainText(text);
    view.show();
  }
  void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&view, &event);
  }
  void mouse(QEvent::Type type, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, at, view.viewport()->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, modifiers);
    QApplication::sendEvent(view.viewport(), &event);
  }
  int column() const { return view.caretPosition() - view.lineStart(view.currentLine()); }

  RichTextView view;
};

TEST_F(ListingReadingTest, TheKeysOfReadingMoveTheCaretAndShiftSelects) {
  press(Qt::Key_Down);
  for (int i = 0; i < 12; ++i) press(Qt::Key_Right);
  EXPECT_EQ(view.currentLine(), 2);
  EXPECT_EQ(column(), 12);
  // Down through a short line and on: the column is kept for the long one.
  for (int i = 0; i < 8; ++i) press(Qt::Key_Down);
  EXPECT_EQ(view.currentLine(), 10);
  EXPECT_EQ(column(), 3) << "the end of \"Rem\"";
  press(Qt::Key_Down);
  EXPECT_EQ(column(), 12);
  press(Qt::Key_End);
  EXPECT_EQ(column(), 15);
  press(Qt::Key_Home);
  EXPECT_EQ(column(), 0);
  press(Qt::Key_Right, Qt::ControlModifier);
  EXPECT_EQ(column(), 7) << "the start of the next word";

  // Page Down moves by what is in sight, and the view follows.
  const int page = view.verticalScrollBar()->pageStep();
  ASSERT_GT(page, 5);
  press(Qt::Key_PageDown);
  EXPECT_EQ(view.currentLine(), 11 + page);
  EXPECT_LE(view.firstVisibleLine(), view.currentLine());
  press(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(view.caretPosition(), view.characterCount());
  EXPECT_EQ(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
  press(Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(view.caretPosition(), 0);
  EXPECT_EQ(view.firstVisibleLine(), 1);

  // Shift keeps the other end where it was.
  press(Qt::Key_Down, Qt::ShiftModifier);
  press(Qt::Key_End, Qt::ShiftModifier);
  EXPECT_EQ(view.selectedText(), "Print \"line 1\"\nPrint \"line 2\"");
  press(Qt::Key_Left);
  EXPECT_EQ(view.selectionLength(), 0) << "a move without Shift drops the selection";
}

TEST_F(ListingReadingTest, SelectionAndCopyReachPastThePageInSight) {
  // Shift+Page Down twice from the second line: more than a screenful.
  press(Qt::Key_Down);
  press(Qt::Key_PageDown, Qt::ShiftModifier);
  press(Qt::Key_PageDown, Qt::ShiftModifier);
  const std::int32_t from = view.lineStart(2);
  const std::int32_t to = view.caretPosition();
  ASSERT_GT(view.currentLine(), 2 + 2 * view.verticalScrollBar()->pageStep() - 1);
  QApplication::clipboard()->clear();
  press(Qt::Key_C, Qt::ControlModifier);
  const std::string text = view.plainText();
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));

  // A mouse drag below the view's edge selects on as the view scrolls.
  press(Qt::Key_Home, Qt::ControlModifier);
  mouse(QEvent::MouseButtonPress, QPoint(40, 20));
  const std::int32_t anchor = view.anchorPosition();
  mouse(QEvent::MouseMove, QPoint(40, view.viewport()->height() + 40));
  // The button held a while out there: the view's timer scrolls it on.
  QElapsedTimer held;
  held.start();
  while (held.elapsed() < 900) QApplication::processEvents(QEventLoop::AllEvents, 50);
  mouse(QEvent::MouseButtonRelease, QPoint(40, view.viewport()->height() + 40));
  EXPECT_EQ(view.anchorPosition(), anchor);
  EXPECT_GT(view.currentLine(), view.verticalScrollBar()->pageStep() + 5) << "the view scrolled while held";
  EXPECT_GT(view.firstVisibleLine(), 5);
  // A double click takes a word.
  view.verticalScrollBar()->setValue(0);
  mouse(QEvent::MouseButtonDblClick, QPoint(static_cast<int>(4 + 2.5 * view.fontMetrics().horizontalAdvance('M')), 10));
  EXPECT_EQ(view.selectedText(), "Print");
}

TEST_F(ListingReadingTest, SelectAllAndFindingKeepTheReadersPlace) {
  view.verticalScrollBar()->setValue(500);
  press(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(view.selectionLength(), view.characterCount());
  EXPECT_EQ(view.firstVisibleLine(), 501) << "Select All does not jump to the end";
  // A match already in sight is shown where it is; one out of sight is
  // brought to the middle.
  view.setSelectionStart(view.lineStart(505));
  view.verticalScrollBar()->setValue(500);
  view.revealCaret();
  EXPECT_EQ(view.firstVisibleLine(), 501);
  view.setCaret(view.lineStart(900));
  view.verticalScrollBar()->setValue(500);
  view.revealCaret();
  EXPECT_GT(view.firstVisibleLine(), 880);
  EXPECT_LT(view.firstVisibleLine(), 900);
}

TEST_F(ListingReadingTest, TheGutterNumbersTheLinesInSight) {
  view.verticalScrollBar()->setValue(500);
  EXPECT_EQ(view.firstVisibleLine(), 501);
  // A click beside the fourth row in sight goes to its line: the line the
  // gutter shows there.
  const int rowHeight = view.fontMetrics().lineSpacing();
  QMouseEvent click(QEvent::MouseButtonPress, QPoint(5, 4 + 3 * rowHeight + rowHeight / 2), QPoint(), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view.gutter(), &click);
  EXPECT_EQ(view.currentLine(), 504);
  EXPECT_EQ(view.caretPosition(), view.lineStart(504));
  // And the click in the text at the same height lands on the same line.
  mouse(QEvent::MouseButtonPress, QPoint(60, 4 + 3 * rowHeight + rowHeight / 2));
  mouse(QEvent::MouseButtonRelease, QPoint(60, 4 + 3 * rowHeight + rowHeight / 2));
  EXPECT_EQ(view.currentLine(), 504);
}

TEST(ListingView, ALineOf64KiBIsShownWholeBySidewaysScrolling) {
  RichTextView view;
  view.resize(400, 200);
  std::string line(65536, '-');
  line += "END";
  view.setPlainText("Print\n" + line + "\n");
  view.show();
  QScrollBar* sideways = view.horizontalScrollBar();
  EXPECT_GT(sideways->maximum(), 65000 * QFontMetricsF(view.font()).horizontalAdvance('M') - 400);
  view.setCaret(view.lineStart(2) + 65539);
  EXPECT_EQ(sideways->value(), sideways->maximum()) << "the caret at the end brings the end in sight";
  // Something is painted there: the line's last characters.
  const QImage picture = view.viewport()->grab().toImage();
  const QRgb background = picture.pixel(picture.width() - 1, picture.height() - 1);
  int inked = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) inked += picture.pixel(x, y) != background ? 1 : 0;
  }
  EXPECT_GT(inked, 50);
}

TEST(ListingView, CtrlWheelAsksForZoomAndTheFindMarksAreKeptInOrder) {
  RichTextView view;
  int asked = 0;
  QObject::connect(&view, &RichTextView::zoomRequested, [&](int steps) { asked += steps; });
  QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::ControlModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(view.viewport(), &wheel);
  EXPECT_EQ(asked, 2);

  view.setPlainText("Print x\nprint y\nPRINT z");
  const auto found = view.findAll(QStringLiteral("print"), false, 10);
  EXPECT_EQ(found, (std::vector<RichTextView::Range>{{0, 5}, {8, 5}, {16, 5}}));
  EXPECT_EQ(view.find(QStringLiteral("\u0100"), 0, false, false), std::nullopt) << "not a character of the listing";
  view.setMarks(found);
  EXPECT_EQ(view.marks().size(), 3u);
  view.setPlainText("other");
  EXPECT_TRUE(view.marks().empty()) << "marks go with the characters they marked";
}

}  // namespace
}  // namespace zarvex
