// The outline dock on Qt's offscreen platform: its entries, the filter, the
// mark that follows the caret without asking for a jump, a jump on a click
// or Enter, and 10,000 entries filled and filtered without a freeze.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTreeWidget>
#include <chrono>

#include "outline_dock.h"

namespace zarvex {
namespace {

using Kind = OutlineEntry::Kind;

// The entries of a program with labels, procedures, a Latin-1 name and one
// entry that the listing does not reach (line 0).
std::vector<OutlineEntry> sample() {
  return {
      {Kind::Label, "START:", 3},           {Kind::Procedure, "_DRAW[X,Y]", 10}, {Kind::Label, "AGAIN:", 12},
      {Kind::Procedure, "_D\xC9J\xC0[A$]", 20}, {Kind::Label, "100", 20},          {Kind::Procedure, "_LOST", 0},
  };
}

std::vector<QString> shownNames(const OutlineDock& dock) {
  std::vector<QString> names;
  for (int i = 0; i < dock.lstOutline->topLevelItemCount(); ++i) {
    if (!dock.lstOutline->topLevelItem(i)->isHidden()) names.push_back(dock.lstOutline->topLevelItem(i)->text(0));
  }
  return names;
}

struct JumpCounter {
  explicit JumpCounter(OutlineDock& dock) {
    QObject::connect(&dock, &OutlineDock::jumpRequested, [this](int line) { lines.push_back(line); });
  }
  std::vector<int> lines;
};

void click(QTreeWidget* list, QTreeWidgetItem* item) {
  const QPoint at = list->visualItemRect(item).center();
  QMouseEvent press(QEvent::MouseButtonPress, at, list->viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &press);
  QApplication::sendEvent(list->viewport(), &release);
}

void pressEnter(QWidget* widget) {
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(widget, &enter);
}

TEST(OutlineDock, ShowsTheEntriesInOrderWithTheirLinesAndFiltersThem) {
  OutlineDock dock;
  EXPECT_EQ(dock.objectName(), "dckOutline");
  EXPECT_EQ(dock.windowTitle(), "Outline");
  EXPECT_EQ(dock.txtOutlineFilter->objectName(), "txtOutlineFilter");
  EXPECT_EQ(dock.lstOutline->objectName(), "lstOutline");
  dock.setOutline(sample());
  ASSERT_EQ(dock.lstOutline->topLevelItemCount(), 6);
  EXPECT_EQ(dock.lstOutline->topLevelItem(1)->text(0), "_DRAW[X,Y]");
  EXPECT_EQ(dock.lstOutline->topLevelItem(1)->text(1), "10");
  EXPECT_EQ(dock.lstOutline->topLevelItem(3)->text(0), QString::fromUtf8("_DÉJÀ[A$]"));
  EXPECT_EQ(dock.lstOutline->topLevelItem(5)->text(1), "");  // not in this listing

  // Any case, anywhere in the name; a filter that matches nothing empties
  // the list, and clearing it shows everything again.
  dock.txtOutlineFilter->setText("d");
  EXPECT_EQ(shownNames(dock), (std::vector<QString>{"_DRAW[X,Y]", QString::fromUtf8("_DÉJÀ[A$]")}));
  dock.txtOutlineFilter->setText(QString::fromUtf8("déj"));
  EXPECT_EQ(shownNames(dock), (std::vector<QString>{QString::fromUtf8("_DÉJÀ[A$]")}));
  dock.txtOutlineFilter->setText("zzz");
  EXPECT_TRUE(shownNames(dock).empty());
  // A new outline keeps the filter.
  dock.txtOutlineFilter->setText("a");
  dock.setOutline({{Kind::Label, "ALPHA:", 1}, {Kind::Label, "BETA:", 2}, {Kind::Label, "OMEGA:", 3}, {Kind::Label, "XYZ:", 4}});
  EXPECT_EQ(shownNames(dock), (std::vector<QString>{"ALPHA:", "BETA:", "OMEGA:"}));
  dock.txtOutlineFilter->clear();
  EXPECT_EQ(shownNames(dock).size(), 4u);
}

TEST(OutlineDock, MarksTheEntryHoldingALineWithoutAskingForAJump) {
  OutlineDock dock;
  dock.resize(300, 200);
  dock.show();
  JumpCounter jumps(dock);
  dock.setOutline(sample());
  dock.markLine(1);  // before the first entry
  EXPECT_EQ(dock.markedEntry(), -1);
  dock.markLine(3);
  EXPECT_EQ(dock.markedEntry(), 0);
  dock.markLine(11);
  EXPECT_EQ(dock.markedEntry(), 1);
  EXPECT_EQ(dock.lstOutline->currentItem(), dock.lstOutline->topLevelItem(1));
  EXPECT_TRUE(dock.lstOutline->topLevelItem(1)->font(0).bold());
  // Two entries on one line: the last of them; the entry without a line is
  // never marked, and the mark moves off the one before.
  dock.markLine(5000);
  EXPECT_EQ(dock.markedEntry(), 4);
  EXPECT_FALSE(dock.lstOutline->topLevelItem(1)->font(0).bold());
  EXPECT_TRUE(dock.lstOutline->topLevelItem(4)->font(0).bold());
  dock.markLine(0);
  EXPECT_EQ(dock.markedEntry(), -1);
  EXPECT_FALSE(dock.lstOutline->topLevelItem(4)->font(0).bold());
  EXPECT_TRUE(jumps.lines.empty());
}

TEST(OutlineDock, AClickOrEnterAsksForTheEntrysLine) {
  OutlineDock dock;
  dock.resize(300, 300);
  dock.show();
  JumpCounter jumps(dock);
  dock.setOutline(sample());
  click(dock.lstOutline, dock.lstOutline->topLevelItem(2));
  EXPECT_EQ(jumps.lines, (std::vector<int>{12}));
  // Enter on the current entry, and Enter in the filter box for the first
  // entry left in sight.
  dock.lstOutline->setCurrentItem(dock.lstOutline->topLevelItem(3));
  pressEnter(dock.lstOutline);
  EXPECT_EQ(jumps.lines, (std::vector<int>{12, 20}));
  dock.txtOutlineFilter->setText("dra");
  pressEnter(dock.txtOutlineFilter);
  EXPECT_EQ(jumps.lines, (std::vector<int>{12, 20, 10}));
  // An entry the listing does not reach asks for nothing.
  dock.txtOutlineFilter->setText("lost");
  pressEnter(dock.txtOutlineFilter);
  click(dock.lstOutline, dock.lstOutline->topLevelItem(5));
  EXPECT_EQ(jumps.lines.size(), 3u);
}

TEST(OutlineDock, TenThousandEntriesFillAndFilterWithoutAFreeze) {
  std::vector<OutlineEntry> entries;
  for (int i = 0; i < 10000; ++i) {
    entries.push_back({Kind::Procedure, "_PROC" + std::to_string(i) + "[A,B$]", 2 * i + 1});
  }
  OutlineDock dock;
  dock.resize(300, 400);
  dock.show();
  const auto start = std::chrono::steady_clock::now();
  dock.setOutline(entries);
  dock.markLine(15000);
  QApplication::processEvents();
  dock.txtOutlineFilter->setText("_PROC99");
  QApplication::processEvents();
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(dock.lstOutline->topLevelItemCount(), 10000);
  EXPECT_EQ(dock.markedEntry(), 7499);
  EXPECT_EQ(shownNames(dock).size(), 111u);  // 99, 990-999, 9900-9999
  // Generous: it takes a few tens of milliseconds on a machine busy with builds.
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 2000);
}

}  // namespace
}  // namespace zarvex
