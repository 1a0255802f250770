#include "find_in_files_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <atomic>
#include <mutex>
#include <vector>

namespace zarvex {

namespace {

// How often the window takes what the search found, and how long it spends
// showing it at a time: a search with tens of thousands of hits fills the
// list while the window still answers.
constexpr int kPollMilliseconds = 30;
constexpr qint64 kShowMilliseconds = 20;
// The search hands its hits over at the end of each program or when this
// many wait, whichever comes first.
constexpr std::size_t kHandOver = 512;

enum Column { kFileColumn, kLineColumn, kTextColumn };

// The Text column: the line with its match in bold on a marker colour.
class MatchDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const int start = index.data(FindInFilesDialog::kColumnRole).toInt();
    const int length = index.data(FindInFilesDialog::kLengthRole).toInt();
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    if (length <= 0 || start < 0 || start + length > text.size()) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    item.text.clear();
    const QWidget* widget = item.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);  // background, selection, focus

    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget).adjusted(margin, 0, -margin, 0);
    const bool selected = (item.state & QStyle::State_Selected) != 0;
    QTextCharFormat match;
    match.setFontWeight(QFont::Bold);
    if (!selected) {
      match.setBackground(QColor(255, 226, 110));
      match.setForeground(QColor(Qt::black));
    }
    QTextLayout layout(text, item.font);
    layout.setFormats({QTextLayout::FormatRange{start, length, match}});
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(textOption);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid()) return;

    painter->save();
    painter->setClipRect(area);
    painter->setPen(item.palette.color(option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled,
                                       selected ? QPalette::HighlightedText : QPalette::Text));
    layout.draw(painter, QPointF(area.left(), area.top() + (area.height() - line.height()) / 2));
    painter->restore();
  }
};

QString plural(qint64 count, const char* one, const char* many) {
  return QStringLiteral("%1 %2").arg(QLocale().toString(count), QLatin1String(count == 1 ? one : many));
}

}  // namespace

// What the window's thread and the search's thread share.
struct FindInFilesDialog::Shared {
  std::atomic<bool> cancel{false};
  std::atomic<int> done{0};
  std::atomic<int> total{0};
  std::mutex mutex;  // guards what follows
  std::vector<SearchHit> hits;  // found, not yet taken
  std::vector<std::string> notes;
  bool finished = false;
  SearchSummary summary;
};

