// The complete listing of hand-built programs: the editor's blank rules,
// names, constants, comments, extensions, unknown tokens, procedure bodies
// and damage.
#include "complete_walk.h"

#include <gtest/gtest.h>

#include "amos_program_builder.h"
#include "complete_vocabulary.h"
#include "rtf_reader.h"

namespace zarvex {
namespace {

using testing::amosFile;
using testing::Bytes;
using testing::TokenLine;

// Codes of the full table the tests use by name.
enum : std::uint16_t {
  kColon = 0x0054,
  kOpenBracket = 0x0074,
  kCloseBracket = 0x007C,
  kExitIf = 0x0290,
  kIf = 0x02BE,
  kEndIf = 0x02DA,
  kProcedure = 0x0376,
  kEndProc = 0x0390,
  kPrint = 0x0476,
  kLeft = 0x0528,
  kMachineCode = 0x258C,
  kEqu = 0x2A40,
  kDouble = 0x2B6A,
  kBinary = 0x001E,
  kSingleQuoted = 0x002E,
  kEquals = 0xFFA2,
  kXor = 0xFF3E,
};

Bytes u32Bytes(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v)};
}

CompleteListing walk(const Bytes& file) { return WalkCompleteListing(file); }
CompleteListing walk(const std::vector<TokenLine>& lines) { return walk(amosFile(lines)); }
std::string listing(const std::vector<TokenLine>& lines) { return walk(lines).text; }

// The first code at or above `from` that has no row in the table.
std::uint16_t codeWithoutRow(std::uint16_t from) {
  while (CompleteVocabulary::token(from) != nullptr) ++from;
  return from;
}

TEST(CompleteWalk, KeywordsFollowTheEditorsBlankRules) {
  EXPECT_EQ(listing({TokenLine()
                         .token(kIf, {0, 0})
                         .variable("x")
                         .token(kEquals)
                         .decimal(1)
                         .token(kColon)
                         .token(kPrint)
                         .string("A")
                         .token(kColon)
                         .token(kEndIf)}),
            "If X=1 : Print \"A\" : End If \n");
  // An opening bracket takes back the blank before it; operators keep theirs.
  EXPECT_EQ(listing({TokenLine().token(kPrint).token(kOpenBracket).variable("a").token(kXor).variable("b").token(
                kCloseBracket)}),
            "Print(A xor B)\n");
  EXPECT_EQ(listing({TokenLine().token(kPrint).token(kLeft).token(kOpenBracket).variable("a", 2).token(0x005C).decimal(2).token(
                kCloseBracket)}),
            "Print Left$(A$,2)\n");
  // Indentation is the second byte less one; a zero byte gives none.
  Bytes zeroIndent = TokenLine().token(kPrint).bytes();
  zeroIndent[1] = 0;
  std::vector<TokenLine> lines{TokenLine(3).token(kPrint)};
  Bytes file = amosFile(lines);
  EXPECT_EQ(walk(file).text, "   Print \n");
  file.erase(file.begin() + 20, file.begin() + 20 + static_cast<long>(zeroIndent.size()));
  file.insert(file.begin() + 20, zeroIndent.begin(), zeroIndent.end());
  EXPECT_EQ(walk(file).text, "Print \n");
}

TEST(CompleteWalk, NamesAreUpperCasedCarryTheirSuffixAndAreSeparatedFromNamesAndConstants) {
  EXPECT_EQ(listing({TokenLine().variable("speed", 1).variable("n", 2).variable("count")}), "SPEED# N$ COUNT\n");
  EXPECT_EQ(listing({TokenLine().name(testing::kTokLabel, "loop").token(kPrint)}), "LOOP: Print \n");
  EXPECT_EQ(listing({TokenLine().name(testing::kTokLabel, "10").token(kPrint)}), "10 Print \n");
  EXPECT_EQ(listing({TokenLine().variable("\xe9t\xe9\xf7\xff")}), "\xc9T\xc9\xf7\xff\n");
  EXPECT_EQ(listing({TokenLine().variable(std::string("ab\0cd", 6))}), "AB\n");  // ends at its first zero byte
  // The longest name there can be, with both a type suffix and a colon.
  EXPECT_EQ(listing({TokenLine().name(testing::kTokLabel, std::string(255, 'q'), 1)}), std::string(255, 'Q') + "#:\n");
  // Constants after a name get a blank, a double does not, and a name after
  // a constant none.
  EXPECT_EQ(listing({TokenLine().variable("a").decimal(-5).variable("b").token(kColon).variable("c").string("s"),
                     TokenLine().variable("d").token(kDouble, {0x3F, 0xF8, 0, 0, 0, 0, 0, 0})}),
            "A -5B : C \"s\"\nD1.5\n");
}

