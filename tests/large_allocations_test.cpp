// The program-wide operator new and delete linked into this test program:
// large blocks on their own mappings, everything else from malloc.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "sanitized_allocator.h"

namespace {

constexpr bool kReplaced = !ZARVEX_SANITIZED_ALLOCATOR;  // sanitizers keep their own allocator

bool onHugePageBoundary(const void* block) { return (reinterpret_cast<std::uintptr_t>(block) & ((2u << 20) - 1)) == 0; }

TEST(LargeAllocations, LargeBlocksAreAlignedWholeAndWritable) {
  for (std::size_t size : {std::size_t{512} << 10, (std::size_t{2} << 20) - 1, std::size_t{2} << 20,
                           (std::size_t{5} << 20) + 3}) {
    std::unique_ptr<char[]> block(new char[size]);
    if (kReplaced) {
      EXPECT_TRUE(onHugePageBoundary(block.get())) << size;
    }
    std::memset(block.get(), 0x5A, size);
    EXPECT_EQ(block[0], 0x5A);
    EXPECT_EQ(block[size - 1], 0x5A);
  }
}

TEST(LargeAllocations, GrowingContainersKeepTheirContent) {
  std::string text;
  std::vector<std::uint32_t> numbers;
  for (std::uint32_t i = 0; i < 600'000; ++i) {
    text += static_cast<char>('a' + i % 26);
    numbers.push_back(i * 7);
  }
  for (std::uint32_t i = 0; i < 600'000; i += 9973) {
    ASSERT_EQ(text[i], static_cast<char>('a' + i % 26));
    ASSERT_EQ(numbers[i], i * 7);
  }
}

TEST(LargeAllocations, MoreLiveBlocksThanTheTableHoldsStillWork) {
  // Beyond the table's slots, blocks come from malloc; freeing either kind
  // goes back to where it came from.
  std::vector<std::unique_ptr<char[]>> blocks;
  for (int i = 0; i < 100; ++i) {
    blocks.emplace_back(new char[std::size_t{512} << 10]);
    blocks.back()[0] = static_cast<char>(i);
  }
  for (int i = 0; i < 100; i += 2) blocks[static_cast<std::size_t>(i)].reset();
  for (int i = 0; i < 50; ++i) blocks.emplace_back(new char[std::size_t{1} << 20]);
  for (int i = 1; i < 100; i += 2) EXPECT_EQ(blocks[static_cast<std::size_t>(i)][0], static_cast<char>(i));
}

TEST(LargeAllocations, ImpossibleSizesFailAsTheStandardSays) {
  // A sanitizer's allocator stops the program at an impossible size instead.
  if (kReplaced) {
    // Read at run time, so the compiler does not refuse the call itself.
    volatile std::size_t half = SIZE_MAX / 2;
    const std::size_t impossible = half + 1;
    EXPECT_EQ(::operator new(impossible, std::nothrow), nullptr);
    EXPECT_THROW((void)::operator new(impossible), std::bad_alloc);
  }
  ::operator delete(nullptr);
  // Small blocks and empty requests are ordinary, distinct blocks.
  void* a = ::operator new(0);
  void* b = ::operator new(0);
  EXPECT_NE(a, b);
  ::operator delete(a);
  ::operator delete(b);
}

}  // namespace
