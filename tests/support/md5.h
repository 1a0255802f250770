// MD5 (RFC 1321) of byte strings, for comparing large rendered outputs with
// published digests without keeping reference copies of them.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace zarvex::testing {

class Md5 {
 public:
  void add(std::span<const std::uint8_t> bytes);
  // The digest as 32 lower-case hex digits. Ends the computation.
  std::string hex();

 private:
  void block(const std::uint8_t* p);

  std::array<std::uint32_t, 4> m_state{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  std::array<std::uint8_t, 64> m_buffer{};
  std::size_t m_buffered = 0;
  std::uint64_t m_length = 0;  // bytes added
};

inline std::string md5Hex(std::span<const std::uint8_t> bytes) {
  Md5 md5;
  md5.add(bytes);
  return md5.hex();
}

}  // namespace zarvex::testing
