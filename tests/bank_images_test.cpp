// The sheet the bank viewer shows of sprite, icon and resource images: the
// checkerboard behind transparent pixels, each number under its own image,
// and as many columns as the room given holds.
#include "bank_images.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <set>

#include "bank_builder.h"
#include "bank_set.h"
#include "sprite_bank.h"

namespace zarvex {
namespace {

// An opaque image of one colour.
QImage filled(int width, int height, QRgb colour) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

// True when `colour` is one a 12-bit Amiga palette gives: each channel a
// multiple of 0x11.
bool onAmigaScale(QRgb colour) {
  return qRed(colour) % 0x11 == 0 && qGreen(colour) % 0x11 == 0 && qBlue(colour) % 0x11 == 0;
}

// The largest difference of one channel.
int distance(QRgb a, QRgb b) {
  return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

std::set<QRgb> coloursIn(const QImage& image, const QRect& area) {
  std::set<QRgb> colours;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) colours.insert(image.pixel(x, y) | 0xFF000000u);
  }
  return colours;
}

TEST(BankImages, WhiteAndBlackSpritePixelsStandOutOnBothCheckerSquares) {
  // A 16 x 8 sprite of two planes: colour 0 (transparent) on the left
  // half, white (1) and black (2) stripes on the right.
  std::vector<std::uint8_t> indices(16 * 8, 0);
  for (int y = 0; y < 8; ++y) {
    for (int x = 8; x < 16; ++x) indices[static_cast<std::size_t>(y * 16 + x)] = y % 2 == 0 ? 1 : 2;
  }
  std::array<std::uint16_t, 32> palette{};
  palette[1] = 0x0FFF;
  palette[2] = 0x0000;
  const testing::Bytes data = testing::spriteBank({{1, 8, 2, testing::planesOf(indices, 16, 8, 2)}}, palette);
  const BankSet banks = readBanks(data);
  ASSERT_EQ(banks.banks.size(), 1u);
  const SpriteSheet sheet = spriteSheet(readSpriteBank(banks.banks[0]), 1);
  ASSERT_EQ(sheet.pictures.size(), 1u);
  const QRect picture = sheet.pictures[0];
  ASSERT_EQ(picture.size(), QSize(16, 8));

  const std::set<QRgb> checker = coloursIn(sheet.image, picture.adjusted(0, 0, -8, 0));
  ASSERT_EQ(checker.size(), 2u) << "two squares, nothing else, behind colour 0";
  for (QRgb square : checker) {
    EXPECT_FALSE(onAmigaScale(square)) << std::hex << square << ": a sprite could have this colour";
    EXPECT_GE(distance(square, qRgb(0xFF, 0xFF, 0xFF)), 0x40) << std::hex << square << " is too near white";
    EXPECT_GE(distance(square, qRgb(0, 0, 0)), 0x40) << std::hex << square << " is too near black";
  }
  const std::set<QRgb> shown = coloursIn(sheet.image, picture.adjusted(8, 0, 0, 0));
  EXPECT_EQ(shown, (std::set<QRgb>{qRgb(0xFF, 0xFF, 0xFF), qRgb(0, 0, 0)})) << "the sprite's own pixels, unchanged";
}

TEST(BankImages, EachNumberSitsRightUnderItsOwnImageAndRowsStandApart) {
  // Heights that differ within rows, so that numbers cannot line up by chance.
  const std::vector<QSize> sizes = {{16, 8}, {32, 40}, {16, 24}, {48, 16}, {16, 32}, {16, 8}, {32, 12}};
  std::vector<std::pair<int, QImage>> images;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    images.emplace_back(static_cast<int>(i) + 1, filled(sizes[i].width(), sizes[i].height(), qRgb(0xCC, 0x22, 0x22)));
  }
  for (int room : {0, 60, 130, 200, 1000}) {
    SCOPED_TRACE(room);
    const SpriteSheet sheet = pictureSheet(images, 0, room);
    ASSERT_EQ(sheet.pictures.size(), sizes.size());
    ASSERT_EQ(sheet.labels.size(), sizes.size());
    ASSERT_EQ(sheet.cells.size(), sizes.size());
    EXPECT_EQ(sheet.cellSlots, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      const QRect& picture = sheet.pictures[i];
      const QRect& label = sheet.labels[i];
      EXPECT_EQ(picture.size(), sizes[i]);
      EXPECT_TRUE(sheet.image.copy(picture) == images[i].second) << "image " << i + 1 << " drawn where its rect says";
      EXPECT_TRUE(sheet.cells[i].contains(picture) && sheet.cells[i].contains(label)) << i + 1;
      const int own = label.top() - picture.bottom() - 1;  // the gap to its own image
      EXPECT_GE(own, 0) << i + 1;
      EXPECT_LE(own, 4) << i + 1;
      EXPECT_TRUE(label.left() <= picture.center().x() && picture.center().x() <= label.right()) << i + 1;
      // Ink of the number lies in its rectangle.
      EXPECT_GT(coloursIn(sheet.image, label).size(), 1u) << "number " << i + 1 << " is written";
      for (std::size_t j = 0; j < sizes.size(); ++j) {
        if (j == i) continue;
        EXPECT_FALSE(sheet.cells[i].intersects(sheet.cells[j])) << i + 1 << " and " << j + 1;
        // Any image below this number is further from it than its own is.
        if (sheet.pictures[j].top() > label.bottom()) {
          EXPECT_GE(sheet.pictures[j].top() - label.bottom() - 1, own + 8) << i + 1 << " and " << j + 1;
        }
      }
    }
  }
}

TEST(BankImages, ColumnsFillTheRoomGiven) {
  std::vector<QSize> sizes(10, QSize(16, 16));
  sizes[3] = QSize(32, 8);  // the widest sets the column width
  const SheetLayout one = sheetLayout(sizes, 1);
  ASSERT_EQ(one.columns, 1);
  const int step = one.size.width();  // one column's width
  EXPECT_GE(step, 32);
  struct Case {
    int room;
    int columns;
  };
  for (const Case& c : {Case{step - 1, 1}, Case{step, 1}, Case{2 * step - 1, 1}, Case{2 * step, 2},
                        Case{3 * step + 5, 3}, Case{9 * step, 9}, Case{10 * step, 10}, Case{40 * step, 10}}) {
    const SheetLayout layout = sheetLayout(sizes, c.room);
    EXPECT_EQ(layout.columns, c.columns) << "room " << c.room;
    EXPECT_EQ(layout.size.width(), c.columns * step) << "room " << c.room;
    int lowest = 0;
    for (const QRect& cell : layout.cells) lowest = std::max(lowest, cell.bottom() + 1);
    EXPECT_EQ(layout.size.height(), lowest) << "room " << c.room;
  }
  // Wider room, never a taller sheet.
  for (int room = step; room < 12 * step; room += 7) {
    EXPECT_LE(sheetLayout(sizes, room + step).size.height(), sheetLayout(sizes, room).size.height()) << room;
  }
  EXPECT_EQ(sheetLayout({}, 500).columns, 0);
  EXPECT_TRUE(pictureSheet({}, 0, 500).image.isNull());
}

}  // namespace
}  // namespace zarvex
