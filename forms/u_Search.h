#pragma once
// The book search: walks the reading order, lists the searchable pages whose
// text holds a phrase, and shows a chosen one in the main window.

#include <functional>
#include <string>
#include <vector>

#include "forms/i_FormViews.h"
#include "storage/u_MFS.h"
#include "story/u_Story.h"

namespace vv {

// The search window's designed size; the reader may make it larger.
inline constexpr TSize SearchFormSize{392, 216};

// The decisions behind one search window: wires itself to View's events.
class TSearchForm {
public:
  // Story and FilesVolume are the main window's reading order and content
  // volume; NavigateToStoryPage shows the reading order's current page.
  // OnPageShown, when set, gets the phrase (UTF-8) of the listed results
  // after a page was shown. All must outlive the form.
  TSearchForm(ISearchView& View, TStory& Story, TMFS& FilesVolume, std::function<void()> NavigateToStoryPage,
              std::function<void(const std::string& Phrase)> OnPageShown = {});

  void Search();
  void ShowPage();

private:
  void SearchStory(const std::string& Phrase, std::vector<TFoundPage>& Rows);
  void LeaveStoryAtEnd();

  ISearchView& View;
  TStory& Story;
  TMFS& FilesVolume;
  std::function<void()> NavigateToStoryPage;
  std::function<void(const std::string&)> OnPageShown;
  std::vector<std::string> Phrases; // the phrase box's list, UTF-8
  std::vector<TFoundPage> Rows;
  std::string ListedPhrase;
};

// Opens a search window modally; it is gone on return. Size, when given, is
// the size the reader gave it last time (invalid: none yet), kept for the next.
void ShowSearchForm(TStory& Story, TMFS& FilesVolume, std::function<void()> NavigateToStoryPage, IFormViews& Views,
                    std::function<void(const std::string& Phrase)> OnPageShown, TSize* Size);

} // namespace vv
