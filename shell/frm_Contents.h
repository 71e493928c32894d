#pragma once
// The contents pane beside the page: the reading order as a tree (parts and
// chapters as branches, pages by name), a filter that narrows it, and the
// reader's position in it.

#include <QFrame>
#include <QHash>
#include <functional>
#include <vector>

#include "story/u_Story.h"

class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace vv {

class TfrmContents : public QFrame {
  Q_OBJECT
public:
  // StoryLine is the main window's (not owned; it must outlive the pane).
  explicit TfrmContents(const TStoryLine& StoryLine, QWidget* Parent = nullptr);

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
  void Fill();
  [[nodiscard]] static const TXMLNode* ItemOf(const QTreeWidgetItem* Row);

  const TStoryLine& StoryLine;
  std::vector<QTreeWidgetItem*> Rows; // reading order
  QHash<const TXMLNode*, QTreeWidgetItem*> RowOfItem;
  QHash<const TXMLNode*, int> PageNumber; // from 1
  int PageCount = 0;
};

} // namespace vv
