// A listing view that keeps nothing: for hosts that take the listing from
// the document itself and never read the view (zarvex-list --rtf, benchmarks).
#pragma once

#include "listing_host.h"

namespace zarvex {

class DiscardingListingView : public ListingView {
 public:
  void setTextRtf(const std::string&) override {}
  std::string plainText() const override { return {}; }
  void setPlainText(const std::string&) override {}
  std::int32_t selectionStart() const override { return 0; }
  void setSelectionStart(std::int32_t) override {}
  std::int32_t selectionLength() const override { return 0; }
  void setSelectionLength(std::int32_t) override {}
};

}  // namespace zarvex
