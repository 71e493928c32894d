// The reader's comforts around the page: the contents pane, continuing where
// the reader left the book, and the reading state kept between starts.
#include <algorithm>

#include "shell/u_MainWindow.h"

namespace vv {

void TMainWindow::ToggleContents() {
  const bool Show = !View.ContentsVisible();
  ShowContents(Show);
  if (Show && View.ContentsVisible())
    View.FocusContentsFilter();
  else if (IBrowser* Browser = MainBrowser())
    Browser->FocusPage();
}

void TMainWindow::ShowContents(bool Visible) {
  if (!Visible) {
    if (View.ContentsVisible()) {
      ContentsWidth = View.ContentsWidth();
      View.HideContents();
    }
    return;
  }
  if (!Story)
    return;
  // Made on first use: a large reading order costs nothing at start.
  if (!Contents)
    Contents = std::make_unique<TContents>(*Story->StoryLine);
  View.ShowContents(*Contents, ContentsWidth);
  View.ShowCurrentInContents(Story->StoryLine->FindByPage(GetCurrentPagePath()));
}

void TMainWindow::ContentsPageChosen(const TXMLNode* Item) {
  const std::string Page = TStoryLine::PageOf(Item);
  if (!SameText(Page, GetCurrentPagePath()))
    ShowStoryPage(Page);
  // The page chosen is for reading: its keys scroll it at once.
  if (IBrowser* Browser = MainBrowser())
    Browser->FocusPage();
}

void TMainWindow::ShowStoryPage(const std::string& Page) {
  try {
    GetStory().Locate(Page);
    NavigateToStoryPage();
  } catch (const std::exception& E) {
    View.ShowErrorBox(E.what());
  }
}

void TMainWindow::ReadingPageChanged() {
  const std::string Shown = GetCurrentPagePath();
  if (Contents && Story)
    View.ShowCurrentInContents(Story->StoryLine->FindByPage(Shown));
  // The offer to continue stands until the reader moves off the first page.
  const IBrowser* Browser = MainBrowser();
  if (View.ContinueOffered() && Browser && !SameText("mfs:" + Shown, Browser->HomePage))
    View.HideContinueOffer();
}

void TMainWindow::btnContinueClick() {
  View.HideContinueOffer();
  ContinueScrollPending = true;
  // A page outside the reading order (reached by a link) is shown as a link shows it.
  if (Story && Story->StoryLine->FindByPage(ContinuePage))
    ShowStoryPage(ContinuePage);
  else if (IBrowser* Browser = MainBrowser())
    Browser->Navigate("mfs:" + ContinuePage);
}

void TMainWindow::ScrollToContinuedPlace() {
  if (!ContinueScrollPending)
    return;
  ContinueScrollPending = false;
  if (IBrowser* Browser = MainBrowser(); Browser && SameText(GetCurrentPagePath(), ContinuePage))
    Browser->ScrollTo(ContinueScroll);
}

void TMainWindow::RecallReadingState() {
  BookId = BookIdentity(*SystemVolume, *FilesVolume);
  const std::optional<TReadingState> State = Platform.ReadingStates.Load(BookId);
  if (!State)
    return;
  FontSize = State->FontSize;
  if (State->ContentsWidth > 0)
    ContentsWidth = State->ContentsWidth;
  if (State->SearchWidth > 0)
    SearchSize = {State->SearchWidth, State->SearchHeight};
  if (const auto& W = State->Window; W && RootAttribute("ResizableWindow", TVariant(false)).ToBoolean()) {
    View.SetGeometry(FitToScreens({W->Left, W->Top, W->Width, W->Height}, View.Screens()));
    if (W->Maximized)
      View.Maximize();
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
  ContinueScroll = {State->ScrollLeft, State->ScrollTop};
  const TXMLNode* Left = Story->StoryLine->FindByPage(State->Page);
  const std::string Name = Left ? Left->Attributes->GetValue("pagename", "").ToText() : std::string();
  View.ShowContinueOffer("Continue reading: " + (Name.empty() ? State->Page : Name));
}

void TMainWindow::RememberReadingState() {
  IBrowser* Browser = MainBrowser();
  if (BookId.empty() || !Browser || !Story)
    return;
  TReadingState State;
  const std::string Shown = GetCurrentPagePath(); // without its #section
  TPoint Scroll;
  // A reader who closes the book before moving keeps the place still on offer;
  // a page from elsewhere leaves the reading order's page as the place.
  if (View.ContinueOffered()) {
    State.Page = ContinuePage;
    Scroll = ContinueScroll;
  } else if (Browser->ShowsBookPage() && FilesVolume->DefaultSession().Exists(Shown)) {
    State.Page = Shown;
    Scroll = Browser->ScrollPosition();
  } else {
    State.Page = Story->CurrentPage();
  }
  State.ScrollLeft = std::max(0, Scroll.X);
  State.ScrollTop = std::max(0, Scroll.Y);
  State.FontSize = FontSize;
  State.ContentsVisible = View.ContentsVisible();
  State.ContentsWidth = State.ContentsVisible ? View.ContentsWidth() : ContentsWidth;
  if (SearchSize.IsValid())
    State.SearchWidth = SearchSize.Width, State.SearchHeight = SearchSize.Height;
  if (RootAttribute("ResizableWindow", TVariant(false)).ToBoolean())
    State.Window = View.Placement();
  Platform.ReadingStates.Save(BookId, State);
}

} // namespace vv
