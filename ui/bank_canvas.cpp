#include "bank_canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <algorithm>

namespace zarvex {

class BankCanvas::Surface : public QWidget {
 public:
  explicit Surface(BankCanvas* canvas) : QWidget(canvas), m_canvas(canvas) {}

  QImage image;

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const int zoom = m_canvas->zoom();
    // Only the exposed part, enlarged pixel by pixel.
    const QRect exposed = event->rect();
    const QRect source(exposed.left() / zoom, exposed.top() / zoom, exposed.width() / zoom + 2, exposed.height() / zoom + 2);
    const QRect clipped = source.intersected(image.rect());
    if (clipped.isEmpty()) return;
    painter.drawImage(QRect(clipped.topLeft() * zoom, clipped.size() * zoom), image, clipped);
  }

  void mousePressEvent(QMouseEvent* event) override {
    const QPoint pixel = event->position().toPoint() / m_canvas->zoom();
    if (image.rect().contains(pixel)) emit m_canvas->clicked(pixel);
  }

 private:
  BankCanvas* m_canvas;
};

BankCanvas::BankCanvas(QWidget* parent) : QScrollArea(parent), m_surface(new Surface(this)) {
  setWidget(m_surface);
  setWidgetResizable(false);
  setBackgroundRole(QPalette::Dark);
}

void BankCanvas::setImage(const QImage& image) {
  m_surface->image = image;
  m_surface->resize(image.size() * m_zoom);
  m_surface->update();
}

const QImage& BankCanvas::image() const { return m_surface->image; }

void BankCanvas::setZoom(int zoom) {
  m_zoom = std::clamp(zoom, 1, 8);
  m_surface->resize(m_surface->image.size() * m_zoom);
  m_surface->update();
}

}  // namespace zarvex
