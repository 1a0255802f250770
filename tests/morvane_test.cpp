// The reader library, called through its exported names after loading it at
// run time, the way the viewer reaches it.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "byte_string.h"
#include "external_function.h"

namespace zarvex {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Morvane {
  ExternalFunction<BSTR(const std::uint8_t*)> getAMOSString{"Morvane", "getAMOSString"};
  ExternalFunction<double(const std::uint8_t*)> getBSDouble{"Morvane", "getBSDouble"};
  ExternalFunction<std::int32_t(const std::uint8_t*)> getBSLong{"Morvane", "getBSLong"};
  ExternalFunction<std::int32_t(const std::uint8_t*)> getBSShort{"Morvane", "getBSShort"};
  ExternalFunction<float(const std::uint8_t*)> getBSSingle{"Morvane", "getBSSingle"};
  ExternalFunction<double(const std::uint8_t*)> getDouble{"Morvane", "getDouble"};
  ExternalFunction<std::int32_t(const std::uint8_t*)> getLong{"Morvane", "getLong"};
  ExternalFunction<BSTR(const std::uint8_t*)> getNullString{"Morvane", "getNullString"};
  ExternalFunction<std::int32_t(const std::uint8_t*)> getShort{"Morvane", "getShort"};
  ExternalFunction<float(const std::uint8_t*)> getSingle{"Morvane", "getSingle"};
  ExternalFunction<BSTR(const std::uint8_t*, std::uint8_t)> getStringByteLen{"Morvane",
                                                                              "getStringByteLen"};
};

class MorvaneTest : public ::testing::Test {
 protected:
  // Takes ownership of a returned string and gives back its bytes.
  static std::string take(BSTR s) {
    EXPECT_NE(s, nullptr) << "a string reader returned a null string";
    if (s == nullptr) return "<null>";
    std::string bytes(s, SysStringByteLen(s));
    SysFreeString(s);
    return bytes;
  }

  static std::uint32_t bitsOf(float f) { return std::bit_cast<std::uint32_t>(f); }

