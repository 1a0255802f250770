// Morvane: byte-order readers over memory that belongs to the caller.
//
// Conventions of the whole interface:
// - Every function takes the address of the first byte of the value. The
//   address need not be aligned. No function checks bounds: the caller
//   guarantees that the bytes read are there (2, 4 or 8 bytes for numbers; up
//   to `count` bytes, or up to the first zero byte, for strings).
// - "BS" readers are big-endian (the byte at the address is the most
//   significant); the others are little-endian.
// - 16-bit readers return 0..65535, never negative; 32-bit readers return the
//   bits as a two's-complement signed value.
// - getBSSingle reads a Motorola fast floating point number (24-bit mantissa,
//   sign bit, excess-64 exponent), not a byte-swapped IEEE single.
// - String readers return a newly allocated BSTR (see platform/byte_string.h)
//   holding the selected bytes unchanged; never a zero byte inside, possibly
//   empty. The caller owns it and releases it with SysFreeString. When memory
//   is exhausted the result is null.
// - Nothing is written to the caller's memory and no state is kept; every
//   function may be called from any thread.
#pragma once

#include <cstdint>

#include "byte_string.h"

#if defined(_WIN32)
#define MORVANE_EXPORT __declspec(dllexport)
#else
#define MORVANE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

// Count byte at offset 2 of the record, text from offset 4, chosen as
// getStringByteLen chooses it. Offsets 0, 1 and 3 are not read.
MORVANE_EXPORT BSTR getAMOSString(const std::uint8_t* record);
MORVANE_EXPORT double getBSDouble(const std::uint8_t* p);
MORVANE_EXPORT std::int32_t getBSLong(const std::uint8_t* p);
MORVANE_EXPORT std::int32_t getBSShort(const std::uint8_t* p);
MORVANE_EXPORT float getBSSingle(const std::uint8_t* p);
MORVANE_EXPORT double getDouble(const std::uint8_t* p);
MORVANE_EXPORT std::int32_t getLong(const std::uint8_t* p);
// The bytes up to, not including, the first zero byte.
MORVANE_EXPORT BSTR getNullString(const std::uint8_t* p);
MORVANE_EXPORT std::int32_t getShort(const std::uint8_t* p);
MORVANE_EXPORT float getSingle(const std::uint8_t* p);
// The first `count` bytes, or those before the first zero byte among them.
MORVANE_EXPORT BSTR getStringByteLen(const std::uint8_t* p, std::uint8_t count);

}  // extern "C"
