// AMAL, resource, menu, tracker and music banks: the summary lines of the
// real files, banks built here for what the real files do not hold, and
// damaged banks (every cut of their data, random flips), which give their
// outputs up to the damage and never read outside the bank.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <random>

#include "amal_bank.h"
#include "bank_builder.h"
#include "bank_files.h"
#include "bank_kinds.h"
#include "bank_outputs.h"
#include "bank_set.h"
#include "md5.h"
#include "menu_bank.h"
#include "temp_folder.h"

namespace zarvex {
namespace {

using testing::Bytes;

std::span<const std::uint8_t> bytesOf(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::string run(const std::string& arguments, int& status) {
  std::string output;
  FILE* pipe = popen((std::string(ZARVEX_LIST_PATH) + " " + arguments + " 2>/dev/null").c_str(), "r");
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
  const int raw = pclose(pipe);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return output;
}

std::filesystem::path realBank(const std::string& name) {
  const auto here = testing::bankFolder() / name;
  return std::filesystem::exists(here) ? here : testing::moreBanksFolder() / name;
}

TEST(BankSummaries, RealFilesGiveTheReferenceLines) {
  SKIP_WITHOUT_BANKS();
  for (const char* name : {"Data.Menu", "Tracker.Abk", "Example_Resource.Abk", "Install_Banks.Abs", "Music.abk",
                           "PLay_Data.Abk"}) {
    int status = -1;
    const std::string summary = run("--summary '" + realBank(name).string() + "'", status);
    EXPECT_EQ(status, 0) << name;
    EXPECT_EQ(summary, testing::readBytes(testing::moreBanksFolder() / "expected" / (std::string(name) + ".summary")))
        << name;
  }
}

TEST(BankSounds, RenderWritesTheTrackerModulesSoundAsAWavFile) {
  SKIP_WITHOUT_BANKS();
  testing::TempFolder folder;
  int status = -1;
  run("--render '" + folder.path().string() + "' '" + realBank("Tracker.Abk").string() + "' '" +
          realBank("Mixture.abk").string() + "'",
      status);
  EXPECT_EQ(status, 0);
  const std::string wav = testing::readBytes(folder.path() / "Tracker.Abk.bank06.music.wav");
  ASSERT_EQ(wav.size(), 44u + 18'966'528u);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  testing::Md5 md5;
  md5.add(bytesOf(wav).subspan(44));
  EXPECT_EQ(md5.hex(), "052e007084ef52e863c1d597259a8728");
  // Banks without music make no sound file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), std::filesystem::directory_iterator()), 1);
}

// The first bank of `file`, as a whole file of its own.
std::string firstBank(const std::string& file, BankKind kind) {
  for (const Bank& bank : readBanks(bytesOf(file)).banks) {
    if (bank.kind == kind) return {reinterpret_cast<const char*>(bank.bytes.data()), bank.bytes.size()};
  }
  return {};
}

// `bank` with its data cut to `size` bytes and its length field saying so.
std::string cutData(const std::string& bank, std::size_t size) {
  std::string cut = bank.substr(0, 20 + size);
  const std::uint32_t length = static_cast<std::uint32_t>(8 + size) | 0x80000000u;
  for (int i = 0; i < 4; ++i) cut[8 + static_cast<std::size_t>(i)] = static_cast<char>(length >> (24 - 8 * i));
  return cut;
}

// Every output and the summary of the one bank in `file`; the file is given
// its exact size so that the sanitizer build sees any read past it.
void readAll(const std::string& file, std::vector<std::string>* names = nullptr) {
  const std::vector<std::uint8_t> exact(file.begin(), file.end());
  const BankSet set = readBanks(exact);
  for (const Bank& bank : set.banks) {
    const auto summary = bankSummary(bank);
    try {
      forEachBankOutput("x", bank, [&](const BankOutput& output) {
        if (names != nullptr) names->push_back(output.name);
      });
      // The outputs read all that a summary reads (a music bank's outputs
      // read nothing but its bytes).
      if (summary && bank.kind != BankKind::Music) {
        EXPECT_FALSE(summary->damaged) << summary->line;
      }
    } catch (const BankDamage& damage) {
      EXPECT_GE(damage.offset, 0);
      EXPECT_LE(damage.offset, static_cast<std::int64_t>(bank.bytes.size()));
      EXPECT_FALSE(damage.what.empty());
    }
  }
}

TEST(DamagedBankKinds, EveryCutOfTheDataGivesOutputsUpToTheDamage) {
  SKIP_WITHOUT_BANKS();
  const std::pair<const char*, BankKind> banks[] = {
      {"Data.Menu", BankKind::Menu},           {"Tracker.Abk", BankKind::Tracker},
      {"PLay_Data.Abk", BankKind::Amal},       {"Example_Resource.Abk", BankKind::Resource},
      {"Install_Banks.Abs", BankKind::Resource}, {"Music.abk", BankKind::Music},
  };
  for (const auto& [name, kind] : banks) {
    const std::string bank = firstBank(testing::readBytes(realBank(name)), kind);
    ASSERT_FALSE(bank.empty()) << name;
    std::vector<std::string> whole;
    readAll(bank, &whole);
    const std::size_t data = bank.size() - 20;
    // Every cut near the start, where the tables are, then a spread of them.
    for (std::size_t size = 0; size < data; size += size < 1200 ? 1 : 1 + data / 600) {
      std::vector<std::string> made;
      readAll(cutData(bank, size), &made);
      ASSERT_LE(made.size(), whole.size()) << name << " cut at " << size;
      for (std::size_t i = 0; i < made.size(); ++i) EXPECT_EQ(made[i], whole[i]) << name << " cut at " << size;
    }
  }
}

TEST(DamagedBankKinds, RandomFlipsNeverHurt) {
  SKIP_WITHOUT_BANKS();
  std::mt19937 random(20261208);
  for (const auto& [name, kind] : {std::pair{"Data.Menu", BankKind::Menu}, std::pair{"PLay_Data.Abk", BankKind::Amal},
                                   std::pair{"Install_Banks.Abs", BankKind::Resource},
                                   std::pair{"Example_Resource.Abk", BankKind::Resource},
                                   std::pair{"Tracker.Abk", BankKind::Tracker}}) {
    const std::string bank = firstBank(testing::readBytes(realBank(name)), kind);
    for (int round = 0; round < 150; ++round) {
      std::string flipped = bank;
      const int flips = 1 + static_cast<int>(random() % 6);
      for (int i = 0; i < flips; ++i) flipped[20 + random() % (flipped.size() - 20)] = static_cast<char>(random() & 0xFF);
      readAll(flipped);
    }
  }
}

TEST(DamagedBankKinds, ZarvexListExitsWithThreeAndKeepsTheOutputsBefore) {
  SKIP_WITHOUT_BANKS();
  // The resource bank's images, then its messages cut short.
  const std::string bank = firstBank(testing::readBytes(realBank("Install_Banks.Abs")), BankKind::Resource);
  testing::TempFolder folder;
  const std::string path = folder.file("cut.abk");
  const std::string cut = cutData(bank, bank.size() - 20 - 600);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(cut.data(), 1, cut.size(), f);
  std::fclose(f);
  int status = -1;
  run("--summary '" + path + "'", status);
  EXPECT_EQ(status, 3);
  const std::string out = folder.file("out");
  std::filesystem::create_directory(out);
  run("--extract '" + out + "' '" + path + "'", status);
  EXPECT_EQ(status, 3);
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(out) / "cut.abk.bank10.abk"));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(out) / "cut.abk.bank10.programs.txt"));
}

