#include "highlight_switch.h"

#include "listing_presentation.h"

namespace zarvex {

void SwitchHighlight(ListingHost& host, const std::string& rtfDocument) {
  ListingView& view = host.view();
  const std::int32_t start = view.selectionStart();
  const std::int32_t length = view.selectionLength();
  if (host.highlightTicked()) {
    ShowPlainText(host);
    host.setHighlightTicked(false);
  } else {
    if (!view.restyle(&rtfDocument)) {
      view.setTextRtf(std::string());
      view.setTextRtf(rtfDocument);
    }
    host.setHighlightTicked(true);
  }
  view.setSelectionStart(start);
  view.setSelectionLength(length);
}

}  // namespace zarvex
