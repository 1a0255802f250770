#include "frm_view.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "amal_bank.h"
#include "audio_player.h"
#include "bank_canvas.h"
#include "bank_output_files.h"
#include "bank_text.h"
#include "menu_bank.h"
#include "music_bank.h"
#include "music_render.h"
#include "tracker_bank.h"
#include "wav_file.h"
#include "bank_images.h"
#include "bank_kinds.h"
#include "bank_outputs.h"
#include "picture_box.h"
#include "place_control.h"
#include "runtime_error.h"
#include "save_file.h"

namespace zarvex {

namespace {

QString filterFor(const QString& name) {
  const QString extension = name.section(QLatin1Char('.'), -1).toLower();
  if (extension == QLatin1String("png")) return QStringLiteral("PNG Picture (*.png) | *.png");
  if (extension == QLatin1String("wav")) return QStringLiteral("WAV Sound (*.wav) | *.wav");
  if (extension == QLatin1String("mod")) return QStringLiteral("ProTracker Module (*.mod) | *.mod");
  return QStringLiteral("Text (*.txt) | *.txt");
}

QByteArray byteArrayOf(const std::vector<std::uint8_t>& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

}  // namespace

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

  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  txtBankText = new QPlainTextEdit(this);
  txtBankText->setObjectName(QStringLiteral("txtBankText"));
  txtBankText->setReadOnly(true);
  txtBankText->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtBankText->setFont(fixed);
  txtBankText->hide();
  tvwMenu = new QTreeWidget(this);
  tvwMenu->setObjectName(QStringLiteral("tvwMenu"));
  tvwMenu->setHeaderLabels({QStringLiteral("Menu$"), QStringLiteral("Objects"), QStringLiteral("Attributes")});
  tvwMenu->hide();
  cboPart = new QComboBox(this);
  cboPart->setObjectName(QStringLiteral("cboPart"));
  cboPart->setToolTip(QStringLiteral("The part of the bank shown"));
  cboPart->hide();
  cmdPlay = new QPushButton(QStringLiteral("Play"), this);
  cmdPlay->setObjectName(QStringLiteral("cmdPlay"));
  cmdPlay->hide();
  cmdStop = new QPushButton(QStringLiteral("Stop"), this);
  cmdStop->setObjectName(QStringLiteral("cmdStop"));
  cmdStop->hide();
  lblPosition = new QLabel(this);
  lblPosition->setObjectName(QStringLiteral("lblPosition"));
  lblPosition->hide();
  m_player = new AudioPlayer(this);
  QObject::connect(m_player, &AudioPlayer::changed, this, [this] { updateSound(); });
  QObject::connect(m_player, &AudioPlayer::rendered, this, [this](const QByteArray& pcm, const QString& error) {
    if (!m_savePath.isEmpty()) {
      const QString path = std::exchange(m_savePath, QString());
      const QString failure =
          !error.isEmpty()
              ? QStringLiteral("%1 was not written: %2").arg(path, error)
              : saveBytes(path, byteArrayOf(stereoWavFile({reinterpret_cast<const std::uint8_t*>(pcm.constData()),
                                                            static_cast<std::size_t>(pcm.size())})));
      m_soundNote.clear();
      updateSound();
      if (failure.isEmpty()) lblPosition->setText(QStringLiteral("Saved"));
      if (!failure.isEmpty()) reportSaveFailure(failure);
      emit saved(path, failure);
      return;
    }
    if (!error.isEmpty()) {
      m_soundNote = error;
    } else if (!m_player->playMusic(pcm)) {
      m_soundNote = m_player->error();
    }
    updateSound();
  });
  QObject::connect(cmdPlay, &QPushButton::clicked, this, [this] { cmdPlay_Click(); });
  QObject::connect(cmdStop, &QPushButton::clicked, this, [this] { cmdStop_Click(); });
  QObject::connect(cboPart, &QComboBox::currentIndexChanged, this,
                   [this](int index) { showResourcePart(cboPart->itemData(index).toInt()); });

