#include "bank_builder.h"

namespace zarvex::testing {

Bytes memoryBank(std::uint16_t number, std::uint16_t memory, const char (&name)[9], const Bytes& data,
                 std::uint32_t flags) {
  Bytes b{'A', 'm', 'B', 'k'};
  put16(b, number);
  put16(b, memory);
  put32(b, flags | static_cast<std::uint32_t>(8 + data.size()));
  b.insert(b.end(), name, name + 8);
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

Bytes spriteBank(const std::vector<SpriteImageBytes>& images, const std::array<std::uint16_t, 32>& palette) {
  Bytes b{'A', 'm', 'S', 'p'};
  put16(b, static_cast<std::uint32_t>(images.size()));
  for (const SpriteImageBytes& image : images) {
    for (std::uint16_t v : {image.words, image.height, image.depth, image.hotSpotX, image.hotSpotY}) put16(b, v);
    b.insert(b.end(), image.planes.begin(), image.planes.end());
  }
  for (std::uint16_t colour : palette) put16(b, colour);
  return b;
}

Bytes planesOf(const std::vector<std::uint8_t>& indices, int width, int height, int depth) {
  const int bytesPerLine = width / 8;
  Bytes planes(static_cast<std::size_t>(bytesPerLine * height * depth), 0);
  for (int p = 0; p < depth; ++p) {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if ((indices[static_cast<std::size_t>(y * width + x)] >> p) & 1) {
          planes[static_cast<std::size_t>((p * height + y) * bytesPerLine + x / 8)] |=
              static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
      }
    }
  }
  return planes;
}

Bytes amosFileWithBanks(const std::vector<TokenLine>& lines, const std::vector<Bytes>& banks,
                        const std::string& signature) {
  Bytes file = amosFile(lines, signature);
  file.resize(file.size() - 2);  // the empty set's count
  put16(file, static_cast<std::uint32_t>(banks.size()));
  for (const Bytes& bank : banks) file.insert(file.end(), bank.begin(), bank.end());
  return file;
}

}  // namespace zarvex::testing
