#include "frm_view.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "bank_canvas.h"
#include "bank_images.h"
#include "bank_kinds.h"
#include "bank_outputs.h"
#include "picture_box.h"
#include "place_control.h"
#include "runtime_error.h"
#include "save_file.h"

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

  // The bank controls: hidden until a bank is shown.
  picCanvas = new BankCanvas(picPicture);
  picCanvas->setObjectName(QStringLiteral("picCanvas"));
  auto* pictureLayout = new QVBoxLayout(picPicture);
  pictureLayout->setContentsMargins(1, 1, 1, 1);
  pictureLayout->addWidget(picCanvas);
  picCanvas->hide();
  cboZoom = new QComboBox(this);
  cboZoom->setObjectName(QStringLiteral("cboZoom"));
  for (int zoom = 1; zoom <= 8; ++zoom) cboZoom->addItem(QStringLiteral("%1x").arg(zoom), zoom);
  cboZoom->setToolTip(QStringLiteral("Zoom"));
  cboZoom->hide();
  lstHex->setFont(QFont(QStringLiteral("Courier New")));  // the columns of dumps and samples line up
  cmdSave = new QPushButton(QStringLiteral("Save..."), this);
  cmdSave->setObjectName(QStringLiteral("cmdSave"));
  cmdSave->hide();

  QObject::connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
  QObject::connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
  QObject::connect(cboZoom, &QComboBox::currentIndexChanged, this,
                   [this](int index) { picCanvas->setZoom(cboZoom->itemData(index).toInt()); });
  QObject::connect(picCanvas, &BankCanvas::clicked, this, [this](QPoint pixel) {
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
      if (m_cells[i].contains(pixel)) selectItem(m_cellSlots[i]);
    }
  });
  QObject::connect(lstHex, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!m_samples.empty() && row >= 0) m_selected = row + 1;
  });
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
  if (!m_bank && m_bankBytes.empty()) return;
  // With a bank: the strip below the display holds its description, the
  // zoom, Save... and Close Window, the buttons at the right edge.
  const int top = this->height() - 30;
  cmdClose->setGeometry(this->width() - 105, top, 97, 25);
  cmdSave->setGeometry(cmdClose->x() - 105, top, 97, 25);
  cboZoom->setGeometry(cmdSave->x() - 72, top, 64, 25);
  Label1->setGeometry(8, top, std::max(0, cboZoom->x() - 16), 25);
}

void frmView::cmdClose_Click() { close(); }

void frmView::setServices(std::shared_ptr<CommonDialog> dialog, std::shared_ptr<MessageBoxes> messages) {
  m_dialog = std::move(dialog);
  m_messages = std::move(messages);
}

bool frmView::showBank(std::vector<std::uint8_t> bankBytes, const QString& fileName) {
  m_bankBytes = std::move(bankBytes);
  m_fileName = fileName;
  m_sprites = {};
  m_picture.reset();
  m_samples.clear();
  m_selected = 0;
  // Only the display control of the view chosen below is to be seen.
  for (QWidget* control : {static_cast<QWidget*>(txtText), static_cast<QWidget*>(lstHex),
                           static_cast<QWidget*>(picPicture)}) {
    control->hide();
  }
  cmdSave->show();
  cboZoom->show();
  Label1->show();
  Label1->raise();
  cmdSave->setEnabled(false);
  cboZoom->setEnabled(false);
  resize(kBankWidth, kBankHeight);
  bool whole = true;
  try {
    m_bank = readBank(m_bankBytes, 0);
    setWindowTitle(QStringLiteral("View Bank - ") + QString::fromStdString(bankDescription(*m_bank)));
    if (!m_bank->isMemoryBank()) {
      showSprites();
    } else if (m_bank->kind == BankKind::PackedPicture) {
      m_picture = unpackPicture(*m_bank);
      setViewType(4);
      picCanvas->setImage(toQImage(m_picture->picture));
      picCanvas->show();
      cboZoom->setEnabled(true);
      cmdSave->setEnabled(true);
    } else if (m_bank->kind == BankKind::Samples) {
      showSamples();
    } else {
      setViewType(0);
      lstHex->addItems(hexDump(m_bank->bytes));
    }
    QString description = QString::fromStdString(bankDescription(*m_bank, m_picture ? &*m_picture : nullptr));
    const auto empty = std::count_if(m_sprites.images.begin(), m_sprites.images.end(),
                                     [](const SpriteImage& image) { return image.empty(); });
    if (empty > 0) description += QStringLiteral(" (%1 empty, not shown)").arg(empty);
    Label1->setText(description);
    if (m_viewType == 4) fitZoom();
  } catch (const BankDamage& damage) {
    whole = false;
    Label1->setText(QStringLiteral("Damaged bank at offset %1: %2")
                        .arg(damage.offset)
                        .arg(QString::fromStdString(damage.what)));
    if (m_viewType != 0 && m_viewType != 4) {
      setViewType(0);
      lstHex->addItems(hexDump(m_bankBytes));
    }
  }
  // The view chosen is for use: scrolled, chosen from, zoomed.
  lstHex->setEnabled(m_viewType == 0);
  picPicture->setEnabled(m_viewType == 4);
  Form_Resize();
  return whole;
}

