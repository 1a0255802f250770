// Builds small Amiga disk images block by block for the tests of the disk
// image reader: a root, directories and files laid out the way AmigaDOS
// lays them out, with every block's checksum written, and the fields open to
// change afterwards to make the faults a test needs.
#pragma once

#include <cstdint>
#include <set>
#include <span>
#include <string_view>
#include <vector>

namespace zarvex::testing {

class AdfBuilder {
 public:
  // An empty formatted disk of DOS type `dosType` (0-5) and `blocks` blocks
  // (1760 for DD, 3520 for HD).
  explicit AdfBuilder(std::uint8_t dosType, std::uint32_t blocks = 1760);

  std::uint32_t root() const { return m_blocks / 2; }
  bool ffs() const { return (m_dosType & 1) != 0; }

  // A directory `name` (Latin-1 bytes) at block `block`, entered in
  // `parent`'s hash table. Returns `block`.
  std::uint32_t addDirectory(std::uint32_t parent, std::string_view name, std::uint32_t block);
  // A file `name` holding `size` bytes of a pattern (see fileByte), its
  // header at `header`, its data blocks from `firstData` on one after
  // another, then its extension blocks. Returns `header`.
  // With `entered` false the file is left out of `parent`'s table, for the
  // test to chain it (see chain).
  std::uint32_t addFile(std::uint32_t parent, std::string_view name, std::uint32_t header, std::uint32_t size,
                        std::uint32_t firstData, bool entered = true);
  // An entry block of another secondary type (a link) named `name`.
  std::uint32_t addEntry(std::uint32_t parent, std::string_view name, std::uint32_t block, std::uint32_t secondaryType);

  // Byte `i` of the file whose header is `header`.
  static std::uint8_t fileByte(std::uint32_t header, std::uint32_t i) {
    return static_cast<std::uint8_t>(header * 7 + i * 13 + (i >> 8));
  }

  std::uint32_t longAt(std::uint32_t block, std::size_t offset) const;
  void setLong(std::uint32_t block, std::size_t offset, std::uint32_t value);
  void setByte(std::uint32_t block, std::size_t offset, std::uint8_t value);
  // The extension blocks of the file whose header is `header`, in order.
  std::vector<std::uint32_t> extensions(std::uint32_t header) const;
  // The `k`-th (from 1) data block of the file whose header is `header`.
  std::uint32_t dataBlock(std::uint32_t header, std::uint32_t k) const;
  // Puts `block` at the end of the hash chain that starts at entry `first`.
  void chain(std::uint32_t first, std::uint32_t block);
  // The image carries a right checksum in `block`, built by the test.
  void checksum(std::uint32_t block) { m_checksummed.insert(block); }
  // Leaves the checksum of `block` wrong in the image.
  void spoilChecksum(std::uint32_t block) { m_spoiled.insert(block); }

  // The image with every checksum written.
  std::vector<std::uint8_t> image() const;

 private:
  void writeName(std::uint32_t block, std::string_view name);
  // Puts `block` at the end of the chain of its name's hash slot in `parent`.
  void enter(std::uint32_t parent, std::uint32_t block, std::string_view name);
  std::uint32_t addEntry(std::uint32_t parent, std::string_view name, std::uint32_t block, std::uint32_t secondaryType,
                         bool entered);

  std::uint8_t m_dosType;
  std::uint32_t m_blocks;
  std::vector<std::uint8_t> m_image;
  std::set<std::uint32_t> m_checksummed;  // blocks whose checksum at 20 is written
  std::set<std::uint32_t> m_spoiled;
};

}  // namespace zarvex::testing
