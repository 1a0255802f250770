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

void ListingLine::append(std::string_view text, TextStyle style) {
  if (text.empty()) return;
  const auto begin = static_cast<std::uint32_t>(m_text.size());
  m_text.append(text);
  if (style == TextStyle::Plain) return;
  const auto end = static_cast<std::uint32_t>(m_text.size());
  if (!m_spans.empty() && m_spans.back().end == begin && m_spans.back().style == style) {
    m_spans.back().end = end;
  } else {
    m_spans.push_back({begin, end, style});
  }
}

void ListingLine::appendRtf(std::string& out) const {
  const std::string_view text = m_text;
  std::size_t done = 0;
  for (const Span& span : m_spans) {
    appendRtfCharacters(out, text.substr(done, span.begin - done));
    out += groupOpening(span.style);
    appendRtfCharacters(out, text.substr(span.begin, span.end - span.begin));
    out += '}';
    done = span.end;
  }
  appendRtfCharacters(out, text.substr(done));
  out += "\\par\r\n";
}

void ListingLine::appendPlain(std::string& out) const {
  out += m_text;
  out += '\n';
}

}  // namespace zarvex
