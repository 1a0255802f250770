// What the windows show of banks: Qt images of the bank reader's pictures, a
// sheet of every image of a sprite bank, and the texts that describe banks.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
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

// Where the images of a sheet go: a grid of columns of one width, as many
// as fit the room given. Each image stands at the foot of its row's band,
// centred in its column, with its number right beneath it; rows are set
// apart by more than that, so that a number is plainly its own image's.
struct SheetLayout {
  QSize size;  // of the whole sheet
  int columns = 0;
  std::vector<QRect> cells;     // each image's cell (picture, number and padding), in the order given
  std::vector<QRect> pictures;  // where each image is drawn
  std::vector<QRect> labels;    // where each number is written
};

// The layout of images of `sizes`: as many columns as `roomWidth` sheet
// pixels hold, at least one and no more than there are images; with a
// `roomWidth` of 0 or less, a grid about half again as wide as it is high.
// No sizes give an empty layout.
SheetLayout sheetLayout(const std::vector<QSize>& sizes, int roomWidth = 0);

struct SpriteSheet : SheetLayout {
  QImage image;                // null when there are no images
  std::vector<int> cellSlots;  // the slot or number shown in each cell
};

// Every non-empty image of `bank` in a grid laid out by sheetLayout, each
// over a checkerboard (colour 0 transparent) with its slot number beneath;
// `selectedSlot` is framed.
SpriteSheet spriteSheet(const SpriteBank& bank, int selectedSlot, int roomWidth = 0);

// Numbered images in the same grid; an image with an alpha channel is drawn
// over a checkerboard, an opaque one as it is. The checkerboard's two
// colours are mid greys tinged with violet and off the 12-bit scale of Amiga
// palettes (each channel a multiple of 0x11), so that no colour of a sprite
// is ever one of them, and white and black stand out on both.
SpriteSheet pictureSheet(const std::vector<std::pair<int, QImage>>& images, int selected, int roomWidth = 0);

// A hex dump: a line of offset, 16 bytes and their ISO-8859-1 text for each 16 bytes.
QStringList hexDump(std::span<const std::uint8_t> bytes);

}  // namespace zarvex
