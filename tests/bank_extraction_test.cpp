// zarvex-list --extract of the real bank files as a whole: its files appear
// whole or not at all. A file that cannot be written ends the run with none
// of its files in place and nothing half-written beside them; a run over an
// earlier one replaces each file whole and keeps its permissions.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <map>

#include "bank_files.h"
#include "temp_folder.h"

namespace zarvex {
namespace {

using testing::bankFolder;
using testing::readBytes;

class BankExtractionTest : public ::testing::Test {
 protected:
  // zarvex-list --extract `out` with every real bank file; standard error kept.
  int extractAll(const std::filesystem::path& out) {
    std::string command = std::string(ZARVEX_LIST_PATH) + " --extract '" + out.string() + "'";
    for (const std::string& name : testing::bankFiles()) command += " '" + (bankFolder() / name).string() + "'";
    const int status = std::system((command + " >/dev/null 2>'" + folder.file("stderr.txt") + "'").c_str());
    err = readBytes(folder.file("stderr.txt"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // The files below `at`, by name, with their bytes.
  static std::map<std::string, std::string> filesIn(const std::filesystem::path& at) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(at)) {
      files[entry.path().filename().string()] = entry.is_regular_file() ? readBytes(entry.path()) : "<folder>";
    }
    return files;
  }

  testing::TempFolder folder;
  std::string err;
};

TEST_F(BankExtractionTest, AFileThatCannotBeWrittenEndsTheRunWithNoneOfItsFiles) {
  SKIP_WITHOUT_BANKS();
  const std::filesystem::path out = folder.path() / "out";
  std::filesystem::create_directory(out);
  // A folder where the run, halfway through, would put a file.
  const std::string taken = "Mixture.abk.bank00.sample008.wav";
  std::filesystem::create_directory(out / taken);
  EXPECT_EQ(extractAll(out), 1);
  EXPECT_NE(err.find("Cannot write " + (out / taken).string() + ": replacing it (Is a directory)"), std::string::npos)
      << err;
  // The files of the banks before it were written under other names and removed.
  EXPECT_EQ(filesIn(out), (std::map<std::string, std::string>{{taken, "<folder>"}}));
}

TEST_F(BankExtractionTest, ARunOverAnEarlierOneReplacesEachFileWholeKeepingItsPermissions) {
  SKIP_WITHOUT_BANKS();
  const std::filesystem::path out = folder.path() / "out";
  std::filesystem::create_directory(out);
  ASSERT_EQ(extractAll(out), 0) << err;
  const auto first = filesIn(out);
  ASSERT_GT(first.size(), 200u);
  const std::filesystem::path mine = out / "Bobs.abk.bank01.image001.png", cut = out / "Music.abk.bank03.abk";
  ASSERT_EQ(chmod(mine.c_str(), 0600), 0);
  std::filesystem::resize_file(cut, 10);

  ASSERT_EQ(extractAll(out), 0) << err;
  EXPECT_TRUE(filesIn(out) == first) << "the same files, whole, and no others beside them";
  struct stat info {};
  ASSERT_EQ(stat(mine.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
}

}  // namespace
}  // namespace zarvex