  QObject::connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
  QObject::connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
  QObject::connect(cboZoom, &QComboBox::currentIndexChanged, this,
                   [this](int index) { setZoom(cboZoom->itemData(index).toInt()); });
  QObject::connect(picCanvas, &BankCanvas::clicked, this, [this](QPoint pixel) {
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
      if (m_cells[i].contains(pixel)) selectItem(m_cellSlots[i]);
    }
  });
  QObject::connect(lstHex, &QListWidget::currentRowChanged, this, [this](int row) {
    if (m_samples.empty() || row < 0) return;
    m_selected = row + 1;
    m_soundNote.clear();
    updateSound();
  });
  // Escape and Ctrl+W close the viewer, as they close other secondary windows.
  for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close)}) {
    auto* shortcut = new QShortcut(keys, this);
    QObject::connect(shortcut, &QShortcut::activated, this, [this] { close(); });
  }
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
                           static_cast<QWidget*>(picPicture), static_cast<QWidget*>(txtBankText),
                           static_cast<QWidget*>(tvwMenu)}) {
    control->setGeometry(8, 8, width, height);
  }
  if (!m_bank && m_bankBytes.empty()) return;
  // With a bank: the strip below the display holds its description, the
  // zoom, Save... and Close Window, the buttons at the right edge.
  const int top = this->height() - 30;
  cmdClose->setGeometry(this->width() - 105, top, 97, 25);
  cmdSave->setGeometry(cmdClose->x() - 105, top, 97, 25);
  // From the right: Close, Save..., then whichever of the zoom, the part,
  // Play, Stop and the position the bank uses; Label1 takes what is left.
  int right = cmdSave->x();
  const auto place = [&](QWidget* control, int controlWidth) {
    if (control->isHidden()) return;
    right -= controlWidth + 8;
    control->setGeometry(right, top, controlWidth, 25);
  };
  place(cboZoom, 64);
  place(cboPart, 100);
  place(lblPosition, 90);
  place(cmdStop, 60);
  place(cmdPlay, 60);
  Label1->setGeometry(8, top, std::max(0, right - 16), 25);
  // A sheet fills the width it is given.
  reflowSheet();
}

void frmView::cmdClose_Click() { close(); }

void frmView::setServices(std::shared_ptr<CommonDialog> dialog, std::shared_ptr<MessageBoxes> messages) {
  m_dialog = std::move(dialog);
  m_messages = std::move(messages);
}

