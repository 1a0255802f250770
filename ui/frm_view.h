// frmView: the bank viewer, a secondary window with three display controls
// laid over one another (a list, a text box and a picture box). ViewType
// picks the one shown: 0 the list, 1 and 6 the text box, 4 the picture box,
// any other value none.
#pragma once

#include <QWidget>
#include <cstdint>

#include "common_dialog.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace zarvex {

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

  // Controls, by their names.
  QListWidget* lstHex;
  QLabel* Label1;
  QPushButton* cmdClose;
  PictureBox* picPicture;
  QLineEdit* txtText;
  QtCommonDialog CommonDialog1;  // no visible presence; no operation uses it

  // The client area at design time.
  static constexpr int kClientWidth = 400;
  static constexpr int kClientHeight = 300;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::int32_t m_viewType = 0;
};

}  // namespace zarvex
