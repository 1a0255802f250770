// The Find in Files dialog: a search over the corpus shows the core's hits
// with their matches marked, Cancel and closing stop the search's thread,
// the window keeps answering while tens of thousands of hits arrive, and a
// hit chosen asks to be opened at its line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "corpus.h"
#include "find_in_files_dialog.h"
#include "program_search.h"

namespace zarvex {
namespace {

std::string corpusName() { return testing::corpusFolder().lexically_normal().string(); }

std::filesystem::path containerFolder() { return testing::corpusFolder().parent_path() / "containers"; }

// Waits, serving the window's events, until the dialog's search has ended.
bool waitForSearch(FindInFilesDialog& dialog, int milliseconds = 60'000) {
  if (dialog.searching()) {
    QEventLoop loop;
    QObject::connect(&dialog, &FindInFilesDialog::searchFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return !dialog.searching();
}

std::vector<SearchHit> coreHits(const std::string& place, const std::string& text, bool ignoreCase, ListingStyle style) {
  std::vector<SearchHit> hits;
  searchPrograms({place}, text, ignoreCase, style, [&](const SearchHit& hit) { hits.push_back(hit); }, {}, {});
  return hits;
}

void find(FindInFilesDialog& dialog, const std::string& place, const QString& text, bool matchCase, ListingStyle style) {
  dialog.setPlace(QString::fromStdString(place));
  dialog.setStyle(style);
  dialog.txtFindWhat->setText(text);
  dialog.chkMatchCase->setChecked(matchCase);
  ASSERT_TRUE(dialog.cmdFind->isEnabled());
  dialog.cmdFind->click();
}

TEST(FindInFiles, ASearchOverTheCorpusShowsTheCoresHitsWithTheirMatchesMarked) {
  SKIP_WITHOUT_CORPUS();
  FindInFilesDialog dialog;
  EXPECT_EQ(dialog.objectName(), "dlgFindInFiles");
  EXPECT_EQ(dialog.windowTitle(), "Find in Files");
  EXPECT_FALSE(dialog.cmdFind->isEnabled());  // nothing to find yet
  dialog.show();
  for (const ListingStyle style : {ListingStyle::Complete, ListingStyle::Classic}) {
    for (const bool matchCase : {true, false}) {
      find(dialog, corpusName(), QStringLiteral("Rainbow"), matchCase, style);
      ASSERT_TRUE(waitForSearch(dialog));
      const auto hits = coreHits(corpusName(), "Rainbow", !matchCase, style);
      ASSERT_FALSE(hits.empty());
      ASSERT_EQ(dialog.lstResults->topLevelItemCount(), static_cast<int>(hits.size()));
      EXPECT_EQ(dialog.summary().hits, static_cast<std::int64_t>(hits.size()));
      EXPECT_FALSE(dialog.summary().cancelled);
      for (int i = 0; i < dialog.lstResults->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = dialog.lstResults->topLevelItem(i);
        EXPECT_EQ(item->data(0, FindInFilesDialog::kFileRole).toByteArray().toStdString(), hits[i].file);
        EXPECT_EQ(item->text(0).toStdString(), hits[i].file.substr(corpusName().size() + 1));
        EXPECT_EQ(item->data(0, FindInFilesDialog::kLineRole).toInt(), hits[i].line);
        EXPECT_EQ(item->text(1), QString::number(hits[i].line));
        // The line as listed, its indentation left out, the match where it is.
        const QString text = item->text(2);
        EXPECT_TRUE(QString::fromStdString(hits[i].text).endsWith(text));
        const QString match = text.mid(item->data(2, FindInFilesDialog::kColumnRole).toInt(),
                                       item->data(2, FindInFilesDialog::kLengthRole).toInt());
        EXPECT_EQ(match.compare(QStringLiteral("Rainbow"), matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive), 0)
            << text.toStdString();
      }
      EXPECT_EQ(dialog.prgSearch->value(), dialog.prgSearch->maximum());
      EXPECT_TRUE(dialog.lblStatus->text().contains(QString::number(hits.size()) + " line")) << dialog.lblStatus->text().toStdString();
      EXPECT_TRUE(dialog.cmdFind->isEnabled());
      EXPECT_FALSE(dialog.cmdCancel->isEnabled());
    }
  }
  // Painted with a hit selected and without.
  dialog.lstResults->setCurrentItem(dialog.lstResults->topLevelItem(0));
  EXPECT_FALSE(dialog.grab().isNull());

  // A text in no listing.
  find(dialog, corpusName(), QStringLiteral("Zzq\u20ac"), false, ListingStyle::Complete);
  ASSERT_TRUE(waitForSearch(dialog));
  EXPECT_EQ(dialog.lstResults->topLevelItemCount(), 0);
  EXPECT_TRUE(dialog.lblStatus->text().startsWith("Not found")) << dialog.lblStatus->text().toStdString();
  // A place that leads nowhere says so.
  find(dialog, "/no/such/folder", QStringLiteral("Print"), false, ListingStyle::Complete);
  ASSERT_TRUE(waitForSearch(dialog));
  EXPECT_TRUE(dialog.summary().failed);
  EXPECT_TRUE(dialog.lblStatus->text().contains("/no/such/folder: no such file, folder or member"))
      << dialog.lblStatus->text().toStdString();
}

TEST(FindInFiles, CancelStopsTheSearchAndClosingWaitsForIt) {
  SKIP_WITHOUT_CORPUS();
  const auto all = coreHits(corpusName(), "e", true, ListingStyle::Classic);
  FindInFilesDialog dialog;
  dialog.show();
  find(dialog, corpusName(), QStringLiteral("e"), false, ListingStyle::Classic);
  EXPECT_TRUE(dialog.searching());
  EXPECT_TRUE(dialog.cmdCancel->isEnabled());
  dialog.cmdCancel->click();
  EXPECT_FALSE(dialog.cmdCancel->isEnabled());
  ASSERT_TRUE(waitForSearch(dialog));
  EXPECT_TRUE(dialog.summary().cancelled);
  EXPECT_LT(dialog.lstResults->topLevelItemCount(), static_cast<int>(all.size()));
  EXPECT_TRUE(dialog.lblStatus->text().startsWith("Cancelled")) << dialog.lblStatus->text().toStdString();
  EXPECT_TRUE(dialog.cmdFind->isEnabled());

  // Closing while it runs stops it and waits for its thread.
  int finished = 0;
  QObject::connect(&dialog, &FindInFilesDialog::searchFinished, [&] { ++finished; });
  dialog.cmdFind->click();
  EXPECT_TRUE(dialog.searching());
  dialog.cmdClose->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(dialog.searching());
  EXPECT_TRUE(dialog.summary().cancelled);
  EXPECT_EQ(finished, 1);

  // A second Find while one runs starts the search afresh; a dialog
  // destroyed while searching waits for its thread.
  auto* again = new FindInFilesDialog;
  find(*again, corpusName(), QStringLiteral("e"), false, ListingStyle::Classic);
  again->cmdFind->click();
  EXPECT_TRUE(again->searching());
  delete again;
}

TEST(FindInFiles, TheWindowAnswersWhileTensOfThousandsOfHitsArrive) {
  SKIP_WITHOUT_CORPUS();
  const auto all = coreHits(corpusName(), "e", true, ListingStyle::Classic);
  ASSERT_GT(all.size(), 10'000u);
  FindInFilesDialog dialog;
  dialog.show();
  // A timer of the window's own, ticking while the hits are shown.
  QElapsedTimer clock;
  qint64 last = 0, longest = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    longest = std::max(longest, clock.elapsed() - last);
    last = clock.elapsed();
  });
  tick.start(5);
  clock.start();
  find(dialog, corpusName(), QStringLiteral("e"), false, ListingStyle::Classic);
  ASSERT_TRUE(waitForSearch(dialog));
  tick.stop();
  EXPECT_EQ(dialog.lstResults->topLevelItemCount(), static_cast<int>(all.size()));
  EXPECT_LT(longest, 500) << "the window did not answer for " << longest << " ms";
}

TEST(FindInFiles, AHitChosenAsksToBeOpenedAtItsLine) {
  SKIP_WITHOUT_CORPUS();
  const std::string zip = (containerFolder() / "programs.zip").string();
  if (!std::filesystem::exists(zip)) GTEST_SKIP() << "no containers at " << containerFolder();
  FindInFilesDialog dialog;
  dialog.show();
  std::vector<std::pair<std::string, int>> opened;
  QObject::connect(&dialog, &FindInFilesDialog::openRequested,
                   [&](const std::string& file, int line) { opened.emplace_back(file, line); });
  find(dialog, zip, QStringLiteral("Wait"), true, ListingStyle::Complete);
  ASSERT_TRUE(waitForSearch(dialog));
  const auto hits = coreHits(zip, "Wait", false, ListingStyle::Complete);
  ASSERT_GT(hits.size(), 2u);
  ASSERT_EQ(dialog.lstResults->topLevelItemCount(), static_cast<int>(hits.size()));
  // Members are shown below the archive's name.
  EXPECT_EQ(dialog.lstResults->topLevelItem(0)->text(0).toStdString(), hits[0].file.substr(zip.size() + 1));

  // Double-click (activation) on one hit, Enter on another.
  emit dialog.lstResults->itemActivated(dialog.lstResults->topLevelItem(1), 2);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], std::make_pair(hits[1].file, static_cast<int>(hits[1].line)));
  dialog.lstResults->setFocus();
  dialog.lstResults->setCurrentItem(dialog.lstResults->topLevelItem(2));
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(dialog.lstResults, &enter);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1], std::make_pair(hits[2].file, static_cast<int>(hits[2].line)));
  // Enter on a hit opens it; it does not search again.
  EXPECT_FALSE(dialog.searching());
  EXPECT_TRUE(dialog.isVisible());

  // Enter in the text box does search.
  dialog.txtFindWhat->setFocus();
  QKeyEvent enterText(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(dialog.txtFindWhat, &enterText);
  EXPECT_TRUE(dialog.searching() || dialog.lstResults->topLevelItemCount() == 0);
  ASSERT_TRUE(waitForSearch(dialog));
  EXPECT_EQ(dialog.lstResults->topLevelItemCount(), static_cast<int>(hits.size()));
}

}  // namespace
}  // namespace zarvex
