#include "bank_picture.h"

#include <array>

#include "big_endian.h"

namespace zarvex {

std::uint32_t amigaColour(std::uint32_t word) {
  return ((word >> 8) & 15) * 17 << 16 | ((word >> 4) & 15) * 17 << 8 | (word & 15) * 17;
}

Palette readPalette(const std::uint8_t* words) {
  Palette palette{};
  for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = amigaColour(u16At(words + 2 * i));
  return palette;
}

namespace {

std::uint32_t halfBrite(std::uint32_t rgb) {
  // Back to 4-bit components, each shifted right by one, then up to 8 bits.
  const auto half = [](std::uint32_t c) { return (c / 17 >> 1) * 17; };
  return half(rgb >> 16 & 0xFF) << 16 | half(rgb >> 8 & 0xFF) << 8 | half(rgb & 0xFF);
}

// Each byte's eight bits spread one to a byte, the top bit (the leftmost
// pixel) in the lowest byte: shifted left by the plane's number and OR-ed,
// eight pixels of a plane are placed at once.
constexpr std::array<std::uint64_t, 256> kSpread = [] {
  std::array<std::uint64_t, 256> table{};
  for (std::size_t byte = 0; byte < table.size(); ++byte) {
    for (int b = 0; b < 8; ++b) {
      if ((byte >> (7 - b)) & 1) table[byte] |= std::uint64_t{1} << (8 * b);
    }
  }
  return table;
}();

}  // namespace

BankPicture planarPicture(std::span<const std::uint8_t> planes, int bytesPerLine, int height, int depth,
                          const Palette& palette, ExtraColours extra) {
  BankPicture picture;
  picture.width = bytesPerLine * 8;
  picture.height = height;
  const std::size_t pixels = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(height);
  picture.index.resize(pixels);
  picture.rgb.resize(pixels);
  const std::size_t planeSize = static_cast<std::size_t>(bytesPerLine) * static_cast<std::size_t>(height);
  const int usedPlanes = depth < 8 ? depth : 8;
  std::uint8_t* target = picture.index.data();
  for (std::size_t i = 0; i < planeSize; ++i, target += 8) {
    std::uint64_t eight = 0;
    for (int plane = 0; plane < usedPlanes; ++plane) {
      eight |= kSpread[planes[planeSize * static_cast<std::size_t>(plane) + i]] << plane;
    }
    for (int b = 0; b < 8; ++b) target[b] = static_cast<std::uint8_t>(eight >> (8 * b));
  }
  if (extra == ExtraColours::HoldAndModify) {
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
      std::uint32_t previous = palette[0];  // hold-and-modify starts each line from colour 0
      for (std::size_t x = 0; x < static_cast<std::size_t>(picture.width); ++x) {
        const std::size_t at = y * static_cast<std::size_t>(picture.width) + x;
        const std::uint8_t index = picture.index[at];
        const std::uint32_t value = (index & 15) * 17u;
        switch (index >> 4 & 3) {
          case 0: previous = palette[index & 15]; break;
          case 1: previous = (previous & 0xFFFF00) | value; break;
          case 2: previous = (previous & 0x00FFFF) | value << 16; break;
          default: previous = (previous & 0xFF00FF) | value << 8; break;
        }
        picture.rgb[at] = previous;
      }
    }
    return picture;
  }
  // Otherwise a pixel's colour depends on its index alone.
  std::array<std::uint32_t, 256> colours;
  for (std::size_t index = 0; index < colours.size(); ++index) {
    colours[index] = index >= 32 && index < 64 && extra == ExtraColours::HalfBrite ? halfBrite(palette[index - 32])
                                                                                     : palette[index % 32];
  }
  for (std::size_t at = 0; at < pixels; ++at) picture.rgb[at] = colours[picture.index[at]];
  return picture;
}

}  // namespace zarvex
