// A picture shown at a whole-number zoom with sharp pixels, inside a scroll
// area; a click reports the picture's pixel under the mouse.
#pragma once

#include <QImage>
#include <QScrollArea>

namespace zarvex {

class BankCanvas : public QScrollArea {
  Q_OBJECT

 public:
  explicit BankCanvas(QWidget* parent = nullptr);

  void setImage(const QImage& image);
  const QImage& image() const;

  int zoom() const { return m_zoom; }
  // 1 to 8; other values are brought into that range.
  void setZoom(int zoom);

 signals:
  void clicked(QPoint picturePixel);

 private:
  class Surface;
  Surface* m_surface;
  int m_zoom = 1;
};

}  // namespace zarvex
