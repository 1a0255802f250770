#include "program_search.h"

#include <algorithm>
#include <array>
#include <new>
#include <optional>
#include <span>
#include <string_view>

#include "complete_walk.h"
#include "container_files.h"
#include "file_system.h"
#include "latin1_text.h"
#include "listing_host.h"
#include "morvane_imports.h"
#include "runtime_error.h"
#include "silent_host.h"

namespace zarvex {

namespace {

// Thrown out of a walk to end it: the search was cancelled.
struct Stop {};

// While counting, the bytes of program members are kept for the search that
// follows, up to this much in all by default; past it the walk is made again
// for the rest.
constexpr std::size_t kHeldBytes = 64 * 1024 * 1024;


constexpr unsigned char upperLatin1(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<unsigned char>(c - 32);
  return c;
}

constexpr std::array<char, 256> kUpper = [] {
  std::array<char, 256> table{};
  for (int c = 0; c < 256; ++c) table[static_cast<std::size_t>(c)] = static_cast<char>(upperLatin1(static_cast<unsigned char>(c)));
  return table;
}();

// UTF-8 text as ISO-8859-1 bytes; nothing when it holds a character past U+00FF.
std::optional<std::string> latin1Of(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < text.size() &&
               (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
      out.push_back(static_cast<char>((c & 3) << 6 | (static_cast<unsigned char>(text[++i]) & 0x3F)));
    } else {
      return std::nullopt;
    }
  }
  return out;
}

// The text sought, in the lines of ISO-8859-1 listings.
class LineMatcher {
 public:
  LineMatcher(const std::string& text, bool ignoreCase) : m_wanted(latin1Of(text)), m_ignoreCase(ignoreCase) {
    // A line never holds a line break.
    if (m_wanted && m_wanted->find('\n') != std::string::npos) m_wanted.reset();
    if (m_wanted && ignoreCase) {
      for (char& c : *m_wanted) c = kUpper[static_cast<unsigned char>(c)];
    }
  }

  // False when no line can hold the text.
  bool possible() const { return m_wanted.has_value(); }
  std::size_t length() const { return m_wanted ? m_wanted->size() : 0; }

  // Calls use(number, line, column) for each line of `listing` that holds
  // the text: lines end with '\n' (the last one maybe not), numbered from 1.
  template <typename Use>
  void forEachLine(std::string_view listing, Use&& use) {
    if (!m_wanted) return;
    std::string_view haystack = listing;
    if (m_ignoreCase) {
      m_folded.resize(listing.size());
      for (std::size_t i = 0; i < listing.size(); ++i) m_folded[i] = kUpper[static_cast<unsigned char>(listing[i])];
      haystack = m_folded;
    }
    const std::string_view wanted = *m_wanted;
    std::int32_t number = 1;
    std::size_t lineStart = 0;
    while (lineStart < listing.size()) {
      const std::size_t at = wanted.empty() ? lineStart : haystack.find(wanted, lineStart);
      if (at == std::string_view::npos) return;
      std::size_t newline = listing.find('\n', lineStart);
      while (newline < at) {
        ++number;
        lineStart = newline + 1;
        newline = listing.find('\n', lineStart);
      }
      const std::size_t end = newline == std::string_view::npos ? listing.size() : newline;
      use(number, listing.substr(lineStart, end - lineStart), at - lineStart);
      if (newline == std::string_view::npos) return;
      lineStart = newline + 1;
      ++number;
    }
  }

 private:
  std::optional<std::string> m_wanted;  // ISO-8859-1, upper-cased when case is ignored
  bool m_ignoreCase;
  std::string m_folded;  // the listing upper-cased, its room reused from program to program
};

// One search: the programs handed to it one by one, in either style.
class Search {
 public:
  Search(const std::string& text, bool ignoreCase, ListingStyle style, const std::function<void(const SearchHit&)>& hit,
         const std::function<void(const std::string&)>& note)
      : m_matcher(text, ignoreCase), m_style(style), m_hit(hit), m_note(note) {}

  // The classic style calls into the reader library: bound here, with
  // bindings of this search's own (the program's shared ones bind lazily,
  // unguarded, on whichever thread calls first). False, told, when the
  // library cannot be had.
  bool ready() {
    if (m_style != ListingStyle::Classic) return true;
    try {
      m_imports.emplace();
      const std::uint8_t zero[4] = {};
      m_imports->getBSShort(zero);
      return true;
    } catch (const RuntimeError& e) {
      tell(e.description());
      m_summary.failed = true;
      return false;
    }
  }

  void nowhere(const std::string& name) {
    tell(name + ": no such file, folder or member");
    m_summary.failed = true;
  }

