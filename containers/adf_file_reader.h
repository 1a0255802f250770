// One file of an Amiga disk image read through its header's block table and
// its extension blocks: the recorded size decides how many bytes are taken,
// and the first fault found ends the read with what was read so far.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "adf_blocks.h"
#include "container_member.h"

namespace zarvex {

struct AdfFileRead {
  std::vector<std::uint8_t> bytes;  // the file, or the prefix read before a fault
  bool damaged = false;
};

// Reads the file whose header is block `header` (present, in range, type 2,
// secondary type -3: the directory walk has checked it). At most `byteBudget`
// bytes are taken; a file that needs more stops there with a `too-large`
// warning. Faults are added to `warnings` with `path` ("/Sub/X.AMOS").
// Never reserves more than the file's recorded size, which is itself at most
// the disk's capacity.
AdfFileRead readAdfFile(const AdfDisk& disk, std::uint32_t header, const std::string& path,
                        std::uint64_t byteBudget, std::vector<ContainerWarning>& warnings);

}  // namespace zarvex
