// The find bar under the listing: type to search, Enter or Find Next for the
// next match, Shift+Enter or Find Previous for the one before, Match case;
// the search wraps round the ends with a note, and every match is marked.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zarvex {

class RichTextView;

class FindBar : public QWidget {
  Q_OBJECT

 public:
  FindBar(RichTextView* view, QWidget* parent);

  // Shows the bar and puts the caret in its box, the text selected.
  void open();
  // Hides the bar, unmarks the matches and gives the focus back to the view.
  void close();

  // Selects the next (or previous) match from the caret, wrapping round;
  // false when there is none.
  bool findNext();
  bool findPrevious();

  // Marks every match of the text sought in the view (also after the view's
  // content changes); returns how many there are.
  int markMatches();

  QLineEdit* txtFind;
  QCheckBox* chkMatchCase;
  QPushButton* cmdPrevious;
  QPushButton* cmdNext;
  QPushButton* cmdCloseFind;
  QLabel* lblNote;  // "3 matches", "Not found", "Wrapped to the top", ...

 signals:
  // The bar went away: its room is the listing's again.
  void closed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool find(bool backward);

  RichTextView* m_view;
};

}  // namespace zarvex
