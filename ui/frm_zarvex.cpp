#include "frm_zarvex.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <filesystem>
#include <utility>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

#include "about_text.h"
#include "bank_images.h"
#include "complete_walk.h"
#include "bank_outputs.h"
#include "navigator_dock.h"
#include "outline.h"
#include "outline_dock.h"
#include "file_system.h"
#include "find_bar.h"
#include "frm_view.h"
#include "recent_files.h"
#include "save_file.h"
#include "place_control.h"
#include "program_place.h"
#include "highlight_switch.h"
#include "number_text.h"
#include "rich_text_view.h"
#include "runtime_error.h"
#include "version_record.h"

namespace zarvex {

frmZarvex::frmZarvex(const QString& commandLine, WindowServices services)
    : dlgCommon(*services.dialog), m_services(std::move(services)) {
  setObjectName(QStringLiteral("frmZarvex"));
  setWindowIcon(QIcon(QStringLiteral(":/zarvex/zarvex.png")));
  dlgCommon.setFilter(QStringLiteral("AMOS Source Files (*.AMOS) | *.amos"));
  createMenus();
  createControls();
  lblStatus = new QLabel(this);
  lblStatus->setObjectName(QStringLiteral("lblStatus"));
  statusBar()->addWidget(lblStatus, 1);
  setListingStyle(styleNamed(m_services.settings->value(QStringLiteral("listing/style")).toString().toStdString())
                      .value_or(ListingStyle::Classic));
  txtOutput->setZoomStep(m_services.settings->value(QStringLiteral("view/zoom"), 0).toInt());
  txtOutput->setLineNumbersVisible(mnuLineNumbers->isChecked());
  txtOutput->setPlaceholderText(QStringLiteral(
      "Open an AMOS program with File > Open (Ctrl+O), or drop one here.\n"
      "Bank files, Amiga disk images (.adf), archives (.lha, .zip) and folders open the same way."));
  setAcceptDrops(true);
  resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
  // After the first run the window opens where and as large as it was left.
  restoreGeometry(m_services.settings->value(QStringLiteral("window/geometry")).toByteArray());
  Form_Load(commandLine);
}



void frmZarvex::createMenus() {
  const auto item = [this](QMenu* menu, const QString& caption, const char* name) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
  };
  // A caption of "-" makes a plain separator line.
  const auto separator = [](QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(QLatin1String(name));
    return action;
  };

  mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
  mnuFile->setObjectName(QStringLiteral("mnuFile"));
  mnuOpen = item(mnuFile, QStringLiteral("&Open..."), "mnuOpen");
  mnuOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  mnuOpenFolder = item(mnuFile, QStringLiteral("Open &Folder..."), "mnuOpenFolder");
  mnuClose = item(mnuFile, QStringLiteral("&Close"), "mnuClose");
  mnuClose->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
  mnuClose->setEnabled(false);
  mnuRecent = mnuFile->addMenu(QStringLiteral("Open &Recent"));
  mnuRecent->setObjectName(QStringLiteral("mnuRecent"));
  m_recent = std::make_unique<RecentFiles>(*m_services.settings);
  connect(mnuRecent, &QMenu::aboutToShow, this, [this] { fillRecentMenu(); });
  fillRecentMenu();
  mnuSaveAs = item(mnuFile, QStringLiteral("Save &As..."), "mnuSaveAs");
  mnuSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  mnuSaveAs->setEnabled(false);
  mnuSep1 = separator(mnuFile, "mnuSep1");
  mnuImport = mnuFile->addMenu(QStringLiteral("&Import"));
  mnuImport->setObjectName(QStringLiteral("mnuImport"));
  mnuImportAmos = item(mnuImport, QStringLiteral("&AMOS File..."), "mnuImportAmos");
  mnuImportAbk = item(mnuImport, QStringLiteral("A&BK File..."), "mnuImportAbk");
  mnuExport = mnuFile->addMenu(QStringLiteral("&Export"));
  mnuExport->setObjectName(QStringLiteral("mnuExport"));
  mnuExport->menuAction()->setEnabled(false);
  mnuExportTxt = item(mnuExport, QStringLiteral("&TXT File..."), "mnuExportTxt");
  mnuExportTxt->setEnabled(false);
  mnuExportRtf = item(mnuExport, QStringLiteral("&RTF File..."), "mnuExportRtf");
  mnuExportRtf->setEnabled(false);
  mnuSep2 = separator(mnuFile, "mnuSep2");
  mnuExit = item(mnuFile, QStringLiteral("E&xit"), "mnuExit");
  mnuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

