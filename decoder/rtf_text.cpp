#include "rtf_text.h"

#include <array>

namespace zarvex {

void appendEscapedRtfText(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '\\' || c == '{' || c == '}') out.push_back('\\');
    out.push_back(c);
  }
}

namespace {

// The bytes that cannot stand for themselves in an RTF text.
constexpr auto kNeedsEscape = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 0x20; ++c) table[c] = true;
  table['\\'] = table['{'] = table['}'] = true;
  return table;
}();

}  // namespace

void appendRtfCharacters(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  // Characters that stand for themselves go out in runs.
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto u = static_cast<unsigned char>(text[i]);
    if (!kNeedsEscape[u]) continue;
    out.append(text.data() + runStart, i - runStart);
    runStart = i + 1;
    if (u < 0x20) {
      const char escaped[] = {'\\', '\'', kHex[u >> 4], kHex[u & 15]};
      out.append(escaped, sizeof escaped);
    } else {
      const char escaped[] = {'\\', static_cast<char>(u)};
      out.append(escaped, sizeof escaped);
    }
  }
  out.append(text.data() + runStart, text.size() - runStart);
}

std::string EscapeRtfText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  appendEscapedRtfText(out, text);
  return out;
}

}  // namespace zarvex
