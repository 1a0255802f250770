#include "container_files.h"

#include <algorithm>
#include <filesystem>

#include "adf_image.h"
#include "archive_reader.h"
#include "file_system.h"
#include "runtime_error.h"

namespace zarvex {

namespace {

namespace fs = std::filesystem;

ContainerListing refused(const char* code, const char* reason) {
  ContainerListing listing;
  listing.refusal = ContainerRefusal{code, reason};
  return listing;
}

// The whole file at `path` when it is no larger than `limit`; nothing when
// it cannot be read or is larger.
std::optional<std::vector<std::uint8_t>> readHostFile(const std::string& path, std::int64_t limit) {
  try {
    const ReadOnlyFile file(path);
    if (file.size() > limit) return std::nullopt;
    std::vector<std::uint8_t> bytes = file.readImage(file.size());
    bytes.pop_back();  // the image's extra zero byte
    return bytes;
  } catch (const RuntimeError&) {
    return std::nullopt;
  }
}

std::string lastComponent(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether a walk that `reads` so reads a file of `kind` whole while it finds
// the kind.
bool readsWhole(HostReads reads, MemberKind kind) {
  if (kind == MemberKind::Program) return reads != HostReads::KindsOnly;
  return kind == MemberKind::Bank && reads == HostReads::ProgramsAndBanksWhole;
}

// The kind of a host file from its first bytes and its size, reading the
// whole file only when it may be a container (whose kind can hang on its
// size: disk images are known by it), or when it is a file the walk's caller
// will want whole (into `image`, laid out as a load leaves a file image).
MemberKind hostFileKind(const std::string& path, std::vector<std::uint8_t>* whole,
                        std::vector<std::uint8_t>* image = nullptr, HostReads reads = HostReads::KindsOnly) {
  try {
    const ReadOnlyFile file(path);
    std::vector<std::uint8_t> head = file.readImage(std::min<std::int64_t>(file.size(), 512));
    head.pop_back();
    const MemberKind kind = memberKindOf(head);
    if (image != nullptr && readsWhole(reads, kind) && file.size() <= kProgramImageLimit) {
      try {
        *image = file.readImage(file.size());
      } catch (const RuntimeError&) {
        // Still of its kind: its reader, opening the path, says what went wrong.
        image->clear();
      }
    }
    const bool diskSized = file.size() == 901'120 || file.size() == 1'802'240;
    const bool dos = head.size() >= 3 && head[0] == 'D' && head[1] == 'O' && head[2] == 'S';
    if (kind != MemberKind::Container && !diskSized && !dos) return kind;
    if (file.size() > kMaxContainerBytes) return kind;
    // A file of a disk's size read whole already is not read again.
    const bool hadImage = image != nullptr && !image->empty();
    std::vector<std::uint8_t> bytes = hadImage ? std::move(*image) : file.readImage(file.size());
    const MemberKind full = memberKindOf({bytes.data(), bytes.size() - 1});  // the image's zero byte left out
    if (hadImage && full == kind) {
      *image = std::move(bytes);
      return full;
    }
    if (image != nullptr) image->clear();  // a file of another kind than its first bytes said
    bytes.pop_back();
    if (whole != nullptr && full == MemberKind::Container) *whole = std::move(bytes);
    return full;
  } catch (const RuntimeError&) {
    if (image != nullptr) image->clear();
    return MemberKind::Other;
  }
}

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string joined(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + '/' + name;
}

void tellAbout(const std::string& name, const ContainerListing& listing, const ContainerNote& note) {
  if (!note) return;
  if (listing.refusal) note(name + ": " + listing.refusal->reason);
  for (const ContainerWarning& warning : listing.warnings) note(describeWarning(name, warning));
  if (listing.fatal) note(name + ": the archive ends in an error: " + *listing.fatal);
}

// The members of a container, by path.
std::vector<const ContainerMember*> sortedMembers(const ContainerListing& listing) {
  std::vector<const ContainerMember*> members;
  for (const ContainerMember& member : listing.members) members.push_back(&member);
  std::sort(members.begin(), members.end(), [](const auto* a, const auto* b) { return a->path < b->path; });
  return members;
}

// A member path that stays inside wherever it is unpacked: no empty, "."
// or ".." component and no leading '/'. Archive names are normalised so by
// their reader; a disk image may hold a file named ".." all the same.
bool staysInside(const std::string& path) {
  if (path.empty() || path.front() == '/') return false;
  std::size_t start = 0;
  while (true) {
    const auto slash = path.find('/', start);
    const std::string part = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (slash == std::string::npos) return true;
    start = slash + 1;
  }
}

void walkContainer(const std::string& name, std::span<const std::uint8_t> bytes, int depth, const std::string& inside,
                   const std::function<void(SourceFile&)>& use, const ContainerNote& note) {
  const ContainerListing listing = openContainer(bytes);
  tellAbout(name, listing, note);
  for (const ContainerMember* member : sortedMembers(listing)) {
    const std::string memberName = name + '/' + member->path;
    if (!staysInside(member->path)) {
      if (note) note(memberName + ": left out: its name would lead outside the container");
      continue;
    }
    const MemberKind kind = memberKindOf(member->bytes);
    if (kind == MemberKind::Container && depth < kMaxContainerDepth && !member->damaged) {
      walkContainer(memberName, member->bytes, depth + 1, joined(inside, member->path), use, note);
      continue;
    }
    SourceFile file{memberName, {}, member->bytes, joined(inside, folderOf(member->path)), member->damaged, kind, false, {}};
    use(file);
  }
}

// `inside`: the file's folder below the folder walked; nothing for a file
// named itself. A container's members keep their own folders below that, and
// below the container's name when it was met in a folder.
void walkHostFile(const std::string& path, const std::optional<std::string>& inside,
                  const std::function<void(SourceFile&)>& use, const ContainerNote& note, HostReads reads) {
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint8_t> image;
  const MemberKind kind = hostFileKind(path, &bytes, &image, reads);
  if (kind == MemberKind::Container && !bytes.empty()) {
    walkContainer(path, bytes, 1, inside ? joined(*inside, lastComponent(path)) : std::string(), use, note);
    return;
  }
  if (kind == MemberKind::Container && note) note(path + ": too large to be a disk image or archive Zarvex reads (over 64 MiB)");
  SourceFile file{path, path, {}, inside.value_or(std::string()), false, kind, !inside.has_value(), std::move(image)};
  use(file);
}

// UTF-8 text as characters (a byte that is not part of valid UTF-8 counts as
// the character of its value).
std::vector<char32_t> charactersOf(const std::string& text) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t value = more == 3 ? c & 7 : more == 2 ? c & 15 : more == 1 ? c & 31 : c;
    bool valid = c < 0x80 || more > 0;
    for (int k = 1; valid && k <= more; ++k) {
      if (i + static_cast<std::size_t>(k) >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
        valid = false;
      } else {
        value = value << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
      }
    }
    if (!valid) {
      out.push_back(c);
      ++i;
    } else {
      out.push_back(value);
      i += 1 + static_cast<std::size_t>(more);
    }
  }
  return out;
}

std::vector<std::string> componentsOf(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const auto slash = path.find('/', start);
    const std::string part = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (!part.empty()) parts.push_back(part);
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return parts;
}

std::string joinedComponents(const std::vector<std::string>& parts, std::size_t from, std::size_t to) {
  std::string out;
  for (std::size_t i = from; i < to; ++i) out += (i > from ? "/" : "") + parts[i];
  return out;
}

ResolvedName notFound() { return {std::nullopt, "not found"}; }

// The rest of a name, `parts`, inside the container `listing` named `name`.
// A member whose path would lead outside the container is not found, as a
// walk leaves it out: its folders become those of the files made from it.
ResolvedName resolveInside(const ContainerListing& listing, const std::string& name, const std::vector<std::string>& parts,
                           int depth, const std::string& inside) {
  for (std::size_t length = parts.size(); length > 0; --length) {
    const std::string wanted = joinedComponents(parts, 0, length);
    const ContainerMember* found = nullptr;
    for (const ContainerMember& member : listing.members) {
      if (member.path == wanted && staysInside(member.path)) found = &member;
    }
    if (found == nullptr) {
      int matches = 0;
      for (const ContainerMember& member : listing.members) {
        if (staysInside(member.path) && sameNameIgnoringCase(member.path, wanted, listing.internationalCase)) {
          found = &member;
          ++matches;
        }
      }
      if (matches > 1) return {std::nullopt, "ambiguous"};
    }
    if (found == nullptr) continue;
    const std::string memberName = name + '/' + found->path;
    const MemberKind kind = memberKindOf(found->bytes);
    if (length == parts.size()) {
      return {SourceFile{memberName, {}, found->bytes, joined(inside, folderOf(found->path)), found->damaged, kind, false, {}}, {}};
    }
    if (kind != MemberKind::Container || depth >= kMaxContainerDepth) return notFound();
    const ContainerListing nested = openContainer(found->bytes);
    return resolveInside(nested, memberName, {parts.begin() + static_cast<std::ptrdiff_t>(length), parts.end()},
                         depth + 1, joined(inside, found->path));
  }
  return notFound();
}

}  // namespace

