// Where a listing's text can go as it is made, instead of into a string that
// holds all of it: a tool that prints the listing and nothing else needs no
// more than a piece of it at a time.
#pragma once

#include <string_view>

namespace zarvex {

class TextSink {
 public:
  virtual ~TextSink() = default;
  // The next piece of the text, in order; valid only during the call.
  virtual void take(std::string_view text) = 0;
};

}  // namespace zarvex
