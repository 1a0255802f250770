#include "frm_view.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>

#include "picture_box.h"
#include "place_control.h"

namespace zarvex {

frmView::frmView(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName(QStringLiteral("frmView"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("View Bank"));

  lstHex = placeControl(new QListWidget(this), "lstHex", QRect(8, 32, 121, 225));
  Label1 = placeControl(new QLabel(QStringLiteral("Label1"), this), "Label1", QRect(8, 8, 105, 17));
  cmdClose = placeControl(new QPushButton(QStringLiteral("Close Window"), this), "cmdClose", QRect(296, 264, 97, 25));
  picPicture = placeControl(new PictureBox(this), "picPicture", QRect(272, 32, 121, 225));
  txtText = placeControl(new QLineEdit(QStringLiteral("txtText"), this), "txtText", QRect(136, 32, 129, 225));
  setTabOrder(lstHex, Label1);
  setTabOrder(Label1, cmdClose);
  setTabOrder(cmdClose, picPicture);
  setTabOrder(picPicture, txtText);
  picPicture->setFocusPolicy(Qt::TabFocus);

  QObject::connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
  resize(kClientWidth, kClientHeight);
  Form_Load();
}

void frmView::Form_Load() { setViewType(3); }

void frmView::setViewType(std::int32_t requested) {
  if (requested == m_viewType) return;
  switch (m_viewType) {
    case 0:
      requested = 3;
      lstHex->hide();
      lstHex->setEnabled(false);
      lstHex->clear();
      break;
    case 1:
    case 6:
      txtText->hide();
      txtText->setEnabled(false);
      txtText->clear();
      break;
    case 4:
      picPicture->hide();
      picPicture->setEnabled(false);
      picPicture->setAutoRedraw(false);
      picPicture->clear();
      break;
    default:
      break;
  }
  m_viewType = requested;
  switch (m_viewType) {
    case 0:
      lstHex->show();
      break;
    case 1:
    case 6:
      txtText->show();
      break;
    case 4:
      picPicture->show();
      break;
    default:
      break;
  }
}

// The three display controls share one rectangle: 8 from the left and top
// edges, reaching the right edge, ending 32 above the bottom. Below 8 x 40
// the sizes stay at 0.
void frmView::Form_Resize() {
  const int width = std::max(0, this->width() - 8);
  const int height = std::max(0, this->height() - 40);
  for (QWidget* control : {static_cast<QWidget*>(txtText), static_cast<QWidget*>(lstHex),
                           static_cast<QWidget*>(picPicture)}) {
    control->setGeometry(8, 8, width, height);
  }
}

void frmView::cmdClose_Click() { close(); }

void frmView::resizeEvent(QResizeEvent*) { Form_Resize(); }

}  // namespace zarvex
