// Programs where they live: files on the host, folders, and the members of
// disk images and archives, named as the user sees them ("games.adf/Games/
// Quatro.AMOS", nested containers continuing the path), opened up to three
// containers deep, and found again from such a name.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "container_member.h"
#include "member_kind.h"

namespace zarvex {

// Containers nest at most this deep: the file on the host, one inside it and
// one inside that. A container deeper still is listed, not opened.
inline constexpr int kMaxContainerDepth = 3;
// A container file on the host, or one inside another, is read only up to this size.
inline constexpr std::int64_t kMaxContainerBytes = 64 * 1024 * 1024;

// Opens the container `bytes` by its kind: its members, or its refusal.
// Bytes that are no container give a listing with nothing in it.
ContainerListing openContainer(std::span<const std::uint8_t> bytes);

// A file to read: on the host (`hostPath`), or a member of a container,
// already in memory.
struct SourceFile {
  std::string name;       // as shown: the host path, or CONTAINER/MEMBER...
  std::string hostPath;   // set for a host file
  std::vector<std::uint8_t> bytes;  // a member's bytes (empty for a host file)
  std::string inside;     // a member's folders from the outermost container's root, "" on the host
  bool damaged = false;   // a member read only in part
  MemberKind kind = MemberKind::Other;
  bool named = false;     // the very file the name given names, not one found below it
  // A host file that starts like a program (or a bank file) and is no larger
  // than kProgramImageLimit, read whole while its kind was found when the
  // walk was asked to (HostReads): its bytes and one zero byte after them, as
  // a load lays a file image out. Empty otherwise; a reader then opens
  // hostPath itself.
  std::vector<std::uint8_t> image;
};

// The largest program a listing takes (1 MiB); a larger one is left to the
// load from its path, which refuses it. Bank files larger than this are read
// from their paths too.
inline constexpr std::int64_t kProgramImageLimit = 1048576;

// What a walk met besides files: warnings, refusals and fatal ends, each
// one sentence naming its container.
using ContainerNote = std::function<void(const std::string& sentence)>;

// Every file below `name`: a folder on the host (recursively, sorted by
// name), a container on the host or a member path into one (its members,
// nested containers opened to the depth limit), or a single file. Each is
// handed to `use` with its kind; `note` hears what went wrong on the way.
// False when `name` names nothing.
//
// With `ProgramsWhole`, a host program is read whole while its kind is found
// (SourceFile::image), for a caller that lists every program it is handed;
// `ProgramsAndBanksWhole` reads bank files so too, for a caller that reads
// the banks of every file it is handed. A caller that only looks at names
// and kinds keeps `KindsOnly`, which reads the first bytes of each file.
enum class HostReads { KindsOnly, ProgramsWhole, ProgramsAndBanksWhole };
bool forEachSourceFile(const std::string& name, const std::function<void(SourceFile&)>& use, const ContainerNote& note,
                       HostReads reads = HostReads::KindsOnly);

// A name typed by the user, found: the host file, or the member of the
// container it leads into. `error` is "not found" or "ambiguous" when it
// leads nowhere.
struct ResolvedName {
  std::optional<SourceFile> file;
  std::string error;
};
ResolvedName resolveName(const std::string& name);

// True when `a` and `b` are the same name without regard to case, by the
// ASCII rule or the international one (ADF upper-casing, applied to the
// characters U+0000 to U+00FF of UTF-8 text).
bool sameNameIgnoringCase(const std::string& a, const std::string& b, bool international);

// A warning as a sentence for people: "games.adf/Sub/X.AMOS: block 1360
// leads back to block 1349: followed no further".
std::string describeWarning(const std::string& container, const ContainerWarning& warning);

// One line for a warning: "kind\tblock\tpointer\tpath" ('-' for none).
std::string warningLine(const ContainerWarning& warning);

}  // namespace zarvex
