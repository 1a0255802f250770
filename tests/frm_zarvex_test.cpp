// The main window on Qt's offscreen platform: menus, layout, command line,
// Open and Import, load failures, and real programs shown in the pane.
#include "frm_zarvex.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTabBar>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <filesystem>
#include <optional>
#include <vector>

#include "amos_program_builder.h"
#include "bank_builder.h"
#include "corpus.h"
#include "rich_text_view.h"
#include "rtf_text.h"
#include "temp_folder.h"
#include "window_fakes.h"

namespace zarvex {
namespace {

using testing::TestWindow;
using testing::TokenLine;

QRect geometryOf(const QWidget* w) { return w->geometry(); }

class FrmZarvexTest : public ::testing::Test {
 protected:
  void SetUp() override { m_startFolder = std::filesystem::current_path(); }
  void TearDown() override { std::filesystem::current_path(m_startFolder); }

  // A small program; returns its path.
  std::string writeProgram(const std::string& name) {
    const std::string path = folder.file(name);
    testing::writeFile(path, testing::programFile("T", {TokenLine().token(0x0476).string("Hi").decimal(7)}));
    return path;
  }

  testing::TempFolder folder;

 private:
  std::filesystem::path m_startFolder;
};

TEST_F(FrmZarvexTest, MenuTreeMatchesTheCommandsOffered) {
  TestWindow t;
  frmZarvex& w = *t.window;
  struct Item {
    QAction* action;
    const char* caption;
    bool enabled;
  };
  const QList<QAction*> top = w.menuBar()->actions();
  ASSERT_EQ(top.size(), 5);
  EXPECT_EQ(top[0]->text(), "&File");
  EXPECT_EQ(top[1]->text(), "&Edit");
  EXPECT_EQ(top[2]->text(), "&View");
  EXPECT_EQ(top[3]->text(), "&Options");
  EXPECT_EQ(top[4]->text(), "&Help");
  const QList<QAction*> file = w.mnuFile->actions();
  ASSERT_EQ(file.size(), 10);
  const std::vector<Item> fileItems = {
      {w.mnuOpen, "&Open...", true},
      {w.mnuOpenFolder, "Open &Folder...", true},
      {w.mnuClose, "&Close", false},  // nothing open to close
      {w.mnuRecent->menuAction(), "Open &Recent", false},  // nothing opened yet
      {w.mnuSaveAs, "Save &As...", false},
      {w.mnuSep1, "", true},
      {w.mnuImport->menuAction(), "&Import", true},
      {w.mnuExport->menuAction(), "&Export", false},
      {w.mnuSep2, "", true},
      {w.mnuExit, "E&xit", true}};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(file[i], fileItems[i].action) << i;
    EXPECT_EQ(file[i]->text(), fileItems[i].caption) << i;
    EXPECT_EQ(file[i]->isEnabled(), fileItems[i].enabled) << fileItems[i].caption;
    EXPECT_TRUE(file[i]->isVisible());
  }
  // Separators are plain lines: no caption.
  for (QAction* separator : {w.mnuSep1, w.mnuSep2, w.mnuSep3}) {
    EXPECT_TRUE(separator->isSeparator());
    EXPECT_TRUE(separator->text().isEmpty());
  }
  ASSERT_EQ(w.mnuImport->actions().size(), 2);
  EXPECT_EQ(w.mnuImport->actions()[0]->text(), "&AMOS File...");
  EXPECT_TRUE(w.mnuImportAmos->isEnabled());
  EXPECT_EQ(w.mnuImport->actions()[1]->text(), "A&BK File...");
  EXPECT_TRUE(w.mnuImportAbk->isEnabled());
  ASSERT_EQ(w.mnuExport->actions().size(), 2);
  EXPECT_EQ(w.mnuExportTxt->text(), "&TXT File...");
  EXPECT_EQ(w.mnuExportRtf->text(), "&RTF File...");
  EXPECT_FALSE(w.mnuExportTxt->isEnabled());
  EXPECT_FALSE(w.mnuExportRtf->isEnabled());
  EXPECT_EQ(w.mnuEdit->actions(),
            (QList<QAction*>{w.mnuCopy, w.mnuSelectAll, w.mnuSep3, w.mnuFind, w.mnuFindNext, w.mnuFindPrevious, w.mnuGoToLine,
                             w.mnuFindInFiles}));
  EXPECT_EQ(w.mnuView->actions(),
            (QList<QAction*>{w.mnuZoomIn, w.mnuZoomOut, w.mnuZoomNormal, w.mnuSep4, w.mnuLineNumbers, w.mnuNavigator,
                             w.mnuOutline}));
  EXPECT_TRUE(w.mnuLineNumbers->isChecked()) << "line numbers are on at first";
  ASSERT_EQ(w.mnuOptions->actions().size(), 2);
  EXPECT_EQ(w.mnuOptions->actions()[0], w.mnuOptionHighlight);
  EXPECT_EQ(w.mnuOptionHighlight->text(), "&Highlight");
  EXPECT_TRUE(w.mnuOptionHighlight->isCheckable());
  EXPECT_TRUE(w.mnuOptionHighlight->isChecked());
  EXPECT_EQ(w.mnuOptions->actions()[1], w.mnuOptionComplete);
  EXPECT_EQ(w.mnuOptionComplete->text(), "&Complete Vocabulary");
  EXPECT_TRUE(w.mnuOptionComplete->isCheckable());
  EXPECT_FALSE(w.mnuOptionComplete->isChecked()) << "Classic is the first run's style";

