#include "complete_walk.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "big_endian.h"
#include "complete_listing_writer.h"
#include "complete_vocabulary.h"
#include "procedure_cipher.h"
#include "rtf_text.h"

namespace zarvex {

namespace {

constexpr std::int64_t kLinesStart = 20;

// Token codes whose text depends on the code, not only on the payload kind.
enum : std::uint16_t {
  kLabel = 0x000C,
  kLastNameCode = 0x0018,  // unknown codes up to here carry a name
  kBinary = 0x001E,
  kDoubleQuoted = 0x0026,
  kSingleQuoted = 0x002E,
  kHex = 0x0036,
  kDecimal = 0x003E,
  kFirstLongCode = 0x001A,  // unknown codes from here ...
  kLastLongCode = 0x0045,   // ... to here carry 4 bytes
  kEndProc = 0x0390,
  kRem = 0x064A,
  kQuoteRem = 0x0652,
};

// Procedure flags (the 7th byte of the Procedure token's payload).
constexpr std::uint8_t kProcedureEnciphered = 0x20;
constexpr std::uint8_t kProcedureCompiled = 0x10;

// Reads the program's lines and tokens, checking every length against the
// bytes there, and says what each token is; the writer lists it. Locked and
// compiled procedure bodies are the walk's own business.
class Walker {
 public:
  Walker(std::span<const std::uint8_t> file, CompleteListing& out)
      : m_bytes(file.data()), m_size(static_cast<std::int64_t>(file.size())), m_out(out), m_write(out) {}

  void run() {
    m_out.extensionTokens = 0;
    m_out.unknownTokens = 0;
    m_out.damage = CompleteListing::Damage::None;
    m_out.damageOffset = -1;
    m_out.text.clear();
    m_out.rtf.clear();
    // Room for what real programs need without growing: their documents are
    // about 1.4 times the file, their texts a little less than the file.
    const bool streamed = m_out.wantsDocument && m_out.rtfSink != nullptr;
    if (m_out.wantsDocument && !streamed) m_out.rtf.reserve(static_cast<std::size_t>(m_size) * 2 + kRtfHeader.size() + 2);
    if (m_out.wantsText && m_out.textSink == nullptr) m_out.text.reserve(static_cast<std::size_t>(m_size) * 3 / 2 + 16);
    if (streamed) {
      m_write.documentText(kRtfHeader);
    } else {
      m_out.rtf.assign(kRtfHeader);
    }
    try {
      walkLines();
    } catch (const Damaged&) {
      if (m_write.lineOpen()) m_write.finishLine();
    }
    // The document's end, also when its lines were left out.
    if (streamed) m_write.documentText("}");
    m_write.flush();
    if (!streamed) m_out.rtf += '}';
  }

 private:
  struct Damaged {};

  // The bytes [offset, offset + count) must lie within the program's lines.
  void need(std::int64_t offset, std::int64_t count) {
    if (offset + count <= m_readable) [[likely]] return;
    const bool pastFile = offset + count > m_size;
    m_out.damage = pastFile && m_linesEnd > m_size ? CompleteListing::Damage::EndsEarly
                                                   : CompleteListing::Damage::OutsideProgram;
    m_out.damageOffset = std::min(offset, m_size);
    throw Damaged{};
  }

  std::uint32_t u16(std::int64_t at) const { return u16At(m_bytes, at); }
  std::uint32_t u32(std::int64_t at) const { return u32At(m_bytes, at); }

  void walkLines() {
    if (m_size < kLinesStart) {
      // Not even the header and the length of the lines are there.
      m_out.damage = CompleteListing::Damage::EndsEarly;
      m_out.damageOffset = m_size;
      throw Damaged{};
    }
    m_linesEnd = kLinesStart + std::int64_t{u32(16)};
    m_readable = std::min(m_linesEnd, m_size);
    std::int64_t position = kLinesStart;
    while (position < m_linesEnd) {
      need(position, 1);
      const std::uint8_t length = m_bytes[position];
      if (length == 0) break;
      need(position, 2);
      const std::int64_t lineEnd = position + 2 * std::int64_t{length};
      const int indentation = m_bytes[position + 1] == 0 ? 0 : m_bytes[position + 1] - 1;
      if (m_inLockedBody) [[unlikely]] {
        lockedBodyLine(position, lineEnd, indentation);
      } else {
        walkLine(position, lineEnd, indentation);
        if (m_compiledBodyEnd >= 0) {
          compiledBody(lineEnd, indentation);
          position = m_compiledBodyEnd;
          m_compiledBodyEnd = -1;
          continue;
        }
      }
      if (lineEnd > m_size) {
        // The line was listed as far as its tokens went, but the file is
        // shorter than the line says it is.
        m_out.damage = CompleteListing::Damage::EndsEarly;
        m_out.damageOffset = m_size;
        throw Damaged{};
      }
      position = lineEnd;
    }
  }