  createEditAndViewMenus();

  mnuOptions = menuBar()->addMenu(QStringLiteral("&Options"));
  mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
  mnuOptionHighlight = item(mnuOptions, QStringLiteral("&Highlight"), "mnuOptionHighlight");
  mnuOptionHighlight->setCheckable(true);
  mnuOptionComplete = item(mnuOptions, QStringLiteral("&Complete Vocabulary"), "mnuOptionComplete");
  mnuOptionComplete->setCheckable(true);

  mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
  mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
  mnuAbout = item(mnuHelp, QStringLiteral("&About Zarvex"), "mnuAbout");
  connect(mnuAbout, &QAction::triggered, this, [this] {
    // A note: it waits for nothing, and the window stays usable under it.
    m_services.messages->note(this, QStringLiteral("About Zarvex"), aboutText());
  });

  connect(mnuOpen, &QAction::triggered, this, [this] { mnuOpen_Click(); });
  connect(mnuOpenFolder, &QAction::triggered, this, [this] { mnuOpenFolder_Click(); });
  connect(mnuClose, &QAction::triggered, this, [this] { mnuClose_Click(); });
  connect(mnuImportAmos, &QAction::triggered, this, [this] { mnuImportAmos_Click(); });
  connect(mnuImportAbk, &QAction::triggered, this, [this] { mnuImportAbk_Click(); });
  connect(mnuSaveAs, &QAction::triggered, this, [this] { mnuSaveAs_Click(); });
  connect(mnuExportTxt, &QAction::triggered, this, [this] { mnuExportTxt_Click(); });
  connect(mnuExportRtf, &QAction::triggered, this, [this] { mnuExportRtf_Click(); });
  connect(mnuExit, &QAction::triggered, this, [this] { mnuExit_Click(); });
  connect(mnuOptionHighlight, &QAction::triggered, this, [this] {
    // The handler sets the tick itself; undo Qt's own toggle first.
    mnuOptionHighlight->setChecked(!mnuOptionHighlight->isChecked());
    mnuOptionHighlight_Click();
  });
  connect(mnuOptionComplete, &QAction::triggered, this, [this] {
    mnuOptionComplete->setChecked(!mnuOptionComplete->isChecked());
    mnuOptionComplete_Click();
  });
}