FindInFilesDialog::FindInFilesDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("dlgFindInFiles"));
  setWindowTitle(QStringLiteral("Find in Files"));
  setSizeGripEnabled(true);

  txtFindWhat = new QLineEdit(this);
  txtFindWhat->setObjectName(QStringLiteral("txtFindWhat"));
  chkMatchCase = new QCheckBox(QStringLiteral("Match &case"), this);
  chkMatchCase->setObjectName(QStringLiteral("chkMatchCase"));
  txtLookIn = new QLineEdit(this);
  txtLookIn->setObjectName(QStringLiteral("txtLookIn"));
  txtLookIn->setPlaceholderText(QStringLiteral("A folder, a disk image or an archive"));
  cmdBrowse = new QPushButton(QStringLiteral("&Browse..."), this);
  cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
  cmdFind = new QPushButton(QStringLiteral("&Find"), this);
  cmdFind->setObjectName(QStringLiteral("cmdFind"));
  cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
  cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
  cmdClose = new QPushButton(QStringLiteral("Close"), this);
  cmdClose->setObjectName(QStringLiteral("cmdClose"));
  // Enter in the boxes finds, Enter on a hit opens it: no button is the default.
  for (QPushButton* button : {cmdBrowse, cmdFind, cmdCancel, cmdClose}) button->setAutoDefault(false);
  prgSearch = new QProgressBar(this);
  prgSearch->setObjectName(QStringLiteral("prgSearch"));
  prgSearch->setRange(0, 1);
  prgSearch->setValue(0);
  prgSearch->setTextVisible(false);
  lblStatus = new QLabel(this);
  lblStatus->setObjectName(QStringLiteral("lblStatus"));
  lstResults = new QTreeWidget(this);
  lstResults->setObjectName(QStringLiteral("lstResults"));
  lstResults->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Line"), QStringLiteral("Text")});
  lstResults->setRootIsDecorated(false);
  lstResults->setUniformRowHeights(true);
  lstResults->setAllColumnsShowFocus(true);
  lstResults->setItemDelegateForColumn(kTextColumn, new MatchDelegate(lstResults));
  lstResults->header()->setStretchLastSection(true);
  lstResults->setColumnWidth(kFileColumn, 260);
  lstResults->setColumnWidth(kLineColumn, 60);

  auto* whatLabel = new QLabel(QStringLiteral("Find &what:"), this);
  whatLabel->setBuddy(txtFindWhat);
  auto* whereLabel = new QLabel(QStringLiteral("&Look in:"), this);
  whereLabel->setBuddy(txtLookIn);
  auto* form = new QGridLayout;
  form->addWidget(whatLabel, 0, 0);
  form->addWidget(txtFindWhat, 0, 1);
  form->addWidget(cmdFind, 0, 2);
  form->addWidget(whereLabel, 1, 0);
  form->addWidget(txtLookIn, 1, 1);
  form->addWidget(cmdBrowse, 1, 2);
  form->addWidget(chkMatchCase, 2, 1);
  form->addWidget(cmdCancel, 2, 2);
  form->setColumnStretch(1, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(lblStatus, 1);
  bottom->addWidget(cmdClose);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(prgSearch);
  layout->addWidget(lstResults, 1);
  layout->addLayout(bottom);
  resize(760, 480);

  auto* browse = new QMenu(cmdBrowse);
  browse->addAction(QStringLiteral("&Folder..."), this, [this] {
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Look In"), place());
    if (!folder.isEmpty()) setPlace(folder);
  });
  browse->addAction(QStringLiteral("&Disk Image or Archive..."), this, [this] {
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("Look In"), QFileInfo(place()).path(),
        QStringLiteral("Disk images and archives (*.adf *.lha *.lzh *.zip *.tar);;All files (*)"));
    if (!file.isEmpty()) setPlace(file);
  });
  cmdBrowse->setMenu(browse);

  m_poll = new QTimer(this);
  m_poll->setInterval(kPollMilliseconds);
  connect(m_poll, &QTimer::timeout, this, [this] { takeResults(); });
  connect(cmdFind, &QPushButton::clicked, this, [this] { startSearch(); });
  connect(txtFindWhat, &QLineEdit::returnPressed, this, [this] { startSearch(); });
  connect(txtLookIn, &QLineEdit::returnPressed, this, [this] { startSearch(); });
  connect(cmdCancel, &QPushButton::clicked, this, [this] { cancelSearch(); });
  connect(cmdClose, &QPushButton::clicked, this, [this] { reject(); });
  connect(txtFindWhat, &QLineEdit::textChanged, this, [this] { updateButtons(); });
  connect(txtLookIn, &QLineEdit::textChanged, this, [this] { updateButtons(); });
  connect(lstResults, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) {
    if (item == nullptr) return;
    emit openRequested(item->data(kFileColumn, kFileRole).toByteArray().toStdString(),
                       item->data(kFileColumn, kLineRole).toInt());
  });
  updateButtons();
}

FindInFilesDialog::~FindInFilesDialog() {
  if (m_worker.joinable()) {
    m_shared->cancel = true;
    m_worker.join();
  }
}

void FindInFilesDialog::setPlace(const QString& place) { txtLookIn->setText(place); }

QString FindInFilesDialog::place() const { return txtLookIn->text().trimmed(); }

void FindInFilesDialog::setStyle(ListingStyle style) { m_style = style; }

bool FindInFilesDialog::searching() const { return m_worker.joinable(); }

