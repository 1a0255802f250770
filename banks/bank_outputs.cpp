#include "bank_outputs.h"

#include <cstdio>

#include "packed_picture.h"
#include "sample_bank.h"
#include "sprite_bank.h"

namespace zarvex {

std::string numberedOutputName(const std::string& stem, const char* kind, int number, const char* extension) {
  char text[48];
  std::snprintf(text, sizeof text, ".%s%03d.%s", kind, number, extension);
  return stem + text;
}

std::string bankListingLine(const Bank& bank) {
  std::string line = std::to_string(bank.number) + ' ' + bank.typeName + (bank.chip ? " chip " : " fast ") +
                     std::to_string(bank.bytes.size());
  if (bank.kind != BankKind::Memory) {
    line += ' ' + std::to_string(bank.itemCount) + " images";
  } else if (bank.typeName == "Samples" && bank.itemCount >= 0) {
    line += ' ' + std::to_string(bank.itemCount) + " samples";
  }
  return line;
}

std::string bankFileStem(const std::string& fileName, const Bank& bank) {
  char number[8];
  std::snprintf(number, sizeof number, "%02X", static_cast<unsigned>(bank.number));
  return fileName + ".bank" + number;
}

void forEachBankOutput(const std::string& fileName, const Bank& bank,
                       const std::function<void(const BankOutput&)>& write) {
  const std::string stem = bankFileStem(fileName, bank);
  write({stem + ".abk", {bank.bytes.begin(), bank.bytes.end()}, nullptr});
  if (bank.kind != BankKind::Memory) {
    const SpriteBank sprites = readSpriteBank(bank);
    for (const SpriteImage& image : sprites.images) {
      if (image.empty()) continue;
      const BankPicture picture = spritePicture(image, sprites.palette);
      write({numberedOutputName(stem, "image", image.slot, "png"), {}, &picture});
    }
  } else if (bank.typeName == "Pac.Pic.") {
    const PackedPicture packed = unpackPicture(bank);
    write({stem + ".picture.png", {}, &packed.picture});
  } else if (bank.typeName == "Samples") {
    for (const Sample& sample : readSamples(bank)) write({numberedOutputName(stem, "sample", sample.slot, "wav"), wavFile(sample), nullptr});
  }
}

}  // namespace zarvex
