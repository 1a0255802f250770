#include "rtf_text.h"

namespace zarvex {

void appendEscapedRtfText(std::string& out, std::string_view text) {
  for (char c : text) {
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
