// The banks in the windows: the bank list after a load, the viewer's view for
// each kind of bank, and the files Save Bank and Save... write.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <filesystem>
#include <unistd.h>

#include "bank_builder.h"
#include "bank_canvas.h"
#include "bank_files.h"
#include "bank_set.h"
#include "demo_program.h"
#include "frm_view.h"
#include "picture_box.h"
#include "sample_bank.h"
#include "temp_folder.h"
#include "window_fakes.h"

namespace zarvex {
namespace {

using testing::TestWindow;

class BankWindowTest : public ::testing::Test {
 protected:
  // The demo: a sprite bank (1) and a sample bank (5) after its lines.
  TestWindow& openDemo() {
    const std::string path = folder.file("demo.AMOS");
    testing::writeFile(path, testing::demoProgram());
    window = std::make_unique<TestWindow>(QString::fromStdString(path));
    return *window;
  }

  frmView* viewBank(int row) {
    window->window->lstBanks->setCurrentRow(row);
    window->window->cmdViewBank->click();
    const auto viewers = window->window->findChildren<frmView*>();
    return viewers.isEmpty() ? nullptr : viewers.back();
  }

  testing::TempFolder folder;
  std::unique_ptr<TestWindow> window;
};

TEST_F(BankWindowTest, ABankFileNamedOnTheCommandLineListsItsBanks) {
  const std::string path = folder.file("data.abk");
  const auto bank = testing::memoryBank(9, 1, "Datas   ", {1, 2, 3, 4});
  testing::writeFile(path, bank);
  TestWindow t(QString::fromStdString(path));
  ASSERT_EQ(t.window->Banks().banks.size(), 1u);
  EXPECT_EQ(t.window->lstBanks->item(0)->text(), " 9  Datas, 24 bytes, fast");
  EXPECT_TRUE(t.messages->shown.empty()) << "no load summary of a program that is not there";
}

TEST_F(BankWindowTest, ADoubleClickOrEnterOnABankOpensIt) {
  frmZarvex& w = *openDemo().window;
  w.lstBanks->setCurrentRow(0);
  emit w.lstBanks->itemActivated(w.lstBanks->item(0));
  const auto viewers = w.findChildren<frmView*>();
  ASSERT_EQ(viewers.size(), 1);
  EXPECT_TRUE(viewers.front()->windowTitle().contains("Sprites"));
}

TEST_F(BankWindowTest, ALoadListsTheProgramsBanksAndAChoiceEnablesTheButtons) {
  TestWindow t;
  EXPECT_FALSE(t.window->lstBanks->isEnabled());
  frmZarvex& w = *openDemo().window;
  ASSERT_EQ(w.lstBanks->count(), 2);
  EXPECT_TRUE(w.lstBanks->isEnabled());
  EXPECT_EQ(w.lstBanks->item(0)->text(), " 1  Sprites, 4 images, 750 bytes, chip");
  EXPECT_EQ(w.lstBanks->item(1)->text(), " 5  Samples, 1 sample, 2440 bytes, chip");
  EXPECT_FALSE(w.cmdViewBank->isEnabled());
  w.lstBanks->setCurrentRow(1);
  EXPECT_TRUE(w.cmdViewBank->isEnabled());
  EXPECT_TRUE(w.cmdSaveBank->isEnabled());

  // A program without banks empties the list again.
  const std::string plain = folder.file("plain.AMOS");
  testing::writeFile(plain, testing::amosFile({testing::TokenLine().token(0x0476)}));
  window->dialog->paths = {QString::fromStdString(plain)};
  w.mnuOpen_Click();
  EXPECT_EQ(w.lstBanks->count(), 0);
  EXPECT_FALSE(w.lstBanks->isEnabled());
  EXPECT_FALSE(w.cmdViewBank->isEnabled());
}

TEST_F(BankWindowTest, SpritesShowAsAZoomableSheetAndTheChosenImageSavesAsPng) {
  openDemo();
  frmView* v = viewBank(0);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->ViewType(), 4);
  EXPECT_TRUE(v->picPicture->isVisibleTo(v));
  EXPECT_FALSE(v->txtText->isVisibleTo(v));
  EXPECT_EQ(v->Label1->text(), "Bank 1: Sprites, 4 images");
  EXPECT_FALSE(v->picCanvas->image().isNull());
  EXPECT_EQ(v->selectedItem(), 1);
  v->cboZoom->setCurrentIndex(7);
  EXPECT_EQ(v->picCanvas->zoom(), 8);