ContainerListing openContainer(std::span<const std::uint8_t> bytes) {
  switch (recogniseContainer(bytes)) {
    case ContainerKind::Adf:
      return readAdfImage(bytes);
    case ContainerKind::Lha:
    case ContainerKind::Zip:
    case ContainerKind::Tar:
      return readArchive(bytes);
    case ContainerKind::Dms:
      return refused("dms", "a DMS-packed disk: Zarvex reads plain ADF images only; unpack it to an ADF first");
    case ContainerKind::ExtAdf:
      return refused("ext-adf", "an extended ADF (raw tracks): not supported");
    case ContainerKind::Lzx:
      return refused("lzx", "an LZX archive: not supported");
    case ContainerKind::Hdf:
      return refused("hdf", "a hard-disk image: only floppy images of 880 KiB and 1,760 KiB are supported");
    case ContainerKind::None:
      break;
  }
  return {};
}

bool forEachSourceFile(const std::string& name, const std::function<void(SourceFile&)>& use, const ContainerNote& note,
                       HostReads reads) {
  std::error_code error;
  // One look at the name: a folder, a file, or a path into a container.
  const fs::file_status status = fs::status(name, error);
  if (fs::is_directory(status)) {
    std::vector<std::string> files;
    for (fs::recursive_directory_iterator it(name, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
      if (it->is_regular_file(error)) files.push_back(it->path().string());
    }
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) {
      std::string folder = fs::path(file).parent_path().lexically_relative(name).generic_string();
      if (folder == ".") folder.clear();
      walkHostFile(file, folder, use, note, reads);
    }
    return true;
  }
  if (fs::is_regular_file(status)) {
    walkHostFile(name, std::nullopt, use, note, reads);
    return true;
  }
  ResolvedName resolved = resolveName(name);
  if (!resolved.file) return false;
  SourceFile& file = *resolved.file;
  file.named = true;
  if (file.kind == MemberKind::Container) {
    walkContainer(file.name, file.bytes, 2, joined(file.inside, lastComponent(file.name)), use, note);
  } else {
    use(file);
  }
  return true;
}

