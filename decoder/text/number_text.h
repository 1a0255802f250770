// The texts of numbers in the listing and in messages. All are locale-free:
// the decimal point is always a period.
#pragma once

#include <cstdint>
#include <cstddef>
#include <string>
#include <string_view>

namespace zarvex {

// The same texts written at `out`, which has room for 8 and 11 characters;
// each writes only its text and returns the end of it.
char* writeHexText(char* out, std::uint32_t value);
char* writeDecimalText(char* out, std::int32_t value);

// Upper-case hexadecimal of the 32 bits, no leading zeros: 0 -> "0", -1 -> "FFFFFFFF".
void appendHexText(std::string& out, std::int32_t value);

// Signed decimal with no blank in front: 12 -> "12", -1 -> "-1".
void appendDecimalText(std::string& out, std::int32_t value);

// Decimal as messages write it: a blank in the place of the sign when the
// number is not negative (" 12"), a minus sign when it is ("-1").
std::string messageNumber(std::int64_t value);

// The same text in a buffer of its own: no allocation.
struct MessageNumberText {
  char chars[24];
  std::size_t size;
  std::string_view view() const { return {chars, size}; }
};
MessageNumberText messageNumberText(std::int64_t value);

// The listing text of a fast-floating-point value: at most 7 significant
// digits, exponent form when the decimal exponent is below -4 or at least 7
// (E+NN / E-NN), no zero before the point below 1, then ".0" appended when
// there is no point and "0" put before a leading point.
// 1 -> "1.0", 0.5 -> "0.5", -0.5 -> "-.5", 1e20 -> "1E+20.0".
void appendFloatText(std::string& out, float value);

}  // namespace zarvex
