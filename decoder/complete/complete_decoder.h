// The complete listing style on a host: lists the file image held in a
// ListingState with every token of the AMOS editor and shows it through the
// host, as the classic decoder does (the document in the view, plain text
// when Highlight is unticked, then the damage and token-count messages).
#pragma once

#include <string>

#include "listing_host.h"
#include "listing_state.h"
#include "load_result.h"

namespace zarvex {

// Lists state.FileBytes (FileLength bytes and one more zero byte) into
// state.RtfDocument and state.PlainListing and shows it. A file image that
// does not start like an AMOS program is refused with RuntimeError 321
// before anything changes, and an image not laid out as a load leaves it
// with RuntimeError 75.
// Running out of memory is told to the user (error 7) and ends the listing.
LoadResult DecodeCompleteListing(ListingState& state, ListingHost& host, const std::string& fileName = {});

}  // namespace zarvex
