// Modal message boxes, behind a small interface so that tests can answer them.
#pragma once

#include <QString>

#include "listing_host.h"

class QWidget;

namespace zarvex {

enum class MessageIcon { None, Exclamation };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows `text` modally over `parent` with `caption`; "\r\n" breaks a line.
  // Returns the button pressed.
  virtual MessageAnswer show(QWidget* parent, const QString& caption, const QString& text,
                             MessageButtons buttons, MessageIcon icon) = 0;
};

// QMessageBox, one per call.
class QtMessageBoxes : public MessageBoxes {
 public:
  MessageAnswer show(QWidget* parent, const QString& caption, const QString& text, MessageButtons buttons,
                     MessageIcon icon) override;
};

}  // namespace zarvex
