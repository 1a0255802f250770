#include "member_kind.h"

#include <algorithm>
#include <string_view>

namespace zarvex {

namespace {

constexpr std::size_t kDdBytes = 901'120;
constexpr std::size_t kHdBytes = 1'802'240;

bool hasAt(std::span<const std::uint8_t> bytes, std::size_t offset, std::string_view text) {
  return bytes.size() >= offset + text.size() &&
         std::equal(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                    [](char c, std::uint8_t byte) { return static_cast<std::uint8_t>(c) == byte; });
}

// An LHA header: its method, "-lh5-" and the like, at bytes 2-6, and the
// header level (0 to 3) at byte 20.
bool isLha(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 22 || !hasAt(bytes, 2, "-l") || bytes[6] != '-' || bytes[20] > 3) return false;
  const char a = static_cast<char>(bytes[4]);
  const char b = static_cast<char>(bytes[5]);
  return (a == 'h' && ((b >= '0' && b <= '7') || b == 'd')) || (a == 'z' && (b == 's' || b == '4' || b == '5'));
}

// A DOS boot block: "DOS" and a DOS type from 0 to 7.
bool startsWithDos(std::span<const std::uint8_t> bytes) { return hasAt(bytes, 0, "DOS") && bytes.size() > 3 && bytes[3] <= 7; }

}  // namespace

ContainerKind recogniseContainer(std::span<const std::uint8_t> bytes) {
  const std::size_t size = bytes.size();
  if (hasAt(bytes, 0, "DMS!")) return ContainerKind::Dms;
  if (hasAt(bytes, 0, "UAE--ADF") || hasAt(bytes, 0, "UAE-1ADF")) return ContainerKind::ExtAdf;
  if (isLha(bytes)) return ContainerKind::Lha;
  if (hasAt(bytes, 0, "PK\x03\x04") || hasAt(bytes, 0, "PK\x05\x06")) return ContainerKind::Zip;
  if (hasAt(bytes, 257, "ustar")) return ContainerKind::Tar;
  if (hasAt(bytes, 0, "LZX")) return ContainerKind::Lzx;
  if (size == kDdBytes || size == kHdBytes) return ContainerKind::Adf;
  if (startsWithDos(bytes) && size >= 1024) return size < kHdBytes ? ContainerKind::Adf : ContainerKind::Hdf;
  return ContainerKind::None;
}

MemberKind memberKindOf(std::span<const std::uint8_t> bytes) {
  if (bytes.size() >= 20 && (hasAt(bytes, 0, "AMOS Basic ") || hasAt(bytes, 0, "AMOS Pro")) && bytes[16] == 0) {
    return MemberKind::Program;
  }
  if (bytes.size() >= 6 &&
      (hasAt(bytes, 0, "AmBk") || hasAt(bytes, 0, "AmSp") || hasAt(bytes, 0, "AmIc") || hasAt(bytes, 0, "AmBs"))) {
    return MemberKind::Bank;
  }
  if (recogniseContainer(bytes) != ContainerKind::None) return MemberKind::Container;
  return MemberKind::Other;
}

}  // namespace zarvex
