// frmZarvex: the main window. Shows the listing of the last program loaded,
// owns its file image and listing document, and hosts the decoder.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QSettings>
#include <memory>

#include "amos_loader.h"
#include <optional>

#include "bank_file.h"
#include "container_files.h"
#include "bank_set.h"
#include "common_dialog.h"
#include "listing_export.h"
#include "listing_host.h"
#include "listing_state.h"
#include "listing_style.h"
#include "message_boxes.h"
#include "program_place.h"

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QTabBar;

namespace zarvex {

class NavigatorDock;
class OutlineDock;
class FindInFilesDialog;

class FindBar;
class RecentFiles;
class RichTextView;

// The services the window reaches through interfaces, so tests can answer them.
struct WindowServices {
  std::shared_ptr<MessageBoxes> messages = std::make_shared<QtMessageBoxes>();
  std::shared_ptr<CommonDialog> dialog = std::make_shared<QtCommonDialog>();
  MorvaneImports* imports = &MorvaneImports::program();
  // Where choices are remembered across runs.
  std::shared_ptr<QSettings> settings =
      std::make_shared<QSettings>(QStringLiteral("Zarvex"), QStringLiteral("Zarvex"));
};

class frmZarvex : public QMainWindow, public ListingHost {
  Q_OBJECT

 public:
  // Creates the window and runs Form_Load with `commandLine` (the program's
  // arguments joined by blanks), before the window is first shown.
  explicit frmZarvex(const QString& commandLine, WindowServices services = {});
  ~frmZarvex() override;

  // The client area at start, below the menu bar.
  static constexpr int kClientWidth = 568;
  static constexpr int kClientHeight = 480;

  // Handlers.
  void Form_Load(const QString& commandLine);
  // Opens the file the command line names (its arguments' bytes joined by
  // blanks; one pair of quotes may surround it). The name stays bytes all
  // the way to the file system, so names that are not UTF-8 open.
  void openCommandLine(const std::string& commandLine);
  // Shows the window, then opens the command line's file once the window is
  // on the screen, so that a load's messages come over the window.
  void showThenOpen(const std::string& commandLine);
  void Form_Resize();
  void Form_Unload();
  void mnuOpen_Click();
  void mnuImportAmos_Click();
  void mnuExit_Click();
  void mnuOptionHighlight_Click();
  // Options > Complete Vocabulary: lists the file in memory again in the
  // other style, keeping the highlight mode, caret and selection.
  void mnuOptionComplete_Click();
  // Opens a viewer on the selected bank.
  void cmdViewBank_Click();
  // Writes the selected bank as a .abk file: its bytes as they stand.
  void cmdSaveBank_Click();
  // File > Import > ABK File...: lists the banks of a bank file (.abk, .abs).
  void mnuImportAbk_Click();
  // File > Save As...: the listing in the format its file type names
  // (.rtf, .txt, .asc, .html); Export > TXT File... and RTF File...
  void mnuSaveAs_Click();
  void mnuExportTxt_Click();
  void mnuExportRtf_Click();
  // Edit.
  void mnuFind_Click();
  void mnuFindNext_Click();
  void mnuFindPrevious_Click();
  void mnuGoToLine_Click();
  // Puts the caret at the start of `line` (from 1) and shows it.
  void goToLine(int line);
  // View > Zoom In, Zoom Out, Normal Size: remembered across runs.
  void zoomBy(int steps);
  void zoomNormal();
  // Opens `path`: a program is listed, a bank file has its banks listed, a
  // folder, disk image or archive is shown in the navigator; a member name
  // (games.adf/Games/X.AMOS) opens that member from memory.
  void openDropped(const std::string& path);
  // File > Open Folder...: a folder in the navigator.
  void mnuOpenFolder_Click();
  // Edit > Find in Files... (Ctrl+Shift+F): searches the programs of the
  // navigator's place, or of the shown file's folder; a result opens there.
  void mnuFindInFiles_Click();
  FindInFilesDialog* findInFiles() const { return m_findInFiles; }
  // File > Close (Ctrl+W): closes the tab shown; the last one stays, empty.
  void mnuClose_Click();
  int tabCount() const;

  // The banks listed: those of the last program or bank file read.
  const BankSet& Banks() const;

  // The style the listing is made in: the tick of Complete Vocabulary.
  ListingStyle listingStyle() const;

  // The state of the last load.
  const std::vector<std::uint8_t>& FileBytes() const { return m_state.FileBytes; }
  std::int32_t FileLength() const { return m_state.FileLength; }
  const std::string& RtfDocument() const { return m_state.RtfDocument; }

  // ListingHost.
  std::string programTitle() const override;
  using QMainWindow::setWindowTitle;
  void setWindowTitle(const std::string& title) override;
  bool highlightTicked() const override;
  void setHighlightTicked(bool ticked) override;
  ListingView& view() override;
  MessageAnswer showMessage(const std::string& text, MessageButtons buttons) override;
  // A note that waits for no answer, put up once the load has finished.
  void showLoadSummary(const std::string& text) override;

  // The client area, the parent of the controls.
  QWidget* client() const { return m_client; }

  // Controls, by their names.
  RichTextView* txtOutput;
  QListWidget* lstBanks;
  QPushButton* cmdViewBank;
  QPushButton* cmdSaveBank;
  CommonDialog& dlgCommon;