  // The shortcuts, and none elsewhere.
  const std::vector<std::pair<QAction*, QKeySequence>> shortcuts = {
      {w.mnuOpen, QKeySequence(Qt::CTRL | Qt::Key_O)},        {w.mnuCopy, QKeySequence::Copy},
      {w.mnuSelectAll, QKeySequence::SelectAll},              {w.mnuFind, QKeySequence(Qt::CTRL | Qt::Key_F)},
      {w.mnuFindNext, QKeySequence(Qt::Key_F3)},              {w.mnuFindPrevious, QKeySequence(Qt::SHIFT | Qt::Key_F3)},
      {w.mnuGoToLine, QKeySequence(Qt::CTRL | Qt::Key_G)},    {w.mnuZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Plus)},
      {w.mnuZoomOut, QKeySequence(Qt::CTRL | Qt::Key_Minus)}, {w.mnuZoomNormal, QKeySequence(Qt::CTRL | Qt::Key_0)},
      {w.mnuClose, QKeySequence(Qt::CTRL | Qt::Key_W)},
      {w.mnuSaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
      {w.mnuExit, QKeySequence(Qt::CTRL | Qt::Key_Q)},
      {w.mnuFindInFiles, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F)},
      {w.mnuOutline, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)}};
  for (QAction* action : w.findChildren<QAction*>()) {
    const auto it = std::find_if(shortcuts.begin(), shortcuts.end(), [&](const auto& s) { return s.first == action; });
    if (it != shortcuts.end()) {
      EXPECT_EQ(action->shortcut(), it->second) << action->text().toStdString();
    } else if (!action->shortcut().isEmpty()) {
      ADD_FAILURE() << action->text().toStdString() << " has a shortcut";
    }
  }
}

TEST_F(FrmZarvexTest, ControlsStartAtTheirDesignPlacesAndStates) {
  TestWindow t;
  frmZarvex& w = *t.window;
  EXPECT_EQ(geometryOf(w.txtOutput), QRect(0, 0, 568, 416));
  EXPECT_EQ(geometryOf(w.lstBanks), QRect(4, 420, 476, 56));
  EXPECT_EQ(geometryOf(w.cmdViewBank), QRect(484, 420, 80, 23));
  EXPECT_EQ(geometryOf(w.cmdSaveBank), QRect(484, 444, 80, 24));
  EXPECT_EQ(w.cmdViewBank->text(), "View Bank");
  EXPECT_EQ(w.cmdSaveBank->text(), "Save Bank...");
  EXPECT_FALSE(w.lstBanks->isEnabled());
  EXPECT_FALSE(w.cmdViewBank->isEnabled());
  EXPECT_FALSE(w.cmdSaveBank->isEnabled());
  EXPECT_EQ(w.lstBanks->count(), 0);
  {
    // Typing never changes what is shown.
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QApplication::sendEvent(w.txtOutput, &typed);
    EXPECT_EQ(w.txtOutput->plainText(), "");
  }
  EXPECT_EQ(w.txtOutput->font().family(), "Courier New");
  EXPECT_DOUBLE_EQ(w.txtOutput->font().pointSizeF(), 8.25);
  const std::initializer_list<QWidget*> controls = {w.txtOutput, w.lstBanks, w.cmdViewBank, w.cmdSaveBank};
  EXPECT_EQ(testing::nextInTabOrder(w.txtOutput, controls), w.lstBanks);
  EXPECT_EQ(testing::nextInTabOrder(w.lstBanks, controls), w.cmdViewBank);
  EXPECT_EQ(testing::nextInTabOrder(w.cmdViewBank, controls), w.cmdSaveBank);
  EXPECT_EQ(w.windowTitle(), "Zarvex v0.38");
}

