// Reading RTF into characters and formatted runs.
#include "rtf_reader.h"

#include <gtest/gtest.h>

#include "rtf_text.h"

namespace zarvex {
namespace {

TEST(RtfReader, ListingDocumentGivesTextRunsAndColours) {
  const std::string doc = std::string(kRtfHeader) +
                          "  {\\b Print }{\\cf3 \"a\\\\b\\{\\}\"}X\\par\r\n{\\cf7 Rem hi}{\\cf2 <!-- 5 -->}\\par\r\n}";
  const FormattedText text = readRtf(doc);
  EXPECT_EQ(text.text, "  Print \"a\\b{}\"X\nRem hi<!-- 5 -->\n");
  ASSERT_EQ(text.colours.size(), 8u);
  EXPECT_TRUE(text.colours[0].automatic);
  EXPECT_EQ(text.colours[2].green, 127);
  EXPECT_EQ(text.colours[7].red, 127);
  EXPECT_EQ(text.colours[3].blue, 255);
  ASSERT_EQ(text.runs.size(), 4u);
  EXPECT_EQ(text.runs[0].start, 2u);
  EXPECT_EQ(text.runs[0].length, 6u);
  EXPECT_TRUE(text.runs[0].bold);
  EXPECT_EQ(text.runs[1].colour, 3);
  EXPECT_EQ(text.runs[1].length, 7u);
  EXPECT_EQ(text.runs[2].colour, 7);
  EXPECT_EQ(text.runs[3].colour, 2);
}

TEST(RtfReader, SkipsWhatTheListingDoesNotUse) {
  const FormattedText text = readRtf(
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Courier New;}}{\\*\\generator x;}{\\info{\\title t}}"
      "\\pard\\f0\\fs17 A\\'e9\\~{\\b\\i B\\b0 C}\\plain D\\tab E\\line F\\unknownword123 G}");
  EXPECT_EQ(text.text, "A\xE9\xA0" "BCD\tE\nFG");  // the blank after a control word is its delimiter
  ASSERT_EQ(text.runs.size(), 1u);
  EXPECT_EQ(text.text.substr(text.runs[0].start, text.runs[0].length), "B");
}

TEST(RtfReader, NeverFailsOnBrokenInput) {
  for (const char* broken : {"{\\rtf", "{\\rtf}}}}x", "{\\rtf{{{{", "{\\rtf\\", "{\\rtf\\'4", "{\\rtf\\cf-99999999999 x}",
                             "{\\rtf{\\colortbl\\red999;}"}) {
    EXPECT_NO_THROW(readRtf(broken)) << broken;
  }
  EXPECT_EQ(readRtf("{\\rtf}}}}x").text, "x");
}

TEST(RtfReader, RecognisesOnlyTextThatStartsWithTheHeader) {
  EXPECT_TRUE(looksLikeRtf("{\\rtf{\\colortbl;}"));
  EXPECT_TRUE(looksLikeRtf("{\\rtf1\\ansi"));
  EXPECT_FALSE(looksLikeRtf(""));
  EXPECT_FALSE(looksLikeRtf(" {\\rtf"));
  EXPECT_FALSE(looksLikeRtf("Print \"{\\rtf\""));
}

}  // namespace
}  // namespace zarvex
