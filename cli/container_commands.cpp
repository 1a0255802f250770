#include "container_commands.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "amos_loader.h"
#include "console_output.h"
#include "container_files.h"
#include "file_system.h"
#include "program_search.h"
#include "runtime_error.h"

namespace zarvex {

namespace {

enum { kOk = 0, kNotFound = 1, kError = 2, kDamaged = 3 };

const char* kindName(MemberKind kind) {
  switch (kind) {
    case MemberKind::Program:
      return "program";
    case MemberKind::Bank:
      return "bank";
    case MemberKind::Container:
      return "container";
    case MemberKind::Other:
      break;
  }
  return "other";
}

// The bytes of a container named on the command line: a host file or a
// member of another container.
std::optional<std::vector<std::uint8_t>> containerBytes(const std::string& name) {
  ResolvedName resolved = resolveName(name);
  if (!resolved.file || resolved.file->kind != MemberKind::Container) return std::nullopt;
  if (!resolved.file->hostPath.empty()) {
    try {
      const ReadOnlyFile file(resolved.file->hostPath);
      if (file.size() > kMaxContainerBytes) return std::nullopt;
      std::vector<std::uint8_t> bytes = file.readImage(file.size());
      bytes.pop_back();
      return bytes;
    } catch (const RuntimeError&) {
      return std::nullopt;
    }
  }
  return std::move(resolved.file->bytes);
}

int listFolder(const std::string& folder, std::FILE* out) {
  bool written = writeTo(out, {"# ", folder, "\n"});
  forEachSourceFile(
      folder,
      [&](SourceFile& file) {
        std::error_code error;
        const auto relative = std::filesystem::path(file.hostPath).lexically_relative(folder).generic_string();
        const auto size = std::filesystem::file_size(file.hostPath, error);
        written = writeTo(out, {relative, "\t", std::to_string(error ? 0 : size), "\t-\t", kindName(file.kind), "\tok\n"}) &&
                  written;
      },
      {});
  return written ? kOk : kError;
}

}  // namespace

int listContainerFiles(const std::vector<std::string>& names, std::FILE* out, std::FILE* messages) {
  int status = kOk;
  for (const std::string& name : names) {
    std::error_code error;
    if (std::filesystem::is_directory(name, error)) {
      if (listFolder(name, out) != kOk) return kNotFound;
      continue;
    }
    const auto bytes = containerBytes(name);
    if (!bytes) {
      writeTo(messages, {"zarvex-list: ", name, ": neither a folder, a disk image nor an archive Zarvex reads\n"});
      status = std::max(status, int{kNotFound});
      continue;
    }
    const ContainerListing listing = openContainer(*bytes);
    if (listing.refusal) {
      writeTo(messages, {"zarvex-list: ", name, ": ", listing.refusal->reason, "\n"});
      status = std::max(status, int{kNotFound});
      continue;
    }
    std::vector<const ContainerMember*> members;
    for (const ContainerMember& member : listing.members) members.push_back(&member);
    std::sort(members.begin(), members.end(), [](const auto* a, const auto* b) { return a->path < b->path; });
    bool written = writeTo(out, {"# ", name, "\n"});
    for (const ContainerMember* member : members) {
      written = writeTo(out, {member->path, "\t", std::to_string(member->bytes.size()), "\t",
                              member->recordedSize ? std::to_string(*member->recordedSize) : "-", "\t",
                              kindName(memberKindOf(member->bytes)), "\t", member->damaged ? "damaged" : "ok", "\n"}) &&
                written;
    }
    if (!written) return kNotFound;
    for (const ContainerWarning& warning : listing.warnings) {
      writeTo(messages, {"zarvex-list: ", describeWarning(name, warning), "\n"});
    }
    if (listing.fatal) writeTo(messages, {"zarvex-list: ", name, ": the archive ends in an error: ", *listing.fatal, "\n"});
    if (!listing.warnings.empty() || listing.fatal) status = std::max(status, int{kDamaged});
  }
  return status == kNotFound ? kNotFound : status;
}

int findInPrograms(const std::string& text, bool ignoreCase, const std::vector<std::string>& names, std::FILE* out,
                   std::FILE* messages) {
  bool written = true;
  const SearchSummary summary = searchPrograms(
      names, text, ignoreCase, ListingStyle::Complete,
      [&](const SearchHit& hit) {
        if (written) written = writeTo(out, {hit.file, ":", std::to_string(hit.line), ":", hit.text, "\n"});
      },
      {}, [&](const std::string& note) { writeTo(messages, {"zarvex-list: ", note, "\n"}); });
  if (!written || summary.failed) return kError;
  return summary.hits > 0 ? kOk : kNotFound;
}

}  // namespace zarvex
