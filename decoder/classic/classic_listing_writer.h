// What the classic decoder writes: every piece of a line goes to the listing
// document (RTF) and, in the same call, to the plain listing (the characters
// the document shows). The decoder decides what to write and when; this
// decides how each piece looks in both forms. Its only user is the
// decoder's token loop, which has every piece inlined.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "number_text.h"
#include "sixteen_bytes.h"
#include "string_appender.h"
#include "token_vocabulary.h"
#include "untraced.h"

namespace zarvex {

namespace classic_text {

// ISO-8859-1 upper case of sixteen characters: a-z and U+00E0..U+00FE
// except U+00F7.
inline SixteenBytes upperLatin1(SixteenBytes v) {
  const SixteenBytes letter = where((v >= 'a') & (v <= 'z')) | where((v >= 0xE0) & (v <= 0xFE) & (v != 0xF7));
  return v - (letter & 0x20);
}

inline bool anyRtfSpecialOrBreak(SixteenBytes v) {
  return anySet(where(v == '\\') | where(v == '{') | where(v == '}') | where(v == '\r') | where(v == '\n'));
}

// The characters an RTF fragment of the decoder's own shows: its text after
// the group's control word.
constexpr std::string_view shownText(std::string_view fragment) {
  if (fragment.starts_with("{\\")) fragment.remove_prefix(fragment.find(' ') + 1);
  if (fragment.ends_with('}')) fragment.remove_suffix(1);
  return fragment;
}

}  // namespace classic_text

// What a text token's payload is framed with in the document, and the
// characters the frame shows.
struct TextFrame {
  PaddedText open, close;
  PaddedText shownOpen, shownClose;
};

constexpr TextFrame textFrame(std::string_view open, std::string_view close) {
  return {padded(open), padded(close), padded(classic_text::shownText(open)),
          padded(classic_text::shownText(close))};
}

inline constexpr TextFrame kStringFrame = textFrame("{\\cf3 \"", "\"}");
inline constexpr TextFrame kRemFrame = textFrame("{\\cf7 Rem ", "}");
inline constexpr TextFrame kQuoteRemFrame = textFrame("{\\cf7 `", "}");

// How an integer constant is listed.
enum class IntegerForm {
  Decimal,    // red digits
  Hex,        // red "$" and hexadecimal digits
  Extension,  // an extension call's number: bold hexadecimal digits and a blank
};

class ClassicListingWriter {
 public:
  ClassicListingWriter(std::string& document, bool keepsDocument, TextSink* documentSink, std::string& plain,
                       bool keepsPlain, TextSink* plainSink)
      : m_document(document, keepsDocument, keepsDocument ? documentSink : nullptr),
        m_plain(plain, keepsPlain, plainSink) {}

  // The document's length once everything written has reached it.
  std::size_t documentSize() const { return m_document.size(); }

  [[gnu::always_inline]] void indentation(std::uint8_t count) {
    if (count <= kBlanks.length) {
      kBlanks.putInto(m_document, 0, count);
      kBlanks.putInto(m_plain, 0, count);
    } else {
      m_document.put(count, ' ');
      m_plain.put(count, ' ');
    }
  }

  [[gnu::always_inline]] void lineEnd() {
    kParagraphEnd.putInto(m_document);
    m_plain.put('\n');
  }

  // A keyword: bold in the document. `documentHasIt` is set once the
  // document has it, before the plain form is written.
  [[gnu::always_inline]] void keyword(const TokenVocabulary::Fragment& keyword, bool& documentHasIt) {
    keyword.document.putInto(m_document);
    documentHasIt = true;
    keyword.document.putInto(m_plain, keyword.kPlainStart, keyword.plainLength);
  }

  // Characters of the listing's own ('#', '$', ':').
  [[gnu::always_inline]] void character(char c) {
    m_document.put(c);
    m_plain.put(c);
  }

  // Text from the file, escaped in the document, raw line breaks left out of
  // the plain form (a reader of RTF takes them for layout); with `Upper`,
  // letters upper-cased as names are listed.
  template <bool Upper>
  ZARVEX_HOT_UNTRACED void fileText(std::string_view text);

  [[gnu::always_inline]] void frameOpen(const TextFrame& frame) {
    frame.open.putInto(m_document);
    frame.shownOpen.putInto(m_plain);
  }
  [[gnu::always_inline]] void frameClose(const TextFrame& frame) {
    frame.close.putInto(m_document);
    frame.shownClose.putInto(m_plain);
  }

