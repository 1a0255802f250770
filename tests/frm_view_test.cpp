// The bank viewer window: its view switching, layout and lifetime.
#include "frm_view.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>

#include "picture_box.h"
#include "window_fakes.h"

namespace zarvex {
namespace {

// Visible and enabled states of the three display controls: list, text, picture.
struct Shown {
  bool list, text, picture;
  bool operator==(const Shown&) const = default;
};
Shown visibleOf(const frmView& v) { return {!v.lstHex->isHidden(), !v.txtText->isHidden(), !v.picPicture->isHidden()}; }
Shown enabledOf(const frmView& v) { return {v.lstHex->isEnabled(), v.txtText->isEnabled(), v.picPicture->isEnabled()}; }

TEST(FrmView, FreshWindowIsInTheEmptyViewWithItsDesignContent) {
  frmView v;
  EXPECT_EQ(v.windowTitle(), "View Bank");
  EXPECT_EQ(v.ViewType(), 3);
  EXPECT_EQ(visibleOf(v), (Shown{false, true, true}));
  EXPECT_EQ(enabledOf(v), (Shown{false, true, true}));
  EXPECT_EQ(v.lstHex->count(), 0);
  EXPECT_EQ(v.txtText->text(), "txtText");
  EXPECT_EQ(v.Label1->text(), "Label1");
  EXPECT_EQ(v.cmdClose->text(), "Close Window");
  EXPECT_EQ(v.lstHex->geometry(), QRect(8, 32, 121, 225));
  EXPECT_EQ(v.Label1->geometry(), QRect(8, 8, 105, 17));
  EXPECT_EQ(v.cmdClose->geometry(), QRect(296, 264, 97, 25));
  EXPECT_EQ(v.picPicture->geometry(), QRect(272, 32, 121, 225));
  EXPECT_EQ(v.txtText->geometry(), QRect(136, 32, 129, 225));
  const std::initializer_list<QWidget*> controls = {v.lstHex, v.Label1, v.cmdClose, v.picPicture, v.txtText};
  EXPECT_EQ(testing::nextInTabOrder(v.lstHex, controls), v.Label1);
  EXPECT_EQ(testing::nextInTabOrder(v.Label1, controls), v.cmdClose);
  EXPECT_EQ(testing::nextInTabOrder(v.cmdClose, controls), v.picPicture);
  EXPECT_EQ(testing::nextInTabOrder(v.picPicture, controls), v.txtText);
}

TEST(FrmView, WritingTheCurrentValueChangesNothing) {
  frmView v;
  v.setViewType(4);
  v.setViewType(1);  // picture left: hidden and disabled
  const Shown visible = visibleOf(v), enabled = enabledOf(v);
  v.setViewType(1);
  EXPECT_EQ(visibleOf(v), visible);
  EXPECT_EQ(enabledOf(v), enabled);
  EXPECT_EQ(v.txtText->text(), "txtText");
}

TEST(FrmView, LeavingTheListTurnsAnyRequestIntoTheEmptyView) {
  for (int requested : {1, 2, 4, 6, -1, 99}) {
    frmView v;
    v.setViewType(0);
    EXPECT_EQ(v.ViewType(), 0);
    EXPECT_FALSE(v.lstHex->isHidden());
    v.lstHex->addItem("00 01 02");
    v.setViewType(requested);
    EXPECT_EQ(v.ViewType(), 3) << requested;
    EXPECT_TRUE(v.lstHex->isHidden());
    EXPECT_FALSE(v.lstHex->isEnabled());
    EXPECT_EQ(v.lstHex->count(), 0);
  }
}

TEST(FrmView, EnteringAViewShowsButNeverEnables) {
  frmView v;
  v.setViewType(4);
  EXPECT_EQ(visibleOf(v), (Shown{false, true, true}));
  v.picPicture->setAutoRedraw(true);
  QPainter(&v.picPicture->surface()).fillRect(0, 0, 1, 1, Qt::red);

  v.setViewType(1);
  EXPECT_EQ(visibleOf(v), (Shown{false, true, false}));
  EXPECT_EQ(enabledOf(v), (Shown{false, true, false}));
  EXPECT_EQ(v.txtText->text(), "txtText");
  EXPECT_FALSE(v.picPicture->autoRedraw());
  EXPECT_TRUE(v.picPicture->isClear());

  v.setViewType(4);
  EXPECT_EQ(visibleOf(v), (Shown{false, false, true}));
  EXPECT_EQ(enabledOf(v), (Shown{false, false, false}));
  EXPECT_EQ(v.txtText->text(), "");
}

TEST(FrmView, ValuesOutsideTheViewsShowNothing) {
  for (int value : {-7, 7, 1000}) {
    frmView v;
    v.setViewType(1);
    v.setViewType(value);
    EXPECT_EQ(v.ViewType(), value);
    EXPECT_TRUE(v.txtText->isHidden());
    EXPECT_TRUE(v.lstHex->isHidden());
  }
}

TEST(FrmView, DisplayControlsShareOneRectangleAndTheButtonStays) {
  frmView v;
  v.show();
  v.resize(400, 300);
  for (QWidget* c : {static_cast<QWidget*>(v.txtText), static_cast<QWidget*>(v.lstHex),
                     static_cast<QWidget*>(v.picPicture)}) {
    EXPECT_EQ(c->geometry(), QRect(8, 8, 392, 260));
  }
  v.resize(600, 500);
  EXPECT_EQ(v.txtText->geometry(), QRect(8, 8, 592, 460));
  EXPECT_EQ(v.picPicture->geometry(), QRect(8, 8, 592, 460));
  EXPECT_EQ(v.cmdClose->geometry(), QRect(296, 264, 97, 25));
  EXPECT_EQ(v.Label1->geometry(), QRect(8, 8, 105, 17));
  for (const QSize tiny : {QSize(7, 39), QSize(1, 1), QSize(8, 40)}) {
    v.setMinimumSize(0, 0);
    v.resize(tiny);
    v.Form_Resize();
    EXPECT_EQ(v.lstHex->geometry().size(), QSize(std::max(0, v.width() - 8), std::max(0, v.height() - 40)));
  }
}

TEST(FrmView, ViewBankOpensIndependentViewersAndCloseLeavesTheOthers) {
  testing::TestWindow t;
  t.window->show();
  EXPECT_FALSE(t.window->cmdViewBank->isEnabled());
  for (int i = 0; i < 3; ++i) t.window->cmdViewBank_Click();
  auto viewers = t.window->findChildren<frmView*>();
  ASSERT_EQ(viewers.size(), 3);
  for (frmView* v : viewers) {
    EXPECT_TRUE(v->isVisible());
    EXPECT_TRUE(v->isWindow());
    EXPECT_EQ(v->ViewType(), 3);
    EXPECT_FALSE(v->isModal());
  }
  viewers[1]->cmdClose->click();
  EXPECT_FALSE(viewers[1]->isVisible());
  EXPECT_TRUE(viewers[0]->isVisible());
  EXPECT_TRUE(viewers[2]->isVisible());
  EXPECT_TRUE(t.window->isVisible());
}

}  // namespace
}  // namespace zarvex
