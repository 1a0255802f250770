// The navigator: a dock beside the listing showing a folder, a disk image or
// an archive as a tree. Programs and bank files are marked by kind with
// their sizes, other files are greyed, nested disk images and archives open
// like folders, and a filter box keeps the names that hold its text. A click
// on a program or bank file asks the window to open it (from memory, for a
// member of a container). What went wrong reading the container shows once:
// a count on a button that opens the list.
#pragma once

#include <QDockWidget>
#include <QString>
#include <QStringList>

class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace zarvex {

class NavigatorDock : public QDockWidget {
  Q_OBJECT

 public:
  explicit NavigatorDock(QWidget* parent = nullptr);

  // Shows the folder or container `name` (bytes of a path, or a member
  // name). False when it holds nothing Zarvex can walk.
  bool showPlace(const std::string& name);
  const std::string& place() const { return m_place; }
  // The warnings met while reading it, one sentence each.
  const QStringList& warnings() const { return m_warnings; }

  QLineEdit* txtFilter;
  QTreeWidget* tvwFiles;
  QPushButton* cmdWarnings;

 signals:
  // A program or a bank file was chosen: its name (a path or a member name).
  void openRequested(const std::string& name);

 private:
  void applyFilter(const QString& text);
  void showWarnings();

  std::string m_place;
  QStringList m_warnings;
};

}  // namespace zarvex