  v->selectItem(3);
  EXPECT_EQ(v->selectedItem(), 3);
  const QString target = QString::fromStdString(folder.file("ball.png"));
  window->dialog->savePaths = {target};
  v->cmdSave_Click();
  EXPECT_EQ(window->dialog->suggestions.back(), "demo.AMOS.bank01.image003.png");
  const QImage saved(target);
  ASSERT_EQ(saved.size(), QSize(16, 16));
  EXPECT_EQ(saved.pixelColor(0, 0).rgb(), qRgb(0, 0, 0)) << "colour 0 saved as it stands, opaque";
  const QRgb middle = saved.pixel(7, 8);
  EXPECT_TRUE(qBlue(middle) > 0x80 && qRed(middle) == 0 && qGreen(middle) == 0) << "the blue ball";
}

TEST_F(BankWindowTest, TheSheetFillsTheViewersWidthAgainWhenResizedOrZoomed) {
  SKIP_WITHOUT_BANKS();
  const std::string file = testing::readBytes(testing::bankFolder() / "Icons.Abk");
  const std::vector<std::uint8_t> bytes(file.begin(), file.end());
  const BankSet set = readBanks(bytes);
  ASSERT_EQ(set.banks.size(), 1u);
  frmView v;
  ASSERT_TRUE(v.showBank({set.banks[0].bytes.begin(), set.banks[0].bytes.end()}, QStringLiteral("Icons.Abk")));
  v.show();
  v.cboZoom->setCurrentIndex(1);
  const auto settle = [] {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  };
  // The sheet's width on the screen, and whether it fits the canvas across.
  const auto shownWidth = [&] { return v.picCanvas->image().width() * v.picCanvas->zoom(); };
  const auto fitsAcross = [&] { return v.picCanvas->horizontalScrollBar()->maximum() == 0; };
  settle();
  const int narrow = shownWidth();
  EXPECT_TRUE(fitsAcross());

  v.resize(v.width() + 400, v.height());
  settle();
  const int wide = shownWidth();
  EXPECT_GT(wide, narrow + 300) << "the wider window's room filled with more columns";
  EXPECT_TRUE(fitsAcross());

  v.resize(v.width() - 400, v.height());
  settle();
  EXPECT_EQ(shownWidth(), narrow) << "and back";

  v.cboZoom->setCurrentIndex(3);  // 4x: fewer columns, the same room
  settle();
  EXPECT_EQ(v.picCanvas->zoom(), 4);
  EXPECT_LT(v.picCanvas->image().width() * 2, narrow) << "columns given up at the higher zoom";
  EXPECT_TRUE(fitsAcross());
  EXPECT_GT(shownWidth(), narrow / 2);
}

TEST_F(BankWindowTest, SamplesShowAsAListAndSaveAsWav) {
  openDemo();
  frmView* v = viewBank(1);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->ViewType(), 0);
  EXPECT_TRUE(v->lstHex->isEnabled()) << "a list to scroll and choose from";
  ASSERT_EQ(v->lstHex->count(), 1);
  EXPECT_TRUE(v->lstHex->item(0)->text().contains("Boing"));
  EXPECT_TRUE(v->lstHex->item(0)->text().contains("8000 Hz"));
  EXPECT_TRUE(v->lstHex->item(0)->text().contains("2400 bytes"));
  EXPECT_TRUE(v->lstHex->item(0)->text().contains("0.300 s"));
  const QString target = QString::fromStdString(folder.file("boing.wav"));
  window->dialog->savePaths = {target};
  v->cmdSave_Click();
  const std::string wav = testing::readBytes(target.toStdString());
  ASSERT_EQ(wav.size(), 44u + 2400);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
}

TEST_F(BankWindowTest, OtherBanksShowAsAHexDump) {
  frmView v;
  ASSERT_TRUE(v.showBank(testing::memoryBank(3, 1, "Datas   ", {'H', 'i', 0, 0xFF}), QStringLiteral("m.abk")));
  EXPECT_EQ(v.ViewType(), 0);
  EXPECT_TRUE(v.lstHex->isEnabled());
  ASSERT_EQ(v.lstHex->count(), 2);
  EXPECT_EQ(v.lstHex->item(0)->text(), "000000  41 6D 42 6B 00 03 00 01 80 00 00 0C 44 61 74 61  AmBk........Data");
  EXPECT_EQ(v.lstHex->item(1)->text().left(22), "000010  73 20 20 20 48");
  EXPECT_EQ(v.Label1->text(), "Bank 3: Datas, 24 bytes");
  EXPECT_FALSE(v.cmdSave->isEnabled());

  // A damaged bank says so and shows its bytes.
  frmView damaged;
  EXPECT_FALSE(damaged.showBank({'A', 'm', 'B', 'k', 0, 3, 0, 1, 0, 0, 0x10, 0}, QStringLiteral("d.abk")));
  EXPECT_TRUE(damaged.Label1->text().startsWith("Damaged bank at offset"));
  EXPECT_EQ(damaged.lstHex->count(), 1);
}

