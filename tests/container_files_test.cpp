// Programs where they live, end to end: zarvex-list's inventory of every
// test container against its expected listing, name look-ups, the programs
// and banks inside equal to the files they were made from, --find against a
// plain search of the expected listings, and extraction that never leaves
// its folder.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "adf_builder.h"
#include "bank_builder.h"

#include "complete_walk.h"
#include "container_files.h"
#include "corpus.h"
#include "latin1_text.h"
#include "listing_style.h"
#include "runtime_error.h"
#include "silent_host.h"
#include "temp_folder.h"

namespace zarvex {
namespace {

std::filesystem::path containerFolder() { return testing::corpusFolder().parent_path() / "containers"; }
std::filesystem::path sharedFolder() { return testing::corpusFolder().parent_path(); }

#define SKIP_WITHOUT_CONTAINERS()                                               \
  if (!std::filesystem::exists(containerFolder() / "README.md")) GTEST_SKIP() \
      << "no containers at " << containerFolder()

std::string run(const std::string& arguments, int& status) {
  std::string output;
  FILE* pipe = popen((std::string(ZARVEX_LIST_PATH) + " " + arguments + " 2>/dev/null").c_str(), "r");
  char buffer[65536];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
  const int raw = pclose(pipe);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return output;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  }
  return lines;
}

// The first `columns` tab-separated columns of each line.
std::vector<std::string> columnsOf(const std::vector<std::string>& lines, int columns) {
  std::vector<std::string> out;
  for (const std::string& line : lines) {
    std::size_t end = 0;
    for (int i = 0; i < columns && end != std::string::npos; ++i) end = line.find('\t', end + (i > 0 ? 1 : 0));
    out.push_back(line.substr(0, end));
  }
  return out;
}

// Every container with an expected listing, nested ones as NAME/PATH.
std::vector<std::string> listedContainers() {
  std::vector<std::string> names;
  const auto expected = containerFolder() / "expected";
  for (const auto& entry : std::filesystem::recursive_directory_iterator(expected)) {
    const std::string name = entry.path().lexically_relative(expected).generic_string();
    if (name.ends_with(".list")) names.push_back(name.substr(0, name.size() - 5));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A program found on the host is read once: whole, while its kind is found,
// and listed from that image as a load from its path lists it.
TEST(HostFiles, AProgramIsReadOnceAndListedFromItsImage) {
  testing::TempFolder folder;
  const std::string program("AMOS Basic V134 \0\0\0\x06\x03\x01\x06\x52\0\0AmBs\0\0", 32);
  const auto write = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(folder.file(name), std::ios::binary) << bytes;
  };
  write("Game.AMOS", program);
  write("Sprites.abk", std::string("AmBk\0\x01\0\0", 8));
  write("Huge.AMOS", "AMOS" + std::string(kProgramImageLimit, 'x'));

  std::map<std::string, std::vector<std::uint8_t>> images;
  forEachSourceFile(
      folder.path().string(), [&](SourceFile& file) { images[file.name] = file.image; }, {}, HostReads::ProgramsWhole);
  bool anyImage = false;
  forEachSourceFile(folder.path().string(), [&](SourceFile& file) { anyImage |= !file.image.empty(); }, {});
  EXPECT_FALSE(anyImage) << "a walk for names and kinds reads no program whole";
  std::vector<std::uint8_t> expected(program.begin(), program.end());
  expected.push_back(0);
  EXPECT_EQ(images.at(folder.file("Game.AMOS")), expected);
  EXPECT_TRUE(images.at(folder.file("Sprites.abk")).empty()) << "no program";
  EXPECT_TRUE(images.at(folder.file("Huge.AMOS")).empty()) << "left to the load, which refuses it";
  // A walk for the banks of every file reads bank files whole too.
  forEachSourceFile(
      folder.path().string(), [&](SourceFile& file) { images[file.name] = file.image; }, {},
      HostReads::ProgramsAndBanksWhole);
  EXPECT_EQ(images.at(folder.file("Game.AMOS")), expected);
  EXPECT_EQ(images.at(folder.file("Sprites.abk")), (std::vector<std::uint8_t>{'A', 'm', 'B', 'k', 0, 1, 0, 0, 0}));
  EXPECT_TRUE(images.at(folder.file("Huge.AMOS")).empty());

  for (ListingStyle style : {ListingStyle::Classic, ListingStyle::Complete}) {
    SilentHost host;
    ListingState fromPath, fromImage;
    const LoadResult loaded = LoadListing(folder.file("Game.AMOS"), fromPath, host, style);
    const LoadResult listed = ListFileImage(folder.file("Game.AMOS"), expected, fromImage, host, style);
    EXPECT_EQ(fromImage.RtfDocument, fromPath.RtfDocument);
    EXPECT_EQ(fromImage.PlainListing, fromPath.PlainListing);
    EXPECT_EQ(fromImage.FileBytes, fromPath.FileBytes);
    EXPECT_EQ(listed.outcome, loaded.outcome);
  }
  SilentHost host;
  ListingState state;
  EXPECT_THROW(ListFileImage("Game.AMOS", {'A', 'M', 'O', 'S'}, state, host, ListingStyle::Classic), RuntimeError)
      << "an image without its zero byte";
  EXPECT_THROW(ListFileImage("Game.AMOS", {}, state, host, ListingStyle::Classic), RuntimeError);
}

TEST(ContainerInventory, EveryContainerListsAsExpected) {
  SKIP_WITHOUT_CONTAINERS();
  const auto containers = listedContainers();
  ASSERT_GE(containers.size(), 12u);
  for (const std::string& name : containers) {
    int status = -1;
    const std::string output = run("--files '" + (containerFolder() / name).string() + "'", status);
    const auto expected = linesOf(testing::readBytes(containerFolder() / "expected" / (name + ".list")));
    const bool damaged = std::any_of(expected.begin(), expected.end(),
                                     [](const std::string& line) { return line.find("\tdamaged\t") != std::string::npos; });
    EXPECT_EQ(status, damaged || name.starts_with("damaged") || name.starts_with("truncated") || name == "padded.adf" ? 3 : 0)
        << name;
    // A damaged archive member's size hangs on the read buffer: its path, kind and status are compared.
    auto ours = columnsOf(linesOf(output), 5), theirs = columnsOf(expected, 5);
    if (name.ends_with(".lha")) {
      for (auto* lines : {&ours, &theirs}) {
        for (std::string& line : *lines) {
          if (line.ends_with("\tdamaged")) line = line.substr(0, line.find('\t')) + "\tdamaged";
        }
      }
    }
    EXPECT_EQ(ours, theirs) << name;
  }
}

TEST(ContainerInventory, RefusedContainersSayWhyAndExitWithOne) {
  SKIP_WITHOUT_CONTAINERS();
  for (const char* name : {"ndos.adf", "stub.dms", "stub_ext.adf", "stub.lzx"}) {
    int status = -1;
    EXPECT_EQ(run("--files '" + (containerFolder() / name).string() + "'", status), "") << name;
    EXPECT_EQ(status, 1) << name;
  }
}

TEST(ContainerNames, LookUpsFindWhatTheyShould) {
  SKIP_WITHOUT_CONTAINERS();
  const std::string prefix = containerFolder().string() + "/";
  int checked = 0;
  for (const std::string& line : linesOf(testing::readBytes(containerFolder() / "expected" / "lookups.tsv"))) {
    const auto tab = line.find('\t');
    const std::string query = line.substr(0, tab), expected = line.substr(tab + 1);
    const ResolvedName found = resolveName(prefix + query);
    if (expected == "not-found" || expected == "ambiguous") {
      EXPECT_FALSE(found.file) << query;
      EXPECT_EQ(found.error, expected == "not-found" ? "not found" : "ambiguous") << query;
    } else {
      ASSERT_TRUE(found.file) << query << ": " << found.error;
      EXPECT_EQ(found.file->name, prefix + expected) << query;
    }
    ++checked;
  }
  EXPECT_EQ(checked, 28);
}

TEST(ContainerContents, ProgramsListAsTheirExpectedListingsAndFilesAreWhole) {
  SKIP_WITHOUT_CONTAINERS();
  int programs = 0, files = 0;
  for (const std::string& name : listedContainers()) {
    for (const std::string& line : linesOf(testing::readBytes(containerFolder() / "expected" / (name + ".list")))) {
      std::vector<std::string> column;
      std::istringstream fields(line);
      for (std::string field; std::getline(fields, field, '\t');) column.push_back(field);
      ASSERT_EQ(column.size(), 7u) << line;
      if (column[4] != "ok" || column[6].find('/') == std::string::npos) continue;  // made for the test, or renamed
      const ResolvedName found = resolveName((containerFolder() / name).string() + "/" + column[0]);
      ASSERT_TRUE(found.file) << name << "/" << column[0];
      const std::string source = testing::readBytes(sharedFolder() / column[6]);
      EXPECT_TRUE(std::string(found.file->bytes.begin(), found.file->bytes.end()) == source)
          << name << "/" << column[0] << " differs from " << column[6];
      ++files;
      if (column[3] != "program" || !column[6].starts_with("corpus/")) continue;
      const auto expected = testing::corpusFolder() / "expected" / (column[6].substr(7) + ".asc");
      EXPECT_TRUE(WalkCompleteListing(found.file->bytes).text == testing::readBytes(expected)) << name << "/" << column[0];
      ++programs;
    }
  }
  EXPECT_GT(files, 300);
  EXPECT_GT(programs, 250);
}

TEST(ContainerSearch, FindOverTheCorpusEqualsAPlainSearchOfItsListings) {
  SKIP_WITHOUT_CORPUS();
  for (const char* text : {"Rainbow", "Procedure", "Screen Open 0", "ß"}) {
    std::vector<std::string> expected;
    for (const std::string& program : testing::corpusPrograms()) {
      const std::string listing = latin1ToUtf8(testing::readBytes(testing::corpusFolder() / "expected" / (program + ".asc")));
      std::istringstream in(listing);
      int number = 0;
      for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.find(text) != std::string::npos) {
          expected.push_back((testing::corpusFolder() / program).lexically_normal().string() + ":" + std::to_string(number) + ":" + line);
        }
      }
    }
    int status = -1;
    auto found = linesOf(run("--find '" + std::string(text) + "' '" + testing::corpusFolder().lexically_normal().string() + "'", status));
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(status, expected.empty() ? 1 : 0) << text;
    EXPECT_EQ(found, expected) << text;
  }
  int status = -1;
  EXPECT_EQ(linesOf(run("--find rainbow -i '" + testing::corpusFolder().string() + "'", status)).size(),
            linesOf(run("--find RAINBOW -i '" + testing::corpusFolder().string() + "'", status)).size());
  EXPECT_FALSE(run("--find rainbow -i '" + testing::corpusFolder().string() + "'", status).empty());
  run("--find x /no/such/folder", status);
  EXPECT_EQ(status, 2);
}