TEST_F(FrmZarvexTest, LayoutRuleFollowsTheClientAreaAboveItsThresholds) {
  TestWindow t;
  frmZarvex& w = *t.window;
  w.show();
  QWidget* client = w.client();
  EXPECT_EQ(client->size(), QSize(568, 480)) << "the client area starts at 568 x 480";
  EXPECT_EQ(geometryOf(w.txtOutput), QRect(0, 0, 568, 412));
  EXPECT_EQ(geometryOf(w.lstBanks), QRect(4, 420, 477, 56));
  EXPECT_EQ(geometryOf(w.cmdViewBank), QRect(485, 420, 80, 23));
  EXPECT_EQ(geometryOf(w.cmdSaveBank), QRect(485, 444, 80, 24));

  client->resize(110, 128);
  EXPECT_EQ(geometryOf(w.txtOutput), QRect(0, 0, 110, 60));
  EXPECT_EQ(geometryOf(w.lstBanks), QRect(4, 68, 19, 56));
  EXPECT_EQ(geometryOf(w.cmdViewBank), QRect(27, 68, 80, 23));
  EXPECT_EQ(geometryOf(w.cmdSaveBank), QRect(27, 92, 80, 24));

  client->resize(109, 127);  // both below their thresholds: nothing moves
  EXPECT_EQ(geometryOf(w.txtOutput), QRect(0, 0, 110, 60));
  EXPECT_EQ(geometryOf(w.lstBanks), QRect(4, 68, 19, 56));
  EXPECT_EQ(geometryOf(w.cmdSaveBank), QRect(27, 92, 80, 24));

  client->resize(300, 127);  // only the width rule applies
  EXPECT_EQ(geometryOf(w.txtOutput), QRect(0, 0, 300, 60));
  EXPECT_EQ(geometryOf(w.cmdViewBank), QRect(217, 68, 80, 23));

  client->resize(0, 0);  // minimised
  EXPECT_EQ(geometryOf(w.txtOutput), QRect(0, 0, 300, 60));
  EXPECT_EQ(geometryOf(w.lstBanks), QRect(4, 68, 209, 56));
}

struct CommandLineCase {
  const char* what;
  std::string commandLine;  // "@" stands for the temporary folder
  std::string loaded;       // file name expected in the title, "" for no load
};

TEST_F(FrmZarvexTest, CommandLineNamesOneFileWithOptionalQuotes) {
  for (const char* name : {"demo.AMOS", "my prog.AMOS", " demo.AMOS "}) writeProgram(name);
  const std::string at = folder.path().string() + "/";
  const std::vector<CommandLineCase> cases = {
      {"empty", "", ""},
      {"blanks only", "   ", ""},
      {"plain path", at + "demo.AMOS", "demo.AMOS"},
      {"quoted path with blanks", "  \"" + at + "my prog.AMOS\"  ", "my prog.AMOS"},
      {"two quotes", "\"\"", ""},
      {"one quote", " \" ", ""},
      {"unterminated quote loses its last character", "\"" + at + "demo.AMOSX", "demo.AMOS"},
      {"blanks inside quotes stay", "\" demo.AMOS \"", " demo.AMOS "},
      {"relative path", "demo.AMOS", "demo.AMOS"},
  };
  for (const auto& c : cases) {
    std::filesystem::current_path(folder.path());  // where the program was "started"
    TestWindow t(QString::fromStdString(c.commandLine));
    const QString expectedTitle =
        c.loaded.empty() ? QString("Zarvex v0.38") : QString::fromStdString("Zarvex - " + c.loaded);
    EXPECT_EQ(t.window->windowTitle(), expectedTitle) << c.what;
    EXPECT_TRUE(t.messages->shown.empty()) << c.what << ": " << t.messages->shown.front().text.toStdString();
    EXPECT_EQ(t.window->txtOutput->plainText(), c.loaded.empty() ? "" : "Print \"Hi\"7\n") << c.what;
  }
}