TEST_F(BankWindowTest, ImportedPackedPicturesShowAtTheirSize) {
  SKIP_WITHOUT_BANKS();
  TestWindow t;
  t.dialog->paths = {QString::fromStdString((testing::bankFolder() / "level1_screen.abk").string())};
  t.window->mnuImportAbk_Click();
  EXPECT_TRUE(t.messages->shown.empty());
  ASSERT_EQ(t.window->lstBanks->count(), 1);
  t.window->lstBanks->setCurrentRow(0);
  t.window->cmdViewBank_Click();
  frmView* v = t.window->findChildren<frmView*>().back();
  EXPECT_EQ(v->ViewType(), 4);
  EXPECT_EQ(v->Label1->text(), "Bank 10: Pac.Pic. 960 x 160, 16 colours");
  EXPECT_EQ(v->picCanvas->image().size(), QSize(960, 160));
  EXPECT_EQ(t.dialog->filter(), t.window->dlgCommon.filter());
  EXPECT_TRUE(t.window->dlgCommon.matches(QStringLiteral("demo.AMOS"))) << "Open's filter is back";
}

TEST_F(BankWindowTest, SaveBankWritesTheBanksBytesAndAFailureLeavesNothing) {
  openDemo();
  frmZarvex& w = *window->window;
  w.lstBanks->setCurrentRow(1);
  const QString target = QString::fromStdString(folder.file("out.abk"));
  window->dialog->savePaths = {target};
  w.cmdSaveBank_Click();
  EXPECT_EQ(window->dialog->suggestions.back(), "demo.AMOS.bank05.abk");
  const Bank& bank = w.Banks().banks[1];
  EXPECT_TRUE(testing::readBytes(target.toStdString()) == std::string(bank.bytes.begin(), bank.bytes.end()));
  EXPECT_TRUE(window->messages->shown.empty() || window->messages->shown.back().text.startsWith("Document"));

  const std::filesystem::path locked = folder.path() / "locked";
  std::filesystem::create_directory(locked);
  std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  if (::geteuid() != 0) {  // root writes anywhere
    window->messages->shown.clear();
    window->dialog->savePaths = {QString::fromStdString((locked / "x.abk").string())};
    w.cmdSaveBank_Click();
    ASSERT_EQ(window->messages->shown.size(), 1u);
    EXPECT_TRUE(window->messages->shown[0].text.contains("x.abk"));
    EXPECT_TRUE(std::filesystem::is_empty(locked));
  }
  // A target folder that does not exist fails for everyone.
  window->messages->shown.clear();
  window->dialog->savePaths = {QString::fromStdString((folder.path() / "absent" / "x.abk").string())};
  w.cmdSaveBank_Click();
  ASSERT_EQ(window->messages->shown.size(), 1u);
  EXPECT_TRUE(window->messages->shown[0].text.startsWith("Cannot write"));
  std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
}

TEST_F(BankWindowTest, ImportRefusesFilesThatHoldNoBanksAndListsDamageAsANote) {
  TestWindow t;
  const std::string text = folder.file("notes.abk");
  testing::writeFile(text, {'h', 'e', 'l', 'l', 'o'});
  t.dialog->paths = {QString::fromStdString(text)};
  t.window->mnuImportAbk_Click();
  ASSERT_EQ(t.messages->shown.size(), 1u);
  EXPECT_TRUE(t.messages->shown[0].text.contains("neither an AMOS program nor a bank file"));

  testing::Bytes cut = testing::demoProgram();
  cut.resize(cut.size() - 100);
  const std::string damaged = folder.file("cut.AMOS");
  testing::writeFile(damaged, cut);
  TestWindow d(QString::fromStdString(damaged));
  ASSERT_EQ(d.window->lstBanks->count(), 2);
  EXPECT_TRUE(d.window->lstBanks->item(1)->text().startsWith("Damaged bank set at offset"));
  d.window->lstBanks->setCurrentRow(1);
  EXPECT_FALSE(d.window->cmdViewBank->isEnabled()) << "the note is no bank";
}

}  // namespace
}  // namespace zarvex
