// Find in Files: every line that holds a text, in the listings of every
// program below some names (folders, disk images, archives, members of
// them, single programs), listed in the style the user reads. Shared by
// zarvex-list --find and the window's Find in Files dialog.
//
// Standard C++ only. A search may run on any thread, several at once: each
// one decodes with its own reader-library bindings and keeps no state
// between calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "listing_style.h"

namespace zarvex {

// One line that holds the text.
struct SearchHit {
  std::string file;       // as forEachSourceFile names it: a host path, or CONTAINER/MEMBER...
  std::int32_t line = 0;  // from 1
  std::string text;       // the listing line, UTF-8, without its line break
  // The first match in the line, in characters (not bytes) from the line's
  // start. A listing's characters are ISO-8859-1, each one QChar as well.
  std::int32_t column = 0;
  std::int32_t length = 0;
};

// How a search went.
struct SearchSummary {
  std::int32_t programs = 0;  // programs listed and searched
  std::int64_t hits = 0;
  bool failed = false;     // a name led nowhere, or a program could not be read (each told through `note`)
  bool cancelled = false;  // `progress` answered false
};

// Searches the listing in `style` of every program below `names` for the
// lines that hold `text` (UTF-8; a text with a character past U+00FF, or a
// line break, is in no listing; the empty text is in every line). With
// `ignoreCase`, A-Z and the Latin-1 letters match in either case. Programs
// are searched in the order forEachSourceFile meets them; one hit a line.
//
// `progress` (may be empty) hears (0, 0) while the programs are being
// counted, then (done, total) before the first program and after each one;
// false from it cancels, at once during the count and before the next
// program after it. Without `progress` nothing is counted first: the
// programs are searched as the walk meets them. `note` (may be empty) hears
// each warning of a container, a name that leads nowhere and a program that
// cannot be read, as one sentence naming the file.
SearchSummary searchPrograms(const std::vector<std::string>& names, const std::string& text, bool ignoreCase,
                             ListingStyle style, const std::function<void(const SearchHit&)>& hit,
                             const std::function<bool(int done, int total)>& progress,
                             const std::function<void(const std::string&)>& note);

// The same, holding at most `heldBytes` of the members' bytes from the count
// to the search (64 MiB above); past that the walk is made again for the
// programs not held.
SearchSummary searchPrograms(const std::vector<std::string>& names, const std::string& text, bool ignoreCase,
                             ListingStyle style, const std::function<void(const SearchHit&)>& hit,
                             const std::function<bool(int done, int total)>& progress,
                             const std::function<void(const std::string&)>& note, std::size_t heldBytes);

}  // namespace zarvex