void FindInFilesDialog::startSearch() {
  const QString text = txtFindWhat->text();
  if (text.isEmpty() || place().isEmpty()) return;
  stopAndWait();
  lstResults->clear();
  m_queue.clear();
  m_notes.clear();
  lblStatus->setToolTip({});
  m_summary = {};
  m_finished = false;
  m_searchedPlace = QFile::encodeName(place()).toStdString();
  while (m_searchedPlace.size() > 1 && m_searchedPlace.ends_with('/')) m_searchedPlace.pop_back();
  prgSearch->setRange(0, 0);  // busy while the programs are counted

  auto shared = std::make_shared<Shared>();
  m_shared = shared;
  m_worker = std::thread([shared, names = std::vector<std::string>{m_searchedPlace}, wanted = text.toStdString(),
                          ignoreCase = !chkMatchCase->isChecked(), style = m_style] {
    std::vector<SearchHit> found;  // handed over in batches
    int kept = 0;
    const auto handOver = [&] {
      if (found.empty()) return;
      const std::lock_guard lock(shared->mutex);
      for (SearchHit& hit : found) shared->hits.push_back(std::move(hit));
      found.clear();
    };
    SearchSummary summary;
    try {
      summary = searchPrograms(
          names, wanted, ignoreCase, style,
          [&](const SearchHit& hit) {
            if (kept >= kMaxShown) return;
            ++kept;
            found.push_back(hit);
            if (found.size() >= kHandOver) handOver();
          },
          [&](int done, int total) {
            handOver();
            shared->total = total;
            shared->done = done;
            return !shared->cancel.load();
          },
          [&](const std::string& note) {
            const std::lock_guard lock(shared->mutex);
            shared->notes.push_back(note);
          });
    } catch (const std::exception&) {
      // Out of memory, most likely: what was found is shown.
      summary.failed = true;
      const std::lock_guard lock(shared->mutex);
      shared->notes.push_back("the search stopped: out of memory");
    }
    handOver();
    const std::lock_guard lock(shared->mutex);
    shared->summary = summary;
    shared->finished = true;
  });
  m_poll->start();
  updateButtons();
  showStatus();
}

void FindInFilesDialog::cancelSearch() {
  if (!m_worker.joinable()) return;
  m_shared->cancel = true;
  updateButtons();
  showStatus();
}

void FindInFilesDialog::done(int result) {
  stopAndWait();
  QDialog::done(result);
}

void FindInFilesDialog::stopAndWait() {
  if (!m_worker.joinable()) return;
  m_shared->cancel = true;
  m_worker.join();
  m_queue.clear();  // what was not shown yet stays unshown
  {
    const std::lock_guard lock(m_shared->mutex);
    for (const std::string& note : m_shared->notes) m_notes << QString::fromStdString(note);
    m_summary = m_shared->summary;
  }
  finishSearch();
}

void FindInFilesDialog::finishSearch() {
  m_poll->stop();
  m_shared.reset();
  m_finished = true;
  updateButtons();
  showStatus();
  emit searchFinished();
}