void frmZarvex::createControls() {
  m_client = new QWidget(this);
  m_client->setObjectName(QStringLiteral("client"));
  setCentralWidget(m_client);
  m_client->installEventFilter(this);

  txtOutput = placeControl(new RichTextView(m_client), "txtOutput", QRect(0, 0, 568, 416));
  // The bank strip: disabled until a load finds banks.
  lstBanks = placeControl(new QListWidget(m_client), "lstBanks", QRect(4, 420, 476, 56));
  cmdViewBank = placeControl(new QPushButton(QStringLiteral("View Bank"), m_client), "cmdViewBank",
                             QRect(484, 420, 80, 23));
  cmdSaveBank = placeControl(new QPushButton(QStringLiteral("Save Bank..."), m_client), "cmdSaveBank",
                             QRect(484, 444, 80, 24));
  for (QWidget* control : {static_cast<QWidget*>(lstBanks), static_cast<QWidget*>(cmdViewBank),
                           static_cast<QWidget*>(cmdSaveBank)}) {
    control->setEnabled(false);
  }
  setTabOrder(txtOutput, lstBanks);
  setTabOrder(lstBanks, cmdViewBank);
  setTabOrder(cmdViewBank, cmdSaveBank);
  connect(cmdViewBank, &QPushButton::clicked, this, [this] { cmdViewBank_Click(); });
  // A double-click or Enter on a bank opens it, as View Bank does.
  connect(lstBanks, &QListWidget::itemActivated, this, [this] {
    if (selectedBank() != nullptr) cmdViewBank_Click();
  });
  connect(cmdSaveBank, &QPushButton::clicked, this, [this] { cmdSaveBank_Click(); });
  connect(lstBanks, &QListWidget::currentRowChanged, this, [this] {
    const bool chosen = selectedBank() != nullptr;
    cmdViewBank->setEnabled(chosen);
    cmdSaveBank->setEnabled(chosen);
  });
  lstBanks->setFont(QFont(QStringLiteral("Courier New")));
  findBar = new FindBar(txtOutput, m_client);
  connect(findBar, &FindBar::closed, this, [this] { Form_Resize(); });
  createTabs();
  dckNavigator = new NavigatorDock(this);
  addDockWidget(Qt::LeftDockWidgetArea, dckNavigator);
  dckNavigator->hide();
  mnuNavigator = dckNavigator->toggleViewAction();
  mnuNavigator->setText(QStringLiteral("Na&vigator"));
  mnuNavigator->setObjectName(QStringLiteral("mnuNavigator"));
  mnuView->addAction(mnuNavigator);
  // The outline: beside the listing, built from the tokens of the file shown.
  dckOutline = new OutlineDock(this);
  addDockWidget(Qt::RightDockWidgetArea, dckOutline);
  dckOutline->hide();
  mnuOutline = dckOutline->toggleViewAction();
  mnuOutline->setText(QStringLiteral("&Outline"));
  mnuOutline->setObjectName(QStringLiteral("mnuOutline"));
  mnuOutline->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
  mnuView->addAction(mnuOutline);
  // After the dock's own answer to the action, which shows or hides it.
  connect(mnuOutline, &QAction::triggered, this, [this] { updateOutline(); });
  connect(this, &frmZarvex::shownFileChanged, this, [this] { updateOutline(); });
  connect(dckOutline, &OutlineDock::jumpRequested, this, [this](int line) { goToLine(line); });
  connect(txtOutput, &RichTextView::cursorPositionChanged, this, [this] {
    if (!dckOutline->isHidden()) dckOutline->markLine(txtOutput->currentLine());
  });
  connect(txtOutput, &RichTextView::zoomRequested, this, [this](int steps) { zoomBy(steps); });
  connect(dckNavigator, &NavigatorDock::openRequested, this, [this](const std::string& name) { openDropped(name); });
}

frmZarvex::~frmZarvex() = default;

void frmZarvex::Form_Load(const QString& commandLine) {
  mnuOptionHighlight->setChecked(true);
  setWindowTitle(QStringLiteral("%1 v%2.%3%4")
                     .arg(QString::fromUtf8(version::kProductName))
                     .arg(version::kMajor)
                     .arg(version::kMinor)
                     .arg(version::kRevision));
  m_emptyTitle = windowTitle();
  openCommandLine(QFile::encodeName(commandLine).toStdString());
}

void frmZarvex::showThenOpen(const std::string& commandLine) {
  // A first start opens at a size that suits the screen, not at the small
  // size the window was laid out at; later starts where it was left.
  if (m_services.settings->value(QStringLiteral("window/geometry")).toByteArray().isEmpty()) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect room = screen->availableGeometry();
      resize(std::max(width(), room.width() * 3 / 4), std::max(height(), room.height() * 3 / 4));
      move(room.center() - rect().center());
    }
  }
  show();
  QTimer::singleShot(0, this, [this, commandLine] { openCommandLine(commandLine); });
}

