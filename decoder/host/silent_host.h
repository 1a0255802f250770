// A host that shows nothing and answers every question OK, so that a damaged
// program is listed as far as it goes: for decoding where nobody watches
// (searches over many programs, benchmarks). Its view keeps nothing; the
// listing is read from the document and the plain text the decoder builds.
#pragma once

#include "discarding_listing_view.h"
#include "listing_host.h"

namespace zarvex {

class SilentHost final : public ListingHost {
 public:
  std::string programTitle() const override { return "Zarvex"; }
  void setWindowTitle(const std::string&) override {}
  bool highlightTicked() const override { return true; }
  void setHighlightTicked(bool) override {}
  ListingView& view() override { return m_view; }
  MessageAnswer showMessage(const std::string&, MessageButtons) override { return MessageAnswer::Ok; }
  void showLoadSummary(const std::string&) override {}

 private:
  DiscardingListingView m_view;
};

}  // namespace zarvex
