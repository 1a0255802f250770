// Every real bank file against its reference outputs: the bank listing, each
// bank's bytes, every picture pixel for pixel and every sample's sound; and
// the banks of the real programs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>

#include "bank_files.h"
#include "bank_kinds.h"
#include "bank_outputs.h"
#include "bank_set.h"
#include "temp_folder.h"

namespace zarvex {
namespace {

using testing::bankFolder;
using testing::readBytes;

std::span<const std::uint8_t> bytesOf(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

int runList(const std::string& arguments) {
  const int status = std::system((std::string(ZARVEX_LIST_PATH) + " " + arguments + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The sound of a WAV file: the bytes of its data chunk.
std::string wavSound(const std::string& wav) {
  for (std::size_t at = 12; at + 8 <= wav.size();) {
    const auto size = static_cast<std::uint32_t>(static_cast<unsigned char>(wav[at + 4]) |
                                                 static_cast<unsigned char>(wav[at + 5]) << 8 |
                                                 static_cast<unsigned char>(wav[at + 6]) << 16 |
                                                 static_cast<unsigned char>(wav[at + 7]) << 24);
    if (wav.compare(at, 4, "data") == 0) return wav.substr(at + 8, size);
    at += 8 + size + (size & 1);
  }
  return "<no data chunk>";
}

// The reference outputs of a bank file: those of the first kinds beside the
// files, those of AMAL, resource, menu and tracker banks in banks-more.
std::vector<std::filesystem::path> referenceFolders() {
  return {bankFolder() / "expected", testing::moreBanksFolder() / "expected"};
}

class BankFileTest : public ::testing::TestWithParam<std::string> {
 protected:
  std::filesystem::path file() const {
    const auto here = bankFolder() / GetParam();
    return std::filesystem::exists(here) ? here : testing::moreBanksFolder() / GetParam();
  }
  std::filesystem::path expected(const std::string& name) const {
    for (const auto& folder : referenceFolders()) {
      if (std::filesystem::exists(folder / name)) return folder / name;
    }
    return bankFolder() / "expected" / name;
  }
};

TEST_P(BankFileTest, ListingMatchesTheReference) {
  SKIP_WITHOUT_BANKS();
  const std::string bytes = readBytes(file());
  const BankSet set = readBanks(bytesOf(bytes));
  EXPECT_FALSE(set.damaged) << set.damage;
  std::string listing;
  for (const Bank& bank : set.banks) listing += bankListingLine(bank) + '\n';
  EXPECT_EQ(listing, readBytes(expected(GetParam() + ".banks")));
}

TEST_P(BankFileTest, ExtractionWritesTheReferenceFiles) {
  SKIP_WITHOUT_BANKS();
  testing::TempFolder folder;
  ASSERT_EQ(runList("--extract '" + folder.path().string() + "' '" + file().string() + "'"), 0);
  std::vector<std::string> references;
  for (const auto& folder : referenceFolders()) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      const bool reference = name.starts_with(GetParam() + ".bank") && !name.ends_with(".banks");
      if (reference && std::find(references.begin(), references.end(), name) == references.end()) {
        references.push_back(name);
      }
    }
  }
  ASSERT_FALSE(references.empty());
  std::size_t written = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    (void)entry;
    ++written;
  }
  EXPECT_EQ(written, references.size()) << "exactly the reference files, no more";
  for (const std::string& name : references) {
    const std::filesystem::path ours = folder.path() / name;
    ASSERT_TRUE(std::filesystem::exists(ours)) << name;
    if (name.ends_with(".png")) {
      const auto a = testing::readPngAsRgb(ours), b = testing::readPngAsRgb(expected(name));
      ASSERT_FALSE(a.rgb.empty()) << name;
      EXPECT_EQ(a.width, b.width) << name;
      EXPECT_EQ(a.height, b.height) << name;
      EXPECT_TRUE(a.rgb == b.rgb) << name << ": pixels differ";
    } else if (name.ends_with(".wav")) {
      EXPECT_TRUE(wavSound(readBytes(ours)) == wavSound(readBytes(expected(name)))) << name;
    } else {
      EXPECT_TRUE(readBytes(ours) == readBytes(expected(name))) << name;
    }
  }
}

std::string testName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name;
  for (char c : info.param) name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
  return name;
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(BankFileTest);
INSTANTIATE_TEST_SUITE_P(Banks, BankFileTest, ::testing::ValuesIn(testing::bankFiles()), testName);
INSTANTIATE_TEST_SUITE_P(MoreBanks, BankFileTest, ::testing::Values("Data.Menu", "Tracker.Abk"), testName);

TEST(BankFiles, AllSixteenAreThere) {
  SKIP_WITHOUT_BANKS();
  EXPECT_EQ(testing::bankFiles().size(), 16u);
}

TEST(BankFiles, RealProgramsWithBanksListAndExtract) {
  SKIP_WITHOUT_CORPUS();
  const std::pair<const char*, const char*> programs[] = {
      {"Tutorial/Tutorials/AMAL/AMAL_4.AMOS", "1 Sprites chip 108 1 images\n"},
      {"Tutorial/Tutorials/AMAL/AMAL_7.AMOS", "5 Samples chip 1920 1 samples\n"},
      {"Tutorial/Tutorials/Interface/Sliders.AMOS", "16 Resource fast 7048\n"},
      {"Accessories/Disc_Manager.AMOS",
       "16 Resource fast 2554\n12 Asm fast 736\n9 Datas fast 3092\n10 Data fast 16716\n"},
      {"Examples/Examples/H-4/Help_42.AMOS", ""},
  };
  for (const auto& [program, listing] : programs) {
    const std::string bytes = readBytes(testing::corpusFolder() / program);
    const BankSet set = readBanks(bytesOf(bytes));
    EXPECT_FALSE(set.damaged) << program << ": " << set.damage;
    std::string text;
    for (const Bank& bank : set.banks) text += bankListingLine(bank) + '\n';
    EXPECT_EQ(text, listing) << program;
    testing::TempFolder folder;
    EXPECT_EQ(runList("--extract '" + folder.path().string() + "' '" + (testing::corpusFolder() / program).string() + "'"), 0)
        << program;
  }
}

}  // namespace
}  // namespace zarvex
