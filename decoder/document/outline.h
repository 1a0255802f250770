// The outline of a program: its procedures, with their parameters, and its
// labels, in program order, each with the listing line that holds it.
//
// Built from the tokens, by the complete listing's reading of the program
// (decoder/complete/complete_walk.h): the same lines, enciphered bodies deciphered (on
// a copy), a compiled body passed over whole, and it stops where that listing
// stops at damage. The entries are therefore the same in both styles; only
// their line numbers differ, since each style lays out the program in lines
// of its own (the classic listing walks a compiled or enciphered body as
// lines and does not stop at a line of length 0).
//
// Pure: no host, no messages. Never reads outside the bytes it is given.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "listing_style.h"

namespace zarvex {

struct OutlineEntry {
  enum class Kind { Procedure, Label };
  Kind kind = Kind::Label;
  // ISO-8859-1, as the complete listing writes it: a procedure's name with
  // its parameters ("_MAKE_MASK[S,C1,C2]"), a label with its colon ("START:")
  // or a line number label alone ("100").
  std::string name;
  // The listing line, from 1, in the style asked for. 0 when that style's
  // listing does not reach the entry's program line (the classic listing
  // can stop earlier, inside a compiled body for one).
  std::int32_t line = 0;

  friend bool operator==(const OutlineEntry&, const OutlineEntry&) = default;
};

// The outline of `file`, a whole program file, with the line numbers of the
// listing in `style`. Empty for a file that does not start like an AMOS
// program. Throws std::bad_alloc only.
std::vector<OutlineEntry> buildOutline(std::span<const std::uint8_t> file, ListingStyle style);

// Where each line of the listing in `style` comes from: for every listing
// line in order, the file offset of the program line that starts it (its
// length byte). The two styles lay out the same program lines, so a line of
// one style is found in the other as the last line from an offset at or
// before its own; where the classic listing loses the program's lines (a
// token it reads with the wrong length), its lines start at offsets of its
// own. Empty for a file that does not start like an AMOS program.
std::vector<std::int64_t> listingLineOrigins(std::span<const std::uint8_t> file, ListingStyle style);

}  // namespace zarvex
