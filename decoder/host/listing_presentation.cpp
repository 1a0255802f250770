#include "listing_presentation.h"

#include <string>

#include "rtf_text.h"

namespace zarvex {

void BeginListing(ListingHost& host, ListingState& state) {
  host.view().setTextRtf(std::string());
  state.RtfDocument.assign(kRtfHeader);
}

void PresentListing(ListingHost& host, const ListingState& state) {
  host.view().setTextRtf(state.RtfDocument);
  if (!host.highlightTicked()) ShowPlainText(host);
}

void ShowPlainText(ListingHost& host) {
  ListingView& view = host.view();
  // The same characters: a view that can take the formatting off in place
  // need not have them read and set again.
  if (view.restyle(nullptr)) return;
  const std::string text = view.plainText();
  view.setTextRtf(std::string());
  view.setPlainText(text);
}

}  // namespace zarvex
