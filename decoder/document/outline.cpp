#include "outline.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "big_endian.h"
#include "complete_vocabulary.h"
#include "complete_walk.h"
#include "listing_line.h"
#include "procedure_cipher.h"

namespace zarvex {

namespace {

constexpr std::int64_t kLinesStart = 20;

enum : std::uint16_t {
  kLabel = 0x000C,
  kLastNameCode = 0x0018,   // unknown codes up to here carry a name
  kFirstLongCode = 0x001A,  // unknown codes from here ...
  kLastLongCode = 0x0045,   // ... to here carry 4 bytes
  kProcedure = 0x0376,
  kEndProc = 0x0390,
};

constexpr std::uint8_t kProcedureEnciphered = 0x20;
constexpr std::uint8_t kProcedureCompiled = 0x10;

constexpr std::string_view kProcedureKeyword = "Procedure ";


// ISO-8859-1 upper case, as names are listed: a-z and U+00E0..U+00FE except U+00F7.
constexpr char upperLatin1(std::uint8_t u) {
  if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7)) return static_cast<char>(u - 0x20);
  return static_cast<char>(u);
}

// The entries as found, and the program offset of the line that holds each.
struct Found {
  std::vector<OutlineEntry> entries;
  std::vector<std::int64_t> lineStarts;
  // When asked for: the program offset each listing line comes from.
  std::vector<std::int64_t>* origins = nullptr;

  void lineFrom(std::int64_t offset) {
    if (origins != nullptr) origins->push_back(offset);
  }

  void add(OutlineEntry::Kind kind, std::string name, std::int32_t line, std::int64_t lineStart) {
    entries.push_back({kind, std::move(name), line});
    lineStarts.push_back(lineStart);
  }
};

// The complete listing's reading of the program, keeping only what the
// outline needs: the same lines in the same order, counted as that listing
// counts them, and its labels and Procedure lines. Every step mirrors the
// walk in complete_walk.cpp; where that walk stops at damage, so does this.
class OutlineWalker {
 public:
  explicit OutlineWalker(std::span<const std::uint8_t> file, std::vector<std::int64_t>* origins = nullptr)
      : m_bytes(file.data()), m_size(static_cast<std::int64_t>(file.size())) {
    m_found.origins = origins;
  }

  Found run() {
    try {
      walkLines();
    } catch (const Damaged&) {
      // What was found up to the damage stands.
    }
    return std::move(m_found);
  }

 private:
  struct Damaged {};

  void need(std::int64_t offset, std::int64_t count) const {
    if (offset + count > m_readable) [[unlikely]] throw Damaged{};
  }

  void walkLines() {
    if (m_size < kLinesStart) return;
    m_linesEnd = kLinesStart + std::int64_t{u32At(m_bytes, 16)};
    m_readable = std::min(m_linesEnd, m_size);
    std::int64_t position = kLinesStart;
    while (position < m_linesEnd) {
      need(position, 1);
      const std::uint8_t length = m_bytes[position];
      if (length == 0) break;
      need(position, 2);
      const std::int64_t lineEnd = position + 2 * std::int64_t{length};
      if (m_inLockedBody) [[unlikely]] {
        // Listed as a marker line; the first End Proc line ends the body.
        if (lineEnd - position >= 4) {
          need(position + 2, 2);
          if (u16At(m_bytes, position + 2) == kEndProc) m_inLockedBody = false;
        }
        ++m_line;
        m_found.lineFrom(position);
      } else {
        ++m_line;  // listed, as far as its tokens go, even when damage cuts it
        m_found.lineFrom(position);
        walkLine(position, lineEnd);
        if (m_compiledBodyEnd >= 0) {
          ++m_line;  // the body's marker line
          m_found.lineFrom(position);
          position = m_compiledBodyEnd;
          m_compiledBodyEnd = -1;
          continue;
        }
      }
      if (lineEnd > m_size) return;
      position = lineEnd;
    }
  }

  void walkLine(std::int64_t lineStart, std::int64_t lineEnd) {
    std::int64_t p = lineStart + 2;
    while (p + 2 <= lineEnd) {
      need(p, 2);
      const auto code = static_cast<std::uint16_t>(u16At(m_bytes, p));
      if (code == 0) return;
      p += 2;
      const CompleteToken* row = CompleteVocabulary::token(code);
      if (row == nullptr) {
        if (code <= kLastNameCode) {
          name(code, p, lineStart);
        } else if (code >= kFirstLongCode && code <= kLastLongCode) {
          skip(p, 4);
        }
        continue;
      }
      switch (row->payload) {
        case TokenPayload::None:
          break;
        case TokenPayload::EndOfLine:
        case TokenPayload::MachineCode:
          return;
        case TokenPayload::Name:
          name(code, p, lineStart);
          break;
        case TokenPayload::Long:
        case TokenPayload::Float:
        case TokenPayload::Extension:
        case TokenPayload::Skip4:
          skip(p, 4);
          break;
        case TokenPayload::Double:
          skip(p, 8);
          break;
        case TokenPayload::Skip2:
          skip(p, 2);
          break;
        case TokenPayload::Skip6:
          skip(p, 6);
          break;
        case TokenPayload::Text: {
          need(p, 2);
          const std::int64_t length = u16At(m_bytes, p);
          skip(p, 2 + length + (length & 1));
          break;
        }
        case TokenPayload::Procedure:
          procedure(p, lineStart, lineEnd);
          break;
      }
    }
  }

