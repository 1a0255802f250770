// Enciphered (locked) procedures: the cipher both ways, the checks that keep
// it from running on a range that does not hold together, and the complete
// listing of programs whose procedures are enciphered.
#include "procedure_cipher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "amos_program_builder.h"
#include "complete_decoder.h"
#include "complete_walk.h"
#include "corpus.h"
#include "listing_style.h"
#include "recording_host.h"

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

constexpr std::uint8_t kFolded = 0x80;
constexpr std::uint8_t kLocked = 0x40;
constexpr std::uint8_t kEnciphered = 0x20;
constexpr std::uint8_t kMachineCode = 0x10;

std::uint32_t u32At(const Bytes& file, std::int64_t at) {
  const auto i = static_cast<std::size_t>(at);
  return std::uint32_t{file[i]} << 24 | std::uint32_t{file[i + 1]} << 16 | std::uint32_t{file[i + 2]} << 8 | file[i + 3];
}

void setU32(Bytes& file, std::int64_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[static_cast<std::size_t>(at + i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

Bytes bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

// The offsets of a program's Procedure lines, its lines walked as AMOS walks them.
std::vector<std::int64_t> procedureLines(const Bytes& file) {
  std::vector<std::int64_t> lines;
  if (file.size() < 20) return lines;
  const auto size = static_cast<std::int64_t>(file.size());
  const std::int64_t end = std::min<std::int64_t>(20 + std::int64_t{u32At(file, 16)}, size);
  const auto at = [&](std::int64_t offset) { return file[static_cast<std::size_t>(offset)]; };
  for (std::int64_t p = 20; p + 4 <= end && at(p) != 0; p += 2 * at(p)) {
    if ((at(p + 2) << 8 | at(p + 3)) == kProcedure) lines.push_back(p);
  }
  return lines;
}

// Enciphers every procedure of `file` the cipher accepts, as the made test
// programs are: key byte `key`, marked folded, locked and enciphered. Returns
// their Procedure lines.
std::vector<std::int64_t> encipherAll(Bytes& file, std::uint8_t key) {
  std::vector<std::int64_t> done;
  std::int64_t enciphered = 0;  // a Procedure line inside a range already enciphered is left alone
  for (std::int64_t line : procedureLines(file)) {
    if (line < enciphered) continue;
    const auto flags = static_cast<std::size_t>(line + 10);
    const std::uint8_t oldFlags = file[flags];
    const std::uint8_t oldKey = file[flags + 1];
    if ((oldFlags & (kEnciphered | kMachineCode)) != 0) continue;
    file[flags] = oldFlags | kFolded | kLocked;
    file[flags + 1] = key;
    if (toggleProcedureCipher(file, line)) {
      done.push_back(line);
      enciphered = line + 14 + std::int64_t{u32At(file, line + 4)};
    } else {
      file[flags] = oldFlags;
      file[flags + 1] = oldKey;
    }
  }
  return done;
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

constexpr const char* kShuffleListing = "Print \nProcedure SHUFFLE\n \n Print 4660 : Print \"AB\"\nEnd Proc\nPrint \n";

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

// The file as loaded, and whether the walk left it as it was.
struct Walked {
  CompleteListing listing;
  bool fileUnchanged;
};

Walked walk(const Bytes& file) {
  const Bytes before = file;
  CompleteListing listing = WalkCompleteListing(file);
  return {std::move(listing), file == before};
}

TEST(EncipheredProcedure, ListsDecipheredWhateverItsOtherFlagsAndLeavesTheFileAlone) {
  for (std::uint8_t marks : {0x00, 0x40, 0x80, 0xC0}) {
    Bytes file = amosFile(shuffleLines());
    file[kShuffleLine + 10] = marks;
    ASSERT_TRUE(toggleProcedureCipher(file, kShuffleLine));
    const Walked result = walk(file);
    EXPECT_EQ(result.listing.text, kShuffleListing) << int{marks};
    EXPECT_EQ(result.listing.damage, CompleteListing::Damage::None) << int{marks};
    EXPECT_TRUE(result.fileUnchanged) << int{marks};
    EXPECT_EQ(result.listing.rtf, WalkCompleteListing(amosFile(shuffleLines())).rtf) << int{marks};
  }
}

TEST(EncipheredProcedure, EachOfSeveralIsDecipheredAndPlainOnesBetweenStayAsTheyAre) {
  std::vector<TokenLine> lines = shuffleLines(0x11);
  const std::vector<TokenLine> second = shuffleLines(0x22);
  lines.insert(lines.end(), second.begin() + 1, second.end());
  const Bytes plain = amosFile(lines);
  Bytes file = plain;
  const std::int64_t secondLine = kEndProcLine + 6 + 6;
  ASSERT_EQ(procedureLines(file), (std::vector<std::int64_t>{kShuffleLine, secondLine}));
  ASSERT_TRUE(toggleProcedureCipher(file, secondLine));
  ASSERT_TRUE(toggleProcedureCipher(file, kShuffleLine));
  const Walked result = walk(file);
  EXPECT_EQ(result.listing.text, WalkCompleteListing(plain).text);
  EXPECT_EQ(result.listing.damage, CompleteListing::Damage::None);
  EXPECT_TRUE(result.fileUnchanged);

  // Listing again into the same listing starts from the file again.
  CompleteListing again = result.listing;
  WalkCompleteListing(file, again);
  EXPECT_EQ(again.text, result.listing.text);
}

TEST(EncipheredProcedure, AWrongSizeLeavesTheBodyLockedTheRestListedAndTheFileDamaged) {
  std::vector<TokenLine> lines = shuffleLines();
  const std::vector<TokenLine> second = shuffleLines(0x22);
  lines.insert(lines.end(), second.begin() + 1, second.end());
  Bytes file = amosFile(lines);
  const std::int64_t secondLine = procedureLines(file).at(1);
  ASSERT_TRUE(toggleProcedureCipher(file, kShuffleLine));
  ASSERT_TRUE(toggleProcedureCipher(file, secondLine));
  for (std::uint32_t size : {kShuffleSize + 2, kShuffleSize - 6, 0u, 0x7FFFFFF0u}) {
    Bytes damaged = file;
    setU32(damaged, kShuffleLine + 4, size);
    const Walked result = walk(damaged);
    EXPECT_EQ(result.listing.text,
              "Print \nProcedure SHUFFLE\n {locked}\n {locked}\nEnd Proc\nPrint \n"
              "Procedure SHUFFLE\n \n Print 4660 : Print \"AB\"\nEnd Proc\nPrint \n")
        << size;
    EXPECT_EQ(result.listing.damage, CompleteListing::Damage::EncipheredProcedure) << size;
    EXPECT_EQ(result.listing.damageOffset, kShuffleLine) << size;
    EXPECT_TRUE(result.fileUnchanged) << size;
  }

  // A damage that stops the listing later takes the place of the first.
  Bytes cut = file;
  setU32(cut, kShuffleLine + 4, kShuffleSize + 2);
  cut.resize(static_cast<std::size_t>(secondLine + 10));
  const Walked early = walk(cut);
  EXPECT_EQ(early.listing.damage, CompleteListing::Damage::EndsEarly);
  EXPECT_EQ(early.listing.text, "Print \nProcedure SHUFFLE\n {locked}\n {locked}\nEnd Proc\nPrint \nProcedure \n");

  // Without an End Proc line the rest of the lines stay locked.
  Bytes endless = amosFile({shuffleLines()[0], shuffleLines()[1], shuffleLines()[3], shuffleLines()[5]});
  endless[kShuffleLine + 10] = kEnciphered;
  EXPECT_EQ(walk(endless).listing.text, "Print \nProcedure SHUFFLE\n {locked}\n{locked}\n");
}

TEST(EncipheredProcedure, OneInsideABodyJustDecipheredIsNotDecipheredAgain) {
  // SHUFFLE's body holds another Procedure line, enciphered, whose range
  // ends at the same End Proc.
  std::vector<TokenLine> lines = shuffleLines();
  constexpr std::int64_t kInnerLength = 26;
  lines.insert(lines.begin() + 2, procedureLine("inner", kShuffleSize + kInnerLength - 28, 0x0102, kEnciphered, 0x33));
  Bytes file = amosFile(lines);
  setU32(file, kShuffleLine + 4, kShuffleSize + kInnerLength);
  Bytes probe = file;
  ASSERT_TRUE(toggleProcedureCipher(probe, kShuffleLine + 28)) << "only its place keeps it enciphered";
  ASSERT_TRUE(toggleProcedureCipher(file, kShuffleLine));
  const Walked result = walk(file);
  EXPECT_EQ(result.listing.text, "Print \nProcedure SHUFFLE\nProcedure INNER\n {locked}\n {locked}\nEnd Proc\nPrint \n");
  EXPECT_EQ(result.listing.damage, CompleteListing::Damage::EncipheredProcedure);
  EXPECT_EQ(result.listing.damageOffset, kShuffleLine + 28);
}

TEST(EncipheredProcedure, DamageBecomesADamagedLoadWithItsOwnMessage) {
  Bytes file = amosFile(shuffleLines());
  ASSERT_TRUE(toggleProcedureCipher(file, kShuffleLine));
  setU32(file, kShuffleLine + 4, kShuffleSize + 2);
  ListingState state;
  state.FileBytes = file;
  state.FileBytes.push_back(0);
  state.FileLength = static_cast<std::int32_t>(file.size());
  testing::RecordingHost host;
  const LoadResult result = DecodeCompleteListing(state, host);
  EXPECT_EQ(result.outcome, LoadResult::Outcome::Damaged);
  EXPECT_EQ(result.earlyEndOffset, kShuffleLine);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            "The program is damaged at offset 26: the locked procedure there cannot be deciphered, as its size does "
            "not match its lines. Its body is listed as {locked} lines.");
  EXPECT_EQ(state.PlainListing, "Print \nProcedure SHUFFLE\n {locked}\n {locked}\nEnd Proc\nPrint \n");
  EXPECT_TRUE(std::equal(file.begin(), file.end(), state.FileBytes.begin())) << "the loaded bytes never change";
}

TEST(EncipheredProcedure, TheMadeProgramsListAsTheirOriginalsAndStayAsLoaded) {
  SKIP_WITHOUT_LOCKED_PROGRAMS();
  for (const char* name : {"Menus_9.AMOS", "Tiny_Shell.AMOS", "Disc_Manager.AMOS"}) {
    const std::filesystem::path path = testing::lockedFolder() / name;
    const Bytes file = bytesOf(testing::readBytes(path));
    const std::string expected = testing::readBytes(testing::lockedFolder() / "expected" / (std::string(name) + ".asc"));
    ASSERT_FALSE(expected.empty()) << name;
    const Walked walked = walk(file);
    EXPECT_TRUE(walked.listing.text == expected) << name << ": listing differs";
    EXPECT_EQ(walked.listing.damage, CompleteListing::Damage::None) << name;
    EXPECT_TRUE(walked.fileUnchanged) << name;

    // As the window loads it: the same listing, and the loaded bytes as read.
    ListingState state;
    testing::RecordingHost host;
    const LoadResult result = LoadListing(path.string(), state, host, ListingStyle::Complete);
    EXPECT_EQ(result.outcome, LoadResult::Outcome::Loaded) << name;
    for (const auto& message : host.messages) EXPECT_EQ(message.text.find("damaged"), std::string::npos) << name;
    EXPECT_TRUE(state.PlainListing == expected) << name;
    ASSERT_EQ(state.FileLength, static_cast<std::int32_t>(file.size())) << name;
    EXPECT_TRUE(std::equal(file.begin(), file.end(), state.FileBytes.begin())) << name;
  }
}

TEST(EncipheredProcedure, CorpusProgramsEncipheredHereListAsBefore) {
  SKIP_WITHOUT_CORPUS();
  int programs = 0;
  int procedures = 0;
  std::uint8_t key = 0;
  for (const std::string& name : testing::corpusPrograms()) {
    const Bytes original = bytesOf(testing::readBytes(testing::corpusFolder() / name));
    Bytes file = original;
    key = static_cast<std::uint8_t>(key + 0x3B);
    const std::vector<std::int64_t> enciphered = encipherAll(file, key);
    if (enciphered.empty()) continue;
    ++programs;
    procedures += static_cast<int>(enciphered.size());
    const CompleteListing before = WalkCompleteListing(original);
    const Walked after = walk(file);
    EXPECT_TRUE(after.listing.text == before.text) << name;
    EXPECT_TRUE(after.listing.rtf == before.rtf) << name;
    EXPECT_EQ(after.listing.damage, before.damage) << name;
    EXPECT_EQ(after.listing.unknownTokens, before.unknownTokens) << name;
    EXPECT_TRUE(after.fileUnchanged) << name;

    // Enciphering again gives back the bytes with bit 5 cleared: the
    // original but for the key byte and the marks set here.
    Bytes marked = original;
    for (std::int64_t line : enciphered) {
      marked[static_cast<std::size_t>(line + 10)] |= kFolded | kLocked;
      marked[static_cast<std::size_t>(line + 11)] = key;
    }
    Bytes twice = file;
    for (std::int64_t line : enciphered) ASSERT_TRUE(toggleProcedureCipher(twice, line)) << name << " at " << line;
    EXPECT_TRUE(twice == marked) << name;
    EXPECT_FALSE(file == marked) << name << ": nothing was enciphered";
  }
  // The corpus has 99 procedures that AMOS could encipher, in 9 programs.
  EXPECT_GT(programs, 5);
  EXPECT_GT(procedures, 80);
}

}  // namespace
}  // namespace zarvex
