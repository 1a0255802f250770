// Find in Files: a text sought in every program below a folder, a disk
// image or an archive, in the listing style the window shows. The search
// runs on a thread of its own; its hits come back to the window's thread in
// batches, each shown as file, line and the listing line with the match in
// bold. Double-click or Enter on a hit asks the window to open it there.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <string>
#include <thread>

#include "listing_style.h"
#include "program_search.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace zarvex {

class FindInFilesDialog : public QDialog {
  Q_OBJECT

 public:
  // Hits shown at most; past them the search goes on counting.
  static constexpr int kMaxShown = 100'000;
  // What a result item keeps: in the File column the file's full name (its
  // bytes) and the line; in the Text column the match's start and length,
  // in characters of the text shown.
  static constexpr int kFileRole = Qt::UserRole;
  static constexpr int kLineRole = Qt::UserRole + 1;
  static constexpr int kColumnRole = Qt::UserRole + 2;
  static constexpr int kLengthRole = Qt::UserRole + 3;

  explicit FindInFilesDialog(QWidget* parent = nullptr);
  ~FindInFilesDialog() override;

  // The folder, disk image or archive (or a member path into one) to search.
  void setPlace(const QString& place);
  QString place() const;
  // The listing style searched: the one the window shows.
  void setStyle(ListingStyle style);
  ListingStyle style() const { return m_style; }

  // Searches for Find what in Look in, in place of the results shown; a
  // search still running is cancelled first.
  void startSearch();
  // Asks the running search to stop; it ends after the program it is in.
  void cancelSearch();
  bool searching() const;
  // How the last search that ended went.
  const SearchSummary& summary() const { return m_summary; }
  // What it met that went wrong, a sentence each.
  const QStringList& notes() const { return m_notes; }

  QLineEdit* txtFindWhat;
  QCheckBox* chkMatchCase;
  QLineEdit* txtLookIn;
  QPushButton* cmdBrowse;
  QPushButton* cmdFind;
  QPushButton* cmdCancel;
  QPushButton* cmdClose;
  QProgressBar* prgSearch;
  QLabel* lblStatus;
  QTreeWidget* lstResults;

 signals:
  // A hit was chosen: its file (as the search names it) and line, from 1.
  void openRequested(const std::string& file, int line);
  // A search ended, to the end or cancelled; its results are all shown.
  void searchFinished();

 public slots:
  // Closing cancels the search and waits for its thread.
  void done(int result) override;

 private:
  struct Shared;

  void updateButtons();
  void takeResults();
  // Cancels the running search and waits for its thread; the hits not shown yet stay unshown.
  void stopAndWait();
  void finishSearch();
  void showStatus();

  ListingStyle m_style = ListingStyle::Complete;
  std::shared_ptr<Shared> m_shared;  // with the running search's thread
  std::thread m_worker;
  std::deque<SearchHit> m_queue;  // taken from the search, not shown yet
  QTimer* m_poll;
  std::string m_searchedPlace;  // the place of the results shown
  SearchSummary m_summary;
  QStringList m_notes;
  bool m_finished = true;
};

}  // namespace zarvex
