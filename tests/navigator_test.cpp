// Disk images, archives and folders in the window: the navigator's tree, a
// member opened from memory with its title and Open Recent entry, the
// warnings of a damaged disk shown once, and the filter box.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>

#include "corpus.h"
#include "find_in_files_dialog.h"
#include "navigator_dock.h"
#include "outline.h"
#include "outline_dock.h"
#include "rich_text_view.h"
#include "window_fakes.h"

namespace zarvex {
namespace {

std::filesystem::path containerFolder() { return testing::corpusFolder().parent_path() / "containers"; }

#define SKIP_WITHOUT_CONTAINERS()                                               \
  if (!std::filesystem::exists(containerFolder() / "README.md")) GTEST_SKIP() \
      << "no containers at " << containerFolder()

// The item whose path of names from the top is `names`.
QTreeWidgetItem* itemAt(QTreeWidget* tree, const QStringList& names) {
  QTreeWidgetItem* found = nullptr;
  for (const QString& name : names) {
    QTreeWidgetItem* next = nullptr;
    const int count = found == nullptr ? tree->topLevelItemCount() : found->childCount();
    for (int i = 0; i < count; ++i) {
      QTreeWidgetItem* item = found == nullptr ? tree->topLevelItem(i) : found->child(i);
      if (item->text(0) == name) next = item;
    }
    if (next == nullptr) return nullptr;
    found = next;
  }
  return found;
}

TEST(Navigator, AnArchiveShowsAsATreeAndAProgramInItOpensFromMemory) {
  SKIP_WITHOUT_CONTAINERS();
  testing::TestWindow t;
  frmZarvex& w = *t.window;
  const std::string zip = (containerFolder() / "programs.zip").string();
  w.openDropped(zip);
  ASSERT_FALSE(w.dckNavigator->isHidden());
  QTreeWidget* tree = w.dckNavigator->tvwFiles;
  QTreeWidgetItem* program = itemAt(tree, {"Examples", "H-5", "Help_50.AMOS"});
  ASSERT_NE(program, nullptr);
  EXPECT_EQ(program->text(1), "program");
  QTreeWidgetItem* bank = itemAt(tree, {"Banks", "PLay_Data.Abk"});
  ASSERT_NE(bank, nullptr);
  EXPECT_EQ(bank->text(1), "bank");
  EXPECT_EQ(bank->text(2), "1452");
  // The disk inside the archive opens like a folder.
  EXPECT_NE(itemAt(tree, {"Disks", "small_dc.adf", "Sub", "Bank.abk"}), nullptr);
  ASSERT_NE(itemAt(tree, {"Disks", "small_dc.adf", "Sub", "Notes"}), nullptr);
  EXPECT_EQ(itemAt(tree, {"Disks", "small_dc.adf", "Sub", "Notes"})->text(1), "other");

  emit tree->itemClicked(program, 0);
  EXPECT_TRUE(w.RtfDocument() ==
              testing::readBytes(testing::corpusFolder() / "expected/Examples/Examples/H-5/Help_50.AMOS.rtf"));
  EXPECT_EQ(w.windowTitle(), "Zarvex - Help_50.AMOS");
  emit tree->itemClicked(bank, 0);
  EXPECT_EQ(w.Banks().banks.size(), 1u);

  // Open Recent names the member, and opens it again through its container.
  w.mnuRecent->aboutToShow();
  bool named = false;
  for (QAction* action : w.mnuRecent->actions()) named |= action->text().endsWith("programs.zip/Examples/H-5/Help_50.AMOS");
  EXPECT_TRUE(named);
  testing::TestWindow again;
  again.window->openDropped(zip + "/examples/h-5/help_50.amos");
  EXPECT_EQ(again.window->windowTitle(), "Zarvex - Help_50.AMOS");
  EXPECT_TRUE(again.messages->shown.size() <= 1);  // the load summary, no error
}

TEST(Navigator, ADamagedDiskListsWhatItCanAndItsWarningsShowOnce) {
  SKIP_WITHOUT_CONTAINERS();
  testing::TestWindow t;
  t.window->openDropped((containerFolder() / "damaged_range.adf").string());
  EXPECT_TRUE(t.messages->shown.empty()) << "no box per warning";
  EXPECT_FALSE(t.window->dckNavigator->cmdWarnings->isHidden());
  EXPECT_EQ(t.window->dckNavigator->cmdWarnings->text(), "17 warnings...");  // those of the expected list
  EXPECT_NE(itemAt(t.window->dckNavigator->tvwFiles, {"Sub"}), nullptr);

  // A refused disk is one message saying why.
  testing::TestWindow refused;
  refused.window->openDropped((containerFolder() / "ndos.adf").string());
  ASSERT_EQ(refused.messages->shown.size(), 1u);
  EXPECT_TRUE(refused.messages->shown[0].text.contains("track-loader")) << refused.messages->shown[0].text.toStdString();
}

TEST(Navigator, TheFilterKeepsTheNamesThatHoldItsText) {
  SKIP_WITHOUT_CONTAINERS();
  testing::TestWindow t;
  t.dialog->folders = {QString::fromStdString(containerFolder().string())};
  t.window->mnuOpenFolder_Click();
  NavigatorDock& navigator = *t.window->dckNavigator;
  ASSERT_FALSE(navigator.isHidden());
  navigator.txtFilter->setText(QStringLiteral("größe"));
  QTreeWidgetItem* kept = itemAt(navigator.tvwFiles, {"programs.tar", "Bänke", "Größe.abk"});
  ASSERT_NE(kept, nullptr);
  EXPECT_FALSE(kept->isHidden());
  QTreeWidgetItem* other = itemAt(navigator.tvwFiles, {"programs.tar", "Examples"});
  ASSERT_NE(other, nullptr);
  EXPECT_TRUE(other->isHidden());
  // A folder or container found by its name shows what it holds.
  navigator.txtFilter->setText(QStringLiteral("lha"));
  QTreeWidgetItem* inside = itemAt(navigator.tvwFiles, {"programs.lha", "Démo"});
  ASSERT_NE(inside, nullptr);
  EXPECT_FALSE(inside->isHidden());
  navigator.txtFilter->clear();
  EXPECT_FALSE(other->isHidden());
  // Folders first, then files, in name order without regard to case.
  QTreeWidgetItem* tar = itemAt(navigator.tvwFiles, {"programs.tar"});
  ASSERT_NE(tar, nullptr);
  ASSERT_EQ(tar->childCount(), 2);
  EXPECT_EQ(tar->child(0)->text(0), "Bänke");
  EXPECT_EQ(tar->child(1)->text(0), "Examples");
}

TEST(Navigator, OpenRecentCanBeUsedInTheSessionThatFilledIt) {
  SKIP_WITHOUT_CONTAINERS();
  testing::TestWindow t;
  EXPECT_FALSE(t.window->mnuRecent->isEnabled());
  t.window->openDropped((containerFolder() / "programs.tar").string());
  EXPECT_TRUE(t.window->mnuRecent->isEnabled());
  EXPECT_FALSE(t.window->dckNavigator->isHidden());
}

}  // namespace
}  // namespace zarvex