  void skip(std::int64_t& p, std::int64_t count) const {
    need(p, count);
    p += count;
  }

  // u16 link, u8 length n, u8 flags, n bytes. Only a label's is kept.
  void name(std::uint16_t code, std::int64_t& p, std::int64_t lineStart) {
    need(p, 4);
    const std::int64_t length = m_bytes[p + 2];
    const std::int64_t size = 4 + length + (length & 1);
    need(p, size);
    if (code == kLabel) {
      m_found.add(OutlineEntry::Kind::Label, std::string(listedName(code, p)), m_line, lineStart);
    }
    p += size;
  }

  // A name whose payload starts at `p`, as listed: up to its first zero,
  // upper case, its type's sign, a label's colon.
  std::string_view listedName(std::uint16_t code, std::int64_t p) {
    const std::int64_t length = m_bytes[p + 2];
    std::size_t count = 0;
    while (count < static_cast<std::size_t>(length) && m_bytes[p + 4 + static_cast<std::int64_t>(count)] != 0) {
      m_nameText[count] = upperLatin1(m_bytes[p + 4 + static_cast<std::int64_t>(count)]);
      ++count;
    }
    const std::uint8_t flags = m_bytes[p + 3];
    if ((flags & 3) == 1) m_nameText[count++] = '#';
    if ((flags & 3) == 2) m_nameText[count++] = '$';
    if (code == kLabel && !(count > 0 && m_nameText[0] >= '0' && m_nameText[0] <= '9')) m_nameText[count++] = ':';
    return {m_nameText.data(), count};
  }

  // u32 distance, u16, u8 flags, u8 key, as in the complete walk.
  // The listing holds "Procedure " whatever follows; the name and parameters
  // only when the walk goes on to them.
  void procedure(std::int64_t& p, std::int64_t lineStart, std::int64_t lineEnd) {
    const std::int64_t tokenStart = p - 2;
    m_found.add(OutlineEntry::Kind::Procedure, std::string(), m_line, lineStart);
    need(p, 8);
    const std::uint8_t flags = m_bytes[p + 6];
    const std::int64_t endProc = lineStart + 8 + std::int64_t{u32At(m_bytes, p)};
    p += 8;
    const bool compiled = (flags & kProcedureCompiled) != 0;
    if (compiled && endProc > std::min(m_linesEnd, m_size)) throw Damaged{};
    m_found.entries.back().name = procedureName(tokenStart, lineEnd);
    if (compiled) {
      if (endProc > lineEnd) m_compiledBodyEnd = endProc;
    } else if ((flags & kProcedureEnciphered) != 0) {
      decipher(lineStart, tokenStart);
    }
  }

  // Deciphered as the complete walk does it: in a copy of the file made when
  // the first enciphered body is met, read at the same offsets from then on.
  void decipher(std::int64_t lineStart, std::int64_t tokenStart) {
    if (tokenStart == lineStart + 2 && lineStart >= m_plainUntil) {
      if (m_copy.empty()) {
        m_copy.assign(m_bytes, m_bytes + m_readable);
        m_bytes = m_copy.data();
      }
      if (toggleProcedureCipher(m_copy, lineStart)) {
        m_plainUntil = lineStart + 14 + std::int64_t{u32At(m_bytes, lineStart + 4)};
        return;
      }
    }
    m_inLockedBody = true;
  }

