// LoadAmosFile: reads a tokenised AMOS program and builds its listing.
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

#include <cstdint>
#include <memory>
#include <string>

#include "file_system.h"
#include "listing_host.h"
#include "listing_presentation.h"
#include "listing_state.h"
#include "load_result.h"
#include "morvane_imports.h"

namespace zarvex {

// Files above this size are refused.
inline constexpr std::int64_t kMaxAmosFileSize = 1048576;

// n + 1 when n is odd, else n. n must be below INT32_MAX.
std::int32_t RoundUpEven(std::int32_t n);

// Adds `count` to `position` in place.
void Advance(std::int32_t& position, std::int32_t count);

// The first steps of every load: makes the program's folder current, opens
// the file at `path` once and checks its size. Returns the open file, or null
// after telling the user "File too big protection error". Throws RuntimeError
// when there is no such file or it is no regular file.
std::unique_ptr<ReadOnlyFile> OpenCheckedFile(const std::string& path, ListingHost& host);

// Loads the program at `path` into `state` and shows its listing through
// `host`. Failures before the file is in memory (no such file, unreadable,
// the program's folder cannot become current) are thrown as RuntimeError and
// change nothing but, once the size check has passed, the window title. From
// then on every error is put to the user with OK (go on with the next step)
// and Cancel (stop, show the listing as far as it was built). Never reads
// outside the file image.
LoadResult LoadAmosFile(const std::string& path, ListingState& state, ListingHost& host,
                        MorvaneImports& imports = MorvaneImports::program());

// Steps from the file in memory onwards: decodes state.FileBytes, which must
// hold FileLength bytes and one more zero byte, into the listing. Used by
// LoadAmosFile, and by callers that have the image already (fuzzing, tests).
LoadResult DecodeFileImage(ListingState& state, ListingHost& host,
                           MorvaneImports& imports = MorvaneImports::program());

// The file name part of a path: what follows its last "/" or "\".
std::string fileNamePart(const std::string& path);

}  // namespace zarvex