namespace zarvex {
namespace {

TEST(Tabs, EachFileHasItsTabAndOpeningItAgainShowsIt) {
  SKIP_WITHOUT_CORPUS();
  testing::TestWindow t;
  frmZarvex& w = *t.window;
  const auto program = [](const char* name) { return (testing::corpusFolder() / name).lexically_normal().string(); };
  w.openDropped(program("Tutorial/Tutorials/Fade.AMOS"));
  EXPECT_EQ(w.tabCount(), 1);
  EXPECT_TRUE(w.tabFiles->isHidden()) << "one file: no tabs shown";
  const std::string fade = w.RtfDocument();
  w.openDropped(program("Compiler/Tiny_Shell.AMOS"));
  EXPECT_EQ(w.tabCount(), 2);
  EXPECT_EQ(w.windowTitle(), "Zarvex - Tiny_Shell.AMOS");
  // The tab bar takes the top of the listing's place; the bank strip stays clear of it.
  w.resize(900, 600);
  w.Form_Resize();
  w.Form_Resize();
  EXPECT_FALSE(w.tabFiles->isHidden());
  EXPECT_EQ(w.txtOutput->geometry().top(), w.tabFiles->geometry().bottom() + 1);
  EXPECT_LT(w.txtOutput->geometry().bottom(), w.lstBanks->geometry().top());
  w.goToLine(40);
  const int caret = w.txtOutput->selectionStart();
  // Back to the first: its own listing and title; the second keeps its place.
  w.tabFiles->setCurrentIndex(0);
  EXPECT_EQ(w.windowTitle(), "Zarvex - Fade.AMOS");
  EXPECT_TRUE(w.RtfDocument() == fade);
  w.openDropped(program("Compiler/Tiny_Shell.AMOS"));
  EXPECT_EQ(w.tabCount(), 2) << "opening an open file shows its tab";
  EXPECT_EQ(w.tabFiles->currentIndex(), 1);
  EXPECT_EQ(w.txtOutput->selectionStart(), caret);
  // Each tab keeps its style.
  w.mnuOptionComplete_Click();
  EXPECT_EQ(w.listingStyle(), ListingStyle::Complete);
  w.tabFiles->setCurrentIndex(0);
  EXPECT_EQ(w.listingStyle(), ListingStyle::Classic);
  // Close: the other tab is shown; the last one stays, empty.
  w.mnuClose_Click();
  EXPECT_EQ(w.tabCount(), 1);
  EXPECT_EQ(w.windowTitle(), "Zarvex - Tiny_Shell.AMOS");
  w.mnuClose_Click();
  EXPECT_EQ(w.tabCount(), 1);
  EXPECT_TRUE(w.RtfDocument().empty());
  EXPECT_FALSE(w.mnuSaveAs->isEnabled());
  // A file that cannot be opened leaves no tab behind.
  w.openDropped(program("Tutorial/Tutorials/Fade.AMOS"));
  w.openDropped("/no/such/file.AMOS");
  EXPECT_EQ(w.tabCount(), 1);
  EXPECT_EQ(w.windowTitle(), "Zarvex - Fade.AMOS");
}

}  // namespace
}  // namespace zarvex