  void walkLine(std::int64_t lineStart, std::int64_t lineEnd, int indentation) {
    m_write.openLine(indentation);
    std::int64_t p = lineStart + 2;
    while (p + 2 <= lineEnd) {
      need(p, 2);
      const auto code = static_cast<std::uint16_t>(u16(p));
      if (code == 0) break;
      p += 2;
      if (!token(code, p, lineStart, lineEnd)) break;
    }
    m_write.finishLine();
  }

  // Lists one token whose payload starts at `p`, and moves `p` past it.
  // False when the rest of the line is not to be read.
  // Inlined into the line loop: every token of every line passes here.
  [[gnu::always_inline]] bool token(std::uint16_t code, std::int64_t& p, std::int64_t lineStart, std::int64_t lineEnd) {
    const CompleteToken* row = CompleteVocabulary::token(code);
    if (row == nullptr) {
      ++m_out.unknownTokens;
      if (code <= kLastNameCode) {
        name(code, p);
      } else {
        m_write.unknownCode(code);
        if (code >= kFirstLongCode && code <= kLastLongCode) skip(p, 4);
      }
      return true;
    }
    // Most tokens are a keyword alone: a branch of their own, ahead of the
    // jump through the table that the rest take.
    if (row->payload == TokenPayload::None) [[likely]] {
      m_write.keyword(*row);
      return true;
    }
    switch (row->payload) {
      case TokenPayload::EndOfLine:
        return false;
      case TokenPayload::Name:
        name(code, p);
        return true;
      case TokenPayload::Long:
        need(p, 4);
        m_write.longConstant(u32(p), code == kBinary ? LongForm::Binary : code == kHex ? LongForm::Hex : LongForm::Decimal);
        p += 4;
        return true;
      case TokenPayload::Float:
        need(p, 4);
        m_write.floatConstant(u32(p));
        p += 4;
        return true;
      case TokenPayload::Double:
        need(p, 8);
        m_write.doubleConstant(std::uint64_t{u32(p)} << 32 | u32(p + 4));
        p += 8;
        return true;
      case TokenPayload::Text:
        text(*row, p);
        return true;
      case TokenPayload::Extension:
        extension(p);
        return true;
      case TokenPayload::Skip2:
      case TokenPayload::Skip4:
      case TokenPayload::Skip6:
        m_write.keyword(*row);
        skip(p, row->payload == TokenPayload::Skip2 ? 2 : row->payload == TokenPayload::Skip4 ? 4 : 6);
        return true;
      case TokenPayload::Procedure:
        m_write.keyword(*row);
        procedure(p, lineStart, lineEnd);
        return true;
      case TokenPayload::MachineCode:
        m_write.keyword(*row);
        return false;
      case TokenPayload::None:
        m_write.keyword(*row);
        return true;
    }
    return true;
  }

  void skip(std::int64_t& p, std::int64_t count) {
    need(p, count);
    p += count;
  }

  // u16 link, u8 length n, u8 flags, n bytes (the name ends at its first zero).
  [[gnu::always_inline]] void name(std::uint16_t code, std::int64_t& p) {
    need(p, 4);
    const std::int64_t length = m_bytes[p + 2];
    const std::uint8_t flags = m_bytes[p + 3];
    const std::int64_t size = 4 + length + (length & 1);
    need(p, size);
    m_write.name(m_bytes + p + 4, static_cast<std::size_t>(length), flags, code == kLabel);
    p += size;
  }

  // u16 length n, n bytes, a pad byte when n is odd.
  void text(const CompleteToken& row, std::int64_t& p) {
    need(p, 2);
    const std::int64_t length = u16(p);
    const std::int64_t size = 2 + length + (length & 1);
    need(p, size);
    const std::string_view bytes(reinterpret_cast<const char*>(m_bytes + p + 2), static_cast<std::size_t>(length));
    if (row.code == kRem || row.code == kQuoteRem) {
      m_write.comment(row, bytes);
    } else {
      m_write.quoted(row.code == kSingleQuoted ? '\'' : '"', bytes);
    }
    p += size;
  }

  // u8 slot, u8 parameter count, u16 offset in the slot's table.
  void extension(std::int64_t& p) {
    need(p, 4);
    const std::uint8_t slot = m_bytes[p];
    const auto offset = static_cast<std::uint16_t>(u16(p + 2));
    p += 4;
    ++m_out.extensionTokens;
    if (const ExtensionKeyword* row = CompleteVocabulary::extension(slot, offset)) {
      m_write.extensionKeyword(*row);
      return;
    }
    ++m_out.unknownTokens;
    m_write.unknownExtension(slot, offset);
  }

