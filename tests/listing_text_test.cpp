// The listing view's characters: lines, runs, searches and words.
#include "listing_text.h"

#include <gtest/gtest.h>

namespace zarvex {
namespace {

using Range = ListingText::Range;

TEST(ListingText, EveryKindOfLineBreakEndsOneLineAndRunsFollowTheirCharacters) {
  ListingText text;
  // "Print" bold, a string whose stretch holds CR LF and a lone CR, then X.
  text.setText("Print\r\n\"a\r\nb\rc\"\nX", {{0, 5, true, 0}, {7, 8, false, 3}, {16, 1, true, 1}});
  EXPECT_EQ(text.text(), "Print\n\"a\nb\nc\"\nX");
  ASSERT_EQ(text.lineCount(), 5);
  EXPECT_EQ(text.line(0), "Print");
  EXPECT_EQ(text.line(2), "b");
  EXPECT_EQ(text.line(4), "X");
  EXPECT_EQ(text.longestLine(), 5);
  // The string's stretch is cut at each break, and X keeps its own run.
  const std::vector<std::tuple<std::size_t, std::size_t, bool, int>> expected = {
      {0, 5, true, 0}, {6, 2, false, 3}, {9, 1, false, 3}, {11, 2, false, 3}, {14, 1, true, 1}};
  ASSERT_EQ(text.runs().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const RtfRun& run = text.runs()[i];
    EXPECT_EQ(std::make_tuple(run.start, run.length, run.bold, run.colour), expected[i]) << "run " << i;
  }
  // Runs past the end of the text are dropped, cut ones kept up to it.
  text.setText("ab", {{1, 5, true, 0}, {9, 2, true, 0}});
  ASSERT_EQ(text.runs().size(), 1u);
  EXPECT_EQ(text.runs()[0].length, 1u);
}

TEST(ListingText, LinesAreFoundByPositionAtTheirEdges) {
  ListingText text;
  EXPECT_EQ(text.lineCount(), 1) << "the empty text is one empty line";
  EXPECT_EQ(text.line(0), "");
  text.setText("ab\n\ncd\n");
  ASSERT_EQ(text.lineCount(), 4);
  EXPECT_EQ(text.lineOf(0), 0);
  EXPECT_EQ(text.lineOf(2), 0) << "a line's break is its own";
  EXPECT_EQ(text.lineOf(3), 1);
  EXPECT_EQ(text.lineOf(4), 2);
  EXPECT_EQ(text.lineOf(7), 3);
  EXPECT_EQ(text.lineOf(1000), 3);
  EXPECT_EQ(text.lineOf(-5), 0);
  EXPECT_EQ(text.lineStart(3), 7);
  EXPECT_EQ(text.lineStart(99), 7) << "kept within the text";
  EXPECT_EQ(text.line(3), "");
}

TEST(ListingText, RunsInAStretchAreThoseOverlappingIt) {
  ListingText text;
  text.setText("Print 12 \"x\"", {{0, 6, true, 0}, {6, 2, false, 1}, {9, 3, false, 2}});
  const auto starts = [&](std::int32_t from, std::int32_t to) {
    std::vector<std::size_t> found;
    for (const RtfRun& run : text.runsIn(from, to)) found.push_back(run.start);
    return found;
  };
  EXPECT_EQ(starts(0, 12), (std::vector<std::size_t>{0, 6, 9}));
  EXPECT_EQ(starts(5, 7), (std::vector<std::size_t>{0, 6}));
  EXPECT_EQ(starts(8, 9), (std::vector<std::size_t>{})) << "the unformatted space";
  EXPECT_EQ(starts(11, 40), (std::vector<std::size_t>{9}));
}

TEST(ListingText, SearchesBothWaysWithAndWithoutCase) {
  ListingText text;
  text.setText("\xC9" "cran \xE9" "cran ECRAN");  // ÉCRAN in three spellings
  EXPECT_EQ(text.find("\xE9" "cran", 0, false, true), 6);
  EXPECT_EQ(text.find("\xE9" "cran", 0, false, false), 0) << "É and é fold together";
  EXPECT_EQ(text.find("\xE9" "cran", 1, false, false), 6);
  EXPECT_EQ(text.find("ecran", 0, false, false), 12) << "an accent is not a case";
  EXPECT_EQ(text.find("cran", 12, true, true), 7) << "backward: the last one starting before";
  EXPECT_EQ(text.find("cran", 1, true, true), std::nullopt);
  EXPECT_EQ(text.find("", 0, false, true), std::nullopt);
  EXPECT_EQ(text.find("x", 500, false, true), std::nullopt);

  text.setText("aaaaa");
  EXPECT_EQ(text.findAll("aa", true, 100), (std::vector<Range>{{0, 2}, {2, 2}})) << "matches do not overlap";
  EXPECT_EQ(text.findAll("a", true, 3).size(), 3u) << "up to the limit";
  EXPECT_EQ(text.findAll("A", false, 100).size(), 5u);
}

TEST(ListingText, AWordIsLettersDigitsAndUnderscores) {
  ListingText text;
  text.setText("Print PRINT_TOTAL+caf\xE9 2");
  EXPECT_EQ(text.wordAt(8), (Range{6, 11}));
  EXPECT_EQ(text.wordAt(17), (Range{6, 11})) << "just after its last character";
  EXPECT_EQ(text.wordAt(19), (Range{18, 4})) << "accented letters belong";
  EXPECT_EQ(text.wordAt(5), (Range{0, 5}));
  EXPECT_EQ(text.wordAt(23), (Range{23, 1}));
  text.setText("+ -");
  EXPECT_EQ(text.wordAt(1).length, 0);
  text.setText("A$=PATH$+X#");
  EXPECT_EQ(text.wordAt(5), (Range{3, 5})) << "a name's type sign is its own";
  EXPECT_EQ(text.wordAt(10), (Range{9, 2}));
}

}  // namespace
}  // namespace zarvex
