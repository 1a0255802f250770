// Standard output and standard error through C's stdio. The tool starts
// without the iostream machinery, whose set-up (locales, facets, the
// standard streams) took longer than listing a small program does.
#pragma once

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string_view>

#include "latin1_text.h"

namespace zarvex {

// Writes the pieces one after the other; false when any of them fails.
inline bool writeTo(std::FILE* stream, std::initializer_list<std::string_view> pieces) {
  bool written = true;
  for (std::string_view piece : pieces) {
    if (piece.empty()) continue;  // an empty view may hold no address, which fwrite must not get
    written = std::fwrite(piece.data(), 1, piece.size(), stream) == piece.size() && written;
  }
  return written;
}

// Writes ISO-8859-1 text as UTF-8 a piece at a time, without a converted
// copy of the whole; false when the stream fails.
inline bool writeUtf8(std::FILE* stream, std::string_view latin1) {
  constexpr std::size_t kPiece = 32 * 1024;
  static char converted[2 * kPiece];
  for (std::size_t at = 0; at < latin1.size(); at += kPiece) {
    const std::size_t count = latin1ToUtf8(latin1.substr(at, std::min(kPiece, latin1.size() - at)), converted);
    if (std::fwrite(converted, 1, count, stream) != count) return false;
  }
  return true;
}

}  // namespace zarvex