void FindInFilesDialog::takeResults() {
  if (!m_shared) return;
  bool finished = false;
  {
    const std::lock_guard lock(m_shared->mutex);
    for (SearchHit& hit : m_shared->hits) m_queue.push_back(std::move(hit));
    m_shared->hits.clear();
    for (const std::string& note : m_shared->notes) m_notes << QString::fromStdString(note);
    m_shared->notes.clear();
    finished = m_shared->finished;
    if (finished) m_summary = m_shared->summary;
  }

  // As many items as fit the time given, then back to the window's events.
  const std::string prefix = m_searchedPlace + '/';
  QElapsedTimer clock;
  clock.start();
  while (!m_queue.empty() && clock.elapsed() < kShowMilliseconds) {
    QList<QTreeWidgetItem*> items;
    for (int n = 0; n < 256 && !m_queue.empty(); ++n) {
      const SearchHit& hit = m_queue.front();
      auto* item = new QTreeWidgetItem;
      std::string shown = hit.file.starts_with(prefix) ? hit.file.substr(prefix.size()) : hit.file;
      if (hit.file == m_searchedPlace) shown = hit.file.substr(hit.file.rfind('/') + 1);
      item->setText(kFileColumn, QString::fromStdString(shown));
      item->setToolTip(kFileColumn, QString::fromStdString(hit.file));
      item->setData(kFileColumn, kFileRole, QByteArray::fromStdString(hit.file));
      item->setData(kFileColumn, kLineRole, hit.line);
      item->setText(kLineColumn, QString::number(hit.line));
      item->setTextAlignment(kLineColumn, Qt::AlignRight | Qt::AlignVCenter);
      // The line without its indentation, the match moved with it.
      QString text = QString::fromStdString(hit.text);
      qsizetype indent = 0;
      while (indent < text.size() && indent < hit.column && text[indent] == QLatin1Char(' ')) ++indent;
      text.remove(0, indent);
      item->setText(kTextColumn, text);
      item->setToolTip(kTextColumn, text);
      item->setData(kTextColumn, kColumnRole, static_cast<int>(hit.column - indent));
      item->setData(kTextColumn, kLengthRole, hit.length);
      items << item;
      m_queue.pop_front();
    }
    lstResults->addTopLevelItems(items);
  }

  if (finished && m_queue.empty()) {
    m_worker.join();  // its last step is done already
    finishSearch();
    return;
  }
  const int total = m_shared->total;
  if (total > 0) {
    prgSearch->setRange(0, total);
    prgSearch->setValue(m_shared->done);
  }
  showStatus();
}

void FindInFilesDialog::updateButtons() {
  cmdFind->setEnabled(!txtFindWhat->text().isEmpty() && !place().isEmpty());
  cmdCancel->setEnabled(m_worker.joinable() && m_shared && !m_shared->cancel);
}

void FindInFilesDialog::showStatus() {
  const QString listings = m_style == ListingStyle::Classic ? QStringLiteral("classic") : QStringLiteral("complete");
  QString status;
  if (!m_finished) {
    const int total = m_shared ? m_shared->total.load() : 0;
    if (m_shared && m_shared->cancel) {
      status = QStringLiteral("Cancelling...");
    } else if (total == 0) {
      status = QStringLiteral("Counting the programs...");
    } else {
      status = QStringLiteral("Searching %1 of %2 programs: %3")
                   .arg(QLocale().toString(m_shared->done.load()), QLocale().toString(total),
                        plural(lstResults->topLevelItemCount() + static_cast<qint64>(m_queue.size()), "line", "lines"));
    }
  } else {
    if (m_summary.hits == 0) {
      status = QStringLiteral("Not found in the %1 listings of %2").arg(listings, plural(m_summary.programs, "program", "programs"));
    } else {
      status = QStringLiteral("%1 in the %2 listings of %3")
                   .arg(plural(m_summary.hits, "line", "lines"), listings, plural(m_summary.programs, "program", "programs"));
    }
    if (m_summary.hits > lstResults->topLevelItemCount()) {
      status += QStringLiteral(" (the first %1 shown)").arg(QLocale().toString(lstResults->topLevelItemCount()));
    }
    if (m_summary.cancelled) status = QStringLiteral("Cancelled: ") + status;
    prgSearch->setRange(0, 1);
    prgSearch->setValue(m_summary.cancelled ? 0 : 1);
  }
  if (!m_notes.isEmpty()) {
    status += m_summary.programs == 0 && m_finished ? QStringLiteral(". ") + m_notes.front()
                                                    : QStringLiteral(". ") + plural(m_notes.size(), "warning", "warnings");
    lblStatus->setToolTip(m_notes.join(QLatin1Char('\n')));
  }
  lblStatus->setText(status);
}

}  // namespace zarvex
