// Reading orders from arbitrary bytes: a Story.xml in a volume, then every
// walk and every Locate. Each walk is capped at a few steps per item; a walk
// that does not end within its cap traps, as an endless walk is a fault.
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "story/u_Story.h"

namespace {
[[noreturn]] void EndlessWalk() { __builtin_trap(); }

// Repeats Step until the story reports an end; Step returns false to stop early.
template <typename StepFn> void Walk(std::size_t Cap, const StepFn& Step) {
  for (std::size_t Steps = 0;; ++Steps) {
    if (Steps > Cap)
      EndlessWalk();
    try {
      if (!Step())
        return;
    } catch (const vv::Exception&) {
      return; // stepping past an end raises
    }
  }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  vv::TMFS Volume;
  Volume.DefaultSession().CreateMFSFile("\\Story.xml", 0, false)->Content.assign(reinterpret_cast<const char*>(Data),
                                                                               Size);
  std::unique_ptr<vv::TStory> Story;
  try {
    Story = std::make_unique<vv::TStory>(Volume, "");
  } catch (const vv::Exception&) {
    return 0;
  }
  const vv::TStoryLine& Line = *Story->StoryLine;

  std::vector<vv::TXMLNode*> Items;
  std::vector<std::string> Pages;
  std::unordered_set<std::string> Folded;
  for (vv::TXMLNode* Item = Line.FirstItem(); Item; Item = Line.NextItem(Item)) {
    Items.push_back(Item);
    if (Items.size() > Size + 1)
      EndlessWalk(); // more items than bytes: NextItem revisits
    if (std::string Page = vv::TStoryLine::PageOf(Item); !Page.empty()) {
      std::string Key = Page;
      for (char& C : Key)
        C = static_cast<char>(vv::FoldCase(static_cast<unsigned char>(C)));
      Folded.insert(std::move(Key));
      Pages.push_back(std::move(Page));
    }
  }
  // Backwards over the items must visit them all in reverse.
  std::size_t Back = Items.size();
  for (vv::TXMLNode* Item = Line.LastItem(); Item; Item = Line.PriorItem(Item))
    if (Back == 0 || Items[--Back] != Item)
      EndlessWalk();
  if (Back != 0)
    __builtin_trap();

  const std::size_t Cap = 2 * Items.size() + 4;
  // Every step from the page just reached, with no page shown: pure stepping.
  Story->First();
  Walk(Cap, [&] { Story->Next(""); return !Story->Eof(); });
  Story->Last();
  Walk(Cap, [&] { Story->Prior(""); return !Story->Bof(); });
  for (int Level = 0; Level <= 3; ++Level) {
    Story->First();
    Walk(Cap, [&] { return Story->NextChapter("", Level) != nullptr; });
    Story->Last();
    Walk(Cap, [&] { return Story->PriorChapter("", Level) != nullptr; });
  }
  // As the search walks: Next with the current page as the page shown. A page
  // listed twice sends the walk back to its first occurrence, so only stories
  // without repeated pages are held to the cap.
  if (Folded.size() == Pages.size()) {
    Story->First();
    Walk(Cap, [&] { Story->Next(Story->CurrentPage()); return !Story->Eof(); });
    Story->Last();
    Walk(Cap, [&] { Story->Prior(Story->CurrentPage()); return !Story->Bof(); });
  }
  for (const std::string& Page : Pages) {
    Story->Locate(Page);
    if (Story->Current() == nullptr || !vv::SameText(Story->CurrentPage(), Page))
      __builtin_trap();
    (void)Story->CurrentPageName();
    try {
      (void)Story->Searchable();
      (void)Story->RightClickBlocked();
    } catch (const vv::Exception&) {
    }
  }
  return 0;
}