// A menu bank built node by node: 70-byte nodes, then the objects.
struct MenuBuilder {
  Bytes data;
  static void put16(Bytes& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v >> 8);
    b[at + 1] = static_cast<std::uint8_t>(v);
  }
  static void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    put16(b, at, v >> 16);
    put16(b, at + 2, v & 0xFFFF);
  }
  std::size_t node(std::uint16_t item, std::uint8_t flags) {
    const std::size_t at = data.size();
    data.resize(at + 70);
    put16(data, at + 12, item);
    data[at + 14] = flags;
    return at;
  }
  // An object of the given command words, ended by a code 0.
  std::uint32_t object(const Bytes& commands) {
    const std::size_t at = data.size();
    data.resize(at + 2);
    data.insert(data.end(), commands.begin(), commands.end());
    data.push_back(0);
    data.push_back(0);
    put16(data, at, static_cast<std::uint32_t>(data.size() - at));
    return static_cast<std::uint32_t>(at);
  }
};

TEST(MenuBanks, EveryCommandKeyAndAttributeIsWritten) {
  MenuBuilder m;
  const std::size_t title = m.node(1, 0x01 | 0x20);
  const std::size_t item = m.node(2, 0x02 | 0x04 | 0x08 | 0x10 | 0x40 | 0x80);
  m.data[item + 15] = 1;  // Menu Called
  MenuBuilder::put16(m.data, item + 16, static_cast<std::uint16_t>(-3));
  MenuBuilder::put16(m.data, item + 18, 12);
  m.data[item + 34] = 0xFF;
  m.data[item + 36] = 69;
  m.data[item + 37] = 8;
  const std::size_t other = m.node(3, 0);
  m.data[other + 34] = 1;
  m.data[other + 35] = '"';
  MenuBuilder::put32(m.data, title + 8, static_cast<std::uint32_t>(item));
  MenuBuilder::put32(m.data, item + 4, static_cast<std::uint32_t>(other));
  const Bytes commands = {0x00, 0x0C, 0x00, 0x01, 0xFF, 0xFE,  // LI 1,-2
                          0x00, 0x10, 0x00, 0x05, 0x00, 0x06,  // EL 5,6
                          0x00, 0x20, 0x00, 0x07,              // IC 7
                          0x00, 0x28, 0x00, 0x01,              // OU 1
                          0x00, 0x2C, 0x00, 0x02,              // SL 2
                          0x00, 0x30, 0x00, 0x03,              // SF 3
                          0x00, 0x34, 0x00, 0x04, 'D', 'R', 'A', 0,  // PR DRA
                          0x00, 0x38, 0x00, 0x09,              // RE 9
                          0x00, 0x04, 0x00, 0x03, 'a', '"', 'b', 0};  // text a"b, padded
  MenuBuilder::put32(m.data, item + 46, m.object(commands));  // selected; normal absent
  const Bytes bank = testing::memoryBank(6, 1, "Menu    ", m.data);
  const BankSet set = readBanks(bank);
  ASSERT_EQ(set.banks.size(), 1u);
  ASSERT_EQ(set.banks[0].kind, BankKind::Menu);
  const MenuBank menu = readMenuBank(set.banks[0]);
  EXPECT_EQ(menuText(set.banks[0], menu),
            "Menu bank 6: 1 titles, 2 items\n"
            "Menu$(1)=\"\"  ' tline static item-static linked active once inks 0,0,0,0,0,0\n"
            "  Menu$(1,2)=\"\",\"(LI 1,-2)(EL 5,6)(IC 7)(OU 1)(SL 2)(SF 3)(PR DRA)(RE 9)a\"\"b\"  ' bar movable "
            "item-movable separate inactive called inks 0,0,0,0,0,0 at -3,12 key scancode 69 shift 8\n"
            "  Menu$(1,3)=\"\"  ' line static item-static linked active once inks 0,0,0,0,0,0 key \"\"\"\"\n");
}

