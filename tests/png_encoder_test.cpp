// PNG files of bank pictures: a picture whose indices each show one colour is
// written with its palette at the smallest depth that holds it, anything else
// as RGB; either way libpng reads back exactly the picture's colours.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <vector>

#include "bank_picture.h"
#include "png_encoder.h"

namespace zarvex {
namespace {

struct Decoded {
  int width = 0;
  int height = 0;
  int depth = 0;       // from the header
  int colourType = -1;  // from the header
  std::vector<std::uint32_t> rgb;
};

// The file's header fields, and its pixels through libpng's simplified reader.
Decoded decode(const std::vector<std::uint8_t>& file) {
  Decoded out;
  // Signature (8 bytes), then IHDR: length (4), type (4), width (4), height (4), depth (1), colour type (1).
  if (file.size() < 33) return out;
  out.depth = file[24];
  out.colourType = file[25];
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&image, file.data(), file.size()) == 0) return out;
  image.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> bytes(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr) == 0) return out;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  for (std::size_t i = 0; i + 2 < bytes.size(); i += 3) {
    out.rgb.push_back(std::uint32_t{bytes[i]} << 16 | std::uint32_t{bytes[i + 1]} << 8 | bytes[i + 2]);
  }
  return out;
}

// A picture of `width` x `height` whose pixel i has index `indexOf(i)` and the
// colour `colourOf(index)`.
template <typename IndexOf, typename ColourOf>
BankPicture picture(int width, int height, IndexOf indexOf, ColourOf colourOf) {
  BankPicture p;
  p.width = width;
  p.height = height;
  for (int i = 0; i < width * height; ++i) {
    const auto index = static_cast<std::uint8_t>(indexOf(i));
    p.index.push_back(index);
    p.rgb.push_back(colourOf(index));
  }
  return p;
}

std::uint32_t spread(std::uint8_t index) { return (index * 0x9E3779B1u) >> 8 & 0xFFFFFF; }

void expectSamePixels(const BankPicture& p, const Decoded& d, const std::string& what) {
  EXPECT_EQ(d.width, p.width) << what;
  EXPECT_EQ(d.height, p.height) << what;
  EXPECT_TRUE(d.rgb == p.rgb) << what << ": pixels differ";
}

TEST(PngEncoder, APaletteIsWrittenAtTheSmallestDepthThatHoldsItsHighestIndex) {
  // Widths that end a row inside a byte at every depth below 8.
  const struct {
    int colours;
    int depth;
  } cases[] = {{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 4}, {16, 4}, {17, 8}, {32, 8}, {64, 8}, {256, 8}};
  for (const auto& c : cases) {
    for (int width : {1, 7, 13, 33}) {
      // Every index up to the highest, as many rows as that takes and two more.
      const int height = (c.colours + width - 1) / width + 2;
      const BankPicture p = picture(width, height, [&](int i) { return i % c.colours; }, spread);
      const Decoded d = decode(encodePng(p));
      const std::string what = std::to_string(c.colours) + " colours, " + std::to_string(width) + " wide";
      EXPECT_EQ(d.colourType, PNG_COLOR_TYPE_PALETTE) << what;
      EXPECT_EQ(d.depth, c.depth) << what;
      expectSamePixels(p, d, what);
    }
  }
}

TEST(PngEncoder, UnusedIndicesBelowTheHighestKeepTheirPlaces) {
  // Indices 0 and 21 only: the palette runs to 22 entries, the gap filled.
  const BankPicture p = picture(10, 3, [](int i) { return i % 3 == 0 ? 21 : 0; }, spread);
  const Decoded d = decode(encodePng(p));
  EXPECT_EQ(d.colourType, PNG_COLOR_TYPE_PALETTE);
  EXPECT_EQ(d.depth, 8);
  expectSamePixels(p, d, "0 and 21");
}

TEST(PngEncoder, AnIndexShowingTwoColoursIsWrittenAsRgb) {
  // Hold-and-modify colours a pixel from its neighbour: one index, many colours.
  BankPicture ham = picture(16, 4, [](int i) { return i % 2 == 0 ? 0x10 : 0x20; }, spread);
  for (std::size_t i = 0; i < ham.rgb.size(); ++i) ham.rgb[i] = static_cast<std::uint32_t>(i * 0x030507);
  Decoded d = decode(encodePng(ham));
  EXPECT_EQ(d.colourType, PNG_COLOR_TYPE_RGB);
  expectSamePixels(ham, d, "hold and modify");

  // A picture of colours only (no indices) is RGB too.
  BankPicture colours = ham;
  colours.index.clear();
  d = decode(encodePng(colours));
  EXPECT_EQ(d.colourType, PNG_COLOR_TYPE_RGB);
  expectSamePixels(colours, d, "colours only");
}

TEST(PngEncoder, ARealPlanarPictureReadsBackThroughItsPalette) {
  // Five planes with half-bright colours: indices 32-63 are darker copies of
  // 0-31, so 64 palette entries.
  Palette palette{};
  for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = amigaColour(static_cast<std::uint32_t>(i * 0x137 + 0x0F0));
  const int bytesPerLine = 3, height = 6, depth = 6;
  std::vector<std::uint8_t> planes(static_cast<std::size_t>(bytesPerLine * height * depth));
  for (std::size_t i = 0; i < planes.size(); ++i) planes[i] = static_cast<std::uint8_t>(i * 37 + 11);
  const BankPicture p = planarPicture(planes, bytesPerLine, height, depth, palette, ExtraColours::HalfBrite);
  const Decoded d = decode(encodePng(p));
  EXPECT_EQ(d.colourType, PNG_COLOR_TYPE_PALETTE);
  EXPECT_EQ(d.depth, 8);
  expectSamePixels(p, d, "half-bright");
}

}  // namespace
}  // namespace zarvex
