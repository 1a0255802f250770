#include "program_place.h"

#include <QScrollBar>
#include <algorithm>

#include "outline.h"
#include "rich_text_view.h"

namespace zarvex {

namespace {

std::int64_t originOf(int line, const std::vector<std::int64_t>& origins) {
  if (origins.empty()) return -1;
  return origins[static_cast<std::size_t>(std::clamp(line, 0, static_cast<int>(origins.size()) - 1))];
}

// The last listing line that comes from `origin` or from before it.
int lineFrom(std::int64_t origin, int line, const std::vector<std::int64_t>& origins) {
  if (origin < 0 || origins.empty()) return line;
  const auto after = std::upper_bound(origins.begin(), origins.end(), origin);
  return static_cast<int>(std::max<std::ptrdiff_t>(0, after - origins.begin() - 1));
}

}  // namespace

ProgramPlace programPlace(const RichTextView& view, const std::vector<std::int64_t>& origins) {
  ProgramPlace place;
  const std::int32_t start = view.selectionStart();
  place.selectionLine = view.lineOf(start);
  place.topLine = view.firstVisibleLine() - 1;
  place.selectionOrigin = originOf(place.selectionLine, origins);
  place.topOrigin = originOf(place.topLine, origins);
  const std::int32_t lineStart = view.lineStart(place.selectionLine + 1);
  place.column = start - lineStart;
  place.length = view.selectionLength();
  place.lineToSelectionEnd = std::string(view.characters().substr(static_cast<std::size_t>(lineStart),
                                                                  static_cast<std::size_t>(place.column + place.length)));
  place.left = view.horizontalScrollBar()->value();
  return place;
}

void showProgramPlace(RichTextView& view, const ProgramPlace& place, const std::vector<std::int64_t>& origins) {
  const int line = lineFrom(place.selectionOrigin, place.selectionLine, origins);
  const std::int32_t lineStart = view.lineStart(line + 1);
  if (view.characters().substr(static_cast<std::size_t>(lineStart)).starts_with(place.lineToSelectionEnd)) {
    view.select(lineStart + place.column, lineStart + place.column + place.length);
  } else {
    view.setCaret(lineStart);
  }
  view.verticalScrollBar()->setValue(lineFrom(place.topOrigin, place.topLine, origins));
  view.horizontalScrollBar()->setValue(place.left);
}

StyleSwitchPlace::ViewState StyleSwitchPlace::stateOf(const RichTextView& view, std::span<const std::uint8_t> file) {
  return {file.data(), file.size(), view.characterCount(), view.selectionStart(), view.selectionLength(),
          view.verticalScrollBar()->value(), view.horizontalScrollBar()->value()};
}

void StyleSwitchPlace::leave(const RichTextView& view, std::span<const std::uint8_t> file, ListingStyle from) {
  const ViewState now = stateOf(view, file);
  // Back where the last switch came from, untouched since: the place from
  // before it is the one to give back.
  m_returning = m_canReturn && now == m_after;
  if (m_returning) return;
  m_before = now;
  m_beforeStyle = from;
  m_place = programPlace(view, listingLineOrigins(file, from));
}

void StyleSwitchPlace::arrive(RichTextView& view, std::span<const std::uint8_t> file, ListingStyle to) {
  if (m_returning && to == m_beforeStyle && view.characterCount() == m_before.characters) {
    view.select(m_before.start, m_before.start + m_before.length);
    view.verticalScrollBar()->setValue(m_before.top);
    view.horizontalScrollBar()->setValue(m_before.left);
    m_canReturn = false;  // a third switch starts afresh
    return;
  }
  showProgramPlace(view, m_place, listingLineOrigins(file, to));
  m_after = stateOf(view, file);
  m_canReturn = true;
}

}  // namespace zarvex