namespace zarvex {
namespace {

TEST(OutlineInTheWindow, FollowsTheCaretAndJumpsToAProcedure) {
  SKIP_WITHOUT_CORPUS();
  testing::TestWindow t;
  frmZarvex& w = *t.window;
  w.openDropped((testing::corpusFolder() / "Accessories/Disc_Manager.AMOS").lexically_normal().string());
  w.mnuOutline->trigger();
  ASSERT_FALSE(w.dckOutline->outline().empty());
  const auto& entries = w.dckOutline->outline();
  const auto alert = std::find_if(entries.begin(), entries.end(), [](const OutlineEntry& e) { return e.name == "_ALERT[A$,N]"; });
  ASSERT_NE(alert, entries.end());
  emit w.dckOutline->jumpRequested(alert->line);
  EXPECT_EQ(w.txtOutput->currentLine(), alert->line);
  EXPECT_EQ(w.dckOutline->markedEntry(), static_cast<int>(alert - entries.begin()));
  // The complete style numbers its own lines; the entries stay.
  const std::size_t count = entries.size();
  w.mnuOptionComplete_Click();
  EXPECT_EQ(w.dckOutline->outline().size(), count);
}

TEST(FindInFilesInTheWindow, AResultOpensItsProgramAtItsLine) {
  SKIP_WITHOUT_CORPUS();
  testing::TestWindow t;
  frmZarvex& w = *t.window;
  w.mnuFindInFiles_Click();
  ASSERT_NE(w.findInFiles(), nullptr);
  const std::string program = (testing::corpusFolder() / "Tutorial/Tutorials/Fade.AMOS").lexically_normal().string();
  emit w.findInFiles()->openRequested(program, 12);
  EXPECT_EQ(w.windowTitle(), "Zarvex - Fade.AMOS");
  EXPECT_EQ(w.txtOutput->currentLine(), 12);
}

}  // namespace
}  // namespace zarvex