// Starts at the largest zoom that shows the whole picture, up to 4x.
void frmView::fitZoom() {
  const QSize image = picCanvas->image().size();
  const QSize room = QSize(width() - 8, height() - 40) - QSize(24, 24);  // the frame and scroll bars
  int zoom = 1;
  while (zoom < 4 && image.width() * (zoom + 1) <= room.width() && image.height() * (zoom + 1) <= room.height()) ++zoom;
  cboZoom->setCurrentIndex(zoom - 1);
  picCanvas->setZoom(zoom);
}

void frmView::showSprites() {
  m_sprites = readSpriteBank(*m_bank);
  for (const SpriteImage& image : m_sprites.images) {
    if (!image.empty()) {
      m_selected = image.slot;
      break;
    }
  }
  setViewType(4);
  picCanvas->show();
  redrawSprites();
  cboZoom->setEnabled(true);
  cmdSave->setEnabled(m_selected != 0);
}

void frmView::redrawSprites() {
  SpriteSheet sheet = spriteSheet(m_sprites, m_selected);
  m_cells = std::move(sheet.cells);
  m_cellSlots = std::move(sheet.cellSlots);
  picCanvas->setImage(sheet.image);
}

void frmView::showSamples() {
  m_samples = readSamples(*m_bank);
  setViewType(0);
  for (const Sample& sample : m_samples) {
    lstHex->addItem(QStringLiteral("%1  %2  %3 Hz  %4 bytes  %5 s")
                        .arg(sample.slot, 3)
                        .arg(QString::fromLatin1(sample.name.c_str()), -8)
                        .arg(sample.rate, 5)
                        .arg(sample.sound.size(), 7)
                        .arg(sample.seconds(), 0, 'f', 3));
  }
  if (!m_samples.empty()) {
    lstHex->setCurrentRow(0);
    m_selected = 1;
  }
  cmdSave->setEnabled(!m_samples.empty());
}

int frmView::selectedItem() const { return m_selected; }

void frmView::selectItem(int number) {
  if (!m_samples.empty()) {
    if (number >= 1 && number <= static_cast<int>(m_samples.size())) lstHex->setCurrentRow(number - 1);
    return;
  }
  for (const SpriteImage& image : m_sprites.images) {
    if (image.slot == number && !image.empty()) {
      m_selected = number;
      redrawSprites();
      cmdSave->setEnabled(true);
    }
  }
}

void frmView::cmdSave_Click() {
  if (!m_bank) return;
  CommonDialog& dialog = m_dialog ? *m_dialog : CommonDialog1;
  const std::string stem = bankFileStem(m_fileName.toStdString(), *m_bank);
  QString suggested;
  QImage image;
  QByteArray bytes;
  if (m_picture) {
    suggested = QString::fromStdString(stem + ".picture.png");
    image = toQImage(m_picture->picture);
  } else if (!m_samples.empty() && m_selected >= 1) {
    const Sample& sample = m_samples[static_cast<std::size_t>(m_selected - 1)];
    suggested = QString::fromStdString(numberedOutputName(stem, "sample", sample.slot, "wav"));
    const auto wav = wavFile(sample);
    bytes = QByteArray(reinterpret_cast<const char*>(wav.data()), static_cast<qsizetype>(wav.size()));
  } else if (m_selected >= 1) {
    for (const SpriteImage& sprite : m_sprites.images) {
      if (sprite.slot == m_selected) image = toQImage(spritePicture(sprite, m_sprites.palette));
    }
    suggested = QString::fromStdString(numberedOutputName(stem, "image", m_selected, "png"));
  } else {
    return;
  }
  dialog.setFilter(image.isNull() ? QStringLiteral("WAV Sound (*.wav) | *.wav") : QStringLiteral("PNG Picture (*.png) | *.png"));
  QString path;
  try {
    path = dialog.showSave(this, suggested);
  } catch (const RuntimeError&) {
    return;  // cancelled
  }
  const QString failure = image.isNull() ? saveBytes(path, bytes) : savePng(path, image);
  if (!failure.isEmpty()) reportSaveFailure(failure);
}

void frmView::reportSaveFailure(const QString& text) {
  if (m_messages) {
    m_messages->show(this, QStringLiteral("Zarvex"), text, MessageButtons::Ok, MessageIcon::Exclamation);
  } else {
    QtMessageBoxes().show(this, QStringLiteral("Zarvex"), text, MessageButtons::Ok, MessageIcon::Exclamation);
  }
}

void frmView::resizeEvent(QResizeEvent*) { Form_Resize(); }

}  // namespace zarvex
