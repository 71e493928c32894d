#include "shell/frm_Contents.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/u_Ansi.h"

namespace vv {

namespace {
constexpr int ItemRole = Qt::UserRole;

QString LabelOf(const TXMLNode* Item) {
  const std::string Name = Item->Attributes->GetValue("pagename", "").ToText();
  return AnsiToQString(Name.empty() ? TStoryLine::PageOf(Item) : Name);
}
} // namespace

TfrmContents::TfrmContents(const TStoryLine& StoryLine, QWidget* Parent)
    : QFrame(Parent), lblPosition(new QLabel(this)), edtFilter(new QLineEdit(this)),
      tvContents(new QTreeWidget(this)), StoryLine(StoryLine) {
  setObjectName("frmContents");
  lblPosition->setObjectName("lblPosition");
  edtFilter->setObjectName("edtFilter");
  edtFilter->setPlaceholderText("Filter");
  edtFilter->setClearButtonEnabled(true);
  tvContents->setObjectName("tvContents");
  tvContents->setHeaderHidden(true);
  tvContents->setUniformRowHeights(true);
  tvContents->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* Column = new QVBoxLayout(this);
  Column->setContentsMargins(4, 4, 0, 4);
  Column->addWidget(lblPosition);
  Column->addWidget(edtFilter);
  Column->addWidget(tvContents, 1);
  setFocusProxy(edtFilter);

  connect(edtFilter, &QLineEdit::textChanged, this, [this] { edtFilterTextChanged(); });
  connect(edtFilter, &QLineEdit::returnPressed, this, [this] { edtFilterReturnPressed(); });
  connect(tvContents, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* Row) { tvContentsItemActivated(Row); });
  connect(tvContents, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* Row) { tvContentsItemActivated(Row); });
  Fill();
}

void TfrmContents::Fill() {
  for (const TXMLNode* Item = StoryLine.FirstItem(); Item; Item = StoryLine.NextItem(Item)) {
    QTreeWidgetItem* Parent = RowOfItem.value(Item->Parent());
    auto* Row = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(tvContents);
    Row->setText(0, LabelOf(Item));
    Row->setData(0, ItemRole, QVariant::fromValue(static_cast<const void*>(Item)));
    if (TStoryLine::IsPage(Item))
      PageNumber.insert(Item, ++PageCount);
    RowOfItem.insert(Item, Row);
    Rows.push_back(Row);
  }
  ShowCurrent(nullptr);
}

const TXMLNode* TfrmContents::ItemOf(const QTreeWidgetItem* Row) {
  return Row ? static_cast<const TXMLNode*>(Row->data(0, ItemRole).value<const void*>()) : nullptr;
}

void TfrmContents::ShowCurrent(const TXMLNode* Item) {
  const int Number = PageNumber.value(Item, 0);
  lblPosition->setText(Number ? QString("Page %1 of %2").arg(Number).arg(PageCount)
                              : QString("%1 pages").arg(PageCount));
  if (QTreeWidgetItem* Row = RowOfItem.value(Item)) {
    tvContents->setCurrentItem(Row);
    tvContents->scrollToItem(Row);
  }
}

void TfrmContents::edtFilterTextChanged() {
  const QString Filter = edtFilter->text().trimmed();
  // Children come before their parents backwards through the reading order,
  // so a branch knows whether anything below it is shown.
  QSet<QTreeWidgetItem*> ShowsChild;
  for (auto Row = Rows.rbegin(); Row != Rows.rend(); ++Row) {
    const bool Shown = Filter.isEmpty() || ShowsChild.contains(*Row) || (*Row)->text(0).contains(Filter, Qt::CaseInsensitive);
    (*Row)->setHidden(!Shown);
    if (Shown && (*Row)->parent())
      ShowsChild.insert((*Row)->parent());
  }
  if (!Filter.isEmpty())
    tvContents->expandAll();
  if (QTreeWidgetItem* Current = tvContents->currentItem())
    tvContents->scrollToItem(Current);
}

void TfrmContents::edtFilterReturnPressed() {
  const QString Filter = edtFilter->text().trimmed();
  for (QTreeWidgetItem* Row : Rows)
    if (TStoryLine::IsPage(ItemOf(Row)) && Row->text(0).contains(Filter, Qt::CaseInsensitive)) {
      tvContentsItemActivated(Row);
      return;
    }
}

void TfrmContents::tvContentsItemActivated(QTreeWidgetItem* Row) {
  const TXMLNode* Item = ItemOf(Row);
  if (Item && TStoryLine::IsPage(Item) && OnOpenPage)
    OnOpenPage(Item);
}

bool TfrmContents::ClearFilter() {
  if (edtFilter->text().isEmpty())
    return false;
  edtFilter->clear();
  return true;
}

} // namespace vv
