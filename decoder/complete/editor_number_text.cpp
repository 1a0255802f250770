#include "editor_number_text.h"

#include <algorithm>
#include <bit>
#include <cstdio>

#include "ffp_arithmetic.h"

namespace zarvex {

namespace {

using ffp::Ffp;

// Drops trailing zeros after the point, and the point when no decimals remain.
void clean(std::string& s) {
  if (s.find('.') == std::string::npos) return;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
}

void appendTwoDigits(std::string& out, int value) {
  out.push_back(static_cast<char>('0' + value / 10 % 10));
  out.push_back(static_cast<char>('0' + value % 10));
}

// The form chosen for a magnitude of 1 and above; `s` is its fixed text.
std::string largeForm(Ffp x, const std::string& s) {
  const std::size_t point = s.find('.');
  const std::size_t integerDigits = point == std::string::npos ? s.size() : point;
  if (integerDigits < 7) {
    std::string text = editorFixedDigits(x, std::min(6 - static_cast<int>(integerDigits), 5));
    clean(text);
    return text;
  }
  // Exponent form: the first digit, then five more cut (not rounded).
  std::string digits;
  for (char c : editorFixedDigits(x, 2)) {
    if (c >= '0' && c <= '9') digits.push_back(c);
  }
  std::string text(1, digits[0]);
  text += '.';
  text.append(digits, 1, 5);
  clean(text);
  if (text.find('.') != std::string::npos) text += ' ';
  text += "E+";
  appendTwoDigits(text, static_cast<int>(integerDigits) - 1);
  return text;
}

// The form chosen below 1; `s` is its fixed text ("0.000123...").
std::string smallForm(Ffp x, const std::string& s) {
  const std::size_t firstDigit = s.find_first_not_of('0', 2);
  const int zeros = static_cast<int>((firstDigit == std::string::npos ? s.size() : firstDigit) - 2);
  const int z = zeros + 1;
  if (z >= 22) {
    std::string text = editorFixedDigits(x, 12);
    clean(text);
    return text;
  }
  std::string fixed = editorFixedDigits(x, z + 6);
  if (z < 4) {
    clean(fixed);
    return fixed;
  }
  const std::size_t lead = fixed.find_first_not_of("0.");
  std::string text;
  if (lead == std::string::npos) {
    text = "0";
  } else {
    text.assign(1, fixed[lead]);
    text += '.';
    text.append(fixed, lead + 1, 6);
    clean(text);
  }
  if (text.find('.') != std::string::npos) text += ' ';
  text += "E-";
  appendTwoDigits(text, z);
  return text;
}

}  // namespace

std::string editorFixedDigits(std::uint32_t ffpBits, int decimals) {
  Ffp x = ffpBits;
  std::string out;
  if (ffp::isNegative(x) && !ffp::isZero(x)) {
    out.push_back('-');
    x = ffp::neg(x);
  }
  int d4 = decimals <= 0 ? 1 : decimals > 22 ? 23 : decimals + 1;
  int d7 = 0;
  if (!ffp::isZero(x)) {
    // Into [1, 10); the exponent range bounds the count of steps.
    for (int guard = 0; guard < 200; ++guard) {
      if (ffp::less(x, ffp::kOne)) {
        x = ffp::mul(x, ffp::kTen);
        --d7;
      } else if (!ffp::less(x, ffp::kTen)) {
        x = ffp::div(x, ffp::kTen);
        ++d7;
      } else {
        break;
      }
    }
  }
  d4 += d7;
  Ffp y = ffp::kOne;
  for (int i = 0; i < d4 - 1; ++i) y = ffp::div(y, ffp::kTen);
  x = ffp::add(x, ffp::div(y, ffp::flt(2)));
  if (!ffp::less(x, ffp::kTen)) {
    // The rounding carried into a new leading digit.
    x = ffp::kOne;
    ++d7;
    ++d4;
  }
  if (d7 < 0) {
    if (d4 < 0) d7 -= d4;
    out += "0.";
    out.append(static_cast<std::size_t>(-1 - d7), '0');
  }
  for (int i = 0; i < d4; ++i) {
    const std::int32_t digit = std::clamp(ffp::fix(x), 0, 9);
    out.push_back(static_cast<char>('0' + digit));
    if (i == d7) out.push_back('.');
    x = ffp::mul(ffp::sub(x, ffp::flt(digit)), ffp::kTen);
  }
  return out;
}

void appendEditorFloatText(std::string& out, std::uint32_t ffpBits) {
  // Every zero prints as the zero the arithmetic makes.
  const Ffp x = ffp::isZero(ffpBits) ? ffp::kZero : ffpBits;
  const int exponent = ffp::exponentOf(x);
  const std::string fixed = editorFixedDigits(x, exponent >= 0x41 ? 7 : exponent >= 0x31 ? 10 : 22);
  const bool negative = !fixed.empty() && fixed[0] == '-';
  const Ffp magnitude = negative ? ffp::neg(x) : x;
  const std::string unsignedFixed = negative ? fixed.substr(1) : fixed;

  std::string text = unsignedFixed.starts_with("0") ? smallForm(magnitude, unsignedFixed)
                                                    : largeForm(magnitude, unsignedFixed);
  if (text.find('.') == std::string::npos && text.find('E') == std::string::npos) text += ".0";
  if (negative) out.push_back('-');
  out += text;
}

void appendEditorDoubleText(std::string& out, std::uint64_t bits) {
  const bool signBit = (bits >> 63) != 0;
  if (((bits >> 52) & 0x7FF) == 0x7FF) {
    out.append(15, signBit ? '-' : '+');
    return;
  }
  double x = std::bit_cast<double>(bits);
  std::string text;
  if (x < 0) {
    out.push_back('-');
    x = -x;
  }
  if (x == 0) {
    out += "0.0";
    return;
  }
  int e = 0;
  while (x >= 10.0) {
    x /= 10.0;
    ++e;
  }
  while (x < 1.0) {
    x *= 10.0;
    --e;
  }
  const bool fixedForm = e >= -4 && e < 15;
  int count = 15;
  x += std::bit_cast<double>(std::uint64_t{0x3CF6849B86A12B9C});
  if (x >= 10.0) {
    x = 1.0;
    ++e;
    if (fixedForm) ++count;
  }
  if (fixedForm && e < 0) {
    text += "0.";
    text.append(static_cast<std::size_t>(-e - 1), '0');
  }
  const int pointAfter = fixedForm ? (e >= 0 ? e + 1 : -1) : 1;
  for (int i = 0; i < count; ++i) {
    const int digit = std::clamp(static_cast<int>(x), 0, 9);
    text.push_back(static_cast<char>('0' + digit));
    if (i + 1 == pointAfter) text.push_back('.');
    x = (x - digit) * 10.0;
  }
  clean(text);
  if (!fixedForm) {
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "e%c%03d", e < 0 ? '-' : '+', e < 0 ? -e : e);
    text += exponent;
  }
  if (text.find('.') == std::string::npos && text.find('E') == std::string::npos) text += ".0";
  out += text;
}

void appendBinaryText(std::string& out, std::uint32_t value) {
  out.push_back('%');
  if (value == 0) {
    out.push_back('0');
    return;
  }
  for (int bit = 31 - std::countl_zero(value); bit >= 0; --bit) out.push_back((value >> bit) & 1 ? '1' : '0');
}

}  // namespace zarvex
