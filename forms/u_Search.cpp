#include "forms/u_Search.h"

#include <exception>

#include "text/u_SearchText.h"
#include "text/u_Unicode.h"

namespace vv {

namespace {
// The story reads an item's settings the same way for its current item.
std::string PageNameOf(const TXMLNode* Item) { return Item->Attributes->GetValue("pagename", "").ToText(); }
bool SearchableOf(const TXMLNode* Item) { return Item->Attributes->GetValue("searchable", true).ToBoolean(); }

// The busy cursor goes whatever the search does.
class TBusy {
public:
  explicit TBusy(ISearchView& View) : View(View) { View.SetBusy(true); }
  ~TBusy() { View.SetBusy(false); }
  TBusy(const TBusy&) = delete;
  TBusy& operator=(const TBusy&) = delete;

private:
  ISearchView& View;
};
} // namespace

TSearchForm::TSearchForm(ISearchView& View, TStory& Story, TMFS& FilesVolume,
                         std::function<void()> NavigateToStoryPage,
                         std::function<void(const std::string&)> OnPageShown)
    : View(View), Story(Story), FilesVolume(FilesVolume), NavigateToStoryPage(std::move(NavigateToStoryPage)),
      OnPageShown(std::move(OnPageShown)) {
  View.OnSearch = [this] { Search(); };
  View.OnShowPage = [this] { ShowPage(); };
}

void TSearchForm::Search() {
  // The phrase is Unicode whatever the book's code page: each page is compared in its own.
  const std::string Phrase = View.Phrase();
  const std::string Folded = FoldUtf8(Phrase);
  bool Listed = false;
  for (const std::string& Earlier : Phrases)
    Listed = Listed || FoldUtf8(Earlier) == Folded;
  if (!Listed) {
    Phrases.push_back(Phrase);
    View.AddPhrase(Phrase);
  }

  ListedPhrase = Phrase;
  Rows.clear();
  std::string Failure;
  {
    TBusy Busy(View);
    try {
      SearchStory(Phrase, Rows);
    } catch (const std::exception& E) {
      Failure = E.what();
    }
    // Rows found before a failure stay listed.
    View.SetRows(Rows);
    View.SetNote(Rows.empty() && Failure.empty() && !Phrase.empty() ? "No page contains \"" + Phrase + "\"." : "");
  }
  if (!Failure.empty())
    View.ShowError(Failure);
}

// Walks each item of the reading order once, in order. Stepping with
// TStory::Next would re-locate a page listed twice at its first item and
// never reach the end, so the walk follows the story line and leaves the
// reading order where a full walk with Next leaves it.
void TSearchForm::SearchStory(const std::string& Phrase, std::vector<TFoundPage>& Found) {
  TSearchPhrase Search(Phrase);
  TMFSSession& Session = FilesVolume.DefaultSession();
  Story.First();
  for (const TXMLNode* Item = Story.Current(); Item; Item = Story.StoryLine->NextPage(Item)) {
    const std::string Path = TStoryLine::PageOf(Item);
    try {
      // Read even when the page is not searchable: a missing file ends the search.
      const std::string& Content = Session.GetFile(Path)->Content;
      if (SearchableOf(Item) && Search.FoundInPage(Content))
        Found.push_back({PageNameOf(Item), Path});
    } catch (...) {
      Story.Locate(Path);
      throw;
    }
  }
  LeaveStoryAtEnd();
}

void TSearchForm::LeaveStoryAtEnd() {
  Story.Last();
  // The walk's final step fails on the last page and sets Eof; a last page
  // listed earlier as well would make that step re-locate and move on.
  if (Story.Current() && Story.StoryLine->FindByPage(Story.CurrentPage()) == Story.Current())
    Story.Next(Story.CurrentPage());
}

void TSearchForm::ShowPage() {
  const int Row = View.SelectedRow();
  if (Row < 0 || Row >= static_cast<int>(Rows.size()))
    return;
  try {
    Story.Locate(Rows[static_cast<std::size_t>(Row)].Path);
    NavigateToStoryPage();
    if (OnPageShown)
      OnPageShown(ListedPhrase);
  } catch (const std::exception& E) {
    View.ShowError(E.what());
  }
}

void ShowSearchForm(TStory& Story, TMFS& FilesVolume, std::function<void()> NavigateToStoryPage, IFormViews& Views,
                    std::function<void(const std::string& Phrase)> OnPageShown, TSize* Size) {
  const std::unique_ptr<ISearchView> View = Views.CreateSearchView();
  TSearchForm Form(*View, Story, FilesVolume, std::move(NavigateToStoryPage), std::move(OnPageShown));
  if (Size && Size->IsValid())
    View->Resize(*Size);
  View->ShowModal();
  if (Size && View->Size() != SearchFormSize)
    *Size = View->Size();
}

} // namespace vv
