#include "number_text.h"

#include <locale.h>

#include <cstdio>
#include <cstring>

#include "untraced.h"

namespace zarvex {

ZARVEX_UNTRACED char* writeHexText(char* out, std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  int count = 1;
  while (count < 8 && (value >> (4 * count)) != 0) ++count;
  for (int i = count - 1; i >= 0; --i, value >>= 4) out[i] = kDigits[value & 15];
  return out + count;
}

namespace {

// How many decimal digits `magnitude` has.
int decimalDigitCount(std::uint64_t magnitude) {
  int count = 1;
  for (std::uint64_t power = 10; count < 20 && magnitude >= power; power *= 10) ++count;
  return count;
}

// The decimal digits of `magnitude`, two at a time from the right, ending
// just before `end`. Written straight into their place: digits built in a
// scratch buffer and copied on in wider loads would stall the processor,
// which cannot forward several small stores to one load.
void digitsBefore(char* end, std::uint64_t magnitude) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  while (magnitude >= 100) {
    end -= 2;
    std::memcpy(end, kPairs + 2 * (magnitude % 100), 2);
    magnitude /= 100;
  }
  if (magnitude >= 10) {
    end -= 2;
    std::memcpy(end, kPairs + 2 * magnitude, 2);
  } else {
    *--end = static_cast<char>('0' + magnitude);
  }
}

}  // namespace

ZARVEX_UNTRACED char* writeDecimalText(char* out, std::int32_t value) {
  // Negated as unsigned, so that the most negative value has its digits too.
  const std::uint32_t magnitude =
      value < 0 ? 0 - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
  if (value < 0) *out++ = '-';
  char* const end = out + decimalDigitCount(magnitude);
  digitsBefore(end, magnitude);
  return end;
}

void appendHexText(std::string& out, std::int32_t value) {
  char digits[8];
  out.append(digits, writeHexText(digits, static_cast<std::uint32_t>(value)));
}

void appendDecimalText(std::string& out, std::int32_t value) {
  char digits[11];
  out.append(digits, writeDecimalText(digits, value));
}

ZARVEX_UNTRACED MessageNumberText messageNumberText(std::int64_t value) {
  MessageNumberText text;
  // Negated as unsigned, so that the most negative value has its digits too.
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  text.chars[0] = value < 0 ? '-' : ' ';
  text.size = 1 + static_cast<std::size_t>(decimalDigitCount(magnitude));
  digitsBefore(text.chars + text.size, magnitude);
  return text;
}

std::string messageNumber(std::int64_t value) { return std::string(messageNumberText(value).view()); }

void appendFloatText(std::string& out, float value) {
  // General format with 7 significant digits, as C's "%.7G" writes it, by
  // the C library's exact conversion, in the C locale on this thread
  // whatever the program's (a window's may write a comma for the point).
  // The C++ library's own conversion would bring the maths library into
  // every program for one rounding-mode call, costing each start.
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  const locale_t previous = uselocale(cLocale);
  char buffer[32];
  const int length = std::snprintf(buffer, sizeof buffer, "%.7G", static_cast<double>(value));
  uselocale(previous);
  std::string_view text(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);

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
  written.append(text);

  if (written.find('.') == std::string::npos) written += ".0";
  if (written.front() == '.') written.insert(written.begin(), '0');
  out += written;
}

}  // namespace zarvex
