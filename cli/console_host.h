// The decoder's host for the command-line tool: the view lives in memory,
// messages go to standard error and every question is answered OK.
#pragma once

#include <ostream>
#include <string>

#include "listing_host.h"
#include "memory_listing_view.h"

namespace zarvex {

class ConsoleHost : public ListingHost {
 public:
  ConsoleHost(bool highlighted, std::ostream& messages) : m_highlighted(highlighted), m_messages(messages) {}

  std::string programTitle() const override { return "zarvex-list"; }
  void setWindowTitle(const std::string&) override {}
  bool highlightTicked() const override { return m_highlighted; }
  void setHighlightTicked(bool ticked) override { m_highlighted = ticked; }
  ListingView& view() override { return m_view; }
  MessageAnswer showMessage(const std::string& text, MessageButtons buttons) override;

  // Prefixes messages with the file they are about.
  void setCurrentFile(const std::string& file) { m_file = file; }

 private:
  bool m_highlighted;
  std::ostream& m_messages;
  MemoryListingView m_view;
  std::string m_file;
};

}  // namespace zarvex
