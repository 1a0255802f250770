#include "classic_decoder.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "amos_loader.h"
#include "classic_listing_writer.h"
#include "listing_presentation.h"
#include "load_messages.h"
#include "load_steps.h"
#include "rtf_text.h"
#include "runtime_error.h"
#include "token_payload.h"
#include "token_vocabulary.h"

namespace zarvex {

namespace {

using namespace classic;

bool startsWithAmos(const ListingState& state) {
  return state.FileLength >= 4 && std::string_view(reinterpret_cast<const char*>(state.FileBytes.data()), 4) == "AMOS";
}

bool hasAmosSignature(const ListingState& state) {
  if (state.FileLength < 20) return false;
  const std::string_view start(reinterpret_cast<const char*>(state.FileBytes.data()), 16);
  return start.starts_with("AMOS Basic ") || start.starts_with("AMOS Pro");
}

struct BstrReleaser {
  void operator()(char* s) const { SysFreeString(s); }
};
using OwnedBstr = std::unique_ptr<char, BstrReleaser>;

std::string_view bytesOf(const OwnedBstr& s) { return {s.get(), SysStringByteLen(s.get())}; }

// One load from the point where the file is in memory to the listing shown:
// reads the program's lines and tokens and says what to write; the writer
// makes the document and the plain listing of it. Every read and every
// write is a step of its own (LoadSteps).
class Decoder {
 public:
  Decoder(ListingState& state, ListingHost& host, MorvaneImports& lib)
      : m_state(state),
        m_host(host),
        m_lib(lib),
        m_steps(host),
        m_bytes(state.FileBytes.data()),
        m_fileLength(state.FileLength),
        m_streamsDocument(state.WantsDocument && state.RtfDocumentSink != nullptr),
        m_out(state.RtfDocument, state.WantsDocument, state.RtfDocumentSink, state.PlainListing,
              state.WantsPlainListing, state.PlainListingSink) {}

  LoadResult run() {
    try {
      begin();
      try {
        decodeProgram();
      } catch (const EarlyEnd&) {
        if (m_lineOpen) endLine();
        m_result.outcome = LoadResult::Outcome::EndedEarly;
      }
      finish();
    } catch (const LoadSteps::Cancelled&) {
      return cancel();
    }
    m_result.errorsAsked = m_steps.errorsAsked();
    if (m_result.outcome == LoadResult::Outcome::EndedEarly) {
      m_host.showMessage(earlyEndMessage(m_result.earlyEndOffset), MessageButtons::Ok);
    }
    if (m_result.extensionCalls > 0 || m_result.undefinedCalls > 0) {
      m_host.showLoadSummary(tokenSummaryMessage(m_result.extensionCalls, m_result.undefinedCalls));
    }
    return m_result;
  }

 private:
  struct EarlyEnd {};

  // Empties the view and starts the document with its header.
  void begin() {
    m_steps([&] { m_host.view().setTextRtf(std::string()); });
    m_steps([&] {
      m_state.RtfDocument.clear();
      // Room for what real programs need without growing: their documents
      // are about 1.5 times the file, their texts a little less than it.
      if (m_state.WantsDocument && !m_streamsDocument) {
        m_state.RtfDocument.reserve(static_cast<std::size_t>(m_state.FileLength) * 2 + kRtfHeader.size());
      }
      if (m_streamsDocument) {
        m_out.documentText(kRtfHeader);
      } else {
        m_state.RtfDocument.assign(kRtfHeader);
      }
      m_state.PlainListing.clear();
      if (m_state.WantsPlainListing && m_state.PlainListingSink == nullptr) {
        m_state.PlainListing.reserve(static_cast<std::size_t>(m_state.FileLength) + 16);
      }
    });
  }

  // Closes the document and shows it.
  void finish() {
    // The closing "}" goes into the string only once everything before it
    // is there: a step abandoned here leaves no "}" behind, so a cancel
    // that follows writes the only one. A streamed document gets it after
    // what was written, once.
    m_steps([&] {
      m_out.flushDocument();
      if (m_streamsDocument) {
        m_documentClosed = true;
        m_out.documentEnd();
        m_out.flushDocument();
      } else {
        m_state.RtfDocument += '}';
      }
    });
    m_documentClosed = true;
    m_steps([&] { m_out.flushPlain(); });
    m_steps([&] {
      m_out.flushDocument();  // what an abandoned close left in the buffer
      m_host.view().setTextRtf(m_state.RtfDocument);
    });
    m_steps([&] {
      if (!m_host.highlightTicked()) ShowPlainText(m_host);
    });
  }

