#include "bank_picture.h"

#include "big_endian.h"

namespace zarvex {

std::uint32_t amigaColour(std::uint32_t word) {
  return ((word >> 8) & 15) * 17 << 16 | ((word >> 4) & 15) * 17 << 8 | (word & 15) * 17;
}

Palette readPalette(const std::uint8_t* words) {
  Palette palette{};
  for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = amigaColour(banks::u16At(words + 2 * i));
  return palette;
}

namespace {

std::uint32_t halfBrite(std::uint32_t rgb) {
  // Back to 4-bit components, each shifted right by one, then up to 8 bits.
  const auto half = [](std::uint32_t c) { return (c / 17 >> 1) * 17; };
  return half(rgb >> 16 & 0xFF) << 16 | half(rgb >> 8 & 0xFF) << 8 | half(rgb & 0xFF);
}

}  // namespace

BankPicture planarPicture(std::span<const std::uint8_t> planes, int bytesPerLine, int height, int depth,
                          const Palette& palette, ExtraColours extra) {
  BankPicture picture;
  picture.width = bytesPerLine * 8;
  picture.height = height;
  const std::size_t pixels = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(height);
  picture.index.assign(pixels, 0);
  picture.rgb.assign(pixels, 0);
  const std::size_t planeSize = static_cast<std::size_t>(bytesPerLine) * static_cast<std::size_t>(height);
  for (int plane = 0; plane < depth && plane < 8; ++plane) {
    const std::uint8_t* source = planes.data() + planeSize * static_cast<std::size_t>(plane);
    const auto bit = static_cast<std::uint8_t>(1u << plane);
    std::uint8_t* target = picture.index.data();
    for (std::size_t i = 0; i < planeSize; ++i) {
      const std::uint8_t byte = source[i];
      if (byte == 0) {
        target += 8;
        continue;
      }
      for (int b = 7; b >= 0; --b, ++target) {
        if ((byte >> b) & 1) *target |= bit;
      }
    }
  }
  for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
    std::uint32_t previous = palette[0];  // hold-and-modify starts each line from colour 0
    for (std::size_t x = 0; x < static_cast<std::size_t>(picture.width); ++x) {
      const std::size_t at = y * static_cast<std::size_t>(picture.width) + x;
      const std::uint8_t index = picture.index[at];
      std::uint32_t colour;
      if (extra == ExtraColours::HoldAndModify) {
        const std::uint32_t value = (index & 15) * 17u;
        switch (index >> 4 & 3) {
          case 0: colour = palette[index & 15]; break;
          case 1: colour = (previous & 0xFFFF00) | value; break;
          case 2: colour = (previous & 0x00FFFF) | value << 16; break;
          default: colour = (previous & 0xFF00FF) | value << 8; break;
        }
      } else if (index >= 32 && index < 64 && extra == ExtraColours::HalfBrite) {
        colour = halfBrite(palette[index - 32]);
      } else {
        colour = palette[index % 32];
      }
      picture.rgb[at] = colour;
      previous = colour;
    }
  }
  return picture;
}

}  // namespace zarvex