  // The name and parameters of the procedure whose token starts at
  // `tokenStart`: what follows "Procedure " in its listing line. A name and
  // its parameters are names, brackets and commas, written here by the
  // listing's own rules; a line that holds anything else, or is cut by
  // damage, is listed by the complete walk itself.
  std::string procedureName(std::int64_t tokenStart, std::int64_t lineEnd) {
    static const CompleteToken& procedureRow = *CompleteVocabulary::token(kProcedure);
    m_name.start(0);
    m_name.applyBlank(procedureRow.blank);
    m_name.appendKeyword(procedureRow.keyword, TextStyle::Keyword, procedureRow.escapes);
    bool afterName = false;
    for (std::int64_t p = tokenStart + 10; p + 2 <= lineEnd;) {
      if (p + 2 > m_readable) return listedProcedureName(tokenStart, lineEnd);
      const auto code = static_cast<std::uint16_t>(u16At(m_bytes, p));
      if (code == 0) break;
      p += 2;
      const CompleteToken* row = CompleteVocabulary::token(code);
      if (row != nullptr && row->payload == TokenPayload::None) {
        m_name.applyBlank(row->blank);
        m_name.appendKeyword(row->keyword, TextStyle::Keyword, row->escapes);
        afterName = false;
        continue;
      }
      if (row == nullptr || row->payload != TokenPayload::Name || p + 4 > m_readable) {
        return listedProcedureName(tokenStart, lineEnd);
      }
      const std::int64_t length = m_bytes[p + 2];
      const std::int64_t size = 4 + length + (length & 1);
      if (p + size > m_readable) return listedProcedureName(tokenStart, lineEnd);
      if (afterName) m_name.appendBlank();
      m_name.append(listedName(code, p), TextStyle::Plain);
      afterName = true;
      p += size;
    }
    return afterProcedureKeyword(m_name.text());
  }

  // The same, from the listing of the Procedure token and the rest of its
  // line alone, made by the complete walk; the bytes past the damage are left
  // out, as the listing leaves them out.
  std::string listedProcedureName(std::int64_t tokenStart, std::int64_t lineEnd) {
    const std::int64_t available = std::min(lineEnd, m_readable) - tokenStart;
    const std::int64_t lineBytes = lineEnd - tokenStart + 2;  // even: every payload is
    m_program.assign(kLinesStart, 0);
    std::memcpy(m_program.data(), "AMOS Basic V134 ", 16);
    for (int i = 0; i < 4; ++i) m_program[16 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(lineBytes >> (24 - 8 * i));
    m_program.push_back(static_cast<std::uint8_t>(lineBytes / 2));
    m_program.push_back(1);
    m_program.insert(m_program.end(), m_bytes + tokenStart, m_bytes + tokenStart + std::max<std::int64_t>(available, 0));
    // Listed alone, the body is none of its business.
    constexpr std::size_t kFlags = kLinesStart + 2 + 2 + 6;
    if (m_program.size() > kFlags) m_program[kFlags] &= static_cast<std::uint8_t>(~(kProcedureEnciphered | kProcedureCompiled));
    WalkCompleteListing(m_program, m_listing);
    const std::string_view text = m_listing.text;
    return afterProcedureKeyword(text.substr(0, text.find('\n')));
  }

  static std::string afterProcedureKeyword(std::string_view text) {
    if (text.starts_with(kProcedureKeyword)) text.remove_prefix(kProcedureKeyword.size());
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return std::string(text);
  }

  const std::uint8_t* m_bytes;  // the file's bytes, or m_copy's once a body is deciphered
  std::int64_t m_size;
  std::int64_t m_linesEnd = 0;
  std::int64_t m_readable = 0;  // the lines' end, or the file's when it comes first
  std::vector<std::uint8_t> m_copy;
  std::int64_t m_plainUntil = 0;
  bool m_inLockedBody = false;
  std::int64_t m_compiledBodyEnd = -1;
  std::int32_t m_line = 0;  // the listing line being walked, from 1
  Found m_found;
  std::array<char, 255 + 2> m_nameText;  // a name as listed: 255 characters, a sign, a colon
  ListingLine m_name;                     // a Procedure line as listed
  // A Procedure line listed alone: the program made of it, and its listing.
  std::vector<std::uint8_t> m_program;
  CompleteListing m_listing;
};

// The classic listing's own reading of the lines (decoder/classic/amos_loader.cpp):
// its header rules, its payload sizes, a line that ends where its tokens
// end, and no stop at a line of length 0. Numbers the found entries by the
// classic line that holds their program line's first byte.
class ClassicNumbering {
 public:
  ClassicNumbering(std::span<const std::uint8_t> file, Found& found)
      : m_bytes(file.data()), m_size(static_cast<std::int64_t>(file.size())), m_found(found) {}

  void run() {
    std::int64_t reach = 0;
    try {
      reach = walkLines();
    } catch (const Damaged&) {
      reach = m_size;  // the last line runs to the end of the file
    }
    close(reach);
  }

 private:
  struct Damaged {};

  enum class Payload : std::uint8_t { None, Name, Text, Skip2, Skip4, Skip8 };

