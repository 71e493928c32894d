#include "shell/qt/frm_Contents.h"

#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/u_Ansi.h"

namespace vv {

namespace {
constexpr int RowRole = Qt::UserRole;
} // namespace

TfrmContents::TfrmContents(const TContents& Contents, QWidget* Parent)
    : QFrame(Parent), lblPosition(new QLabel(this)), edtFilter(new QLineEdit(this)),
      tvContents(new QTreeWidget(this)), Contents(Contents) {
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
  for (const TContents::TRow& Row : Contents.Rows()) {
    QTreeWidgetItem* Parent = Row.Parent >= 0 ? Rows[static_cast<std::size_t>(Row.Parent)] : nullptr;
    auto* Item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(tvContents);
    Item->setText(0, AnsiToQString(Row.Label));
    Item->setData(0, RowRole, static_cast<int>(Rows.size()));
    Rows.push_back(Item);
  }
  ShowCurrent(nullptr);
}

void TfrmContents::ShowCurrent(const TXMLNode* Item) {
  lblPosition->setText(QString::fromStdString(Contents.PositionText(Item)));
  if (const int Row = Contents.RowOf(Item); Row >= 0) {
    tvContents->setCurrentItem(Rows[static_cast<std::size_t>(Row)]);
    tvContents->scrollToItem(Rows[static_cast<std::size_t>(Row)]);
  }
}

void TfrmContents::edtFilterTextChanged() {
  const QString Filter = edtFilter->text();
  const std::vector<bool> Shown = Contents.Shown(Filter.toStdString());
  for (std::size_t Row = 0; Row < Rows.size(); ++Row)
    Rows[Row]->setHidden(!Shown[Row]);
  if (!Filter.trimmed().isEmpty())
    tvContents->expandAll();
  if (QTreeWidgetItem* Current = tvContents->currentItem())
    tvContents->scrollToItem(Current);
}

void TfrmContents::edtFilterReturnPressed() {
  if (const TXMLNode* Page = Contents.FirstMatchingPage(edtFilter->text().toStdString()); Page && OnOpenPage)
    OnOpenPage(Page);
}

void TfrmContents::tvContentsItemActivated(QTreeWidgetItem* Row) {
  if (const TXMLNode* Page = Row ? Contents.PageOfRow(Row->data(0, RowRole).toInt()) : nullptr; Page && OnOpenPage)
    OnOpenPage(Page);
}

bool TfrmContents::ClearFilter() {
  if (edtFilter->text().isEmpty())
    return false;
  edtFilter->clear();
  return true;
}

} // namespace vv
