// The listing view's steps every load and the Highlight switch share: how a
// document is put into the host's view, highlighted or as plain text.
#pragma once

#include "listing_host.h"
#include "listing_state.h"

namespace zarvex {

// Empties the view and restarts the document with its header.
void BeginListing(ListingHost& host, ListingState& state);

// Shows the document in the view, as plain text when Highlight is unticked.
void PresentListing(ListingHost& host, const ListingState& state);

// Replaces the view's content with its own characters, unformatted.
void ShowPlainText(ListingHost& host);

}  // namespace zarvex
