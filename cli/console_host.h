// The decoder's host for the command-line tool: the view lives in memory,
// messages go to standard error and every question is answered OK.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "discarding_listing_view.h"
#include "listing_host.h"
#include "memory_listing_view.h"

namespace zarvex {

// `highlighted`: print the document (the view is never read) rather than the
// view's plain text.
class ConsoleHost : public ListingHost {
 public:
  ConsoleHost(bool highlighted, std::ostream& messages) : m_highlighted(highlighted), m_messages(messages) {
    if (highlighted) {
      m_view = std::make_unique<DiscardingListingView>();
    } else {
      m_view = std::make_unique<MemoryListingView>();
    }
  }

  std::string programTitle() const override { return "zarvex-list"; }
  void setWindowTitle(const std::string&) override {}
  bool highlightTicked() const override { return m_highlighted; }
  void setHighlightTicked(bool ticked) override { m_highlighted = ticked; }
  ListingView& view() override { return *m_view; }
  MessageAnswer showMessage(const std::string& text, MessageButtons buttons) override;
  void showLoadSummary(const std::string& text) override {
    if (!m_quiet) showMessage(text, MessageButtons::Ok);
  }

  // Leaves out the token summary after each file; errors are still told.
  void setQuiet(bool quiet) { m_quiet = quiet; }

  // Prefixes messages with the file they are about; counts its errors anew.
  void setCurrentFile(const std::string& file) {
    m_file = file;
    m_errors = 0;
  }
  // The errors the decoder put to the user (each answered OK) for this file.
  int errorsReported() const { return m_errors; }

 private:
  bool m_highlighted;
  std::ostream& m_messages;
  std::unique_ptr<ListingView> m_view;
  std::string m_file;
  bool m_quiet = false;
  int m_errors = 0;
};

}  // namespace zarvex
