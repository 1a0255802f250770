// The disk image reader against the shared test disks (every file's bytes,
// the warnings of the damaged disks, the refusals), against disks built with
// one fault each, and against disks cut short or with bytes changed at random.
#include "adf_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "adf_builder.h"
#include "corpus.h"
#include "member_kind.h"
#include "sha256.h"

namespace zarvex {
namespace {

using testing::AdfBuilder;

// The container test data: the folder beside the corpus.
std::filesystem::path containerFolder() {
  std::filesystem::path corpus = testing::corpusFolder().lexically_normal();
  if (!corpus.has_filename()) corpus = corpus.parent_path();
  return corpus.parent_path() / "containers";
}

#define SKIP_WITHOUT_CONTAINERS()                                      \
  if (!std::filesystem::exists(containerFolder() / "README.md"))       \
  GTEST_SKIP() << "no container test data at " << containerFolder()

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
  const std::string bytes = testing::readBytes(path);
  return {bytes.begin(), bytes.end()};
}

std::string kindName(MemberKind kind) {
  switch (kind) {
    case MemberKind::Program: return "program";
    case MemberKind::Bank: return "bank";
    case MemberKind::Container: return "container";
    case MemberKind::Other: return "other";
  }
  return "?";
}

std::string numberOrDash(std::optional<std::uint64_t> value) { return value ? std::to_string(*value) : "-"; }

// One line per member as in the expected listings: path, size, recorded
// size, kind, status, SHA-256; sorted.
std::vector<std::string> memberLines(const ContainerListing& listing) {
  std::vector<std::string> lines;
  for (const ContainerMember& member : listing.members) {
    lines.push_back(member.path + '\t' + std::to_string(member.bytes.size()) + '\t' +
                    numberOrDash(member.recordedSize) + '\t' + kindName(memberKindOf(member.bytes)) + '\t' +
                    (member.damaged ? "damaged" : "ok") + '\t' + testing::sha256Hex(member.bytes));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::string warningLine(const ContainerWarning& warning) {
  return warning.kind + '\t' + numberOrDash(warning.block) + '\t' + numberOrDash(warning.pointer) + '\t' + warning.path;
}

std::vector<std::string> warningLines(const ContainerListing& listing) {
  std::vector<std::string> lines;
  for (const ContainerWarning& warning : listing.warnings) lines.push_back(warningLine(warning));
  std::sort(lines.begin(), lines.end());
  return lines;
}

// The lines of an expected file after its `#` line, cut to their first
// `columns` tab-separated columns, sorted.
std::vector<std::string> expectedLines(const std::filesystem::path& path, int columns) {
  std::vector<std::string> lines;
  std::istringstream in(testing::readBytes(path));
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::size_t end = 0;
    for (int column = 0; column < columns && end != std::string::npos; ++column) {
      end = line.find('\t', column == 0 ? 0 : end + 1);
    }
    lines.push_back(line.substr(0, end));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::string trimmed(std::string text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
  return text;
}

// ---------------------------------------------------------------------------
// The shared test disks against their expected listings and warnings.

struct SharedDisk {
  const char* name;
  bool international;  // the DOS type's upper-casing rule
};

void PrintTo(const SharedDisk& disk, std::ostream* out) { *out << disk.name; }

class SharedDiskTest : public ::testing::TestWithParam<SharedDisk> {};

TEST_P(SharedDiskTest, ListsEveryFileWithItsBytesAndTheDisksWarnings) {
  SKIP_WITHOUT_CONTAINERS();
  const std::string name = GetParam().name;
  const ContainerListing listing = readAdfImage(readFile(containerFolder() / name));
  ASSERT_FALSE(listing.refusal) << listing.refusal->code << ": " << listing.refusal->reason;
  EXPECT_EQ(memberLines(listing), expectedLines(containerFolder() / "expected" / (name + ".list"), 6));
  EXPECT_EQ(warningLines(listing), expectedLines(containerFolder() / "expected" / (name + ".warnings"), 4));
  EXPECT_EQ(listing.internationalCase, GetParam().international);
}

INSTANTIATE_TEST_SUITE_P(Disks, SharedDiskTest,
                         ::testing::Values(SharedDisk{"ofs_dd.adf", false}, SharedDisk{"ffs_intl_dd.adf", true},
                                           SharedDisk{"ffs_hd.adf", false}, SharedDisk{"padded.adf", true},
                                           SharedDisk{"damaged_loop.adf", false},
                                           SharedDisk{"damaged_range.adf", true}, SharedDisk{"truncated.adf", true}),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           std::replace(name.begin(), name.end(), '.', '_');
                           return name;
                         });

TEST(SharedDisks, EveryDiskWithAnExpectedListingIsTested) {
  SKIP_WITHOUT_CONTAINERS();
  const std::vector<std::string> tested{"damaged_loop.adf", "damaged_range.adf", "ffs_hd.adf", "ffs_intl_dd.adf",
                                        "ofs_dd.adf",       "padded.adf",        "truncated.adf"};
  std::vector<std::string> listed;
  for (const auto& entry : std::filesystem::directory_iterator(containerFolder())) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() == ".adf" && std::filesystem::exists(containerFolder() / "expected" / (name + ".list"))) {
      listed.push_back(name);
    }
  }
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, tested);
}

