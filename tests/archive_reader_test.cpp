// The archive reader on the shared LHA, ZIP and TAR archives against their
// expected listings, and on archives made here to be hostile: names that
// climb out, duplicates, a zip bomb, too many entries, damaged data, and
// every cut and random flips of the real archives.
#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <locale.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "adf_image.h"
#include "archive_reader.h"
#include "corpus.h"
#include "sha256.h"

namespace zarvex {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::filesystem::path containersFolder() {
  std::filesystem::path corpus = testing::corpusFolder().lexically_normal();
  if (!corpus.has_filename()) corpus = corpus.parent_path();
  return corpus.parent_path() / "containers";
}

#define SKIP_WITHOUT_CONTAINERS()                                          \
  if (!std::filesystem::exists(containersFolder() / "README.md"))          \
  GTEST_SKIP() << "no container test data at " << containersFolder()

Bytes readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The kind of a member by its first bytes: program, bank, a container of any
// kind the readers recognise (refused ones too), or other.
std::string kindOf(const Bytes& b) {
  const auto at = [&](std::size_t offset, std::string_view text) {
    return b.size() >= offset + text.size() && std::equal(text.begin(), text.end(), b.begin() + offset, [](char c, std::uint8_t x) {
             return static_cast<std::uint8_t>(c) == x;
           });
  };
  if (b.size() >= 20 && (at(0, "AMOS Basic ") || at(0, "AMOS Pro")) && b[16] == 0) return "program";
  if (b.size() >= 6 && (at(0, "AmBk") || at(0, "AmSp") || at(0, "AmIc") || at(0, "AmBs"))) return "bank";
  const std::size_t n = b.size();
  bool lha = false;
  if (n >= 22 && at(2, "-l") && b[6] == '-' && b[20] <= 3) {
    const std::string method{static_cast<char>(b[4]), static_cast<char>(b[5])};
    lha = (method[0] == 'h' && method[1] >= '0' && method[1] <= '7') || method == "hd" || method == "zs" || method == "z4" ||
          method == "z5";
  }
  const bool dosDisk = n >= 1024 && at(0, "DOS") && b[3] <= 7;
  if (at(0, "DMS!") || at(0, "UAE--ADF") || at(0, "UAE-1ADF") || lha || at(0, "PK\x03\x04") || at(0, "PK\x05\x06") ||
      (n >= 262 && at(257, "ustar")) || at(0, "LZX") || n == 901'120 || n == 1'802'240 || dosDisk) {
    return "container";
  }
  return "other";
}

// One line of an expected listing: path, size, recorded, kind, status, sha256.
struct Row {
  std::string path, size, recorded, kind, status, sha256;
  bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Row& r) {
  return out << r.path << ' ' << r.size << ' ' << r.recorded << ' ' << r.kind << ' ' << r.status << ' ' << r.sha256;
}

std::vector<Row> expectedRows(const std::filesystem::path& list) {
  std::vector<Row> rows;
  std::ifstream in(list);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> cells;
    std::stringstream fields(line);
    for (std::string cell; std::getline(fields, cell, '\t');) cells.push_back(cell);
    if (cells.size() < 6) {
      ADD_FAILURE() << "short line in " << list << ": " << line;
      continue;
    }
    rows.push_back({cells[0], cells[1], cells[2], cells[3], cells[4], cells[5]});
  }
  return rows;
}

std::vector<Row> listedRows(const ContainerListing& listing) {
  std::vector<Row> rows;
  for (const auto& m : listing.members) {
    rows.push_back({m.path, std::to_string(m.bytes.size()), m.recordedSize ? std::to_string(*m.recordedSize) : "-",
                    kindOf(m.bytes), m.damaged ? "damaged" : "ok", testing::sha256Hex(m.bytes)});
  }
  std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.path < b.path; });
  return rows;
}

// A damaged archive member yields what the read buffer happened to hold:
// only its path, recorded size and status are fixed.
void expectListing(const ContainerListing& listing, const std::filesystem::path& list, bool archive) {
  std::vector<Row> expected = expectedRows(list);
  std::vector<Row> listed = listedRows(listing);
  ASSERT_FALSE(expected.empty()) << list;
  for (auto* rows : {&expected, &listed}) {
    for (Row& row : *rows) {
      if (archive && row.status == "damaged") row.size = row.kind = row.sha256 = "*";
    }
  }
  EXPECT_EQ(listed, expected) << list;
}

