// A picture box: a control with a drawing surface that can be kept and
// redrawn (auto-redraw) or cleared.
#pragma once

#include <QImage>
#include <QWidget>

namespace zarvex {

class PictureBox : public QWidget {
 public:
  explicit PictureBox(QWidget* parent = nullptr);

  bool autoRedraw() const { return m_autoRedraw; }
  void setAutoRedraw(bool on) { m_autoRedraw = on; }

  // The drawing surface, as large as the control; painters draw into it.
  QImage& surface() { return m_surface; }
  // Fills the surface with the background colour.
  void clear();
  // True when nothing has been drawn since the last clear.
  bool isClear() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  bool m_autoRedraw = false;
  QImage m_surface;
};

}  // namespace zarvex
