// The byte strings the reader library hands out: layout, the reuse of a
// released string's room, and release on other threads and across the
// library boundary.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "byte_string.h"
#include "morvane_imports.h"

namespace zarvex {
namespace {

std::string contents(BSTR s) { return std::string(s, SysStringByteLen(s)); }

BSTR make(const std::string& text) {
  return SysAllocStringByteLen(text.data(), static_cast<std::uint32_t>(text.size()));
}

TEST(ByteString, LayoutHasCountBeforeAndTerminatorAfter) {
  BSTR s = SysAllocStringByteLen("xyz", 3);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringByteLen(s), 3u);
  EXPECT_EQ(s[3], '\0');
  EXPECT_EQ(s[4], '\0');
  std::uint32_t count;
  std::memcpy(&count, s - 4, 4);
  EXPECT_EQ(count, 3u);
  SysFreeString(s);

  BSTR zeroed = SysAllocStringByteLen(nullptr, 4);
  ASSERT_NE(zeroed, nullptr);
  EXPECT_EQ(std::string(zeroed, 4), std::string(4, '\0'));
  SysFreeString(zeroed);
  SysFreeString(nullptr);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
}

TEST(ByteString, EveryLengthRoundTripsWhetherItsRoomIsReusedOrNot) {
  // Lengths on both sides of what a thread's spare room holds, each string
  // released before the next (room reused) and each kept while the next is
  // made (room not reused): the bytes, the count and the terminator hold.
  std::vector<BSTR> kept;
  for (std::uint32_t len = 0; len <= 601; ++len) {
    const std::string text(len, static_cast<char>('a' + len % 26));
    BSTR s = make(text);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(contents(s), text);
    EXPECT_EQ(s[len], '\0');
    EXPECT_EQ(s[len + 1], '\0');
    SysFreeString(s);
    kept.push_back(make(text));
  }
  for (std::uint32_t len = 0; len < kept.size(); ++len) {
    EXPECT_EQ(contents(kept[len]), std::string(len, static_cast<char>('a' + len % 26))) << len;
  }
  // Released in the order made and then the reverse: no string's release
  // touches another's bytes.
  for (std::size_t i = 0; i < kept.size(); i += 2) SysFreeString(kept[i]);
  for (std::size_t i = (kept.size() - 1) | 1; i < kept.size(); i -= 2) {
    EXPECT_EQ(contents(kept[i]), std::string(i, static_cast<char>('a' + i % 26))) << i;
    SysFreeString(kept[i]);
  }
}

TEST(ByteString, StringsMayBeReleasedOnAnotherThreadAndOutliveTheirs) {
  // Made on threads that end before their strings are released, and made
  // here to be released there; the address sanitizer's leak check, where it
  // runs, sees that every block is freed once.
  std::vector<BSTR> fromThreads;
  for (int t = 0; t < 4; ++t) {
    std::thread([&, t] {
      for (int i = 0; i < 3; ++i) fromThreads.push_back(make("thread " + std::to_string(t) + " string " + std::to_string(i)));
    }).join();
  }
  std::vector<BSTR> fromHere;
  for (int i = 0; i < 3; ++i) fromHere.push_back(make("main string " + std::to_string(i)));
  std::thread([&] {
    for (BSTR s : fromHere) SysFreeString(s);
  }).join();
  for (int t = 0; t < 4; ++t) {
    for (int i = 0; i < 3; ++i) {
      BSTR s = fromThreads[static_cast<std::size_t>(t * 3 + i)];
      EXPECT_EQ(contents(s), "thread " + std::to_string(t) + " string " + std::to_string(i));
      SysFreeString(s);
    }
  }
  // This thread's room is reused after all that.
  BSTR again = make("again");
  EXPECT_EQ(contents(again), "again");
  SysFreeString(again);
}

TEST(ByteString, ThreadsHandingStringsToEachOtherKeepThemIntact) {
  // Each thread releases the strings the one before it made while making its
  // own: releases and reuse race on the same blocks.
  constexpr int kThreads = 4;
  constexpr int kRounds = 2000;
  std::vector<std::vector<BSTR>> made(kThreads, std::vector<BSTR>(kRounds));
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) made[static_cast<std::size_t>(t)][static_cast<std::size_t>(i)] = make(std::to_string(t * kRounds + i));
    });
  }
  for (auto& thread : threads) thread.join();
  threads.clear();
  std::vector<int> wrong(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const int from = (t + 1) % kThreads;
      for (int i = 0; i < kRounds; ++i) {
        BSTR theirs = made[static_cast<std::size_t>(from)][static_cast<std::size_t>(i)];
        if (contents(theirs) != std::to_string(from * kRounds + i)) ++wrong[static_cast<std::size_t>(t)];
        SysFreeString(theirs);
        BSTR mine = make(std::to_string(i));
        if (contents(mine) != std::to_string(i)) ++wrong[static_cast<std::size_t>(t)];
        SysFreeString(mine);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(kThreads, 0));
}

TEST(ByteString, TheLibrarysStringsAreReleasedHereAndItsRoomReused) {
  MorvaneImports imports;
  const std::uint8_t bytes[] = {'N', 'A', 'M', 'E', 0, 'X'};
  for (std::uint8_t count = 0; count <= 6; ++count) {
    BSTR first = imports.getStringByteLen(bytes, count);
    const std::string expected(reinterpret_cast<const char*>(bytes), std::min<std::size_t>(count, 4));
    EXPECT_EQ(contents(first), expected);
    // Held while the library makes the next one, then released in turn.
    BSTR second = imports.getStringByteLen(bytes + 1, 2);
    EXPECT_EQ(contents(second), "AM");
    EXPECT_EQ(contents(first), expected);
    SysFreeString(first);
    SysFreeString(second);
  }
}

#if defined(__SANITIZE_ADDRESS__)
TEST(ByteStringDeathTest, ReadingAReleasedStringOrPastAStringsEndIsCaughtInReusedRoom) {
  BSTR s = make("released");
  SysFreeString(s);
  EXPECT_DEATH({ [[maybe_unused]] volatile char c = s[0]; }, "use-after-poison");
  BSTR t = make("in use");
  EXPECT_EQ(t[7], '\0');
  EXPECT_DEATH({ [[maybe_unused]] volatile char c = t[8]; }, "use-after-poison");
  SysFreeString(t);
}
#endif

}  // namespace
}  // namespace zarvex
