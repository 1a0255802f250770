#include "message_boxes.h"

#include <QMessageBox>

namespace zarvex {

MessageAnswer QtMessageBoxes::show(QWidget* parent, const QString& caption, const QString& text,
                                   MessageButtons buttons, MessageIcon icon) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, caption, shown,
                  buttons == MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                  parent);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(buttons == MessageButtons::OkCancel ? QMessageBox::Cancel : QMessageBox::Ok);
  return box.exec() == QMessageBox::Cancel ? MessageAnswer::Cancel : MessageAnswer::Ok;
}

}  // namespace zarvex