void frmZarvex::openCommandLine(const std::string& commandLine) {
  const auto first = commandLine.find_first_not_of(" \t");
  std::string path = first == std::string::npos ? std::string() : commandLine.substr(first);
  path.erase(path.find_last_not_of(" \t") + 1);
  if (!path.empty() && path.front() == '"') {
    // The opening quote and the last character go, whatever that is; a lone
    // quote leaves nothing.
    path = path.size() >= 2 ? path.substr(1, path.size() - 2) : std::string();
  }
  if (path.empty()) return;
  // The decoder makes the program's folder current; a relative path means the
  // folder the program was started from.
  // Normalised, so that one file is one entry of Open Recent and one tab.
  openDropped(std::filesystem::path(absolutePath(path)).lexically_normal().string());  // a bank file lists its banks
}

// W >= 110 sets widths and lefts, H >= 128 heights and tops; a smaller
// dimension leaves its controls where they are.
void frmZarvex::Form_Resize() {
  const int width = m_client->width();
  const int height = m_client->height();
  if (width >= 110) {
    txtOutput->setGeometry(txtOutput->x(), txtOutput->y(), width, txtOutput->height());
    lstBanks->setGeometry(lstBanks->x(), lstBanks->y(), width - 91, lstBanks->height());
    cmdViewBank->move(width - 83, cmdViewBank->y());
    cmdSaveBank->move(width - 83, cmdSaveBank->y());
  }
  if (height >= 128) {
    // From the top of the client: the tab bar, when shown, takes its share below.
    txtOutput->setGeometry(txtOutput->x(), 0, txtOutput->width(), height - 68);
    lstBanks->move(lstBanks->x(), height - 60);
    cmdViewBank->move(cmdViewBank->x(), height - 60);
    cmdSaveBank->move(cmdSaveBank->x(), height - 36);
  }
  // The tab bar, while there are tabs, takes the top of the listing's place.
  if (tabFiles != nullptr) {
    const int barHeight = !tabFiles->isHidden() ? tabFiles->sizeHint().height() : 0;
    QRect listing = txtOutput->geometry();
    listing.setTop(barHeight);
    txtOutput->setGeometry(listing);
    if (barHeight > 0) tabFiles->setGeometry(0, 0, listing.width(), barHeight);
  }
  // The find bar, while open, takes the bottom of the listing's place.
  if (findBar != nullptr && findBar->isVisible()) {
    const int barHeight = findBar->sizeHint().height();
    const QRect listing = txtOutput->geometry();
    txtOutput->setGeometry(listing.adjusted(0, 0, 0, -barHeight));
    findBar->setGeometry(listing.x(), listing.bottom() + 1 - barHeight, listing.width(), barHeight);
  }
}

void frmZarvex::Form_Unload() {
  for (frmView* viewer : findChildren<frmView*>(QString(), Qt::FindDirectChildrenOnly)) {
    viewer->hide();
    viewer->deleteLater();
  }
  QCoreApplication::quit();
}

void frmZarvex::mnuOpen_Click() {
  QString path;
  dlgCommon.setMoreFilters({QStringLiteral("Disk images and archives (*.adf *.lha *.lzh *.zip *.tar)"),
                            QStringLiteral("All files (*)")});
  try {
    const std::optional<QString> chosen = dlgCommon.chooseOpen(this);
    if (!chosen) return;
    path = *chosen;
  } catch (const RuntimeError& e) {
    reportLoadFailure(QString::fromStdString(e.description()));
    return;
  }
  openDropped(QFile::encodeName(path).toStdString());  // a bank file lists its banks, as when dropped
}

void frmZarvex::mnuImportAmos_Click() { mnuOpen_Click(); }

void frmZarvex::mnuExit_Click() { close(); }

void frmZarvex::mnuOptionHighlight_Click() {
  keepingView([this] { SwitchHighlight(*this, m_state.RtfDocument); });
}

