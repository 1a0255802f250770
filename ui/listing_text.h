// What the listing view shows, without the widget: the characters (one byte
// each, ISO-8859-1) cut into lines, the formatted runs laid over them, and
// the searches and look-ups the view needs to paint only the lines in sight.
//
// Line breaks are normalised when the text is set: CR LF, a lone CR and LF
// each end one line, and are kept as a single "\n". Positions count
// characters of that normalised text, so a line break is one position.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "rtf_reader.h"

namespace zarvex {

class ListingText {
 public:
  // A stretch of the text by position: [start, start + length).
  struct Range {
    std::int32_t start = 0;
    std::int32_t length = 0;
    bool operator==(const Range&) const = default;
  };

  ListingText();

  // Sets the characters and the runs that format them (positions in `text`
  // as given). Runs are split where a line break falls inside them and moved
  // to the normalised positions; runs outside the text are dropped.
  void setText(std::string text, std::vector<RtfRun> runs = {});

  const std::string& text() const { return m_text; }
  std::int32_t size() const { return static_cast<std::int32_t>(m_text.size()); }
  const std::vector<RtfRun>& runs() const { return m_runs; }

  // Lines count from 0; a text ending in a break has an empty last line,
  // and the empty text one empty line.
  int lineCount() const { return static_cast<int>(m_lineStarts.size()); }
  int lineOf(std::int32_t position) const;
  std::int32_t lineStart(int line) const;
  // The line's characters, without its break.
  std::string_view line(int line) const;
  // The length of the longest line, in characters.
  std::int32_t longestLine() const { return m_longestLine; }

  // The runs that overlap [from, to), in order.
  std::span<const RtfRun> runsIn(std::int32_t from, std::int32_t to) const;

  // The next match of `needle` starting at or after `from`, or (backward) the
  // last one starting before `from`. Without case, letters are compared by
  // their case folding as far as it stays within ISO-8859-1.
  std::optional<std::int32_t> find(std::string_view needle, std::int32_t from, bool backward, bool caseSensitive) const;
  // Every match from the start, in order, up to `limit` of them; matches do
  // not overlap.
  std::vector<Range> findAll(std::string_view needle, bool caseSensitive, std::size_t limit) const;

  // The word (letters, digits and '_', and a name's '$' or '#' after them)
  // around `position`; empty when there is none there.
  Range wordAt(std::int32_t position) const;

  // The case folding of one character, as the search without case uses it,
  // and whether a character belongs in a word.
  static char fold(char c);
  static bool isWordCharacter(char c);

 private:
  const std::string& folded() const;
  bool anyRunCrossesALine(const std::vector<RtfRun>& runs, std::size_t size) const;
  void findLongestLine();
  void normalise(std::string_view text, const std::vector<RtfRun>& runs);

  std::string m_text;
  std::vector<RtfRun> m_runs;
  std::vector<std::int32_t> m_lineStarts;
  std::int32_t m_longestLine = 0;
  // The text case-folded, made on the first search without case.
  mutable std::optional<std::string> m_folded;
};

}  // namespace zarvex
