// Checked big-endian reads in a memory bank's data (the bytes after its
// 20-byte header). A read outside the data throws BankDamage, its offset
// counted from the bank's start as every bank reader reports it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>

#include "bank_set.h"

namespace zarvex {

class BankData {
 public:
  explicit BankData(const Bank& bank) : m_data(bank.data()), m_header(bank.bytes.size() - bank.data().size()) {}

  std::size_t size() const { return m_data.size(); }
  std::span<const std::uint8_t> all() const { return m_data; }

  // The bytes [at, at + count); `what` says what they were read for.
  std::span<const std::uint8_t> bytes(std::uint64_t at, std::uint64_t count, const char* what) const {
    if (at > m_data.size() || count > m_data.size() - at) fail(at, what);
    return m_data.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(count));
  }
  std::uint32_t u8(std::uint64_t at, const char* what) const { return bytes(at, 1, what)[0]; }
  std::uint32_t u16(std::uint64_t at, const char* what) const {
    const auto b = bytes(at, 2, what);
    return std::uint32_t{b[0]} << 8 | b[1];
  }
  std::int32_t s16(std::uint64_t at, const char* what) const { return static_cast<std::int16_t>(u16(at, what)); }
  std::uint32_t u32(std::uint64_t at, const char* what) const {
    const auto b = bytes(at, 4, what);
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
  }
  // The bytes from `at` up to (not including) the first `end` byte, which
  // must be there.
  std::span<const std::uint8_t> until(std::uint64_t at, std::uint8_t end, const char* what) const {
    for (std::uint64_t i = at;; ++i) {
      if (u8(i, what) == end) return m_data.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(i - at));
    }
  }

  [[noreturn]] void fail(std::uint64_t at, const char* what) const {
    const std::uint64_t offset = m_header + std::min<std::uint64_t>(at, m_data.size());
    throw BankDamage{static_cast<std::int64_t>(offset), what};
  }

 private:
  std::span<const std::uint8_t> m_data;
  std::size_t m_header;
};

}  // namespace zarvex
