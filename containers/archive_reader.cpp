#include "archive_reader.h"

#include <archive.h>
#include <archive_entry.h>
#include <locale.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "shared_library.h"

namespace zarvex {

namespace {

#define ZARVEX_ARCHIVE_ENTRIES(X)                                                                     \
  X(archive_read_new) X(archive_read_free) X(archive_error_string) X(archive_read_data)                  \
  X(archive_read_support_format_lha) X(archive_read_support_format_zip) X(archive_read_support_format_tar) \
  X(archive_read_set_options) X(archive_read_open_memory) X(archive_read_next_header)                   \
  X(archive_entry_filetype) X(archive_entry_hardlink) X(archive_entry_pathname) X(archive_entry_pathname_utf8)

// libarchive, loaded the first time an archive is read.
ZARVEX_LIBRARY_API(ArchiveApi, ZARVEX_LIBARCHIVE_SONAME, ZARVEX_ARCHIVE_ENTRIES);

const ArchiveApi& api() { return ArchiveApi::bound(); }

// libarchive converts names through the calling thread's LC_CTYPE: an LHA
// name with a byte >= 0x80 makes the header read fail outright unless the
// character type is UTF-8 (and the LHA names are declared Latin-1). Neither
// Qt's locale nor the C locale of a command line can be relied on, so every
// read runs in C.UTF-8 on this thread only, put back on every way out.
class Utf8ThreadLocale {
 public:
  Utf8ThreadLocale() {
    m_utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (m_utf8 == static_cast<locale_t>(0)) m_utf8 = newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(0));
    if (m_utf8 != static_cast<locale_t>(0)) m_previous = uselocale(m_utf8);
  }
  ~Utf8ThreadLocale() {
    if (m_utf8 == static_cast<locale_t>(0)) return;
    uselocale(m_previous);
    freelocale(m_utf8);
  }
  Utf8ThreadLocale(const Utf8ThreadLocale&) = delete;
  Utf8ThreadLocale& operator=(const Utf8ThreadLocale&) = delete;

 private:
  locale_t m_utf8 = static_cast<locale_t>(0);
  locale_t m_previous = static_cast<locale_t>(0);
};

struct ArchiveFree {
  void operator()(archive* a) const { api().archive_read_free(a); }
};
using ArchiveHandle = std::unique_ptr<archive, ArchiveFree>;

constexpr std::size_t kReadBufferBytes = 65'536;

std::string errorText(archive* a) {
  const char* text = api().archive_error_string(a);
  if (text != nullptr && *text != '\0') return text;
  return "the archive cannot be read any further";
}

// Well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07u;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0u) != 0x80u) return false;
      code = (code << 6) | (next & 0x3Fu);
    }
    if (length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) return false;
    if (length == 4 && (code < 0x10000 || code > 0x10FFFF)) return false;
    i += length;
  }
  return true;
}

// A name as UTF-8: taken as it is when it already is, else each byte is one
// Latin-1 character (ZIP names written without the UTF-8 flag by Amiga and
// DOS zippers).
std::string nameAsUtf8(std::string_view raw) {
  if (isUtf8(raw)) return std::string(raw);
  std::string text;
  text.reserve(raw.size() * 2);
  for (const char c : raw) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text.push_back(c);
    } else {
      text.push_back(static_cast<char>(0xC0u | (byte >> 6)));
      text.push_back(static_cast<char>(0x80u | (byte & 0x3Fu)));
    }
  }
  return text;
}

// The member path of a name: empty and '.' components dropped, so a leading
// '/' or './' goes. Empty when the name climbs out with '..' or names nothing:
// such an entry never becomes a member.
std::string normalisedPath(std::string_view name) {
  std::string path;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view part = name.substr(start, end - start);
    if (part == "..") return {};
    if (!part.empty() && part != ".") {
      if (!path.empty()) path.push_back('/');
      path.append(part);
    }
    start = end + 1;
  }
  return path;
}

ContainerWarning warning(std::string kind, std::string path, std::string message) {
  ContainerWarning w;
  w.kind = std::move(kind);
  w.path = std::move(path);
  w.message = std::move(message);
  return w;
}

enum class DataEnd { Whole, Damaged, Fatal };

