// Appends to a string through a small buffer of its own. A listing is built
// from hundreds of thousands of short pieces (a keyword, a brace, a digit);
// each costs a pointer bump here instead of a call into the string library.
// What is written reaches the string at flush() and when the appender ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "sixteen_bytes.h"
#include "text_sink.h"
#include "untraced.h"

namespace zarvex {

// memcpy for the short pieces a listing is made of, without a call: two
// overlapping loads and stores cover any length from 4 to 16.
ZARVEX_HOT_UNTRACED void copyPiece(char* to, const char* from, std::size_t count) {
  if (count >= 8 && count <= 16) {
    std::uint64_t head, tail;
    std::memcpy(&head, from, 8);
    std::memcpy(&tail, from + count - 8, 8);
    std::memcpy(to, &head, 8);
    std::memcpy(to + count - 8, &tail, 8);
  } else if (count >= 4 && count < 8) {
    std::uint32_t head, tail;
    std::memcpy(&head, from, 4);
    std::memcpy(&tail, from + count - 4, 4);
    std::memcpy(to, &head, 4);
    std::memcpy(to + count - 4, &tail, 4);
  } else if (count < 4) {
    for (std::size_t i = 0; i < count; ++i) to[i] = from[i];
  } else {
    std::memcpy(to, from, count);
  }
}

class StringAppender {
 public:
  // An appender that does not keep (`keeps` false) counts what is written
  // and drops it at each flush: for a listing nobody reads. One with a sink
  // hands it what is written at each flush instead of the string.
  explicit StringAppender(std::string& out, bool keeps = true, TextSink* sink = nullptr)
      : m_out(out), m_keeps(keeps), m_sink(sink) {}
  ~StringAppender() {
    try {
      flush();
    } catch (...) {
      // Out of memory while unwinding: what was buffered is lost, not the rest.
    }
  }
  StringAppender(const StringAppender&) = delete;
  StringAppender& operator=(const StringAppender&) = delete;

  ZARVEX_HOT_UNTRACED void put(char c) {
    if (m_used == kCapacity) [[unlikely]] flush();
    m_buffer[m_used++] = c;
  }

  ZARVEX_HOT_UNTRACED void put(std::string_view text) {
    if (text.size() <= kCapacity - m_used) [[likely]] {
      copyPiece(m_buffer + m_used, text.data(), text.size());
      m_used += text.size();
    } else {
      putLong(text);
    }
  }

  ZARVEX_HOT_UNTRACED void put(std::size_t count, char c) {
    if (count <= kCapacity - m_used) [[likely]] {
      std::memset(m_buffer + m_used, c, count);
      m_used += count;
    } else {
      flush();
      deliver(std::string(count, c));
    }
  }

  // Writes the first `count` (at most 32) characters of `block`, which must
  // have 32 readable bytes: one fixed-size copy, no branch on the length.
  // The bytes after `count` land in spare room and are written over next.
  ZARVEX_HOT_UNTRACED void putFromBlock(const char* block, std::size_t count) {
    if (kCapacity - m_used < kBlock) [[unlikely]] flush();
    std::memcpy(m_buffer + m_used, block, kBlock);
    m_used += count;
  }
  static constexpr std::size_t kBlock = 32;

  // The first `count` (at most 16) bytes of `bytes`: one sixteen-byte store.
  ZARVEX_HOT_UNTRACED void putSixteen(SixteenBytes bytes, std::size_t count) {
    if (kCapacity - m_used < sizeof bytes) [[unlikely]] flush();
    std::memcpy(m_buffer + m_used, &bytes, sizeof bytes);
    m_used += count;
  }

  // Any number of characters from `from`, which must have readable bytes up
  // to kBlock past the last of them: fixed-size writes only.
  ZARVEX_HOT_UNTRACED void putFromBlocks(const char* from, std::size_t count) {
    for (; count > kBlock; from += kBlock, count -= kBlock) putFromBlock(from, kBlock);
    putFromBlock(from, count);
  }

  // Room for `count` characters written through reserve(): a pointer to
  // them, valid until the next call; commit() then says how many were used.
  ZARVEX_UNTRACED char* reserve(std::size_t count) {
    if (count > kCapacity - m_used) flush();
    return count <= kCapacity ? m_buffer + m_used : nullptr;
  }
  void commit(std::size_t count) { m_used += count; }

  // The string's length once everything written has reached it (what was
  // dropped counted in).
  std::size_t size() const { return m_out.size() + m_dropped + m_used; }

  // Hands what is buffered to the string.
  ZARVEX_UNTRACED void flush() {
    if (m_used == 0) return;
    deliver({m_buffer, m_used});
    m_used = 0;
  }

  static constexpr std::size_t kCapacity = 8192;

 private:
  ZARVEX_UNTRACED void putLong(std::string_view text) {
    flush();
    if (text.size() > kCapacity) {
      deliver(text);
    } else {
      std::memcpy(m_buffer, text.data(), text.size());
      m_used = text.size();
    }
  }

  // What was written, to the string, the sink or nowhere.
  ZARVEX_UNTRACED void deliver(std::string_view piece) {
    if (m_sink != nullptr) {
      m_sink->take(piece);
    } else if (m_keeps) {
      m_out.append(piece);
      return;
    }
    m_dropped += piece.size();
  }

  std::string& m_out;
  bool m_keeps;
  TextSink* m_sink;
  std::size_t m_dropped = 0;
  std::size_t m_used = 0;
  char m_buffer[kCapacity];
};

// A piece of the listing's own text (a keyword's group, a frame, a paragraph
// end, a number's group), kept with spare bytes after it. The one type that
// carries the rule of putFromBlock: a writer copies the text, or a part of it
// that starts within its first kSlack bytes, with one fixed-size copy.
struct PaddedText {
  static constexpr std::size_t kSlack = 8;
  char bytes[StringAppender::kBlock + kSlack]{};
  std::uint8_t length = 0;

  // Writes the whole text.
  ZARVEX_HOT_UNTRACED void putInto(StringAppender& out) const { out.putFromBlock(bytes, length); }
  // Writes `count` (at most a block) characters from `from` (at most kSlack).
  ZARVEX_HOT_UNTRACED void putInto(StringAppender& out, std::size_t from, std::size_t count) const {
    out.putFromBlock(bytes + from, count);
  }
};

// The text as a PaddedText; one longer than a block does not compile where
// the result is a constant.
constexpr PaddedText padded(std::string_view text) {
  if (text.size() > StringAppender::kBlock) throw "longer than a block";
  PaddedText out;
  for (std::size_t i = 0; i < text.size(); ++i) out.bytes[i] = text[i];
  out.length = static_cast<std::uint8_t>(text.size());
  return out;
}

}  // namespace zarvex
