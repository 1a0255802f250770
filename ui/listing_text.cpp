#include "listing_text.h"

#include <QChar>
#include <algorithm>
#include <cstring>

namespace zarvex {

namespace {

bool isBreak(char c) { return c == '\r' || c == '\n'; }

// Letters, digits and '_' make words; the table holds both that and the
// case folding of each ISO-8859-1 character.
struct CharacterTables {
  std::array<char, 256> fold{};
  std::array<bool, 256> word{};
  CharacterTables() {
    for (int c = 0; c < 256; ++c) {
      const char16_t folded = QChar(static_cast<char16_t>(c)).toCaseFolded().unicode();
      fold[static_cast<std::size_t>(c)] = static_cast<char>(folded < 256 ? folded : c);
      word[static_cast<std::size_t>(c)] = c == '_' || QChar(static_cast<char16_t>(c)).isLetterOrNumber();
    }
  }
};

const CharacterTables& tables() {
  static const CharacterTables kTables;
  return kTables;
}

}  // namespace

ListingText::ListingText() { setText({}); }

char ListingText::fold(char c) { return tables().fold[static_cast<unsigned char>(c)]; }

bool ListingText::isWordCharacter(char c) { return tables().word[static_cast<unsigned char>(c)]; }

void ListingText::setText(std::string text, std::vector<RtfRun> runs) {
  m_folded.reset();
  const bool hasCarriageReturn = text.find('\r') != std::string::npos;
  // The common case, every listing of a real program: the text and its runs
  // stay as they are, only the lines are found.
  m_lineStarts.assign(1, 0);
  if (!hasCarriageReturn) {
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
      m_lineStarts.push_back(static_cast<std::int32_t>(at + 1));
    }
    if (!anyRunCrossesALine(runs, text.size())) {
      m_text = std::move(text);
      m_runs = std::move(runs);
      std::erase_if(m_runs, [&](const RtfRun& run) { return run.length == 0 || run.start >= m_text.size(); });
      for (RtfRun& run : m_runs) run.length = std::min(run.length, m_text.size() - run.start);
      findLongestLine();
      return;
    }
  }
  normalise(text, runs);
  findLongestLine();
}

bool ListingText::anyRunCrossesALine(const std::vector<RtfRun>& runs, std::size_t size) const {
  // Runs come in order of position, and so do the lines; runs out of order
  // are put in order by the slow way.
  std::size_t line = 0;
  std::size_t previousEnd = 0;
  for (const RtfRun& run : runs) {
    if (run.length == 0 || run.start >= size) continue;
    if (run.start < previousEnd) return true;
    previousEnd = run.start + run.length;
    const std::size_t last = std::min(run.start + run.length, size) - 1;
    while (line + 1 < m_lineStarts.size() && static_cast<std::size_t>(m_lineStarts[line + 1]) <= run.start) ++line;
    // The run's first character is on `line`; its last must be too, and
    // neither may be the line's break.
    const std::size_t lineEnd = line + 1 < m_lineStarts.size() ? static_cast<std::size_t>(m_lineStarts[line + 1]) - 1 : size;
    if (last >= lineEnd) return true;
  }
  return false;
}

void ListingText::findLongestLine() {
  m_longestLine = 0;
  for (std::size_t line = 0; line + 1 < m_lineStarts.size(); ++line) {
    m_longestLine = std::max(m_longestLine, m_lineStarts[line + 1] - 1 - m_lineStarts[line]);
  }
  m_longestLine = std::max(m_longestLine, size() - m_lineStarts.back());
}

// Line breaks of every kind become "\n", and runs are cut round them and
// moved with their characters.
void ListingText::normalise(std::string_view text, const std::vector<RtfRun>& runs) {
  std::string normal;
  normal.reserve(text.size());
  m_lineStarts.assign(1, 0);
  // position[i]: where the character i of `text` lands.
  std::vector<std::size_t> position(text.size() + 1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    position[i] = normal.size();
    if (c == '\n' && i > 0 && text[i - 1] == '\r') {
      position[i] = normal.size() - 1;
      continue;  // the second half of CR LF
    }
    if (isBreak(c)) {
      normal.push_back('\n');
      m_lineStarts.push_back(static_cast<std::int32_t>(normal.size()));
    } else {
      normal.push_back(c);
    }
  }
  position[text.size()] = normal.size();

  std::vector<RtfRun> moved;
  moved.reserve(runs.size());
  for (const RtfRun& run : runs) {
    const std::size_t end = std::min(run.start + run.length, text.size());
    for (std::size_t i = std::min(run.start, text.size()); i < end;) {
      while (i < end && isBreak(text[i])) ++i;
      std::size_t j = i;
      while (j < end && !isBreak(text[j])) ++j;
      if (j > i) moved.push_back({position[i], j - i, run.bold, run.colour});
      i = j;
    }
  }
  std::stable_sort(moved.begin(), moved.end(), [](const RtfRun& a, const RtfRun& b) { return a.start < b.start; });
  m_text = std::move(normal);
  m_runs = std::move(moved);
}

