// dlgCommon: the file-open dialog of the Open and Import commands.
//
// Its filter is one entry, written as "description | pattern", where the
// pattern may hold several blank-separated wildcards. Patterns match
// file names regardless of case, so "*.amos" finds the *.AMOS files real
// programs are saved as. Cancelling is reported as run-time error 32755, not
// as an empty name; the choose... calls turn it into no path, and set a
// filter for their call only.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

class QWidget;

namespace zarvex {

class CommonDialog {
 public:
  virtual ~CommonDialog() = default;

  // Shows the dialog and waits; returns the chosen path. Throws RuntimeError
  // 32755 when the user cancels.
  virtual QString showOpen(QWidget* parent) = 0;
  // The same for a file to write, starting with `suggestedName`; asks before
  // an existing file is replaced.
  virtual QString showSave(QWidget* parent, const QString& suggestedName) = 0;
  // The same for a folder to open.
  virtual QString showFolder(QWidget* parent) = 0;

  // One dialog, `filter` offered for this call only (the dialog's own filter
  // is back afterwards, whatever happens): the chosen path, or nothing when
  // the user cancels. An open dialog throws any other error on, for its
  // caller to report; a save or folder dialog that fails gives no path, so
  // nothing is written or shown.
  std::optional<QString> chooseOpen(QWidget* parent, const QString& filter);
  std::optional<QString> chooseSave(QWidget* parent, const QString& filter, const QString& suggestedName);
  // The same with the dialog's own filter.
  std::optional<QString> chooseOpen(QWidget* parent);
  std::optional<QString> chooseFolder(QWidget* parent);

  void setFilter(const QString& filter) { m_filter = filter; }
  const QString& filter() const { return m_filter; }
  // The folder the dialog starts in; empty: wherever the system likes.
  void setFolder(const QString& folder) { m_folder = folder; }
  // Further choices of file type an open dialog offers after the filter
  // ("Disk images and archives (*.adf *.zip)"), for the next dialog only.
  void setMoreFilters(const QStringList& filters) { m_moreFilters = filters; }
  QStringList takeMoreFilters() { return std::exchange(m_moreFilters, {}); }
  const QString& folder() const { return m_folder; }

  // The filter as Qt's dialogs take it: "Description (pattern)". A
  // description that already ends with the pattern in brackets (whatever its
  // case) is used as it stands.
  QString qtNameFilter() const;
  // The pattern part of the filter.
  QString pattern() const;
  // True when `fileName` matches the pattern, regardless of case.
  bool matches(const QString& fileName) const;

 private:
  QString m_filter;
  QString m_folder;
  QStringList m_moreFilters;
};

// QFileDialog.
class QtCommonDialog : public CommonDialog {
 public:
  QString showOpen(QWidget* parent) override;
  QString showSave(QWidget* parent, const QString& suggestedName) override;
  QString showFolder(QWidget* parent) override;
};

}  // namespace zarvex
