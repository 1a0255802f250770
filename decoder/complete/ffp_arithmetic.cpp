#include "ffp_arithmetic.h"

#include <bit>

namespace zarvex::ffp {

namespace {

constexpr std::uint32_t kMantissaMask = 0xFFFFFF00;
constexpr std::uint32_t kTopBit = 0x80000000;

// Puts a 32-bit mantissa (bit 31 set), a sign and an exponent together; the
// mantissa's low byte is replaced by sign | exponent.
Ffp pack(std::uint32_t mantissa, std::uint32_t sign, int exponent) {
  if (exponent > 0x7F) return kLargest | sign;
  if (exponent < 1) return kZero;
  return (mantissa & kMantissaMask) | sign | static_cast<std::uint32_t>(exponent);
}

// Shifts left until bit 31 is set, lowering the exponent for each place.
void normalise(std::uint32_t& mantissa, int& exponent) {
  while ((mantissa & kTopBit) == 0) {
    mantissa <<= 1;
    --exponent;
  }
}

std::uint32_t shiftedRight(std::uint32_t value, int places) { return places >= 32 ? 0 : value >> places; }

// 2 to the power `e`, exactly, for the exponents an FFP number gives
// (-88 to 39): the double with that exponent and no mantissa bits.
double twoToThe(int e) { return std::bit_cast<double>(static_cast<std::uint64_t>(1023 + e) << 52); }

}  // namespace

double toDouble(Ffp a) {
  if (isZero(a)) return 0.0;
  const double magnitude = static_cast<double>(a >> 8) * twoToThe(exponentOf(a) - 64 - 24);
  return isNegative(a) ? -magnitude : magnitude;
}

Ffp neg(Ffp a) { return isZero(a) ? a : a ^ 0x80; }

Ffp add(Ffp a, Ffp b) {
  if (isZero(b)) return a;
  if (isZero(a)) return b;
  // `large` has the larger exponent.
  Ffp large = a, small = b;
  if (exponentOf(b) > exponentOf(a)) {
    large = b;
    small = a;
  }
  int exponent = exponentOf(large);
  const int distance = exponent - exponentOf(small);
  const std::uint32_t largeMantissa = large & kMantissaMask;
  const std::uint32_t smallMantissa = small & kMantissaMask;
  const std::uint32_t sign = large & 0x80;

  if (isNegative(a) == isNegative(b)) {
    if (distance >= 24) return large;
    const std::uint64_t sum = std::uint64_t{largeMantissa} + (smallMantissa >> distance) + 0x80;
    std::uint32_t mantissa = static_cast<std::uint32_t>(sum);
    if (sum > 0xFFFFFFFFu) {
      mantissa = static_cast<std::uint32_t>(sum >> 1);
      ++exponent;
    }
    return pack(mantissa, sign, exponent);
  }

  if (distance == 0) {
    if (largeMantissa == smallMantissa) return kZero;
    const bool aLarger = (a & kMantissaMask) > (b & kMantissaMask);
    std::uint32_t mantissa = aLarger ? (a & kMantissaMask) - (b & kMantissaMask) : (b & kMantissaMask) - (a & kMantissaMask);
    normalise(mantissa, exponent);
    return pack(mantissa, aLarger ? a & 0x80 : b & 0x80, exponent);
  }

  std::uint32_t mantissa = largeMantissa - shiftedRight(smallMantissa, distance) + 0x80;
  if ((mantissa & kTopBit) == 0) {
    mantissa &= kMantissaMask;
    if (mantissa == 0) return kZero;
    normalise(mantissa, exponent);
  }
  return pack(mantissa, sign, exponent);
}

Ffp sub(Ffp a, Ffp b) { return add(a, neg(b)); }

Ffp mul(Ffp a, Ffp b) {
  if (isZero(a) || isZero(b)) return kZero;
  const std::uint32_t sign = (a ^ b) & 0x80;
  int exponent = exponentOf(a) + exponentOf(b) - 0x40;
  const std::uint64_t product = std::uint64_t{a >> 8} * (b >> 8);  // 48 bits
  std::uint32_t p = static_cast<std::uint32_t>(product >> 16);
  if ((p & kTopBit) == 0) {
    // Round and shift the missing bit in; a carry out of the shift undoes it.
    const std::uint32_t rounded = p + 0x40;
    if ((rounded & kTopBit) != 0) {
      p = rounded;
    } else {
      p = rounded << 1;
      --exponent;
    }
  } else {
    p += 0x80;
  }
  return pack(p, sign, exponent);
}

Ffp div(Ffp a, Ffp b) {
  const std::uint32_t sign = (a ^ b) & 0x80;
  if (isZero(a)) return kZero;
  if (isZero(b)) return kLargest | sign;
  int exponent = exponentOf(a) - exponentOf(b) + 0x40;
  std::uint32_t dividend = a & kMantissaMask;
  const std::uint32_t divisor = b & kMantissaMask;
  const std::uint32_t divisorHigh = divisor >> 16;
  if ((dividend >> 16) >= divisorHigh) {
    dividend >>= 1;
    ++exponent;
  }
  // Two 16-bit quotient digits, the way a 32/16 divide instruction gives them.
  std::int64_t q1 = dividend / divisorHigh;
  const std::int64_t r1 = dividend % divisorHigh;
  std::int64_t r = (r1 << 16) - q1 * static_cast<std::int64_t>(divisor & 0xFF00);
  if (r < 0) {
    r += divisor;
    q1 -= 1;
  }
  r &= 0xFFFF0000;
  std::int64_t q2 = r / divisorHigh;
  if (q2 > 0xFFFF) q2 = 0;
  std::uint32_t q = static_cast<std::uint32_t>((q1 << 16) | q2);
  if ((q & kTopBit) == 0) {
    q <<= 1;
    --exponent;
  }
  const std::uint64_t rounded = std::uint64_t{q} + 0x80;
  if (rounded > 0xFFFFFFFFu) return pack(kTopBit, sign, exponent + 1);
  return pack(static_cast<std::uint32_t>(rounded), sign, exponent);
}

std::int32_t fix(Ffp a) {
  // Within the range, the conversion drops the fraction, as FIX does.
  const double value = toDouble(a);
  if (value >= 2147483647.0) return 2147483647;
  if (value <= -2147483648.0) return -2147483647 - 1;
  return static_cast<std::int32_t>(value);
}

Ffp flt(std::int32_t n) {
  if (n == 0) return kZero;
  const std::uint32_t sign = n < 0 ? 0x80 : 0;
  std::uint64_t magnitude = n < 0 ? -static_cast<std::int64_t>(n) : n;
  int exponent = 0x40 + 32;
  // Keep 32 significant bits with bit 31 set; FFP keeps the top 24 of them.
  while (magnitude > 0xFFFFFFFFu) {
    magnitude >>= 1;
    ++exponent;
  }
  std::uint32_t mantissa = static_cast<std::uint32_t>(magnitude);
  normalise(mantissa, exponent);
  return pack(mantissa, sign, exponent);
}

}  // namespace zarvex::ffp
