#include "find_bar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextDocument>

#include "rich_text_view.h"

namespace zarvex {

FindBar::FindBar(RichTextView* view, QWidget* parent) : QWidget(parent), m_view(view) {
  setObjectName(QStringLiteral("findBar"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 2);
  auto* label = new QLabel(QStringLiteral("Find:"), this);
  txtFind = new QLineEdit(this);
  txtFind->setObjectName(QStringLiteral("txtFind"));
  label->setBuddy(txtFind);
  cmdPrevious = new QPushButton(QStringLiteral("Previous"), this);
  cmdNext = new QPushButton(QStringLiteral("Next"), this);
  chkMatchCase = new QCheckBox(QStringLiteral("Match case"), this);
  lblNote = new QLabel(this);
  cmdCloseFind = new QPushButton(QStringLiteral("Close"), this);
  for (QWidget* w : {static_cast<QWidget*>(label), static_cast<QWidget*>(txtFind), static_cast<QWidget*>(cmdPrevious),
                     static_cast<QWidget*>(cmdNext), static_cast<QWidget*>(chkMatchCase), static_cast<QWidget*>(lblNote)}) {
    layout->addWidget(w);
  }
  layout->setStretchFactor(lblNote, 1);
  layout->addWidget(cmdCloseFind);
  txtFind->installEventFilter(this);

  connect(txtFind, &QLineEdit::textChanged, this, [this] {
    // Searching as one types: from where the current match starts.
    QTextCursor cursor = m_view->textCursor();
    cursor.setPosition(cursor.selectionStart());
    m_view->setTextCursor(cursor);
    find(false);
  });
  // A change of case searches again from where the current match starts:
  // the count, the marks and the selection all follow the new rule.
  connect(chkMatchCase, &QCheckBox::toggled, this, [this] {
    QTextCursor cursor = m_view->textCursor();
    cursor.setPosition(cursor.selectionStart());
    m_view->setTextCursor(cursor);
    if (txtFind->text().isEmpty()) {
      markMatches();
    } else {
      find(false);
    }
  });
  connect(cmdNext, &QPushButton::clicked, this, [this] { findNext(); });
  connect(cmdPrevious, &QPushButton::clicked, this, [this] { findPrevious(); });
  connect(cmdCloseFind, &QPushButton::clicked, this, [this] { close(); });
  hide();
}

void FindBar::open() {
  show();
  txtFind->setFocus();
  txtFind->selectAll();
  markMatches();
}

void FindBar::close() {
  hide();
  m_view->setExtraSelections({});
  lblNote->clear();
  m_view->setFocus();
  emit closed();  // the listing takes back the bar's room
}

bool FindBar::findNext() { return find(false); }
bool FindBar::findPrevious() { return find(true); }

bool FindBar::find(bool backward) {
  const QString text = txtFind->text();
  const int count = markMatches();
  if (text.isEmpty()) return false;
  QTextDocument::FindFlags flags;
  if (chkMatchCase->isChecked()) flags |= QTextDocument::FindCaseSensitively;
  if (backward) flags |= QTextDocument::FindBackward;
  QTextDocument* document = m_view->document();
  QTextCursor found = document->find(text, m_view->textCursor(), flags);
  QString note = count == 1 ? QStringLiteral("1 match") : QStringLiteral("%1 matches").arg(count);
  if (found.isNull()) {
    // Round the end of the listing to the other end.
    QTextCursor from(document);
    if (backward) from.movePosition(QTextCursor::End);
    found = document->find(text, from, flags);
    if (found.isNull()) {
      lblNote->setText(QStringLiteral("Not found"));
      return false;
    }
    note += backward ? QStringLiteral(" (wrapped to the bottom)") : QStringLiteral(" (wrapped to the top)");
  }
  m_view->setTextCursor(found);
  m_view->centerCursor();
  lblNote->setText(note);
  return true;
}

int FindBar::markMatches() {
  QList<QTextEdit::ExtraSelection> marks;
  const QString text = txtFind->text();
  if (!text.isEmpty() && isVisible()) {
    QTextDocument::FindFlags flags;
    if (chkMatchCase->isChecked()) flags |= QTextDocument::FindCaseSensitively;
    QTextCharFormat format;
    format.setBackground(QColor(0xFF, 0xE0, 0x60));
    QTextDocument* document = m_view->document();
    for (QTextCursor at = document->find(text, 0, flags); !at.isNull(); at = document->find(text, at, flags)) {
      marks.append({at, format});
      if (marks.size() >= 100000) break;  // enough to see; a search still finds the rest
    }
  }
  m_view->setExtraSelections(marks);
  return static_cast<int>(marks.size());
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtFind && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      if (key->modifiers() & Qt::ShiftModifier) {
        findPrevious();
      } else {
        findNext();
      }
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      close();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace zarvex