TEST(CompleteWalk, ConstantsStringsAndComments) {
  EXPECT_EQ(listing({TokenLine()
                         .integer(testing::kTokHex, 0xBEEF)
                         .token(kColon)
                         .integer(kBinary, 5)
                         .token(kColon)
                         .integer(testing::kTokDecimal, -2147483647 - 1)
                         .token(kColon)
                         .number(0.5f)}),
            "$BEEF : %101 : -2147483648 : 0.5\n");
  EXPECT_EQ(listing({TokenLine().text(kSingleQuoted, "it's").token(kColon).string("odd")}), "'it's' : \"odd\"\n");
  // A string keeps every byte; a comment stops at its first zero byte.
  EXPECT_EQ(listing({TokenLine().string(std::string("a\0b", 3))}), std::string("\"a\0b\"\n", 6));
  EXPECT_EQ(listing({TokenLine().token(kPrint).text(testing::kTokRem, std::string(" note\0junk", 10))}),
            "Print Rem note\n");
  EXPECT_EQ(listing({TokenLine(2).text(testing::kTokQuoteRem, " note")}), "  ' note\n");
}

TEST(CompleteWalk, SkippedPayloadsLeaveTheRestOfTheLineIntact) {
  EXPECT_EQ(listing({TokenLine()
                         .token(kExitIf, {0, 0, 0, 9})
                         .variable("a")
                         .token(kEquals)
                         .token(kEqu, {1, 2, 3, 4, 5, 6})
                         .token(kOpenBracket)
                         .string("X")
                         .token(kCloseBracket)}),
            "Exit If A=Equ(\"X\")\n");
}

TEST(CompleteWalk, ExtensionsAndUnknownTokensAreListedAndCounted) {
  const auto result = walk({TokenLine()
                                .token(testing::kTokExtension, {1, 0, 0x00, 0xDE})
                                .decimal(3)
                                .token(testing::kTokExtension, {9, 2, 0x01, 0x23})
                                .token(codeWithoutRow(0x0046))
                                .token(0x0020, {1, 2, 3, 4})
                                .token(kPrint)});
  const std::uint16_t unknown = codeWithoutRow(0x0046);
  char expected[80];
  std::snprintf(expected, sizeof expected, "Sam Play 3 {ext 9:0123} {%04X} {0020} Print \n", unknown);
  EXPECT_EQ(result.text, expected);
  EXPECT_EQ(result.extensionTokens, 2);
  EXPECT_EQ(result.unknownTokens, 3);
  // Codes below 001A with no row carry a name.
  const auto nameLike = walk({TokenLine().name(0x0002, "odd").variable("b")});
  EXPECT_EQ(nameLike.text, "ODD B\n");
  EXPECT_EQ(nameLike.unknownTokens, 1);
}

TEST(CompleteWalk, TheNextLineStartsWhereTheLengthSaysWhateverTheTokens) {
  EXPECT_EQ(listing({TokenLine().token(kPrint).token(0).token(kEndIf), TokenLine().token(kEndIf)}),
            "Print \nEnd If \n");
  // A machine-code marker ends the reading of its line.
  EXPECT_EQ(listing({TokenLine().token(kMachineCode, {0, 0}).raw({0x4E, 0x75, 0x02, 0xDA}), TokenLine().token(kEndIf)}),
            "@_apml_@ \nEnd If \n");
  // A length byte of 0 ends the lines before the length in the header does.
  Bytes file = amosFile({TokenLine().token(kPrint), TokenLine().token(kEndIf)});
  file[20 + 4] = 0;
  EXPECT_EQ(walk(file).text, "Print \n");
}

