// Pieces of the listing document: its header, and the escaping of text that
// comes from the source file.
#pragma once

#include <string>
#include <string_view>

#include "string_appender.h"

namespace zarvex {

// The document header: \rtf without a version, then the colour table
// (1 red numbers, 2 dark green undecodable tokens, 3 blue strings, 4 magenta,
// 5 yellow, 6 cyan, 7 grey comments; 0 is the view's default colour).
inline constexpr std::string_view kRtfHeader =
    "{\\rtf{\\colortbl;\\red255\\green0\\blue0;\\red0\\green127\\blue0;\\red0\\green0\\blue255;"
    "\\red255\\green0\\blue255;\\red255\\green255\\blue0;\\red0\\green255\\blue255;"
    "\\red127\\green127\\blue127;}";

// The text with a backslash in front of each backslash, "{" and "}"; every
// other character unchanged.
std::string EscapeRtfText(std::string_view text);

// The same escaping, appended to `out`.
void appendEscapedRtfText(std::string& out, std::string_view text);

// Appends `text` so that every byte reads back as itself: the same escaping,
// and bytes below 0x20 (line breaks, tabs, zero) as \'hh.
void appendRtfCharacters(StringAppender& out, std::string_view text);

// True when no character of `text` needs that escaping.
bool standsForItselfInRtf(std::string_view text);

// The same test at compile time, for the vocabulary's rows.
constexpr bool holdsRtfSpecial(std::string_view text) {
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == '\\' || u == '{' || u == '}') return true;
  }
  return false;
}

// The opposite, for the short texts of a listing line: a loop the compiler
// keeps inline for them, the vector scan for longer ones.
inline bool needsRtfEscape(std::string_view text) {
  if (text.size() > 16) return !standsForItselfInRtf(text);
  bool any = false;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    any |= (u < 0x20) | (u == '\\') | (u == '{') | (u == '}');
  }
  return any;
}

}  // namespace zarvex
