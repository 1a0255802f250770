// frmZarvex's files: Save As and Export of the listing, Open Recent, and
// files dropped on the window.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QUrl>
#include <filesystem>

#include "bank_set.h"
#include "container_files.h"
#include "navigator_dock.h"
#include "file_system.h"
#include "frm_zarvex.h"
#include "recent_files.h"
#include "runtime_error.h"
#include "save_file.h"

namespace zarvex {

void frmZarvex::mnuSaveAs_Click() {
  exportTo(std::nullopt, listingStyle() == ListingStyle::Complete ? ".asc" : ".rtf");
}

void frmZarvex::mnuExportTxt_Click() { exportTo(ExportFormat::Text, ".txt"); }

void frmZarvex::mnuExportRtf_Click() { exportTo(ExportFormat::Rtf, ".rtf"); }

void frmZarvex::exportTo(std::optional<ExportFormat> format, const char* suggestedType) {
  if (m_state.RtfDocument.empty()) return;
  const QString filter = format == ExportFormat::Text  ? QStringLiteral("Text (*.txt) | *.txt")
                         : format == ExportFormat::Rtf ? QStringLiteral("RTF Document (*.rtf) | *.rtf")
                                                       : QStringLiteral("Listings (*.rtf *.txt *.asc *.html *.htm) | "
                                                                        "*.rtf *.txt *.asc *.html *.htm");
  const std::optional<QString> picked =
      dlgCommon.chooseSave(this, filter, QString::fromStdString(m_fileName) + QLatin1String(suggestedType));
  if (!picked) return;
  const QString& path = *picked;
  const std::string name = QFile::encodeName(path).toStdString();
  const std::optional<ExportFormat> chosen = format ? format : exportFormatOf(name);
  if (!chosen) {
    reportFailure(QStringLiteral("Cannot tell what to write as %1: name it .rtf, .txt, .asc or .html.").arg(path));
    return;
  }
  const std::string bytes = exportListing(m_state, *chosen, m_fileName);
  if (*chosen == ExportFormat::Asc && bytes.empty()) {
    reportFailure(QStringLiteral("Cannot write %1: the file shown is no AMOS program, so it has no AMOS text.").arg(path));
    return;
  }
  const QString failure = saveBytes(path, QByteArray::fromStdString(bytes));
  if (!failure.isEmpty()) reportFailure(failure);
}

void frmZarvex::fillRecentMenu() {
  const int removed = m_recent->removeMissing();
  if (removed > 0) {
    statusBar()->showMessage(removed == 1 ? QStringLiteral("A file that no longer exists left Open Recent.")
                                          : QStringLiteral("%1 files that no longer exist left Open Recent.").arg(removed),
                             8000);
  }
  mnuRecent->clear();
  int number = 0;
  for (const QByteArray& path : m_recent->paths()) {
    ++number;
    const QString shown = QString::fromLocal8Bit(path);
    QAction* action = mnuRecent->addAction(QStringLiteral("&%1 %2").arg(number % 10).arg(shown));
    connect(action, &QAction::triggered, this, [this, path] {
      // Gone since the menu was filled: it leaves the list, with a note.
      m_recent->removeMissing();
      if (!m_recent->paths().contains(path)) {
        statusBar()->showMessage(QStringLiteral("%1 no longer exists: it left Open Recent.").arg(QString::fromLocal8Bit(path)),
                                 8000);
        return;
      }
      openDropped(path.toStdString());
    });
  }
  mnuRecent->setEnabled(!m_recent->paths().isEmpty());
}

void frmZarvex::openDropped(const std::string& path) {
  // The first bytes say what the file is; a bank file lists its banks, a
  // folder, disk image or archive goes to the navigator. The file is looked
  // at as every load opens it: a FIFO or device is refused, not waited on.
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    showInNavigator(path);
    return;
  }
  if (!std::filesystem::exists(path, error)) {
    // A member of a container, named through it.
    ResolvedName resolved = resolveName(path);
    if (resolved.file && !resolved.file->hostPath.empty()) {
      openDropped(resolved.file->hostPath);
    } else if (resolved.file && resolved.file->kind == MemberKind::Container) {
      showInNavigator(resolved.file->name);
    } else if (resolved.file && resolved.file->kind == MemberKind::Bank) {
      if (!beginTab(resolved.file->name)) return;
      showBanks(BankFile(std::move(resolved.file->bytes)), QString::fromStdString(fileNamePart(resolved.file->name)));
      setWindowTitle(programTitle() + " - " + fileNamePart(resolved.file->name));
      rememberRecent(QByteArray::fromStdString(resolved.file->name));
      endTab(true, fileNamePart(resolved.file->name));
      emit shownFileChanged();
    } else if (resolved.file) {
      loadReportingFailure(resolved.file->name, &*resolved.file);
    } else if (resolved.error == "ambiguous") {
      reportLoadFailure(QStringLiteral("%1: more than one file of its container has that name (they differ in case only)")
                            .arg(QFile::decodeName(QByteArray::fromStdString(path))));
    } else {
      loadReportingFailure(path);  // reports the missing file as any load does
    }
    return;
  }
  BankSource source = BankSource::Unknown;
  MemberKind kind = MemberKind::Other;
  try {
    const ReadOnlyFile file(path);
    const std::vector<std::uint8_t> head = file.readImage(std::min<std::int64_t>(file.size(), 4));
    source = bankSourceOf({head.data(), head.size() - 1});
    // Disk images are known by their size as well as their first bytes.
    if (source == BankSource::Unknown && file.size() <= kMaxContainerBytes) {
      std::vector<std::uint8_t> bytes = file.readImage(file.size());
      bytes.pop_back();
      kind = memberKindOf(bytes);
    }
  } catch (const RuntimeError&) {
    // The load below reports what is wrong with the file.
  }
  if (kind == MemberKind::Container) {
    showInNavigator(path);
  } else if (source == BankSource::BankSet || source == BankSource::SingleBank) {
    importBanks(path);
  } else {
    loadReportingFailure(path);
  }
}

