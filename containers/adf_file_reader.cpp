#include "adf_file_reader.h"

#include <algorithm>

namespace zarvex {

namespace {

// OFS data block: type 8, the file's header block at 4, the sequence number
// (1 for the file's first data block) at 8, the bytes of data it holds at 12,
// then 488 bytes of data from 24. FFS data blocks are 512 bytes of data only.
constexpr std::size_t kOfsHeaderOfData = 4;
constexpr std::size_t kOfsSequence = 8;
constexpr std::size_t kOfsDataSize = 12;
constexpr std::size_t kOfsData = 24;
constexpr std::uint32_t kOfsDataBytes = 488;

class FileReader {
 public:
  FileReader(const AdfDisk& disk, std::uint32_t header, const std::string& path, std::uint64_t byteBudget,
             std::vector<ContainerWarning>& warnings)
      : m_disk(disk),
        m_header(header),
        m_size(disk.longAt(header, kAdfByteSize)),
        m_path(path),
        m_budget(byteBudget),
        m_warnings(warnings) {}

  AdfFileRead read() {
    AdfFileRead result;
    const std::uint64_t perBlock = m_disk.ffs() ? kAdfBlockBytes : kOfsDataBytes;
    if (m_size > std::uint64_t{m_disk.blocks()} * perBlock) {
      warn("size-exceeds-disk", m_header, m_size);
      result.damaged = true;
      return result;
    }
    m_bytes.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(m_size, m_budget)));
    result.damaged = !readTables();
    if (result.damaged) m_bytes.shrink_to_fit();
    result.bytes = std::move(m_bytes);
    return result;
  }

 private:
  std::uint64_t wanted() const { return m_size - m_bytes.size(); }

  void warn(const char* kind, std::uint32_t block, std::uint32_t pointer) {
    if (m_warnings.size() < kMaxContainerWarnings) m_warnings.push_back({kind, block, pointer, m_path, {}});
  }
  void warnChecksum(std::uint32_t block) {
    if (m_warnings.size() < kMaxContainerWarnings) m_warnings.push_back({"bad-checksum", block, std::nullopt, m_path, {}});
  }

  // The header's table, then each extension block's, until the recorded
  // size is read. False when a fault ended the read first.
  bool readTables() {
    std::vector<bool> extensionsUsed;  // sized when the first extension block is met
    std::uint32_t table = m_header;
    while (m_bytes.size() < m_size) {
      if (!readTable(table)) return false;
      if (m_bytes.size() >= m_size) break;
      const std::uint32_t next = m_disk.longAt(table, kAdfExtension);
      if (next == 0) {
        warn("short-file", m_header, static_cast<std::uint32_t>(m_bytes.size()));
        return false;
      }
      if (!m_disk.inRange(next)) {
        warn("out-of-range", table, next);
        return false;
      }
      if (!m_disk.present(next)) {
        warn("missing-block", table, next);
        return false;
      }
      if (extensionsUsed.empty()) extensionsUsed.resize(m_disk.blocks());
      if (next == m_header || extensionsUsed[next]) {
        warn("loop", table, next);
        return false;
      }
      if (m_disk.longAt(next, 0) != kAdfTypeList || m_disk.longAt(next, kAdfOwnBlock) != next) {
        warn("bad-extension", table, next);
        return false;
      }
      if (!m_disk.checksumOk(next)) warnChecksum(next);
      extensionsUsed[next] = true;
      table = next;
    }
    return true;
  }

  // The data blocks listed in one table, entry 0 at offset 308 and the
  // others below it, while bytes are still wanted.
  bool readTable(std::uint32_t table) {
    const std::uint32_t highSeq = m_disk.longAt(table, kAdfHighSeq);
    if (highSeq > kAdfTableEntries) {
      warn("bad-table", table, highSeq);
      return false;
    }
    for (std::uint32_t i = 0; i < highSeq && m_bytes.size() < m_size; ++i) {
      const std::uint32_t block = m_disk.longAt(table, kAdfTableLast - 4 * std::size_t{i});
      if (!m_disk.inRange(block)) {
        warn("out-of-range", table, block);
        return false;
      }
      if (!m_disk.present(block)) {
        warn("missing-block", table, block);
        return false;
      }
      ++m_dataBlocks;
      if (!(m_disk.ffs() ? takeFfsBlock(block) : takeOfsBlock(table, block))) return false;
    }
    return true;
  }

  bool takeFfsBlock(std::uint32_t block) {
    return take(block, 0, std::min<std::uint64_t>(kAdfBlockBytes, wanted()));
  }

  bool takeOfsBlock(std::uint32_t table, std::uint32_t block) {
    const std::uint32_t dataSize = m_disk.longAt(block, kOfsDataSize);
    if (m_disk.longAt(block, 0) != kAdfTypeData || m_disk.longAt(block, kOfsHeaderOfData) != m_header ||
        m_disk.longAt(block, kOfsSequence) != m_dataBlocks || dataSize > kOfsDataBytes) {
      warn("bad-data-block", table, block);
      return false;
    }
    if (!m_disk.checksumOk(block)) warnChecksum(block);
    const std::uint64_t expected = std::min<std::uint64_t>(kOfsDataBytes, wanted());
    if (!take(block, kOfsData, std::min<std::uint64_t>(dataSize, wanted()))) return false;
    if (dataSize != expected) {
      // Every data block but the last is full and the last holds the rest:
      // the blocks after one of another size cannot be trusted.
      warn("size-mismatch", block, dataSize);
      return false;
    }
    return true;
  }

  // Appends `count` bytes of `block` from `offset`, within the budget.
  bool take(std::uint32_t block, std::size_t offset, std::uint64_t count) {
    const std::uint64_t room = m_budget - std::min<std::uint64_t>(m_budget, m_bytes.size());
    const auto bytes = m_disk.block(block).subspan(offset, static_cast<std::size_t>(std::min(count, room)));
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    if (count > room) {
      warn("too-large", m_header, m_size);
      return false;
    }
    return true;
  }

  const AdfDisk& m_disk;
  const std::uint32_t m_header;
  const std::uint32_t m_size;  // byte_size: the authority on how much is read
  const std::string& m_path;
  const std::uint64_t m_budget;
  std::vector<ContainerWarning>& m_warnings;
  std::vector<std::uint8_t> m_bytes;
  std::uint32_t m_dataBlocks = 0;  // data blocks met so far: the next one's sequence number on OFS
};

}  // namespace

AdfFileRead readAdfFile(const AdfDisk& disk, std::uint32_t header, const std::string& path, std::uint64_t byteBudget,
                        std::vector<ContainerWarning>& warnings) {
  return FileReader(disk, header, path, byteBudget, warnings).read();
}

}  // namespace zarvex
