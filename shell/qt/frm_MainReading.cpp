// The reading area as Qt draws it: the page with the contents pane beside
// it, the find bar below it and the continue bar above it.
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "host/c_FindBar.h"
#include "platform/u_Ansi.h"
#include "shell/qt/frm_Contents.h"
#include "shell/qt/frm_Main.h"

namespace vv {

QWidget* TfrmMain::BuildReadingArea(QWidget* Parent) {
  auto* Area = new QWidget(Parent);
  auto* Column = new QVBoxLayout(Area);
  Column->setContentsMargins(0, 0, 0, 0);
  Column->setSpacing(0);

  pnlContinue = new QFrame(Area);
  pnlContinue->setObjectName("pnlContinue");
  pnlContinue->setFrameShape(QFrame::StyledPanel);
  lblContinue = new QLabel(pnlContinue);
  lblContinue->setObjectName("lblContinue");
  btnContinue = new QPushButton("&Continue", pnlContinue);
  btnContinue->setObjectName("btnContinue");
  btnContinueClose = new QToolButton(pnlContinue);
  btnContinueClose->setObjectName("btnContinueClose");
  btnContinueClose->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
  btnContinueClose->setToolTip("Close");
  btnContinueClose->setAutoRaise(true);
  auto* Row = new QHBoxLayout(pnlContinue);
  Row->setContentsMargins(6, 2, 2, 2);
  Row->addWidget(lblContinue);
  Row->addWidget(btnContinue);
  Row->addStretch(1);
  Row->addWidget(btnContinueClose);
  pnlContinue->hide();
  connect(btnContinue, &QPushButton::clicked, this, [this] { Logic->btnContinueClick(); });
  connect(btnContinueClose, &QToolButton::clicked, pnlContinue, &QWidget::hide);

  splReading = new QSplitter(Qt::Horizontal, Area);
  splReading->setObjectName("splReading");
  splReading->setChildrenCollapsible(false);
  splReading->addWidget(webMain);
  pnlFind = new TFindBar(webMain, Area);

  Column->addWidget(pnlContinue);
  Column->addWidget(splReading, 1);
  Column->addWidget(pnlFind);
  // The window opens with the page focused, so reading keys scroll it at once.
  webMain->setFocus();
  return Area;
}

TFocusArea TfrmMain::FocusArea() const {
  const QWidget* Focus = QApplication::focusWidget();
  if (frmContents && Focus == frmContents->edtFilter)
    return TFocusArea::ContentsFilter;
  if (pnlFind->isVisible() && pnlFind->isAncestorOf(Focus))
    return TFocusArea::FindBar;
  if (webMain && (Focus == webMain || webMain->isAncestorOf(Focus)))
    return TFocusArea::Page;
  return TFocusArea::Other;
}

void TfrmMain::ShowContents(const TContents& Contents, int Width) {
  if (!frmContents) {
    frmContents = new TfrmContents(Contents, splReading);
    frmContents->OnOpenPage = [this](const TXMLNode* Item) { Logic->ContentsPageChosen(Item); };
    splReading->insertWidget(0, frmContents);
    splReading->setStretchFactor(1, 1);
  }
  frmContents->show();
  splReading->setSizes({Width, std::max(1, width() - Width)});
}

void TfrmMain::HideContents() {
  if (frmContents)
    frmContents->hide();
}

bool TfrmMain::ContentsVisible() const { return frmContents && !frmContents->isHidden(); }

int TfrmMain::ContentsWidth() const { return frmContents ? frmContents->width() : 0; }

void TfrmMain::ShowCurrentInContents(const TXMLNode* Item) {
  if (frmContents)
    frmContents->ShowCurrent(Item);
}

void TfrmMain::FocusContentsFilter() {
  if (frmContents)
    frmContents->edtFilter->setFocus();
}

bool TfrmMain::ClearContentsFilter() { return frmContents && frmContents->ClearFilter(); }

void TfrmMain::OpenFindBar() { pnlFind->Open(); }

void TfrmMain::CloseFindBar() { pnlFind->Close(); }

void TfrmMain::FindNext(bool Backwards) {
  if (Backwards)
    pnlFind->FindPrevious();
  else
    pnlFind->FindNext();
}

void TfrmMain::HighlightOnNextPage(const std::string& Phrase) {
  pnlFind->HighlightAfterLoad(QString::fromStdString(Phrase)); // UTF-8, as the search window gives it
}

void TfrmMain::ShowContinueOffer(const std::string& Text) {
  lblContinue->setText(AnsiToQString(Text));
  pnlContinue->show();
}

void TfrmMain::HideContinueOffer() { pnlContinue->hide(); }

bool TfrmMain::ContinueOffered() const { return !pnlContinue->isHidden(); }

} // namespace vv