ResolvedName resolveName(const std::string& name) {
  std::error_code error;
  if (fs::is_regular_file(name, error)) {
    SourceFile file{name, name, {}, {}, false, hostFileKind(name, nullptr), false, {}};
    return {std::move(file), {}};
  }
  for (auto slash = name.rfind('/'); slash != std::string::npos && slash > 0; slash = name.rfind('/', slash - 1)) {
    const std::string host = name.substr(0, slash);
    if (!fs::is_regular_file(host, error)) continue;
    const auto bytes = readHostFile(host, kMaxContainerBytes);
    if (!bytes || memberKindOf(*bytes) != MemberKind::Container) return notFound();
    const std::vector<std::string> parts = componentsOf(name.substr(slash + 1));
    if (parts.empty()) return notFound();
    return resolveInside(openContainer(*bytes), host, parts, 1, {});
  }
  return notFound();
}

bool sameNameIgnoringCase(const std::string& a, const std::string& b, bool international) {
  const auto x = charactersOf(a), y = charactersOf(b);
  if (x.size() != y.size()) return false;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const auto upper = [&](char32_t c) {
      return c <= 0xFF ? static_cast<char32_t>(adfUpper(static_cast<std::uint8_t>(c), international)) : c;
    };
    if (upper(x[i]) != upper(y[i])) return false;
  }
  return true;
}

std::string describeWarning(const std::string& container, const ContainerWarning& warning) {
  const std::string where = container + (warning.path == "/" ? std::string() : warning.path);
  if (!warning.message.empty()) return where + ": " + warning.message;
  const std::string block = warning.block ? std::to_string(*warning.block) : "?";
  const std::string pointer = warning.pointer ? std::to_string(*warning.pointer) : "?";
  struct Phrase {
    const char* kind;
    std::string text;
  };
  const Phrase phrases[] = {
      {"truncated-image", "the image is cut short (" + pointer + " bytes): the blocks past its end are missing"},
      {"extra-bytes", "the image is " + pointer + " bytes long: the bytes after its last block are left out"},
      {"bad-checksum", "block " + block + " has a wrong checksum; it is used all the same"},
      {"out-of-range", "block " + block + " points at block " + pointer + ", outside the disk: followed no further"},
      {"missing-block", "block " + block + " points at block " + pointer + ", past the end of the image"},
      {"loop", "block " + block + " leads back to block " + pointer + ": followed no further"},
      {"not-an-entry", "block " + block + " points at block " + pointer + ", which is no file or folder"},
      {"bad-name", "the entry in block " + block + " has a name AmigaDOS does not allow: left out"},
      {"parent-mismatch", "the entry in block " + block + " names block " + pointer + " as its folder"},
      {"duplicate-name", "the entry in block " + block + " repeats a name of its folder: left out"},
      {"too-deep", "the folder in block " + block + " lies more than 32 levels deep: not entered"},
      {"size-exceeds-disk", "records " + pointer + " bytes, more than the disk holds: not read"},
      {"bad-table", "its block table (block " + block + ") claims " + pointer + " entries: read no further"},
      {"bad-data-block", "data block " + pointer + " does not belong to it: read no further"},
      {"size-mismatch", "data block " + block + " holds " + pointer + " bytes, not what the file needs"},
      {"short-file", "its blocks end after " + pointer + " bytes, before its recorded size"},
      {"bad-extension", "block " + pointer + " is no extension block: read no further"},
      {"too-large", "the disk's files hold more than Zarvex reads from one disk: cut there"},
  };
  for (const Phrase& phrase : phrases) {
    if (warning.kind == phrase.kind) return where + ": " + phrase.text;
  }
  return where + ": " + warning.kind;
}

std::string warningLine(const ContainerWarning& warning) {
  const auto number = [](const std::optional<std::uint32_t>& value) { return value ? std::to_string(*value) : "-"; };
  return warning.kind + '\t' + number(warning.block) + '\t' + number(warning.pointer) + '\t' + warning.path;
}

}  // namespace zarvex
