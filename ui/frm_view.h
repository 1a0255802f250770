// frmView: the bank viewer, a secondary window with three display controls
// laid over one another (a list, a text box and a picture box). ViewType
// picks the one shown: 0 the list, 1 and 6 the text box, 4 the picture box,
// any other value none.
//
// Given a bank (showBank), it picks the view that fits: the picture box for
// sprites, icons (every image in a grid) and packed pictures, zoomable and
// scrollable; the list for samples (one a line) and every other bank (a hex
// dump). Label1 says what the bank holds, and Save... writes the selected
// image, the picture (PNG) or the selected sample (WAV).
#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "bank_set.h"
#include "common_dialog.h"
#include "message_boxes.h"
#include "packed_picture.h"
#include "sample_bank.h"
#include "sprite_bank.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace zarvex {

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
  // Saves the selected image, the picture or the selected sample.
  void cmdSave_Click();
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

  // The client area at design time.
  static constexpr int kClientWidth = 400;
  static constexpr int kClientHeight = 300;
  // The size a viewer of a bank opens at.
  static constexpr int kBankWidth = 640;
  static constexpr int kBankHeight = 480;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void showSprites();
  void fitZoom();
  void showSamples();
  void redrawSprites();
  void reportSaveFailure(const QString& text);

  std::int32_t m_viewType = 0;
  std::vector<std::uint8_t> m_bankBytes;  // the bank shown, a copy of its bytes
  std::optional<Bank> m_bank;
  QString m_fileName;
  SpriteBank m_sprites;
  std::optional<PackedPicture> m_picture;
  std::vector<Sample> m_samples;
  std::vector<QRect> m_cells;  // the sprite sheet's cells and their slots
  std::vector<int> m_cellSlots;
  int m_selected = 0;
  std::shared_ptr<CommonDialog> m_dialog;
  std::shared_ptr<MessageBoxes> m_messages;
};

}  // namespace zarvex
