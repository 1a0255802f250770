// An Amiga disk image seen as its 512-byte blocks, with the block numbers,
// types and checksums the readers of its directories and files check before
// they trust a block. Every number on the disk is big-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "big_endian.h"

namespace zarvex {

inline constexpr std::size_t kAdfBlockBytes = 512;
inline constexpr std::uint32_t kAdfDdBlocks = 1760;  // 901,120 bytes
inline constexpr std::uint32_t kAdfHdBlocks = 3520;  // 1,802,240 bytes
// Hash slots of a directory and block numbers in a file header's or an
// extension block's table.
inline constexpr std::uint32_t kAdfTableEntries = 72;

// Block types (offset 0) and secondary types (offset 508).
inline constexpr std::uint32_t kAdfTypeHeader = 2;
inline constexpr std::uint32_t kAdfTypeData = 8;
inline constexpr std::uint32_t kAdfTypeList = 16;
inline constexpr std::uint32_t kAdfSecondaryRoot = 1;
inline constexpr std::uint32_t kAdfSecondaryDirectory = 2;
inline constexpr std::uint32_t kAdfSecondarySoftLink = 3;
inline constexpr std::uint32_t kAdfSecondaryDirectoryLink = 4;
inline constexpr std::uint32_t kAdfSecondaryFile = 0xFFFFFFFD;      // -3
inline constexpr std::uint32_t kAdfSecondaryFileLink = 0xFFFFFFFC;  // -4

// Offsets shared by the root, directory, file header and extension blocks.
inline constexpr std::size_t kAdfOwnBlock = 4;
inline constexpr std::size_t kAdfHighSeq = 8;
inline constexpr std::size_t kAdfTableFirst = 24;  // hash slot 0
inline constexpr std::size_t kAdfTableLast = 308;  // hash slot 71; a file's first data block
inline constexpr std::size_t kAdfByteSize = 324;
inline constexpr std::size_t kAdfNameLength = 432;
inline constexpr std::size_t kAdfHashChain = 496;
inline constexpr std::size_t kAdfParent = 500;
inline constexpr std::size_t kAdfExtension = 504;
inline constexpr std::size_t kAdfSecondaryType = 508;

// The image `image` (not owned: it must outlive this view) with `blocks`
// blocks in its geometry, which may be more than the image holds.
class AdfDisk {
 public:
  AdfDisk(std::span<const std::uint8_t> image, std::uint32_t blocks, bool ffs)
      : m_image(image), m_blocks(blocks), m_ffs(ffs) {}

  std::uint32_t blocks() const { return m_blocks; }
  bool ffs() const { return m_ffs; }

  // Blocks 0 and 1 are the boot block: no entry or data block lies there.
  bool inRange(std::uint32_t block) const { return block >= 2 && block < m_blocks; }
  // All 512 bytes of the block are in the image (a final partial block is not).
  bool present(std::uint32_t block) const {
    return (std::uint64_t{block} + 1) * kAdfBlockBytes <= m_image.size();
  }

  // The bytes of block `block`, which must be present.
  std::span<const std::uint8_t> block(std::uint32_t block) const {
    return m_image.subspan(std::size_t{block} * kAdfBlockBytes, kAdfBlockBytes);
  }
  // The long at `offset` (at most 508) of a present block.
  std::uint32_t longAt(std::uint32_t block, std::size_t offset) const {
    return u32At(m_image.data() + std::size_t{block} * kAdfBlockBytes + offset);
  }
  std::uint8_t byteAt(std::uint32_t block, std::size_t offset) const {
    return m_image[std::size_t{block} * kAdfBlockBytes + offset];
  }

  // The 128 longs of a present root, directory, file header, extension or
  // OFS data block add up to 0 modulo 2^32, the checksum at 20 included.
  bool checksumOk(std::uint32_t block) const {
    std::uint32_t sum = 0;
    for (std::size_t offset = 0; offset < kAdfBlockBytes; offset += 4) sum += longAt(block, offset);
    return sum == 0;
  }

 private:
  std::span<const std::uint8_t> m_image;
  std::uint32_t m_blocks;
  bool m_ffs;
};

}  // namespace zarvex
