// Big-endian fields of bank files, read from single bytes. Unchecked: the
// caller has made sure the bytes are there.
#pragma once

#include <cstdint>

namespace zarvex::banks {

inline std::uint32_t u16At(const std::uint8_t* p) { return std::uint32_t{p[0]} << 8 | p[1]; }
inline std::uint32_t u32At(const std::uint8_t* p) { return u16At(p) << 16 | u16At(p + 2); }

}  // namespace zarvex::banks