TEST_F(FrmZarvexTest, CommandLineLoadFailureIsReportedThenWindowStaysEmpty) {
  TestWindow t(QString::fromStdString(folder.file("absent.AMOS")));
  ASSERT_EQ(t.messages->shown.size(), 1u);
  const auto& shown = t.messages->shown[0];
  EXPECT_TRUE(shown.text.startsWith("Error loading file:\r\nFile not found: ")) << shown.text.toStdString();
  EXPECT_EQ(shown.icon, MessageIcon::Exclamation);
  EXPECT_EQ(shown.buttons, MessageButtons::Ok);
  EXPECT_EQ(shown.caption, "Zarvex");
  EXPECT_EQ(t.window->txtOutput->plainText(), "");
  EXPECT_TRUE(t.window->RtfDocument().empty());
}

TEST_F(FrmZarvexTest, OpenThenCancelChangesNothing) {
  TestWindow t(QString::fromStdString(writeProgram("demo.AMOS")));
  const std::string document = t.window->RtfDocument();
  const QString title = t.window->windowTitle();
  t.window->mnuOpen->trigger();
  EXPECT_EQ(t.dialog->opened, 1);
  EXPECT_TRUE(t.messages->shown.empty());
  EXPECT_EQ(t.window->RtfDocument(), document);
  EXPECT_EQ(t.window->windowTitle(), title);
  EXPECT_EQ(t.window->txtOutput->plainText(), "Print \"Hi\"7\n");
}

TEST_F(FrmZarvexTest, OpenAndImportLoadTheSameWayThroughOneDialog) {
  const std::string path = writeProgram("demo.AMOS");
  TestWindow open, import;
  open.dialog->paths = {QString::fromStdString(path)};
  import.dialog->paths = {QString::fromStdString(path)};
  open.window->mnuOpen->trigger();
  import.window->mnuImportAmos->trigger();
  EXPECT_EQ(open.window->RtfDocument(), import.window->RtfDocument());
  EXPECT_EQ(open.window->windowTitle(), "Zarvex - demo.AMOS");
  EXPECT_EQ(import.window->windowTitle(), "Zarvex - demo.AMOS");
  EXPECT_EQ(open.window->FileLength(), import.window->FileLength());
  EXPECT_EQ(&open.window->dlgCommon, open.dialog.get());
  EXPECT_EQ(open.window->dlgCommon.filter(), "AMOS Source Files (*.AMOS) | *.amos");
}

TEST_F(FrmZarvexTest, DialogFilterMatchesAmosFilesRegardlessOfCase) {
  TestWindow t;
  const CommonDialog& dialog = t.window->dlgCommon;
  EXPECT_EQ(dialog.pattern(), "*.amos");
  EXPECT_EQ(dialog.qtNameFilter(), "AMOS Source Files (*.AMOS)");
  EXPECT_TRUE(dialog.matches("GAME.AMOS"));
  EXPECT_TRUE(dialog.matches("game.amos"));
  EXPECT_TRUE(dialog.matches("Game.Amos"));
  EXPECT_FALSE(dialog.matches("game.amos.txt"));
  EXPECT_FALSE(dialog.matches("game.abk"));
}

