#include "number_text.h"

#include <charconv>

namespace zarvex {

void appendHexText(std::string& out, std::int32_t value) {
  char digits[8];
  char* end = std::to_chars(digits, digits + sizeof digits, static_cast<std::uint32_t>(value), 16).ptr;
  for (char* c = digits; c != end; ++c) {
    if (*c >= 'a') *c = static_cast<char>(*c - 'a' + 'A');
  }
  out.append(digits, end);
}

void appendDecimalText(std::string& out, std::int32_t value) {
  char digits[12];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

std::string messageNumber(std::int64_t value) {
  char digits[24];
  std::string text = value < 0 ? "" : " ";
  text.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
  return text;
}

void appendFloatText(std::string& out, float value) {
  // General format with 7 significant digits, as C's "%.7G" writes it, but
  // independent of the locale.
  char buffer[32];
  char* end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                            std::chars_format::general, 7)
                  .ptr;
  std::string_view text(buffer, static_cast<std::size_t>(end - buffer));

  std::string written;
  written.reserve(text.size() + 3);
  bool negative = false;
  if (!text.empty() && text.front() == '-') {
    negative = true;
    text.remove_prefix(1);
  }
  // No zero in front of the point for magnitudes below 1.
  if (text.size() > 1 && text[0] == '0' && text[1] == '.') text.remove_prefix(1);
  if (negative) written.push_back('-');
  for (char c : text) written.push_back(c == 'e' ? 'E' : c);

  if (written.find('.') == std::string::npos) written += ".0";
  if (written.front() == '.') written.insert(written.begin(), '0');
  out += written;
}

}  // namespace zarvex