bool frmView::showBank(std::vector<std::uint8_t> bankBytes, const QString& fileName) {
  m_player->stop();
  m_bankBytes = std::move(bankBytes);
  m_fileName = fileName;
  m_sprites = {};
  m_picture.reset();
  m_samples.clear();
  m_sheetImages.clear();
  m_sheetSizes.clear();
  m_cells.clear();
  m_cellSlots.clear();
  m_module.clear();
  m_soundNote.clear();
  m_selected = 0;
  // Only the display control of the view chosen below is to be seen.
  for (QWidget* control : {static_cast<QWidget*>(txtText), static_cast<QWidget*>(lstHex),
                           static_cast<QWidget*>(picPicture), static_cast<QWidget*>(txtBankText),
                           static_cast<QWidget*>(tvwMenu), static_cast<QWidget*>(cboPart),
                           static_cast<QWidget*>(cmdPlay), static_cast<QWidget*>(cmdStop),
                           static_cast<QWidget*>(lblPosition)}) {
    control->hide();
  }
  cmdSave->show();
  cboZoom->show();
  Label1->show();
  Label1->raise();
  cmdSave->setEnabled(false);
  cboZoom->setEnabled(false);
  resize(kBankWidth, kBankHeight);
  setMinimumSize(kBankWidth * 3 / 4, kBankHeight / 2);  // the strip's controls keep their room
  bool whole = true;
  try {
    m_bank = readBank(m_bankBytes, 0);
    setWindowTitle(QStringLiteral("View Bank - ") + QString::fromStdString(bankDescription(*m_bank)));
    switch (m_bank->kind) {
      case BankKind::Sprites:
      case BankKind::Icons:
        showSprites();
        break;
      case BankKind::PackedPicture:
        m_picture = unpackPicture(*m_bank);
        setViewType(4);
        picCanvas->setImage(toQImage(m_picture->picture));
        picCanvas->show();
        cboZoom->setEnabled(true);
        cmdSave->setEnabled(true);
        break;
      case BankKind::Samples:
        showSamples();
        break;
      case BankKind::Amal:
        showText(amalText(*m_bank, readAmalBank(*m_bank)));
        break;
      case BankKind::Resource:
        showResource();
        break;
      case BankKind::Menu:
        showMenu();
        break;
      case BankKind::Tracker:
        showTracker();
        break;
      case BankKind::Music:
        showMusic();
        break;
      case BankKind::Data:
        setViewType(0);
        lstHex->addItems(hexDump(m_bank->bytes));
        break;
    }
    QString description = QString::fromStdString(bankDescription(*m_bank, m_picture ? &*m_picture : nullptr));
    const auto empty = std::count_if(m_sprites.images.begin(), m_sprites.images.end(),
                                     [](const SpriteImage& image) { return image.empty(); });
    if (empty > 0) description += QStringLiteral(" (%1 empty, not shown)").arg(empty);
    Label1->setText(description);
    Label1->setToolTip(description);  // the whole line where the strip cuts it
    if (m_viewType == 4) fitZoom();
  } catch (const BankDamage& damage) {
    whole = false;
    Label1->setText(QStringLiteral("Damaged bank at offset %1: %2")
                        .arg(damage.offset)
                        .arg(QString::fromStdString(damage.what)));
    if (m_viewType != 0 && m_viewType != 4 && bankView() == nullptr) {
      setViewType(0);
      lstHex->addItems(hexDump(m_bankBytes));
    }
  }
  // The view chosen is for use: scrolled, chosen from, zoomed.
  lstHex->setEnabled(m_viewType == 0);
  picPicture->setEnabled(m_viewType == 4);
  cboZoom->setVisible(m_viewType == 4);
  cmdSave->setEnabled(!shownOutputName().isEmpty());
  updateSound();
  Form_Resize();
  return whole;
}

QWidget* frmView::bankView() const {
  if (!txtBankText->isHidden()) return txtBankText;
  if (!tvwMenu->isHidden()) return tvwMenu;
  return nullptr;
}

void frmView::showText(const std::string& text) {
  setViewType(3);
  txtBankText->setPlainText(QString::fromStdString(text));
  txtBankText->show();
}

// The images as a sheet, then the messages and the programs as text: each
// read in the order the bank's outputs are made, so that damage further on
// keeps what came before it.
void frmView::showResource() {
  ResourceBank resources = readResourceTables(*m_bank);
  cboPart->blockSignals(true);
  cboPart->clear();
  if (!resources.images.empty()) cboPart->addItem(QStringLiteral("Images"), 0);
  const auto showParts = [this] {
    cboPart->blockSignals(false);
    cboPart->setVisible(cboPart->count() > 0);
    if (cboPart->count() > 0) showResourcePart(cboPart->itemData(0).toInt());
  };
  try {
    readResourceColours(*m_bank, resources);
    for (const ResourceImage& image : resources.images) {
      m_sheetImages.emplace_back(image.number, toQImage(resourcePicture(*m_bank, resources, image)));
    }
    readResourceMessages(*m_bank, resources);
    m_resourceText[0] = QString::fromStdString(resourceMessagesText(resources));
    if (!resources.messages.empty()) cboPart->addItem(QStringLiteral("Messages"), 1);
    readResourcePrograms(*m_bank, resources);
    m_resourceText[1] = QString::fromStdString(resourceProgramsText(resources));
    if (!resources.programs.empty()) cboPart->addItem(QStringLiteral("Programs"), 2);
  } catch (const BankDamage&) {
    showParts();
    throw;
  }
  showParts();
}

