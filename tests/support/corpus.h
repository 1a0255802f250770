// The shared corpus of real AMOS programs and their expected listings, read
// in place from the folder the build names.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace zarvex::testing {

inline std::filesystem::path corpusFolder() { return ZARVEX_CORPUS_DIR; }

// False on a machine without the corpus beside the project; its tests skip.
inline bool corpusAvailable() { return std::filesystem::exists(corpusFolder() / "README.md"); }

#define SKIP_WITHOUT_CORPUS() \
  if (!::zarvex::testing::corpusAvailable()) GTEST_SKIP() << "no corpus at " << ::zarvex::testing::corpusFolder()

// Programs of the corpus with their procedures enciphered, and their expected
// complete listings: the folder beside the corpus.
inline std::filesystem::path lockedFolder() {
  std::filesystem::path corpus = corpusFolder().lexically_normal();
  if (!corpus.has_filename()) corpus = corpus.parent_path();
  return corpus.parent_path() / "locked";
}

inline bool lockedAvailable() { return std::filesystem::exists(lockedFolder() / "README.md"); }

#define SKIP_WITHOUT_LOCKED_PROGRAMS() \
  if (!::zarvex::testing::lockedAvailable()) GTEST_SKIP() << "no locked programs at " << ::zarvex::testing::lockedFolder()

// Every program in the corpus, as paths relative to its folder, sorted.
inline std::vector<std::string> corpusPrograms() {
  std::vector<std::string> programs;
  std::error_code ec;
  for (std::filesystem::recursive_directory_iterator it(corpusFolder(), ec), end; !ec && it != end; it.increment(ec)) {
    const auto relative = std::filesystem::relative(it->path(), corpusFolder()).generic_string();
    if (it->is_regular_file() && it->path().extension() == ".AMOS" && !relative.starts_with("expected/")) {
      programs.push_back(relative);
    }
  }
  std::sort(programs.begin(), programs.end());
  return programs;
}

inline std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace zarvex::testing
