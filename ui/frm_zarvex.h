// frmZarvex: the main window. Shows the listing of the last program loaded,
// owns its file image and listing document, and hosts the decoder.
#pragma once

#include <QMainWindow>
#include <memory>

#include "amos_loader.h"
#include "common_dialog.h"
#include "listing_host.h"
#include "listing_state.h"
#include "message_boxes.h"

class QAction;
class QListWidget;
class QMenu;
class QPushButton;

namespace zarvex {

class RichTextView;

// The services the window reaches through interfaces, so tests can answer them.
struct WindowServices {
  std::shared_ptr<MessageBoxes> messages = std::make_shared<QtMessageBoxes>();
  std::shared_ptr<CommonDialog> dialog = std::make_shared<QtCommonDialog>();
  MorvaneImports* imports = &MorvaneImports::program();
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
  void Form_Resize();
  void Form_Unload();
  void mnuOpen_Click();
  void mnuImportAmos_Click();
  void mnuExit_Click();
  void mnuOptionHighlight_Click();
  void cmdViewBank_Click();

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
  QMenu* mnuOptions;
  QAction* mnuOptionHighlight;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createMenus();
  void createControls();
  // Loads `path`, reporting a failure before decoding as Open does.
  void loadReportingFailure(const QString& path);
  void reportLoadFailure(const QString& description);

  WindowServices m_services;
  ListingState m_state;
  QWidget* m_client;
};

}  // namespace zarvex