  Morvane m;
};

TEST_F(MorvaneTest, SixteenBitReadersAreNeverNegative) {
  const Bytes ffFe{0xFF, 0xFE}, feFf{0xFE, 0xFF}, twoOne{0x02, 0x01}, ff4c{0xFF, 0x4C};
  EXPECT_EQ(m.getBSShort(ffFe.data()), 65534);
  EXPECT_EQ(m.getShort(feFf.data()), 65534);
  EXPECT_EQ(m.getShort(twoOne.data()), 258);
  EXPECT_EQ(m.getBSShort(twoOne.data()), 513);
  EXPECT_EQ(m.getBSShort(ff4c.data()), 65356);
}

TEST_F(MorvaneTest, ThirtyTwoBitReadersAreSigned) {
  const Bytes a{0x00, 0x00, 0x01, 0x02}, b{0xFF, 0xFF, 0xFF, 0xFE}, c{0x02, 0x01, 0x00, 0x00},
      d{0x80, 0x00, 0x00, 0x00};
  EXPECT_EQ(m.getBSLong(a.data()), 258);
  EXPECT_EQ(m.getBSLong(b.data()), -2);
  EXPECT_EQ(m.getLong(c.data()), 258);
  EXPECT_EQ(m.getLong(b.data()), -16777217);
  EXPECT_EQ(m.getBSLong(d.data()), INT32_MIN);
}

TEST_F(MorvaneTest, IeeeReadersInBothOrders) {
  const Bytes one{0x3F, 0xF0, 0, 0, 0, 0, 0, 0};
  const Bytes minusPi{0xC0, 0x09, 0x21, 0xFB, 0x54, 0x44, 0x2D, 0x18};
  EXPECT_EQ(m.getBSDouble(one.data()), 1.0);
  EXPECT_EQ(m.getBSDouble(minusPi.data()), -3.141592653589793);
  const Bytes minusPiLittle(minusPi.rbegin(), minusPi.rend());
  EXPECT_EQ(m.getDouble(minusPiLittle.data()), -3.141592653589793);
  const Bytes singleOne{0x00, 0x00, 0x80, 0x3F};
  EXPECT_EQ(m.getSingle(singleOne.data()), 1.0f);
}

struct FfpRow {
  Bytes bytes;
  std::uint32_t ieeeBits;
};

TEST_F(MorvaneTest, FastFloatingPointConvertsExactly) {
  const std::vector<FfpRow> rows = {
      {{0x80, 0x00, 0x00, 0x41}, 0x3F800000},  // 1.0
      {{0x80, 0x00, 0x00, 0x40}, 0x3F000000},  // 0.5
      {{0xC0, 0x00, 0x00, 0xC2}, 0xC0400000},  // -3.0
      {{0xC9, 0x0F, 0xDB, 0x42}, 0x40490FDB},  // pi
      {{0xCC, 0xCC, 0xCD, 0x3D}, 0x3DCCCCCD},  // 0.1
      {{0x00, 0x00, 0x00, 0x00}, 0x00000000},  // the zero word is +0.0
      {{0x00, 0x00, 0x00, 0x41}, 0x3F800000},  // mantissa zero: top bit taken as set
      {{0x00, 0x00, 0x00, 0x80}, 0x9F000000},  // sign only: -2^-65, not -0.0
      {{0xFF, 0xFF, 0xFF, 0x7F}, 0x5EFFFFFF},  // largest
      {{0x80, 0x00, 0x00, 0x00}, 0x1F000000},  // smallest positive, 2^-65
  };
  for (const auto& row : rows) {
    EXPECT_EQ(bitsOf(m.getBSSingle(row.bytes.data())), row.ieeeBits)
        << "bytes " << std::hex << int(row.bytes[0]) << ' ' << int(row.bytes[1]) << ' '
        << int(row.bytes[2]) << ' ' << int(row.bytes[3]);
  }
}

TEST_F(MorvaneTest, FastFloatingPointIsNotAByteSwappedSingle) {
  const Bytes ffp{0x80, 0x00, 0x00, 0x41};
  EXPECT_EQ(m.getBSSingle(ffp.data()), 1.0f);
  EXPECT_NE(m.getSingle(Bytes{0x41, 0x00, 0x00, 0x80}.data()), 1.0f);
}

TEST_F(MorvaneTest, CountedStringsStopAtCountOrZeroByte) {
  const std::string hello = std::string("HELLO WORLD") + '\0';
  const auto* p = reinterpret_cast<const std::uint8_t*>(hello.data());
  EXPECT_EQ(take(m.getStringByteLen(p, 5)), "HELLO");
  EXPECT_EQ(take(m.getStringByteLen(p, 0)), "");
  // Only the low 8 bits of a count take part: 0x105 arrives as 5.
  EXPECT_EQ(take(m.getStringByteLen(p, static_cast<std::uint8_t>(0x105))), "HELLO");
  EXPECT_EQ(take(m.getStringByteLen(p, 255)), "HELLO WORLD");

  const Bytes abcd{'A', 'B', 0, 'C', 'D'};
  EXPECT_EQ(take(m.getStringByteLen(abcd.data(), 5)), "AB");

  const Bytes accent{'c', 'a', 'f', 0xE9, 0};
  EXPECT_EQ(take(m.getStringByteLen(accent.data(), 4)), "caf\xE9");
}

TEST_F(MorvaneTest, CountedStringsFindTheFirstZeroByteAtEveryCountAndPlace) {
  // Counts of every size the reader looks at in words, a zero (or two, or
  // a 0x80 byte just after one) at every place, and the bytes right after
  // the counted ones unreadable to the address sanitizer.
  for (std::size_t count = 0; count <= 40; ++count) {
    for (std::size_t zero = 0; zero <= count; ++zero) {
      for (const std::uint8_t after : {std::uint8_t{'Q'}, std::uint8_t{0}, std::uint8_t{0x80}, std::uint8_t{0x01}}) {
        auto bytes = std::make_unique<std::uint8_t[]>(count);
        for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>('A' + i % 26);
        if (zero < count) bytes[zero] = 0;
        if (zero + 1 < count) bytes[zero + 1] = after;
        const std::string expected(reinterpret_cast<const char*>(bytes.get()), std::min(zero, count));
        EXPECT_EQ(take(m.getStringByteLen(bytes.get(), static_cast<std::uint8_t>(count))), expected)
            << "count " << count << ", zero at " << zero;
      }
    }
  }
}

TEST_F(MorvaneTest, AmosStringRecordsTakeCountFromOffsetTwo) {
  EXPECT_EQ(take(m.getAMOSString(Bytes{0x12, 0x34, 0x03, 0x01, 'A', 'B', 'C', 'D'}.data())), "ABC");
  EXPECT_EQ(take(m.getAMOSString(Bytes{0x12, 0x34, 0x00, 0x01, 'A', 'B', 'C', 'D'}.data())), "");
  EXPECT_EQ(take(m.getAMOSString(Bytes{0, 0, 0x05, 0, 'A', 'B', 0, 'D', 'E'}.data())), "AB");
}

TEST_F(MorvaneTest, NullTerminatedStringAtZeroByteIsEmptyNotNull) {
  const Bytes zero{0};
  BSTR s = m.getNullString(zero.data());
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringByteLen(s), 0u);
  SysFreeString(s);
  const Bytes text{'A', 'M', 'O', 'S', 0xE9, 0, 'x'};
  EXPECT_EQ(take(m.getNullString(text.data())), "AMOS\xE9");
}