  LoadResult cancel() {
    m_result.errorsAsked = m_steps.errorsAsked();
    m_host.showMessage("File Position:" + messageNumber(m_position) + " Token:" + messageNumber(m_token),
                       MessageButtons::Ok);
    try {
      if (!m_documentClosed) {
        m_out.documentEnd();
        m_out.flushDocument();
        m_out.flushPlain();
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
  [[gnu::always_inline]] void endLine() {
    m_steps([&] { m_out.lineEnd(); });
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

  // The header, the length of the program's lines, then line after line.
  void decodeProgram() {
    // Header text up to the first zero byte; the image's extra zero byte bounds it.
    std::int32_t headerLength = 0;
    m_steps([&] {
      headerLength = static_cast<std::int32_t>(SysStringByteLen(checked(m_lib.getNullString(m_bytes)).get()));
    });

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
      m_steps([&] { codeLength = static_cast<std::uint32_t>(m_lib.getBSLong(m_bytes + m_position)); });
      Advance(m_position, 4);
    } else {
      m_position = RoundUpEven(headerLength + 1);
      require(m_position, 2);
      m_steps([&] { codeLength = static_cast<std::uint32_t>(m_lib.getBSShort(m_bytes + m_position)); });
      Advance(m_position, 2);
    }
    const std::int64_t codeEnd = std::int64_t{m_position} + codeLength;
    while (m_position < codeEnd) decodeLine();
  }

  // A line: its size in 2-byte units, indentation + 1, then tokens up to
  // the size, whatever they say.
  void decodeLine() {
    require(m_position, 2);
    const std::int64_t lineEnd = std::int64_t{m_position} + m_bytes[m_position] * 2;
    const auto indentation = static_cast<std::uint8_t>(m_bytes[m_position + 1] - 1);
    Advance(m_position, 2);
    m_steps([&] { m_out.indentation(indentation); });
    m_lineOpen = true;
    while (m_position < lineEnd) decodeToken();
    endLine();
  }

  // A token: its code, its keyword when it has one, then its payload. A
  // token that writes nothing is undefined and shows as a marker.
  void decodeToken() {
    const std::int32_t at = m_position;
    require(at, 2);
    m_steps([&] { m_token = m_lib.getBSShort(m_bytes + at); });
    // Kept in locals: every character written could alias the members.
    const std::int32_t token = m_token;
    const std::int32_t p = at + 2;
    m_position = p;
    const Payload payload = payloadOf(token);

    // A token that wrote its keyword to the document is defined, whatever its
    // payload writes (and even when its plain form could not be written).
    bool wroteKeyword = false;
    if (const auto* keyword = TokenVocabulary::fragment(static_cast<std::uint32_t>(token))) {
      m_steps([&] { m_out.keyword(*keyword, wroteKeyword); });
    }
    if (wroteKeyword) {
      if (payload != Payload::None) handlePayload(p, payload);
      return;
    }

    const std::size_t lengthBefore = m_out.documentSize();
    if (payload != Payload::None) handlePayload(p, payload);
    if (token != 0 && m_out.documentSize() == lengthBefore) [[unlikely]] {
      m_steps([&] { m_out.undefinedMarker(token); });
      m_steps([&] { Advance(m_result.undefinedCalls, 1); });
    }
  }

  // The payload from `p`, listed or skipped; m_position ends past it.
  void handlePayload(std::int32_t p, Payload payload) {
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
    m_steps([&] { Advance(m_position, size); });
  }

  // Name payload: 2 bytes unread, length n, flags, n bytes of text padded to even.
  [[gnu::always_inline]] void name(std::int32_t p) {
    require(p, 4);
    const std::int32_t size = RoundUpEven(m_bytes[p + 2]) + 4;
    require(p, size);
    m_steps([&] {
      const OwnedBstr name = checked(m_lib.getStringByteLen(m_bytes + p + 4, m_bytes[p + 2]));
      m_out.fileText<true>(bytesOf(name));
      if (m_token == kLabel) m_out.character(':');
    });
    if (m_token == kVariable) {
      m_steps([&] {
        if ((m_bytes[p + 3] & 3) == 1) m_out.character('#');
      });
      m_steps([&] {
        if ((m_bytes[p + 3] & 3) == 2) m_out.character('$');
      });
    }
    m_steps([&] { Advance(m_position, size); });
  }

  // Text payload: 1 byte unread, length n, n bytes of text padded to even.
  void text(std::int32_t p, const TextFrame& frame) {
    require(p, 2);
    const std::int32_t size = RoundUpEven(m_bytes[p + 1]) + 2;
    require(p, size);
    m_steps([&] { m_out.frameOpen(frame); });
    m_steps([&] {
      const OwnedBstr text = checked(m_lib.getStringByteLen(m_bytes + p + 2, m_bytes[p + 1]));
      m_out.fileText<false>(bytesOf(text));
    });
    m_steps([&] { m_out.frameClose(frame); });
    m_steps([&] { Advance(m_position, size); });
  }

  // 4-byte payload: a signed 32-bit integer, or a fast floating point number.
  [[gnu::always_inline]] void number(std::int32_t p) {
    require(p, 4);
    m_steps([&] {
      if (m_token == kFloatNumber) {
        m_out.floatNumber(m_lib.getBSSingle(m_bytes + p));
        return;
      }
      const IntegerForm form = m_token == kDecimalNumber ? IntegerForm::Decimal
                               : m_token == kHexNumber   ? IntegerForm::Hex
                                                         : IntegerForm::Extension;
      m_out.integer(m_lib.getBSLong(m_bytes + p), form);
    });
    m_steps([&] { Advance(m_position, 4); });
    if (m_token == kExtension) m_steps([&] { Advance(m_result.extensionCalls, 1); });
  }

  ListingState& m_state;
  ListingHost& m_host;
  MorvaneImports& m_lib;
  LoadSteps m_steps;
  const std::uint8_t* m_bytes;
  const std::int64_t m_fileLength;  // bytes of the file in m_bytes
  const bool m_streamsDocument;     // the document goes to a sink, not to the string
  LoadResult m_result;
  std::int32_t m_position = 0;
  std::int32_t m_token = 0;
  ClassicListingWriter m_out;
  bool m_lineOpen = false;        // a line is being built
  bool m_documentClosed = false;  // the closing "}" has been written
};

}  // namespace

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
