// The reading area of the main window: the page with the contents pane
// beside it, the find bar below it and the continue bar above it; and the
// reading state the viewer keeps for the reader between starts.
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "host/c_FindBar.h"
#include "platform/u_Ansi.h"
#include "shell/frm_Contents.h"
#include "shell/frm_Main.h"
#include "shell/u_MessageBox.h"
#include "shell/u_ReadingState.h"

namespace vv {

namespace {
// A remembered place fitted to today's screens: on the screen it overlaps
// most (else the primary one), no larger than that screen, and wholly on it.
QRect FitToScreens(const QRect& Rect) {
  const QScreen* Best = QGuiApplication::primaryScreen();
  qint64 BestArea = 0;
  for (const QScreen* Screen : QGuiApplication::screens()) {
    const QRect Common = Screen->availableGeometry().intersected(Rect);
    const qint64 Area = qint64{Common.width()} * Common.height();
    if (Area > BestArea)
      Best = Screen, BestArea = Area;
  }
  if (!Best)
    return Rect;
  const QRect Available = Best->availableGeometry();
  const QSize Size = Rect.size().boundedTo(Available.size());
  const int Left = std::clamp(Rect.left(), Available.left(), Available.right() + 1 - Size.width());
  const int Top = std::clamp(Rect.top(), Available.top(), Available.bottom() + 1 - Size.height());
  return QRect(QPoint(Left, Top), Size);
}
} // namespace

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
  connect(btnContinue, &QPushButton::clicked, this, [this] { btnContinueClick(); });
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
  // The page chosen is for reading: its keys scroll it at once.
  webMain->setFocus();
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
  // The offer to continue stands until the reader moves off the first page.
  if (!pnlContinue->isHidden() && !SameText("mfs:" + Shown, webMain->HomePage))
    pnlContinue->hide();
}

void TfrmMain::HighlightPhraseOnNextPage(const std::string& Phrase) {
  pnlFind->HighlightAfterLoad(QString::fromStdString(Phrase)); // UTF-8, as the search window gives it
}

void TfrmMain::btnContinueClick() {
  pnlContinue->hide();
  ContinueScrollPending = true;
  // A page outside the reading order (reached by a link) is shown as a link shows it.
  if (Story->StoryLine->FindByPage(ContinuePage))
    ShowStoryPage(ContinuePage);
  else
    webMain->Navigate("mfs:" + ContinuePage);
}

void TfrmMain::ScrollToContinuedPlace() {
  if (!ContinueScrollPending)
    return;
  ContinueScrollPending = false;
  if (SameText(GetCurrentPagePath(), ContinuePage))
    webMain->ScrollTo(ContinueScroll);
}

void TfrmMain::RecallReadingState() {
  BookId = BookIdentity(*SystemVolume, *FilesVolume);
  const std::optional<TReadingState> State = LoadReadingState(BookId);
  if (!State)
    return;
  FontSize = State->FontSize;
  if (State->ContentsWidth > 0)
    ContentsWidth = State->ContentsWidth;
  if (State->SearchWidth > 0)
    SearchSize = QSize(State->SearchWidth, State->SearchHeight);
  if (const auto& W = State->Window; W && RootAttribute("ResizableWindow", TVariant(false)).ToBoolean()) {
    setGeometry(FitToScreens(QRect(W->Left, W->Top, W->Width, W->Height)));
    if (W->Maximized)
      setWindowState(windowState() | Qt::WindowMaximized);
  }
  if (State->ContentsVisible)
    ShowContents(true);
  // Start-up still shows the first page; the place left elsewhere is offered,
  // on whatever page of the book it is.
  if (State->Page.empty() || !FilesVolume->DefaultSession().Exists(State->Page))
    return;
  if (SameText(State->Page, Story->CurrentPage()) && State->ScrollTop == 0 && State->ScrollLeft == 0)
    return;
  ContinuePage = State->Page;
  ContinueScroll = TPoint{State->ScrollLeft, State->ScrollTop};
  const TXMLNode* Left = Story->StoryLine->FindByPage(State->Page);
  const std::string Name = Left ? Left->Attributes->GetValue("pagename", "").ToText() : std::string();
  lblContinue->setText("Continue reading: " + AnsiToQString(Name.empty() ? State->Page : Name));
  pnlContinue->show();
}

void TfrmMain::RememberReadingState() {
  if (BookId.empty() || !webMain || !Story)
    return;
  TReadingState State;
  const std::string Shown = GetCurrentPagePath(); // without its #section
  TPoint Scroll;
  // A reader who closes the book before moving keeps the place still on offer;
  // a page from elsewhere leaves the reading order's page as the place.
  if (!pnlContinue->isHidden()) {
    State.Page = ContinuePage;
    Scroll = ContinueScroll;
  } else if (webMain->ShowsBookPage() && FilesVolume->DefaultSession().Exists(Shown)) {
    State.Page = Shown;
    Scroll = webMain->ScrollPosition();
  } else {
    State.Page = Story->CurrentPage();
  }
  State.ScrollLeft = std::max(0, Scroll.X);
  State.ScrollTop = std::max(0, Scroll.Y);
  State.FontSize = FontSize;
  State.ContentsVisible = frmContents && !frmContents->isHidden();
  State.ContentsWidth = State.ContentsVisible ? frmContents->width() : ContentsWidth;
  if (SearchSize.isValid())
    State.SearchWidth = SearchSize.width(), State.SearchHeight = SearchSize.height();
  if (RootAttribute("ResizableWindow", TVariant(false)).ToBoolean()) {
    const QRect Normal = normalGeometry();
    State.Window = TWindowPlacement{Normal.x(), Normal.y(), Normal.width(), Normal.height(),
                                    isMaximized() || (isFullScreen() && MaximizedBeforeFullScreen)};
  }
  SaveReadingState(BookId, State);
}

} // namespace vv
