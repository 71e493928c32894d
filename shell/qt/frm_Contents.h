#pragma once
// The contents pane beside the page: draws the reading order's rows as a
// tree with a filter box and the reader's position; what is shown and what
// opens is decided by TContents.

#include <QFrame>
#include <functional>
#include <vector>

#include "shell/u_Contents.h"

class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace vv {

class TfrmContents : public QFrame {
  Q_OBJECT
public:
  // Contents is the main window's (not owned; it must outlive the pane).
  explicit TfrmContents(const TContents& Contents, QWidget* Parent = nullptr);

  // Selects Item (none: nothing) and keeps it in view.
  void ShowCurrent(const TXMLNode* Item);
  // Escape in the filter: clears it; false when there was nothing to clear.
  bool ClearFilter();

  void edtFilterTextChanged();
  void edtFilterReturnPressed();
  void tvContentsItemActivated(QTreeWidgetItem* Row);

  // A page chosen by the reader (click, Enter, filter and Enter).
  std::function<void(const TXMLNode* Item)> OnOpenPage;

  QLabel* const lblPosition;
  QLineEdit* const edtFilter;
  QTreeWidget* const tvContents;

private:
  const TContents& Contents;
  std::vector<QTreeWidgetItem*> Rows; // as Contents.Rows()
};

} // namespace vv
