// The classic decoder: lists a file image already in memory by the classic
// vocabulary, through the reader library, and shows it through the host.
//
// File layout as read here (all numbers big-endian):
//   header text up to a zero byte (n bytes), then at RoundUpEven(n + 1) a
//   16-bit code length L, then L bytes of program lines. A file that starts
//   with the signature "AMOS Basic " or "AMOS Pro" (16 bytes of text) has a
//   32-bit code length at offset 16 and its lines from offset 20 instead.
//   A line: size in 2-byte units (1 byte), indentation + 1 (1 byte), tokens.
//   A token: a 16-bit code and a payload whose layout depends on the code.
//
// The listing document is RTF: a header with the colour table, one paragraph
// ("\par" CR LF) per program line, and a closing "}".
#pragma once

#include "listing_host.h"
#include "listing_state.h"
#include "load_result.h"
#include "morvane_imports.h"

namespace zarvex {

// Decodes state.FileBytes, which must hold FileLength bytes and one more zero
// byte, into the listing. Used by LoadAmosFile, and by callers that have the
// image already (fuzzing, tests). An image not laid out so is refused with
// RuntimeError 75 before anything changes.
LoadResult DecodeFileImage(ListingState& state, ListingHost& host,
                           MorvaneImports& imports = MorvaneImports::program());

}  // namespace zarvex
