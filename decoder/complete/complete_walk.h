// The complete listing: every token of a tokenised AMOS program turned back
// into text by the AMOS editor's own rules, as the editor writes it when it
// saves a program as text.
//
// File layout (numbers big-endian): 16 bytes of signature text ("AMOS Basic
// ..." or "AMOS Pro ..."), a 32-bit length of the program's lines, the lines
// from offset 20. The lines end at 20 + that length or at a line whose
// length byte is 0. A line: its length in 16-bit words (the two header bytes
// included), indentation + 1, then tokens up to the code 0000; the next line
// starts at the line's start + 2 * length whatever its tokens said.
//
// Pure: no host, no messages. Never reads outside the bytes it is given.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "load_result.h"
#include "text_sink.h"

namespace zarvex {

struct CompleteListing {
  enum class Damage {
    None,
    EndsEarly,       // the program's lines run past the end of the file
    OutsideProgram,  // a payload or a procedure's distance points past the lines
    // An enciphered procedure whose size does not fit its lines, so it cannot
    // be deciphered: its body is listed as {locked} lines and the walk goes
    // on. damageOffset is its Procedure line; a later damage of the kinds
    // above takes its place.
    EncipheredProcedure,
  };

  std::string rtf;   // the listing document: the RTF header, a paragraph per line, "}"
  std::string text;  // the same listing, ISO-8859-1, "\n" after every line
  // Either may be left out when nobody reads it: its lines are then never
  // written (the document keeps its header and "}").
  bool wantsDocument = true;
  bool wantsText = true;
  // When set, the text (the document) goes here as it is made, and `text`
  // (`rtf`) stays empty.
  TextSink* textSink = nullptr;
  TextSink* rtfSink = nullptr;
  std::int32_t extensionTokens = 0;
  std::int32_t unknownTokens = 0;
  Damage damage = Damage::None;
  std::int64_t damageOffset = -1;  // where the damage was found; never past the file's end
};

// Lists `file`, a whole program file. A damaged file is listed up to the
// damage, then the document is closed. Enciphered procedures are listed
// deciphered, from a copy of the file made when the first one is met: `file`
// itself is never written. Throws std::bad_alloc only.
CompleteListing WalkCompleteListing(std::span<const std::uint8_t> file);

// The same into `listing`, whose strings are emptied first and keep their
// storage: listing the same file again allocates nothing.
void WalkCompleteListing(std::span<const std::uint8_t> file, CompleteListing& listing);

}  // namespace zarvex