TEST_F(MorvaneTest, ReadsAtEveryAlignment) {
  for (std::size_t offset = 0; offset < 8; ++offset) {
    Bytes buffer(offset + 16, 0xAA);
    const Bytes value{0xC0, 0x09, 0x21, 0xFB, 0x54, 0x44, 0x2D, 0x18};
    std::copy(value.begin(), value.end(), buffer.begin() + offset);
    const std::uint8_t* p = buffer.data() + offset;
    SCOPED_TRACE("offset " + std::to_string(offset));
    EXPECT_EQ(m.getBSShort(p), 0xC009);
    EXPECT_EQ(m.getShort(p), 0x09C0);
    EXPECT_EQ(m.getBSLong(p), static_cast<std::int32_t>(0xC00921FB));
    EXPECT_EQ(m.getLong(p), static_cast<std::int32_t>(0xFB2109C0));
    EXPECT_EQ(bitsOf(m.getBSSingle(p)), 0x80 << 24 | (0xFB + 62 - 0x80) << 23 | 0x400921);
    EXPECT_EQ(m.getBSDouble(p), -3.141592653589793);
    EXPECT_EQ(bitsOf(m.getSingle(p)), 0xFB2109C0u);
  }
}

TEST_F(MorvaneTest, ReadersNeverWriteToTheCallersBytes) {
  Bytes buffer{0, 0, 3, 0, 'A', 'B', 'C', 0, 0x80, 0, 0, 0x41};
  const Bytes before = buffer;
  SysFreeString(m.getAMOSString(buffer.data()));
  SysFreeString(m.getStringByteLen(buffer.data() + 4, 9));
  SysFreeString(m.getNullString(buffer.data() + 4));
  m.getBSSingle(buffer.data() + 8);
  m.getBSDouble(buffer.data());
  EXPECT_EQ(buffer, before);
}

TEST(MorvaneExports, LibraryExportsExactlyTheElevenReaders) {
  const std::string command = std::string("nm -D --defined-only ") + MORVANE_PATH;
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> exported;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    char address[64], kind[8], name[400];
    if (std::sscanf(line, "%63s %7s %399s", address, kind, name) != 3) continue;
    std::string symbol = name;
    if (const auto at = symbol.find('@'); at != std::string::npos) symbol.resize(at);
    // The version node itself shows up as an absolute symbol; it is not a function.
    if (kind[0] == 'A') continue;
    exported.insert(symbol);
  }
  ASSERT_EQ(pclose(pipe), 0);
  const std::set<std::string> expected = {
      "getAMOSString", "getBSDouble", "getBSLong",     "getBSShort", "getBSSingle",     "getDouble",
      "getLong",       "getNullString", "getShort",    "getSingle",  "getStringByteLen"};
  EXPECT_EQ(exported, expected);
}

}  // namespace
}  // namespace zarvex