  QMenu* mnuFile;
  QAction* mnuOpen;
  QAction* mnuOpenFolder;
  QAction* mnuClose;
  QMenu* mnuRecent;
  QAction* mnuSaveAs;
  QAction* mnuSep1;
  QMenu* mnuImport;
  QAction* mnuImportAmos;
  QAction* mnuImportAbk;
  QMenu* mnuExport;
  QAction* mnuExportTxt;
  QAction* mnuExportRtf;
  QAction* mnuSep2;
  QAction* mnuExit;
  QMenu* mnuEdit;
  QAction* mnuCopy;
  QAction* mnuSelectAll;
  QAction* mnuSep3;
  QAction* mnuFind;
  QAction* mnuFindNext;
  QAction* mnuFindPrevious;
  QAction* mnuGoToLine;
  QMenu* mnuView;
  QAction* mnuZoomIn;
  QAction* mnuZoomOut;
  QAction* mnuZoomNormal;
  QAction* mnuSep4;
  QAction* mnuLineNumbers;
  QAction* mnuNavigator;  // shows or hides the navigator
  QAction* mnuOutline;    // shows or hides the outline
  QAction* mnuFindInFiles;
  QMenu* mnuOptions;
  QAction* mnuOptionHighlight;
  QAction* mnuOptionComplete;
  QMenu* mnuHelp;
  QAction* mnuAbout;  // Help > About Zarvex
  // The status bar's text: the listing style, and what it leaves undecoded.
  QLabel* lblStatus;
  // Under the listing while finding.
  FindBar* findBar = nullptr;
  // Beside the listing once a folder, disk image or archive is opened.
  NavigatorDock* dckNavigator;
  // Above the listing once two files are open: one tab a file.
  QTabBar* tabFiles;
  // The procedures and labels of the file shown (View > Outline).
  OutlineDock* dckOutline;

 signals:
  // Another file is shown: a tab switched, opened or closed.
  void shownFileChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void createMenus();
  void createControls();
  void createEditAndViewMenus();
  // Loads `path` (bytes), reporting a failure before decoding as Open does;
  // with `member`, the member of a container of that name, from memory.
  void loadReportingFailure(const std::string& path, const SourceFile* member = nullptr);
  // Lists the banks of the bank file at `path` (bytes).
  void importBanks(const std::string& path);
  void fillRecentMenu();
  // Adds `path` to Open Recent, which is then there to open.
  void rememberRecent(const QByteArray& path);
  // Writes the listing to a file the user names, in `format` or, without
  // one, in the format the name's type says.
  void exportTo(std::optional<ExportFormat> format, const char* suggestedType);
  // Runs a switch of the shown listing, keeping the lines in view.
  template <typename Switch>
  void keepingView(Switch&& change);
  void reportLoadFailure(const QString& description);
  // The load summary as a note over the window, in place of any still open.
  void showSummaryNote(const std::string& text);
  void setListingStyle(ListingStyle style);
  void updateStatus();
  // Lists the banks of `file` (a program or a bank file named `fileName`).
  void listBanks(std::vector<std::uint8_t> file, const QString& fileName);
  void showBanks(BankFile file, const QString& fileName);
  // Tabs. beginTab makes the tab that is to show `name` current: its own
  // when it is open already (then false: nothing to read), else the unused
  // tab shown or a new one. endTab names it after a load, or lets an unused
  // tab go again when nothing came of it.
  // A tab not shown keeps here what the window shows of it.
  struct FileTab {
    std::string name;  // what opened it: a path or a member name; empty while the tab is unused
    ListingState state;
    LoadResult result;
    std::string fileName;
    std::optional<BankFile> bankFile;
    QString bankFileName;
    ListingStyle style = ListingStyle::Classic;
    QString title;
    int caret = 0;
    int selection = 0;
    int top = 0;
    int left = 0;
  };
  void createTabs();
  bool beginTab(const std::string& name);
  void endTab(bool opened, const std::string& title);
  void saveTab();
  void showTab(int index);
  void closeTab(int index);
  void clearShownFile();
  void updateTabBar();
  void updateOutline();
  // Shows a folder or container in the navigator, reporting when it holds nothing.
  void showInNavigator(const std::string& place);
  const Bank* selectedBank() const;
  void reportFailure(const QString& text);

  WindowServices m_services;
  ListingState m_state;
  LoadResult m_lastResult;
  std::string m_fileName;    // the file part of the last path loaded
  bool m_relisting = false;  // a style switch is listing the file again
  StyleSwitchPlace m_stylePlace;  // where a style switch leaves the reader
  bool m_loading = false;    // a file is being loaded; its summary waits for the end
  std::string m_pendingSummary;
  QPointer<QWidget> m_summaryNote;  // the last summary shown, while it is open
  std::optional<BankFile> m_bankFile;  // the banks listed and the bytes they were read from
  std::vector<std::unique_ptr<FileTab>> m_tabs;  // the shown one's state lives in the members above
  int m_currentTab = 0;
  bool m_switchingTabs = false;
  QString m_emptyTitle;  // the title with no file open
  FindInFilesDialog* m_findInFiles = nullptr;
  QString m_bankFileName;
  std::unique_ptr<RecentFiles> m_recent;
  QWidget* m_client;
};

}  // namespace zarvex
