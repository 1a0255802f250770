// Writing a file whole or not at all: the bytes arrive, a file replaced keeps
// its permissions, and a folder that takes no file leaves nothing behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "atomic_file.h"
#include "runtime_error.h"
#include "temp_folder.h"

namespace zarvex {
namespace {

mode_t modeOf(const std::string& path) {
  struct stat info {};
  stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

TEST(AtomicFile, AReplacedFileKeepsItsPermissions) {
  testing::TempFolder folder;
  const std::string path = folder.file("kept.txt");
  const std::vector<std::uint8_t> first = {'o', 'n', 'e'}, second = {'t', 'w', 'o', '!'};
  writeFileAtomically(path, first);
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  writeFileAtomically(path, second);
  EXPECT_EQ(modeOf(path), 0600u);
  EXPECT_EQ(std::filesystem::file_size(path), 4u);
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), std::filesystem::directory_iterator()), 1);
}

TEST(AtomicFile, AFolderThatIsNotThereIsAMessage) {
  testing::TempFolder folder;
  EXPECT_THROW(writeFileAtomically(folder.file("no/such/folder/x"), std::vector<std::uint8_t>{1}), RuntimeError);
}

}  // namespace
}  // namespace zarvex
