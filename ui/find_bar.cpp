#include "find_bar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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
    m_view->setSelectionStart(m_view->selectionStart());
    find(false);
  });
  // A change of case searches again from where the current match starts:
  // the count, the marks and the selection all follow the new rule.
  connect(chkMatchCase, &QCheckBox::toggled, this, [this] {
    m_view->setSelectionStart(m_view->selectionStart());
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
  m_view->setMarks({});
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
  const bool caseSensitive = chkMatchCase->isChecked();
  // Forward from the end of the current match, backward from its start.
  const std::int32_t from = backward ? m_view->selectionStart() : m_view->selectionStart() + m_view->selectionLength();
  auto found = m_view->find(text, from, backward, caseSensitive);
  QString note = count == 1 ? QStringLiteral("1 match") : QStringLiteral("%1 matches").arg(count);
  if (!found) {
    // Round the end of the listing to the other end.
    found = m_view->find(text, backward ? m_view->characterCount() : 0, backward, caseSensitive);
    if (!found) {
      lblNote->setText(QStringLiteral("Not found"));
      return false;
    }
    note += backward ? QStringLiteral(" (wrapped to the bottom)") : QStringLiteral(" (wrapped to the top)");
  }
  m_view->select(*found, *found + static_cast<std::int32_t>(text.size()));
  m_view->revealCaret();
  lblNote->setText(note);
  return true;
}

int FindBar::markMatches() {
  std::vector<RichTextView::Range> marks;
  const QString text = txtFind->text();
  // Enough to see; a search still finds the rest.
  constexpr std::size_t kMostMarks = 100000;
  if (!text.isEmpty() && isVisible()) marks = m_view->findAll(text, chkMatchCase->isChecked(), kMostMarks);
  const int count = static_cast<int>(marks.size());
  m_view->setMarks(std::move(marks));
  return count;
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