void frmView::showResourcePart(int part) {
  txtBankText->hide();
  if (part == 0) {
    m_selected = m_sheetImages.empty() ? 0 : m_sheetImages.front().first;
    setViewType(4);
    picCanvas->show();
    redrawSprites();
    cboZoom->setEnabled(true);
    cboZoom->show();
    if (isVisible()) fitZoom();
  } else {
    m_selected = 0;
    setViewType(3);
    cboZoom->hide();
    txtBankText->setPlainText(m_resourceText[part - 1]);
    txtBankText->show();
  }
  cmdSave->setEnabled(!shownOutputName().isEmpty());
  Form_Resize();
}

void frmView::showMenu() {
  const MenuBank menu = readMenuBank(*m_bank);
  setViewType(3);
  tvwMenu->clear();
  // Each line of the text is one node: the tree shows its path, objects and
  // attributes in columns, under its parent.
  const QStringList lines = QString::fromStdString(menuText(*m_bank, menu)).split(QLatin1Char('\n'));
  std::vector<QTreeWidgetItem*> parents;
  for (std::size_t i = 0; i < menu.nodes.size(); ++i) {
    const QString line = lines.value(static_cast<qsizetype>(i) + 1).trimmed();
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    const qsizetype comment = line.lastIndexOf(QStringLiteral("  ' "));
    const std::size_t level = menu.nodes[i].path.size();
    parents.resize(level - 1);
    auto* item = parents.empty() ? new QTreeWidgetItem(tvwMenu) : new QTreeWidgetItem(parents.back());
    item->setText(0, line.left(equals));
    item->setText(1, line.mid(equals + 1, comment - equals - 1));
    item->setText(2, line.mid(comment + 4));
    parents.push_back(item);
  }
  tvwMenu->expandAll();
  tvwMenu->resizeColumnToContents(0);
  tvwMenu->resizeColumnToContents(1);
  tvwMenu->show();
}

void frmView::showTracker() {
  const TrackerModule module = readTrackerModule(*m_bank);
  setViewType(0);
  std::string title;
  appendBankText(title, module.title);
  lstHex->addItem(QStringLiteral("Title: \"%1\"").arg(QString::fromStdString(title)));
  lstHex->addItem(QStringLiteral("Patterns: %1, positions: %2, %3 bytes")
                      .arg(module.patterns)
                      .arg(module.positions)
                      .arg(module.bytes.size()));
  for (const TrackerSample& sample : module.samples) {
    if (sample.length == 0 && sample.name.empty()) continue;
    std::string name;
    appendBankText(name, sample.name);
    lstHex->addItem(QStringLiteral("%1  %2  %3 bytes")
                        .arg(sample.number, 3)
                        .arg(QString::fromStdString(name), -22)
                        .arg(sample.length, 7));
  }
  m_module.assign(module.bytes.begin(), module.bytes.end());
}

void frmView::showMusic() {
  const MusicBank music = readMusicBank(*m_bank);
  setViewType(0);
  for (std::size_t k = 0; k < music.songNames.size(); ++k) {
    std::string name;
    appendBankText(name, upToZero(music.songNames[k]));
    lstHex->addItem(QStringLiteral("Song %1: %2").arg(k + 1).arg(QString::fromStdString(name)));
  }
  lstHex->addItem(QStringLiteral("%1 instruments, %2 patterns").arg(music.instruments).arg(music.patterns));
  try {
    m_module = musicBankForPlayer(m_bank->bytes, 1);
  } catch (const BankDamage& damage) {
    m_soundNote = QString::fromStdString(damage.what);
    return;
  }
  const MusicRenderer renderer(m_module);  // loads only: the length comes with the module
  if (!renderer.error().empty()) {
    m_soundNote = QString::fromStdString(renderer.error());
  } else {
    lstHex->addItem(QStringLiteral("Length: %1").arg(minutesAndSeconds(renderer.durationMs())));
  }
}

