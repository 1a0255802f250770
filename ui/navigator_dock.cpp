#include "navigator_dock.h"

#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>
#include <map>

#include "container_files.h"

namespace zarvex {

namespace {

// Folders (and containers opened) before files, each in name order without
// regard to case, as file managers list them.
class NavigatorItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override {
    const bool folder = childCount() > 0, otherFolder = other.childCount() > 0;
    if (folder != otherFolder) return folder;
    const int column = treeWidget() != nullptr ? treeWidget()->sortColumn() : 0;
    if (column == 2) return text(2).toLongLong() < other.text(2).toLongLong();
    return QString::localeAwareCompare(text(column).toCaseFolded(), other.text(column).toCaseFolded()) < 0;
  }
};

constexpr int kNameRole = Qt::UserRole;      // the full name to open
constexpr int kOpensRole = Qt::UserRole + 1;  // a program or bank file

QString kindText(MemberKind kind) {
  switch (kind) {
    case MemberKind::Program:
      return QStringLiteral("program");
    case MemberKind::Bank:
      return QStringLiteral("bank");
    case MemberKind::Container:
      return QStringLiteral("container");
    case MemberKind::Other:
      break;
  }
  return QStringLiteral("other");
}

std::uint64_t sizeOf(const SourceFile& file) {
  if (file.hostPath.empty()) return file.bytes.size();
  std::error_code error;
  const auto size = std::filesystem::file_size(file.hostPath, error);
  return error ? 0 : size;
}

}  // namespace

NavigatorDock::NavigatorDock(QWidget* parent) : QDockWidget(QStringLiteral("Navigator"), parent) {
  setObjectName(QStringLiteral("dckNavigator"));
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(4, 4, 4, 4);
  txtFilter = new QLineEdit(body);
  txtFilter->setObjectName(QStringLiteral("txtFilter"));
  txtFilter->setPlaceholderText(QStringLiteral("Filter"));
  txtFilter->setClearButtonEnabled(true);
  tvwFiles = new QTreeWidget(body);
  tvwFiles->setObjectName(QStringLiteral("tvwFiles"));
  tvwFiles->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Kind"), QStringLiteral("Size")});
  tvwFiles->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  tvwFiles->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  tvwFiles->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  tvwFiles->header()->setStretchLastSection(false);
  setMinimumWidth(320);
  cmdWarnings = new QPushButton(body);
  cmdWarnings->setObjectName(QStringLiteral("cmdWarnings"));
  cmdWarnings->hide();
  layout->addWidget(txtFilter);
  layout->addWidget(tvwFiles);
  layout->addWidget(cmdWarnings);
  setWidget(body);

  connect(txtFilter, &QLineEdit::textChanged, this, [this](const QString& text) { applyFilter(text); });
  connect(cmdWarnings, &QPushButton::clicked, this, [this] { showWarnings(); });
  const auto open = [this](QTreeWidgetItem* item) {
    if (item != nullptr && item->data(0, kOpensRole).toBool()) {
      emit openRequested(item->data(0, kNameRole).toByteArray().toStdString());
    }
  };
  connect(tvwFiles, &QTreeWidget::itemActivated, this, [open](QTreeWidgetItem* item, int) { open(item); });
  connect(tvwFiles, &QTreeWidget::itemClicked, this, [open](QTreeWidgetItem* item, int) { open(item); });
}

bool NavigatorDock::showPlace(const std::string& name) {
  tvwFiles->clear();
  m_warnings.clear();
  m_place = name;
  // Folders and containers as items, made as the paths below the place need them.
  std::map<std::string, QTreeWidgetItem*> folders;
  const auto folderItem = [&](const std::string& path) {
    QTreeWidgetItem* parent = nullptr;
    std::string sofar;
    std::size_t start = 0;
    while (start < path.size()) {
      const auto slash = path.find('/', start);
      const std::string part = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
      sofar += (sofar.empty() ? "" : "/") + part;
      auto& item = folders[sofar];
      if (item == nullptr) {
        item = parent == nullptr ? new NavigatorItem(tvwFiles) : new NavigatorItem(parent);
        item->setText(0, QString::fromStdString(part));
      }
      parent = item;
      if (slash == std::string::npos) break;
      start = slash + 1;
    }
    return parent;
  };
  const std::string prefix = name.ends_with('/') ? name : name + '/';
  int files = 0;
  const bool found = forEachSourceFile(
      name,
      [&](SourceFile& file) {
        // The path below the place: a member's name continues the place's.
        std::string below = file.name.starts_with(prefix) ? file.name.substr(prefix.size()) : file.name;
        const auto slash = below.rfind('/');
        QTreeWidgetItem* parent = nullptr;
        if (slash != std::string::npos) {
          // Folders, and the containers a member sits in, by their names.
          const std::string folder = below.substr(0, slash);
          parent = folderItem(folder);
        }
        auto* item = parent == nullptr ? new NavigatorItem(tvwFiles) : new NavigatorItem(parent);
        item->setText(0, QString::fromStdString(slash == std::string::npos ? below : below.substr(slash + 1)));
        item->setText(1, kindText(file.kind) + (file.damaged ? QStringLiteral(", damaged") : QString()));
        item->setText(2, QString::number(sizeOf(file)));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(0, kNameRole, QByteArray::fromStdString(file.name));
        const bool opens = file.kind == MemberKind::Program || file.kind == MemberKind::Bank;
        item->setData(0, kOpensRole, opens);
        item->setToolTip(0, QString::fromStdString(file.name));
        if (!opens) {
          for (int column = 0; column < 3; ++column) item->setForeground(column, palette().brush(QPalette::Disabled, QPalette::Text));
        }
        ++files;
      },
      [&](const std::string& sentence) { m_warnings << QString::fromStdString(sentence); });
  tvwFiles->sortItems(0, Qt::AscendingOrder);
  tvwFiles->expandToDepth(0);
  tvwFiles->resizeColumnToContents(1);
  tvwFiles->resizeColumnToContents(2);
  setWindowTitle(QStringLiteral("Navigator - %1").arg(QFile::decodeName(QByteArray::fromStdString(name)).section(QLatin1Char('/'), -1)));
  cmdWarnings->setText(m_warnings.size() == 1 ? QStringLiteral("1 warning...") : QStringLiteral("%1 warnings...").arg(m_warnings.size()));
  cmdWarnings->setVisible(!m_warnings.isEmpty());
  applyFilter(txtFilter->text());
  return found && files > 0;
}

void NavigatorDock::applyFilter(const QString& text) {
  // An item stays when its name holds the text, when one below it does, or
  // when one above it does (a folder found shows what it holds).
  std::function<bool(QTreeWidgetItem*, bool)> keep = [&](QTreeWidgetItem* item, bool above) {
    const bool here = above || text.isEmpty() || item->text(0).contains(text, Qt::CaseInsensitive);
    bool any = here;
    for (int i = 0; i < item->childCount(); ++i) any = keep(item->child(i), here) || any;
    item->setHidden(!any);
    return any;
  };
  for (int i = 0; i < tvwFiles->topLevelItemCount(); ++i) keep(tvwFiles->topLevelItem(i), false);
  if (!text.isEmpty()) tvwFiles->expandAll();
}

void NavigatorDock::showWarnings() {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Zarvex"),
                  QStringLiteral("%1 could be read only in part.").arg(QFile::decodeName(QByteArray::fromStdString(m_place))),
                  QMessageBox::Ok, this);
  box.setDetailedText(m_warnings.join(QLatin1Char('\n')));
  box.exec();
}

}  // namespace zarvex
