// Sixteen characters handled at once, for the text loops of the decoders:
// most text needs no escape and no change, and a vector test says so for
// sixteen characters in a few instructions. GCC and Clang vector extensions;
// the compiler picks the instructions of the target.
#pragma once

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