TEST(CompleteWalk, TheDocumentReadsBackAsTheListingWhateverTheBytes) {
  // Each line has one source of characters to escape: a string, a comment,
  // a keyword of backslashes, the braces of an unknown token.
  const auto result = walk({TokenLine().string("{a}\\b\r\n\tc\xff").token(kColon).variable("z"),
                            TokenLine(1).text(testing::kTokRem, " }{"), TokenLine(2).token(0x2562),
                            TokenLine().token(kPrint).token(codeWithoutRow(0x0100))});
  EXPECT_EQ(readRtf(result.rtf).text, result.text);
  EXPECT_NE(result.text.find("\\\\"), std::string::npos);
  const FormattedText read = readRtf(result.rtf);
  ASSERT_FALSE(read.runs.empty());
  EXPECT_EQ(read.runs.front().colour, 3);  // the string is blue
}

// A procedure: its line, `body` lines, and an End Proc line; the distance
// points at the End Proc line unless `distance` says otherwise.
Bytes procedureFile(std::uint8_t flags, const std::vector<TokenLine>& body, const TokenLine& endProc,
                    std::optional<std::uint32_t> distance = {}) {
  const auto procedureLine = [&](std::uint32_t d) {
    Bytes payload = u32Bytes(d);
    for (std::uint8_t b : {std::uint8_t{0x12}, std::uint8_t{0x34}, flags, std::uint8_t{0x56}}) payload.push_back(b);
    return TokenLine(0).token(kProcedure, payload).name(testing::kTokProcedureCall, "p").token(0);
  };
  std::uint32_t bodySize = static_cast<std::uint32_t>(procedureLine(0).bytes().size());
  for (const auto& line : body) bodySize += static_cast<std::uint32_t>(line.bytes().size());
  std::vector<TokenLine> lines{procedureLine(distance.value_or(bodySize - 8))};
  lines.insert(lines.end(), body.begin(), body.end());
  lines.push_back(endProc);
  lines.push_back(TokenLine().token(kPrint));
  return amosFile(lines);
}

TEST(CompleteWalk, ALockedBodyListsAsMarkersAndItsEndProcLineAsItsFirstCode) {
  // Enciphered bodies whose size field does not fit their lines (0; one that
  // ends inside the End Proc line) cannot be deciphered: they stay locked.
  const std::vector<TokenLine> body{TokenLine(3).token(0x1234).token(0x5678), TokenLine(5).token(0x9ABC)};
  const auto sizeZero = walk(procedureFile(0x20, body, TokenLine().token(kEndProc).token(0), 0));
  EXPECT_EQ(sizeZero.text, "Procedure P\n   {locked}\n     {locked}\nEnd Proc\nPrint \n");
  EXPECT_EQ(sizeZero.damage, CompleteListing::Damage::EncipheredProcedure);
  EXPECT_EQ(sizeZero.damageOffset, 20);
  EXPECT_EQ(walk(procedureFile(0x20, body, TokenLine().token(kEndProc).token(0x1111).token(0x2222))).text,
            "Procedure P\n   {locked}\n     {locked}\nEnd Proc {locked}\nPrint \n");
}

TEST(CompleteWalk, ACompiledBodyListsAsOneLineWithItsSize) {
  const std::vector<TokenLine> body{TokenLine(1).token(kMachineCode, {0, 0}).raw({0x4E, 0x75, 0, 0, 0, 0}),
                                    TokenLine().raw({0x30, 0x3C, 0x00, 0x01})};
  const std::size_t size = body[0].bytes().size() + body[1].bytes().size();
  // Machine code wins over locked when both flags are set.
  for (std::uint8_t flags : {0x10, 0x30}) {
    EXPECT_EQ(walk(procedureFile(flags, body, TokenLine().token(kEndProc).token(0))).text,
              "Procedure P\n{compiled procedure body, " + std::to_string(size) + " bytes}\nEnd Proc\nPrint \n");
  }
}