TEST(MenuBanks, ALinkBackToANodeOrAnUnknownCommandIsDamage) {
  MenuBuilder m;
  const std::size_t title = m.node(1, 1);
  MenuBuilder::put32(m.data, title + 8, 0);  // a sub-menu at 0 would be the title again
  MenuBuilder::put32(m.data, title + 4, static_cast<std::uint32_t>(m.node(2, 0)));
  MenuBuilder::put32(m.data, 70 + 4, 0);
  MenuBuilder::put32(m.data, 70 + 8, 0);
  const std::size_t looping = m.data.size();
  MenuBuilder::put32(m.data, 70 + 4, 70);  // the second title's next is itself
  (void)looping;
  const Bytes bank = testing::memoryBank(6, 1, "Menu    ", m.data);
  const BankSet set = readBanks(bank);
  EXPECT_THROW(readMenuBank(set.banks.at(0)), BankDamage);
  EXPECT_TRUE(bankSummary(set.banks.at(0))->damaged);

  MenuBuilder u;
  const std::size_t node = u.node(1, 1);
  MenuBuilder::put32(u.data, node + 42, u.object({0x00, 0x3E, 0x00, 0x01}));
  const Bytes unknown = testing::memoryBank(6, 1, "Menu    ", u.data);
  EXPECT_THROW(readMenuBank(readBanks(unknown).banks.at(0)), BankDamage);
}

