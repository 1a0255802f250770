// Pictures of banks in plain buffers: planar Amiga bitmaps turned into one
// colour index and one RGB value a pixel, and the Amiga's 12-bit palettes.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace zarvex {

// 32 colours, each 0xRRGGBB.
using Palette = std::array<std::uint32_t, 32>;

struct BankPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> index;  // each pixel's colour index, row after row
  std::vector<std::uint32_t> rgb;   // each pixel's colour, 0xRRGGBB
};

// A colour word $0RGB as 0xRRGGBB (each 4-bit component times 17).
std::uint32_t amigaColour(std::uint32_t word);

// 32 colour words from `words` (64 bytes, the caller has checked them).
Palette readPalette(const std::uint8_t* words);

// How indices above 31 are coloured.
enum class ExtraColours {
  Wrap,       // index mod 32 (sprites, and pictures of more than 6 planes)
  HalfBrite,  // 32-63: colours 0-31 at half brightness
  HoldAndModify,
};

// A planar bitmap: `depth` planes one after another, each `height` lines of
// `bytesPerLine` bytes (the top bit of a byte is its leftmost pixel; plane p
// gives bit p of the index). `planes` must hold all of them.
BankPicture planarPicture(std::span<const std::uint8_t> planes, int bytesPerLine, int height, int depth,
                          const Palette& palette, ExtraColours extra = ExtraColours::Wrap);

}  // namespace zarvex