int ListingText::lineOf(std::int32_t position) const {
  const auto after = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), position);
  return static_cast<int>(std::max<std::ptrdiff_t>(0, after - m_lineStarts.begin() - 1));
}

std::int32_t ListingText::lineStart(int line) const {
  return m_lineStarts[static_cast<std::size_t>(std::clamp(line, 0, lineCount() - 1))];
}

std::string_view ListingText::line(int line) const {
  line = std::clamp(line, 0, lineCount() - 1);
  const std::int32_t start = lineStart(line);
  const std::int32_t end = line + 1 < lineCount() ? lineStart(line + 1) - 1 : size();
  return std::string_view(m_text).substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

std::span<const RtfRun> ListingText::runsIn(std::int32_t from, std::int32_t to) const {
  // Runs do not overlap each other, so they are in order of their ends too.
  const auto first = std::upper_bound(m_runs.begin(), m_runs.end(), static_cast<std::size_t>(std::max(from, 0)),
                                      [](std::size_t at, const RtfRun& run) { return at < run.start + run.length; });
  auto last = first;
  while (last != m_runs.end() && last->start < static_cast<std::size_t>(std::max(to, 0))) ++last;
  return {first, last};
}

const std::string& ListingText::folded() const {
  if (!m_folded) {
    std::string folded(m_text);
    for (char& c : folded) c = fold(c);
    m_folded = std::move(folded);
  }
  return *m_folded;
}

std::optional<std::int32_t> ListingText::find(std::string_view needle, std::int32_t from, bool backward,
                                              bool caseSensitive) const {
  if (needle.empty()) return std::nullopt;
  std::string foldedNeedle;
  if (!caseSensitive) {
    foldedNeedle.assign(needle);
    for (char& c : foldedNeedle) c = fold(c);
    needle = foldedNeedle;
  }
  const std::string_view haystack = caseSensitive ? m_text : folded();
  from = std::clamp(from, 0, size());
  std::size_t at;
  if (backward) {
    if (from == 0) return std::nullopt;
    at = haystack.rfind(needle, static_cast<std::size_t>(from) - 1);
  } else {
    at = haystack.find(needle, static_cast<std::size_t>(from));
  }
  if (at == std::string_view::npos) return std::nullopt;
  return static_cast<std::int32_t>(at);
}

std::vector<ListingText::Range> ListingText::findAll(std::string_view needle, bool caseSensitive,
                                                     std::size_t limit) const {
  std::vector<Range> found;
  const auto length = static_cast<std::int32_t>(needle.size());
  for (auto at = find(needle, 0, false, caseSensitive); at && found.size() < limit;
       at = find(needle, *at + length, false, caseSensitive)) {
    found.push_back({*at, length});
  }
  return found;
}

ListingText::Range ListingText::wordAt(std::int32_t position) const {
  const auto isWord = [&](std::int32_t at) {
    return at >= 0 && at < size() && isWordCharacter(m_text[static_cast<std::size_t>(at)]);
  };
  position = std::clamp(position, 0, size());
  // A click just after a word's last character still takes the word.
  if (!isWord(position) && isWord(position - 1)) --position;
  if (!isWord(position)) return {position, 0};
  std::int32_t start = position;
  std::int32_t end = position;
  while (isWord(start - 1)) --start;
  while (isWord(end)) ++end;
  // A name's type sign belongs to it: A$, SCORE#.
  if (end < size() && (m_text[static_cast<std::size_t>(end)] == '$' || m_text[static_cast<std::size_t>(end)] == '#')) ++end;
  return {start, end - start};
}

}  // namespace zarvex