TEST(AmalBanks, ProgramsMovementsAndQuotedNames) {
  // Two slots: slot 2 used; programs section with H = 1: program 1 "A~B~".
  Bytes d(4 + 2 + 2 * 2 + 2 * 2 + 8 * 2, 0);
  const auto put16 = [&](std::size_t at, std::uint32_t v) { MenuBuilder::put16(d, at, v); };
  put16(4, 2);
  const std::string names = "Empty   Mo\"ve   ";
  std::copy(names.begin(), names.end(), d.begin() + 14);
  const std::size_t movement = d.size();  // even
  put16(8, static_cast<std::uint32_t>((movement - 4) / 2));
  d.insert(d.end(), {0x00, 0x05, 0x00, 0x09, 0x00, 0x03, 0x7F, 0x84, 0x00, 0x00, 0x40, 0x00});
  const std::size_t programs = d.size();
  MenuBuilder::put32(d, 0, static_cast<std::uint32_t>(programs));
  d.insert(d.end(), {0x00, 0x01, 0x00, 0x00, 0x00, 0x03});  // H = 1; program 0 none; program 1 3 words on
  d.insert(d.end(), {0x00, 0x00});                           // the environment: empty
  d.insert(d.end(), {0x00, 0x04, 'A', '~', 'B', '~'});
  const Bytes bank = testing::memoryBank(4, 1, "Amal    ", d);
  const BankSet set = readBanks(bank);
  ASSERT_EQ(set.banks.at(0).kind, BankKind::Amal);
  const AmalBank amal = readAmalBank(set.banks[0]);
  EXPECT_EQ(amalText(set.banks[0], amal),
            "AMAL bank 4: 1 movements, 1 programs\n"
            "Program 1:\n  A\n  B\n"
            "Movement 2 \"Mo\"\"ve\": speed 5, X 7 steps, Y 1 steps\n"
            "  X: +3 -1 w5\n  Y: -64\n");
  EXPECT_EQ(bankSummary(set.banks[0])->line, "4 Amal: 1 movements, 1 programs, environment 0 lines");
}

TEST(TrackerBanks, AnUnknownSignatureOrAShortModuleIsDamage) {
  Bytes module(1084, 0);
  std::copy_n("M.K.", 4, module.begin() + 1080);
  module[952] = 1;  // two patterns
  const Bytes shortOne = testing::memoryBank(6, 0, "Tracker ", module);
  EXPECT_TRUE(bankSummary(readBanks(shortOne).banks.at(0))->damaged);
  module.resize(1084 + 2048 + 32);
  const Bytes whole = testing::memoryBank(6, 0, "Tracker ", module);
  EXPECT_EQ(bankSummary(readBanks(whole).banks.at(0))->line,
            "6 Tracker: \"\", 2 patterns, 0 positions, 0 samples, 3132 bytes");
  std::copy_n("XXXX", 4, module.begin() + 1080);
  const Bytes unknown = testing::memoryBank(6, 0, "Tracker ", module);
  EXPECT_TRUE(bankSummary(readBanks(unknown).banks.at(0))->damaged);
}

TEST(BankKinds, EachKindIsToldByItsTypeName) {
  EXPECT_EQ(memoryBankKind("Samples"), BankKind::Samples);
  EXPECT_EQ(memoryBankKind("Pac.Pic."), BankKind::PackedPicture);
  EXPECT_EQ(memoryBankKind("Amal"), BankKind::Amal);
  EXPECT_EQ(memoryBankKind("Resource"), BankKind::Resource);
  EXPECT_EQ(memoryBankKind("Menu"), BankKind::Menu);
  EXPECT_EQ(memoryBankKind("Tracker"), BankKind::Tracker);
  EXPECT_EQ(memoryBankKind("Music"), BankKind::Music);
  EXPECT_EQ(memoryBankKind("music"), BankKind::Data);
  EXPECT_EQ(memoryBankKind("Datas"), BankKind::Data);
}

}  // namespace
}  // namespace zarvex
