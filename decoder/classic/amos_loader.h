// LoadAmosFile: the first steps of a load (the program's folder made
// current, the size check, the title, the file read once), then the classic
// decoder (classic_decoder.h) lists the image.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "classic_decoder.h"
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
inline std::int32_t RoundUpEven(std::int32_t n) { return (n & 1) != 0 ? n + 1 : n; }

// Adds `count` to `position` in place.
inline void Advance(std::int32_t& position, std::int32_t count) { position += count; }

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

// The file name part of a path: what follows its last "/" or "\".
std::string fileNamePart(const std::string& path);

}  // namespace zarvex
