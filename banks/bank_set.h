// The memory banks of an AMOS program: found after the program's lines, or
// read from a bank file (".abk": one bank; ".abs": a bank set).
//
// A bank set is "AmBs", a u16 count, then the banks one after another. A bank
// is a sprite bank ("AmSp", always bank 1), an icon bank ("AmIc", always bank
// 2) or a memory bank ("AmBk": u16 number, u16 0 chip / 1 fast, u32 whose bits
// 27-0 are the length from offset 12, the 8-byte type name, the data). Every
// length is checked against the bytes that are there: a bank that does not
// fit ends the reading, and the banks before it are kept.
//
// Banks refer to the bytes they were read from: those must outlive them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zarvex {

// Bank files and programs with banks are read whole; real ones are far
// smaller than this (an Amiga had a few megabytes of memory in all).
inline constexpr std::int64_t kMaxBankFileSize = 16 * 1024 * 1024;

// What a bank holds, decided once when it is read: sprite and icon banks by
// their magic, memory banks by their type name. Data stands for any memory
// bank Zarvex has no reader for (shown and extracted as its bytes).
enum class BankKind { Sprites, Icons, Samples, PackedPicture, Amal, Resource, Menu, Tracker, Music, Data };

// The kind of a memory bank whose type name, trailing blanks dropped, is `typeName`.
BankKind memoryBankKind(std::string_view typeName);

struct Bank {
  std::uint16_t number = 0;
  BankKind kind = BankKind::Data;
  std::string typeName;  // "Sprites", "Icons", or the memory bank's name without trailing blanks
  bool chip = true;      // sprite and icon banks live in chip memory
  std::size_t offset = 0;           // where the bank starts in the bytes read
  std::span<const std::uint8_t> bytes;  // the whole bank, headers included
  std::int32_t itemCount = -1;      // images of a sprite or icon bank, samples of a sample bank; else -1

  // Sprite and icon banks have a header of their own; every other bank is
  // a memory bank ("AmBk").
  bool isMemoryBank() const { return kind != BankKind::Sprites && kind != BankKind::Icons; }
  // The data of a memory bank, after its 20 bytes of header.
  std::span<const std::uint8_t> data() const { return isMemoryBank() ? bytes.subspan(20) : bytes; }
};

struct BankSet {
  std::vector<Bank> banks;
  bool damaged = false;
  std::int64_t damageOffset = -1;  // where the damage was found, never past the end
  std::string damage;              // what was wrong there, one sentence
};

// What a file holds, judged from its first bytes.
enum class BankSource { Program, BankSet, SingleBank, Unknown };
BankSource bankSourceOf(std::span<const std::uint8_t> file);

// The banks of `file`: after the lines of a program ("AMOS" at its start: the
// lines take the u32 at offset 16 from offset 20 on), or a bank file. A
// program whose lines reach the end of the file has no banks. Throws nothing;
// an unknown kind of file gives an empty, damaged set.
BankSet readBanks(std::span<const std::uint8_t> file);

// One bank starting at `offset`. Throws BankDamage when it does not fit.
Bank readBank(std::span<const std::uint8_t> file, std::size_t offset);

// A length or offset that points outside the bytes that are there.
struct BankDamage {
  std::int64_t offset;
  std::string what;
};

}  // namespace zarvex