TEST(ContainerExtraction, MembersGoInTheirOwnFoldersUnderTheFolderNamed) {
  SKIP_WITHOUT_CONTAINERS();
  testing::TempFolder folder;
  int status = -1;
  run("--extract '" + folder.path().string() + "' '" + (containerFolder() / "ofs_dd.adf").string() + "'", status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(std::filesystem::exists(folder.path() / "Banks" / "Music.abk.bank03.abk"));
  EXPECT_TRUE(std::filesystem::exists(folder.path() / "Banks" / "Sprites.bank01.image001.png"));
  // The banks of the programs in the nested archive: below its name.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path())) {
    EXPECT_EQ(entry.path().lexically_relative(folder.path()).string().find(".."), std::string::npos);
  }
}

// An Amiga disk may hold a folder named "..". A walk leaves its files out;
// named by a path through it, such a file is not found either, so nothing is
// ever written outside the folder given.
TEST(ContainerExtraction, AMemberBelowAFolderNamedDotDotIsNotFound) {
  testing::AdfBuilder disk(1);  // FFS: data blocks are the file's bytes
  const auto bank = testing::memoryBank(9, 1, "Datas   ", {1, 2, 3, 4});
  const std::uint32_t dots = disk.addDirectory(disk.root(), "..", 900);
  const std::uint32_t header = disk.addFile(dots, "Game.abk", 901, static_cast<std::uint32_t>(bank.size()), 902);
  for (std::size_t i = 0; i < bank.size(); ++i) disk.setByte(disk.dataBlock(header, 1), i, bank[i]);
  testing::TempFolder folder;
  const std::string image = folder.file("disk.adf");
  testing::writeFile(image, disk.image());
  const std::filesystem::path out = folder.path() / "deep" / "out";
  std::filesystem::create_directories(out);

  int status = -1;
  run("--extract '" + out.string() + "' '" + image + "/../Game.abk'", status);
  EXPECT_EQ(status, 1);
  run("--extract '" + out.string() + "' '" + image + "'", status);
  EXPECT_EQ(status, 3) << "the member left out is reported";
  EXPECT_TRUE(std::filesystem::is_empty(out));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path() / "deep"),
                          std::filesystem::directory_iterator()),
            1);
}

