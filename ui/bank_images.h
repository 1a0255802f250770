// What the windows show of banks: Qt images of the bank reader's pictures, a
// sheet of every image of a sprite bank, and the texts that describe banks.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <span>
#include <vector>

#include "bank_set.h"
#include "packed_picture.h"
#include "sprite_bank.h"

namespace zarvex {

// The picture as a Qt image: opaque RGB, or with colour 0 transparent.
QImage toQImage(const BankPicture& picture, bool zeroTransparent = false);

struct SpriteSheet {
  QImage image;
  std::vector<QRect> cells;  // each non-empty image's cell, in slot order
  std::vector<int> cellSlots;  // the slot shown in each cell
};

// Every non-empty image of `bank` in a grid, each over a checkerboard (colour
// 0 transparent) with its slot number beneath; `selectedSlot` is framed.
SpriteSheet spriteSheet(const SpriteBank& bank, int selectedSlot);

// Numbered images in the same grid; an image with an alpha channel is drawn
// over a checkerboard, an opaque one as it is.
SpriteSheet pictureSheet(const std::vector<std::pair<int, QImage>>& images, int selected);

// A hex dump: a line of offset, 16 bytes and their ISO-8859-1 text for each 16 bytes.
QStringList hexDump(std::span<const std::uint8_t> bytes);

}  // namespace zarvex
