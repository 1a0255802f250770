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

constexpr int kCellPadding = 4;
constexpr int kLabelHeight = 12;
constexpr int kCheckerSquare = 4;

void drawCheckerboard(QPainter& painter, const QRect& area) {
  painter.fillRect(area, QColor(0xCC, 0xCC, 0xCC));
  for (int y = area.top(); y <= area.bottom(); y += kCheckerSquare) {
    for (int x = area.left() + ((y - area.top()) / kCheckerSquare % 2) * kCheckerSquare; x <= area.right();
         x += 2 * kCheckerSquare) {
      painter.fillRect(QRect(x, y, kCheckerSquare, kCheckerSquare).intersected(area), QColor(0xFF, 0xFF, 0xFF));
    }
  }
}

}  // namespace

SpriteSheet spriteSheet(const SpriteBank& bank, int selectedSlot) {
  std::vector<std::pair<int, QImage>> images;
  for (const SpriteImage& image : bank.images) {
    if (!image.empty()) images.emplace_back(image.slot, toQImage(spritePicture(image, bank.palette), true));
  }
  return pictureSheet(images, selectedSlot);
}

SpriteSheet pictureSheet(const std::vector<std::pair<int, QImage>>& images, int selected) {
  SpriteSheet sheet;
  int cellWidth = 24, cellHeight = 8;
  for (const auto& [number, image] : images) {
    cellWidth = std::max(cellWidth, image.width());
    cellHeight = std::max(cellHeight, image.height());
  }
  const int shown = static_cast<int>(images.size());
  if (shown == 0) return sheet;
  const int columns = std::min(shown, std::max(1, static_cast<int>(std::ceil(std::sqrt(shown * 1.5)))));
  const int rows = (shown + columns - 1) / columns;
  const int stepX = cellWidth + 2 * kCellPadding;
  const int stepY = cellHeight + 2 * kCellPadding + kLabelHeight;
  sheet.image = QImage(columns * stepX, rows * stepY, QImage::Format_RGB32);
  sheet.image.fill(QColor(0x80, 0x80, 0x80));
  QPainter painter(&sheet.image);
  QFont font = painter.font();
  font.setPixelSize(10);
  painter.setFont(font);
  int cell = 0;
  for (const auto& [number, image] : images) {
    const QPoint origin((cell % columns) * stepX + kCellPadding, (cell / columns) * stepY + kCellPadding);
    if (image.hasAlphaChannel()) drawCheckerboard(painter, QRect(origin, image.size()));
    painter.drawImage(origin, image);
    const QRect whole(origin - QPoint(kCellPadding, kCellPadding), QSize(stepX, stepY));
    painter.setPen(Qt::white);
    painter.drawText(QRect(origin.x(), origin.y() + cellHeight, cellWidth, kLabelHeight + kCellPadding),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::number(number));
    if (number == selected) {
      painter.setPen(QPen(QColor(0xFF, 0xD0, 0x00), 2));
      painter.drawRect(whole.adjusted(1, 1, -1, -1));
    }
    sheet.cells.push_back(whole);
    sheet.cellSlots.push_back(number);
    ++cell;
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
