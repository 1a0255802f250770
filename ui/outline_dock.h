// The outline: a dock beside the listing showing the program's procedures
// and labels in order with their listing lines. A filter box keeps the
// entries whose names hold its text; a click on an entry, or Enter on it or
// in the filter box, asks the window to show its line. The window marks the
// entry the caret is in as it moves.
#pragma once

#include <QDockWidget>
#include <vector>

#include "outline.h"

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace zarvex {

class OutlineDock : public QDockWidget {
  Q_OBJECT

 public:
  explicit OutlineDock(QWidget* parent = nullptr);

  // Shows `entries` (in program order, as buildOutline gives them) in place
  // of what was shown; the filter stays and applies to them.
  void setOutline(std::vector<OutlineEntry> entries);
  const std::vector<OutlineEntry>& outline() const { return m_entries; }

  // Marks the entry that holds listing line `line`: the last one on that line
  // or before it. It is made current and bold and brought into sight; no
  // jump is asked for. Nothing is marked when no entry comes at or before it.
  void markLine(int line);
  // The index in outline() of the marked entry, or -1.
  int markedEntry() const { return m_marked; }

  QLineEdit* txtOutlineFilter;
  QTreeWidget* lstOutline;

 signals:
  // The user chose an entry: the listing line to show, from 1.
  void jumpRequested(int line);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void applyFilter(const QString& text);
  void choose(QTreeWidgetItem* item);
  void setMarked(int index);

  std::vector<OutlineEntry> m_entries;
  std::vector<int> m_numbered;  // the indices of the entries that have a line
  int m_marked = -1;
};

}  // namespace zarvex
