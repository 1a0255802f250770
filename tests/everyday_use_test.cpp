// The window for everyday use: export, find, go to line, zoom, recent files,
// drops, the window remembered, the command line's load after the window
// shows, the lines in view kept by Highlight, and file names as bytes.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QStatusBar>
#include <QUrl>
#include <filesystem>
#include <sys/stat.h>

#include "amos_program_builder.h"
#include "corpus.h"
#include "demo_program.h"
#include "find_bar.h"
#include "rich_text_view.h"
#include "temp_folder.h"
#include "window_fakes.h"

namespace zarvex {
namespace {

using testing::TestWindow;
using testing::TokenLine;

constexpr std::uint16_t kPrint = 0x0476;

class EverydayUseTest : public ::testing::Test {
 protected:
  // `lines` lines: "Print "line N"", and every tenth "PRINT_TOTAL".
  std::string writeProgram(int lines, const std::string& name = "long.AMOS") {
    std::vector<TokenLine> program;
    for (int i = 0; i < lines; ++i) {
      if (i % 10 == 9) {
        program.push_back(TokenLine().name(testing::kTokProcedureCall, "print_total"));
      } else {
        program.push_back(TokenLine(2).token(kPrint).string("line " + std::to_string(i + 1)));
      }
    }
    const std::string path = folder.file(name);
    testing::writeFile(path, testing::amosFile(program));
    return path;
  }

