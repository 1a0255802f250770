#include "adf_image.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "adf_blocks.h"
#include "adf_file_reader.h"

namespace zarvex {

namespace {

constexpr std::uint64_t kDdBytes = std::uint64_t{kAdfDdBlocks} * kAdfBlockBytes;
constexpr std::uint64_t kHdBytes = std::uint64_t{kAdfHdBlocks} * kAdfBlockBytes;
constexpr int kMaxDepth = 32;  // directory levels below the root that are entered
constexpr std::size_t kMaxNameBytes = 30;

ContainerListing refused(std::string code, std::string reason) {
  ContainerListing listing;
  listing.refusal = ContainerRefusal{std::move(code), std::move(reason)};
  return listing;
}

std::string hexBytes(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", byte);
    if (!text.empty()) text += ' ';
    text += hex;
  }
  return text;
}

ContainerListing notAmigaDos(std::span<const std::uint8_t> image) {
  const auto start = image.first(std::min<std::size_t>(4, image.size()));
  return refused("ndos", "boot block " + (start.empty() ? std::string("empty") : hexBytes(start)) +
                             ": not an AmigaDOS disk: probably a track-loader disk; its files cannot be listed");
}

// Names on the disk are Latin-1: each byte is the character of that number.
std::string latin1ToUtf8(std::span<const std::uint8_t> name) {
  std::string text;
  for (const std::uint8_t byte : name) {
    if (byte < 0x80) {
      text += static_cast<char>(byte);
    } else {
      text += static_cast<char>(0xC0 | byte >> 6);
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

bool isEntryType(std::uint32_t secondaryType) {
  return secondaryType == kAdfSecondaryDirectory || secondaryType == kAdfSecondaryFile ||
         secondaryType == kAdfSecondarySoftLink || secondaryType == kAdfSecondaryFileLink ||
         secondaryType == kAdfSecondaryDirectoryLink;
}

// The depth-first walk of the directories from the root: one set of visited
// header blocks for the whole disk ends every cycle, whether a chain comes
// back to its start or a directory holds its own parent.
class DiskWalk {
 public:
  DiskWalk(const AdfDisk& disk, bool international, ContainerListing& listing)
      : m_disk(disk), m_international(international), m_listing(listing), m_visited(disk.blocks()) {}

  void walkRoot(std::uint32_t root) {
    m_visited[root] = true;
    walkDirectory(root, "", 0);
  }

 private:
  void warn(const char* kind, std::uint32_t block, std::optional<std::uint32_t> pointer, const std::string& path) {
    if (m_listing.warnings.size() < kMaxContainerWarnings) m_listing.warnings.push_back({kind, block, pointer, path, {}});
  }

  // The name of entry `block`, or nothing when it is empty, longer than 30
  // bytes or holds a byte AmigaDOS forbids in names.
  std::optional<std::span<const std::uint8_t>> nameOf(std::uint32_t block) const {
    const std::size_t length = m_disk.byteAt(block, kAdfNameLength);
    if (length == 0 || length > kMaxNameBytes) return std::nullopt;
    const auto name = m_disk.block(block).subspan(kAdfNameLength + 1, length);
    for (const std::uint8_t byte : name) {
      if (byte == 0 || byte == '/' || byte == ':') return std::nullopt;
    }
    return name;
  }

  std::string upperCased(std::span<const std::uint8_t> name) const {
    std::string key;
    for (const std::uint8_t byte : name) key += static_cast<char>(adfUpper(byte, m_international));
    return key;
  }

  // `path` is the directory's member path: "" for the root, "Sub/Loop".
  // `level` is its depth: 0 for the root, 1 for a directory in the root.
  void walkDirectory(std::uint32_t directory, const std::string& path, int level) {
    const std::string where = "/" + path;
    std::set<std::string> namesMet;  // upper-cased
    for (std::uint32_t slot = 0; slot < kAdfTableEntries; ++slot) {
      std::uint32_t holder = directory;
      std::uint32_t entry = m_disk.longAt(directory, kAdfTableFirst + 4 * std::size_t{slot});
      while (entry != 0) {
        if (!m_disk.inRange(entry)) {
          warn("out-of-range", holder, entry, where);
          break;
        }
        if (!m_disk.present(entry)) {
          warn("missing-block", holder, entry, where);
          break;
        }
        if (m_visited[entry]) {
          warn("loop", holder, entry, where);
          break;
        }
        m_visited[entry] = true;
        const std::uint32_t secondaryType = m_disk.longAt(entry, kAdfSecondaryType);
        if (m_disk.longAt(entry, 0) != kAdfTypeHeader || m_disk.longAt(entry, kAdfOwnBlock) != entry ||
            !isEntryType(secondaryType)) {
          // Not a header block: its hash chain field means nothing.
          warn("not-an-entry", holder, entry, where);
          break;
        }
        if (!m_disk.checksumOk(entry)) warn("bad-checksum", entry, std::nullopt, where);
        visitEntry(entry, secondaryType, directory, path, level, namesMet);
        holder = entry;
        entry = m_disk.longAt(entry, kAdfHashChain);
      }
    }
  }

  void visitEntry(std::uint32_t entry, std::uint32_t secondaryType, std::uint32_t directory, const std::string& path,
                  int level, std::set<std::string>& namesMet) {
    const std::string where = "/" + path;
    const auto name = nameOf(entry);
    if (!name) {
      warn("bad-name", entry, std::nullopt, where);
      return;
    }
    const std::uint32_t parent = m_disk.longAt(entry, kAdfParent);
    if (parent != directory) warn("parent-mismatch", entry, parent, where);
    // Links and directories too deep to enter still take their name.
    if (!namesMet.insert(upperCased(*name)).second) {
      warn("duplicate-name", entry, std::nullopt, where);
      return;
    }
    const std::string entryPath = (path.empty() ? "" : path + "/") + latin1ToUtf8(*name);
    if (secondaryType == kAdfSecondaryDirectory) {
      if (level + 1 > kMaxDepth) {
        warn("too-deep", entry, std::nullopt, where);
      } else {
        walkDirectory(entry, entryPath, level + 1);
      }
    } else if (secondaryType == kAdfSecondaryFile) {
      AdfFileRead read = readAdfFile(m_disk, entry, "/" + entryPath, kMaxAdfListingBytes - m_bytesYielded,
                                     m_listing.warnings);
      m_bytesYielded += read.bytes.size();
      ContainerMember member;
      member.path = entryPath;
      member.bytes = std::move(read.bytes);
      member.recordedSize = m_disk.longAt(entry, kAdfByteSize);
      member.damaged = read.damaged;
      m_listing.members.push_back(std::move(member));
    }
    // Soft and hard links are neither listed nor followed: a hard link to a
    // directory can make the tree endless.
  }

  const AdfDisk& m_disk;
  const bool m_international;
  ContainerListing& m_listing;
  std::vector<bool> m_visited;
  std::uint64_t m_bytesYielded = 0;
};

}  // namespace

std::uint8_t adfUpper(std::uint8_t byte, bool international) {
  if (byte >= 'a' && byte <= 'z') return static_cast<std::uint8_t>(byte - 32);
  if (international && byte >= 0xE0 && byte <= 0xFE && byte != 0xF7) return static_cast<std::uint8_t>(byte - 32);
  return byte;
}

std::uint32_t adfHashSlot(std::span<const std::uint8_t> name, bool international) {
  std::uint32_t hash = static_cast<std::uint32_t>(name.size());
  for (const std::uint8_t byte : name) hash = (hash * 13 + adfUpper(byte, international)) & 0x7FF;
  return hash % kAdfTableEntries;
}

ContainerListing readAdfImage(std::span<const std::uint8_t> image) {
  const std::uint64_t size = image.size();
  if (size > kHdBytes) {
    return refused("hdf", "a hard-disk image; only floppy images of 880 KiB and 1,760 KiB are supported");
  }
  const auto sizeWarning = [size](const char* kind) {
    return ContainerWarning{kind, std::nullopt, static_cast<std::uint32_t>(size), "/", {}};
  };

  // Geometry from the size alone. Between the two floppy sizes a DD root
  // block in its place means a DD image with bytes after it; otherwise the
  // image is an HD one cut short.
  std::vector<ContainerWarning> warnings;
  std::uint32_t blocks = kAdfHdBlocks;
  if (size == kDdBytes) {
    blocks = kAdfDdBlocks;
  } else if (size < kDdBytes) {
    blocks = kAdfDdBlocks;
    warnings.push_back(sizeWarning("truncated-image"));
  } else if (size < kHdBytes) {
    const AdfDisk dd(image, kAdfDdBlocks, false);
    const std::uint32_t ddRoot = kAdfDdBlocks / 2;
    if (dd.longAt(ddRoot, 0) == kAdfTypeHeader && dd.longAt(ddRoot, kAdfSecondaryType) == kAdfSecondaryRoot) {
      blocks = kAdfDdBlocks;
      warnings.push_back(sizeWarning("extra-bytes"));
    } else {
      warnings.push_back(sizeWarning("truncated-image"));
    }
  }

  // Boot block: "DOS" and the DOS type. Bit 0 is FFS; bit 1 (or the
  // directory cache, bit 2, which implies it) the international rule.
  if (size < 4 || image[0] != 'D' || image[1] != 'O' || image[2] != 'S' || image[3] > 7) return notAmigaDos(image);
  const std::uint8_t dosType = image[3];
  if (dosType >= 6) {
    return refused("longname", "DOS\\" + std::to_string(dosType) +
                                   ": a disk of the long-name file system, whose files cannot be listed");
  }
  const bool ffs = (dosType & 1) != 0;
  const bool international = (dosType & 6) != 0;

  // The root block is the middle one. A boot block starting "DOS" does not
  // make a file system: track-loader disks have one too.
  const AdfDisk disk(image, blocks, ffs);
  const std::uint32_t root = blocks / 2;
  if (!disk.present(root)) return refused("no-root", "the image ends before its root block");
  if (disk.longAt(root, 0) != kAdfTypeHeader || disk.longAt(root, kAdfSecondaryType) != kAdfSecondaryRoot) {
    return notAmigaDos(image);
  }

  ContainerListing listing;
  listing.internationalCase = international;
  listing.warnings = std::move(warnings);
  if (!disk.checksumOk(root)) listing.warnings.push_back({"bad-checksum", root, std::nullopt, "/", {}});
  DiskWalk(disk, international, listing).walkRoot(root);
  return listing;
}

}  // namespace zarvex