template <typename Switch>
void frmZarvex::keepingView(Switch&& change) {
  // Caret and selection are the switch's own business; the lines in view
  // are the window's.
  const int top = txtOutput->verticalScrollBar()->value();
  const int left = txtOutput->horizontalScrollBar()->value();
  change();
  txtOutput->verticalScrollBar()->setValue(top);
  txtOutput->horizontalScrollBar()->setValue(left);
  findBar->markMatches();
}

ListingStyle frmZarvex::listingStyle() const {
  return mnuOptionComplete->isChecked() ? ListingStyle::Complete : ListingStyle::Classic;
}

void frmZarvex::setListingStyle(ListingStyle style) {
  mnuOptionComplete->setChecked(style == ListingStyle::Complete);
  updateStatus();
}

void frmZarvex::mnuOptionComplete_Click() {
  const ListingStyle previous = listingStyle();
  const ListingStyle next = previous == ListingStyle::Complete ? ListingStyle::Classic : ListingStyle::Complete;
  if (m_state.FileBytes.empty()) {
    setListingStyle(next);
  } else {
    // The place in the program stays: the two styles may lay it out in
    // lines of their own.
    const std::span<const std::uint8_t> file(m_state.FileBytes.data(), static_cast<std::size_t>(m_state.FileLength));
    m_stylePlace.leave(*txtOutput, file, previous);
    m_relisting = true;
    struct Relisted {
      bool& flag;
      ~Relisted() { flag = false; }
    } relisted{m_relisting};
    try {
      // The decoder refuses before it changes anything; the style stays then.
      m_lastResult = DecodeListing(m_state, *this, next, m_fileName, *m_services.imports);
      setListingStyle(next);
      m_stylePlace.arrive(*txtOutput, file, next);
      findBar->markMatches();
    } catch (const RuntimeError& e) {
      showMessage("Error" + messageNumber(e.number()) + ": " + e.description(), MessageButtons::Ok);
    } catch (const std::bad_alloc&) {
      showMessage("Error 7: Out of memory", MessageButtons::Ok);
    }
    updateStatus();
  }
  m_services.settings->setValue(QStringLiteral("listing/style"), QString::fromUtf8(styleName(listingStyle())));
  emit shownFileChanged();  // the outline's lines are the new style's
}

void frmZarvex::updateStatus() {
  QString text;
  if (listingStyle() == ListingStyle::Complete) {
    text = QStringLiteral("Complete vocabulary: every AMOS token, as the AMOS editor writes it");
  } else {
    text = QStringLiteral("Classic vocabulary");
    if (!m_state.FileBytes.empty() && !m_lastResult.startsLikeProgram) {
      text += QStringLiteral(": %1 does not start like an AMOS program; the listing may be meaningless")
                  .arg(QString::fromStdString(m_fileName));
    } else if (!m_state.FileBytes.empty() && m_lastResult.undefinedCalls > 0) {
      text += QStringLiteral(": %1 tokens undecoded; Complete Vocabulary decodes them").arg(m_lastResult.undefinedCalls);
    }
  }
  lblStatus->setText(text);
  lblStatus->setToolTip(listingStyle() == ListingStyle::Complete
                            ? QString()
                            : QStringLiteral("Options > Complete Vocabulary lists every AMOS token"));
}

