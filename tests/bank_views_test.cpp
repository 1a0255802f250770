// The bank viewer's views of AMAL, resource, menu, tracker and music banks,
// chosen by kind: what each shows, Save... writing the same file zarvex-list
// makes of the part shown, and Play and Stop, which never fail even on a
// machine without an audio output.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QEventLoop>
#include <QPointer>
#include <QShortcut>
#include <QTimer>
#include <QTreeWidget>

#include "audio_player.h"
#include "bank_files.h"
#include "bank_set.h"
#include "frm_view.h"
#include "temp_folder.h"
#include "window_fakes.h"

namespace zarvex {
namespace {

std::filesystem::path realBank(const std::string& name) {
  const auto here = testing::bankFolder() / name;
  return std::filesystem::exists(here) ? here : testing::moreBanksFolder() / name;
}

std::filesystem::path reference(const std::string& name) { return testing::moreBanksFolder() / "expected" / name; }

// The bank of `kind` in the real file `name`, as its own bytes.
std::vector<std::uint8_t> bankOf(const std::string& name, BankKind kind) {
  const std::string file = testing::readBytes(realBank(name));
  const std::vector<std::uint8_t> bytes(file.begin(), file.end());
  for (const Bank& bank : readBanks(bytes).banks) {
    if (bank.kind == kind) return {bank.bytes.begin(), bank.bytes.end()};
  }
  return {};
}

// Runs the event loop until `sender` sends `signal` or `ms` pass; true when
// it was sent.
template <typename Sender, typename Signal>
bool waitFor(Sender* sender, Signal signal, int ms) {
  QEventLoop loop;
  bool sent = false;
  const auto connection = QObject::connect(sender, signal, &loop, [&] {
    sent = true;
    loop.quit();
  });
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
  QObject::disconnect(connection);
  return sent;
}

class BankViewsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_BANKS();
    view.setServices(dialog, messages);
  }
  // Saves the part shown through the scripted dialog; the file's bytes.
  std::string save(const std::string& name) {
    const QString path = QString::fromStdString(folder.file(name));
    dialog->savePaths = {path};
    view.cmdSave_Click();
    return testing::readBytes(path.toStdString());
  }

  frmView view;
  std::shared_ptr<testing::ScriptedDialog> dialog = std::make_shared<testing::ScriptedDialog>();
  std::shared_ptr<testing::ScriptedMessageBoxes> messages = std::make_shared<testing::ScriptedMessageBoxes>();
  testing::TempFolder folder;
};

TEST_F(BankViewsTest, AmalShowsItsTextAndSavesIt) {
  ASSERT_TRUE(view.showBank(bankOf("PLay_Data.Abk", BankKind::Amal), QStringLiteral("PLay_Data.Abk")));
  const std::string expected = testing::readBytes(reference("PLay_Data.Abk.bank04.amal.txt"));
  EXPECT_FALSE(view.txtBankText->isHidden());
  EXPECT_EQ(view.txtBankText->toPlainText().toStdString(), expected);
  EXPECT_EQ(view.Label1->text(), "4 Amal: 1 movements, 0 programs, environment 2 lines");
  EXPECT_EQ(save("a.txt"), expected);
  EXPECT_EQ(dialog->suggestions.back(), "PLay_Data.Abk.bank04.amal.txt");
}

TEST_F(BankViewsTest, ResourceImagesAreASheetAndMessagesAndProgramsText) {
  ASSERT_TRUE(view.showBank(bankOf("Example_Resource.Abk", BankKind::Resource), QStringLiteral("Example_Resource.Abk")));
  EXPECT_EQ(view.ViewType(), 4);
  EXPECT_EQ(view.cboPart->count(), 1);
  EXPECT_EQ(view.Label1->text(), "16 Resource: 90 images, 0 messages, 0 programs");
  view.selectItem(22);
  EXPECT_EQ(view.shownOutputName(), "Example_Resource.Abk.bank10.resource022.png");
  const auto png = folder.file("r.png");
  dialog->savePaths = {QString::fromStdString(png)};
  view.cmdSave_Click();
  const auto ours = testing::readPngAsRgb(png), theirs = testing::readPngAsRgb(reference("Example_Resource.Abk.bank10.resource022.png"));
  ASSERT_FALSE(ours.rgb.empty());
  EXPECT_TRUE(ours.rgb == theirs.rgb);

  frmView texts;
  texts.setServices(dialog, messages);
  ASSERT_TRUE(texts.showBank(bankOf("Install_Banks.Abs", BankKind::Resource), QStringLiteral("Install_Banks.Abs")));
  ASSERT_EQ(texts.cboPart->count(), 2);
  EXPECT_EQ(texts.cboPart->itemText(0), "Messages");
  EXPECT_FALSE(texts.txtBankText->isHidden());
  const std::string expected = testing::readBytes(reference("Install_Banks.Abs.bank10.messages.txt"));
  EXPECT_EQ(texts.txtBankText->toPlainText().toStdString(), expected);
  texts.cboPart->setCurrentIndex(1);
  EXPECT_EQ(texts.shownOutputName(), "Install_Banks.Abs.bank10.programs.txt");
  dialog->savePaths = {QString::fromStdString(folder.file("p.txt"))};
  texts.cmdSave_Click();
  EXPECT_EQ(testing::readBytes(folder.file("p.txt")), testing::readBytes(reference("Install_Banks.Abs.bank10.programs.txt")));
}

