// The Highlight switch: shows the listing highlighted or plain without
// reading or decoding the file again.
#pragma once

#include <string>

#include "listing_host.h"

namespace zarvex {

// Flips the display mode: when Highlight is ticked, the view's own text is
// shown unformatted and the tick removed; otherwise the view is refilled from
// `rtfDocument` and ticked. The caret and selection are read first and
// restored last (start, then length). `rtfDocument` is only read.
void SwitchHighlight(ListingHost& host, const std::string& rtfDocument);

}  // namespace zarvex