  testing::TempFolder folder;
};

TEST_F(EverydayUseTest, SaveAsWritesTheFormatTheFileTypeNames) {
  const std::string program = folder.file("demo.AMOS");
  testing::writeFile(program, testing::demoProgram());
  TestWindow t(QString::fromStdString(program));
  frmZarvex& w = *t.window;
  EXPECT_TRUE(w.mnuSaveAs->isEnabled());
  EXPECT_TRUE(w.mnuExportTxt->isEnabled());
  EXPECT_TRUE(w.mnuExport->menuAction()->isEnabled());
  const std::string expectedText = testing::readBytes(program).empty() ? "" : w.txtOutput->plainText();
  for (const char* name : {"out.rtf", "out.txt", "out.asc", "out.html"}) {
    t.dialog->savePaths = {QString::fromStdString(folder.file(name))};
    w.mnuSaveAs_Click();
  }
  EXPECT_EQ(t.dialog->suggestions.front(), "demo.AMOS.rtf");
  EXPECT_TRUE(testing::readBytes(folder.file("out.rtf")).starts_with("{\\rtf1\\ansi\\ansicpg1252"));
  EXPECT_TRUE(testing::readBytes(folder.file("out.txt")).starts_with("` Zarvex demo: a bouncing ball\nRem  Open"));
  EXPECT_TRUE(testing::readBytes(folder.file("out.asc")).starts_with("' Zarvex demo: a bouncing ball\nRem Open"));
  const std::string page = testing::readBytes(folder.file("out.html"));
  EXPECT_TRUE(page.starts_with("<!DOCTYPE html>"));
  EXPECT_NE(page.find("<title>demo.AMOS</title>"), std::string::npos);

  // Export > TXT and RTF write their format whatever the name says.
  t.dialog->savePaths = {QString::fromStdString(folder.file("listing.doc"))};
  w.mnuExportTxt_Click();
  EXPECT_EQ(t.dialog->suggestions.back(), "demo.AMOS.txt");
  EXPECT_TRUE(testing::readBytes(folder.file("listing.doc")) == testing::readBytes(folder.file("out.txt")));
  t.dialog->savePaths = {QString::fromStdString(folder.file("listing.x"))};
  w.mnuExportRtf_Click();
  EXPECT_TRUE(testing::readBytes(folder.file("listing.x")) == testing::readBytes(folder.file("out.rtf")));
  EXPECT_TRUE(t.messages->shown.size() <= 1) << "no more than the load's summary";
}

TEST_F(EverydayUseTest, AFailedSaveSaysWhyAndLeavesNothing) {
  TestWindow t(QString::fromStdString(writeProgram(3)));
  frmZarvex& w = *t.window;
  t.messages->shown.clear();
  t.dialog->savePaths = {QString::fromStdString(folder.file("absent/out.rtf"))};
  w.mnuSaveAs_Click();
  ASSERT_EQ(t.messages->shown.size(), 1u);
  EXPECT_TRUE(t.messages->shown[0].text.startsWith("Cannot write")) << t.messages->shown[0].text.toStdString();
  EXPECT_TRUE(t.messages->shown[0].text.contains("out.rtf"));
  EXPECT_FALSE(std::filesystem::exists(folder.file("absent")));

  t.dialog->savePaths = {QString::fromStdString(folder.file("out.doc"))};
  w.mnuSaveAs_Click();
  ASSERT_EQ(t.messages->shown.size(), 2u);
  EXPECT_TRUE(t.messages->shown[1].text.contains(".rtf, .txt, .asc or .html"));
  EXPECT_FALSE(std::filesystem::exists(folder.file("out.doc")));

  // Before any listing there is nothing to save.
  TestWindow empty;
  EXPECT_FALSE(empty.window->mnuSaveAs->isEnabled());
}

TEST_F(EverydayUseTest, FindGoesNextAndPreviousWrapsAndMatchesCaseWhenAsked) {
  for (bool highlighted : {true, false}) {
    TestWindow t(QString::fromStdString(writeProgram(30)));
    frmZarvex& w = *t.window;
    w.show();
    if (!highlighted) w.mnuOptionHighlight_Click();
    w.mnuFind_Click();
    EXPECT_TRUE(w.findBar->isVisible());
    EXPECT_LT(w.txtOutput->geometry().bottom(), w.findBar->geometry().top()) << "the bar sits under the listing";
    w.findBar->txtFind->setText(QStringLiteral("print_total"));  // searching as one types
    EXPECT_EQ(w.txtOutput->currentLine(), 10);
    EXPECT_EQ(w.findBar->lblNote->text(), "3 matches");
    EXPECT_EQ(w.txtOutput->marks().size(), 3u) << "every match marked";
    w.mnuFindNext_Click();
    EXPECT_EQ(w.txtOutput->currentLine(), 20);
    w.mnuFindNext_Click();
    w.mnuFindNext_Click();
    EXPECT_EQ(w.txtOutput->currentLine(), 10);
    EXPECT_TRUE(w.findBar->lblNote->text().contains("wrapped to the top"));
    w.mnuFindPrevious_Click();
    EXPECT_EQ(w.txtOutput->currentLine(), 30);
    EXPECT_TRUE(w.findBar->lblNote->text().contains("wrapped to the bottom"));
    EXPECT_EQ(QString::fromStdString(w.txtOutput->selectedText()), "PRINT_TOTAL");

    w.findBar->chkMatchCase->setChecked(true);
    // The tick searches again at once: no count or marks of the old rule.
    EXPECT_EQ(w.findBar->lblNote->text(), "Not found");
    EXPECT_TRUE(w.txtOutput->marks().empty());
    EXPECT_FALSE(w.findBar->findNext());
    EXPECT_EQ(w.findBar->lblNote->text(), "Not found");
    w.findBar->chkMatchCase->setChecked(false);
    EXPECT_EQ(w.findBar->lblNote->text(), "3 matches");
    const int listingBottom = w.findBar->geometry().bottom();
    w.findBar->close();
    EXPECT_TRUE(w.txtOutput->marks().empty());
    EXPECT_EQ(w.txtOutput->geometry().bottom(), listingBottom) << "no empty band where the bar was";
  }
}

TEST_F(EverydayUseTest, FindWorksInTheCompleteStyleToo) {
  TestWindow t(QString::fromStdString(writeProgram(12)));
  frmZarvex& w = *t.window;
  w.mnuOptionComplete_Click();
  w.mnuFind_Click();
  w.findBar->txtFind->setText(QStringLiteral("\"line 12\""));
  EXPECT_EQ(w.txtOutput->currentLine(), 12);
}

TEST_F(EverydayUseTest, GoToLineCopyAndSelectAll) {
  TestWindow t(QString::fromStdString(writeProgram(40)));
  frmZarvex& w = *t.window;
  w.goToLine(25);
  EXPECT_EQ(w.txtOutput->currentLine(), 25);
  EXPECT_EQ(w.txtOutput->caretPosition(), w.txtOutput->lineStart(25)) << "at the line's start";
  w.goToLine(1000);
  EXPECT_EQ(w.txtOutput->currentLine(), 41) << "past the end: the last line";
  w.mnuSelectAll->trigger();
  EXPECT_EQ(w.txtOutput->selectionLength(), static_cast<std::int32_t>(w.txtOutput->plainText().size()));
}

TEST_F(EverydayUseTest, ZoomChangesTheListingsSizeAndIsRemembered) {
  auto settings = testing::freshSettings();
  {
    TestWindow first(QString(), settings);
    const double normal = first.window->txtOutput->font().pointSizeF();
    first.window->mnuZoomIn->trigger();
    first.window->mnuZoomIn->trigger();
    EXPECT_GT(first.window->txtOutput->font().pointSizeF(), normal);
    for (int i = 0; i < 30; ++i) first.window->mnuZoomIn->trigger();
    EXPECT_EQ(first.window->txtOutput->zoomStep(), RichTextView::kLargestZoom) << "the ladder has an end";
    first.window->zoomNormal();
    EXPECT_DOUBLE_EQ(first.window->txtOutput->font().pointSizeF(), normal);
    first.window->mnuZoomOut->trigger();
  }
  TestWindow second(QString(), settings);
  EXPECT_EQ(second.window->txtOutput->zoomStep(), -1);
}

TEST_F(EverydayUseTest, OpenRecentKeepsTenAndDropsMissingFilesWithANote) {
  TestWindow t;
  frmZarvex& w = *t.window;
  for (int i = 0; i < 12; ++i) {
    t.dialog->paths = {QString::fromStdString(writeProgram(1, "p" + std::to_string(i) + ".AMOS"))};
    w.mnuOpen_Click();
  }
  emit w.mnuRecent->aboutToShow();
  QList<QAction*> items = w.mnuRecent->actions();
  ASSERT_EQ(items.size(), 10);
  EXPECT_TRUE(items[0]->text().endsWith("p11.AMOS"));
  EXPECT_TRUE(items[9]->text().endsWith("p2.AMOS"));
  std::filesystem::remove(folder.file("p10.AMOS"));
  emit w.mnuRecent->aboutToShow();
  items = w.mnuRecent->actions();
  ASSERT_EQ(items.size(), 9);
  EXPECT_TRUE(w.statusBar()->currentMessage().contains("no longer exist")) << w.statusBar()->currentMessage().toStdString();
  items[3]->trigger();  // p7
  EXPECT_TRUE(w.windowTitle().endsWith("p7.AMOS"));

  // The list lives on in the settings.
  TestWindow later(QString(), t.settings);
  emit later.window->mnuRecent->aboutToShow();
  ASSERT_EQ(later.window->mnuRecent->actions().size(), 9);
  EXPECT_TRUE(later.window->mnuRecent->actions()[0]->text().endsWith("p7.AMOS"));
}

TEST_F(EverydayUseTest, ARecentFileGoneWhenChosenLeavesTheListWithANote) {
  TestWindow t;
  frmZarvex& w = *t.window;
  const std::string path = writeProgram(2, "gone.AMOS");
  w.openDropped(path);
  w.mnuClose_Click();
  emit w.mnuRecent->aboutToShow();
  ASSERT_EQ(w.mnuRecent->actions().size(), 1);
  std::filesystem::remove(path);
  t.messages->shown.clear();
  w.mnuRecent->actions()[0]->trigger();
  EXPECT_TRUE(t.messages->shown.empty()) << "a note, not an error box";
  EXPECT_TRUE(w.statusBar()->currentMessage().contains("no longer exists")) << w.statusBar()->currentMessage().toStdString();
  emit w.mnuRecent->aboutToShow();
  EXPECT_TRUE(w.mnuRecent->actions().isEmpty());
}

TEST_F(EverydayUseTest, DroppingAProgramOrABankFileOpensIt) {
  TestWindow t;
  frmZarvex& w = *t.window;
  // What a drop hands on: the dropped file's path (the URL's bytes).
  const auto drop = [&](const std::string& path) { w.openDropped(path); };
  drop(writeProgram(2, "dropped.AMOS"));
  EXPECT_TRUE(w.windowTitle().endsWith("dropped.AMOS"));
  const std::string bank = folder.file("sprites.abk");
  const testing::Bytes demo = testing::demoProgram();
  // The demo's first bank, alone in a file.
  const auto set = std::search(demo.begin(), demo.end(), std::begin("AmSp"), std::end("AmSp") - 1);
  testing::writeFile(bank, testing::Bytes(set, set + 750));
  drop(bank);
  ASSERT_EQ(w.lstBanks->count(), 1);
  EXPECT_TRUE(w.lstBanks->item(0)->text().contains("Sprites"));
  // The bank file has a tab of its own; the program's stays in its own.
  EXPECT_TRUE(w.windowTitle().endsWith("sprites.abk"));
  ASSERT_EQ(w.tabCount(), 2);
  w.tabFiles->setCurrentIndex(0);
  EXPECT_TRUE(w.windowTitle().endsWith("dropped.AMOS")) << "the listing stays";
  EXPECT_EQ(w.lstBanks->count(), 0);

  // A FIFO is refused at once, not waited on.
  const std::string fifo = folder.file("fifo.AMOS");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  t.messages->shown.clear();
  drop(fifo);
  ASSERT_EQ(t.messages->shown.size(), 1u);
  EXPECT_TRUE(t.messages->shown[0].text.contains("is not a file")) << t.messages->shown[0].text.toStdString();
}

TEST_F(EverydayUseTest, TheWindowComesBackWhereAndAsLargeAsItWasLeft) {
  auto settings = testing::freshSettings();
  {
    TestWindow first(QString(), settings);
    first.window->show();
    EXPECT_EQ(first.window->client()->size(), QSize(568, 480)) << "the first run keeps the initial size";
    first.window->resize(900, 700);
    first.window->close();
  }
  TestWindow second(QString(), settings);
  EXPECT_EQ(second.window->size(), QSize(900, 700));
}

TEST_F(EverydayUseTest, TheCommandLinesLoadComesAfterTheWindowShows) {
  const std::string program = folder.file("demo.AMOS");
  testing::writeFile(program, testing::demoProgram());
  TestWindow t;
  t.window->showThenOpen("\"" + program + "\"");
  for (int i = 0; i < 50 && t.messages->shown.empty(); ++i) QApplication::processEvents();
  ASSERT_FALSE(t.messages->shown.empty());
  EXPECT_TRUE(t.messages->shown[0].text.startsWith("Document contains"));
  EXPECT_TRUE(t.messages->shown[0].overVisibleWindow);
}

TEST_F(EverydayUseTest, SwitchesKeepTheLinesInView) {
  TestWindow t(QString::fromStdString(writeProgram(3000)));
  frmZarvex& w = *t.window;
  w.show();
  QApplication::processEvents();
  w.txtOutput->setSelectionStart(10);  // the caret far above what is shown
  w.txtOutput->verticalScrollBar()->setValue(2000);
  ASSERT_EQ(w.txtOutput->verticalScrollBar()->value(), 2000);
  for (int flip = 0; flip < 2; ++flip) {
    w.mnuOptionHighlight_Click();
    EXPECT_EQ(w.txtOutput->verticalScrollBar()->value(), 2000) << "flip " << flip;
    w.mnuOptionComplete_Click();
    EXPECT_EQ(w.txtOutput->verticalScrollBar()->value(), 2000) << "style flip " << flip;
  }
}

TEST_F(EverydayUseTest, FileNamesThatAreNotUtf8Open) {
  const std::string name = folder.file("caf\xe9.AMOS");  // ISO-8859-1, not UTF-8
  testing::writeFile(name, testing::amosFile({TokenLine().token(kPrint)}));
  TestWindow t;
  t.window->openCommandLine(name);
  EXPECT_TRUE(t.messages->shown.empty()) << t.messages->shown[0].text.toStdString();
  EXPECT_EQ(t.window->FileLength(), static_cast<std::int32_t>(std::filesystem::file_size(name)));
  EXPECT_EQ(t.window->txtOutput->plainText(), "Print \n");
  // Open Recent gives the same bytes back.
  emit t.window->mnuRecent->aboutToShow();
  ASSERT_EQ(t.window->mnuRecent->actions().size(), 1);
  t.window->mnuRecent->actions()[0]->trigger();
  EXPECT_TRUE(t.messages->shown.empty());
}

}  // namespace
}  // namespace zarvex
