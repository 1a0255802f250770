// Names a window's control and puts it at its design position, in pixels of
// the window's client area.
#pragma once

#include <QRect>
#include <QWidget>

namespace zarvex {

template <typename Control>
Control* placeControl(Control* control, const char* name, const QRect& geometry) {
  control->setObjectName(QLatin1String(name));
  control->setGeometry(geometry);
  return control;
}

}  // namespace zarvex
