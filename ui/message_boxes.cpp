#include "message_boxes.h"

#include <QMessageBox>

namespace zarvex {

namespace {

QString shownText(const QString& text) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

}  // namespace

MessageAnswer QtMessageBoxes::show(QWidget* parent, const QString& caption, const QString& text,
                                   MessageButtons buttons, MessageIcon icon) {
  QMessageBox box(icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, caption, shownText(text),
                  buttons == MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                  parent);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(buttons == MessageButtons::OkCancel ? QMessageBox::Cancel : QMessageBox::Ok);
  return box.exec() == QMessageBox::Cancel ? MessageAnswer::Cancel : MessageAnswer::Ok;
}

QWidget* QtMessageBoxes::note(QWidget* parent, const QString& caption, const QString& text) {
  auto* box = new QMessageBox(QMessageBox::NoIcon, caption, shownText(text), QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setTextFormat(Qt::PlainText);
  box->setEscapeButton(QMessageBox::Ok);
  // open() makes it window-modal and returns without a loop of its own.
  box->open();
  return box;
}

}  // namespace zarvex
