// frmZarvex's bank strip: the banks of the last program or bank file, the
// viewer, Save Bank and Import ABK.
#include <QFile>
#include <QFileInfo>
#include <QStatusBar>
#include <QListWidget>
#include <QPushButton>

#include "bank_images.h"
#include "bank_kinds.h"
#include "bank_outputs.h"
#include "file_system.h"
#include "frm_view.h"
#include "frm_zarvex.h"
#include "recent_files.h"
#include "runtime_error.h"
#include "save_file.h"

namespace zarvex {

void frmZarvex::cmdViewBank_Click() {
  auto* viewer = new frmView(this);
  if (const Bank* bank = selectedBank()) {
    viewer->setServices(m_services.dialog, m_services.messages);
    viewer->showBank({bank->bytes.begin(), bank->bytes.end()}, m_bankFileName);
  } else {
    viewer->setViewType(3);
  }
  viewer->show();
}

void frmZarvex::cmdSaveBank_Click() {
  const Bank* bank = selectedBank();
  if (bank == nullptr) return;
  const QString suggested = QString::fromStdString(bankFileStem(m_bankFileName.toStdString(), *bank) + ".abk");
  const std::optional<QString> path =
      dlgCommon.chooseSave(this, QStringLiteral("AMOS Bank (*.abk) | *.abk"), suggested);
  if (!path) return;
  const QString failure = saveBytes(*path, QByteArray(reinterpret_cast<const char*>(bank->bytes.data()),
                                                     static_cast<qsizetype>(bank->bytes.size())));
  if (!failure.isEmpty()) reportFailure(failure);
}

void frmZarvex::mnuImportAbk_Click() {
  QString path;
  try {
    const std::optional<QString> chosen =
        dlgCommon.chooseOpen(this, QStringLiteral("AMOS Banks (*.abk *.abs) | *.abk *.abs"));
    if (!chosen) return;
    path = *chosen;
  } catch (const RuntimeError& e) {
    reportLoadFailure(QString::fromStdString(e.description()));
    return;
  }
  importBanks(QFile::encodeName(path).toStdString());
}

void frmZarvex::importBanks(const std::string& path) {
  if (!beginTab(path)) return;
  bool opened = false;
  try {
    showBanks(BankFile::read(path), QString::fromStdString(fileNamePart(path)));
    setWindowTitle(programTitle() + " - " + fileNamePart(path));
    opened = true;
    // The banks now come from another file than the listing: say whose they are.
    statusBar()->showMessage(QStringLiteral("Banks of %1").arg(QString::fromStdString(fileNamePart(path))), 8000);
    dlgCommon.setFolder(QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).absolutePath());
    rememberRecent(QByteArray::fromStdString(path));
  } catch (const RuntimeError& e) {
    reportLoadFailure(QString::fromStdString(e.description()));
  } catch (const std::bad_alloc&) {
    reportLoadFailure(QStringLiteral("Out of memory"));
  }
  endTab(opened, fileNamePart(path));
  emit shownFileChanged();
}

void frmZarvex::listBanks(std::vector<std::uint8_t> file, const QString& fileName) {
  showBanks(BankFile(std::move(file)), fileName);
}

void frmZarvex::showBanks(BankFile file, const QString& fileName) {
  lstBanks->clear();
  m_bankFile = std::move(file);
  m_bankFileName = fileName;
  const BankSet& banks = m_bankFile->banks();
  lstBanks->setToolTip(QStringLiteral("The banks of %1").arg(fileName));
  for (const Bank& bank : banks.banks) lstBanks->addItem(QString::fromStdString(bankListEntry(bank)));
  if (banks.damaged) {
    auto* note = new QListWidgetItem(QStringLiteral("Damaged bank set at offset %1: %2")
                                         .arg(banks.damageOffset)
                                         .arg(QString::fromStdString(banks.damage)));
    note->setFlags(Qt::ItemIsEnabled);  // says what is wrong; not a bank to choose
    lstBanks->addItem(note);
  }
  lstBanks->setEnabled(!banks.banks.empty() || banks.damaged);
  cmdViewBank->setEnabled(false);
  cmdSaveBank->setEnabled(false);
}

const BankSet& frmZarvex::Banks() const {
  static const BankSet kNone;
  return m_bankFile ? m_bankFile->banks() : kNone;
}

const Bank* frmZarvex::selectedBank() const {
  const int row = lstBanks->currentRow();
  const BankSet& banks = Banks();
  if (row < 0 || static_cast<std::size_t>(row) >= banks.banks.size()) return nullptr;
  return &banks.banks[static_cast<std::size_t>(row)];
}

void frmZarvex::reportFailure(const QString& text) {
  m_services.messages->show(this, QString::fromStdString(programTitle()), text, MessageButtons::Ok,
                            MessageIcon::Exclamation);
}

}  // namespace zarvex