const ContainerMember* memberAt(const ContainerListing& listing, const std::string& path) {
  for (const auto& m : listing.members) {
    if (m.path == path) return &m;
  }
  return nullptr;
}

std::vector<std::string> warningKinds(const ContainerListing& listing) {
  std::vector<std::string> kinds;
  for (const auto& w : listing.warnings) kinds.push_back(w.kind);
  return kinds;
}

// Each path a member can take: never absolute, never climbing, no empty or
// '.' steps.
void expectContained(const ContainerListing& listing) {
  for (const auto& m : listing.members) {
    ASSERT_FALSE(m.path.empty());
    std::stringstream parts(m.path);
    for (std::string part; std::getline(parts, part, '/');) {
      EXPECT_TRUE(!part.empty() && part != "." && part != "..") << m.path;
    }
    EXPECT_NE(m.path.back(), '/') << m.path;
    EXPECT_LE(m.bytes.size(), kMaxMemberBytes);
  }
}

// ---------------------------------------------------------------------------
// The shared archives

class SharedArchive : public ::testing::TestWithParam<std::string> {};

TEST_P(SharedArchive, ListsTheExpectedMembers) {
  SKIP_WITHOUT_CONTAINERS();
  const ContainerListing listing = readArchive(readFile(containersFolder() / GetParam()));
  EXPECT_FALSE(listing.refusal);
  EXPECT_FALSE(listing.fatal) << *listing.fatal;
  EXPECT_TRUE(listing.warnings.empty()) << listing.warnings.front().kind << ": " << listing.warnings.front().message;
  EXPECT_TRUE(listing.internationalCase);
  expectListing(listing, containersFolder() / "expected" / (GetParam() + ".list"), true);
  expectContained(listing);
}

INSTANTIATE_TEST_SUITE_P(Archives, SharedArchive, ::testing::Values("programs.lha", "programs.zip", "programs.tar"),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '.', '_');
                           return name;
                         });

TEST(ArchiveReader, ListsMembersInArchiveOrder) {
  SKIP_WITHOUT_CONTAINERS();
  // Within a folder jlha did not store the names sorted; the listing keeps
  // the archive's own order, so it is not sorted either.
  const ContainerListing listing = readArchive(readFile(containersFolder() / "programs.lha"));
  std::vector<std::string> paths;
  for (const auto& m : listing.members) paths.push_back(m.path);
  EXPECT_FALSE(std::is_sorted(paths.begin(), paths.end()));
  ASSERT_FALSE(paths.empty());
  EXPECT_TRUE(paths.front().starts_with("Tutorials/AMAL/")) << paths.front();
}

TEST(ArchiveReader, TruncatedLhaKeepsTheMembersBeforeItsEnd) {
  SKIP_WITHOUT_CONTAINERS();
  const ContainerListing listing = readArchive(readFile(containersFolder() / "truncated.lha"));
  ASSERT_TRUE(listing.fatal);
  EXPECT_FALSE(listing.fatal->empty());
  EXPECT_FALSE(listing.refusal);
  expectListing(listing, containersFolder() / "expected" / "truncated.lha.list", true);
  const ContainerMember* cut = memberAt(listing, "Tutorials/Interface/Full_Example.AMOS");
  ASSERT_NE(cut, nullptr);
  EXPECT_TRUE(cut->damaged);
  EXPECT_LT(cut->bytes.size(), 8860u);
}

TEST(ArchiveReader, NestedContainersReadFromMemberBytes) {
  SKIP_WITHOUT_CONTAINERS();
  const ContainerListing zip = readArchive(readFile(containersFolder() / "programs.zip"));
  const ContainerMember* disk = memberAt(zip, "Disks/small_dc.adf");
  ASSERT_NE(disk, nullptr);
  EXPECT_EQ(kindOf(disk->bytes), "container");

  const ContainerListing ofs = readAdfImage(readFile(containersFolder() / "ofs_dd.adf"));
  const ContainerListing inner = readAdfImage(disk->bytes);
  if (ofs.refusal || inner.refusal) GTEST_SKIP() << "the disk image reader does not list these disks";

  expectListing(inner, containersFolder() / "expected" / "programs.zip" / "Disks" / "small_dc.adf.list", false);
  const ContainerMember* menus = memberAt(ofs, "Archives/Menus.lha");
  ASSERT_NE(menus, nullptr);
  const ContainerListing lha = readArchive(menus->bytes);
  EXPECT_FALSE(lha.fatal);
  expectListing(lha, containersFolder() / "expected" / "ofs_dd.adf" / "Archives" / "Menus.lha.list", true);
}

