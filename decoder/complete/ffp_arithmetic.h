// Motorola fast floating point (FFP) arithmetic, bit for bit as the AMOS
// editor's number printer does it, so that its rounding shows in the last
// digit exactly as the editor's does.
//
// Layout of a value (32 bits): bits 31-8 the mantissa (bit 31 set when the
// value is not zero), bit 7 the sign, bits 6-0 the exponent, excess 64.
// value = mantissa / 2^24 * 2^(exponent - 64); an exponent of 0 means zero,
// and so does a mantissa of 0 (a value no arithmetic makes, but files can hold).
// Results are packed: an exponent above 0x7F gives the largest value with
// the sign, one below 1 gives zero.
#pragma once

#include <cstdint>

namespace zarvex::ffp {

using Ffp = std::uint32_t;

inline constexpr Ffp kZero = 0;
inline constexpr Ffp kOne = 0x80000041;
inline constexpr Ffp kTen = 0xA0000044;
inline constexpr Ffp kLargest = 0xFFFFFF7F;

inline constexpr bool isZero(Ffp a) { return (a & 0x7F) == 0 || (a & 0xFFFFFF00) == 0; }
inline constexpr bool isNegative(Ffp a) { return (a & 0x80) != 0; }
inline constexpr int exponentOf(Ffp a) { return static_cast<int>(a & 0x7F); }

// The exact value as a double (every FFP value is one).
double toDouble(Ffp a);

// Sign flipped; zero stays zero.
Ffp neg(Ffp a);
Ffp add(Ffp a, Ffp b);
Ffp sub(Ffp a, Ffp b);
Ffp mul(Ffp a, Ffp b);
// Division by zero gives the largest value with the quotient's sign.
Ffp div(Ffp a, Ffp b);

// The integer part, truncated toward zero (clamped to the 32-bit range).
std::int32_t fix(Ffp a);
// The value of an integer, exact for magnitudes below 2^24.
Ffp flt(std::int32_t n);

// Comparisons of the numeric values.
inline bool less(Ffp a, Ffp b) { return toDouble(a) < toDouble(b); }

}  // namespace zarvex::ffp