TEST(CompleteWalk, ADistanceThatFallsShortIsIgnoredAndOneOutsideTheProgramIsDamage) {
  // The distance of a compiled body: an enciphered one is checked in full
  // before it is deciphered (procedure_cipher_test.cpp).
  const std::vector<TokenLine> body{TokenLine(1).token(kPrint)};
  EXPECT_EQ(walk(procedureFile(0x10, body, TokenLine().token(kEndProc).token(0), 0)).text,
            "Procedure P\n Print \nEnd Proc\nPrint \n");
  const auto outside = walk(procedureFile(0x10, body, TokenLine().token(kEndProc).token(0), 0x7FFFFFF0));
  EXPECT_EQ(outside.damage, CompleteListing::Damage::OutsideProgram);
  EXPECT_EQ(outside.damageOffset, 20 + 2);
  EXPECT_EQ(outside.text, "Procedure \n");
  EXPECT_TRUE(outside.rtf.ends_with("\\par\r\n}"));
}

TEST(CompleteWalk, AFileThatEndsEarlyIsListedUpToThereAndNamesAnOffsetInsideIt) {
  const std::vector<TokenLine> lines{TokenLine().token(kPrint).string("hello"), TokenLine().token(kEndIf)};
  const Bytes whole = amosFile(lines);
  const std::size_t linesEnd = 20 + lines[0].bytes().size() + lines[1].bytes().size();
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    const Bytes prefix(whole.begin(), whole.begin() + static_cast<long>(cut));
    const auto result = walk(prefix);
    if (cut >= linesEnd) continue;  // what follows the lines is not needed
    EXPECT_EQ(result.damage, CompleteListing::Damage::EndsEarly) << cut;
    EXPECT_LE(result.damageOffset, static_cast<std::int64_t>(cut)) << cut;
    EXPECT_TRUE(result.rtf.ends_with("}")) << cut;
  }
  // A length of the lines beyond what the file holds, and a payload that runs past the lines.
  Bytes file = amosFile({TokenLine().token(kPrint).string("hello")});
  file[19] += 2;
  EXPECT_EQ(walk(Bytes(file.begin(), file.begin() + 20 + 14)).damage, CompleteListing::Damage::EndsEarly);
  file[19] -= 6;
  EXPECT_EQ(walk(file).damage, CompleteListing::Damage::OutsideProgram);
  EXPECT_EQ(walk(file).text, "Print \n");
}

TEST(CompleteWalk, ALineLongerThanTheFileIsListedThenCalledAnEarlyEnd) {
  // "AMOS Pro101V" and a 4-byte length, then a line that claims 200 bytes.
  const Bytes header = {'A', 'M', 'O', 'S', ' ', 'P', 'r', 'o', '1', '0', '1', 'V', 0, 0, 0, 0};
  Bytes file = header;
  for (std::uint8_t b : {0, 0, 0, 4, 0x64, 1, 0, 0}) file.push_back(b);
  const auto result = walk(file);
  EXPECT_EQ(result.text, "\n");
  EXPECT_EQ(result.damage, CompleteListing::Damage::EndsEarly);
  EXPECT_EQ(result.damageOffset, static_cast<std::int64_t>(file.size()));
  // A length byte of 0 ends the lines even as the very last byte of them.
  file = header;
  for (std::uint8_t b : {0, 0, 0, 5, 2, 1, 0, 0, 0, 0}) file.push_back(b);
  EXPECT_EQ(walk(file).damage, CompleteListing::Damage::None);
  EXPECT_EQ(walk(file).text, "\n");
}

TEST(CompleteWalk, CodesBetweenTheNameAndTheFourByteKindsCarryNothing) {
  const auto result = walk({TokenLine().token(0x0019).token(kPrint)});
  EXPECT_EQ(result.text, "{0019} Print \n");
  EXPECT_EQ(result.unknownTokens, 1);
}

TEST(CompleteWalk, OnlyFilesThatStartWithAmosAreProgramsToIt) {
  EXPECT_TRUE(startsLikeAmosProgram(amosFile({})));
  EXPECT_TRUE(startsLikeAmosProgram(Bytes{'A', 'M', 'O', 'S'}));
  EXPECT_FALSE(startsLikeAmosProgram(Bytes{'A', 'M', 'O'}));
  EXPECT_FALSE(startsLikeAmosProgram(Bytes{0x89, 'P', 'N', 'G', 0, 0}));
}

}  // namespace
}  // namespace zarvex