  static constexpr std::int32_t kPayloadCodes = 0x0800;
  static constexpr std::array<Payload, kPayloadCodes / 2> kPayloads = [] {
    std::array<Payload, kPayloadCodes / 2> table{};
    const auto set = [&](std::int32_t code, Payload payload) { table[static_cast<std::size_t>(code / 2)] = payload; };
    for (std::int32_t code : {0x0006, 0x000C, 0x0012, 0x0018}) set(code, Payload::Name);
    for (std::int32_t code : {0x0026, 0x064A, 0x0652}) set(code, Payload::Text);
    for (std::int32_t code : {0x0036, 0x003E, 0x0046, 0x004E, 0x029E, 0x0316}) set(code, Payload::Skip4);
    for (std::int32_t code : {0x023C, 0x0250, 0x0268, 0x027E, 0x02BE, 0x02D0, 0x0404}) set(code, Payload::Skip2);
    set(kProcedure, Payload::Skip8);
    return table;
  }();

  void require(std::int64_t offset, std::int64_t count) const {
    if (offset + count > m_size) [[unlikely]] throw Damaged{};
  }

  static std::int64_t roundUpEven(std::int64_t n) { return n + (n & 1); }

  bool hasSignature() const {
    if (m_size < 20) return false;
    const std::string_view start(reinterpret_cast<const char*>(m_bytes), 16);
    return start.starts_with("AMOS Basic ") || start.starts_with("AMOS Pro");
  }

  // Returns where the last line's tokens ended.
  std::int64_t walkLines() {
    std::int64_t position = 0;
    std::int64_t codeLength = 0;
    if (m_size < 20 && m_size >= 4 && std::memcmp(m_bytes, "AMOS", 4) == 0) return 0;
    if (hasSignature()) {
      position = 20;
      codeLength = u32At(m_bytes, 16);
    } else {
      // Header text up to its zero byte, then a 16-bit length.
      const auto* zero = static_cast<const std::uint8_t*>(std::memchr(m_bytes, 0, static_cast<std::size_t>(m_size)));
      const std::int64_t headerLength = zero == nullptr ? m_size : zero - m_bytes;
      position = roundUpEven(headerLength + 1);
      require(position, 2);
      codeLength = u16At(m_bytes, position);
      position += 2;
    }
    const std::int64_t codeEnd = position + codeLength;
    while (position < codeEnd) {
      require(position, 2);
      const std::int64_t lineEnd = position + 2 * std::int64_t{m_bytes[position]};
      lineStarts(position);
      position += 2;
      while (position < lineEnd) position = token(position);
    }
    return position;
  }

  // Moves past the token at `at`.
  std::int64_t token(std::int64_t at) const {
    require(at, 2);
    const std::uint32_t code = u16At(m_bytes, at);
    const std::int64_t p = at + 2;
    const Payload payload = code < kPayloadCodes && (code & 1) == 0 ? kPayloads[code / 2] : Payload::None;
    std::int64_t size = 0;
    switch (payload) {
      case Payload::None:
        return p;
      case Payload::Name:
        require(p, 4);
        size = roundUpEven(m_bytes[p + 2]) + 4;
        break;
      case Payload::Text:
        require(p, 2);
        size = roundUpEven(m_bytes[p + 1]) + 2;
        break;
      case Payload::Skip2:
        size = 2;
        break;
      case Payload::Skip4:
        size = 4;
        break;
      case Payload::Skip8:
        size = 8;
        break;
    }
    require(p, size);
    return p + size;
  }

  // A classic line starts at `start`: the entries before it belong to the
  // line before.
  void lineStarts(std::int64_t start) {
    assignBefore(start, m_line);
    ++m_line;
    m_found.lineFrom(start);
  }

  void close(std::int64_t reach) {
    assignBefore(reach, m_line);
    assignBefore(INT64_MAX, 0);
  }

  void assignBefore(std::int64_t offset, std::int32_t line) {
    while (m_next < m_found.lineStarts.size() && m_found.lineStarts[m_next] < offset) {
      m_found.entries[m_next++].line = line;
    }
  }

  const std::uint8_t* m_bytes;
  std::int64_t m_size;
  Found& m_found;  // in program order
  std::size_t m_next = 0;       // the first entry not numbered yet
  std::int32_t m_line = 0;      // the classic lines started so far
};

}  // namespace

std::vector<OutlineEntry> buildOutline(std::span<const std::uint8_t> file, ListingStyle style) {
  if (!startsLikeAmosProgram(file)) return {};
  Found found = OutlineWalker(file).run();
  if (style == ListingStyle::Classic) ClassicNumbering(file, found).run();
  return std::move(found.entries);
}

std::vector<std::int64_t> listingLineOrigins(std::span<const std::uint8_t> file, ListingStyle style) {
  std::vector<std::int64_t> origins;
  if (!startsLikeAmosProgram(file)) return origins;
  if (style == ListingStyle::Complete) {
    OutlineWalker(file, &origins).run();
  } else {
    Found found;
    found.origins = &origins;
    ClassicNumbering(file, found).run();
  }
  return origins;
}

}  // namespace zarvex
