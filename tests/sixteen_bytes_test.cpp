// Loading up to sixteen characters into a vector without reading past them.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "sixteen_bytes.h"

namespace zarvex {
namespace {

TEST(SixteenBytes, ShortTextsLoadWithZerosAfterAndNothingReadPastThem) {
  // Each text in an allocation of exactly its size, so that the address
  // sanitizer catches a read past its end; bytes of every value.
  for (std::size_t count = 0; count <= 16; ++count) {
    for (int seed = 0; seed < 256; seed += 7) {
      auto text = std::make_unique<char[]>(count);
      for (std::size_t i = 0; i < count; ++i) text[i] = static_cast<char>(seed + 37 * i);
      const SixteenBytes v = loadUpToSixteen(text.get(), count);
      unsigned char got[16];
      std::memcpy(got, &v, sizeof got);
      for (std::size_t i = 0; i < 16; ++i) {
        const auto expected = i < count ? static_cast<unsigned char>(text[i]) : 0;
        ASSERT_EQ(got[i], expected) << "count " << count << ", byte " << i << ", seed " << seed;
      }
    }
  }
}

}  // namespace
}  // namespace zarvex
