#include "sprite_bank.h"

#include "big_endian.h"

namespace zarvex {

SpriteBank readSpriteBank(const Bank& bank) {
  SpriteBank result;
  if (bank.isMemoryBank() || bank.bytes.size() < 6 + 64) return result;
  const std::uint8_t* bytes = bank.bytes.data();
  const std::size_t paletteAt = bank.bytes.size() - 64;
  const std::uint32_t count = u16At(bytes + 4);
  std::size_t at = 6;
  for (std::uint32_t i = 0; i < count && at + 10 <= paletteAt; ++i) {
    SpriteImage image;
    image.slot = static_cast<int>(i + 1);
    image.width = static_cast<int>(u16At(bytes + at)) * 16;
    image.height = static_cast<int>(u16At(bytes + at + 2));
    image.depth = static_cast<int>(u16At(bytes + at + 4));
    image.hotSpotX = static_cast<int>(u16At(bytes + at + 6));
    image.hotSpotY = static_cast<int>(u16At(bytes + at + 8));
    const std::size_t size = static_cast<std::size_t>(image.width / 8) * static_cast<std::size_t>(image.height) *
                             static_cast<std::size_t>(image.depth);
    if (at + 10 + size > paletteAt) break;  // readBank measured the bank, so only a foreign bank gets here
    image.planes = bank.bytes.subspan(at + 10, size);
    result.images.push_back(image);
    at += 10 + size;
  }
  result.palette = readPalette(bytes + paletteAt);
  return result;
}

BankPicture spritePicture(const SpriteImage& image, const Palette& palette) {
  if (image.empty()) return {};
  return planarPicture(image.planes, image.width / 8, image.height, image.depth, palette);
}

}  // namespace zarvex

namespace zarvex {

void spriteBankOutputs(const std::string& stem, const Bank& bank, BankOutputSink& sink) {
  const SpriteBank sprites = readSpriteBank(bank);
  for (const SpriteImage& image : sprites.images) {
    if (image.empty()) continue;
    std::string name = numberedOutputName(stem, "image", image.slot, "png");
    if (!sink.wants(name)) continue;
    const BankPicture picture = spritePicture(image, sprites.palette);
    sink.take({std::move(name), {}, &picture});
  }
}

}  // namespace zarvex
