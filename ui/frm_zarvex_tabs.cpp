// frmZarvex's tabs: several programs and bank files open at once, each with
// its own listing, bank strip, style and place. The tab shown keeps its
// state in the window's own members (the decoder and the bank strip work on
// them); the others keep theirs in their FileTab until they are shown again.
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>

#include "find_bar.h"
#include "frm_zarvex.h"
#include "rich_text_view.h"

namespace zarvex {


void frmZarvex::createTabs() {
  tabFiles = new QTabBar(m_client);
  tabFiles->setObjectName(QStringLiteral("tabFiles"));
  tabFiles->setTabsClosable(true);
  tabFiles->setMovable(false);
  tabFiles->setExpanding(false);
  tabFiles->setDocumentMode(true);
  tabFiles->hide();
  m_tabs.push_back(std::make_unique<FileTab>());
  tabFiles->addTab(QString());
  connect(tabFiles, &QTabBar::currentChanged, this, [this](int index) { showTab(index); });
  connect(tabFiles, &QTabBar::tabCloseRequested, this, [this](int index) { closeTab(index); });
  // Ctrl+Tab and Ctrl+Shift+Tab go round the tabs.
  auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
  connect(next, &QShortcut::activated, this, [this] {
    if (tabFiles->count() > 1) tabFiles->setCurrentIndex((tabFiles->currentIndex() + 1) % tabFiles->count());
  });
  auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), this);
  connect(previous, &QShortcut::activated, this, [this] {
    const int count = tabFiles->count();
    if (count > 1) tabFiles->setCurrentIndex((tabFiles->currentIndex() + count - 1) % count);
  });
}

int frmZarvex::tabCount() const { return tabFiles->count(); }

bool frmZarvex::beginTab(const std::string& name) {
  for (std::size_t i = 0; i < m_tabs.size(); ++i) {
    if (m_tabs[i]->name != name || static_cast<int>(i) == m_currentTab) continue;
    tabFiles->setCurrentIndex(static_cast<int>(i));  // already open: shown, not read again
    rememberRecent(QByteArray::fromStdString(name));
    return false;
  }
  FileTab& current = *m_tabs[static_cast<std::size_t>(m_currentTab)];
  if (current.name.empty() || current.name == name) {
    current.name = name;  // an unused tab, or the same file read again, in place
    return true;
  }
  saveTab();
  m_tabs.push_back(std::make_unique<FileTab>());
  m_tabs.back()->name = name;
  m_tabs.back()->style = listingStyle();
  m_switchingTabs = true;
  const int index = tabFiles->addTab(QString());
  tabFiles->setCurrentIndex(index);
  m_switchingTabs = false;
  m_currentTab = index;
  clearShownFile();
  updateTabBar();
  return true;
}

void frmZarvex::endTab(bool opened, const std::string& title) {
  FileTab& current = *m_tabs[static_cast<std::size_t>(m_currentTab)];
  if (!opened) {
    // Nothing came of it: an unused tab goes again, unless it is the last.
    if (m_fileName.empty() && !m_bankFile && tabFiles->count() > 1) closeTab(m_currentTab);
    else if (m_fileName.empty() && !m_bankFile) current.name.clear();
    return;
  }
  current.title = QString::fromStdString(title);
  tabFiles->setTabText(m_currentTab, current.title);
  tabFiles->setTabToolTip(m_currentTab, QString::fromStdString(current.name));
  updateTabBar();
}

void frmZarvex::saveTab() {
  FileTab& tab = *m_tabs[static_cast<std::size_t>(m_currentTab)];
  tab.state = std::move(m_state);
  tab.result = m_lastResult;
  tab.fileName = std::move(m_fileName);
  tab.bankFile = std::move(m_bankFile);
  tab.bankFileName = m_bankFileName;
  tab.style = listingStyle();
  tab.title = windowTitle();
  tab.caret = txtOutput->selectionStart();
  tab.selection = txtOutput->selectionLength();
  tab.top = txtOutput->verticalScrollBar()->value();
  tab.left = txtOutput->horizontalScrollBar()->value();
  m_state = ListingState();
  m_fileName.clear();
  m_bankFile.reset();
}

