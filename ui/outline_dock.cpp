#include "outline_dock.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace zarvex {

namespace {

constexpr int kEntryRole = Qt::UserRole;  // the entry's index in the outline

QString latin1(const std::string& text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

OutlineDock::OutlineDock(QWidget* parent) : QDockWidget(QStringLiteral("Outline"), parent) {
  setObjectName(QStringLiteral("dckOutline"));
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(4, 4, 4, 4);
  txtOutlineFilter = new QLineEdit(body);
  txtOutlineFilter->setObjectName(QStringLiteral("txtOutlineFilter"));
  txtOutlineFilter->setPlaceholderText(QStringLiteral("Filter"));
  txtOutlineFilter->setClearButtonEnabled(true);
  lstOutline = new QTreeWidget(body);
  lstOutline->setObjectName(QStringLiteral("lstOutline"));
  lstOutline->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Line")});
  lstOutline->setRootIsDecorated(false);
  lstOutline->setUniformRowHeights(true);  // thousands of entries lay out at once
  lstOutline->setSelectionMode(QAbstractItemView::SingleSelection);
  lstOutline->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  lstOutline->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  lstOutline->header()->setStretchLastSection(false);
  lstOutline->installEventFilter(this);
  layout->addWidget(txtOutlineFilter);
  layout->addWidget(lstOutline);
  setWidget(body);

  connect(txtOutlineFilter, &QLineEdit::textChanged, this, [this](const QString& text) { applyFilter(text); });
  // Enter in the filter box goes to the first entry left in sight.
  connect(txtOutlineFilter, &QLineEdit::returnPressed, this, [this] {
    for (int i = 0; i < lstOutline->topLevelItemCount(); ++i) {
      if (!lstOutline->topLevelItem(i)->isHidden()) {
        choose(lstOutline->topLevelItem(i));
        return;
      }
    }
  });
  connect(lstOutline, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) { choose(item); });
}

void OutlineDock::setOutline(std::vector<OutlineEntry> entries) {
  m_entries = std::move(entries);
  m_marked = -1;
  m_numbered.clear();
  lstOutline->clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(m_entries.size()));
  for (std::size_t i = 0; i < m_entries.size(); ++i) {
    const OutlineEntry& entry = m_entries[i];
    const bool procedure = entry.kind == OutlineEntry::Kind::Procedure;
    auto* item = new QTreeWidgetItem;
    item->setText(0, entry.name.empty() && procedure ? QStringLiteral("Procedure") : latin1(entry.name));
    item->setToolTip(0, procedure ? QStringLiteral("Procedure") : QStringLiteral("Label"));
    if (entry.line > 0) {
      item->setText(1, QString::number(entry.line));
      m_numbered.push_back(static_cast<int>(i));
    } else {
      // The listing in this style does not reach it: shown, never a jump.
      item->setToolTip(1, QStringLiteral("Not in this listing"));
      item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
    }
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    item->setData(0, kEntryRole, static_cast<int>(i));
    items.append(item);
  }
  lstOutline->addTopLevelItems(items);
  applyFilter(txtOutlineFilter->text());
}

void OutlineDock::markLine(int line) {
  // The entries that have a line come in the order of their lines.
  const auto after = std::upper_bound(m_numbered.begin(), m_numbered.end(), line, [this](int wanted, int index) {
    return wanted < m_entries[static_cast<std::size_t>(index)].line;
  });
  setMarked(after == m_numbered.begin() ? -1 : *(after - 1));
}

void OutlineDock::setMarked(int index) {
  if (index == m_marked) return;
  if (m_marked >= 0) {
    QTreeWidgetItem* old = lstOutline->topLevelItem(m_marked);
    QFont font = old->font(0);
    font.setBold(false);
    old->setFont(0, font);
    old->setFont(1, font);
  }
  m_marked = index;
  if (index < 0) {
    lstOutline->clearSelection();
    return;
  }
  QTreeWidgetItem* item = lstOutline->topLevelItem(index);
  QFont font = item->font(0);
  font.setBold(true);
  item->setFont(0, font);
  item->setFont(1, font);
  // Made current without a jump: only a click or Enter asks for one.
  lstOutline->setCurrentItem(item);
  if (!item->isHidden()) lstOutline->scrollToItem(item);
}

void OutlineDock::choose(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  const int index = item->data(0, kEntryRole).toInt();
  if (index < 0 || static_cast<std::size_t>(index) >= m_entries.size()) return;
  const int line = m_entries[static_cast<std::size_t>(index)].line;
  if (line > 0) emit jumpRequested(line);
}

bool OutlineDock::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lstOutline && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      choose(lstOutline->currentItem());
      return true;
    }
  }
  return QDockWidget::eventFilter(watched, event);
}

void OutlineDock::applyFilter(const QString& text) {
  const QString wanted = text.trimmed();
  lstOutline->setUpdatesEnabled(false);
  for (int i = 0; i < lstOutline->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = lstOutline->topLevelItem(i);
    const bool shown = wanted.isEmpty() || item->text(0).contains(wanted, Qt::CaseInsensitive);
    if (item->isHidden() == shown) item->setHidden(!shown);
  }
  lstOutline->setUpdatesEnabled(true);
  if (m_marked >= 0 && !lstOutline->topLevelItem(m_marked)->isHidden()) {
    lstOutline->scrollToItem(lstOutline->topLevelItem(m_marked));
  }
}

}  // namespace zarvex
