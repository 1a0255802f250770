// Damaged banks: every truncation of real bank files and random byte flips.
// The reader never crashes or reads outside its bytes (the sanitizer build
// checks the reads), keeps the banks before the damage, and zarvex-list
// answers 0 or 3.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <random>

#include "bank_builder.h"
#include "bank_file.h"
#include "bank_files.h"
#include "bank_kinds.h"
#include "bank_outputs.h"
#include "bank_set.h"
#include "runtime_error.h"
#include "temp_folder.h"

namespace zarvex {
namespace {

std::span<const std::uint8_t> bytesOf(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// Reads every bank and every output of it; returns how many banks were whole.
std::size_t readEverything(const std::string& bytes, bool& damaged) {
  const BankSet set = readBanks(bytesOf(bytes));
  damaged = set.damaged;
  if (set.damaged) {
    EXPECT_GE(set.damageOffset, 0);
    EXPECT_LE(set.damageOffset, static_cast<std::int64_t>(bytes.size()));
    EXPECT_FALSE(set.damage.empty());
  }
  for (const Bank& bank : set.banks) {
    EXPECT_LE(bank.offset + bank.bytes.size(), bytes.size());
    try {
      forEachBankOutput("x", bank, [](const BankOutput& output) {
        if (output.picture != nullptr) {
          EXPECT_EQ(output.picture->rgb.size(),
                    static_cast<std::size_t>(output.picture->width) * static_cast<std::size_t>(output.picture->height));
        }
      });
    } catch (const BankDamage& d) {
      damaged = true;
      EXPECT_LE(d.offset, static_cast<std::int64_t>(bank.bytes.size()));
    }
  }
  return set.banks.size();
}

TEST(DamagedBanks, EveryTruncationKeepsTheBanksBeforeTheCut) {
  SKIP_WITHOUT_BANKS();
  for (const char* name : {"Col.Abk", "Install_Banks.Abs"}) {
    const std::string whole = testing::readBytes(testing::bankFolder() / name);
    ASSERT_FALSE(whole.empty()) << name;
    bool damaged = false;
    const std::size_t banks = readEverything(whole, damaged);
    ASSERT_FALSE(damaged) << name;
    const BankSet full = readBanks(bytesOf(whole));
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
      const std::size_t kept = readEverything(whole.substr(0, cut), damaged);
      EXPECT_TRUE(damaged) << name << " cut at " << cut;
      EXPECT_LT(kept, banks) << name << " cut at " << cut;
      // A bank is kept exactly when it ends before the cut.
      std::size_t whole_before = 0;
      for (const Bank& bank : full.banks) whole_before += bank.offset + bank.bytes.size() <= cut ? 1 : 0;
      EXPECT_EQ(kept, whole_before) << name << " cut at " << cut;
    }
  }
}

TEST(DamagedBanks, RandomByteFlipsNeverHurt) {
  SKIP_WITHOUT_BANKS();
  std::mt19937 random(20261207);
  for (const char* name : {"Install_Banks.Abs", "level1_screen.abk", "Mixture.abk"}) {
    const std::string whole = testing::readBytes(testing::bankFolder() / name);
    for (int round = 0; round < 200; ++round) {
      std::string damaged = whole;
      const int flips = 1 + static_cast<int>(random() % 8);
      for (int i = 0; i < flips; ++i) damaged[random() % damaged.size()] = static_cast<char>(random() & 0xFF);
      bool wasDamaged = false;
      readEverything(damaged, wasDamaged);
    }
  }
}

TEST(DamagedBanks, ZarvexListSaysDamagedAndKeepsWhatCameBefore) {
  SKIP_WITHOUT_BANKS();
  const std::string whole = testing::readBytes(testing::bankFolder() / "Install_Banks.Abs");
  testing::TempFolder folder;
  const std::string cut = folder.file("cut.Abs");
  {
    std::FILE* f = std::fopen(cut.c_str(), "wb");
    std::fwrite(whole.data(), 1, whole.size() / 2, f);
    std::fclose(f);
  }
  const std::string out = folder.file("out");
  std::filesystem::create_directory(out);
  const std::string command = std::string(ZARVEX_LIST_PATH) + " --extract '" + out + "' '" + cut + "' 2>/dev/null";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(out) / "cut.Abs.bank01.abk"));
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(out) / "cut.Abs.bank01.image001.png"));
  for (const auto& entry : std::filesystem::directory_iterator(out)) {
    EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos) << "no half-written file";
  }
}

}  // namespace
}  // namespace zarvex

