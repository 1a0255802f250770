// What a file found inside a container is, decided by its first bytes and
// its size, never by its name: real disks hold programs called `Equates` and
// banks called `Sprites`.
#pragma once

#include <cstdint>
#include <span>

namespace zarvex {

// The containers recognised by their bytes. Dms, ExtAdf, Lzx and Hdf are
// recognised only to be refused; an ADF of a wrong size that starts with a
// DOS boot block is still an Adf.
enum class ContainerKind { None, Adf, Lha, Zip, Tar, Dms, ExtAdf, Lzx, Hdf };

enum class MemberKind { Program, Bank, Container, Other };

// The kind of container the bytes `bytes` hold, from the first signature
// that matches; None for anything else (programs, banks, texts, nothing).
ContainerKind recogniseContainer(std::span<const std::uint8_t> bytes);

// A program starts "AMOS Basic " or "AMOS Pro" with a 0 in byte 16 (the top
// of its code length), a bank with a bank file signature; a prefix of a
// damaged file keeps its kind when it holds those first bytes.
MemberKind memberKindOf(std::span<const std::uint8_t> bytes);

}  // namespace zarvex
