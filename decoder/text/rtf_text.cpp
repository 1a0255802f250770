#include "rtf_text.h"

#include <algorithm>
#include <cstring>

#include "sixteen_bytes.h"

namespace zarvex {

void appendEscapedRtfText(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '\\' || c == '{' || c == '}') out.push_back('\\');
    out.push_back(c);
  }
}

namespace {

// Writes one byte so that it reads back as itself.
[[gnu::always_inline]] inline char* putRtfCharacter(char* o, unsigned char u) {
  static constexpr char kHex[] = "0123456789abcdef";
  if (u < 0x20) {
    o[0] = '\\';
    o[1] = '\'';
    o[2] = kHex[u >> 4];
    o[3] = kHex[u & 15];
    return o + 4;
  }
  if (u == '\\' || u == '{' || u == '}') *o++ = '\\';
  *o = static_cast<char>(u);
  return o + 1;
}

bool anyRtfSpecial(SixteenBytes v) { return anySet(where(v < 0x20) | where(v == '\\') | where(v == '{') | where(v == '}')); }

}  // namespace

ZARVEX_UNTRACED bool standsForItselfInRtf(std::string_view text) {
  if (text.size() < 16) {
    // Padded with a letter that needs nothing.
    char padded[16];
    std::memset(padded, 'a', sizeof padded);
    for (std::size_t k = 0; k < text.size(); ++k) padded[k] = text[k];
    return !anyRtfSpecial(loadSixteen(padded, 16));
  }
  std::size_t i = 0;
  for (; i + 16 <= text.size(); i += 16) {
    if (anyRtfSpecial(loadSixteen(text.data() + i, 16))) return false;
  }
  // The last characters, in the sixteen that end the text.
  return i == text.size() || !anyRtfSpecial(loadSixteen(text.data() + text.size() - 16, 16));
}

ZARVEX_UNTRACED void appendRtfCharacters(StringAppender& out, std::string_view text) {
  constexpr std::size_t kChunk = 1024;
  for (std::size_t from = 0; from < text.size(); from += kChunk) {
    const std::string_view chunk = text.substr(from, kChunk);
    char* const start = out.reserve(4 * chunk.size());
    char* o = start;
    std::size_t i = 0;
    // Whole runs of sixteen that need no escape go out as they are.
    for (; i + 16 <= chunk.size(); i += 16) {
      const SixteenBytes v = loadSixteen(chunk.data() + i, 16);
      if (!anyRtfSpecial(v)) {
        std::memcpy(o, &v, sizeof v);
        o += 16;
        continue;
      }
      for (std::size_t k = 0; k < 16; ++k) o = putRtfCharacter(o, static_cast<unsigned char>(chunk[i + k]));
    }
    for (; i < chunk.size(); ++i) o = putRtfCharacter(o, static_cast<unsigned char>(chunk[i]));
    out.commit(static_cast<std::size_t>(o - start));
  }
}

std::string EscapeRtfText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  appendEscapedRtfText(out, text);
  return out;
}

}  // namespace zarvex