// Reads the current entry's data into `member`, at most kMaxMemberBytes, and
// no more than `left` of the archive's allowance for all members.
DataEnd readData(archive* a, ContainerMember& member, std::vector<std::uint8_t>& buffer, ContainerListing& listing,
                 std::size_t& left) {
  for (;;) {
    const la_ssize_t got = api().archive_read_data(a, buffer.data(), buffer.size());
    if (got == 0) return DataEnd::Whole;
    if (got < 0) {
      member.damaged = true;
      listing.warnings.push_back(warning("bad-data", "/" + member.path, errorText(a)));
      if (got == ARCHIVE_FATAL) {
        listing.fatal = errorText(a);
        return DataEnd::Fatal;
      }
      return DataEnd::Damaged;
    }
    const std::size_t room = std::min(kMaxMemberBytes - member.bytes.size(), left);
    const std::size_t take = std::min(static_cast<std::size_t>(got), room);
    member.bytes.insert(member.bytes.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(take));
    left -= take;
    if (take < static_cast<std::size_t>(got) && left == 0) {
      // Many members inflating from little (entries sharing compressed data)
      // could ask for far more memory than any real archive: stop there.
      member.damaged = true;
      listing.warnings.push_back(warning("too-large", "/" + member.path,
                                         "the archive's members hold more than " + std::to_string(kMaxArchiveBytes) +
                                             " bytes in all: the rest is not read"));
      return DataEnd::Fatal;
    }
    if (take < static_cast<std::size_t>(got)) {
      // A member that inflates past the cap (a zip bomb, or a real file too
      // big to be an AMOS program or bank) keeps its first bytes only.
      member.damaged = true;
      listing.warnings.push_back(warning("too-large", "/" + member.path,
                                         "more than " + std::to_string(kMaxMemberBytes) + " bytes: cut there"));
      return DataEnd::Damaged;
    }
  }
}

}  // namespace

ContainerListing readArchive(std::span<const std::uint8_t> bytes) {
  ContainerListing listing;
  listing.internationalCase = true;
  if (!api().missing.empty()) {
    listing.fatal = "archives cannot be read: " + api().missing;
    return listing;
  }

  // Declared before the handle: the handle is freed first, while the
  // locale its name conversions were made in is still this thread's.
  const Utf8ThreadLocale locale;
  const ArchiveHandle handle(api().archive_read_new());
  archive* a = handle.get();
  if (a == nullptr) {
    listing.fatal = "no memory to open the archive";
    return listing;
  }
  api().archive_read_support_format_lha(a);
  api().archive_read_support_format_zip(a);
  api().archive_read_support_format_tar(a);
  // LHA headers carry no charset and Amiga archivers wrote Latin-1 names. The
  // option reaches the LHA reader only: ZIP names keep their own rules.
  api().archive_read_set_options(a, "lha:hdrcharset=ISO-8859-1");

  static const std::uint8_t kNothing = 0;
  const void* data = bytes.empty() ? &kNothing : bytes.data();
  if (api().archive_read_open_memory(a, data, bytes.size()) != ARCHIVE_OK) {
    listing.fatal = errorText(a);
    return listing;
  }

  std::unordered_set<std::string> paths;
  std::vector<std::uint8_t> buffer(kReadBufferBytes);
  std::size_t headers = 0;
  std::size_t left = kMaxArchiveBytes;
  for (;;) {
    archive_entry* entry = nullptr;
    const int result = api().archive_read_next_header(a, &entry);
    if (result == ARCHIVE_EOF) break;
    // Every header read counts, unreadable ones too: an archive that fails
    // entry after entry still ends.
    if (++headers > kMaxArchiveEntries) {
      listing.warnings.push_back(warning("too-many-entries", "/",
                                         "more than " + std::to_string(kMaxArchiveEntries) + " entries: the rest is not read"));
      break;
    }
    if (result == ARCHIVE_FAILED) {
      listing.warnings.push_back(warning("bad-entry", "/", errorText(a)));
      continue;
    }
    if (result != ARCHIVE_OK && result != ARCHIVE_WARN) {  // ARCHIVE_FATAL, ARCHIVE_RETRY
      listing.fatal = errorText(a);
      break;
    }
    // Directories exist only as prefixes of member paths; links and devices
    // hold no bytes of their own.
    if (api().archive_entry_filetype(entry) != AE_IFREG || api().archive_entry_hardlink(entry) != nullptr) continue;

    const char* raw = api().archive_entry_pathname(entry);
    if (raw == nullptr) raw = api().archive_entry_pathname_utf8(entry);
    if (raw == nullptr) {
      listing.warnings.push_back(warning("bad-name", "/", "a member with no readable name is left out"));
      continue;
    }
    const std::string name = nameAsUtf8(raw);
    std::string path = normalisedPath(name);
    if (path.empty()) {
      listing.warnings.push_back(warning("bad-name", name, "a name outside the archive or naming nothing: left out"));
      continue;
    }
    if (!paths.insert(path).second) {
      listing.warnings.push_back(warning("duplicate-name", "/" + path, "a second member of this name: the first is kept"));
      continue;
    }

    ContainerMember& member = listing.members.emplace_back();
    member.path = std::move(path);
    const DataEnd end = readData(a, member, buffer, listing, left);
    // The recorded size is not trusted for reserving memory (a header may
    // claim gigabytes and hold nothing); the bytes grew as they came.
    member.bytes.shrink_to_fit();
    if (end == DataEnd::Fatal) break;
  }
  return listing;
}

}  // namespace zarvex