// The reader sets the thread's character type itself: the LHA names with
// Latin-1 bytes read alike whatever locale the program runs in, and the
// caller's locale is back when it returns.
TEST(ArchiveReader, DoesNotDependOnTheProcessLocale) {
  SKIP_WITHOUT_CONTAINERS();
  const Bytes lha = readFile(containersFolder() / "programs.lha");
  const Bytes tar = readFile(containersFolder() / "programs.tar");
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  for (const char* name : {"C", "C.UTF-8", ""}) {  // "": the environment's LC_ALL / LANG
    if (std::setlocale(LC_ALL, name) == nullptr) continue;
    SCOPED_TRACE(std::string("locale \"") + name + "\" gives " + std::setlocale(LC_ALL, nullptr));
    const std::size_t charBytes = MB_CUR_MAX;
    const locale_t threadLocale = uselocale(static_cast<locale_t>(0));
    const ContainerListing fromLha = readArchive(lha);
    const ContainerListing fromTar = readArchive(tar);
    EXPECT_EQ(uselocale(static_cast<locale_t>(0)), threadLocale);
    EXPECT_EQ(MB_CUR_MAX, charBytes);
    EXPECT_FALSE(fromLha.fatal) << *fromLha.fatal;
    EXPECT_EQ(fromLha.members.size(), 31u);
    EXPECT_NE(memberAt(fromLha, "B\xC3\xA4nke/Gr\xC3\xB6\xC3\x9F" "e.abk"), nullptr);
    EXPECT_NE(memberAt(fromLha, "D\xC3\xA9mo"), nullptr);
    EXPECT_NE(memberAt(fromTar, "B\xC3\xA4nke/Gr\xC3\xB6\xC3\x9F" "e.abk"), nullptr);
  }
  std::setlocale(LC_ALL, saved.c_str());
}

// ---------------------------------------------------------------------------
// Archives made here

struct Entry {
  std::string name;
  Bytes bytes;
  unsigned type = AE_IFREG;
};

// Writes `entries` in the C locale, so that names are stored as the bytes
// given (no UTF-8 flag in ZIP) whatever the test's own locale.
Bytes writeArchive(const std::vector<Entry>& entries, bool zip, const char* options = nullptr) {
  const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  const locale_t previous = uselocale(c);
  archive* a = archive_write_new();
  if (zip) {
    archive_write_set_format_zip(a);
  } else {
    archive_write_set_format_pax_restricted(a);
  }
  if (options != nullptr) {
    EXPECT_EQ(archive_write_set_options(a, options), ARCHIVE_OK) << archive_error_string(a);
  }
  std::size_t total = 1 << 16;
  for (const Entry& e : entries) total += e.bytes.size() + 1024 + e.name.size() * 2;
  Bytes out(total);
  std::size_t used = 0;
  EXPECT_EQ(archive_write_open_memory(a, out.data(), out.size(), &used), ARCHIVE_OK);
  for (const Entry& e : entries) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, e.name.c_str());
    archive_entry_set_filetype(entry, e.type);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, e.type == AE_IFREG ? static_cast<la_int64_t>(e.bytes.size()) : 0);
    EXPECT_EQ(archive_write_header(a, entry), ARCHIVE_OK) << e.name << ": " << archive_error_string(a);
    if (!e.bytes.empty()) archive_write_data(a, e.bytes.data(), e.bytes.size());
    archive_entry_free(entry);
  }
  EXPECT_EQ(archive_write_close(a), ARCHIVE_OK) << archive_error_string(a);
  archive_write_free(a);
  uselocale(previous);
  freelocale(c);
  out.resize(used);
  return out;
}

Bytes text(std::string_view s) { return {s.begin(), s.end()}; }

class MadeArchive : public ::testing::TestWithParam<bool> {
 protected:
  bool zip() const { return GetParam(); }
};

