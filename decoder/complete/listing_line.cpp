#include "listing_line.h"

#include <algorithm>
#include <iterator>
#include <span>

#include "rtf_text.h"

namespace zarvex {

namespace {

constexpr PaddedText kParagraphEnd = padded("\\par\r\n");

// A group's opening as the document writes it.
const PaddedText& groupOpening(TextStyle style) {
  static constexpr PaddedText kOpenings[] = {
      padded(""),        // Plain
      padded("{\\b "),    // Keyword
      padded("{\\cf1 "),  // Number
      padded("{\\cf3 "),  // String
      padded("{\\cf7 "),  // Comment
      padded("{\\cf2 "),  // Unknown
      padded("{\\cf7 "),  // Marker
  };
  static_assert(static_cast<std::size_t>(TextStyle::Marker) + 1 == std::size(kOpenings));
  return kOpenings[static_cast<std::size_t>(style)];
}

}  // namespace

void ListingLine::grow(std::size_t count) {
  const std::size_t wanted = m_size + count + StringAppender::kBlock;
  const std::size_t capacity = std::max<std::size_t>({wanted, 2 * m_capacity, 256});
  auto chars = std::make_unique<char[]>(capacity);
  auto spans = std::make_unique<Span[]>(capacity);
  if (m_size != 0) std::memcpy(chars.get(), m_chars.get(), m_size);
  std::copy_n(m_spans.get(), m_spanCount, spans.get());
  m_chars = std::move(chars);
  m_spans = std::move(spans);
  m_capacity = capacity;
}

void ListingLine::start(int indentation) {
  const auto blanks = static_cast<std::size_t>(indentation);
  m_size = 0;
  makeRoom(blanks);
  // Indentation is short: sixteen blanks in one store cover most lines.
  static constexpr char kBlanks[16] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  if (blanks <= sizeof kBlanks) {
    std::memcpy(m_chars.get(), kBlanks, sizeof kBlanks);
  } else {
    std::memset(m_chars.get(), ' ', blanks);
  }
  m_size = blanks;
  m_spanCount = 0;
  m_escapes = false;
}

void ListingLine::applyBlank(BlankRule rule) {
  switch (rule) {
    case BlankRule::Before:
      if (!empty() && !endsWithBlank()) appendBlank();
      break;
    case BlankRule::Strip:
      if (endsWithBlank()) {
        --m_size;
        if (m_spanCount != 0 && m_spans[m_spanCount - 1].end > m_size) {
          Span& last = m_spans[m_spanCount - 1];
          if (--last.end == last.begin) --m_spanCount;
        }
      }
      break;
    case BlankRule::None:
      break;
  }
}

void ListingLine::appendRtf(StringAppender& out) const {
  const std::string_view text = this->text();
  const char* const chars = text.data();
  const std::span<const Span> spans(m_spans.get(), m_spanCount);
  // Most lines have nothing to escape and fit the appender's buffer: room is
  // taken once and every piece is written with fixed-size copies, each of
  // which may run up to a block past what it keeps.
  if (const std::size_t most = unescapedRtfSize(); !m_escapes && most + StringAppender::kBlock <= StringAppender::kCapacity) [[likely]] {
    char* const start = out.reserve(most + StringAppender::kBlock);
    char* o = start;
    // Sixteen bytes at a time: most pieces are a keyword, a blank or a
    // group's opening, and one load and one store cover them.
    constexpr std::size_t kStep = 16;
    static_assert(kStep <= StringAppender::kBlock);
    const auto copy = [&o](const char* from, std::size_t count) {
      for (;;) {
        std::memcpy(o, from, kStep);
        if (count <= kStep) break;
        o += kStep;
        from += kStep;
        count -= kStep;
      }
      o += count;
    };
    std::size_t done = 0;
    for (const Span& span : spans) {
      copy(chars + done, span.begin - done);
      const PaddedText& open = groupOpening(span.style);
      copy(open.bytes, open.length);
      copy(chars + span.begin, span.end - span.begin);
      *o++ = '}';
      done = span.end;
    }
    copy(chars + done, text.size() - done);
    copy(kParagraphEnd.bytes, kParagraphEnd.length);
    out.commit(static_cast<std::size_t>(o - start));
    return;
  }
  std::size_t done = 0;
  for (const Span& span : spans) {
    appendRtfCharacters(out, text.substr(done, span.begin - done));
    const PaddedText& open = groupOpening(span.style);
    out.put(std::string_view(open.bytes, open.length));
    appendRtfCharacters(out, text.substr(span.begin, span.end - span.begin));
    out.put('}');
    done = span.end;
  }
  appendRtfCharacters(out, text.substr(done));
  out.put(std::string_view(kParagraphEnd.bytes, kParagraphEnd.length));
}

}  // namespace zarvex