void frmZarvex::clearShownFile() {
  m_state = ListingState();
  m_lastResult = LoadResult();
  m_fileName.clear();
  m_bankFile.reset();
  m_bankFileName.clear();
  txtOutput->setPlainText(std::string());
  lstBanks->clear();
  lstBanks->setEnabled(false);
  cmdViewBank->setEnabled(false);
  cmdSaveBank->setEnabled(false);
  for (QAction* action : {mnuSaveAs, mnuExportTxt, mnuExportRtf, mnuExport->menuAction()}) action->setEnabled(false);
  QMainWindow::setWindowTitle(m_emptyTitle);
  updateStatus();
}

void frmZarvex::showTab(int index) {
  if (m_switchingTabs || index < 0 || index == m_currentTab || static_cast<std::size_t>(index) >= m_tabs.size()) return;
  saveTab();
  m_currentTab = index;
  FileTab& tab = *m_tabs[static_cast<std::size_t>(index)];
  m_state = std::move(tab.state);
  m_lastResult = tab.result;
  m_fileName = std::move(tab.fileName);
  m_bankFileName = tab.bankFileName;
  // Each tab keeps its style: the tick follows it, nothing is listed anew.
  mnuOptionComplete->setChecked(tab.style == ListingStyle::Complete);
  if (!m_state.RtfDocument.empty()) {
    PresentListing(*this, m_state);
  } else {
    txtOutput->setPlainText(std::string());
  }
  if (tab.bankFile) {
    showBanks(std::move(*tab.bankFile), m_bankFileName);
    tab.bankFile.reset();
  } else {
    lstBanks->clear();
    lstBanks->setEnabled(false);
    cmdViewBank->setEnabled(false);
    cmdSaveBank->setEnabled(false);
  }
  const bool listed = !m_state.RtfDocument.empty();
  for (QAction* action : {mnuSaveAs, mnuExportTxt, mnuExportRtf, mnuExport->menuAction()}) action->setEnabled(listed);
  QMainWindow::setWindowTitle(tab.title.isEmpty() ? m_emptyTitle : tab.title);
  txtOutput->setSelectionStart(tab.caret);
  txtOutput->setSelectionLength(tab.selection);
  txtOutput->verticalScrollBar()->setValue(tab.top);
  txtOutput->horizontalScrollBar()->setValue(tab.left);
  updateStatus();
  findBar->markMatches();
  emit shownFileChanged();
}

void frmZarvex::closeTab(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= m_tabs.size()) return;
  if (m_tabs.size() == 1) {
    // The last tab stays, empty.
    m_tabs.front() = std::make_unique<FileTab>();
    clearShownFile();
    tabFiles->setTabText(0, QString());
    updateTabBar();
    emit shownFileChanged();
    return;
  }
  if (index == m_currentTab) {
    // Another tab is shown first, then this one goes.
    const int neighbour = index + 1 < tabFiles->count() ? index + 1 : index - 1;
    showTab(neighbour);
  }
  m_tabs.erase(m_tabs.begin() + index);
  if (index < m_currentTab) --m_currentTab;
  m_switchingTabs = true;
  tabFiles->removeTab(index);
  tabFiles->setCurrentIndex(m_currentTab);
  m_switchingTabs = false;
  updateTabBar();
}

void frmZarvex::mnuClose_Click() { closeTab(m_currentTab); }

// The tabs show once there are two files to choose between; one file keeps
// the window as it always was.
void frmZarvex::updateTabBar() {
  tabFiles->setVisible(tabFiles->count() > 1);
  mnuClose->setEnabled(!m_tabs[static_cast<std::size_t>(m_currentTab)]->name.empty() || tabFiles->count() > 1);
  Form_Resize();
}

}  // namespace zarvex