void frmZarvex::loadReportingFailure(const std::string& path, const SourceFile* member) {
  if (!beginTab(path)) return;
  bool opened = false;
  // The decoder gives its summary in the middle of the load; it is shown
  // once the bank strip, status bar, tab and title are the new file's.
  m_loading = true;
  m_pendingSummary.clear();
  struct Loading {
    bool& flag;
    ~Loading() { flag = false; }
  } loading{m_loading};
  try {
    m_lastResult = member != nullptr
                       ? ListFileBytes(member->name, member->bytes, m_state, *this, listingStyle(), *m_services.imports)
                       : LoadListing(path, m_state, *this, listingStyle(), *m_services.imports);
    if (m_lastResult.outcome != LoadResult::Outcome::TooBig) {
      m_fileName = fileNamePart(path);
      // Dialogs start beside the file shown, not in the program's own folder.
      if (member == nullptr) {
        dlgCommon.setFolder(QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).absolutePath());
      }
      listBanks({m_state.FileBytes.begin(), m_state.FileBytes.begin() + m_state.FileLength},
                QString::fromStdString(m_fileName));
      rememberRecent(QByteArray::fromStdString(path));
      for (QAction* action : {mnuSaveAs, mnuExportTxt, mnuExportRtf, mnuExport->menuAction()}) action->setEnabled(true);
      opened = true;
      if (member != nullptr && member->damaged) {
        statusBar()->showMessage(QStringLiteral("%1 is damaged in its container: listed as far as it was read")
                                     .arg(QString::fromStdString(path)),
                                 8000);
      }
    }
    updateStatus();
    findBar->markMatches();
  } catch (const RuntimeError& e) {
    reportLoadFailure(QString::fromStdString(e.description()));
  } catch (const std::bad_alloc&) {
    reportLoadFailure(QStringLiteral("Out of memory"));
  }
  endTab(opened, fileNamePart(path));
  emit shownFileChanged();
  m_loading = false;
  if (!m_pendingSummary.empty()) showSummaryNote(std::exchange(m_pendingSummary, std::string()));
}

void frmZarvex::updateOutline() {
  if (dckOutline->isHidden()) return;  // built when it is shown
  const std::span<const std::uint8_t> file(m_state.FileBytes.data(),
                                           m_state.FileBytes.empty() ? 0 : static_cast<std::size_t>(m_state.FileLength));
  dckOutline->setOutline(file.empty() ? std::vector<OutlineEntry>() : buildOutline(file, listingStyle()));
  dckOutline->markLine(txtOutput->currentLine());
}

void frmZarvex::reportLoadFailure(const QString& description) {
  m_services.messages->show(this, QString::fromStdString(programTitle()),
                            QStringLiteral("Error loading file:\r\n") + description, MessageButtons::Ok,
                            MessageIcon::Exclamation);
}

std::string frmZarvex::programTitle() const { return version::kProductName; }

void frmZarvex::setWindowTitle(const std::string& title) { QMainWindow::setWindowTitle(QString::fromStdString(title)); }

bool frmZarvex::highlightTicked() const { return mnuOptionHighlight->isChecked(); }

void frmZarvex::setHighlightTicked(bool ticked) { mnuOptionHighlight->setChecked(ticked); }

ListingView& frmZarvex::view() { return *txtOutput; }

MessageAnswer frmZarvex::showMessage(const std::string& text, MessageButtons buttons) {
  return m_services.messages->show(this, QString::fromStdString(programTitle()), QString::fromStdString(text),
                                   buttons, MessageIcon::None);
}

void frmZarvex::showLoadSummary(const std::string& text) {
  // A style switch puts up no box each time: the status bar says which style
  // is on and, under Classic, how many tokens it leaves undecoded.
  if (m_relisting) return;
  if (m_loading) {
    m_pendingSummary = text;
  } else {
    showSummaryNote(text);
  }
}

void frmZarvex::showSummaryNote(const std::string& text) {
  // A note, not a modal box: it waits for no answer, so nothing of the
  // window waits for it either.
  if (m_summaryNote) m_summaryNote->close();
  m_summaryNote = m_services.messages->note(this, QString::fromStdString(programTitle()), QString::fromStdString(text));
}

void frmZarvex::closeEvent(QCloseEvent* event) {
  m_services.settings->setValue(QStringLiteral("window/geometry"), saveGeometry());
  event->accept();
  Form_Unload();
}

bool frmZarvex::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_client && event->type() == QEvent::Resize) Form_Resize();
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace zarvex