TEST_P(MadeArchive, NamesStayInsideTheArchive) {
  const ContainerListing listing = readArchive(writeArchive(
      {
          {"../Escape.AMOS", text("1")},
          {"Sub/../../Escape2.AMOS", text("2")},
          {"/Absolute/Path.AMOS", text("3")},
          {"./Dot//Twice/./Slash.AMOS", text("4")},
          {"Sub/..", text("5")},
          {".", text("6")},
          {"..Dots..In..Names", text("7")},
          {"Folder", {}, AE_IFDIR},
          {"Folder/Inside.AMOS", text("8")},
      },
      zip()));
  EXPECT_FALSE(listing.fatal);
  std::vector<std::string> paths;
  for (const auto& m : listing.members) paths.push_back(m.path);
  EXPECT_EQ(paths, (std::vector<std::string>{"Absolute/Path.AMOS", "Dot/Twice/Slash.AMOS", "..Dots..In..Names",
                                             "Folder/Inside.AMOS"}));
  EXPECT_EQ(memberAt(listing, "Absolute/Path.AMOS")->bytes, text("3"));
  EXPECT_EQ(memberAt(listing, "Dot/Twice/Slash.AMOS")->bytes, text("4"));
  EXPECT_EQ(warningKinds(listing), (std::vector<std::string>(4, "bad-name")));
  expectContained(listing);
}

TEST_P(MadeArchive, FirstOfTwoEqualPathsIsKept) {
  const ContainerListing listing = readArchive(writeArchive(
      {
          {"Dup.AMOS", text("first")},
          {"Dup.AMOS", text("second")},
          {"./Dup.AMOS", text("third")},
          {"DUP.AMOS", text("case differs")},
      },
      zip()));
  ASSERT_EQ(listing.members.size(), 2u);
  EXPECT_EQ(listing.members[0].path, "Dup.AMOS");
  EXPECT_EQ(listing.members[0].bytes, text("first"));
  EXPECT_EQ(listing.members[1].path, "DUP.AMOS");
  EXPECT_EQ(warningKinds(listing), (std::vector<std::string>(2, "duplicate-name")));
  EXPECT_EQ(listing.warnings[0].path, "/Dup.AMOS");
}

