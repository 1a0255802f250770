// One line of the complete listing as it is built: its characters
// (ISO-8859-1) and the styled stretches among them, with the editor's blank
// rules applied to the characters written so far. Written out as a paragraph
// of the RTF document and as a line of plain text.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "complete_vocabulary.h"
#include "inline_text.h"
#include "rtf_text.h"
#include "string_appender.h"

namespace zarvex {

// How a stretch of the line shows in the highlighted listing.
enum class TextStyle : std::uint8_t {
  Plain,    // names, indentation
  Keyword,  // bold
  Number,   // red
  String,   // blue
  Comment,  // grey
  Unknown,  // green: a token with no row
  Marker,   // grey: what stands in for a body the listing cannot show
};

class ListingLine {
 public:
  // The spare room is there from the start: an empty line copies out too.
  ListingLine() { grow(0); }

  // Starts a new line with `indentation` blanks.
  void start(int indentation);

  // True while the line holds no indentation and nothing written.
  bool empty() const { return m_size == 0; }
  bool endsWithBlank() const { return m_size != 0 && m_chars[m_size - 1] == ' '; }

  // Applies `rule` before a keyword is written.
  void applyBlank(BlankRule rule);
  // Appends one blank.
  void appendBlank() {
    makeRoom(1);
    m_chars[m_size++] = ' ';
  }

  // Appends `text` and notes whether the document must escape any of it.
  void append(std::string_view text, TextStyle style) { appendKnown(text, style, needsRtfEscape(text)); }
  // The same, for a text whose need of escaping is known in advance (the
  // vocabulary's keywords, the decoder's numbers).
  [[gnu::always_inline]] void appendKnown(std::string_view text, TextStyle style, bool escapes) {
    if (text.empty()) return;
    makeRoom(text.size());
    const auto begin = static_cast<std::uint32_t>(m_size);
    copyPiece(m_chars.get() + m_size, text.data(), text.size());
    m_size += text.size();
    m_escapes |= escapes;
    if (style != TextStyle::Plain) addSpan(begin, static_cast<std::uint32_t>(m_size), style);
  }
  void append(char c, TextStyle style) { append(std::string_view(&c, 1), style); }

  // A vocabulary keyword, copied with one fixed-size write of its whole
  // storage into the line's spare room.
  template <std::size_t Capacity>
  [[gnu::always_inline]] void appendKeyword(const InlineText<Capacity>& keyword, TextStyle style, bool escapes) {
    static_assert(Capacity <= StringAppender::kBlock, "the copy must stay inside the spare room");
    const std::string_view text = keyword;
    if (text.empty()) return;
    makeRoom(Capacity);
    const auto begin = static_cast<std::uint32_t>(m_size);
    std::memcpy(m_chars.get() + m_size, keyword.storage(), Capacity);
    m_size += text.size();
    m_escapes |= escapes;
    addSpan(begin, static_cast<std::uint32_t>(m_size), style);
  }

  // The characters written so far.
  std::string_view text() const { return {m_chars.get(), m_size}; }

  // Appends the line as an RTF paragraph ("...\par" CR LF); the characters
  // are escaped so that any byte reads back as itself.
  void appendRtf(StringAppender& out) const;
  // The longest document a line of these characters and spans can give
  // without escapes: every span adds an opening of at most 6 and a "}".
  std::size_t unescapedRtfSize() const { return m_size + 7 * m_spanCount + 6; }
  // Appends the characters and a line feed.
  void appendPlain(StringAppender& out) const {
    out.putFromBlocks(m_chars.get(), m_size);
    out.put('\n');
  }

 private:
  // Keeps room for `count` more characters and, after them, a block of
  // spare bytes: a piece of the line is copied out with a fixed-size write
  // (StringAppender::putFromBlock) that may read past its end.
  void makeRoom(std::size_t count) {
    if (count + StringAppender::kBlock > m_capacity - m_size) [[unlikely]] grow(count);
  }
  void grow(std::size_t count);

  // Every non-empty append adds at most one span, so a line never holds more
  // spans than characters: the span store grows with the characters and
  // needs no check of its own.
  void addSpan(std::uint32_t begin, std::uint32_t end, TextStyle style) {
    if (m_spanCount != 0 && m_spans[m_spanCount - 1].end == begin && m_spans[m_spanCount - 1].style == style) {
      m_spans[m_spanCount - 1].end = end;
    } else {
      m_spans[m_spanCount++] = {begin, end, style};
    }
  }

  struct Span {
    std::uint32_t begin;
    std::uint32_t end;
    TextStyle style;
  };

  std::unique_ptr<char[]> m_chars;  // m_size characters, then spare room
  std::size_t m_size = 0;
  std::size_t m_capacity = 0;
  std::unique_ptr<Span[]> m_spans;  // in order, not overlapping; Plain is never stored
  std::size_t m_spanCount = 0;
  bool m_escapes = false;  // some character needs escaping in the document
};

}  // namespace zarvex
