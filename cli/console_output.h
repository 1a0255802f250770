// Standard output and standard error through C's stdio. The tool starts
// without the iostream machinery, whose set-up (locales, facets, the
// standard streams) took longer than listing a small program does.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <string_view>

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

}  // namespace zarvex
