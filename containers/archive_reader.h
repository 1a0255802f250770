// LHA (LZH), ZIP and TAR archives through libarchive, read from memory:
// every regular file's bytes, names normalised ('..' and absolute paths never
// leave the archive), with the limits that keep a hostile archive from
// filling memory.
#pragma once

#include <cstdint>
#include <span>

#include "container_member.h"

namespace zarvex {

// At most this many entries are read, and a member or nested container
// holds at most this many bytes.
inline constexpr std::size_t kMaxArchiveEntries = 65'536;
inline constexpr std::size_t kMaxMemberBytes = 64 * 1024 * 1024;
// All members of one archive hold at most this many bytes together.
inline constexpr std::size_t kMaxArchiveBytes = 256 * 1024 * 1024;

// Every member file of the archive `bytes`.
ContainerListing readArchive(std::span<const std::uint8_t> bytes);

}  // namespace zarvex
