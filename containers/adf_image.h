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

// The files of one disk image together yield at most this many bytes. A
// sound disk holds at most 1,802,240; only a disk whose files share their
// blocks comes near it, and the file that would pass it is cut short there
// (damaged, warning `too-large`).
inline constexpr std::uint64_t kMaxAdfListingBytes = 64 * 1024 * 1024;

// Every file of the disk image `image`, read into memory, in the order the
// walk of the directories meets them (depth-first, hash slots in order).
// An image of any size is taken: a shorter one has its missing blocks
// reported, a longer DD one its extra bytes; one longer than an HD floppy is
// refused (`hdf`), as are non-DOS disks (`ndos`), long-name file systems
// (`longname`) and images that end before their root block (`no-root`).
// A damaged disk lists what can be read, with warnings.
ContainerListing readAdfImage(std::span<const std::uint8_t> image);

// A name byte upper-cased by an ADF's rule: a-z always; with the
// international rule also E0-FE except F7.
std::uint8_t adfUpper(std::uint8_t byte, bool international);

// The hash slot (0-71) of a name (Latin-1 bytes) in a directory's table, by
// the disk's upper-casing rule.
std::uint32_t adfHashSlot(std::span<const std::uint8_t> name, bool international);

}  // namespace zarvex
