// Enciphered (locked) procedures: the cipher both ways, and the checks that
// keep it from running on a range that does not hold together.
#include "procedure_cipher.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "amos_program_builder.h"

namespace zarvex {
namespace {

using testing::amosFile;
using testing::Bytes;
using testing::TokenLine;

enum : std::uint16_t {
  kColon = 0x0054,
  kProcedure = 0x0376,
  kEndProc = 0x0390,
  kPrint = 0x0476,
};

constexpr std::uint8_t kEnciphered = 0x20;
constexpr std::uint8_t kMachineCode = 0x10;

void setU32(Bytes& file, std::int64_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[static_cast<std::size_t>(at + i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// A small program: a Print line, then procedure SHUFFLE with an empty line
// and `Print 4660 : Print "AB"` as its body, its size field right, then a
// Print line.
constexpr std::int64_t kShuffleLine = 20 + 6;
constexpr std::int64_t kEmptyLine = kShuffleLine + 28;
constexpr std::int64_t kPrintLine = kEmptyLine + 4;
constexpr std::int64_t kEndProcLine = kPrintLine + 22;
constexpr std::uint32_t kShuffleSize = 46;  // the line after End Proc - the Procedure line - 14

TokenLine procedureLine(const std::string& name, std::uint32_t size, std::uint16_t variables, std::uint8_t flags,
                        std::uint8_t key) {
  Bytes fields;
  testing::put32(fields, size);
  testing::put16(fields, variables);
  fields.push_back(flags);
  fields.push_back(key);
  return TokenLine().token(kProcedure, fields).variable(name).token(0);
}

std::vector<TokenLine> shuffleLines(std::uint8_t key = 0x5D) {
  return {TokenLine().token(kPrint).token(0),
          procedureLine("shuffle", kShuffleSize, 0x0102, 0, key),
          TokenLine(1).token(0),
          TokenLine(1).token(kPrint).decimal(0x1234).token(kColon).token(kPrint).string("AB").token(0),
          TokenLine().token(kEndProc).token(0),
          TokenLine().token(kPrint).token(0)};
}

TEST(ProcedureCipher, EnciphersAfterEachLinesFirstCodeWithTheKeyStreamAndBackAgain) {
  const Bytes plain = amosFile(shuffleLines());
  ASSERT_EQ(plain[kEndProcLine + 2], kEndProc >> 8) << "the layout the offsets describe";
  ASSERT_EQ(kEndProcLine + 6 - kShuffleLine - 14, kShuffleSize);
  Bytes file = plain;
  ASSERT_TRUE(toggleProcedureCipher(file, kShuffleLine));
  EXPECT_EQ(file[kShuffleLine + 10], kEnciphered);

  // Key 0x2E5D (S = 46, K = 0x5D), step 1, V = 0x0102. The empty line takes
  // nothing from the stream: the Print line's first word takes its start.
  constexpr std::array<std::uint16_t, 10> kStream = {0x2E5D, 0x172F, 0x0C19, 0x070F, 0x050B,
                                                     0x048A, 0x04CA, 0x056B, 0x063D, 0x0727};
  Bytes expected = plain;
  expected[kShuffleLine + 10] = kEnciphered;
  std::size_t word = 0;
  for (std::int64_t at = kPrintLine + 4; at < kEndProcLine; at += 2, ++word) {
    expected[static_cast<std::size_t>(at)] ^= static_cast<std::uint8_t>(kStream[word] >> 8);
    expected[static_cast<std::size_t>(at + 1)] ^= static_cast<std::uint8_t>(kStream[word]);
  }
  ASSERT_EQ(word, 9u);
  expected[kEndProcLine + 4] ^= static_cast<std::uint8_t>(kStream[9] >> 8);
  expected[kEndProcLine + 5] ^= static_cast<std::uint8_t>(kStream[9]);
  EXPECT_EQ(file, expected);

  ASSERT_TRUE(toggleProcedureCipher(file, kShuffleLine));
  EXPECT_EQ(file, plain) << "the same call deciphers, and clears bit 5 again";
}

TEST(ProcedureCipher, LeavesTheBytesAloneWhenTheRangeDoesNotHoldTogether) {
  const Bytes good = amosFile(shuffleLines());
  const auto refused = [](Bytes file, std::int64_t line = kShuffleLine) {
    const Bytes before = file;
    const bool toggled = toggleProcedureCipher(file, line);
    return !toggled && file == before;
  };
  const auto withSize = [&](std::uint32_t size) {
    Bytes file = good;
    setU32(file, kShuffleLine + 4, size);
    return file;
  };
  EXPECT_TRUE(refused(withSize(0))) << "never tested: AMOS could not have enciphered it";
  EXPECT_TRUE(refused(withSize(kShuffleSize - 2))) << "ends inside the End Proc line";
  EXPECT_TRUE(refused(withSize(kShuffleSize + 2))) << "ends inside the next line";
  EXPECT_TRUE(refused(withSize(kShuffleSize + 6))) << "runs past the first End Proc line";
  EXPECT_TRUE(refused(withSize(0xFFFFFFFF))) << "past the lines";
  EXPECT_TRUE(refused(withSize(kShuffleSize - 6))) << "the last line is not End Proc";
  std::vector<TokenLine> two = shuffleLines();
  const std::vector<TokenLine> again = shuffleLines();
  two.insert(two.end(), again.begin() + 1, again.end());
  Bytes twoProcedures = amosFile(two);
  setU32(twoProcedures, kShuffleLine + 4, kShuffleSize + 6 + (kEndProcLine + 6 - kShuffleLine));
  EXPECT_TRUE(refused(twoProcedures)) << "covers the next procedure too, up to its End Proc line";

  Bytes file = good;
  setU32(file, 16, static_cast<std::uint32_t>(kEndProcLine + 4 - 20));
  EXPECT_TRUE(refused(file)) << "the lines end inside the End Proc line";
  file = good;
  file[kPrintLine] = 0;
  EXPECT_TRUE(refused(file)) << "a line of length 0";
  file = good;
  file[kShuffleLine + 10] = kMachineCode;
  EXPECT_TRUE(refused(file)) << "a machine-code body is never touched";
  EXPECT_TRUE(refused(good, kPrintLine)) << "no Procedure line there";
  EXPECT_TRUE(refused(good, 20 - 2));
  EXPECT_TRUE(refused(good, static_cast<std::int64_t>(good.size()) - 2));
  EXPECT_TRUE(refused(good, static_cast<std::int64_t>(good.size()) + 100));
  EXPECT_TRUE(refused(Bytes(good.begin(), good.begin() + kEndProcLine + 4))) << "the file ends inside the range";
  EXPECT_TRUE(refused(Bytes(good.begin(), good.begin() + 19), 0));
}

}  // namespace
}  // namespace zarvex