TEST_F(BankViewsTest, MenuIsATree) {
  ASSERT_TRUE(view.showBank(bankOf("Data.Menu", BankKind::Menu), QStringLiteral("Data.Menu")));
  EXPECT_FALSE(view.tvwMenu->isHidden());
  ASSERT_EQ(view.tvwMenu->topLevelItemCount(), 5);
  const QTreeWidgetItem* first = view.tvwMenu->topLevelItem(0);
  EXPECT_EQ(first->text(0), "Menu$(1)");
  EXPECT_EQ(first->text(1), "\"PICTURE  \",\"(IN 1,2)(SS 4)PICTURE(SS 0)\"");
  ASSERT_GE(first->childCount(), 1);
  EXPECT_EQ(first->child(0)->text(0), "Menu$(1,1)");
  EXPECT_EQ(save("m.txt"), testing::readBytes(reference("Data.Menu.bank06.menu.txt")));
}

TEST_F(BankViewsTest, TrackerListsItsModuleSavesItAndPlaysWithoutFailing) {
  ASSERT_TRUE(view.showBank(bankOf("Tracker.Abk", BankKind::Tracker), QStringLiteral("Tracker.Abk")));
  EXPECT_EQ(view.ViewType(), 0);
  EXPECT_EQ(view.lstHex->item(0)->text(), "Title: \"\"");
  EXPECT_EQ(save("t.mod"), testing::readBytes(reference("Tracker.Abk.bank06.mod")));
  EXPECT_TRUE(view.cmdPlay->isEnabled());
  view.cmdPlay_Click();
  // Rendered off the window's thread: played, or "No sound" with the reason.
  ASSERT_TRUE(waitFor(view.player(), &AudioPlayer::rendered, 20000));
  QCoreApplication::processEvents();
  EXPECT_TRUE(view.player()->playing() || view.lblPosition->text() == "No sound") << view.lblPosition->text().toStdString();
  view.cmdStop_Click();
  EXPECT_FALSE(view.player()->playing());
  EXPECT_TRUE(messages->shown.empty());
}

TEST_F(BankViewsTest, MusicShowsItsSongAndLengthAndSavesItsSound) {
  ASSERT_TRUE(view.showBank(bankOf("Music.abk", BankKind::Music), QStringLiteral("Music.abk")));
  EXPECT_EQ(view.Label1->text(), "3 Music: 7 instruments, 1 songs, 27 patterns");
  ASSERT_GE(view.lstHex->count(), 3);
  EXPECT_EQ(view.lstHex->item(0)->text().trimmed(), "Song 1: GMC music!");
  EXPECT_EQ(view.lstHex->item(2)->text(), "Length: 5:21");
  const QString path = QString::fromStdString(folder.file("m.wav"));
  dialog->savePaths = {path};
  QString failure = QStringLiteral("not saved");
  QObject::connect(&view, &frmView::saved, [&](const QString&, const QString& why) { failure = why; });
  view.cmdSave_Click();
  ASSERT_TRUE(waitFor(&view, &frmView::saved, 20000));
  EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
  EXPECT_EQ(std::filesystem::file_size(path.toStdString()), 44u + 56'645'568u);
}

TEST_F(BankViewsTest, ClosingTheViewerEndsTheSoundAndARenderInFlight) {
  auto* viewer = new frmView;
  ASSERT_TRUE(viewer->showBank(bankOf("Music.abk", BankKind::Music), QStringLiteral("Music.abk")));
  viewer->show();
  viewer->cmdPlay_Click();
  viewer->close();  // deletes itself: the render thread is stopped and joined
  QCoreApplication::processEvents();
  SUCCEED();
}

TEST_F(BankViewsTest, ClosingWhileMusicIsBeingSavedStillWritesTheFile) {
  ASSERT_TRUE(view.showBank(bankOf("Music.abk", BankKind::Music), QStringLiteral("Music.abk")));
  view.show();
  const QString path = QString::fromStdString(folder.file("late.wav"));
  dialog->savePaths = {path};
  view.cmdSave_Click();
  view.close();
  EXPECT_EQ(std::filesystem::file_size(path.toStdString()), 44u + 56'645'568u);
}

TEST_F(BankViewsTest, EscapeClosesTheViewer) {
  QPointer<frmView> viewer = new frmView;
  ASSERT_TRUE(viewer->showBank(bankOf("PLay_Data.Abk", BankKind::Amal), QStringLiteral("PLay_Data.Abk")));
  viewer->show();
  viewer->activateWindow();
  QShortcutEvent shortcut(QKeySequence(Qt::Key_Escape), 0);
  QCoreApplication::sendEvent(viewer.data()->findChild<QShortcut*>(), &shortcut);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(viewer.isNull());
}

TEST_F(BankViewsTest, SamplesPlayAndStop) {
  ASSERT_TRUE(view.showBank(bankOf("Mixture.abk", BankKind::Samples), QStringLiteral("Mixture.abk")));
  EXPECT_TRUE(view.cmdPlay->isEnabled());
  view.cmdPlay_Click();
  EXPECT_TRUE(view.player()->playing() || view.lblPosition->text() == "No sound");
  view.cmdStop_Click();
  EXPECT_FALSE(view.player()->playing());
}

}  // namespace
}  // namespace zarvex
