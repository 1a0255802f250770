#include "container_commands.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "amos_loader.h"
#include "complete_walk.h"
#include "console_output.h"
#include "container_files.h"
#include "file_system.h"
#include "latin1_text.h"
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

// Does `line` hold `text`? Both ISO-8859-1; `fold` maps a byte to its
// upper-case form (or to itself).
template <typename Fold>
bool holds(std::string_view line, std::string_view text, Fold fold) {
  if (text.empty()) return true;
  return std::search(line.begin(), line.end(), text.begin(), text.end(),
                     [&](char a, char b) { return fold(static_cast<unsigned char>(a)) == fold(static_cast<unsigned char>(b)); }) !=
         line.end();
}

unsigned char upperLatin1(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<unsigned char>(c - 32);
  return c;
}

// UTF-8 text as ISO-8859-1 bytes; nothing when it holds a character past U+00FF.
std::optional<std::string> latin1Of(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < text.size()) {
      out.push_back(static_cast<char>((c & 3) << 6 | (static_cast<unsigned char>(text[++i]) & 0x3F)));
    } else {
      return std::nullopt;
    }
  }
  return out;
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
      writeTo(messages, {"zarvex-list: ", name, ": warning: ",
                         warning.message.empty() ? warningLine(warning) : warning.kind + ": " + warning.message, "\n"});
    }
    if (listing.fatal) writeTo(messages, {"zarvex-list: ", name, ": the archive ends in an error: ", *listing.fatal, "\n"});
    if (!listing.warnings.empty() || listing.fatal) status = std::max(status, int{kDamaged});
  }
  return status == kNotFound ? kNotFound : status;
}

int findInPrograms(const std::string& text, bool ignoreCase, const std::vector<std::string>& names, std::FILE* out,
                   std::FILE* messages) {
  const auto wanted = latin1Of(text);
  bool found = false;
  bool failed = false;
  bool written = true;
  for (const std::string& name : names) {
    const bool any = forEachSourceFile(
        name,
        [&](SourceFile& file) {
          if (file.kind != MemberKind::Program || !written) return;
          std::vector<std::uint8_t> bytes = std::move(file.bytes);
          if (!file.hostPath.empty()) {
            try {
              const ReadOnlyFile host(file.hostPath);
              if (host.size() > kMaxAmosFileSize) return;
              bytes = host.readImage(host.size());
              bytes.pop_back();
            } catch (const RuntimeError& e) {
              writeTo(messages, {"zarvex-list: ", e.description(), "\n"});
              failed = true;
              return;
            }
          }
          if (!wanted) return;  // a character no listing can hold
          const CompleteListing listing = WalkCompleteListing(bytes);
          std::string_view rest = listing.text;
          for (std::size_t number = 1; !rest.empty(); ++number) {
            const auto end = rest.find('\n');
            const std::string_view line = rest.substr(0, end);
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
            const bool match = ignoreCase ? holds(line, *wanted, upperLatin1) : holds(line, *wanted, [](unsigned char c) { return c; });
            if (!match) continue;
            found = true;
            written = writeTo(out, {file.name, ":", std::to_string(number), ":", latin1ToUtf8(line), "\n"}) && written;
          }
        },
        [&](const std::string& note) { writeTo(messages, {"zarvex-list: ", note, "\n"}); });
    if (!any) {
      writeTo(messages, {"zarvex-list: ", name, ": no such file, folder or member\n"});
      failed = true;
    }
  }
  if (!written || failed) return kError;
  return found ? kOk : kNotFound;
}

}  // namespace zarvex
