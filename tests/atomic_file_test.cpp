// Writing files whole or not at all: the bytes arrive, a file replaced keeps
// its permissions, and a folder that takes no file leaves nothing behind. A
// batch puts its files in place only when committed, and a batch that fails
// or is dropped leaves each target as it was or whole, never a new file
// beside it.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

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

std::vector<std::uint8_t> bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::string contentOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every entry below `folder`, by its path relative to it, sorted.
std::vector<std::string> entriesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    names.push_back(std::filesystem::relative(entry.path(), folder).string());
  }
  std::sort(names.begin(), names.end());
  return names;
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

TEST(AtomicFile, ANewFileGetsThePermissionsTheUserMaskLeaves) {
  testing::TempFolder folder;
  const mode_t previous = umask(027);
  writeFileAtomically(folder.file("new.txt"), bytes("new"));
  umask(previous);
  EXPECT_EQ(modeOf(folder.file("new.txt")), 0640u);
}

TEST(AtomicFileBatch, FilesTakeTheirPlacesOnlyWhenCommitted) {
  testing::TempFolder folder;
  std::filesystem::create_directory(folder.path() / "sub");
  const std::string old = folder.file("old.txt"), fresh = folder.file("fresh.txt"), below = folder.file("sub/below.txt");
  writeFileAtomically(old, bytes("before"));
  ASSERT_EQ(chmod(old.c_str(), 0604), 0);

  AtomicFileBatch batch;
  batch.add(old, bytes("after"));
  batch.add(fresh, bytes("fresh"));
  batch.add(below, bytes("below"));
  EXPECT_EQ(batch.size(), 3u);
  // Until the commit, the targets are as they were; the new bytes wait beside them.
  EXPECT_EQ(contentOf(old), "before");
  EXPECT_FALSE(std::filesystem::exists(fresh));
  EXPECT_FALSE(std::filesystem::exists(below));
  EXPECT_EQ(entriesIn(folder.path()).size(), 3u + 2u);

  batch.commit();
  EXPECT_EQ(batch.size(), 0u);
  EXPECT_EQ(contentOf(old), "after");
  EXPECT_EQ(modeOf(old), 0604u);
  EXPECT_EQ(contentOf(fresh), "fresh");
  EXPECT_EQ(contentOf(below), "below");
  EXPECT_EQ(entriesIn(folder.path()), (std::vector<std::string>{"fresh.txt", "old.txt", "sub", "sub/below.txt"}));
}

// After its first file, a batch reads a folder's names once rather than
// looking each target up: the files already there are still found, wherever
// they come in the batch and whatever the case of their letters, and so is a
// folder in a file's place. A folder with a name beyond ASCII is not read.
TEST(AtomicFileBatch, EveryFileReplacedInABusyFolderKeepsItsPermissions) {
  testing::TempFolder folder;
  const mode_t modes[] = {0600, 0640, 0604, 0644};
  const auto old = [&](int i) { return folder.file("Old" + std::to_string(i) + ".Txt"); };
  for (int i = 0; i < 4; ++i) {
    writeFileAtomically(old(i), bytes("before"));
    ASSERT_EQ(chmod(old(i).c_str(), modes[i]), 0);
  }
  std::filesystem::create_directory(folder.path() / "Taken.txt");
  std::filesystem::create_directory(folder.path() / "accents");
  const std::string accented = folder.file("accents/\xc3\x84rger.txt");  // UTF-8, not plain ASCII
  writeFileAtomically(accented, bytes("before"));
  ASSERT_EQ(chmod(accented.c_str(), 0600), 0);

  AtomicFileBatch batch;
  for (int i = 0; i < 4; ++i) {
    batch.add(folder.file("new" + std::to_string(i) + ".txt"), bytes("new"));
    batch.add(old(i), bytes("after"));
  }
  EXPECT_THROW(batch.add(folder.file("Taken.txt"), bytes("x")), RuntimeError);
  batch.add(folder.file("accents/first.txt"), bytes("first"));
  batch.add(accented, bytes("after"));
  batch.commit();
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(contentOf(old(i)), "after");
    EXPECT_EQ(modeOf(old(i)), modes[i]) << i;
  }
  EXPECT_EQ(contentOf(accented), "after");
  EXPECT_EQ(modeOf(accented), 0600u);
  EXPECT_EQ(entriesIn(folder.path()).size(), 12u);
}

