// frmView: the bank viewer, a secondary window with three display controls
// laid over one another (a list, a text box and a picture box). ViewType
// picks the one shown: 0 the list, 1 and 6 the text box, 4 the picture box,
// any other value none.
//
// Given a bank (showBank), it picks the view that fits the bank's kind: the
// picture box for sprites, icons and resource images (every image in a
// grid) and packed pictures, zoomable and scrollable; the list for samples,
// tracker modules and music; a text view for AMAL banks and a resource
// bank's messages and programs; a tree for menus; a hex dump for any other
// bank. Label1 says what the bank holds. Save... writes the part shown, the
// same file zarvex-list makes of it; Play and Stop sound the chosen sample,
// the tracker module or the music.
#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "bank_set.h"
#include "resource_bank.h"
#include "common_dialog.h"
#include "message_boxes.h"
#include "packed_picture.h"
#include "sample_bank.h"
#include "sprite_bank.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace zarvex {

class AudioPlayer;
class BankCanvas;
class PictureBox;

class frmView : public QWidget {
  Q_OBJECT

 public:
  // A new viewer, owned by `owner` (closed with it) when one is given.
  explicit frmView(QWidget* owner = nullptr);

  std::int32_t ViewType() const { return m_viewType; }
  // Changes the view: leaves the current one (hiding, disabling and emptying
  // its control; leaving 0 turns the request into 3), then shows the new
  // one's control without enabling it. Writing the current value does nothing.
  void setViewType(std::int32_t requested);

  void Form_Load();
  void Form_Resize();
  void cmdClose_Click();

  // Shows `bankBytes`, one whole bank as it stands in its file, which is
  // named `fileName` (for the names Save... suggests). Returns false, with
  // Label1 saying why, when the bank is damaged.
  bool showBank(std::vector<std::uint8_t> bankBytes, const QString& fileName);
  // The dialog and message boxes Save... uses (by default Qt's own).
  void setServices(std::shared_ptr<CommonDialog> dialog, std::shared_ptr<MessageBoxes> messages);
  // Saves the part shown: the selected image, the picture, the selected
  // sample, the text, the module or the music's sound.
  void cmdSave_Click();
  // Plays the chosen sample, the tracker module or the music; Stop ends it.
  void cmdPlay_Click();
  void cmdStop_Click();
  // The name of the file Save... writes now ("NAME.bankNN.amal.txt"...);
  // empty when there is nothing to save.
  QString shownOutputName() const;
  // The image slot or sample number Save... writes; 0 when there is none.
  int selectedItem() const;
  void selectItem(int number);

  // Controls, by their names.
  QListWidget* lstHex;
  QLabel* Label1;
  QPushButton* cmdClose;
  PictureBox* picPicture;
  QLineEdit* txtText;
  QtCommonDialog CommonDialog1;  // the save dialog unless setServices names another
  // Shown with a bank: the picture inside picPicture, its zoom, and Save....
  BankCanvas* picCanvas;
  QComboBox* cboZoom;
  QPushButton* cmdSave;
  // The views of the other kinds, in the display rectangle, and the
  // controls of the strip below it: the part of a resource bank shown, and
  // the sound controls with the position.
  QPlainTextEdit* txtBankText;
  QTreeWidget* tvwMenu;
  QComboBox* cboPart;
  QPushButton* cmdPlay;
  QPushButton* cmdStop;
  QLabel* lblPosition;
  AudioPlayer* player() const { return m_player; }

  // The client area at design time.
  static constexpr int kClientWidth = 400;
  static constexpr int kClientHeight = 300;
  // The size a viewer of a bank opens at.
  static constexpr int kBankWidth = 640;
  static constexpr int kBankHeight = 480;

 signals:
  // Music rendered for Save... was written to `path` (`failure` empty) or not.
  void saved(const QString& path, const QString& failure);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void showSprites();
  // The room the picture box gives a picture at zoom 1: the display
  // rectangle less its frame and scroll bars.
  QSize canvasRoom() const;
  // Its width in the sheet's pixels at `zoom`; at least 1.
  int sheetRoom(int zoom) const;
  // Sets the zoom the picture is shown at, laying a sheet out again for it.
  void setZoom(int zoom);
  void fitZoom();
  // A sheet of images is shown (sprites, icons, a resource bank's images).
  bool showingSheet() const;
  // Lays the sheet out again when the room now holds another number of columns.
  void reflowSheet();
  void showSamples();
  void showText(const std::string& text);
  void showResource();
  void showResourcePart(int part);
  void showMenu();
  void showTracker();
  void showMusic();
  void redrawSprites();
  void updateSound();
  QWidget* bankView() const;
  void reportSaveFailure(const QString& text);

  std::int32_t m_viewType = 0;
  std::vector<std::uint8_t> m_bankBytes;  // the bank shown, a copy of its bytes
  std::optional<Bank> m_bank;
  QString m_fileName;
  SpriteBank m_sprites;
  std::optional<PackedPicture> m_picture;
  std::vector<Sample> m_samples;
  std::vector<std::pair<int, QImage>> m_sheetImages;  // a resource bank's images, by number
  QString m_resourceText[2];                           // its messages and programs
  std::vector<std::uint8_t> m_module;                  // what libxmp plays, for music and tracker banks
  QString m_soundNote;                                 // why nothing plays, when that is so
  AudioPlayer* m_player;
  QString m_savePath;  // where the music being rendered is to be saved
  std::vector<QRect> m_cells;  // the sprite sheet's cells and their slots
  std::vector<int> m_cellSlots;
  std::vector<QSize> m_sheetSizes;  // the sizes of the sheet's images, to lay it out again
  int m_sheetColumns = 0;
  int m_selected = 0;
  std::shared_ptr<CommonDialog> m_dialog;
  std::shared_ptr<MessageBoxes> m_messages;
};

}  // namespace zarvex
