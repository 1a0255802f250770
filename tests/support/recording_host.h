// A decoder host for tests: an in-memory view, a title, the Highlight tick,
// and message boxes that record their text and answer from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "listing_host.h"
#include "memory_listing_view.h"

namespace zarvex::testing {

class RecordingHost : public ListingHost {
 public:
  struct Message {
    std::string text;
    MessageButtons buttons;
  };

  std::string programTitle() const override { return "Zarvex"; }
  void setWindowTitle(const std::string& title) override { windowTitle = title; }
  bool highlightTicked() const override { return highlight; }
  void setHighlightTicked(bool ticked) override { highlight = ticked; }
  ListingView& view() override { return memoryView; }
  MessageAnswer showMessage(const std::string& text, MessageButtons buttons) override {
    messages.push_back({text, buttons});
    if (buttons == MessageButtons::Ok || answers.empty()) return MessageAnswer::Ok;
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::string windowTitle = "Zarvex v0.38";
  bool highlight = true;
  MemoryListingView memoryView;
  std::vector<Message> messages;
  std::deque<MessageAnswer> answers;  // for OK/Cancel questions; OK when empty
};

}  // namespace zarvex::testing