// Two disk images with the same members would write the same files: the run
// writes nothing, and the member folders it made on the way are gone again.
TEST(ContainerExtraction, TwoInputsWritingTheSameFilesLeaveNoFolderBehind) {
  SKIP_WITHOUT_CONTAINERS();
  testing::TempFolder folder;
  for (const char* name : {"a.adf", "b.adf"}) {
    std::filesystem::create_symlink(containerFolder() / "ofs_dd.adf", folder.path() / name);
  }
  const std::filesystem::path out = folder.path() / "out";
  std::filesystem::create_directories(out / "Banks");  // the user's own: it stays
  const std::string errors = folder.file("errors.txt");
  const int raw = std::system((std::string(ZARVEX_LIST_PATH) + " --extract '" + out.string() + "' '" +
                               folder.file("a.adf") + "' '" + folder.file("b.adf") + "' >/dev/null 2>'" + errors + "'")
                                  .c_str());
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
  EXPECT_NE(testing::readBytes(errors).find("would be written for both " + folder.file("a.adf") + "/"),
            std::string::npos);
  EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(out), std::filesystem::recursive_directory_iterator()),
            1);
  EXPECT_TRUE(std::filesystem::is_directory(out / "Banks"));

  // Named through a folder that is not there, the user's folder is still not
  // the run's to remove: only "new", which the run made, goes again.
  std::filesystem::remove(out / "Banks");
  int status = -1;
  run("--extract '" + folder.file("new/../out") + "' '" + folder.file("a.adf") + "' '" + folder.file("b.adf") + "'",
      status);
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(std::filesystem::is_directory(out));
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "new"));
}

}  // namespace
}  // namespace zarvex