TEST(AtomicFileBatch, ABatchDroppedUncommittedLeavesNoTrace) {
  testing::TempFolder folder;
  writeFileAtomically(folder.file("old.txt"), bytes("before"));
  {
    AtomicFileBatch batch;
    batch.add(folder.file("old.txt"), bytes("after"));
    batch.add(folder.file("new.txt"), bytes("new"));
  }
  EXPECT_EQ(contentOf(folder.file("old.txt")), "before");
  EXPECT_EQ(entriesIn(folder.path()), std::vector<std::string>{"old.txt"});
}

TEST(AtomicFileBatch, AFileThatCannotBeMadeIsNamedWithItsReason) {
  testing::TempFolder folder;
  std::filesystem::create_directory(folder.path() / "taken.png");
  const struct {
    std::string path;
    const char* reason;
  } cases[] = {
      {folder.file("taken.png"), "Is a directory"},
      {folder.file("missing/x.png"), "No such file or directory"},
      {folder.file("taken.png/"), "Is a directory"},
  };
  for (const auto& c : cases) {
    AtomicFileBatch batch;
    batch.add(folder.file("first.png"), bytes("first"));
    try {
      batch.add(c.path, bytes("second"));
      ADD_FAILURE() << c.path << " was taken";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), kErrPathAccess);
      EXPECT_NE(e.description().find("Cannot write " + c.path + ": "), std::string::npos) << e.description();
      EXPECT_NE(e.description().find(c.reason), std::string::npos) << e.description();
    }
    EXPECT_EQ(batch.size(), 1u) << "the file before stays pending";
  }
  // Each batch, dropped, took its pending file with it.
  EXPECT_EQ(entriesIn(folder.path()), std::vector<std::string>{"taken.png"});
}

TEST(AtomicFileBatch, ACommitThatFailsHalfwayLeavesEachTargetOldOrWhole) {
  testing::TempFolder folder;
  writeFileAtomically(folder.file("c.txt"), bytes("old c"));
  AtomicFileBatch batch;
  batch.add(folder.file("a.txt"), bytes("new a"));
  batch.add(folder.file("b.txt"), bytes("new b"));
  batch.add(folder.file("c.txt"), bytes("new c"));
  // Something takes b's name after its bytes were written: it cannot be put in place.
  std::filesystem::create_directory(folder.path() / "b.txt");
  std::filesystem::create_directory(folder.path() / "b.txt" / "inside");
  try {
    batch.commit();
    ADD_FAILURE() << "the commit succeeded";
  } catch (const RuntimeError& e) {
    EXPECT_NE(e.description().find("Cannot write " + folder.file("b.txt") + ": replacing it"), std::string::npos)
        << e.description();
  }
  EXPECT_EQ(batch.size(), 0u);
  EXPECT_EQ(contentOf(folder.file("a.txt")), "new a");
  EXPECT_EQ(contentOf(folder.file("c.txt")), "old c");
  EXPECT_EQ(entriesIn(folder.path()), (std::vector<std::string>{"a.txt", "b.txt", "b.txt/inside", "c.txt"}));
}

TEST(AtomicFileBatch, FilesInManyFoldersNeedNoDescriptorEach) {
  // A container's members keep their folders: more folders than this
  // process may hold descriptors.
  testing::TempFolder folder;
  rlimit previous{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &previous), 0);
  rlimit few = previous;
  few.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &few), 0);
  AtomicFileBatch batch;
  bool committed = false;
  try {
    for (int i = 0; i < 200; ++i) {
      const std::filesystem::path sub = folder.path() / std::to_string(i);
      std::filesystem::create_directory(sub);
      batch.add((sub / "x.txt").string(), bytes(std::to_string(i)));
    }
    batch.commit();
    committed = true;
  } catch (const RuntimeError& e) {
    ADD_FAILURE() << e.description();
  }
  setrlimit(RLIMIT_NOFILE, &previous);
  ASSERT_TRUE(committed);
  EXPECT_EQ(contentOf(folder.file("199/x.txt")), "199");
  EXPECT_EQ(entriesIn(folder.path()).size(), 400u);
}

TEST(AtomicFileBatch, AnEmptyBatchCommitsNothing) {
  testing::TempFolder folder;
  AtomicFileBatch batch;
  EXPECT_NO_THROW(batch.commit());
  EXPECT_TRUE(entriesIn(folder.path()).empty());
}

}  // namespace
}  // namespace zarvex