TEST(SharedDisks, TrackLoaderDiskIsRefusedWithItsBootBytes) {
  SKIP_WITHOUT_CONTAINERS();
  const ContainerListing listing = readAdfImage(readFile(containerFolder() / "ndos.adf"));
  ASSERT_TRUE(listing.refusal);
  EXPECT_EQ(listing.refusal->code, trimmed(testing::readBytes(containerFolder() / "expected" / "ndos.adf.refusal")));
  EXPECT_NE(listing.refusal->reason.find("44 4F 53 00"), std::string::npos) << listing.refusal->reason;
  EXPECT_NE(listing.refusal->reason.find(
                "not an AmigaDOS disk: probably a track-loader disk; its files cannot be listed"),
            std::string::npos)
      << listing.refusal->reason;
  EXPECT_TRUE(listing.members.empty());
}

// ---------------------------------------------------------------------------
// Opening: the geometry from the size, the boot block and the root block.

std::vector<std::uint8_t> soundDisk() {
  AdfBuilder disk(0);
  disk.addFile(disk.root(), "Prog.AMOS", 900, 1000, 901);
  return disk.image();
}

struct Opening {
  const char* what;
  std::function<void(std::vector<std::uint8_t>&)> change;
  std::string refusal;                // empty: read
  std::vector<std::string> warnings;  // when read, sorted
};

void PrintTo(const Opening& opening, std::ostream* out) { *out << opening.what; }

class OpeningTest : public ::testing::TestWithParam<Opening> {};

TEST_P(OpeningTest, DecidesFromTheSizeTheBootBlockAndTheRoot) {
  std::vector<std::uint8_t> image = soundDisk();
  GetParam().change(image);
  const ContainerListing listing = readAdfImage(image);
  if (!GetParam().refusal.empty()) {
    ASSERT_TRUE(listing.refusal);
    EXPECT_EQ(listing.refusal->code, GetParam().refusal);
    EXPECT_FALSE(listing.refusal->reason.empty());
    EXPECT_TRUE(listing.members.empty());
    return;
  }
  ASSERT_FALSE(listing.refusal) << listing.refusal->code;
  EXPECT_EQ(warningLines(listing), GetParam().warnings);
  ASSERT_EQ(listing.members.size(), 1u);
  EXPECT_EQ(listing.members[0].path, "Prog.AMOS");
  EXPECT_FALSE(listing.members[0].damaged);
}

void setByte(std::vector<std::uint8_t>& image, std::size_t at, std::uint8_t value) { image[at] = value; }

