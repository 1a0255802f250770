#include "common_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>

#include "runtime_error.h"

namespace zarvex {

namespace {

QString descriptionOf(const QString& filter) { return filter.section(QLatin1Char('|'), 0, 0).trimmed(); }

// Runs `show`; a cancel is no path.
template <typename Show>
std::optional<QString> unlessCancelled(Show&& show) {
  try {
    return show();
  } catch (const RuntimeError& e) {
    if (e.number() == kErrDialogCancel) return std::nullopt;
    throw;
  }
}

// Runs `show`; a cancel or any other failure is no path.
template <typename Show>
std::optional<QString> unlessFailed(Show&& show) {
  try {
    return show();
  } catch (const RuntimeError&) {
    return std::nullopt;
  }
}

// Sets a dialog's filter for as long as it lives.
class FilterForOneCall {
 public:
  FilterForOneCall(CommonDialog& dialog, const QString& filter) : m_dialog(dialog), m_own(dialog.filter()) {
    dialog.setFilter(filter);
  }
  ~FilterForOneCall() { m_dialog.setFilter(m_own); }
  FilterForOneCall(const FilterForOneCall&) = delete;
  FilterForOneCall& operator=(const FilterForOneCall&) = delete;

 private:
  CommonDialog& m_dialog;
  QString m_own;
};

}  // namespace

std::optional<QString> CommonDialog::chooseOpen(QWidget* parent, const QString& filter) {
  const FilterForOneCall set(*this, filter);
  return chooseOpen(parent);
}

std::optional<QString> CommonDialog::chooseSave(QWidget* parent, const QString& filter, const QString& suggestedName) {
  const FilterForOneCall set(*this, filter);
  return unlessFailed([&] { return showSave(parent, suggestedName); });
}

std::optional<QString> CommonDialog::chooseOpen(QWidget* parent) {
  return unlessCancelled([&] { return showOpen(parent); });
}

std::optional<QString> CommonDialog::chooseFolder(QWidget* parent) {
  return unlessFailed([&] { return showFolder(parent); });
}

QString CommonDialog::pattern() const { return m_filter.section(QLatin1Char('|'), 1).trimmed(); }

QString CommonDialog::qtNameFilter() const {
  const QString description = descriptionOf(m_filter);
  const QString bracketed = QLatin1Char('(') + pattern() + QLatin1Char(')');
  if (description.endsWith(bracketed, Qt::CaseInsensitive)) return description;
  return description + QLatin1Char(' ') + bracketed;
}

bool CommonDialog::matches(const QString& fileName) const {
  for (const QString& wildcard : pattern().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(wildcard),
                                QRegularExpression::CaseInsensitiveOption);
    if (re.match(fileName).hasMatch()) return true;
  }
  return false;
}

QString QtCommonDialog::showOpen(QWidget* parent) {
  QFileDialog dialog(parent, QStringLiteral("Open"));
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (!folder().isEmpty()) dialog.setDirectory(folder());
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setOption(QFileDialog::DontUseNativeDialog);  // its file list matches patterns without case
  dialog.setNameFilters(QStringList{qtNameFilter()} + takeMoreFilters());
  dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    throw RuntimeError(kErrDialogCancel, "Cancel was selected.");
  }
  setFolder(dialog.directory().absolutePath());
  return dialog.selectedFiles().constFirst();
}

QString QtCommonDialog::showFolder(QWidget* parent) {
  QFileDialog dialog(parent, QStringLiteral("Open Folder"));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (!folder().isEmpty()) dialog.setDirectory(folder());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    throw RuntimeError(kErrDialogCancel, "Cancel was selected.");
  }
  return dialog.selectedFiles().constFirst();
}

QString QtCommonDialog::showSave(QWidget* parent, const QString& suggestedName) {
  QFileDialog dialog(parent, QStringLiteral("Save As"));
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!folder().isEmpty()) dialog.setDirectory(folder());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (!filter().isEmpty()) dialog.setNameFilter(qtNameFilter());
  dialog.selectFile(suggestedName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    throw RuntimeError(kErrDialogCancel, "Cancel was selected.");
  }
  // The next dialog starts where this one ended.
  setFolder(dialog.directory().absolutePath());
  return dialog.selectedFiles().constFirst();
}

}  // namespace zarvex