TEST(CommonDialogChoice, AFilterHoldsForItsCallOnlyAndCancellingIsNoPath) {
  testing::ScriptedDialog dialog;
  const QString own = QStringLiteral("AMOS Source Files (*.AMOS) | *.amos");
  const QString banks = QStringLiteral("AMOS Bank (*.abk) | *.abk");
  dialog.setFilter(own);
  dialog.savePaths = {QStringLiteral("/games/sprites.abk")};
  EXPECT_EQ(dialog.chooseSave(nullptr, banks, QStringLiteral("sprites.abk")), QStringLiteral("/games/sprites.abk"));
  EXPECT_EQ(dialog.chooseSave(nullptr, banks, QStringLiteral("sprites.abk")), std::nullopt);  // cancelled
  dialog.paths = {QStringLiteral("/games/Game.AMOS")};
  EXPECT_EQ(dialog.chooseOpen(nullptr), QStringLiteral("/games/Game.AMOS"));
  EXPECT_EQ(dialog.chooseFolder(nullptr), std::nullopt);
  EXPECT_EQ(dialog.filtersShown, (std::vector<QString>{banks, banks, own}));
  EXPECT_EQ(dialog.filter(), own);

  // Another failure of an open dialog is thrown on for its caller to
  // report; one of a save or folder dialog is no path, as a cancel is (its
  // callers are slots that must not throw). The filter is back either way.
  class BrokenDialog : public testing::ScriptedDialog {
    QString showOpen(QWidget*) override { throw RuntimeError(kErrPathAccess, "No disk"); }
    QString showSave(QWidget*, const QString&) override { throw RuntimeError(kErrPathAccess, "No disk"); }
    QString showFolder(QWidget*) override { throw RuntimeError(kErrPathAccess, "No disk"); }
  } broken;
  broken.setFilter(own);
  EXPECT_THROW(broken.chooseOpen(nullptr, banks), RuntimeError);
  EXPECT_EQ(broken.chooseSave(nullptr, banks, QStringLiteral("a.abk")), std::nullopt);
  EXPECT_EQ(broken.chooseFolder(nullptr), std::nullopt);
  EXPECT_EQ(broken.filter(), own);
}

TEST_F(FrmZarvexTest, OpenFailuresAreReportedWithTheDescription) {
  TestWindow t;
  t.dialog->paths = {QString::fromStdString(folder.file("absent.AMOS"))};
  t.window->mnuOpen_Click();
  ASSERT_EQ(t.messages->shown.size(), 1u);
  EXPECT_TRUE(t.messages->shown[0].text.startsWith("Error loading file:\r\nFile not found: "));
  EXPECT_EQ(t.messages->shown[0].icon, MessageIcon::Exclamation);
}

TEST_F(FrmZarvexTest, FileOverTheLimitLeavesTitlePaneAndDocument) {
  const std::string path = writeProgram("demo.AMOS");
  TestWindow t(QString::fromStdString(path));
  const std::string document = t.window->RtfDocument();
  const auto bytes = t.window->FileBytes();
  testing::Bytes big(1048577, 0);
  testing::writeFile(folder.file("big.AMOS"), big);
  t.dialog->paths = {QString::fromStdString(folder.file("big.AMOS"))};
  t.window->mnuOpen_Click();
  ASSERT_EQ(t.messages->shown.size(), 1u);
  EXPECT_EQ(t.messages->shown[0].text, "File too big protection error");
  EXPECT_EQ(t.messages->shown[0].icon, MessageIcon::None);
  EXPECT_EQ(t.window->windowTitle(), "Zarvex - demo.AMOS");
  EXPECT_EQ(t.window->RtfDocument(), document);
  EXPECT_EQ(t.window->FileBytes(), bytes);
  EXPECT_EQ(t.window->txtOutput->plainText(), "Print \"Hi\"7\n");
}

TEST_F(FrmZarvexTest, HelpAboutNamesTheVersionAndTheLibrariesWithoutBlocking) {
  TestWindow t;
  frmZarvex& w = *t.window;
  w.mnuAbout->trigger();
  ASSERT_EQ(t.messages->shown.size(), 1u);
  const auto& about = t.messages->shown[0];
  EXPECT_EQ(about.caption, "About Zarvex");
  EXPECT_FALSE(about.waited) << "a note over the window";
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^Zarvex \\d+\\.\\d+")).match(about.text).hasMatch()) << about.text.toStdString();
  for (const char* library : {"Qt ", "libpng ", "zlib ", "libarchive", "libxmp"}) {
    EXPECT_TRUE(about.text.contains(QString::fromLatin1(library))) << library;
  }
}

