#include "number_text.h"

#include <charconv>
#include <cstring>

#include "untraced.h"

namespace zarvex {

ZARVEX_UNTRACED void appendHexText(std::string& out, std::int32_t value) {
  char digits[8];
  char* end = std::to_chars(digits, digits + sizeof digits, static_cast<std::uint32_t>(value), 16).ptr;
  for (char* c = digits; c != end; ++c) {
    if (*c >= 'a') *c = static_cast<char>(*c - 'a' + 'A');
  }
  out.append(digits, end);
}

ZARVEX_UNTRACED void appendDecimalText(std::string& out, std::int32_t value) {
  char digits[12];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

ZARVEX_UNTRACED MessageNumberText messageNumberText(std::int64_t value) {
  MessageNumberText text;
  // Digits from the right end of a scratch buffer, then moved to the front.
  char digits[20];
  char* first = digits + sizeof digits;
  // Negated as unsigned, so that the most negative value has its digits too.
  std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  do {
    *--first = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  text.chars[0] = value < 0 ? '-' : ' ';
  const auto count = static_cast<std::size_t>(digits + sizeof digits - first);
  std::memcpy(text.chars + 1, first, count);
  text.size = count + 1;
  return text;
}

std::string messageNumber(std::int64_t value) { return std::string(messageNumberText(value).view()); }

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
