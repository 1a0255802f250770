// The shared folder of real bank files with their reference outputs, read in
// place, and a PNG reader for comparing pictures pixel for pixel.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "corpus.h"

namespace zarvex::testing {

inline std::filesystem::path bankFolder() { return corpusFolder().parent_path() / "banks"; }

// The second folder: AMAL, resource, menu and tracker references, two more bank files.
inline std::filesystem::path moreBanksFolder() { return corpusFolder().parent_path() / "banks-more"; }

inline bool banksAvailable() {
  return std::filesystem::exists(bankFolder() / "README.md") && std::filesystem::exists(moreBanksFolder() / "README.md");
}

#define SKIP_WITHOUT_BANKS() \
  if (!::zarvex::testing::banksAvailable()) GTEST_SKIP() << "no bank files at " << ::zarvex::testing::bankFolder()

// The bank files (not the reference outputs), by file name, sorted.
inline std::vector<std::string> bankFiles() {
  std::vector<std::string> files;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(bankFolder(), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (it->is_regular_file() && name != "README.md") files.push_back(name);
  }
  std::sort(files.begin(), files.end());
  return files;
}

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // 3 bytes a pixel; empty when the file could not be read
};

// Any PNG file, as 8-bit RGB (alpha dropped).
RgbImage readPngAsRgb(const std::filesystem::path& path);

}  // namespace zarvex::testing
