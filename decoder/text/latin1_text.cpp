#include "latin1_text.h"

#include <algorithm>
#include <cstring>

#include "sixteen_bytes.h"

namespace zarvex {

std::size_t latin1ToUtf8(std::string_view text, char* out) {
  char* const start = out;
  std::size_t i = 0;
  while (i < text.size()) {
    // ASCII stands for itself: sixteen characters at a time while none of
    // them has its high bit set.
    while (i + 16 <= text.size()) {
      const SixteenBytes v = loadSixteen(text.data() + i, 16);
      if (anySet(where(v >= 0x80))) break;
      std::memcpy(out, text.data() + i, 16);
      out += 16;
      i += 16;
    }
    const std::size_t stop = std::min(text.size(), i + 16);
    for (; i < stop; ++i) {
      const auto u = static_cast<unsigned char>(text[i]);
      if (u < 0x80) {
        *out++ = static_cast<char>(u);
      } else {
        *out++ = static_cast<char>(0xC0 | (u >> 6));
        *out++ = static_cast<char>(0x80 | (u & 0x3F));
      }
    }
  }
  return static_cast<std::size_t>(out - start);
}

std::string latin1ToUtf8(std::string_view text) {
  std::string out(2 * text.size(), '\0');
  out.resize(latin1ToUtf8(text, out.data()));
  return out;
}

}  // namespace zarvex
