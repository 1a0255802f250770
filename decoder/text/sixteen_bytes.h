// Sixteen characters handled at once, for the text loops of the decoders:
// most text needs no escape and no change, and a vector test says so for
// sixteen characters in a few instructions. GCC and Clang vector extensions;
// the compiler picks the instructions of the target.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zarvex {

using SixteenBytes = std::uint8_t __attribute__((vector_size(16)));

// The first `count` (at most 16) bytes at `from`; zero bytes after them.
inline SixteenBytes loadSixteen(const char* from, std::size_t count) {
  SixteenBytes v{};
  std::memcpy(&v, from, count);
  return v;
}

// The first `count` (at most 16) bytes at `from`, zero bytes after them,
// reading no byte past them. On little-endian machines the vector is built
// in registers: a short text copied into a scratch buffer and loaded from
// there whole would stall the processor, which cannot forward several small
// stores to one wide load.
inline SixteenBytes loadUpToSixteen(const char* from, std::size_t count) {
  if constexpr (std::endian::native != std::endian::little) {
    return loadSixteen(from, count);
  } else {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    if (count >= 8) {
      // Two overlapping words; the second shifted down to bytes 8 onwards.
      std::uint64_t tail;
      std::memcpy(&low, from, 8);
      std::memcpy(&tail, from + count - 8, 8);
      high = count > 8 ? tail >> (8 * (16 - count)) : 0;
    } else if (count >= 4) {
      std::uint32_t head, tail;
      std::memcpy(&head, from, 4);
      std::memcpy(&tail, from + count - 4, 4);
      low = head | (std::uint64_t{tail} >> (8 * (8 - count))) << 32;
    } else if (count > 0) {
      // The first, middle and last byte cover one to three.
      const auto byte = [from](std::size_t i) { return std::uint64_t{static_cast<std::uint8_t>(from[i])}; };
      low = byte(0) | byte(count / 2) << (8 * (count / 2)) | byte(count - 1) << (8 * (count - 1));
    }
    using TwoWords = std::uint64_t __attribute__((vector_size(16)));
    return (SixteenBytes)TwoWords{low, high};
  }
}

// True when any byte of a comparison's result is set.
inline bool anySet(SixteenBytes mask) {
  std::uint64_t halves[2];
  std::memcpy(halves, &mask, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

// A comparison's result (all ones where it holds) as bytes.
template <typename Comparison>
inline SixteenBytes where(Comparison comparison) {
  return (SixteenBytes)comparison;  // the same bits, another element type
}

}  // namespace zarvex