TEST_F(FrmZarvexTest, DecoderMessagesUseTheProgramTitleAndNoIcon) {
  const std::string path = folder.file("ext.AMOS");
  testing::writeFile(path, testing::programFile("T", {TokenLine().integer(0x004E, 1).token(0x1234)}));
  TestWindow t(QString::fromStdString(path));
  ASSERT_EQ(t.messages->shown.size(), 1u);
  EXPECT_EQ(t.messages->shown[0].caption, "Zarvex");
  EXPECT_EQ(t.messages->shown[0].icon, MessageIcon::None);
  EXPECT_TRUE(t.messages->shown[0].text.startsWith("Document contains:\r\n 1 Extension calls\r\n 1 Undefined calls"));
}

// A program with an extension call, an unknown token and one data bank: its
// load ends with a summary.
std::string writeProgramWithSummary(const testing::TempFolder& folder, const std::string& name) {
  const std::string path = folder.file(name);
  testing::writeFile(path, testing::amosFileWithBanks({TokenLine().integer(0x004E, 1).token(0x1234)},
                                                      {testing::memoryBank(9, 1, "Datas   ", {1, 2, 3, 4})}));
  return path;
}

TEST_F(FrmZarvexTest, LoadSummaryComesOverTheFinishedWindowAndWaitsForNothing) {
  TestWindow t(QString::fromStdString(writeProgram("plain.AMOS")));
  frmZarvex& w = *t.window;
  ASSERT_TRUE(t.messages->shown.empty());
  struct Seen {
    int banks;
    std::string status, title, tab;
  };
  std::vector<Seen> seen;
  t.messages->whenShown = [&](const testing::ScriptedMessageBoxes::Shown&) {
    seen.push_back({w.lstBanks->count(), w.lblStatus->text().toStdString(), w.windowTitle().toStdString(),
                    w.tabFiles->tabText(w.tabFiles->currentIndex()).toStdString()});
  };
  t.dialog->paths = {QString::fromStdString(writeProgramWithSummary(folder, "ext.AMOS"))};
  w.mnuOpen_Click();

  ASSERT_EQ(t.messages->shown.size(), 1u);
  EXPECT_FALSE(t.messages->shown[0].waited) << "a note, not a modal box";
  EXPECT_TRUE(t.messages->shown[0].text.startsWith("Document contains:\r\n 1 Extension calls\r\n 1 Undefined calls"));
  EXPECT_EQ(t.messages->shown[0].caption, "Zarvex");
  ASSERT_EQ(seen.size(), 1u);
  // What the window showed as the note came is what it shows when the load is over.
  EXPECT_EQ(seen[0].banks, 1) << "the bank strip was the earlier file's";
  EXPECT_EQ(seen[0].banks, w.lstBanks->count());
  EXPECT_NE(seen[0].status.find("1 tokens undecoded"), std::string::npos) << seen[0].status;
  EXPECT_EQ(seen[0].status, w.lblStatus->text().toStdString());
  EXPECT_EQ(seen[0].title, "Zarvex - ext.AMOS");
  EXPECT_EQ(seen[0].tab, "ext.AMOS");

  // A style switch lists the file again without a note; the status bar says it.
  t.messages->shown.clear();
  w.mnuOptionComplete_Click();
  w.mnuOptionComplete_Click();
  EXPECT_TRUE(t.messages->shown.empty());
}

TEST_F(FrmZarvexTest, LoadSummaryIsAWindowModalBoxThatTheNextLoadReplaces) {
  // Qt's own boxes: a load that waited for its box would never return here.
  WindowServices services;
  services.dialog = std::make_shared<testing::ScriptedDialog>();
  services.settings = testing::freshSettings();
  frmZarvex w(QString(), services);
  w.show();
  const std::string path = writeProgramWithSummary(folder, "ext.AMOS");
  w.openDropped(path);
  const auto openNotes = [&w] {
    QList<QMessageBox*> open;
    for (QMessageBox* box : w.findChildren<QMessageBox*>()) {
      if (box->isVisible()) open.push_back(box);
    }
    return open;
  };
  ASSERT_EQ(openNotes().size(), 1);
  QPointer<QMessageBox> first = openNotes().front();
  EXPECT_EQ(first->windowModality(), Qt::WindowModal);
  EXPECT_EQ(first->windowTitle(), "Zarvex");
  EXPECT_EQ(first->icon(), QMessageBox::NoIcon);
  EXPECT_EQ(first->textFormat(), Qt::PlainText);
  EXPECT_TRUE(first->text().startsWith("Document contains:\n 1 Extension calls\n 1 Undefined calls"))
      << first->text().toStdString();
  EXPECT_EQ(w.lstBanks->count(), 1);

  // The same file read again: one note, the new one.
  w.openDropped(path);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(first.isNull()) << "the earlier note goes";
  ASSERT_EQ(openNotes().size(), 1);
  QPointer<QMessageBox> second = openNotes().front();
  second->button(QMessageBox::Ok)->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(second.isNull()) << "OK closes and deletes it";
  EXPECT_TRUE(w.findChildren<QMessageBox*>().isEmpty());
}

