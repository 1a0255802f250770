// What the readers of disk images and archives give: the member files, read
// into memory, and what they found wrong on the way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zarvex {

// A file inside a container.
struct ContainerMember {
  std::string path;                 // inside the container, '/' between folders, UTF-8
  std::vector<std::uint8_t> bytes;  // what the reader yields: a prefix of the file when damaged
  std::optional<std::uint64_t> recordedSize;  // the size a disk image's file header records
  bool damaged = false;
};

// A container keeps at most this many warnings: a hostile disk can repeat
// one fault for every pair of its blocks.
inline constexpr std::size_t kMaxContainerWarnings = 10'000;

// A fault found while reading a container; the reading goes on past it.
struct ContainerWarning {
  std::string kind;                     // "loop", "bad-checksum", "too-large"...
  std::optional<std::uint32_t> block;   // the disk block holding the fault, when there is one
  std::optional<std::uint32_t> pointer;  // the offending value, when there is one
  std::string path;                     // the folder walked or the file read ("/", "/Sub/X.AMOS")
  std::string message;                  // for archives: the library's words
};

// Why a container is not read at all: "dms", "ext-adf", "lzx", "hdf", "ndos",
// "no-root", "longname".
struct ContainerRefusal {
  std::string code;
  std::string reason;  // one sentence for the user
};

struct ContainerListing {
  std::vector<ContainerMember> members;  // in the order found
  std::vector<ContainerWarning> warnings;
  std::optional<ContainerRefusal> refusal;  // set: nothing was read
  std::optional<std::string> fatal;         // an archive that ends in an error: its message
  // How names compare without case: the disk's rule on an ADF (ASCII or
  // international), the international rule in archives.
  bool internationalCase = true;
};

}  // namespace zarvex