void frmView::cmdPlay_Click() {
  m_soundNote.clear();
  if (!m_module.empty()) {
    m_player->renderMusic(m_module);
  } else if (!m_samples.empty() && m_selected >= 1) {
    const Sample& sample = m_samples[static_cast<std::size_t>(m_selected - 1)];
    if (!m_player->playSample(sample.sound, sample.rate)) m_soundNote = m_player->error();
  }
  updateSound();
}

void frmView::cmdStop_Click() { m_player->stop(); }

void frmView::updateSound() {
  const bool sounds = !m_module.empty() || !m_samples.empty();
  cmdPlay->setVisible(sounds);
  cmdStop->setVisible(sounds);
  lblPosition->setVisible(sounds);
  if (!sounds) return;
  const bool busy = m_player->playing() || m_player->rendering();
  cmdSave->setEnabled(!m_player->rendering() && !shownOutputName().isEmpty());
  cmdPlay->setEnabled(!busy && (m_selected >= 1 || !m_module.empty()));
  cmdStop->setEnabled(m_player->playing());
  if (!m_soundNote.isEmpty()) {
    lblPosition->setText(QStringLiteral("No sound"));
    lblPosition->setToolTip(m_soundNote);
  } else if (m_player->rendering()) {
    lblPosition->setText(m_savePath.isEmpty() ? QStringLiteral("Rendering...") : QStringLiteral("Saving..."));
  } else if (m_player->playing()) {
    lblPosition->setText(minutesAndSeconds(m_player->positionMs()) + QStringLiteral(" / ") +
                         minutesAndSeconds(m_player->lengthMs()));
  } else {
    lblPosition->clear();
  }
}

void frmView::closeEvent(QCloseEvent* event) {
  m_player->stop();  // sound ends with the window
  if (!m_savePath.isEmpty()) {
    // Music asked to be saved is written before the window goes: rendered
    // here, as the worker's result would come to a window no longer there.
    const QString path = std::exchange(m_savePath, QString());
    const RenderedMusic music = renderModule(m_module);
    const QString failure = music.ok() ? saveBytes(path, byteArrayOf(stereoWavFile(music.pcm)))
                                       : QStringLiteral("%1 was not written: %2").arg(path, QString::fromStdString(music.error));
    if (!failure.isEmpty()) reportSaveFailure(failure);
    emit saved(path, failure);
  }
  QWidget::closeEvent(event);
}

QSize frmView::canvasRoom() const { return QSize(width() - 8, height() - 40) - QSize(24, 24); }

int frmView::sheetRoom(int zoom) const { return std::max(1, canvasRoom().width() / zoom); }

void frmView::setZoom(int zoom) {
  picCanvas->setZoom(zoom);
  reflowSheet();
}

// Starts at the largest zoom that shows the whole picture, up to 4x; a sheet
// is laid out for the width each zoom leaves it.
void frmView::fitZoom() {
  const QSize room = canvasRoom();
  const auto shownAt = [&](int zoom) {
    return showingSheet() ? sheetLayout(m_sheetSizes, sheetRoom(zoom)).size : picCanvas->image().size();
  };
  int zoom = 1;
  while (zoom < 4 && shownAt(zoom + 1).width() * (zoom + 1) <= room.width() &&
         shownAt(zoom + 1).height() * (zoom + 1) <= room.height()) {
    ++zoom;
  }
  const QSignalBlocker quiet(cboZoom);
  cboZoom->setCurrentIndex(zoom - 1);
  setZoom(zoom);
}

