// The images of a sprite or icon bank ("AmSp", "AmIc"): n images, each a
// 10-byte header (width in 16-pixel words, height, depth in bit-planes, hot
// spot x and y) and its planes, then a palette of 32 colours. An image of
// width, height or depth 0 is an empty slot; images are numbered by slot
// from 1. Colour 0 is transparent.
#pragma once

#include <vector>

#include "bank_picture.h"
#include <string>

#include "bank_outputs.h"
#include "bank_set.h"

namespace zarvex {

struct SpriteImage {
  int slot = 0;    // from 1
  int width = 0;   // in pixels: 16 times the width in words
  int height = 0;
  int depth = 0;
  int hotSpotX = 0;
  int hotSpotY = 0;
  std::span<const std::uint8_t> planes;  // depth planes of height lines of width / 8 bytes

  bool empty() const { return width == 0 || height == 0 || depth == 0; }
};

struct SpriteBank {
  std::vector<SpriteImage> images;
  Palette palette{};
};

// The images of `bank`, a bank readBanks gave as Sprites or Icons (its
// lengths are checked already); an empty result for any other bank.
SpriteBank readSpriteBank(const Bank& bank);

// The picture of a non-empty image, colours by the bank's palette.
BankPicture spritePicture(const SpriteImage& image, const Palette& palette);

// The outputs after the bank's own bytes, named from `stem` ("NAME.bankNN").
void spriteBankOutputs(const std::string& stem, const Bank& bank, BankOutputSink& sink);

}  // namespace zarvex