  // The group of the number colour around the number's characters (an
  // extension: bold, and a blank after), built in one block; the plain
  // form is the characters, from the same block.
  [[gnu::always_inline]] void integer(std::int32_t value, IntegerForm form) {
    const bool extension = form == IntegerForm::Extension;
    const std::string_view open = extension ? "{\\b " : "{\\cf1 ";
    PaddedText block;
    std::memcpy(block.bytes, open.data(), open.size());
    char* const shown = block.bytes + open.size();
    char* end = shown;
    if (form == IntegerForm::Decimal) {
      end = writeDecimalText(end, value);
    } else {
      if (form == IntegerForm::Hex) *end++ = '$';
      end = writeHexText(end, static_cast<std::uint32_t>(value));
    }
    const auto shownLength = static_cast<std::size_t>(end - shown);
    *end++ = '}';
    if (extension) *end++ = ' ';
    // "{\cf1 " or "{\b ", at most 12 characters, "}" and a blank: in the block,
    // and the shown part starts within its slack.
    static_assert(6 <= PaddedText::kSlack && 6 + 12 + 2 <= StringAppender::kBlock);
    block.length = static_cast<std::uint8_t>(end - block.bytes);
    block.putInto(m_document);
    block.putInto(m_plain, open.size(), shownLength);
    if (extension) m_plain.put(' ');
  }

  [[gnu::always_inline]] void floatNumber(float value) {
    m_number.clear();
    appendFloatText(m_number, value);
    m_document.put("{\\cf1 ");
    m_document.put(m_number);
    m_document.put('}');
    m_plain.put(m_number);
  }

  // What stands for a token the listing cannot show: "<!-- 1234 -->", the
  // number as messages write it, green in the document. Out of line: rare,
  // and the token loop stays small without it.
  [[gnu::noinline]] void undefinedMarker(std::int32_t token) {
    static constexpr std::string_view kOpenText = "{\\cf2 <!--";
    static constexpr std::string_view kCloseText = " -->}";
    static constexpr PaddedText kOpen = padded(kOpenText);
    static constexpr PaddedText kClose = padded(kCloseText);
    static constexpr PaddedText kShownOpen = padded(classic_text::shownText(kOpenText));
    static constexpr PaddedText kShownClose = padded(classic_text::shownText(kCloseText));
    const MessageNumberText number = messageNumberText(token);
    kOpen.putInto(m_document);
    m_document.put(number.view());
    kClose.putInto(m_document);
    kShownOpen.putInto(m_plain);
    m_plain.put(number.view());
    kShownClose.putInto(m_plain);
  }

  // Characters of the document's own (its header), into the buffer.
  void documentText(std::string_view text) { m_document.put(text); }

  // The document's closing brace, into the buffer (reaching the document at
  // the next flush).
  void documentEnd() { m_document.put('}'); }

  void flushDocument() { m_document.flush(); }
  void flushPlain() { m_plain.flush(); }

 private:
  static constexpr PaddedText kParagraphEnd = padded("\\par\r\n");
  // Indentation of up to a block's width, written with one fixed-size copy.
  static constexpr PaddedText kBlanks = padded(std::string_view("                                ", StringAppender::kBlock));

  StringAppender m_document;
  StringAppender m_plain;
  std::string m_number;  // a floating point number's text
};

template <bool Upper>
inline void ClassicListingWriter::fileText(std::string_view text) {
  using classic_text::anyRtfSpecialOrBreak;
  using classic_text::upperLatin1;
  if (text.size() <= 16) {
    // Most names and many texts: one vector test, two fixed-size writes.
    SixteenBytes v = loadUpToSixteen(text.data(), text.size());
    if constexpr (Upper) v = upperLatin1(v);
    if (!anyRtfSpecialOrBreak(v)) {
      m_document.putSixteen(v, text.size());
      m_plain.putSixteen(v, text.size());
      return;
    }
  }
  constexpr std::size_t kChunk = 1024;
  for (std::size_t from = 0; from < text.size(); from += kChunk) {
    const std::string_view chunk = text.substr(from, kChunk);
    // Room for every character escaped, and for whole 16-byte stores.
    char* const documentStart = m_document.reserve(2 * chunk.size() + 16);
    char* const plainStart = m_plain.reserve(chunk.size() + 16);
    char* r = documentStart;
    char* t = plainStart;
    for (std::size_t i = 0; i < chunk.size(); i += 16) {
      // The last characters are taken with zeros after them, which need
      // nothing and are not written.
      const std::size_t count = std::min<std::size_t>(16, chunk.size() - i);
      SixteenBytes v = count == 16 ? loadSixteen(chunk.data() + i, 16) : loadUpToSixteen(chunk.data() + i, count);
      if constexpr (Upper) v = upperLatin1(v);
      char bytes[16];
      std::memcpy(bytes, &v, sizeof v);
      if (!anyRtfSpecialOrBreak(v)) {
        std::memcpy(r, bytes, sizeof bytes);
        std::memcpy(t, bytes, sizeof bytes);
        r += count;
        t += count;
        continue;
      }
      for (std::size_t k = 0; k < count; ++k) {
        const char c = bytes[k];
        if (c == '\\' || c == '{' || c == '}') *r++ = '\\';
        *r++ = c;
        *t = c;
        t += c != '\r' && c != '\n';
      }
    }
    m_document.commit(static_cast<std::size_t>(r - documentStart));
    m_plain.commit(static_cast<std::size_t>(t - plainStart));
  }
}

}  // namespace zarvex
