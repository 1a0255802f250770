// The listing view: RTF in, plain text and selection out.
#include "rich_text_view.h"

#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextLayout>
#include <tuple>
#include <vector>

#include "rtf_text.h"

namespace zarvex {
namespace {

TEST(RichTextView, ReadsTheListingDocumentAndGivesBackItsCharacters) {
  RichTextView view;
  view.setTextRtf(std::string(kRtfHeader) + "  {\\b If }X{\\cf3 \"\\{\\\\\xE9\"}\\par\r\n{\\cf7 `c}\\par\r\n}");
  EXPECT_TRUE(view.showsRtf());
  EXPECT_EQ(view.plainText(), "  If X\"{\\\xE9\"\n`c\n");
  EXPECT_EQ(view.document()->blockCount(), 3);
  const auto formats = view.document()->firstBlock().layout()->formats();
  ASSERT_EQ(formats.size(), 2);
  EXPECT_EQ(formats[0].start, 2);
  EXPECT_EQ(formats[0].length, 3);
  EXPECT_EQ(formats[1].start, 6);
  EXPECT_EQ(formats[1].length, 5);
}

// All formats of the view, paragraph by paragraph: start, length, bold, colour.
std::vector<std::tuple<int, int, int, int, QRgb>> formatsOf(const RichTextView& view) {
  std::vector<std::tuple<int, int, int, int, QRgb>> all;
  for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next()) {
    for (const auto& range : block.layout()->formats()) {
      all.emplace_back(block.blockNumber(), range.start, range.length, range.format.fontWeight(),
                       range.format.foreground().color().rgb());
    }
  }
  return all;
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
  using Format = std::tuple<int, int, int, int, QRgb>;
  const QRgb blue = QColor(0, 0, 255).rgb();
  const QRgb black = QTextCharFormat().foreground().color().rgb();
  EXPECT_EQ(formatsOf(view), (std::vector<Format>{{0, 0, 2, QFont::Normal, blue},
                                                  {1, 0, 1, QFont::Normal, blue},
                                                  {2, 0, 2, QFont::Normal, blue},
                                                  {2, 2, 6, QFont::Bold, black},
                                                  {3, 0, 1, QFont::Bold, black}}));
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
  QTextCursor cursor(view.document()->findBlockByNumber(1499));
  view.setTextCursor(cursor);
  view.centerCursor();
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
  const auto colourOfFirst = [&] {
    const auto formats = view.document()->firstBlock().layout()->formats();
    return formats.isEmpty() ? QColor() : formats.front().format.foreground().color();
  };
  EXPECT_EQ(colourOfFirst(), QColor(0, 0, 255));
  view.setPalette(dark);
  EXPECT_TRUE(view.darkPalette());
  EXPECT_GT(colourOfFirst().lightness(), 128);
}

}  // namespace
}  // namespace zarvex
