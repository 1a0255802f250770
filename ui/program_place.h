// The reader's place in a program, kept across a change of listing style:
// the two styles lay out the same program lines, but not always as the same
// number of listing lines, nor with the same characters on them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "listing_style.h"

namespace zarvex {

class RichTextView;

struct ProgramPlace {
  // The file offsets of the program lines that hold the selection's start
  // and the top of the view; -1 where the listing had no origins, and the
  // listing line is kept instead.
  std::int64_t selectionOrigin = -1;
  std::int64_t topOrigin = -1;
  int selectionLine = 0;  // listing lines, from 0
  int topLine = 0;
  // The listing from the start of the selection's line to the selection's
  // end: the selection is kept where the new listing holds the same there.
  std::string lineToSelectionEnd;
  std::int32_t column = 0;
  std::int32_t length = 0;
  int left = 0;  // the sideways scroll, in pixels
};

// `origins`: where each listing line of the view comes from, as
// listingLineOrigins gives them for the style shown.
ProgramPlace programPlace(const RichTextView& view, const std::vector<std::int64_t>& origins);

// Shows `place` in the view's new listing, whose lines come from `origins`:
// the same program lines at the caret and at the top; the selection itself
// where its line reads the same up to its end, else the caret at its line's
// start.
void showProgramPlace(RichTextView& view, const ProgramPlace& place, const std::vector<std::int64_t>& origins);

// The place across style switches. A switch keeps the program place; a
// switch back that finds the view as the last switch left it gives back the
// exact place from before, even where the two listings read differently.
class StyleSwitchPlace {
 public:
  // Before the view's listing of `file` in `from` is replaced.
  void leave(const RichTextView& view, std::span<const std::uint8_t> file, ListingStyle from);
  // Once the view shows the listing of the same file in `to`.
  void arrive(RichTextView& view, std::span<const std::uint8_t> file, ListingStyle to);

 private:
  // What identifies the view's state: the file, the characters' count, the
  // selection and the top line.
  struct ViewState {
    const std::uint8_t* file = nullptr;
    std::size_t fileSize = 0;
    std::int32_t characters = 0;
    std::int32_t start = 0;
    std::int32_t length = 0;
    int top = 0;
    int left = 0;
    bool operator==(const ViewState&) const = default;
  };
  static ViewState stateOf(const RichTextView& view, std::span<const std::uint8_t> file);

  ProgramPlace m_place;
  ViewState m_before;         // the view before the last switch
  ListingStyle m_beforeStyle = ListingStyle::Classic;
  ViewState m_after;          // and as that switch left it
  bool m_canReturn = false;
  bool m_returning = false;
};

}  // namespace zarvex
