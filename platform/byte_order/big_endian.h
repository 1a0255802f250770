// Big-endian fields, the byte order of every Amiga file the program reads:
// built from single bytes with shifts, so the host's own byte order never
// matters (compilers turn the pattern into one load and a byte swap).
// Unchecked: the caller has made sure the bytes are there.
#pragma once

#include <cstdint>

namespace zarvex {

inline std::uint32_t u16At(const std::uint8_t* p) { return std::uint32_t{p[0]} << 8 | p[1]; }
inline std::uint32_t u32At(const std::uint8_t* p) { return u16At(p) << 16 | u16At(p + 2); }
inline std::uint64_t u64At(const std::uint8_t* p) { return std::uint64_t{u32At(p)} << 32 | u32At(p + 4); }

// The same at an offset from `bytes`.
inline std::uint32_t u16At(const std::uint8_t* bytes, std::int64_t at) { return u16At(bytes + at); }
inline std::uint32_t u32At(const std::uint8_t* bytes, std::int64_t at) { return u32At(bytes + at); }

}  // namespace zarvex
