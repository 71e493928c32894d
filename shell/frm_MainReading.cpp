// The reading area of the main window: the page with the contents pane
// beside it and the find bar below it.
#include <QLineEdit>
#include <QSplitter>
#include <QVBoxLayout>

#include "host/c_FindBar.h"
#include "platform/u_Ansi.h"
#include "shell/frm_Contents.h"
#include "shell/frm_Main.h"
#include "shell/u_MessageBox.h"

namespace vv {

QWidget* TfrmMain::BuildReadingArea(QWidget* Parent) {
  auto* Area = new QWidget(Parent);
  auto* Column = new QVBoxLayout(Area);
  Column->setContentsMargins(0, 0, 0, 0);
  Column->setSpacing(0);

  splReading = new QSplitter(Qt::Horizontal, Area);
  splReading->setObjectName("splReading");
  splReading->setChildrenCollapsible(false);
  splReading->addWidget(webMain);
  pnlFind = new TFindBar(webMain, Area);

  Column->addWidget(splReading, 1);
  Column->addWidget(pnlFind);
  return Area;
}

void TfrmMain::ToggleContents() {
  const bool Show = !frmContents || frmContents->isHidden();
  ShowContents(Show);
  if (Show && frmContents)
    frmContents->edtFilter->setFocus();
  else if (webMain)
    webMain->setFocus();
}

void TfrmMain::ShowContents(bool Visible) {
  if (Visible && !frmContents && Story) {
    // Built on first use: a large reading order costs nothing at start.
    frmContents = new TfrmContents(*Story->StoryLine, splReading);
    frmContents->OnOpenPage = [this](const TXMLNode* Item) { frmContentsOpenPage(Item); };
    splReading->insertWidget(0, frmContents);
    splReading->setStretchFactor(1, 1);
  }
  if (!frmContents)
    return;
  if (!Visible) {
    ContentsWidth = frmContents->width();
    frmContents->hide();
    return;
  }
  frmContents->show();
  splReading->setSizes({ContentsWidth, std::max(1, width() - ContentsWidth)});
  frmContents->ShowCurrent(Story->StoryLine->FindByPage(GetCurrentPagePath()));
}

void TfrmMain::frmContentsOpenPage(const TXMLNode* Item) {
  const std::string Page = TStoryLine::PageOf(Item);
  if (!SameText(Page, GetCurrentPagePath()))
    ShowStoryPage(Page);
}

void TfrmMain::ShowStoryPage(const std::string& Page) {
  try {
    GetStory().Locate(Page);
    NavigateToStoryPage();
  } catch (const std::exception& E) {
    ShowErrorBox(this, E.what());
  }
}

void TfrmMain::ReadingPageChanged() {
  const std::string Shown = GetCurrentPagePath();
  if (frmContents && Story)
    frmContents->ShowCurrent(Story->StoryLine->FindByPage(Shown));
}

void TfrmMain::HighlightPhraseOnNextPage(const std::string& Phrase) {
  pnlFind->HighlightAfterLoad(AnsiToQString(Phrase));
}

} // namespace vv