void frmZarvex::rememberRecent(const QByteArray& path) {
  m_recent->add(path);
  mnuRecent->setEnabled(true);  // a disabled menu is never shown, so never filled
}

void frmZarvex::mnuOpenFolder_Click() {
  if (const std::optional<QString> folder = dlgCommon.chooseFolder(this)) {
    showInNavigator(QFile::encodeName(*folder).toStdString());
  }
}

void frmZarvex::showInNavigator(const std::string& place) {
  const QString shown = QFile::decodeName(QByteArray::fromStdString(place));
  if (!dckNavigator->showPlace(place)) {
    const QStringList& warnings = dckNavigator->warnings();
    reportLoadFailure(warnings.isEmpty() ? QStringLiteral("%1 holds no file Zarvex can show").arg(shown)
                                         : warnings.join(QLatin1Char('\n')));
    return;
  }
  dckNavigator->show();
  rememberRecent(QByteArray::fromStdString(place));
  const qsizetype warnings = dckNavigator->warnings().size();
  statusBar()->showMessage(warnings == 0 ? QStringLiteral("%1 in the navigator").arg(shown)
                                         : QStringLiteral("%1 in the navigator: %2 warning(s), listed under the tree")
                                               .arg(shown)
                                               .arg(warnings),
                           8000);
}

namespace {

// A local file's path as the bytes of its URL: percent-encoded bytes that are
// not UTF-8 stay what they were.
std::string localPathBytes(const QUrl& url) {
  return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

}  // namespace

void frmZarvex::dragEnterEvent(QDragEnterEvent* event) {
  const QMimeData* data = event->mimeData();
  if (data->hasUrls() && !data->urls().isEmpty() && data->urls().constFirst().isLocalFile()) event->acceptProposedAction();
}

void frmZarvex::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.constFirst().isLocalFile()) return;
  event->acceptProposedAction();
  openDropped(localPathBytes(urls.constFirst()));
}

}  // namespace zarvex
