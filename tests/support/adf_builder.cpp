#include "adf_builder.h"

#include <algorithm>

#include "adf_image.h"

namespace zarvex::testing {

namespace {

constexpr std::size_t kBlock = 512;
constexpr std::uint32_t kEntries = 72;

}  // namespace

AdfBuilder::AdfBuilder(std::uint8_t dosType, std::uint32_t blocks)
    : m_dosType(dosType), m_blocks(blocks), m_image(std::size_t{blocks} * kBlock) {
  m_image[0] = 'D';
  m_image[1] = 'O';
  m_image[2] = 'S';
  m_image[3] = dosType;
  setLong(0, 8, 880);
  setLong(root(), 0, 2);
  setLong(root(), 12, kEntries);
  setLong(root(), 312, 0xFFFFFFFF);
  setLong(root(), 420, 5600);
  setLong(root(), 424, 720);
  writeName(root(), "Test");
  setLong(root(), 508, 1);
  m_checksummed.insert(root());
}

std::uint32_t AdfBuilder::longAt(std::uint32_t block, std::size_t offset) const {
  const std::uint8_t* p = m_image.data() + std::size_t{block} * kBlock + offset;
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

void AdfBuilder::setLong(std::uint32_t block, std::size_t offset, std::uint32_t value) {
  std::uint8_t* p = m_image.data() + std::size_t{block} * kBlock + offset;
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

void AdfBuilder::setByte(std::uint32_t block, std::size_t offset, std::uint8_t value) {
  m_image[std::size_t{block} * kBlock + offset] = value;
}

void AdfBuilder::writeName(std::uint32_t block, std::string_view name) {
  const std::size_t length = std::min<std::size_t>(name.size(), 79);
  setByte(block, 432, static_cast<std::uint8_t>(length));
  for (std::size_t i = 0; i < length && 433 + i < 496; ++i) setByte(block, 433 + i, static_cast<std::uint8_t>(name[i]));
}

void AdfBuilder::enter(std::uint32_t parent, std::uint32_t block, std::string_view name) {
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(name.data()), name.size());
  const std::size_t slot = 24 + 4 * std::size_t{adfHashSlot(bytes, (m_dosType & 6) != 0)};
  if (longAt(parent, slot) == 0) {
    setLong(parent, slot, block);
  } else {
    chain(longAt(parent, slot), block);
  }
}

void AdfBuilder::chain(std::uint32_t first, std::uint32_t block) {
  std::uint32_t last = first;
  while (longAt(last, 496) != 0) last = longAt(last, 496);
  setLong(last, 496, block);
}

std::uint32_t AdfBuilder::addEntry(std::uint32_t parent, std::string_view name, std::uint32_t block,
                                   std::uint32_t secondaryType) {
  return addEntry(parent, name, block, secondaryType, true);
}

std::uint32_t AdfBuilder::addEntry(std::uint32_t parent, std::string_view name, std::uint32_t block,
                                   std::uint32_t secondaryType, bool entered) {
  setLong(block, 0, 2);
  setLong(block, 4, block);
  setLong(block, 420, 5600);
  setLong(block, 424, 720);
  writeName(block, name);
  setLong(block, 500, parent);
  setLong(block, 508, secondaryType);
  m_checksummed.insert(block);
  if (entered) enter(parent, block, name);
  return block;
}

std::uint32_t AdfBuilder::addDirectory(std::uint32_t parent, std::string_view name, std::uint32_t block) {
  return addEntry(parent, name, block, 2);
}

std::uint32_t AdfBuilder::addFile(std::uint32_t parent, std::string_view name, std::uint32_t header, std::uint32_t size,
                                  std::uint32_t firstData, bool entered) {
  addEntry(parent, name, header, 0xFFFFFFFD, entered);
  const std::uint32_t perBlock = ffs() ? 512 : 488;
  const std::uint32_t dataBlocks = (size + perBlock - 1) / perBlock;
  setLong(header, 324, size);
  setLong(header, 16, dataBlocks == 0 ? 0 : firstData);
  std::uint32_t table = header;
  std::uint32_t nextExtension = firstData + dataBlocks;
  for (std::uint32_t k = 0; k < dataBlocks; ++k) {
    if (k > 0 && k % kEntries == 0) {
      const std::uint32_t extension = nextExtension++;
      setLong(table, 504, extension);
      setLong(extension, 0, 16);
      setLong(extension, 4, extension);
      setLong(extension, 500, header);
      setLong(extension, 508, 0xFFFFFFFD);
      m_checksummed.insert(extension);
      table = extension;
    }
    const std::uint32_t block = firstData + k;
    setLong(table, 8, k % kEntries + 1);
    setLong(table, 308 - 4 * std::size_t{k % kEntries}, block);
    const std::uint32_t from = k * perBlock;
    const std::uint32_t count = std::min(perBlock, size - from);
    const std::size_t dataAt = ffs() ? 0 : 24;
    for (std::uint32_t i = 0; i < count; ++i) setByte(block, dataAt + i, fileByte(header, from + i));
    if (!ffs()) {
      setLong(block, 0, 8);
      setLong(block, 4, header);
      setLong(block, 8, k + 1);
      setLong(block, 12, count);
      setLong(block, 16, k + 1 < dataBlocks ? block + 1 : 0);
      m_checksummed.insert(block);
    }
  }
  return header;
}

std::vector<std::uint32_t> AdfBuilder::extensions(std::uint32_t header) const {
  std::vector<std::uint32_t> found;
  for (std::uint32_t next = longAt(header, 504); next != 0 && found.size() < m_blocks; next = longAt(next, 504)) {
    found.push_back(next);
  }
  return found;
}

std::uint32_t AdfBuilder::dataBlock(std::uint32_t header, std::uint32_t k) const {
  std::uint32_t table = header;
  for (std::uint32_t skip = (k - 1) / kEntries; skip > 0; --skip) table = longAt(table, 504);
  return longAt(table, 308 - 4 * std::size_t{(k - 1) % kEntries});
}

std::vector<std::uint8_t> AdfBuilder::image() const {
  AdfBuilder sealed = *this;
  for (const std::uint32_t block : m_checksummed) {
    sealed.setLong(block, 20, 0);
    std::uint32_t sum = 0;
    for (std::size_t offset = 0; offset < kBlock; offset += 4) sum += sealed.longAt(block, offset);
    sealed.setLong(block, 20, (m_spoiled.contains(block) ? 1u : 0u) - sum);
  }
  return sealed.m_image;
}

}  // namespace zarvex::testing
