// frmZarvex's Edit and View menus: copy, select all, find, go to line, and
// the listing's zoom.
#include <QAction>
#include <QFile>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>

#include "find_bar.h"
#include "find_in_files_dialog.h"
#include "navigator_dock.h"
#include "frm_zarvex.h"
#include "rich_text_view.h"

namespace zarvex {

void frmZarvex::createEditAndViewMenus() {
  const auto item = [this](QMenu* menu, const QString& caption, const char* name, const QKeySequence& keys) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    return action;
  };
  mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
  mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
  mnuCopy = item(mnuEdit, QStringLiteral("&Copy"), "mnuCopy", QKeySequence::Copy);
  mnuSelectAll = item(mnuEdit, QStringLiteral("Select &All"), "mnuSelectAll", QKeySequence::SelectAll);
  mnuSep3 = mnuEdit->addSeparator();
  mnuSep3->setObjectName(QStringLiteral("mnuSep3"));
  mnuFind = item(mnuEdit, QStringLiteral("&Find..."), "mnuFind", QKeySequence(Qt::CTRL | Qt::Key_F));
  mnuFindNext = item(mnuEdit, QStringLiteral("Find &Next"), "mnuFindNext", QKeySequence(Qt::Key_F3));
  mnuFindPrevious =
      item(mnuEdit, QStringLiteral("Find &Previous"), "mnuFindPrevious", QKeySequence(Qt::SHIFT | Qt::Key_F3));
  mnuGoToLine = item(mnuEdit, QStringLiteral("&Go to Line..."), "mnuGoToLine", QKeySequence(Qt::CTRL | Qt::Key_G));
  mnuFindInFiles = item(mnuEdit, QStringLiteral("Find in F&iles..."), "mnuFindInFiles",
                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));

  mnuView = menuBar()->addMenu(QStringLiteral("&View"));
  mnuView->setObjectName(QStringLiteral("mnuView"));
  mnuZoomIn = item(mnuView, QStringLiteral("Zoom &In"), "mnuZoomIn", QKeySequence(Qt::CTRL | Qt::Key_Plus));
  // Ctrl+= too: on most keyboards "+" is a shifted "=".
  mnuZoomIn->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
  mnuZoomOut = item(mnuView, QStringLiteral("Zoom &Out"), "mnuZoomOut", QKeySequence(Qt::CTRL | Qt::Key_Minus));
  mnuZoomNormal = item(mnuView, QStringLiteral("&Normal Size"), "mnuZoomNormal", QKeySequence(Qt::CTRL | Qt::Key_0));
  mnuSep4 = mnuView->addSeparator();
  mnuSep4->setObjectName(QStringLiteral("mnuSep4"));
  mnuLineNumbers = item(mnuView, QStringLiteral("&Line Numbers"), "mnuLineNumbers", QKeySequence());
  mnuLineNumbers->setCheckable(true);
  mnuLineNumbers->setChecked(m_services.settings->value(QStringLiteral("view/lineNumbers"), true).toBool());

  connect(mnuCopy, &QAction::triggered, this, [this] { txtOutput->copy(); });
  connect(mnuSelectAll, &QAction::triggered, this, [this] { txtOutput->selectAll(); });
  connect(mnuFind, &QAction::triggered, this, [this] { mnuFind_Click(); });
  connect(mnuFindNext, &QAction::triggered, this, [this] { mnuFindNext_Click(); });
  connect(mnuFindPrevious, &QAction::triggered, this, [this] { mnuFindPrevious_Click(); });
  connect(mnuGoToLine, &QAction::triggered, this, [this] { mnuGoToLine_Click(); });
  connect(mnuFindInFiles, &QAction::triggered, this, [this] { mnuFindInFiles_Click(); });
  connect(mnuZoomIn, &QAction::triggered, this, [this] { zoomBy(1); });
  connect(mnuZoomOut, &QAction::triggered, this, [this] { zoomBy(-1); });
  connect(mnuZoomNormal, &QAction::triggered, this, [this] { zoomNormal(); });
  connect(mnuLineNumbers, &QAction::toggled, this, [this](bool shown) {
    txtOutput->setLineNumbersVisible(shown);
    m_services.settings->setValue(QStringLiteral("view/lineNumbers"), shown);
  });
}

void frmZarvex::mnuFind_Click() {
  findBar->open();
  Form_Resize();
}

void frmZarvex::mnuFindNext_Click() {
  if (!findBar->isVisible()) return mnuFind_Click();
  findBar->findNext();
}

void frmZarvex::mnuFindPrevious_Click() {
  if (!findBar->isVisible()) return mnuFind_Click();
  findBar->findPrevious();
}

void frmZarvex::mnuGoToLine_Click() {
  const int lines = txtOutput->lineCount();
  const int current = txtOutput->currentLine();
  bool ok = false;
  const int line = QInputDialog::getInt(this, QString::fromStdString(programTitle()),
                                        QStringLiteral("Go to line (1 to %1):").arg(lines), current, 1, lines, 1, &ok);
  if (ok) goToLine(line);
}

void frmZarvex::goToLine(int line) {
  txtOutput->setCaret(txtOutput->lineStart(std::clamp(line, 1, txtOutput->lineCount())));
  txtOutput->centerCaret();
  txtOutput->setFocus();
}

void frmZarvex::mnuFindInFiles_Click() {
  if (m_findInFiles == nullptr) {
    m_findInFiles = new FindInFilesDialog(this);
    connect(m_findInFiles, &FindInFilesDialog::openRequested, this, [this](const std::string& file, int line) {
      openDropped(file);
      goToLine(line);
    });
  }
  // The place: the navigator's, else the folder of the file shown.
  QString place = QFile::decodeName(QByteArray::fromStdString(dckNavigator->place()));
  if (place.isEmpty() || dckNavigator->isHidden()) place = dlgCommon.folder();
  if (m_findInFiles->place().isEmpty() || !m_findInFiles->isVisible()) m_findInFiles->setPlace(place);
  m_findInFiles->setStyle(listingStyle());
  m_findInFiles->show();
  m_findInFiles->raise();
  m_findInFiles->activateWindow();
}

void frmZarvex::zoomBy(int steps) {
  txtOutput->setZoomStep(txtOutput->zoomStep() + steps);
  m_services.settings->setValue(QStringLiteral("view/zoom"), txtOutput->zoomStep());
}

void frmZarvex::zoomNormal() { zoomBy(-txtOutput->zoomStep()); }

}  // namespace zarvex