  // Lists the program named `name`, on the host at `hostPath` (unless the
  // walk read it whole already, into `hostImage`) or in `bytes`, and hands
  // on the lines that hold the text.
  void program(const std::string& name, const std::string& hostPath, std::vector<std::uint8_t>&& bytes,
               std::vector<std::uint8_t>&& hostImage = {}) {
    const bool classic = m_style == ListingStyle::Classic;
    std::vector<std::uint8_t>& image = m_state.FileBytes;  // the bytes and one zero byte after them
    try {
      if (!hostImage.empty()) {
        if (static_cast<std::int64_t>(hostImage.size()) - 1 > kMaxAmosFileSize) return;
        image = std::move(hostImage);
      } else if (!hostPath.empty()) {
        const ReadOnlyFile host(hostPath);
        if (host.size() > kMaxAmosFileSize) return;
        image = host.readImage(host.size());
      } else {
        if (classic && static_cast<std::int64_t>(bytes.size()) > kMaxAmosFileSize) return;
        image = std::move(bytes);
        image.push_back(0);
      }
      if (!m_matcher.possible()) return;
      ++m_summary.programs;
      const std::span<const std::uint8_t> file(image.data(), image.size() - 1);
      std::string_view listing;
      if (classic) {
        m_state.FileLength = static_cast<std::int32_t>(file.size());
        DecodeListing(m_state, m_host, ListingStyle::Classic, name, *m_imports);
        listing = m_state.PlainListing;
      } else {
        WalkCompleteListing(file, m_complete);
        listing = m_complete.text;
      }
      const auto length = static_cast<std::int32_t>(m_matcher.length());
      m_matcher.forEachLine(listing, [&](std::int32_t number, std::string_view line, std::size_t column) {
        ++m_summary.hits;
        if (!m_hit) return;
        m_found.file = name;
        m_found.line = number;
        m_found.text = latin1ToUtf8(line);
        m_found.column = static_cast<std::int32_t>(column);
        m_found.length = length;
        m_hit(m_found);
      });
    } catch (const RuntimeError& e) {
      tell(e.description());
      m_summary.failed = true;
    } catch (const std::bad_alloc&) {
      tell(name + ": out of memory");
      m_summary.failed = true;
    }
  }

  SearchSummary& summary() { return m_summary; }

 private:
  void tell(const std::string& sentence) {
    if (m_note) m_note(sentence);
  }

  LineMatcher m_matcher;
  ListingStyle m_style;
  const std::function<void(const SearchHit&)>& m_hit;
  const std::function<void(const std::string&)>& m_note;
  SearchSummary m_summary;
  // Kept from program to program, so that their room is reused. A search
  // reads the plain listing only.
  ListingState m_state = [] {
    ListingState state;
    state.WantsDocument = false;
    return state;
  }();
  CompleteListing m_complete = [] {
    CompleteListing listing;
    listing.wantsDocument = false;
    return listing;
  }();
  SearchHit m_found;
  SilentHost m_host;
  std::optional<MorvaneImports> m_imports;
};

// A program met while counting.
struct Pending {
  std::string name;
  std::string hostPath;
  std::vector<std::uint8_t> bytes;
};

}  // namespace

SearchSummary searchPrograms(const std::vector<std::string>& names, const std::string& text, bool ignoreCase,
                             ListingStyle style, const std::function<void(const SearchHit&)>& hit,
                             const std::function<bool(int done, int total)>& progress,
                             const std::function<void(const std::string&)>& note) {
  return searchPrograms(names, text, ignoreCase, style, hit, progress, note, kHeldBytes);
}

SearchSummary searchPrograms(const std::vector<std::string>& names, const std::string& text, bool ignoreCase,
                             ListingStyle style, const std::function<void(const SearchHit&)>& hit,
                             const std::function<bool(int done, int total)>& progress,
                             const std::function<void(const std::string&)>& note, std::size_t heldBytes) {
  Search search(text, ignoreCase, style, hit, note);
  if (!search.ready()) return search.summary();

  if (!progress) {
    for (const std::string& name : names) {
      const bool any = forEachSourceFile(
          name,
          [&](SourceFile& file) {
            if (file.kind == MemberKind::Program) {
              search.program(file.name, file.hostPath, std::move(file.bytes), std::move(file.image));
            }
          },
          note, HostReads::ProgramsWhole);
      if (!any) search.nowhere(name);
    }
    return search.summary();
  }

  // Counted first, so that progress can say how far the search is.
  std::vector<Pending> pending;
  std::size_t held = 0;
  bool overflowed = false;
  int total = 0;
  try {
    for (const std::string& name : names) {
      if (!progress(0, 0)) throw Stop{};
      const bool any = forEachSourceFile(
          name,
          [&](SourceFile& file) {
            if (!progress(0, 0)) throw Stop{};
            if (file.kind != MemberKind::Program) return;
            ++total;
            if (overflowed) return;
            if (file.hostPath.empty()) {
              if (held + file.bytes.size() > heldBytes) {
                overflowed = true;
                return;
              }
              held += file.bytes.size();
            }
            pending.push_back({file.name, file.hostPath, std::move(file.bytes)});
          },
          note);
      if (!any) search.nowhere(name);
    }
  } catch (const Stop&) {
    search.summary().cancelled = true;
    return search.summary();
  }

  int done = 0;
  if (!progress(0, total)) {
    search.summary().cancelled = true;
    return search.summary();
  }
  // A cancel counts while something is left to search.
  for (Pending& program : pending) {
    search.program(program.name, program.hostPath, std::move(program.bytes));
    program.bytes = {};
    const bool goOn = progress(++done, total);
    if (!goOn && (overflowed || done < static_cast<int>(pending.size()))) {
      search.summary().cancelled = true;
      return search.summary();
    }
  }
  if (!overflowed) return search.summary();

  // The programs past those kept: the walk again, from where the kept ones end.
  const std::size_t skip = pending.size();
  pending = {};
  std::size_t seen = 0;
  try {
    for (const std::string& name : names) {
      forEachSourceFile(
          name,
          [&](SourceFile& file) {
            if (!progress(done, std::max(done, total))) throw Stop{};
            if (file.kind != MemberKind::Program || seen++ < skip) return;
            search.program(file.name, file.hostPath, std::move(file.bytes), std::move(file.image));
            ++done;
          },
          {});
    }
  } catch (const Stop&) {
    search.summary().cancelled = true;
    return search.summary();
  }
  progress(done, std::max(done, total));
  return search.summary();
}

}  // namespace zarvex
