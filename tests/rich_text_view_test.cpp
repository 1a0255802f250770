// The listing view: RTF in, plain text and selection out.
#include "rich_text_view.h"

#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextLayout>

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
