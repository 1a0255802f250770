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

void ListingText::setText(std::string_view text, std::vector<RtfRun> runs) {
  m_folded.reset();
  m_text.clear();
  m_text.reserve(text.size());
  m_lineStarts.assign(1, 0);
  m_longestLine = 0;
  // position[i]: where the character i of `text` lands; only needed when a
  // CR goes, which no listing of a real program holds.
  const bool moves = text.find('\r') != std::string_view::npos;
  std::vector<std::int32_t> position(moves ? text.size() + 1 : 0);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (moves) position[i] = static_cast<std::int32_t>(m_text.size());
    if (c == '\n' && i > 0 && text[i - 1] == '\r') {
      if (moves) position[i] = static_cast<std::int32_t>(m_text.size()) - 1;
      continue;  // the second half of CR LF
    }
    if (isBreak(c)) {
      m_longestLine = std::max(m_longestLine, static_cast<std::int32_t>(m_text.size()) - m_lineStarts.back());
      m_text.push_back('\n');
      m_lineStarts.push_back(static_cast<std::int32_t>(m_text.size()));
    } else {
      // Runs of ordinary characters are copied whole.
      const std::size_t end = std::min(text.find_first_of("\r\n", i), text.size());
      if (!moves) {
        m_text.append(text.substr(i, end - i));
      } else {
        for (std::size_t j = i; j < end; ++j) {
          position[j] = static_cast<std::int32_t>(m_text.size());
          m_text.push_back(text[j]);
        }
      }
      i = end - 1;
    }
  }
  if (moves) position[text.size()] = static_cast<std::int32_t>(m_text.size());
  m_longestLine = std::max(m_longestLine, static_cast<std::int32_t>(m_text.size()) - m_lineStarts.back());

  // Runs never cross a line break here: a formatted stretch holding one (a
  // string with a line feed in it) is cut round it.
  m_runs.clear();
  m_runs.reserve(runs.size());
  for (const RtfRun& run : runs) {
    const std::size_t end = std::min(run.start + run.length, text.size());
    for (std::size_t i = std::min(run.start, text.size()); i < end;) {
      while (i < end && isBreak(text[i])) ++i;
      std::size_t j = i;
      while (j < end && !isBreak(text[j])) ++j;
      if (j > i) {
        const std::size_t at = moves ? static_cast<std::size_t>(position[i]) : i;
        m_runs.push_back({at, j - i, run.bold, run.colour});
      }
      i = j;
    }
  }
  std::stable_sort(m_runs.begin(), m_runs.end(), [](const RtfRun& a, const RtfRun& b) { return a.start < b.start; });
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
  return {start, end - start};
}

}  // namespace zarvex
