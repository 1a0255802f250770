// Recognising containers and the kinds of member files by their bytes: the
// signatures' edges one by one, and every file of the shared container data.
#include "member_kind.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "corpus.h"

namespace zarvex {
namespace {

std::filesystem::path containerFolder() {
  std::filesystem::path corpus = testing::corpusFolder().lexically_normal();
  if (!corpus.has_filename()) corpus = corpus.parent_path();
  return corpus.parent_path() / "containers";
}

std::vector<std::uint8_t> bytesOf(std::string text, std::size_t size = 0) {
  if (text.size() < size) text.resize(size, '\0');
  return {text.begin(), text.end()};
}

// An LHA header's first 22 bytes with method `method` and level `level`.
std::vector<std::uint8_t> lhaHeader(const std::string& method, std::uint8_t level, std::size_t size = 22) {
  std::vector<std::uint8_t> bytes = bytesOf(std::string(2, '\x20') + method, size);
  if (bytes.size() > 20) bytes[20] = level;
  return bytes;
}

std::vector<std::uint8_t> withAt(std::vector<std::uint8_t> bytes, std::size_t at, const std::string& text) {
  std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
  return bytes;
}

std::vector<std::uint8_t> firstBytes(std::vector<std::uint8_t> bytes, std::size_t count) {
  bytes.resize(count);
  return bytes;
}

struct Recognition {
  const char* what;
  std::vector<std::uint8_t> bytes;
  ContainerKind kind;
};

void PrintTo(const Recognition& recognition, std::ostream* out) { *out << recognition.what; }

class RecogniseContainerTest : public ::testing::TestWithParam<Recognition> {};

TEST_P(RecogniseContainerTest, FirstMatchingSignatureDecides) {
  EXPECT_EQ(recogniseContainer(GetParam().bytes), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Signatures, RecogniseContainerTest,
    ::testing::Values(
        Recognition{"Nothing", {}, ContainerKind::None},
        Recognition{"Dms", bytesOf("DMS!"), ContainerKind::Dms},
        Recognition{"DmsOfAnAdfsSize", withAt(bytesOf("", 901'120), 0, "DMS!"), ContainerKind::Dms},
        Recognition{"ExtendedAdf", bytesOf("UAE-1ADF"), ContainerKind::ExtAdf},
        Recognition{"OldExtendedAdf", bytesOf("UAE--ADF"), ContainerKind::ExtAdf},
        Recognition{"ExtendedAdfCut", bytesOf("UAE-1AD"), ContainerKind::None},
        Recognition{"LhaLh5", lhaHeader("-lh5-", 2), ContainerKind::Lha},
        Recognition{"LhaLh0", lhaHeader("-lh0-", 0), ContainerKind::Lha},
        Recognition{"LhaLh7", lhaHeader("-lh7-", 1), ContainerKind::Lha},
        Recognition{"LhaDirectory", lhaHeader("-lhd-", 3), ContainerKind::Lha},
        Recognition{"LhaLzs", lhaHeader("-lzs-", 0), ContainerKind::Lha},
        Recognition{"LhaLz4", lhaHeader("-lz4-", 0), ContainerKind::Lha},
        Recognition{"LhaLz5", lhaHeader("-lz5-", 0), ContainerKind::Lha},
        Recognition{"LhaLh8", lhaHeader("-lh8-", 2), ContainerKind::None},
        Recognition{"LhaLz6", lhaHeader("-lz6-", 2), ContainerKind::None},
        Recognition{"LhaLevelFour", lhaHeader("-lh5-", 4), ContainerKind::None},
        Recognition{"LhaTooShort", lhaHeader("-lh5-", 2, 21), ContainerKind::None},
        Recognition{"Zip", bytesOf(std::string("PK\x03\x04", 4), 30), ContainerKind::Zip},
        Recognition{"EmptyZip", bytesOf(std::string("PK\x05\x06", 4), 22), ContainerKind::Zip},
        Recognition{"ZipSpannedMarker", bytesOf(std::string("PK\x07\x08", 4), 30), ContainerKind::None},
        Recognition{"Tar", withAt(bytesOf("", 262), 257, "ustar"), ContainerKind::Tar},
        Recognition{"TarCut", firstBytes(withAt(bytesOf("", 262), 257, "ustar"), 261), ContainerKind::None},
        Recognition{"Lzx", bytesOf("LZX"), ContainerKind::Lzx},
        Recognition{"DdSizeWithoutDos", bytesOf("", 901'120), ContainerKind::Adf},
        Recognition{"HdSizeWithoutDos", bytesOf("", 1'802'240), ContainerKind::Adf},
        Recognition{"DosOfAWrongSize", bytesOf("DOS\x03", 1024), ContainerKind::Adf},
        Recognition{"DosTooShortForABootBlock", bytesOf("DOS\x03", 1023), ContainerKind::None},
        Recognition{"DosTypeSeven", bytesOf("DOS\x07", 700'000), ContainerKind::Adf},
        Recognition{"DosTypeEight", bytesOf("DOS\x08", 700'000), ContainerKind::None},
        Recognition{"DosJustUnderHd", bytesOf("DOS\x01", 1'802'239), ContainerKind::Adf},
        Recognition{"DosPastHd", bytesOf("DOS\x01", 1'802'241), ContainerKind::Hdf},
        Recognition{"OtherOfPastHd", bytesOf("", 1'802'241), ContainerKind::None}),
    [](const auto& info) { return std::string(info.param.what); });

struct Kind {
  const char* what;
  std::vector<std::uint8_t> bytes;
  MemberKind kind;
};

void PrintTo(const Kind& kind, std::ostream* out) { *out << kind.what; }

class MemberKindTest : public ::testing::TestWithParam<Kind> {};

TEST_P(MemberKindTest, DecidedByTheFirstBytes) { EXPECT_EQ(memberKindOf(GetParam().bytes), GetParam().kind); }

INSTANTIATE_TEST_SUITE_P(
    FirstBytes, MemberKindTest,
    ::testing::Values(
        Kind{"Empty", {}, MemberKind::Other},
        Kind{"BasicProgram", bytesOf("AMOS Basic v1.34", 20), MemberKind::Program},
        Kind{"BasicProgramV134", bytesOf("AMOS Basic V134 ", 20), MemberKind::Program},
        Kind{"ProProgram", bytesOf(std::string("AMOS Pro101v\0\0\0\x83", 16), 20), MemberKind::Program},
        Kind{"ProProgramSpaced", bytesOf("AMOS Pro   V1.00", 20), MemberKind::Program},
        Kind{"ProgramHeaderOnly", bytesOf("AMOS Basic v1.34", 19), MemberKind::Other},
        Kind{"TextStartingLikeAProgram", bytesOf("AMOS Basic v1.34 is the version of this disk."),
             MemberKind::Other},
        Kind{"BasicWithoutItsBlank", bytesOf("AMOS BasicXv1.34", 20), MemberKind::Other},
        Kind{"MemoryBank", bytesOf("AmBk", 6), MemberKind::Bank},
        Kind{"SpriteBank", bytesOf("AmSp", 6), MemberKind::Bank},
        Kind{"IconBank", bytesOf("AmIc", 6), MemberKind::Bank},
        Kind{"SetOfBanks", bytesOf("AmBs", 6), MemberKind::Bank},
        Kind{"BankCut", bytesOf("AmBk", 5), MemberKind::Other},
        Kind{"OtherBankLike", bytesOf("AmBx", 6), MemberKind::Other},
        Kind{"Archive", lhaHeader("-lh5-", 2), MemberKind::Container},
        Kind{"RefusedContainer", bytesOf("LZX"), MemberKind::Container},
        Kind{"Text", bytesOf("Read me first\n"), MemberKind::Other}),
    [](const auto& info) { return std::string(info.param.what); });

// Every file of the shared data, and for the refused ones the code their
// expected refusal names.
TEST(SharedContainers, EveryFileIsRecognised) {
  if (!std::filesystem::exists(containerFolder() / "README.md")) GTEST_SKIP() << "no " << containerFolder();
  struct File {
    const char* name;
    ContainerKind kind;
    const char* refusal;  // "": read
  };
  for (const File& file : {File{"damaged_loop.adf", ContainerKind::Adf, ""},
                           File{"damaged_range.adf", ContainerKind::Adf, ""}, File{"ffs_hd.adf", ContainerKind::Adf, ""},
                           File{"ffs_intl_dd.adf", ContainerKind::Adf, ""},
                           File{"ndos.adf", ContainerKind::Adf, "ndos"},  // refused once read: not a DOS disk
                           File{"ofs_dd.adf", ContainerKind::Adf, ""}, File{"padded.adf", ContainerKind::Adf, ""},
                           File{"truncated.adf", ContainerKind::Adf, ""}, File{"programs.lha", ContainerKind::Lha, ""},
                           File{"truncated.lha", ContainerKind::Lha, ""}, File{"programs.zip", ContainerKind::Zip, ""},
                           File{"programs.tar", ContainerKind::Tar, ""}, File{"stub.dms", ContainerKind::Dms, "dms"},
                           File{"stub_ext.adf", ContainerKind::ExtAdf, "ext-adf"},
                           File{"stub.lzx", ContainerKind::Lzx, "lzx"}}) {
    const std::string bytes = testing::readBytes(containerFolder() / file.name);
    EXPECT_EQ(recogniseContainer({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}), file.kind)
        << file.name;
    const auto refusal = containerFolder() / "expected" / (std::string(file.name) + ".refusal");
    std::string expected = std::filesystem::exists(refusal) ? testing::readBytes(refusal) : "";
    while (!expected.empty() && std::isspace(static_cast<unsigned char>(expected.back()))) expected.pop_back();
    EXPECT_EQ(expected, file.refusal) << file.name;
  }
}

}  // namespace
}  // namespace zarvex
