#include "listing_line.h"

#include "rtf_text.h"

namespace zarvex {

namespace {

std::string_view groupOpening(TextStyle style) {
  switch (style) {
    case TextStyle::Keyword: return "{\\b ";
    case TextStyle::Number: return "{\\cf1 ";
    case TextStyle::String: return "{\\cf3 ";
    case TextStyle::Unknown: return "{\\cf2 ";
    case TextStyle::Comment:
    case TextStyle::Marker: return "{\\cf7 ";
    case TextStyle::Plain: break;
  }
  return {};
}

}  // namespace

void ListingLine::start(int indentation) {
  m_text.assign(static_cast<std::size_t>(indentation), ' ');
  m_spans.clear();
}

void ListingLine::applyBlank(BlankRule rule) {
  switch (rule) {
    case BlankRule::Before:
      if (!empty() && !endsWithBlank()) appendBlank();
      break;
    case BlankRule::Strip:
      if (endsWithBlank()) {
        m_text.pop_back();
        if (!m_spans.empty() && m_spans.back().end > m_text.size()) {
          if (--m_spans.back().end == m_spans.back().begin) m_spans.pop_back();
        }
      }
      break;
    case BlankRule::None:
      break;
  }
}

void ListingLine::appendRtf(StringAppender& out) const {
  const std::string_view text = m_text;
  // Most lines have nothing to escape: their pieces are copied as they are.
  const bool plainCopy = standsForItselfInRtf(text);
  const auto putText = [&](std::string_view piece) {
    if (plainCopy) {
      out.put(piece);
    } else {
      appendRtfCharacters(out, piece);
    }
  };
  // Spans lie in order within the text: pieces are cut without checks.
  const auto piece = [&](std::size_t begin, std::size_t end) {
    return std::string_view(text.data() + begin, end - begin);
  };
  std::size_t done = 0;
  for (const Span& span : m_spans) {
    putText(piece(done, span.begin));
    out.put(groupOpening(span.style));
    putText(piece(span.begin, span.end));
    out.put('}');
    done = span.end;
  }
  putText(piece(done, text.size()));
  out.put("\\par\r\n");
}


}  // namespace zarvex
