// SHA-256 (FIPS 180-4) of byte strings, for comparing files read out of
// containers with the digests in the expected listings.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace zarvex::testing {

class Sha256 {
 public:
  void add(std::span<const std::uint8_t> bytes);
  // The digest as 64 lower-case hex digits. Ends the computation.
  std::string hex();

 private:
  void block(const std::uint8_t* p);

  std::array<std::uint32_t, 8> m_state{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  std::array<std::uint8_t, 64> m_buffer{};
  std::size_t m_buffered = 0;
  std::uint64_t m_length = 0;  // bytes added
};

inline std::string sha256Hex(std::span<const std::uint8_t> bytes) {
  Sha256 sha;
  sha.add(bytes);
  return sha.hex();
}

}  // namespace zarvex::testing