TEST_F(FrmZarvexTest, PaneShowsBoldAndColoursOfTheListing) {
  const std::string path = folder.file("colours.AMOS");
  testing::writeFile(path, testing::programFile("T", {TokenLine().token(0x0476).string("s").decimal(5).text(0x064A, "c"),
                                                      TokenLine().token(0x1234)}));
  TestWindow t(QString::fromStdString(path));
  RichTextView& view = *t.window->txtOutput;
  ASSERT_EQ(view.plainText(), "Print \"s\"5Rem c\n<!-- 4660 -->\n");
  using Look = RichTextView::Look;
  const QColor text = view.palette().color(QPalette::Text);
  EXPECT_EQ(view.lookAt(0), (Look{true, text}));
  EXPECT_EQ(view.lookAt(5), (Look{true, text})) << "the keyword's space";
  EXPECT_EQ(view.lookAt(6), (Look{false, QColor(0, 0, 255)}));
  EXPECT_EQ(view.lookAt(9), (Look{false, QColor(255, 0, 0)}));
  EXPECT_EQ(view.lookAt(10), (Look{false, QColor(127, 127, 127)}));
  EXPECT_EQ(view.lookAt(view.lineStart(2)), (Look{false, QColor(0, 127, 0)}));
}

TEST_F(FrmZarvexTest, RealProgramsShowTheirExpectedListings) {
  SKIP_WITHOUT_CORPUS();
  for (const char* name : {"Editor_Config.AMOS", "Accessories/Disc_Manager.AMOS"}) {
    const auto program = testing::corpusFolder() / name;
    TestWindow t(QString::fromStdString(program.string()));
    const auto expected = [&](const char* suffix) {
      return testing::readBytes(testing::corpusFolder() / "expected" / (std::string(name) + suffix));
    };
    EXPECT_TRUE(t.window->RtfDocument() == expected(".rtf")) << name;
    const QString plain = QString::fromLatin1(t.window->txtOutput->plainText());
    EXPECT_TRUE(plain.toUtf8().toStdString() == expected(".txt")) << name;
    EXPECT_EQ(t.window->windowTitle().toStdString(), "Zarvex - " + program.filename().string());
  }
}

TEST_F(FrmZarvexTest, ClosingTheMainWindowClosesEveryBankViewer) {
  TestWindow t;
  t.window->show();
  t.window->cmdViewBank_Click();
  t.window->cmdViewBank_Click();
  const auto viewers = t.window->findChildren<QWidget*>("frmView");
  ASSERT_EQ(viewers.size(), 2);
  for (QWidget* v : viewers) EXPECT_TRUE(v->isVisible());
  t.window->mnuExit->trigger();
  EXPECT_FALSE(t.window->isVisible());
  for (QWidget* v : t.window->findChildren<QWidget*>("frmView")) EXPECT_FALSE(v->isVisible());
}

}  // namespace
}  // namespace zarvex

namespace zarvex {
namespace {

TEST(FirstStart, TheEmptyPaneSaysHowToOpenAProgramAndTheWindowSuitsTheScreen) {
  testing::TestWindow t;
  EXPECT_TRUE(t.window->txtOutput->placeholderText().contains("File > Open"));
  t.window->showThenOpen(std::string());
  const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_GE(t.window->width(), room.width() * 3 / 4 - 1);
  EXPECT_GE(t.window->height(), room.height() * 3 / 4 - 1);
}

}  // namespace
}  // namespace zarvex