INSTANTIATE_TEST_SUITE_P(
    Cases, OpeningTest,
    ::testing::Values(
        Opening{"Sound", [](auto&) {}, "", {}},
        Opening{"OneByteMore", [](auto& image) { image.push_back(0); }, "", {"extra-bytes\t-\t901121\t/"}},
        Opening{"CutAfterTheFilesBlocks", [](auto& image) { image.resize(904 * 512 + 100); }, "",
                {"truncated-image\t-\t462948\t/"}},
        Opening{"CutBeforeTheRoot", [](auto& image) { image.resize(880 * 512); }, "no-root", {}},
        Opening{"CutInsideTheRoot", [](auto& image) { image.resize(881 * 512 - 1); }, "no-root", {}},
        Opening{"Empty", [](auto& image) { image.clear(); }, "ndos", {}},
        Opening{"ThreeBytes", [](auto& image) { image.resize(3); }, "ndos", {}},
        Opening{"LowerCaseDos", [](auto& image) { setByte(image, 0, 'd'); }, "ndos", {}},
        Opening{"DosTypeEight", [](auto& image) { setByte(image, 3, 8); }, "ndos", {}},
        Opening{"LongNamesOfs", [](auto& image) { setByte(image, 3, 6); }, "longname", {}},
        Opening{"LongNamesFfs", [](auto& image) { setByte(image, 3, 7); }, "longname", {}},
        Opening{"RootOfAnotherType", [](auto& image) { setByte(image, 880 * 512 + 3, 16); }, "ndos", {}},
        Opening{"RootOfAnotherSecondaryType", [](auto& image) { setByte(image, 880 * 512 + 511, 2); }, "ndos", {}},
        Opening{"RootWithABadChecksum", [](auto& image) { setByte(image, 880 * 512 + 470, 1); }, "",
                {"bad-checksum\t880\t-\t/"}},
        Opening{"LargerThanAnHdFloppy", [](auto& image) { image.resize(1'802'241); }, "hdf", {}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(Opening, BetweenTheFloppySizesWithoutADdRootIsACutHdImage) {
  AdfBuilder hd(1, 3520);
  hd.addFile(hd.root(), "Prog.AMOS", 1800, 1000, 1801);
  std::vector<std::uint8_t> image = hd.image();
  image.resize(1803 * 512);
  const ContainerListing listing = readAdfImage(image);
  ASSERT_FALSE(listing.refusal);
  EXPECT_EQ(warningLines(listing), std::vector<std::string>{"truncated-image\t-\t923136\t/"});
  ASSERT_EQ(listing.members.size(), 1u);
  EXPECT_EQ(listing.members[0].bytes.size(), 1000u);
}

TEST(Opening, DosTypeDecidesTheUpperCasingRule) {
  for (std::uint8_t dosType = 0; dosType <= 5; ++dosType) {
    const ContainerListing listing = readAdfImage(AdfBuilder(dosType).image());
    ASSERT_FALSE(listing.refusal);
    EXPECT_EQ(listing.internationalCase, dosType >= 2) << "DOS type " << int{dosType};
  }
}

// ---------------------------------------------------------------------------
// One fault each in the walk and in the reading of a file.

struct Fault {
  const char* what;
  std::uint8_t dosType;
  std::function<std::vector<std::uint8_t>(AdfBuilder&)> make;
  std::vector<std::string> members;   // "path size status", sorted
  std::vector<std::string> warnings;  // sorted
};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.what; }

// The header block of the file named `name` (UTF-8) in a built disk.
std::uint32_t headerNamed(const AdfBuilder& disk, const std::string& name) {
  for (std::uint32_t block = 2; block < 1760; ++block) {
    if (disk.longAt(block, 0) != 2 || disk.longAt(block, 4) != block || disk.longAt(block, 508) != 0xFFFFFFFD) continue;
    std::string utf8;
    const std::size_t length = disk.longAt(block, 432) >> 24;
    for (std::size_t i = 0; i < length && i < 30; ++i) {
      const std::uint8_t byte = static_cast<std::uint8_t>(disk.longAt(block, 433 + i) >> 24);
      if (byte < 0x80) {
        utf8 += static_cast<char>(byte);
      } else {
        utf8 += static_cast<char>(0xC0 | byte >> 6);
        utf8 += static_cast<char>(0x80 | (byte & 0x3F));
      }
    }
    if (utf8 == name) return block;
  }
  return 0;
}

class FaultTest : public ::testing::TestWithParam<Fault> {};

TEST_P(FaultTest, ListsWhatCanBeReadWithItsWarnings) {
  AdfBuilder disk(GetParam().dosType);
  const ContainerListing listing = readAdfImage(GetParam().make(disk));
  ASSERT_FALSE(listing.refusal) << listing.refusal->code;
  std::vector<std::string> members;
  for (const ContainerMember& member : listing.members) {
    members.push_back(member.path + ' ' + std::to_string(member.bytes.size()) + ' ' +
                      (member.damaged ? "damaged" : "ok"));
    // What is read is the file as written, or its start.
    const std::uint32_t header = headerNamed(disk, member.path.substr(member.path.rfind('/') + 1));
    ASSERT_NE(header, 0u) << member.path;
    for (std::uint32_t i = 0; i < member.bytes.size(); ++i) {
      ASSERT_EQ(member.bytes[i], AdfBuilder::fileByte(header, i)) << member.path << " byte " << i;
    }
  }
  std::sort(members.begin(), members.end());
  EXPECT_EQ(members, GetParam().members);
  EXPECT_EQ(warningLines(listing), GetParam().warnings);
}

INSTANTIATE_TEST_SUITE_P(
    Walk, FaultTest,
    ::testing::Values(
        Fault{"TwoNamesEqualByTheInternationalRule", 2,
              [](AdfBuilder& d) {
                d.addFile(d.root(), "\xDC" "bung", 900, 10, 901);
                d.addFile(d.root(), "\xFC" "bung", 902, 20, 903);
                return d.image();
              },
              {"\xC3\x9C" "bung 10 ok"},
              {"duplicate-name\t902\t-\t/"}},
        Fault{"TwoNamesDifferentByTheAsciiRule", 0,
              [](AdfBuilder& d) {
                d.addFile(d.root(), "\xDC" "bung", 900, 10, 901);
                d.addFile(d.root(), "\xFC" "bung", 902, 20, 903);
                return d.image();
              },
              {"\xC3\x9C" "bung 10 ok", "\xC3\xBC" "bung 20 ok"},
              {}},
        Fault{"LinksAreLeftOutButTakeTheirNames", 1,
              [](AdfBuilder& d) {
                d.addEntry(d.root(), "Hard", 900, 0xFFFFFFFC);
                d.addEntry(d.root(), "Soft", 901, 3);
                d.addEntry(d.root(), "Up", 902, 4);
                d.setLong(902, 504, d.root());  // a hard link to the root: never followed
                d.addFile(d.root(), "HARD", 903, 10, 904);
                d.addFile(d.root(), "Other", 905, 10, 906);
                return d.image();
              },
              {"Other 10 ok"},
              {"duplicate-name\t903\t-\t/"}},
        Fault{"UnknownSecondaryTypeEndsTheChain", 1,
              [](AdfBuilder& d) {
                d.addEntry(d.root(), "A", 900, 5);
                d.addFile(d.root(), "A", 901, 10, 902);  // same slot, after it in the chain
                return d.image();
              },
              {},
              {"not-an-entry\t880\t900\t/"}},
        Fault{"BadNamesAreLeftOutAndTheirChainsFollowed", 1,
              [](AdfBuilder& d) {
                d.addFile(d.root(), "Slash/Name", 900, 10, 901);
                d.addFile(d.root(), "Colon:Name", 902, 10, 903);
                d.addFile(d.root(), "Zero", 904, 10, 905);
                d.setByte(904, 434, 0);
                d.addFile(d.root(), "Thirty_One_Bytes_Of_A_Long_Name", 906, 10, 907);
                d.addFile(d.root(), "Nameless", 908, 10, 909);
                d.setByte(908, 432, 0);
                // A good file at the end of the chain of each bad entry.
                const std::uint32_t bad[] = {900, 902, 904, 906, 908};
                for (std::uint32_t i = 0; i < 5; ++i) {
                  const std::uint32_t good = 920 + 2 * i;
                  d.addFile(d.root(), "Good" + std::to_string(i), good, 10, good + 1, false);
                  d.chain(bad[i], good);
                }
                return d.image();
              },
              {"Good0 10 ok", "Good1 10 ok", "Good2 10 ok", "Good3 10 ok", "Good4 10 ok"},
              {"bad-name\t900\t-\t/", "bad-name\t902\t-\t/", "bad-name\t904\t-\t/", "bad-name\t906\t-\t/",
               "bad-name\t908\t-\t/"}},
        Fault{"DirectoryHoldingTheRootIsALoop", 1,
              [](AdfBuilder& d) {
                d.addDirectory(d.root(), "Sub", 900);
                d.addFile(900, "X", 901, 10, 902);
                d.setLong(900, 24, d.root());
                return d.image();
              },
              {"Sub/X 10 ok"},
              {"loop\t900\t880\t/Sub"}},
        Fault{"WrongParentIsUsed", 1,
              [](AdfBuilder& d) {
                d.addDirectory(d.root(), "Sub", 900);
                d.addFile(900, "X", 901, 10, 902);
                d.setLong(901, 500, 1234);
                return d.image();
              },
              {"Sub/X 10 ok"},
              {"parent-mismatch\t901\t1234\t/Sub"}},
        Fault{"HeaderWithABadChecksumIsUsed", 1,
              [](AdfBuilder& d) {
                d.addDirectory(d.root(), "Sub", 900);
                d.spoilChecksum(900);
                d.addFile(900, "X", 901, 10, 902);
                return d.image();
              },
              {"Sub/X 10 ok"},
              {"bad-checksum\t900\t-\t/"}}),
    [](const auto& info) { return std::string(info.param.what); });

// A file of 100 FFS blocks (one extension block) or 100 OFS blocks.
constexpr std::uint32_t kFfsBig = 100 * 512 - 7;
constexpr std::uint32_t kOfsBig = 100 * 488 - 7;

INSTANTIATE_TEST_SUITE_P(
    FileRead, FaultTest,
    ::testing::Values(
        Fault{"FfsReadStopsAtTheRecordedSize", 1,
              [](AdfBuilder& d) {
                d.addFile(d.root(), "A", 900, 1000, 901);
                // Entries and an extension pointer past the recorded size are never looked at.
                d.setLong(900, 8, 5);
                d.setLong(900, 300, 99999);
                d.setLong(900, 504, 99999);
                return d.image();
              },
              {"A 1000 ok"},
              {}},
        Fault{"LargestSizeAnFfsDdDiskHolds", 1,
              [](AdfBuilder& d) {
                d.addFile(d.root(), "A", 900, 1024, 901);
                d.setLong(900, 324, 901'120);
                return d.image();
              },
              {"A 1024 damaged"},
              {"short-file\t900\t1024\t/A"}},
        Fault{"SizePastWhatAnFfsDdDiskHolds", 1,
              [](AdfBuilder& d) {
                d.addFile(d.root(), "A", 900, 1000, 901);
                d.setLong(900, 324, 901'121);
                return d.image();
              },
              {"A 0 damaged"},
              {"size-exceeds-disk\t900\t901121\t/A"}},
        Fault{"SizePastWhatAnOfsDdDiskHolds", 0,
              [](AdfBuilder& d) {
                d.addFile(d.root(), "A", 900, 1000, 901);
                d.setLong(900, 324, 858'881);
                return d.image();
              },
              {"A 0 damaged"},
              {"size-exceeds-disk\t900\t858881\t/A"}},
        Fault{"OfsLastBlockHoldingMoreThanTheFileHasLeft", 0,
              [](AdfBuilder& d) {
                d.addFile(d.root(), "A", 900, 600, 901);
                d.setLong(902, 12, 200);  // 112 bytes are left for it
                return d.image();
              },
              {"A 600 damaged"},
              {"size-mismatch\t902\t200\t/A"}},
        Fault{"OfsBlockOfAnotherFile", 0,
              [](AdfBuilder& d) {
                d.addFile(d.root(), "A", 900, 1000, 901);
                d.addFile(d.root(), "B", 910, 1000, 911);
                d.setLong(900, 304, 912);
                return d.image();
              },
              {"A 488 damaged", "B 1000 ok"},
              {"bad-data-block\t900\t912\t/A"}},
        Fault{"OfsDataBlockWithABadChecksumIsUsed", 0,
              [](AdfBuilder& d) {
                d.addFile(d.root(), "A", 900, 1000, 901);
                d.spoilChecksum(902);
                return d.image();
              },
              {"A 1000 ok"},
              {"bad-checksum\t902\t-\t/A"}},
        Fault{"ExtensionWithABadChecksumIsUsed", 1,
              [](AdfBuilder& d) {
                d.addFile(d.root(), "A", 200, kFfsBig, 201);
                d.spoilChecksum(d.extensions(200).at(0));
                return d.image();
              },
              {"A " + std::to_string(kFfsBig) + " ok"},
              {"bad-checksum\t301\t-\t/A"}},
        Fault{"ExtensionNamingTheHeader", 0,
              [](AdfBuilder& d) {
                d.addFile(d.root(), "A", 200, kOfsBig, 201);
                d.setLong(d.extensions(200).at(0), 504, 200);
                d.setLong(d.extensions(200).at(0), 8, 0);
                return d.image();
              },
              {"A " + std::to_string(72 * 488) + " damaged"},
              {"loop\t301\t200\t/A"}},
        Fault{"ExtensionOfAnotherType", 1,
              [](AdfBuilder& d) {
                d.addFile(d.root(), "A", 200, kFfsBig, 201);
                d.setLong(200, 504, 205);
                return d.image();
              },
              {"A " + std::to_string(72 * 512) + " damaged"},
              {"bad-extension\t200\t205\t/A"}},
        Fault{"ExtensionPastTheEndOfACutImage", 1,
              [](AdfBuilder& d) {
                d.addFile(d.root(), "A", 1600, kFfsBig, 1601);
                std::vector<std::uint8_t> image = d.image();
                image.resize(1701 * 512);
                return image;
              },
              {"A " + std::to_string(72 * 512) + " damaged"},
              {"missing-block\t1600\t1701\t/A", "truncated-image\t-\t870912\t/"}},
        Fault{"DataBlockInTheBootBlock", 1,
              [](AdfBuilder& d) {
                d.addFile(d.root(), "A", 900, 1000, 901);
                d.setLong(900, 304, 1);
                return d.image();
              },
              {"A 512 damaged"},
              {"out-of-range\t900\t1\t/A"}},
        Fault{"EmptyFileLooksAtNoTable", 1,
              [](AdfBuilder& d) {
                d.addFile(d.root(), "A", 900, 0, 901);
                d.setLong(900, 8, 1000);
                d.setLong(900, 504, 900);
                return d.image();
              },
              {"A 0 ok"},
              {}}),
    [](const auto& info) { return std::string(info.param.what); });

// A disk whose files all share one chain of blocks yields far more than it
// holds; the listing stops at its limit.
TEST(Limits, FilesSharingTheirBlocksStopAtTheListingsLimit) {
  AdfBuilder disk(1);
  // 1758 FFS blocks: 72 in each header's table, the rest in a chain of 24
  // extension blocks shared by every file; every data block is block 2.
  constexpr std::uint32_t kSize = 900'000;
  constexpr std::uint32_t kExtensions = 24;
  constexpr std::uint32_t kFiles = 100;
  const auto fillTable = [&disk](std::uint32_t block) {
    disk.setLong(block, 8, 72);
    for (std::size_t i = 0; i < 72; ++i) disk.setLong(block, 308 - 4 * i, 2);
  };
  for (std::uint32_t e = 0; e < kExtensions; ++e) {
    const std::uint32_t block = 1000 + e;
    disk.setLong(block, 0, 16);
    disk.setLong(block, 4, block);
    fillTable(block);
    disk.setLong(block, 500, 1100);
    disk.setLong(block, 504, e + 1 < kExtensions ? block + 1 : 0);
    disk.setLong(block, 508, 0xFFFFFFFD);
    disk.checksum(block);
  }
  for (std::uint32_t i = 0; i < kFiles; ++i) {
    const std::uint32_t header = disk.addEntry(disk.root(), "F" + std::to_string(i), 1100 + i, 0xFFFFFFFD);
    disk.setLong(header, 324, kSize);
    fillTable(header);
    disk.setLong(header, 504, 1000);
  }

  const ContainerListing listing = readAdfImage(disk.image());
  ASSERT_EQ(listing.members.size(), kFiles);
  std::uint64_t total = 0;
  std::size_t whole = 0;
  for (const ContainerMember& member : listing.members) {
    total += member.bytes.size();
    if (!member.damaged) ++whole;
  }
  EXPECT_EQ(total, kMaxAdfListingBytes);
  EXPECT_EQ(whole, kMaxAdfListingBytes / kSize);
  std::vector<std::string> warnings;
  for (const ContainerWarning& warning : listing.warnings) warnings.push_back(warning.kind);
  EXPECT_EQ(warnings, std::vector<std::string>(kFiles - whole, "too-large"));
}

// ---------------------------------------------------------------------------
// Disks cut short and with bytes changed at random: never a crash, a read
// outside the image or a listing that contradicts itself.

// What every listing holds, however damaged its disk.
void expectConsistent(const ContainerListing& listing) {
  if (listing.refusal) {
    EXPECT_TRUE(listing.members.empty());
    return;
  }
  std::uint64_t total = 0;
  std::set<std::string> paths;
  for (const ContainerMember& member : listing.members) {
    ASSERT_TRUE(member.recordedSize) << member.path;
    EXPECT_LE(member.bytes.size(), *member.recordedSize) << member.path;
    if (!member.damaged) {
      EXPECT_EQ(member.bytes.size(), *member.recordedSize) << member.path;
    }
    ASSERT_FALSE(member.path.empty());
    EXPECT_NE(member.path.front(), '/') << member.path;
    EXPECT_NE(member.path.back(), '/') << member.path;
    EXPECT_EQ(member.path.find("//"), std::string::npos) << member.path;
    EXPECT_TRUE(paths.insert(member.path).second) << "twice: " << member.path;
    total += member.bytes.size();
  }
  EXPECT_LE(total, kMaxAdfListingBytes);
  EXPECT_LT(listing.members.size(), 3520u);
  for (const ContainerWarning& warning : listing.warnings) {
    EXPECT_FALSE(warning.kind.empty());
    if (warning.block) {
      EXPECT_LT(*warning.block, 3520u) << warningLine(warning);
    }
    ASSERT_FALSE(warning.path.empty());
    EXPECT_EQ(warning.path.front(), '/') << warningLine(warning);
  }
}

// Lengths every 512 bytes (each block boundary) and some between them.
std::vector<std::size_t> cutLengths(std::size_t size) {
  std::vector<std::size_t> lengths{1, 3, 4, 5, 511, 513, 1023, 1025, 451'071, 451'073, size - 1};
  for (std::size_t length = 0; length < size; length += 512) lengths.push_back(length);
  return lengths;
}

TEST(CutDisks, SoundDiskCutShortGivesTheStartsOfItsFiles) {
  SKIP_WITHOUT_CONTAINERS();
  const std::vector<std::uint8_t> image = readFile(containerFolder() / "ofs_dd.adf");
  const ContainerListing full = readAdfImage(image);
  std::map<std::string, const ContainerMember*> fullMembers;
  for (const ContainerMember& member : full.members) fullMembers[member.path] = &member;
  for (const std::size_t length : cutLengths(image.size())) {
    SCOPED_TRACE("cut to " + std::to_string(length) + " bytes");
    // A copy of its own, so that a read past its end is caught.
    const std::vector<std::uint8_t> cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(length));
    const ContainerListing listing = readAdfImage(cut);
    expectConsistent(listing);
    EXPECT_EQ(listing.refusal.has_value(), length < 881 * 512);
    for (const ContainerMember& member : listing.members) {
      const auto whole = fullMembers.find(member.path);
      ASSERT_NE(whole, fullMembers.end()) << member.path;
      const std::vector<std::uint8_t>& bytes = whole->second->bytes;
      ASSERT_LE(member.bytes.size(), bytes.size()) << member.path;
      EXPECT_TRUE(std::equal(member.bytes.begin(), member.bytes.end(), bytes.begin())) << member.path;
    }
  }
}

TEST(CutDisks, DamagedDiskCutShortIsReadSafely) {
  SKIP_WITHOUT_CONTAINERS();
  const std::vector<std::uint8_t> image = readFile(containerFolder() / "damaged_range.adf");
  for (const std::size_t length : cutLengths(image.size())) {
    SCOPED_TRACE("cut to " + std::to_string(length) + " bytes");
    const std::vector<std::uint8_t> cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(length));
    expectConsistent(readAdfImage(cut));
  }
}

// The blocks holding a disk's structure: root, directories, file headers and
// extension blocks, where a changed byte changes most.
std::vector<std::uint32_t> structureBlocks(const std::vector<std::uint8_t>& image) {
  const auto longAt = [&image](std::size_t at) {
    return std::uint32_t{image[at]} << 24 | std::uint32_t{image[at + 1]} << 16 | std::uint32_t{image[at + 2]} << 8 |
           image[at + 3];
  };
  std::vector<std::uint32_t> blocks;
  for (std::uint32_t block = 2; (block + 1) * 512 <= image.size(); ++block) {
    const std::uint32_t type = longAt(block * 512);
    if ((type == 2 || type == 16) && longAt(block * 512 + 4) == block) blocks.push_back(block);
  }
  blocks.push_back(static_cast<std::uint32_t>(image.size() / 1024));
  return blocks;
}

class ChangedDiskTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ChangedDiskTest, RandomChangesAreReadSafely) {
  SKIP_WITHOUT_CONTAINERS();
  const std::vector<std::uint8_t> image = readFile(containerFolder() / GetParam());
  const std::vector<std::uint32_t> structure = structureBlocks(image);
  std::mt19937 random(20240501);
  const auto below = [&random](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
  for (int round = 0; round < 300; ++round) {
    std::vector<std::uint8_t> changed = image;
    std::string changes;
    for (std::size_t count = 1 + below(4); count > 0; --count) {
      const std::size_t block = structure[below(structure.size())];
      std::size_t at = block * 512 + 4 * below(128);
      std::uint32_t value = 0;
      switch (below(4)) {
        case 0:  // any byte of the disk
          at = below(changed.size());
          changed[at] = static_cast<std::uint8_t>(below(256));
          changes += " byte " + std::to_string(at);
          continue;
        case 1: value = static_cast<std::uint32_t>(below(1800)); break;  // a block number, often a real one
        case 2: value = (below(2) != 0) ? 0 : 0xFFFFFFFF; break;
        default: value = static_cast<std::uint32_t>(random()); break;
      }
      for (int i = 0; i < 4; ++i) changed[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
      changes += " long " + std::to_string(at) + "=" + std::to_string(value);
    }
    SCOPED_TRACE("round " + std::to_string(round) + ":" + changes);
    expectConsistent(readAdfImage(changed));
  }
}

INSTANTIATE_TEST_SUITE_P(Disks, ChangedDiskTest, ::testing::Values("ofs_dd.adf", "damaged_range.adf"),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '.', '_');
                           return name;
                         });

// ---------------------------------------------------------------------------

TEST(NameHash, WorkedValuesByBothRules) {
  struct Row {
    const char* name;
    std::uint32_t ascii;
    std::uint32_t international;
  };
  for (const Row& row : {Row{"\xE6sir_\xF8_\xFE.abk", 28, 60}, Row{"\xFC" "ber", 13, 21}, Row{"B\xE4nke", 25, 1},
                         Row{"Gr\xF6\xDF" "e.abk", 8, 16}, Row{"\xF7_div\xFF.abk", 58, 58}, Row{"Fade.AMOS", 27, 27},
                         Row{"A", 6, 6}}) {
    const std::string_view name(row.name);
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(name.data()), name.size());
    EXPECT_EQ(adfHashSlot(bytes, false), row.ascii) << row.name;
    EXPECT_EQ(adfHashSlot(bytes, true), row.international) << row.name;
  }
}

}  // namespace
}  // namespace zarvex