bool frmView::showingSheet() const { return m_viewType == 4 && !m_picture && !m_sheetSizes.empty(); }

void frmView::reflowSheet() {
  if (!showingSheet()) return;
  if (sheetLayout(m_sheetSizes, sheetRoom(picCanvas->zoom())).columns != m_sheetColumns) redrawSprites();
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
  const int room = sheetRoom(picCanvas->zoom());
  SpriteSheet sheet = m_sheetImages.empty() ? spriteSheet(m_sprites, m_selected, room)
                                            : pictureSheet(m_sheetImages, m_selected, room);
  m_sheetSizes.clear();
  for (const QRect& picture : sheet.pictures) m_sheetSizes.push_back(picture.size());
  m_sheetColumns = sheet.columns;
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
  for (const auto& [shown, image] : m_sheetImages) {
    if (shown == number && m_viewType == 4) {
      m_selected = number;
      redrawSprites();
      cmdSave->setEnabled(true);
    }
  }
}

QString frmView::shownOutputName() const {
  if (!m_bank) return {};
  const std::string stem = bankFileStem(m_fileName.toStdString(), *m_bank);
  std::string name;
  switch (m_bank->kind) {
    case BankKind::Sprites:
    case BankKind::Icons:
      if (m_selected >= 1) name = numberedOutputName(stem, "image", m_selected, "png");
      break;
    case BankKind::PackedPicture:
      if (m_picture) name = stem + ".picture.png";
      break;
    case BankKind::Samples:
      if (m_selected >= 1) name = numberedOutputName(stem, "sample", m_selected, "wav");
      break;
    case BankKind::Amal:
      if (!txtBankText->isHidden()) name = stem + ".amal.txt";
      break;
    case BankKind::Resource:
      switch (cboPart->currentData().toInt()) {
        case 0:
          if (m_selected >= 1 && cboPart->count() > 0) name = numberedOutputName(stem, "resource", m_selected, "png");
          break;
        case 1:
          name = stem + ".messages.txt";
          break;
        default:
          name = stem + ".programs.txt";
          break;
      }
      break;
    case BankKind::Menu:
      if (!tvwMenu->isHidden()) name = stem + ".menu.txt";
      break;
    case BankKind::Tracker:
      if (!m_module.empty()) name = stem + ".mod";
      break;
    case BankKind::Music:
      if (!m_module.empty()) name = stem + ".music.wav";
      break;
    case BankKind::Data:
      break;
  }
  return QString::fromStdString(name);
}


// Saves the part shown as the same file zarvex-list makes of it; music
// through the same rendering as its --render.
void frmView::cmdSave_Click() {
  const QString suggested = shownOutputName();
  if (suggested.isEmpty()) return;
  CommonDialog& dialog = m_dialog ? *m_dialog : CommonDialog1;
  const std::optional<QString> chosen = dialog.chooseSave(this, filterFor(suggested), suggested);
  if (!chosen) return;
  const QString& path = *chosen;
  QByteArray bytes;
  try {
    if (m_bank->kind == BankKind::Music) {
      // Rendered off the user-interface thread; written when it is done.
      m_player->stop();
      m_savePath = path;
      m_player->renderMusic(m_module);
      updateSound();
      return;
    }
    if (const auto file = bankOutputFile(m_fileName.toStdString(), *m_bank, suggested.toStdString())) {
      bytes = byteArrayOf(*file);
    }
  } catch (const BankDamage& damage) {
    reportSaveFailure(QStringLiteral("%1 was not written: the bank is damaged: %2")
                          .arg(path, QString::fromStdString(damage.what)));
    return;
  } catch (const std::exception& e) {
    reportSaveFailure(QStringLiteral("%1 was not written: %2").arg(path, QString::fromUtf8(e.what())));
    return;
  }
  const QString failure = saveBytes(path, bytes);
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
