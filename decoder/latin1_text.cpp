#include "latin1_text.h"

namespace zarvex {

std::string latin1ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  // ASCII stands for itself: copy it in runs, convert the rest one by one.
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto u = static_cast<unsigned char>(text[i]);
    if (u < 0x80) continue;
    out.append(text.data() + runStart, i - runStart);
    out.push_back(static_cast<char>(0xC0 | (u >> 6)));
    out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    runStart = i + 1;
  }
  out.append(text.data() + runStart, text.size() - runStart);
  return out;
}

}  // namespace zarvex
