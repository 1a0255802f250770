#include "morvane.h"

#include "big_endian.h"

#include <bit>
#include <cstring>

namespace {

std::uint32_t littleEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 |
         std::uint32_t{p[0]};
}

std::uint64_t littleEndian64(const std::uint8_t* p) {
  return std::uint64_t{littleEndian32(p + 4)} << 32 | littleEndian32(p);
}

// Up to `count` bytes, stopping before the first zero byte.
BSTR copyCounted(const std::uint8_t* text, std::uint8_t count) {
  const void* zero = std::memchr(text, 0, count);
  const auto len = zero != nullptr ? static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(zero) - text) : count;
  return SysAllocStringByteLen(reinterpret_cast<const char*>(text), len);
}

}  // namespace

extern "C" {

BSTR getAMOSString(const std::uint8_t* record) { return copyCounted(record + 4, record[2]); }

double getBSDouble(const std::uint8_t* p) { return std::bit_cast<double>(zarvex::u64At(p)); }

std::int32_t getBSLong(const std::uint8_t* p) {
  return std::bit_cast<std::int32_t>(zarvex::u32At(p));
}

std::int32_t getBSShort(const std::uint8_t* p) { return std::int32_t{p[0]} << 8 | p[1]; }

// FFP word: mantissa in bits 31-8 (top bit normally set), sign in bit 7,
// excess-64 exponent in bits 6-0; value = M / 2^24 * 2^(e - 64). That equals
// 1.f * 2^(e - 65), so the IEEE biased exponent is e + 62 (62..189: never a
// denormal, infinity or NaN). The mantissa's top bit becomes the implicit 1
// without being tested, so a zero mantissa with a non-zero word reads as 1.f.
float getBSSingle(const std::uint8_t* p) {
  const std::uint32_t word = zarvex::u32At(p);
  if (word == 0) return 0.0f;
  const std::uint32_t sign = (word >> 7) & 1;
  const std::uint32_t exponent = (word & 0x7F) + 62;
  const std::uint32_t fraction = (word >> 8) & 0x7FFFFF;
  return std::bit_cast<float>(sign << 31 | exponent << 23 | fraction);
}

double getDouble(const std::uint8_t* p) { return std::bit_cast<double>(littleEndian64(p)); }

std::int32_t getLong(const std::uint8_t* p) {
  return std::bit_cast<std::int32_t>(littleEndian32(p));
}

BSTR getNullString(const std::uint8_t* p) {
  const std::size_t len = std::strlen(reinterpret_cast<const char*>(p));
  return SysAllocStringByteLen(reinterpret_cast<const char*>(p), static_cast<std::uint32_t>(len));
}

std::int32_t getShort(const std::uint8_t* p) { return std::int32_t{p[1]} << 8 | p[0]; }

float getSingle(const std::uint8_t* p) { return std::bit_cast<float>(littleEndian32(p)); }

BSTR getStringByteLen(const std::uint8_t* p, std::uint8_t count) { return copyCounted(p, count); }

}  // extern "C"
