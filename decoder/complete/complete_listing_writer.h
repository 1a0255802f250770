// What the complete walk writes: the text of each token as the AMOS editor
// lists it, a line at a time, with the editor's blank rules; each finished
// line goes to the listing document and the plain text (those wanted). The
// walk reads the program and says what each token is; this decides how it
// reads in the listing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "complete_vocabulary.h"
#include "complete_walk.h"
#include "editor_number_text.h"
#include "listing_line.h"
#include "number_text.h"
#include "rtf_text.h"
#include "string_appender.h"

namespace zarvex {

namespace complete_text {

// ISO-8859-1 upper case: a-z and U+00E0..U+00FE except U+00F7.
constexpr char upperLatin1(std::uint8_t u) {
  if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7)) return static_cast<char>(u - 0x20);
  return static_cast<char>(u);
}

// A name's character as listed, and whether the document escapes it: one
// lookup per character.
struct NameCharacter {
  char listed;
  bool escapes;
};
inline constexpr std::array<NameCharacter, 256> kNameCharacters = [] {
  std::array<NameCharacter, 256> table{};
  for (std::size_t u = 0; u < table.size(); ++u) {
    const char c = static_cast<char>(u);
    table[u] = {upperLatin1(static_cast<std::uint8_t>(u)), holdsRtfSpecial(std::string_view(&c, 1))};
  }
  return table;
}();

}  // namespace complete_text

// How a 4-byte integer constant is listed.
enum class LongForm { Decimal, Hex, Binary };

class CompleteListingWriter {
 public:
  explicit CompleteListingWriter(CompleteListing& out)
      : m_wantsDocument(out.wantsDocument),
        m_wantsText(out.wantsText),
        m_rtf(out.rtf, out.wantsDocument, out.rtfSink),
        m_text(out.text, out.wantsText, out.textSink) {}

  void openLine(int indentation) {
    m_line.start(indentation);
    m_lineOpen = true;
    m_afterName = false;
  }
  bool lineOpen() const { return m_lineOpen; }
  // Writes the line to the document and the text.
  void finishLine() {
    if (m_wantsDocument) m_line.appendRtf(m_rtf);
    if (m_wantsText) m_line.appendPlain(m_text);
    m_lineOpen = false;
  }
  // Characters of the document's own (its header, its "}"), after what is
  // written so far.
  void documentText(std::string_view text) { m_rtf.put(text); }

  // Hands everything written to the listing's strings or sink.
  void flush() {
    m_rtf.flush();
    m_text.flush();
  }

  [[gnu::always_inline]] void keyword(const CompleteToken& row) {
    m_afterName = false;
    m_line.applyBlank(row.blank);
    m_line.appendKeyword(row.keyword, TextStyle::Keyword, row.escapes);
  }

  // A name of `length` bytes at `chars` (it ends at its first zero), upper
  // case, with its type suffix from `flags` and, for a label, its colon.
  [[gnu::always_inline]] void name(const std::uint8_t* chars, std::size_t length, std::uint8_t flags, bool label) {
    blankAfterName();
    // At most 255 characters, a type suffix and a colon: built in place,
    // appended once, with whether the document must escape any of it.
    char text[255 + 2];
    std::size_t count = 0;
    bool escapes = false;
    while (count < length && chars[count] != 0) {
      const complete_text::NameCharacter c = complete_text::kNameCharacters[chars[count]];
      escapes |= c.escapes;
      text[count] = c.listed;
      ++count;
    }
    if ((flags & 3) == 1) text[count++] = '#';
    if ((flags & 3) == 2) text[count++] = '$';
    if (label && !(count > 0 && text[0] >= '0' && text[0] <= '9')) text[count++] = ':';
    m_line.appendKnown(std::string_view(text, count), TextStyle::Plain, escapes);
    m_afterName = true;
  }

  [[gnu::always_inline]] void longConstant(std::uint32_t value, LongForm form) {
    blankAfterName();
    if (form == LongForm::Binary) {
      m_scratch.clear();
      appendBinaryText(m_scratch, value);
      m_line.append(m_scratch, TextStyle::Number);
      return;
    }
    // Decimal or "$" and hexadecimal, built in place: no allocation on the way.
    char digits[16];
    char* end = digits;
    if (form == LongForm::Hex) {
      *end++ = '$';
      end = writeHexText(end, value);
    } else {
      end = writeDecimalText(end, static_cast<std::int32_t>(value));
    }
    const auto count = static_cast<std::size_t>(end - digits);
    if (count > 12) __builtin_unreachable();  // 11 digits and a sign at most; tells the compiler too
    m_line.appendKnown(std::string_view(digits, count), TextStyle::Number, false);
  }

  void floatConstant(std::uint32_t ffpBits) {
    blankAfterName();
    m_scratch.clear();
    appendEditorFloatText(m_scratch, ffpBits);
    m_line.append(m_scratch, TextStyle::Number);
  }

  // A double constant takes no blank after a name, as the editor writes it.
  void doubleConstant(std::uint64_t bits) {
    m_afterName = false;
    m_scratch.clear();
    appendEditorDoubleText(m_scratch, bits);
    m_line.append(m_scratch, TextStyle::Number);
  }

  // A comment: its keyword, then its text up to its first zero.
  void comment(const CompleteToken& row, std::string_view text) {
    m_afterName = false;
    m_line.applyBlank(row.blank);
    m_line.appendKeyword(row.keyword, TextStyle::Comment, row.escapes);
    m_line.append(text.substr(0, text.find('\0')), TextStyle::Comment);
  }

  void quoted(char quote, std::string_view text) {
    blankAfterName();
    m_line.append(quote, TextStyle::String);
    m_line.append(text, TextStyle::String);
    m_line.append(quote, TextStyle::String);
  }

  void extensionKeyword(const ExtensionKeyword& row) {
    m_afterName = false;
    m_line.applyBlank(row.blank);
    m_line.appendKeyword(row.keyword, TextStyle::Keyword, row.escapes);
  }

  // What stands for a code with no row: "{XXXX}"; for an extension keyword
  // with no row: "{ext SLOT:XXXX}". Both green.
  void unknownCode(std::uint16_t code);
  void unknownExtension(std::uint8_t slot, std::uint16_t offset);

  // Text of the listing's own where the program's cannot be shown, grey.
  void marker(std::string_view text) {
    m_afterName = false;
    m_line.append(text, TextStyle::Marker);
  }
  // "{compiled procedure body, N bytes}".
  void compiledBodyMarker(std::int64_t bytes);

 private:
  // A constant, a text or a name right after a name is set apart by a blank.
  [[gnu::always_inline]] void blankAfterName() {
    if (std::exchange(m_afterName, false)) m_line.appendBlank();
  }

  bool m_wantsDocument;
  bool m_wantsText;
  bool m_lineOpen = false;
  bool m_afterName = false;  // the last token written was a name
  ListingLine m_line;
  std::string m_scratch;  // a number's or a marker's text
  // Onto the listing's document and text; everything reaches them at flush().
  StringAppender m_rtf;
  StringAppender m_text;
};

}  // namespace zarvex