TEST_P(MadeArchive, EmptyAndLargeMembersReadWhole) {
  Bytes large(3 * 65'536 + 17);
  std::mt19937 random(7);
  for (auto& b : large) b = static_cast<std::uint8_t>(random());
  const ContainerListing listing = readArchive(writeArchive({{"Empty", {}}, {"Large.abk", large}}, zip()));
  ASSERT_EQ(listing.members.size(), 2u);
  EXPECT_TRUE(listing.members[0].bytes.empty());
  EXPECT_FALSE(listing.members[0].damaged);
  EXPECT_EQ(listing.members[1].bytes, large);
  EXPECT_FALSE(listing.members[1].damaged);
  EXPECT_TRUE(listing.warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(ZipAndTar, MadeArchive, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "zip" : "tar"; });

TEST(ArchiveReader, ZipNamesThatAreNotUtf8AreLatin1) {
  const ContainerListing listing = readArchive(writeArchive(
      {
          {"B\xE4nke/Gr\xF6\xDF" "e.abk", text("Latin-1")},
          {"\xC3\x9C" "bung.AMOS", text("UTF-8 without the flag")},
          {"Half\xC3", text("a cut UTF-8 sequence")},
      },
      true));
  std::vector<std::string> paths;
  for (const auto& m : listing.members) paths.push_back(m.path);
  EXPECT_EQ(paths, (std::vector<std::string>{"B\xC3\xA4nke/Gr\xC3\xB6\xC3\x9F" "e.abk", "\xC3\x9C" "bung.AMOS",
                                             "Half\xC3\x83"}));
}

// 100 MiB of zeros deflate to about 100 KB; reading stops at the cap.
TEST(ArchiveReader, ZipBombIsCutAtTheMemberLimit) {
  const std::size_t inflated = 100u << 20;
  const Bytes chunk(1u << 20);
  const auto start = std::chrono::steady_clock::now();
  const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  const locale_t previous = uselocale(c);
  archive* a = archive_write_new();
  archive_write_set_format_zip(a);
  ASSERT_EQ(archive_write_set_options(a, "zip:compression=deflate"), ARCHIVE_OK);
  Bytes zip(4u << 20);
  std::size_t used = 0;
  ASSERT_EQ(archive_write_open_memory(a, zip.data(), zip.size(), &used), ARCHIVE_OK);
  const Bytes after = text("AMOS Basic v1.34 after the bomb");
  for (const bool bomb : {true, false}) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, bomb ? "Bomb.AMOS" : "After.AMOS");
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_size(entry, static_cast<la_int64_t>(bomb ? inflated : after.size()));
    ASSERT_EQ(archive_write_header(a, entry), ARCHIVE_OK);
    archive_entry_free(entry);
    if (bomb) {
      for (std::size_t i = 0; i < inflated / chunk.size(); ++i) archive_write_data(a, chunk.data(), chunk.size());
    } else {
      archive_write_data(a, after.data(), after.size());
    }
  }
  ASSERT_EQ(archive_write_close(a), ARCHIVE_OK) << archive_error_string(a);
  archive_write_free(a);
  uselocale(previous);
  freelocale(c);
  zip.resize(used);
  EXPECT_LT(zip.size(), 2u << 20);

  const ContainerListing listing = readArchive(zip);
  ASSERT_EQ(listing.members.size(), 2u);
  const ContainerMember& bomb = listing.members[0];
  EXPECT_EQ(bomb.path, "Bomb.AMOS");
  EXPECT_TRUE(bomb.damaged);
  EXPECT_EQ(bomb.bytes.size(), kMaxMemberBytes);
  EXPECT_TRUE(std::all_of(bomb.bytes.begin(), bomb.bytes.end(), [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(listing.members[1].bytes, after);
  EXPECT_FALSE(listing.members[1].damaged);
  ASSERT_EQ(warningKinds(listing), std::vector<std::string>{"too-large"});
  EXPECT_EQ(listing.warnings[0].path, "/Bomb.AMOS");
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  RecordProperty("seconds", std::to_string(seconds));
}

// Five members of 60 MiB each, all zeros: each below the member limit, 300
// MiB together. Reading stops once the members hold the archive's allowance.
TEST(ArchiveReader, MembersTogetherStopAtTheArchiveLimit) {
  const std::size_t each = 60u << 20;
  const Bytes chunk(1u << 20);
  archive* a = archive_write_new();
  archive_write_set_format_zip(a);
  ASSERT_EQ(archive_write_set_options(a, "zip:compression=deflate"), ARCHIVE_OK);
  Bytes zip(4u << 20);
  std::size_t used = 0;
  ASSERT_EQ(archive_write_open_memory(a, zip.data(), zip.size(), &used), ARCHIVE_OK);
  for (int i = 0; i < 5; ++i) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, ("Part" + std::to_string(i)).c_str());
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_size(entry, static_cast<la_int64_t>(each));
    ASSERT_EQ(archive_write_header(a, entry), ARCHIVE_OK);
    archive_entry_free(entry);
    for (std::size_t k = 0; k < each / chunk.size(); ++k) archive_write_data(a, chunk.data(), chunk.size());
  }
  ASSERT_EQ(archive_write_close(a), ARCHIVE_OK) << archive_error_string(a);
  archive_write_free(a);
  zip.resize(used);

  const ContainerListing listing = readArchive(zip);
  std::size_t total = 0;
  for (const ContainerMember& member : listing.members) total += member.bytes.size();
  EXPECT_EQ(total, kMaxArchiveBytes);
  ASSERT_EQ(listing.members.size(), 5u);
  EXPECT_FALSE(listing.members[3].damaged);
  EXPECT_TRUE(listing.members[4].damaged);
  EXPECT_EQ(warningKinds(listing), std::vector<std::string>{"too-large"});
}

TEST(ArchiveReader, DamagedDataKeepsItsBytesAndTheNextMemberReads) {
  const Bytes first = text("AMOS Basic v1.34 and then some bytes of a program");
  Bytes zip = writeArchive({{"First.AMOS", first}, {"Second.AMOS", text("second")}}, true, "zip:compression=store");
  // Stored data is there as it is: change one byte of it so that the CRC no
  // longer matches.
  const auto data = std::search(zip.begin(), zip.end(), first.begin(), first.end());
  ASSERT_NE(data, zip.end());
  data[20] ^= 0x01;
  const ContainerListing listing = readArchive(zip);
  ASSERT_EQ(listing.members.size(), 2u);
  EXPECT_TRUE(listing.members[0].damaged);
  EXPECT_LE(listing.members[0].bytes.size(), first.size());
  EXPECT_FALSE(listing.members[1].damaged);
  EXPECT_EQ(listing.members[1].bytes, text("second"));
  EXPECT_FALSE(listing.fatal);
  ASSERT_EQ(warningKinds(listing), std::vector<std::string>{"bad-data"});
  EXPECT_FALSE(listing.warnings[0].message.empty());
}

// A ustar archive of `count` empty files: one 512-byte header each, then
// the two zero blocks that end it.
Bytes emptyFilesTar(std::size_t count) {
  archive* a = archive_write_new();
  archive_write_set_format_ustar(a);
  Bytes out(count * 512 + (64u << 10));
  std::size_t used = 0;
  EXPECT_EQ(archive_write_open_memory(a, out.data(), out.size(), &used), ARCHIVE_OK);
  archive_entry* entry = archive_entry_new();
  for (std::size_t i = 0; i < count; ++i) {
    archive_entry_clear(entry);
    archive_entry_set_pathname(entry, std::to_string(i).c_str());
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_size(entry, 0);
    EXPECT_EQ(archive_write_header(a, entry), ARCHIVE_OK);
  }
  archive_entry_free(entry);
  EXPECT_EQ(archive_write_close(a), ARCHIVE_OK);
  archive_write_free(a);
  out.resize(used);
  return out;
}

TEST(ArchiveReader, ReadsAtMostTheEntryLimit) {
  Bytes tar = emptyFilesTar(kMaxArchiveEntries + 1);
  const ContainerListing past = readArchive(tar);
  EXPECT_EQ(past.members.size(), kMaxArchiveEntries);
  EXPECT_EQ(warningKinds(past), std::vector<std::string>{"too-many-entries"});
  EXPECT_FALSE(past.fatal);

  // The same archive ended after as many entries as are read: all of them,
  // and nothing to warn of.
  tar.resize(kMaxArchiveEntries * 512);
  tar.resize(tar.size() + 1024, 0);
  const ContainerListing atLimit = readArchive(tar);
  EXPECT_EQ(atLimit.members.size(), kMaxArchiveEntries);
  EXPECT_TRUE(atLimit.warnings.empty());
  EXPECT_FALSE(atLimit.fatal);
  EXPECT_EQ(atLimit.members.back().path, std::to_string(kMaxArchiveEntries - 1));
}

TEST(ArchiveReader, WhatIsNoArchiveEndsAtOnce) {
  for (const Bytes& bytes : {Bytes{}, text("AMOS Basic v1.34"), Bytes(4096, 0xFF)}) {
    const ContainerListing listing = readArchive(bytes);
    EXPECT_TRUE(listing.members.empty());
    ASSERT_TRUE(listing.fatal);
    EXPECT_FALSE(listing.fatal->empty());
    EXPECT_FALSE(listing.refusal);
  }
}

// ---------------------------------------------------------------------------
// Cut and flipped archives: whatever comes back, nothing crashes, hangs or
// escapes.

class BrokenArchive : public ::testing::TestWithParam<std::string> {};

TEST_P(BrokenArchive, EveryCutReadsSafely) {
  SKIP_WITHOUT_CONTAINERS();
  const Bytes whole = readFile(containersFolder() / GetParam());
  ASSERT_FALSE(whole.empty());
  const ContainerListing complete = readArchive(whole);
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n < 64; ++n) lengths.push_back(n);
  for (std::size_t i = 0; i < 160; ++i) lengths.push_back(whole.size() * i / 160 + i % 7);
  for (std::size_t n = whole.size() - 64; n < whole.size(); ++n) lengths.push_back(n);
  std::size_t fatal = 0;
  for (const std::size_t n : lengths) {
    const ContainerListing listing = readArchive(std::span(whole).first(std::min(n, whole.size())));
    expectContained(listing);
    if (listing.fatal) ++fatal;
    // A member the cut left whole is the member of the whole archive.
    for (const auto& m : listing.members) {
      const ContainerMember* original = memberAt(complete, m.path);
      ASSERT_NE(original, nullptr) << n << " " << m.path;
      if (!m.damaged) {
        EXPECT_EQ(m.bytes, original->bytes) << n << " " << m.path;
      }
    }
  }
  EXPECT_GT(fatal, lengths.size() / 2);
}

TEST_P(BrokenArchive, RandomFlipsReadSafely) {
  SKIP_WITHOUT_CONTAINERS();
  const Bytes whole = readFile(containersFolder() / GetParam());
  ASSERT_FALSE(whole.empty());
  std::mt19937 random(20240611);
  for (int round = 0; round < 300; ++round) {
    Bytes bytes = whole;
    const int flips = 1 + round % 16;
    for (int i = 0; i < flips; ++i) {
      // Half of the flips land in the first kilobyte, where the headers are.
      const std::size_t at = (i % 2 == 0 ? random() % std::min<std::size_t>(1024, bytes.size()) : random() % bytes.size());
      bytes[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
    }
    const ContainerListing listing = readArchive(bytes);
    expectContained(listing);
  }
}

INSTANTIATE_TEST_SUITE_P(Archives, BrokenArchive, ::testing::Values("programs.lha", "programs.zip"),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '.', '_');
                           return name;
                         });

}  // namespace
}  // namespace zarvex
