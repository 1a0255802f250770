#include "rtf_text.h"

namespace zarvex {

void appendEscapedRtfText(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '\\' || c == '{' || c == '}') out.push_back('\\');
    out.push_back(c);
  }
}

void appendRtfCharacters(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20) {
      out += "\\'";
      out.push_back(kHex[u >> 4]);
      out.push_back(kHex[u & 15]);
      continue;
    }
    if (c == '\\' || c == '{' || c == '}') out.push_back('\\');
    out.push_back(c);
  }
}

std::string EscapeRtfText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  appendEscapedRtfText(out, text);
  return out;
}

}  // namespace zarvex
