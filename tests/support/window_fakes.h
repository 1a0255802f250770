// Stand-ins for the window's message boxes and file dialog: they record what
// was shown and answer from a script.
#pragma once

#include <QString>
#include <deque>
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
  };
  MessageAnswer show(QWidget*, const QString& caption, const QString& text, MessageButtons buttons,
                     MessageIcon icon) override {
    shown.push_back({caption, text, buttons, icon});
    if (buttons == MessageButtons::Ok || answers.empty()) return MessageAnswer::Ok;
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::vector<Shown> shown;
  std::deque<MessageAnswer> answers;
};

// Returns the queued paths in turn; an empty queue is the user cancelling.
class ScriptedDialog : public CommonDialog {
 public:
  QString showOpen(QWidget*) override {
    ++opened;
    if (paths.empty()) throw RuntimeError(kErrDialogCancel, "Cancel was selected.");
    const QString path = paths.front();
    paths.pop_front();
    return path;
  }
  std::deque<QString> paths;
  int opened = 0;
};

// A window with scripted services.
struct TestWindow {
  explicit TestWindow(const QString& commandLine = QString())
      : messages(std::make_shared<ScriptedMessageBoxes>()), dialog(std::make_shared<ScriptedDialog>()) {
    WindowServices services;
    services.messages = messages;
    services.dialog = dialog;
    window = std::make_unique<frmZarvex>(commandLine, services);
  }
  std::shared_ptr<ScriptedMessageBoxes> messages;
  std::shared_ptr<ScriptedDialog> dialog;
  std::unique_ptr<frmZarvex> window;
};

}  // namespace zarvex::testing
