#include "adf_image.h"

namespace zarvex {

std::uint8_t adfUpper(std::uint8_t byte, bool international) {
  if (byte >= 'a' && byte <= 'z') return static_cast<std::uint8_t>(byte - 32);
  if (international && byte >= 0xE0 && byte <= 0xFE && byte != 0xF7) return static_cast<std::uint8_t>(byte - 32);
  return byte;
}

ContainerListing readAdfImage(std::span<const std::uint8_t>) {
  ContainerListing listing;
  listing.refusal = ContainerRefusal{"ndos", "disk images cannot be read yet"};
  return listing;
}

}  // namespace zarvex