namespace zarvex {
namespace {

int runQuiet(const std::string& arguments) {
  const int status = std::system((std::string(ZARVEX_LIST_PATH) + " " + arguments + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::size_t filesIn(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(
      std::distance(std::filesystem::recursive_directory_iterator(folder), std::filesystem::recursive_directory_iterator()));
}

TEST(ExtractionLimits, TwoInputsThatWouldWriteTheSameFileWriteNothing) {
  testing::TempFolder folder;
  const auto bank = testing::memoryBank(9, 1, "Datas   ", {1, 2, 3, 4});
  std::filesystem::create_directories(folder.path() / "a");
  std::filesystem::create_directories(folder.path() / "b");
  testing::writeFile(folder.file("a/Game.abk"), bank);
  testing::writeFile(folder.file("b/Game.abk"), bank);
  const std::string out = folder.file("out");
  std::filesystem::create_directory(out);
  EXPECT_EQ(runQuiet("--extract '" + out + "' '" + folder.file("a/Game.abk") + "' '" + folder.file("b/Game.abk") + "'"), 1);
  EXPECT_EQ(filesIn(out), 0u);
}

// A bank file taken from an image a walk read is the file read from its
// path: the same banks, and the same refusals.
TEST(ExtractionLimits, ABankFileFromItsImageIsTheFileFromItsPath) {
  testing::TempFolder folder;
  const auto bank = testing::memoryBank(9, 1, "Datas   ", {1, 2, 3, 4});
  testing::writeFile(folder.file("Game.abk"), bank);
  std::vector<std::uint8_t> image(bank.begin(), bank.end());
  image.push_back(0);
  const BankFile fromPath = BankFile::read(folder.file("Game.abk"));
  const BankFile fromImage = BankFile::fromImage(folder.file("Game.abk"), image);
  EXPECT_TRUE(std::equal(fromPath.bytes().begin(), fromPath.bytes().end(), fromImage.bytes().begin(),
                         fromImage.bytes().end()));
  ASSERT_EQ(fromImage.banks().banks.size(), 1u);
  EXPECT_EQ(fromImage.banks().banks[0].number, fromPath.banks().banks[0].number);

  const auto refusal = [](const std::function<void()>& read) {
    try {
      read();
    } catch (const RuntimeError& e) {
      return e.description();
    }
    return std::string("no refusal");
  };
  testing::writeFile(folder.file("Notes.txt"), testing::Bytes{'h', 'e', 'l', 'l', 'o'});
  EXPECT_EQ(refusal([&] { BankFile::fromImage(folder.file("Notes.txt"), {'h', 'e', 'l', 'l', 'o', 0}); }),
            refusal([&] { BankFile::read(folder.file("Notes.txt")); }));
  EXPECT_EQ(refusal([&] { BankFile::fromImage("Big.abk", std::vector<std::uint8_t>(kMaxBankFileSize + 2)); }),
            "Big.abk is too big to be a bank file");
  EXPECT_EQ(refusal([&] { BankFile::fromImage("Big.abk", std::vector<std::uint8_t>(kMaxBankFileSize + 1)); }),
            "Big.abk is neither an AMOS program nor a bank file")
      << "the largest file is no longer refused for its size";
}

TEST(ExtractionLimits, ASmallFileCannotAskForGigabytesOfOutput) {
  // 140 table entries, every one pointing at the same 1 MiB sound: 140 MiB of
  // WAV files from a file of 1 MiB. Writing stops at the allowance (128 MiB).
  const std::uint32_t entries = 140, sound = 1u << 20;
  testing::Bytes data;
  const auto put = [&](std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) data.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  };
  put(entries, 2);
  const std::uint32_t sample = 2 + 4 * entries;
  for (std::uint32_t i = 0; i < entries; ++i) put(sample, 4);
  for (char c : std::string("Boom    ")) data.push_back(static_cast<std::uint8_t>(c));
  put(8000, 2);
  put(sound, 4);
  data.resize(data.size() + sound, 0x10);
  testing::TempFolder folder;
  testing::writeFile(folder.file("boom.abk"), testing::memoryBank(5, 0, "Samples ", data));
  const std::string out = folder.file("out");
  std::filesystem::create_directory(out);
  EXPECT_EQ(runQuiet("--extract '" + out + "' '" + folder.file("boom.abk") + "'"), 3);
  std::uint64_t total = 0;
  for (const auto& entry : std::filesystem::directory_iterator(out)) total += entry.file_size();
  EXPECT_LE(total, 64u * (sound + 1000) + (64u << 20));
  EXPECT_GT(total, 100u << 20);
}

}  // namespace
}  // namespace zarvex

namespace zarvex {
namespace {

TEST(DamagedBanks, AProgramWhoseBanksAreCutListsWholeAndSaysSo) {
  testing::TempFolder folder;
  testing::Bytes program = testing::amosFileWithBanks({testing::TokenLine().token(0x0476)},
                                                      {testing::memoryBank(9, 1, "Datas   ", {1, 2, 3, 4})});
  program.resize(program.size() - 3);  // the bank set cut short
  testing::writeFile(folder.file("cut.AMOS"), program);
  for (const char* style : {"--text", "--rtf", "--asc", "--complete"}) {
    EXPECT_EQ(runQuiet(std::string(style) + " '" + folder.file("cut.AMOS") + "'"), 3) << style;
  }
  // Junk after the last bank is damage too.
  testing::Bytes junk = testing::memoryBank(9, 1, "Datas   ", {1, 2, 3, 4});
  junk.push_back(0);
  testing::writeFile(folder.file("junk.abk"), junk);
  EXPECT_EQ(runQuiet("--banks '" + folder.file("junk.abk") + "'"), 3);
  const BankSet set = readBanks(junk);
  EXPECT_EQ(set.banks.size(), 1u);
  EXPECT_TRUE(set.damaged);
  EXPECT_NE(set.damage.find("1 byte after the last bank"), std::string::npos);
}

}  // namespace
}  // namespace zarvex

namespace zarvex {
namespace {

TEST(DamagedBanks, BanksAndExtractFindTheSameDamage) {
  // A sample whose sound runs past the bank's end.
  testing::Bytes data = {0, 1, 0, 0, 0, 6, 'S', 'o', 'u', 'n', 'd', ' ', ' ', ' ', 0x1F, 0x40, 0, 0, 0x10, 0, 1, 2, 3};
  testing::TempFolder folder;
  testing::writeFile(folder.file("short.abk"), testing::memoryBank(5, 0, "Samples ", data));
  EXPECT_EQ(runQuiet("--banks '" + folder.file("short.abk") + "'"), 3);
  const std::string out = folder.file("out");
  std::filesystem::create_directory(out);
  EXPECT_EQ(runQuiet("--extract '" + out + "' '" + folder.file("short.abk") + "'"), 3);
}

}  // namespace
}  // namespace zarvex
