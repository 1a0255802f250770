#include "md5.h"

#include <algorithm>

namespace zarvex::testing {

namespace {

// floor(abs(sin(i + 1)) * 2^32), written out: std::sin is not constexpr.
constexpr std::array<std::uint32_t, 64> kSines{
      0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
      0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
      0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
      0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
      0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
      0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
      0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
      0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr std::array<int, 16> kShifts{7, 12, 17, 22, 5, 9, 14, 20, 4, 11, 16, 23, 6, 10, 15, 21};

std::uint32_t rotateLeft(std::uint32_t x, int n) { return x << n | x >> (32 - n); }

}  // namespace

void Md5::block(const std::uint8_t* p) {
  std::array<std::uint32_t, 16> m{};
  for (int i = 0; i < 16; ++i) {
    m[i] = std::uint32_t{p[4 * i]} | std::uint32_t{p[4 * i + 1]} << 8 | std::uint32_t{p[4 * i + 2]} << 16 |
           std::uint32_t{p[4 * i + 3]} << 24;
  }
  std::uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
  for (int i = 0; i < 64; ++i) {
    std::uint32_t f;
    int g;
    if (i < 16) {
      f = (b & c) | (~b & d);
      g = i;
    } else if (i < 32) {
      f = (d & b) | (~d & c);
      g = (5 * i + 1) % 16;
    } else if (i < 48) {
      f = b ^ c ^ d;
      g = (3 * i + 5) % 16;
    } else {
      f = c ^ (b | ~d);
      g = (7 * i) % 16;
    }
    const std::uint32_t next = b + rotateLeft(a + f + kSines[i] + m[g], kShifts[i / 16 * 4 + i % 4]);
    a = d;
    d = c;
    c = b;
    b = next;
  }
  m_state[0] += a;
  m_state[1] += b;
  m_state[2] += c;
  m_state[3] += d;
}

void Md5::add(std::span<const std::uint8_t> bytes) {
  m_length += bytes.size();
  std::size_t at = 0;
  if (m_buffered > 0) {
    const std::size_t n = std::min(bytes.size(), 64 - m_buffered);
    std::copy_n(bytes.begin(), n, m_buffer.begin() + static_cast<std::ptrdiff_t>(m_buffered));
    m_buffered += n;
    at = n;
    if (m_buffered < 64) return;
    block(m_buffer.data());
    m_buffered = 0;
  }
  for (; at + 64 <= bytes.size(); at += 64) block(bytes.data() + at);
  std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end(), m_buffer.begin());
  m_buffered = bytes.size() - at;
}

std::string Md5::hex() {
  const std::uint64_t bits = m_length * 8;
  std::array<std::uint8_t, 72> tail{};
  tail[0] = 0x80;
  const std::size_t padding = (m_buffered < 56 ? 56 : 120) - m_buffered;
  for (int i = 0; i < 8; ++i) tail[padding + i] = static_cast<std::uint8_t>(bits >> (8 * i));
  add(std::span(tail).first(padding + 8));
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::uint32_t word : m_state) {
    for (int i = 0; i < 4; ++i) {
      const auto byte = static_cast<std::uint8_t>(word >> (8 * i));
      text += kDigits[byte >> 4];
      text += kDigits[byte & 15];
    }
  }
  return text;
}

}  // namespace zarvex::testing
