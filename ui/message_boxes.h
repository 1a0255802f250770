// Message boxes, behind a small interface so that tests can answer them: modal
// ones that wait for an answer, and notes that do not.
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
  // Shows `text` over `parent` with `caption`, no icon and an OK button,
  // without waiting: returns at once, while `parent`'s window goes on
  // drawing (it takes no input until the box is closed). The box belongs to
  // `parent` and deletes itself when closed; returns it, or null when no box
  // was put on the screen.
  virtual QWidget* note(QWidget* parent, const QString& caption, const QString& text) = 0;
};

// QMessageBox, one per call.
class QtMessageBoxes : public MessageBoxes {
 public:
  MessageAnswer show(QWidget* parent, const QString& caption, const QString& text, MessageButtons buttons,
                     MessageIcon icon) override;
  QWidget* note(QWidget* parent, const QString& caption, const QString& text) override;
};

}  // namespace zarvex
