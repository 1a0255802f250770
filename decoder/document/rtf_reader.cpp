#include "rtf_reader.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "sixteen_bytes.h"
#include "untraced.h"

namespace zarvex {

bool looksLikeRtf(std::string_view text) { return text.starts_with("{\\rtf"); }

namespace {

struct GroupState {
  bool bold = false;
  int colour = 0;
  bool skip = false;       // inside a group whose content is not text
  bool colourTable = false;
};

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Groups that carry no text of the document.
bool isSkippedDestination(std::string_view word) {
  static constexpr std::array<std::string_view, 10> kWords = {
      "fonttbl", "stylesheet", "info", "pict", "header", "footer", "listtable", "listoverridetable",
      "revtbl", "generator"};
  return std::find(kWords.begin(), kWords.end(), word) != kWords.end();
}

class Reader {
 public:
  explicit Reader(std::string_view rtf) : m_rtf(rtf) {}

  FormattedText read() {
    m_stack.reserve(8);
    m_stack.push_back({});
    m_out.text.reserve(m_rtf.size());
    // Room for a run a group, as the listing document has them, counted in
    // one quick pass; other texts grow the list as they need.
    m_out.runs.reserve(static_cast<std::size_t>(std::count(m_rtf.begin(), m_rtf.end(), '{')));
    while (m_pos < m_rtf.size()) {
      const char c = m_rtf[m_pos++];
      switch (c) {
        case '{':
          m_stack.push_back(m_stack.back());
          m_stack.back().colourTable = false;
          m_groupStart = true;
          continue;
        case '}':
          if (m_stack.back().colourTable && !m_colour.automatic) finishColour();
          if (m_stack.size() > 1) m_stack.pop_back();
          break;
        case '\\':
          controlSequence();
          break;
        case '\r':
        case '\n':
          break;
        default:
          if (m_stack.back().colourTable) {
            if (c == ';') finishColour();
          } else {
            // The characters up to the next brace, backslash or line break
            // share this group's format: taken as one stretch.
            const std::size_t end = plainStretchEnd(m_pos);
            characters(m_rtf.substr(m_pos - 1, end - m_pos + 1));
            m_pos = end;
          }
      }
      m_groupStart = false;
    }
    closeRun();
    return std::move(m_out);
  }

 private:
  static bool endsPlainStretch(char c) { return c == '{' || c == '}' || c == '\\' || c == '\r' || c == '\n'; }

  // The position of the first character from `from` on that ends a stretch
  // of plain characters, or the end of the text.
  ZARVEX_UNTRACED std::size_t plainStretchEnd(std::size_t from) const {
    std::size_t i = from;
    for (; i + 16 <= m_rtf.size(); i += 16) {
      const SixteenBytes v = loadSixteen(m_rtf.data() + i, 16);
      if (anySet(where(v == '{') | where(v == '}') | where(v == '\\') | where(v == '\r') | where(v == '\n'))) break;
    }
    while (i < m_rtf.size() && !endsPlainStretch(m_rtf[i])) ++i;
    return i;
  }

  void controlSequence() {
    if (m_pos >= m_rtf.size()) return;
    const char c = m_rtf[m_pos];
    if (!isLetter(c)) {
      ++m_pos;
      switch (c) {
        case '\\':
        case '{':
        case '}':
          character(c);
          break;
        case '\'':
          hexCharacter();
          break;
        case '~':
          character('\xA0');
          break;
        case '*':
          if (m_groupStart) m_stack.back().skip = true;
          break;
        case '\r':
        case '\n':
          paragraph();
          break;
        default:
          break;  // other control symbols carry nothing the view shows
      }
      return;
    }
    const std::size_t wordStart = m_pos;
    while (m_pos < m_rtf.size() && isLetter(m_rtf[m_pos])) ++m_pos;
    const std::string_view word = m_rtf.substr(wordStart, m_pos - wordStart);
    bool hasNumber = false;
    int number = 0;
    if (m_pos < m_rtf.size() && (isDigit(m_rtf[m_pos]) || m_rtf[m_pos] == '-')) {
      const std::size_t numberStart = m_pos;
      ++m_pos;
      while (m_pos < m_rtf.size() && isDigit(m_rtf[m_pos])) ++m_pos;
      const auto result = std::from_chars(m_rtf.data() + numberStart, m_rtf.data() + m_pos, number);
      hasNumber = result.ec == std::errc{};
    }
    if (m_pos < m_rtf.size() && m_rtf[m_pos] == ' ') ++m_pos;  // the delimiter belongs to the word
    controlWord(word, hasNumber, number);
  }

  void controlWord(std::string_view word, bool hasNumber, int number) {
    GroupState& state = m_stack.back();
    const bool atGroupStart = m_groupStart;
    if (atGroupStart && word == "colortbl") {
      state.colourTable = true;
      state.skip = true;
      m_colour = {};
      return;
    }
    if (atGroupStart && isSkippedDestination(word)) {
      state.skip = true;
      return;
    }
    if (state.colourTable) {
      const auto value = static_cast<std::uint8_t>(std::clamp(number, 0, 255));
      if (word == "red") m_colour.red = value;
      else if (word == "green") m_colour.green = value;
      else if (word == "blue") m_colour.blue = value;
      else return;
      m_colour.automatic = false;
      return;
    }
    if (state.skip) return;
    if (word == "par" || word == "line") {
      paragraph();
    } else if (word == "b") {
      state.bold = !hasNumber || number != 0;
    } else if (word == "cf") {
      state.colour = hasNumber ? std::max(number, 0) : 0;
    } else if (word == "plain") {
      state.bold = false;
      state.colour = 0;
    } else if (word == "tab") {
      character('\t');
    }
  }

  void hexCharacter() {
    if (m_pos + 2 > m_rtf.size()) {
      m_pos = m_rtf.size();
      return;
    }
    const int high = hexValue(m_rtf[m_pos]), low = hexValue(m_rtf[m_pos + 1]);
    m_pos += 2;
    if (high >= 0 && low >= 0) character(static_cast<char>(high * 16 + low));
  }

  void finishColour() {
    m_out.colours.push_back(m_colour);
    m_colour = {};
  }

  void paragraph() {
    if (m_stack.back().skip) return;
    closeRun();
    m_out.text.push_back('\n');
  }

  void character(char c) { characters(std::string_view(&c, 1)); }

  void characters(std::string_view stretch) {
    const GroupState& state = m_stack.back();
    if (state.skip) return;
    const bool formatted = state.bold || state.colour != 0;
    if (m_runOpen && (!formatted || state.bold != m_run.bold || state.colour != m_run.colour)) closeRun();
    if (formatted && !m_runOpen) {
      m_run = {m_out.text.size(), 0, state.bold, state.colour};
      m_runOpen = true;
    }
    m_out.text.append(stretch);
  }

  void closeRun() {
    if (!m_runOpen) return;
    m_run.length = m_out.text.size() - m_run.start;
    if (m_run.length > 0) m_out.runs.push_back(m_run);
    m_runOpen = false;
  }

  std::string_view m_rtf;
  std::size_t m_pos = 0;
  std::vector<GroupState> m_stack;
  bool m_groupStart = false;
  RtfColour m_colour;
  RtfRun m_run;
  bool m_runOpen = false;
  FormattedText m_out;
};

}  // namespace

FormattedText readRtf(std::string_view rtf) { return Reader(rtf).read(); }

}  // namespace zarvex