  // u32 distance, u16 size of the local variables, u8 flags, u8 key. Plain
  // bodies are walked as any lines; an enciphered one is deciphered first; a
  // compiled one is no lines: its End Proc line starts at the Procedure
  // line's start + 8 + distance.
  void procedure(std::int64_t& p, std::int64_t lineStart, std::int64_t lineEnd) {
    need(p, 8);
    const std::uint8_t flags = m_bytes[p + 6];
    const std::int64_t endProc = lineStart + 8 + std::int64_t{u32(p)};
    const std::int64_t tokenStart = p - 2;
    p += 8;
    if ((flags & (kProcedureEnciphered | kProcedureCompiled)) == 0) return;
    if ((flags & kProcedureCompiled) == 0) {
      decipher(lineStart, tokenStart);
      return;
    }
    if (endProc > std::min(m_linesEnd, m_size)) {
      m_out.damage = CompleteListing::Damage::OutsideProgram;
      m_out.damageOffset = tokenStart;
      throw Damaged{};
    }
    if (endProc <= lineEnd) return;  // walked as usual
    m_compiledBodyEnd = endProc;
  }

  // Deciphers the body of the Procedure line at `lineStart` in the walk's own
  // copy of the file, made when the first enciphered procedure is met; from
  // then on the walk reads the copy, at the same offsets, and goes on through
  // the body as through any lines. A body whose range does not hold together
  // stays enciphered: listed as {locked} lines up to its End Proc line, and
  // the file is damaged. A Procedure line inside a body just deciphered is
  // not deciphered again: AMOS never enciphers one range inside another, and
  // so no line is deciphered twice, which keeps the work to one pass.
  void decipher(std::int64_t lineStart, std::int64_t tokenStart) {
    if (tokenStart == lineStart + 2 && lineStart >= m_plainUntil) {
      if (m_copy.empty()) {
        m_copy.assign(m_bytes, m_bytes + m_readable);
        m_bytes = m_copy.data();
      }
      if (toggleProcedureCipher(m_copy, lineStart)) {
        m_plainUntil = lineStart + 14 + std::int64_t{u32(lineStart + 4)};
        return;
      }
    }
    m_inLockedBody = true;
    if (m_out.damage == CompleteListing::Damage::None) {
      m_out.damage = CompleteListing::Damage::EncipheredProcedure;
      m_out.damageOffset = lineStart;
    }
  }

  void compiledBody(std::int64_t bodyStart, int indentation) {
    m_write.openLine(indentation);
    m_write.compiledBodyMarker(m_compiledBodyEnd - bodyStart);
    m_write.finishLine();
  }

  // A line of a body that stays enciphered. Its first code is in clear: the
  // first End Proc line ends the body.
  void lockedBodyLine(std::int64_t lineStart, std::int64_t lineEnd, int indentation) {
    if (lineEnd - lineStart >= 4) {
      need(lineStart + 2, 2);
      if (u16(lineStart + 2) == kEndProc) {
        m_inLockedBody = false;
        endProcOfLockedProcedure(lineStart, lineEnd, indentation);
        return;
      }
    }
    lockedLine(indentation);
  }

  void lockedLine(int indentation) {
    m_write.openLine(indentation);
    m_write.marker("{locked}");
    m_write.finishLine();
  }

  // Only the line's first code is in clear.
  void endProcOfLockedProcedure(std::int64_t lineStart, std::int64_t lineEnd, int indentation) {
    m_write.openLine(indentation);
    if (lineEnd - lineStart >= 4) {
      need(lineStart + 2, 2);
      const auto code = static_cast<std::uint16_t>(u16(lineStart + 2));
      if (const CompleteToken* row = CompleteVocabulary::token(code)) {
        m_write.keyword(*row);
      } else {
        ++m_out.unknownTokens;
        m_write.unknownCode(code);
      }
    }
    if (lineEnd - lineStart > 6) m_write.marker(" {locked}");
    m_write.finishLine();
  }

  const std::uint8_t* m_bytes;  // the file's bytes, or m_copy's once a body is deciphered
  std::int64_t m_size;
  std::int64_t m_linesEnd = 0;
  std::int64_t m_readable = 0;  // the lines' end, or the file's when it comes first
  std::vector<std::uint8_t> m_copy;     // the file's first m_readable bytes, bodies deciphered
  std::int64_t m_plainUntil = 0;        // the end of the last body deciphered
  bool m_inLockedBody = false;          // listing a body that stays enciphered
  std::int64_t m_compiledBodyEnd = -1;  // set by a compiled Procedure token of the current line
  CompleteListing& m_out;
  CompleteListingWriter m_write;  // onto m_out's document and text
};

}  // namespace

void WalkCompleteListing(std::span<const std::uint8_t> file, CompleteListing& listing) { Walker(file, listing).run(); }

CompleteListing WalkCompleteListing(std::span<const std::uint8_t> file) {
  CompleteListing listing;
  WalkCompleteListing(file, listing);
  return listing;
}

}  // namespace zarvex
