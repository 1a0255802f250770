// The decoder's host for the command-line tool: the view lives in memory,
// messages go to standard error and every question is answered OK.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "discarding_listing_view.h"
#include "listing_host.h"

namespace zarvex {

// The tool prints the listing state's document or plain text, never the
// view, so the view keeps nothing and Highlight stays ticked.
class ConsoleHost : public ListingHost {
 public:
  explicit ConsoleHost(std::FILE* messages) : m_messages(messages) {}

  std::string programTitle() const override { return "zarvex-list"; }
  void setWindowTitle(const std::string&) override {}
  bool highlightTicked() const override { return m_highlighted; }
  void setHighlightTicked(bool ticked) override { m_highlighted = ticked; }
  ListingView& view() override { return m_view; }
  MessageAnswer showMessage(const std::string& text, MessageButtons buttons) override;
  void showLoadSummary(const std::string& text) override {
    if (!m_quiet) showMessage(text, MessageButtons::Ok);
  }
  // Paths are taken from where the tool was started.
  bool entersProgramFolder() const override { return false; }

  // Leaves out the token summary after each file; errors are still told.
  void setQuiet(bool quiet) { m_quiet = quiet; }

  // Prefixes messages with the file they are about.
  void setCurrentFile(const std::string& file) { m_file = file; }

  // Called before each message: the listing printed so far goes out first.
  void setBeforeMessage(std::function<void()> hook) { m_beforeMessage = std::move(hook); }

 private:
  bool m_highlighted = true;
  std::FILE* m_messages;
  DiscardingListingView m_view;
  std::string m_file;
  bool m_quiet = false;
  std::function<void()> m_beforeMessage;
};

}  // namespace zarvex
