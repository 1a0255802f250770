// Stand-ins for the window's message boxes and file dialog: they record what
// was shown and answer from a script.
#pragma once

#include <QCoreApplication>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <vector>

#include "common_dialog.h"
#include "frm_zarvex.h"
#include "message_boxes.h"
#include "runtime_error.h"

namespace zarvex::testing {

// The next of `candidates` after `from` in the focus chain; controls' own
// inner widgets (viewports, scroll bars) are passed over.
inline QWidget* nextInTabOrder(QWidget* from, std::initializer_list<QWidget*> candidates) {
  for (QWidget* w = from->nextInFocusChain(); w != from; w = w->nextInFocusChain()) {
    for (QWidget* c : candidates) {
      if (w == c) return w;
    }
  }
  return nullptr;
}

class ScriptedMessageBoxes : public MessageBoxes {
 public:
  struct Shown {
    QString caption, text;
    MessageButtons buttons;
    MessageIcon icon;
    bool overVisibleWindow = false;  // the box's window was on the screen
    bool waited = true;              // a modal box, not a note
  };
  MessageAnswer show(QWidget* parent, const QString& caption, const QString& text, MessageButtons buttons,
                     MessageIcon icon) override {
    record({caption, text, buttons, icon, parent != nullptr && parent->isVisible()});
    if (buttons == MessageButtons::Ok || answers.empty()) return MessageAnswer::Ok;
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  QWidget* note(QWidget* parent, const QString& caption, const QString& text) override {
    record({caption, text, MessageButtons::Ok, MessageIcon::None, parent != nullptr && parent->isVisible(), false});
    return nullptr;
  }
  std::vector<Shown> shown;
  std::deque<MessageAnswer> answers;
  // Called as each box comes, after it is recorded: to look at the window then.
  std::function<void(const Shown&)> whenShown;

 private:
  void record(const Shown& box) {
    shown.push_back(box);
    if (whenShown) whenShown(box);
  }
};

// Returns the queued paths in turn; an empty queue is the user cancelling.
// Open and save dialogs have queues of their own.
class ScriptedDialog : public CommonDialog {
 public:
  QString showOpen(QWidget*) override {
    ++opened;
    filtersShown.push_back(filter());
    if (paths.empty()) throw RuntimeError(kErrDialogCancel, "Cancel was selected.");
    const QString path = paths.front();
    paths.pop_front();
    return path;
  }
  QString showSave(QWidget*, const QString& suggestedName) override {
    suggestions.push_back(suggestedName);
    filtersShown.push_back(filter());
    if (savePaths.empty()) throw RuntimeError(kErrDialogCancel, "Cancel was selected.");
    const QString path = savePaths.front();
    savePaths.pop_front();
    return path;
  }
  QString showFolder(QWidget*) override {
    if (folders.empty()) throw RuntimeError(kErrDialogCancel, "Cancel was selected.");
    const QString folder = folders.front();
    folders.pop_front();
    return folder;
  }
  std::deque<QString> paths;
  std::deque<QString> folders;        // answers of folder dialogs
  std::deque<QString> savePaths;      // answers of save dialogs
  std::vector<QString> suggestions;   // the names save dialogs suggested
  std::vector<QString> filtersShown;  // the filter of each open or save dialog as it showed
  int opened = 0;
};

// Settings of their own for each test window, in a folder that goes when
// the tests end, so tests never see the user's choices or each other's.
inline std::shared_ptr<QSettings> freshSettings() {
  static QTemporaryDir folder;
  static int count = 0;
  auto settings = std::make_shared<QSettings>(folder.filePath(QStringLiteral("settings-%1.ini").arg(++count)),
                                              QSettings::IniFormat);
  settings->clear();
  return settings;
}

// A window with scripted services. Pass the settings of an earlier window to
// start it as a later run of the program would.
struct TestWindow {
  explicit TestWindow(const QString& commandLine = QString(), std::shared_ptr<QSettings> settings = freshSettings())
      : messages(std::make_shared<ScriptedMessageBoxes>()),
        dialog(std::make_shared<ScriptedDialog>()),
        settings(std::move(settings)) {
    WindowServices services;
    services.messages = messages;
    services.dialog = dialog;
    services.settings = this->settings;
    window = std::make_unique<frmZarvex>(commandLine, services);
  }
  std::shared_ptr<ScriptedMessageBoxes> messages;
  std::shared_ptr<ScriptedDialog> dialog;
  std::shared_ptr<QSettings> settings;
  std::unique_ptr<frmZarvex> window;
};

}  // namespace zarvex::testing
