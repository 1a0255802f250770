#include "amos_loader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "file_system.h"
#include "load_messages.h"
#include "number_text.h"
#include "rtf_text.h"
#include "runtime_error.h"
#include "sixteen_bytes.h"
#include "string_appender.h"
#include "token_vocabulary.h"

namespace zarvex {

std::int32_t RoundUpEven(std::int32_t n) { return (n & 1) != 0 ? n + 1 : n; }

void Advance(std::int32_t& position, std::int32_t count) { position += count; }

std::string fileNamePart(const std::string& path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {

// Token codes with handlers.
enum : std::int32_t {
  kVariable = 0x0006,
  kLabel = 0x000C,
  kProcedureCall = 0x0012,
  kLabelReference = 0x0018,
  kString = 0x0026,
  kHexNumber = 0x0036,
  kDecimalNumber = 0x003E,
  kFloatNumber = 0x0046,
  kExtension = 0x004E,
  kRem = 0x064A,
  kQuoteRem = 0x0652,
};

// What follows a token code in the file, as far as the listing is concerned.
enum class Payload : std::uint8_t { None, Name, String, Rem, QuoteRem, Number, Skip2, Skip4, Skip8 };

// Every code with a payload lies below 0x0800: one indexed read per token
// instead of a chain of comparisons.
constexpr std::int32_t kPayloadCodes = 0x0800;
constexpr std::array<Payload, kPayloadCodes / 2> kPayloads = [] {
  std::array<Payload, kPayloadCodes / 2> table{};
  const auto set = [&](std::int32_t code, Payload payload) { table[static_cast<std::size_t>(code / 2)] = payload; };
  for (std::int32_t code : {kVariable, kLabel, kProcedureCall, kLabelReference}) set(code, Payload::Name);
  for (std::int32_t code : {kHexNumber, kDecimalNumber, kFloatNumber, kExtension}) set(code, Payload::Number);
  set(kString, Payload::String);
  set(kRem, Payload::Rem);
  set(kQuoteRem, Payload::QuoteRem);
  // Bytes skipped, unread, after codes whose payload is of no use to a listing.
  for (std::int32_t code : {0x023C, 0x0250, 0x0268, 0x027E, 0x02BE, 0x02D0, 0x0404}) set(code, Payload::Skip2);
  for (std::int32_t code : {0x029E, 0x0316}) set(code, Payload::Skip4);
  set(0x0376, Payload::Skip8);
  return table;
}();

Payload payloadOf(std::int32_t code) {
  return code >= 0 && code < kPayloadCodes && (code & 1) == 0 ? kPayloads[static_cast<std::size_t>(code / 2)]
                                                               : Payload::None;
}

bool startsWithAmos(const ListingState& state) {
  return state.FileLength >= 4 && std::string_view(reinterpret_cast<const char*>(state.FileBytes.data()), 4) == "AMOS";
}

bool hasAmosSignature(const ListingState& state) {
  if (state.FileLength < 20) return false;
  const std::string_view start(reinterpret_cast<const char*>(state.FileBytes.data()), 16);
  return start.starts_with("AMOS Basic ") || start.starts_with("AMOS Pro");
}

// ISO-8859-1 upper case of sixteen characters: a-z and U+00E0..U+00FE
// except U+00F7.
SixteenBytes upperLatin1(SixteenBytes v) {
  const SixteenBytes letter = where((v >= 'a') & (v <= 'z')) | where((v >= 0xE0) & (v <= 0xFE) & (v != 0xF7));
  return v - (letter & 0x20);
}

bool anyRtfSpecialOrBreak(SixteenBytes v) {
  return anySet(where(v == '\\') | where(v == '{') | where(v == '}') | where(v == '\r') | where(v == '\n'));
}

// Appends text from the file to the document and to its plain form in one
// pass. The document escapes RTF's special characters; the plain form leaves
// out raw line breaks, which a reader of RTF takes for layout. With `Upper`,
// letters are upper-cased as names are listed.
template <bool Upper>
ZARVEX_UNTRACED void appendFileText(StringAppender& rtf, StringAppender& plain, std::string_view text) {
  if (text.size() <= 16) {
    // Most names and many texts: one vector test, two fixed-size writes.
    SixteenBytes v = loadUpToSixteen(text.data(), text.size());
    if constexpr (Upper) v = upperLatin1(v);
    if (!anyRtfSpecialOrBreak(v)) {
      rtf.putSixteen(v, text.size());
      plain.putSixteen(v, text.size());
      return;
    }
  }
  constexpr std::size_t kChunk = 1024;
  for (std::size_t from = 0; from < text.size(); from += kChunk) {
    const std::string_view chunk = text.substr(from, kChunk);
    // Room for every character escaped, and for whole 16-byte stores.
    char* const rtfStart = rtf.reserve(2 * chunk.size() + 16);
    char* const plainStart = plain.reserve(chunk.size() + 16);
    char* r = rtfStart;
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
    rtf.commit(static_cast<std::size_t>(r - rtfStart));
    plain.commit(static_cast<std::size_t>(t - plainStart));
  }
}

// The characters an RTF fragment of the decoder's own shows: its text after
// the group's control word.
constexpr std::string_view shownText(std::string_view fragment) {
  if (fragment.starts_with("{\\")) fragment.remove_prefix(fragment.find(' ') + 1);
  if (fragment.ends_with('}')) fragment.remove_suffix(1);
  return fragment;
}

// What a text token's payload is framed with in the document, and the
// characters the frame shows.
struct TextFrame {
  PaddedText open, close;
  PaddedText shownOpen, shownClose;
};

constexpr TextFrame textFrame(std::string_view open, std::string_view close) {
  return {padded(open), padded(close), padded(shownText(open)), padded(shownText(close))};
}

constexpr TextFrame kStringFrame = textFrame("{\\cf3 \"", "\"}");
constexpr TextFrame kRemFrame = textFrame("{\\cf7 Rem ", "}");
constexpr TextFrame kQuoteRemFrame = textFrame("{\\cf7 `", "}");

void putPadded(StringAppender& out, const PaddedText& text) { out.putFromBlock(text.bytes, text.length); }
void putPadded(StringAppender& out, const PaddedText& text, std::size_t count) { out.putFromBlock(text.bytes, count); }

constexpr PaddedText kParagraphEnd = padded("\\par\r\n");
// Indentation of up to a block's width, written with one fixed-size copy.
constexpr PaddedText kBlanks = padded(std::string_view("                                ", StringAppender::kBlock));

struct BstrReleaser {
  void operator()(char* s) const { SysFreeString(s); }
};
using OwnedBstr = std::unique_ptr<char, BstrReleaser>;

std::string_view bytesOf(const OwnedBstr& s) { return {s.get(), SysStringByteLen(s.get())}; }

// One load from the point where the file is in memory to the listing shown.
class Decoder {
 public:
  Decoder(ListingState& state, ListingHost& host, MorvaneImports& lib)
      : m_state(state),
        m_host(host),
        m_lib(lib),
        m_bytes(state.FileBytes.data()),
        m_fileLength(state.FileLength),
        m_rtf(state.RtfDocument, state.WantsDocument),
        m_plain(state.PlainListing, state.WantsPlainListing, state.PlainListingSink) {}

  LoadResult run() {
    try {
      step([&] { m_host.view().setTextRtf(std::string()); });
      step([&] {
        m_state.RtfDocument.clear();
        // Room for what real programs need without growing: their documents
        // are about 1.5 times the file, their texts a little less than it.
        if (m_state.WantsDocument) {
          m_state.RtfDocument.reserve(static_cast<std::size_t>(m_state.FileLength) * 2 + kRtfHeader.size());
        }
        m_state.RtfDocument.assign(kRtfHeader);
        m_state.PlainListing.clear();
        if (m_state.WantsPlainListing && m_state.PlainListingSink == nullptr) {
          m_state.PlainListing.reserve(static_cast<std::size_t>(m_state.FileLength) + 16);
        }
      });
      m_result.extensionCalls = 0;
      m_result.undefinedCalls = 0;
      try {
        decodeProgram();
      } catch (const EarlyEnd&) {
        if (m_lineOpen) endLine();
        m_result.outcome = LoadResult::Outcome::EndedEarly;
      }
      // The closing "}" goes into the string only once everything before it
      // is there: a step abandoned here leaves no "}" behind, so a cancel
      // that follows writes the only one.
      step([&] {
        m_rtf.flush();
        m_state.RtfDocument += '}';
      });
      m_documentClosed = true;
      step([&] { m_plain.flush(); });
      step([&] {
        m_rtf.flush();  // what an abandoned close left in the buffer
        m_host.view().setTextRtf(m_state.RtfDocument);
      });
      step([&] {
        if (!m_host.highlightTicked()) ShowPlainText(m_host);
      });
    } catch (const Cancel&) {
      return cancel();
    }
    if (m_result.outcome == LoadResult::Outcome::EndedEarly) {
      m_host.showMessage(earlyEndMessage(m_result.earlyEndOffset), MessageButtons::Ok);
    }
    if (m_result.extensionCalls > 0 || m_result.undefinedCalls > 0) {
      m_host.showLoadSummary(tokenSummaryMessage(m_result.extensionCalls, m_result.undefinedCalls));
    }
    return m_result;
  }

 private:
  struct Cancel {};
  struct EarlyEnd {};

  // Runs one step. An error is put to the user: OK abandons the step and
  // decoding goes on; Cancel stops the load.
  template <typename Body>
  void step(Body&& body) {
    try {
      body();
    } catch (const RuntimeError& e) {
      askToGoOn(e.number(), e.description());
    } catch (const std::bad_alloc&) {
      askToGoOn(kErrOutOfMemory, "Out of memory");
    }
  }

  void askToGoOn(std::int32_t number, const std::string& description) {
    ++m_result.errorsAsked;
    const std::string text = "Error" + messageNumber(number) + ": " + description;
    if (m_host.showMessage(text, MessageButtons::OkCancel) == MessageAnswer::Cancel) throw Cancel{};
  }

  LoadResult cancel() {
    m_host.showMessage("File Position:" + messageNumber(m_position) + " Token:" + messageNumber(m_token),
                       MessageButtons::Ok);
    try {
      if (!m_documentClosed) {
        m_rtf.put('}');
        m_rtf.flush();
        m_plain.flush();
      }
      PresentListing(m_host, m_state);
    } catch (const std::exception&) {
      // The load is over either way; what could be shown is shown.
    }
    m_result.outcome = LoadResult::Outcome::Cancelled;
    return m_result;
  }

  // Ends the line being built; the next starts empty. Lines are written
  // straight into the document and the plain listing as they are decoded.
  void endLine() {
    step([&] {
      putPadded(m_rtf, kParagraphEnd);
      m_plain.put('\n');
    });
    m_lineOpen = false;
  }

  // Stops decoding when `count` bytes from `offset` are not all in the file.
  void require(std::int64_t offset, std::int64_t count) {
    if (offset < 0 || offset + count > m_fileLength) [[unlikely]] {
      // Named within the file: where the bytes wanted start, or its end.
      m_result.earlyEndOffset = std::clamp<std::int64_t>(offset, 0, m_fileLength);
      throw EarlyEnd{};
    }
  }

  OwnedBstr checked(BSTR s) {
    if (s == nullptr) throw RuntimeError(kErrOutOfMemory, "Out of memory");
    return OwnedBstr(s);
  }

  void decodeProgram() {
    // Header text up to the first zero byte; the image's extra zero byte bounds it.
    std::int32_t headerLength = 0;
    step([&] { headerLength = static_cast<std::int32_t>(SysStringByteLen(checked(m_lib.getNullString(m_bytes)).get())); });

    // A file that starts as an AMOS program but ends before its lines could
    // begin (16 bytes of signature, a 32-bit length) is cut short, not empty.
    if (m_state.FileLength < 20 && startsWithAmos(m_state)) {
      m_result.earlyEndOffset = m_state.FileLength;
      throw EarlyEnd{};
    }

    std::uint32_t codeLength = 0;
    if (hasAmosSignature(m_state)) {
      // 16 bytes of signature text, then a 32-bit code length.
      m_position = 16;
      require(m_position, 4);
      step([&] { codeLength = static_cast<std::uint32_t>(m_lib.getBSLong(m_bytes + m_position)); });
      Advance(m_position, 4);
    } else {
      m_position = RoundUpEven(headerLength + 1);
      require(m_position, 2);
      step([&] { codeLength = static_cast<std::uint32_t>(m_lib.getBSShort(m_bytes + m_position)); });
      Advance(m_position, 2);
    }
    const std::int64_t codeEnd = std::int64_t{m_position} + codeLength;

    while (m_position < codeEnd) {
      require(m_position, 2);
      const std::int64_t lineEnd = std::int64_t{m_position} + m_bytes[m_position] * 2;
      const auto indentation = static_cast<std::uint8_t>(m_bytes[m_position + 1] - 1);
      Advance(m_position, 2);
      step([&] {
        if (indentation <= kBlanks.length) {
          putPadded(m_rtf, kBlanks, indentation);
          putPadded(m_plain, kBlanks, indentation);
        } else {
          m_rtf.put(indentation, ' ');
          m_plain.put(indentation, ' ');
        }
      });
      m_lineOpen = true;
      while (m_position < lineEnd) decodeToken();
      endLine();
    }
  }

  void decodeToken() {
    const std::int32_t at = m_position;
    require(at, 2);
    step([&] { m_token = m_lib.getBSShort(m_bytes + at); });
    // Kept in locals: every character written could alias the members.
    const std::int32_t token = m_token;
    const std::int32_t p = at + 2;
    m_position = p;
    const Payload payload = payloadOf(token);

    // A token that wrote its keyword to the document is defined, whatever its
    // payload writes (and even when its plain form could not be written).
    bool wroteKeyword = false;
    if (const auto* keyword = TokenVocabulary::fragment(static_cast<std::uint32_t>(token))) {
      step([&] {
        m_rtf.putFromBlock(keyword->bytes, keyword->documentLength);
        wroteKeyword = true;
        m_plain.putFromBlock(keyword->bytes + keyword->kPlainStart, keyword->plainLength);
      });
    }
    if (wroteKeyword) {
      if (payload != Payload::None) handle(p, payload);
      return;
    }

    const std::size_t lengthBefore = m_rtf.size();
    if (payload != Payload::None) handle(p, payload);
    if (token != 0 && m_rtf.size() == lengthBefore) [[unlikely]] {
      step([&] { putUndefinedMarker(token); });
      step([&] { Advance(m_result.undefinedCalls, 1); });
    }
  }

  // What stands for a token the listing cannot show: "<!-- 1234 -->", the
  // number as messages write it, green in the document. Out of line: rare,
  // and the token loop stays small without it.
  [[gnu::noinline]] void putUndefinedMarker(std::int32_t token) {
    static constexpr std::string_view kOpenText = "{\\cf2 <!--";
    static constexpr std::string_view kCloseText = " -->}";
    static constexpr PaddedText kOpen = padded(kOpenText);
    static constexpr PaddedText kClose = padded(kCloseText);
    static constexpr PaddedText kShownOpen = padded(shownText(kOpenText));
    static constexpr PaddedText kShownClose = padded(shownText(kCloseText));
    const MessageNumberText number = messageNumberText(token);
    putPadded(m_rtf, kOpen);
    m_rtf.put(number.view());
    putPadded(m_rtf, kClose);
    putPadded(m_plain, kShownOpen);
    m_plain.put(number.view());
    putPadded(m_plain, kShownClose);
  }

  void handle(std::int32_t p, Payload payload) {
    switch (payload) {
      case Payload::Name:
        return name(p);
      case Payload::String:
        return text(p, kStringFrame);
      case Payload::Rem:
        return text(p, kRemFrame);
      case Payload::QuoteRem:
        return text(p, kQuoteRemFrame);
      case Payload::Number:
        return number(p);
      case Payload::Skip2:
        return skip(p, 2);
      case Payload::Skip4:
        return skip(p, 4);
      case Payload::Skip8:
        return skip(p, 8);
      case Payload::None:
        return;
    }
  }

  void skip(std::int32_t p, std::int32_t size) {
    require(p, size);
    step([&] { Advance(m_position, size); });
  }

  // Name payload: 2 bytes unread, length n, flags, n bytes of text padded to even.
  void name(std::int32_t p) {
    require(p, 4);
    const std::int32_t size = RoundUpEven(m_bytes[p + 2]) + 4;
    require(p, size);
    step([&] {
      const OwnedBstr name = checked(m_lib.getStringByteLen(m_bytes + p + 4, m_bytes[p + 2]));
      appendFileText<true>(m_rtf, m_plain, bytesOf(name));
      if (m_token == kLabel) {
        m_rtf.put(':');
        m_plain.put(':');
      }
    });
    if (m_token == kVariable) {
      step([&] {
        if ((m_bytes[p + 3] & 3) == 1) {
          m_rtf.put('#');
          m_plain.put('#');
        }
      });
      step([&] {
        if ((m_bytes[p + 3] & 3) == 2) {
          m_rtf.put('$');
          m_plain.put('$');
        }
      });
    }
    step([&] { Advance(m_position, size); });
  }

  // Text payload: 1 byte unread, length n, n bytes of text padded to even.
  void text(std::int32_t p, const TextFrame& frame) {
    require(p, 2);
    const std::int32_t size = RoundUpEven(m_bytes[p + 1]) + 2;
    require(p, size);
    step([&] {
      putPadded(m_rtf, frame.open);
      putPadded(m_plain, frame.shownOpen);
    });
    step([&] {
      const OwnedBstr text = checked(m_lib.getStringByteLen(m_bytes + p + 2, m_bytes[p + 1]));
      appendFileText<false>(m_rtf, m_plain, bytesOf(text));
    });
    step([&] {
      putPadded(m_rtf, frame.close);
      putPadded(m_plain, frame.shownClose);
    });
    step([&] { Advance(m_position, size); });
  }

  // 4-byte payload: a signed 32-bit integer, or a fast floating point number.
  void number(std::int32_t p) {
    require(p, 4);
    step([&] {
      if (m_token == kFloatNumber) {
        m_number.clear();
        appendFloatText(m_number, m_lib.getBSSingle(m_bytes + p));
        m_rtf.put("{\\cf1 ");
        m_rtf.put(m_number);
        m_rtf.put('}');
        m_plain.put(m_number);
        return;
      }
      // The document form built in one block: the group of the number colour
      // around the number's characters (an extension: bold, and a blank
      // after). The plain form is the characters, from the same block.
      const std::int32_t value = m_lib.getBSLong(m_bytes + p);
      const bool extension = m_token == kExtension;
      char block[48] = {};
      const std::string_view open = extension ? "{\\b " : "{\\cf1 ";
      std::memcpy(block, open.data(), open.size());
      char* const shown = block + open.size();
      char* end = shown;
      if (m_token == kDecimalNumber) {
        end = writeDecimalText(end, value);
      } else {
        if (m_token == kHexNumber) *end++ = '$';
        end = writeHexText(end, static_cast<std::uint32_t>(value));
      }
      const auto shownLength = static_cast<std::size_t>(end - shown);
      *end++ = '}';
      if (extension) *end++ = ' ';
      // Both copies stay inside the block: the plain one starts at most 6 in.
      static_assert(6 + StringAppender::kBlock <= sizeof block);
      m_rtf.putFromBlock(block, static_cast<std::size_t>(end - block));
      m_plain.putFromBlock(shown, shownLength);
      if (extension) m_plain.put(' ');
    });
    step([&] { Advance(m_position, 4); });
    if (m_token == kExtension) step([&] { Advance(m_result.extensionCalls, 1); });
  }

  ListingState& m_state;
  ListingHost& m_host;
  MorvaneImports& m_lib;
  const std::uint8_t* m_bytes;
  const std::int64_t m_fileLength;  // bytes of the file in m_bytes
  LoadResult m_result;
  std::int32_t m_position = 0;
  std::int32_t m_token = 0;
  StringAppender m_rtf;            // onto the listing document
  StringAppender m_plain;          // onto the listing as the views show it
  std::string m_number;            // a number's text
  bool m_lineOpen = false;        // a line is being built
  bool m_documentClosed = false;  // the closing "}" has been written
};

}  // namespace

std::unique_ptr<ReadOnlyFile> OpenCheckedFile(const std::string& path, ListingHost& host) {
  if (host.entersProgramFolder()) {
    const std::string& folder = programFolder();
    if (!folder.empty()) setCurrentDirectory(folder);
  }

  auto file = std::make_unique<ReadOnlyFile>(path);
  if (file->size() > kMaxAmosFileSize) {
    host.showMessage("File too big protection error", MessageButtons::Ok);
    return nullptr;
  }
  return file;
}

LoadResult LoadAmosFile(const std::string& path, ListingState& state, ListingHost& host,
                        MorvaneImports& imports) {
  const auto file = OpenCheckedFile(path, host);
  if (!file) {
    LoadResult result;
    result.outcome = LoadResult::Outcome::TooBig;
    return result;
  }

  host.setWindowTitle(host.programTitle() + " - " + fileNamePart(path));

  // Exactly the size checked is read, from the file checked, whatever
  // happens to the path meanwhile.
  std::vector<std::uint8_t> image = file->readImage(file->size());
  state.FileBytes = std::move(image);
  state.FileLength = static_cast<std::int32_t>(file->size());

  return DecodeFileImage(state, host, imports);
}

LoadResult DecodeFileImage(ListingState& state, ListingHost& host, MorvaneImports& imports) {
  if (state.FileLength < 0 || state.FileBytes.size() != static_cast<std::size_t>(state.FileLength) + 1 ||
      state.FileBytes.back() != 0) {
    throw RuntimeError(kErrPathAccess, "The file image is not laid out as a load leaves it");
  }
  const bool startsLikeProgram =
      startsLikeAmosProgram({state.FileBytes.data(), static_cast<std::size_t>(state.FileLength)});
  LoadResult result = Decoder(state, host, imports).run();
  result.startsLikeProgram = startsLikeProgram;
  return result;
}

}  // namespace zarvex
