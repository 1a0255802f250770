// Amiga disk images (ADF): the blocks of a DD (901,120 bytes) or HD
// (1,802,240 bytes) floppy with an AmigaDOS file system, OFS or FFS, with or
// without international upper-casing and a directory cache. Read from the
// hash tables and the file headers' block tables; every block number, size
// and chain is checked, loops are found, and a damaged disk lists what it
// can with warnings.
#pragma once

#include <cstdint>
#include <span>

#include "container_member.h"

namespace zarvex {

// Every file of the disk image `image`, read into memory.
ContainerListing readAdfImage(std::span<const std::uint8_t> image);

// A name byte upper-cased by an ADF's rule: a-z always; with the
// international rule also E0-FE except F7.
std::uint8_t adfUpper(std::uint8_t byte, bool international);

}  // namespace zarvex
