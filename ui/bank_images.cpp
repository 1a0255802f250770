#include "bank_images.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace zarvex {

QImage toQImage(const BankPicture& picture, bool zeroTransparent) {
  QImage image(picture.width, picture.height, zeroTransparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  for (int y = 0; y < picture.height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width);
    for (int x = 0; x < picture.width; ++x) {
      const std::size_t at = row + static_cast<std::size_t>(x);
      const bool clear = zeroTransparent && picture.index[at] == 0;
      line[x] = clear ? qRgba(0, 0, 0, 0) : (0xFF000000u | picture.rgb[at]);
    }
  }
  return image;
}

namespace {

constexpr int kCellPadding = 4;      // around a cell's picture and number
constexpr int kMinColumnWidth = 24;  // room for a number under a narrow image
constexpr int kLabelGap = 2;         // between an image and its number
constexpr int kLabelHeight = 12;
constexpr int kRowGap = 8;  // between one row's numbers and the next row's cells
constexpr int kCheckerSquare = 4;
// Off the Amiga's scale: no channel is a multiple of 0x11.
constexpr QRgb kCheckerLight = 0xFF8E8498;
constexpr QRgb kCheckerDark = 0xFF6C6378;
constexpr QRgb kSheetBackground = 0xFF2B2B31;
constexpr QRgb kLabelColour = 0xFFE6E6E6;

void drawCheckerboard(QPainter& painter, const QRect& area) {
  painter.fillRect(area, QColor::fromRgb(kCheckerLight));
  for (int y = area.top(); y <= area.bottom(); y += kCheckerSquare) {
    for (int x = area.left() + ((y - area.top()) / kCheckerSquare % 2) * kCheckerSquare; x <= area.right();
         x += 2 * kCheckerSquare) {
      painter.fillRect(QRect(x, y, kCheckerSquare, kCheckerSquare).intersected(area), QColor::fromRgb(kCheckerDark));
    }
  }
}

}  // namespace

SheetLayout sheetLayout(const std::vector<QSize>& sizes, int roomWidth) {
  SheetLayout layout;
  const int count = static_cast<int>(sizes.size());
  if (count == 0) return layout;
  int columnWidth = kMinColumnWidth;
  for (const QSize& size : sizes) columnWidth = std::max(columnWidth, size.width());
  const int stepX = columnWidth + 2 * kCellPadding;
  layout.columns = roomWidth > 0 ? std::clamp(roomWidth / stepX, 1, count)
                                 : std::min(count, std::max(1, static_cast<int>(std::ceil(std::sqrt(count * 1.5)))));
  int rowTop = 0;
  for (int first = 0; first < count; first += layout.columns) {
    const int last = std::min(count, first + layout.columns);
    int rowHeight = 0;  // of the row's tallest image
    for (int i = first; i < last; ++i) rowHeight = std::max(rowHeight, sizes[static_cast<std::size_t>(i)].height());
    const int cellHeight = kCellPadding + rowHeight + kLabelGap + kLabelHeight + kCellPadding;
    for (int i = first; i < last; ++i) {
      const QSize size = sizes[static_cast<std::size_t>(i)];
      const QRect cell((i - first) * stepX, rowTop, stepX, cellHeight);
      const int foot = rowTop + kCellPadding + rowHeight;  // below the row's images
      const QRect picture(cell.left() + kCellPadding + (columnWidth - size.width()) / 2, foot - size.height(),
                          size.width(), size.height());
      layout.cells.push_back(cell);
      layout.pictures.push_back(picture);
      layout.labels.push_back(QRect(cell.left() + kCellPadding, foot + kLabelGap, columnWidth, kLabelHeight));
    }
    rowTop += cellHeight + kRowGap;
  }
  layout.size = QSize(layout.columns * stepX, rowTop - kRowGap);
  return layout;
}

SpriteSheet spriteSheet(const SpriteBank& bank, int selectedSlot, int roomWidth) {
  std::vector<std::pair<int, QImage>> images;
  for (const SpriteImage& image : bank.images) {
    if (!image.empty()) images.emplace_back(image.slot, toQImage(spritePicture(image, bank.palette), true));
  }
  return pictureSheet(images, selectedSlot, roomWidth);
}

SpriteSheet pictureSheet(const std::vector<std::pair<int, QImage>>& images, int selected, int roomWidth) {
  SpriteSheet sheet;
  std::vector<QSize> sizes;
  sizes.reserve(images.size());
  for (const auto& [number, image] : images) sizes.push_back(image.size());
  static_cast<SheetLayout&>(sheet) = sheetLayout(sizes, roomWidth);
  if (images.empty()) return sheet;
  sheet.image = QImage(sheet.size, QImage::Format_RGB32);
  sheet.image.fill(QColor::fromRgb(kSheetBackground));
  QPainter painter(&sheet.image);
  QFont font = painter.font();
  font.setPixelSize(10);
  painter.setFont(font);
  for (std::size_t i = 0; i < images.size(); ++i) {
    const auto& [number, image] = images[i];
    const QRect& picture = sheet.pictures[i];
    if (image.hasAlphaChannel()) drawCheckerboard(painter, picture);
    painter.drawImage(picture.topLeft(), image);
    painter.setPen(QColor::fromRgb(kLabelColour));
    painter.drawText(sheet.labels[i], Qt::AlignHCenter | Qt::AlignTop, QString::number(number));
    if (number == selected) {
      painter.setPen(QPen(QColor(0xFF, 0xD0, 0x00), 2));
      painter.drawRect(sheet.cells[i].adjusted(1, 1, -1, -1));
    }
    sheet.cellSlots.push_back(number);
  }
  return sheet;
}

QStringList hexDump(std::span<const std::uint8_t> bytes) {
  QStringList lines;
  lines.reserve(static_cast<qsizetype>(bytes.size() / 16 + 1));
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (std::size_t at = 0; at < bytes.size(); at += 16) {
    QString line = QStringLiteral("%1 ").arg(at, 6, 16, QLatin1Char('0')).toUpper();
    QString text;
    for (std::size_t i = at; i < at + 16; ++i) {
      if (i < bytes.size()) {
        line += QLatin1Char(' ');
        line += QLatin1Char(kHex[bytes[i] >> 4]);
        line += QLatin1Char(kHex[bytes[i] & 15]);
        const std::uint8_t c = bytes[i];
        text += (c >= 0x20 && c < 0x7F) || c >= 0xA0 ? QChar(c) : QLatin1Char('.');
      } else {
        line += QStringLiteral("   ");
      }
    }
    lines << line + QStringLiteral("  ") + text;
  }
  return lines;
}

}  // namespace zarvex
