#include "bank_set.h"

#include <cstring>

#include "big_endian.h"

namespace zarvex {


namespace {

constexpr std::size_t kLinesStart = 20;
constexpr std::size_t kSpriteHeader = 6;   // magic, image count
constexpr std::size_t kImageHeader = 10;   // width in words, height, depth, hot spot x, y
constexpr std::size_t kPalette = 64;       // 32 colours
constexpr std::size_t kMemoryHeader = 20;  // magic, number, memory, length, name
constexpr std::uint32_t kLengthBits = 0x0FFFFFFF;

bool hasMagic(std::span<const std::uint8_t> file, std::size_t offset, const char* magic) {
  return offset + 4 <= file.size() && std::memcmp(file.data() + offset, magic, 4) == 0;
}

[[noreturn]] void damaged(std::size_t offset, std::size_t size, std::string what) {
  throw BankDamage{static_cast<std::int64_t>(offset < size ? offset : size), std::move(what)};
}

// The bytes [offset, offset + count) must be in the file.
void need(std::span<const std::uint8_t> file, std::size_t offset, std::uint64_t count, const char* what) {
  if (offset > file.size() || count > file.size() - offset) damaged(offset, file.size(), what);
}

Bank spriteBank(std::span<const std::uint8_t> file, std::size_t start, BankKind kind) {
  need(file, start, kSpriteHeader, "the bank's header is cut short");
  const std::uint32_t count = u16At(file.data() + start + 4);
  std::size_t at = start + kSpriteHeader;
  for (std::uint32_t i = 0; i < count; ++i) {
    need(file, at, kImageHeader, "an image's header is cut short");
    const std::uint8_t* h = file.data() + at;
    const std::uint64_t picture = std::uint64_t{u16At(h)} * 2 * u16At(h + 2) * u16At(h + 4);
    need(file, at + kImageHeader, picture, "an image's picture runs past the end");
    at += kImageHeader + static_cast<std::size_t>(picture);
  }
  need(file, at, kPalette, "the palette is cut short");
  Bank bank;
  bank.kind = kind;
  bank.number = kind == BankKind::Sprites ? 1 : 2;
  bank.typeName = kind == BankKind::Sprites ? "Sprites" : "Icons";
  bank.chip = true;
  bank.offset = start;
  bank.bytes = file.subspan(start, at + kPalette - start);
  bank.itemCount = static_cast<std::int32_t>(count);
  return bank;
}

Bank memoryBank(std::span<const std::uint8_t> file, std::size_t start) {
  need(file, start, kMemoryHeader, "the bank's header is cut short");
  const std::uint8_t* h = file.data() + start;
  const std::uint32_t length = u32At(h + 8) & kLengthBits;
  if (length < kMemoryHeader - 12) damaged(start + 8, file.size(), "the bank's length is shorter than its name");
  need(file, start, std::uint64_t{12} + length, "the bank runs past the end");
  Bank bank;
  bank.number = static_cast<std::uint16_t>(u16At(h + 4));
  bank.chip = u16At(h + 6) == 0;
  bank.typeName.assign(reinterpret_cast<const char*>(h + 12), 8);
  while (!bank.typeName.empty() && bank.typeName.back() == ' ') bank.typeName.pop_back();
  bank.kind = memoryBankKind(bank.typeName);
  bank.offset = start;
  bank.bytes = file.subspan(start, 12 + std::size_t{length});
  if (bank.kind == BankKind::Samples && bank.bytes.size() >= kMemoryHeader + 2) {
    bank.itemCount = static_cast<std::int32_t>(u16At(h + kMemoryHeader));
  }
  return bank;
}

// Bytes after the last bank: a count one short, or something appended. The
// banks read are kept; the file is damaged all the same, as what follows
// may have been meant as more banks.
void leftOver(std::span<const std::uint8_t> file, std::size_t end) {
  if (end >= file.size()) return;
  const std::size_t extra = file.size() - end;
  damaged(end, file.size(), std::to_string(extra) + (extra == 1 ? " byte" : " bytes") + " after the last bank belong to none");
}

void readSet(std::span<const std::uint8_t> file, std::size_t start, BankSet& set) {
  if (!hasMagic(file, start, "AmBs")) damaged(start, file.size(), "no bank set where the banks should start");
  need(file, start, 6, "the bank set's header is cut short");
  const std::uint32_t count = u16At(file.data() + start + 4);
  std::size_t at = start + 6;
  for (std::uint32_t i = 0; i < count; ++i) {
    set.banks.push_back(readBank(file, at));
    at += set.banks.back().bytes.size();
  }
  leftOver(file, at);
}

}  // namespace

BankKind memoryBankKind(std::string_view typeName) {
  struct Name {
    std::string_view typeName;
    BankKind kind;
  };
  static constexpr Name kNames[] = {
      {"Samples", BankKind::Samples}, {"Pac.Pic.", BankKind::PackedPicture}, {"Amal", BankKind::Amal},
      {"Resource", BankKind::Resource}, {"Menu", BankKind::Menu}, {"Tracker", BankKind::Tracker},
      {"Music", BankKind::Music},
  };
  for (const Name& name : kNames) {
    if (name.typeName == typeName) return name.kind;
  }
  return BankKind::Data;
}

BankSource bankSourceOf(std::span<const std::uint8_t> file) {
  if (hasMagic(file, 0, "AMOS")) return BankSource::Program;
  if (hasMagic(file, 0, "AmBs")) return BankSource::BankSet;
  if (hasMagic(file, 0, "AmSp") || hasMagic(file, 0, "AmIc") || hasMagic(file, 0, "AmBk")) {
    return BankSource::SingleBank;
  }
  return BankSource::Unknown;
}

Bank readBank(std::span<const std::uint8_t> file, std::size_t offset) {
  if (hasMagic(file, offset, "AmSp")) return spriteBank(file, offset, BankKind::Sprites);
  if (hasMagic(file, offset, "AmIc")) return spriteBank(file, offset, BankKind::Icons);
  if (hasMagic(file, offset, "AmBk")) return memoryBank(file, offset);
  damaged(offset, file.size(), offset + 4 <= file.size() ? "no bank starts here" : "a bank is cut short");
}

BankSet readBanks(std::span<const std::uint8_t> file) {
  BankSet set;
  try {
    switch (bankSourceOf(file)) {
      case BankSource::Program: {
        need(file, 0, kLinesStart, "the program's header is cut short");
        const std::uint64_t banksStart = kLinesStart + std::uint64_t{u32At(file.data() + 16)};
        if (banksStart > file.size()) damaged(file.size(), file.size(), "the program's lines run past the end");
        if (banksStart == file.size()) break;  // no bank set at all
        readSet(file, static_cast<std::size_t>(banksStart), set);
        break;
      }
      case BankSource::BankSet:
        readSet(file, 0, set);
        break;
      case BankSource::SingleBank:
        set.banks.push_back(readBank(file, 0));
        leftOver(file, set.banks.back().bytes.size());
        break;
      case BankSource::Unknown:
        damaged(0, file.size(), "this is neither a program nor a bank file");
    }
  } catch (const BankDamage& damage) {
    set.damaged = true;
    set.damageOffset = damage.offset;
    set.damage = damage.what;
  }
  return set;
}

}  // namespace zarvex
