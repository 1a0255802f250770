#include "picture_box.h"

#include <QPainter>

namespace zarvex {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  m_surface = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
  clear();
}

void PictureBox::clear() {
  m_surface.fill(palette().color(QPalette::Window));
  update();
}

bool PictureBox::isClear() const {
  const QRgb background = palette().color(QPalette::Window).rgba();
  for (int y = 0; y < m_surface.height(); ++y) {
    for (int x = 0; x < m_surface.width(); ++x) {
      if (m_surface.pixel(x, y) != background) return false;
    }
  }
  return true;
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, m_surface);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PictureBox::resizeEvent(QResizeEvent*) {
  const QSize size = this->size().expandedTo(QSize(1, 1));
  if (size == m_surface.size()) return;
  QImage grown(size, QImage::Format_ARGB32_Premultiplied);
  grown.fill(palette().color(QPalette::Window));
  QPainter(&grown).drawImage(0, 0, m_surface);
  m_surface = grown;
}

}  // namespace zarvex
