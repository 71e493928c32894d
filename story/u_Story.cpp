#include "story/u_Story.h"

#include <vector>

namespace vv {

namespace {
const char* const SEndOfStory = "End of story encountered";
const char* const SBeginOfStory = "Begin of story encountered";
const char* const SChapterLevel = "Chapter level is out of range (%d)";
const char* const SPathTooLong = "A path in the reading order is longer than %d characters";

void CheckLevel(int Level) {
  if (Level <= 0) throw EStoryError(Format(SChapterLevel, Level));
}


// Base + "\" (unless Base is empty or already ends in one) + Path.
std::string Combine(const std::string& Base, const std::string& Path) {
  if (Base.empty()) return Path;
  return Base.back() == '\\' ? Base + Path : Base + '\\' + Path;
}

TXMLNode* FollowingSibling(const TXMLNode* Item) {
  const TXMLNodes* Siblings = Item->ParentNodes;
  return Siblings && Item->Index + 1 < Siblings->Count() ? Siblings->Items(Item->Index + 1)
                                                         : nullptr;
}

TXMLNode* LastDescendant(TXMLNode* Item) {
  while (Item->Nodes->Count() > 0)
    Item = Item->Nodes->Items(Item->Nodes->Count() - 1);
  return Item;
}

TXMLNode* Climb(TXMLNode* Item, int Level) {
  while (Item && Item->Level > Level)
    Item = Item->Parent();
  return Item;
}
} // namespace

// ---- TStoryLine ----

TStoryLine::TStoryLine(TMFS& Volume) : Parser(std::make_unique<TXMLParser>()) {
  Load(Volume.DefaultSession().GetFile("\\Story.xml")->Content);
}

TStoryLine::TStoryLine(std::string_view StoryXml) : Parser(std::make_unique<TXMLParser>()) {
  Load(StoryXml);
}

void TStoryLine::Load(std::string_view StoryXml) {
  Parser->LoadFromBytes(StoryXml);
  ResolvePaths();
  IndexPages();
}

std::string TStoryLine::PageOf(const TXMLNode* Item) {
  return Item->Attributes->GetValue("page", "").ToText();
}

void TStoryLine::ResolvePaths() {
  const TXMLNode* Root = Parser->Root();
  std::string RootBase = Root->Attributes->GetValue("Path", "").ToText();
  if (!RootBase.empty() && RootBase.front() != '\\') RootBase.insert(0, 1, '\\');
  // Lists of items waiting with their base; an explicit stack keeps deep trees safe.
  std::vector<std::pair<const TXMLNodes*, std::string>> Pending{{Root->Nodes, RootBase}};
  while (!Pending.empty()) {
    auto [Items, Base] = std::move(Pending.back());
    Pending.pop_back();
    for (int i = 0; i < Items->Count(); ++i) {
      TXMLNode* Item = Items->Items(i);
      const std::string Page = PageOf(Item);
      if (!Page.empty() && Page.front() != '\\')
        Item->Attributes->Find("page")->Value = Combine(Base, Page);
      std::string Path = Item->Attributes->GetValue("path", "").ToText();
      if (!Path.empty() && Path.front() != '\\') Path = Combine(Base, Path);
      // Every item keeps its whole resolved path: deep nesting would otherwise cost quadratic memory.
      if (Path.size() > MaxStoryPathLength)
        throw EStoryError(Format(SPathTooLong, MaxStoryPathLength));
      if (Item->Nodes->Count() > 0) Pending.emplace_back(Item->Nodes, std::move(Path));
    }
  }
}

void TStoryLine::IndexPages() {
  for (TXMLNode* Item = FirstItem(); Item; Item = NextItem(Item))
    if (std::string Page = PageOf(Item); !Page.empty())
      PageIndex.try_emplace(FoldedKey(Page), Item); // the first occurrence wins
}

TXMLNode* TStoryLine::FirstItem() const {
  const TXMLNodes& Top = *Parser->Root()->Nodes;
  return Top.Count() > 0 ? Top.Items(0) : nullptr;
}

TXMLNode* TStoryLine::LastItem() const {
  const TXMLNodes& Top = *Parser->Root()->Nodes;
  return Top.Count() > 0 ? LastDescendant(Top.Items(Top.Count() - 1)) : nullptr;
}

TXMLNode* TStoryLine::NextItem(const TXMLNode* Item) const {
  if (Item->Nodes->Count() > 0) return Item->Nodes->Items(0);
  for (const TXMLNode* I = Item; I && I->Level > 0; I = I->Parent())
    if (TXMLNode* Sibling = FollowingSibling(I)) return Sibling;
  return nullptr;
}

TXMLNode* TStoryLine::PriorItem(const TXMLNode* Item) const {
  if (Item->Index > 0) return LastDescendant(Item->ParentNodes->Items(Item->Index - 1));
  TXMLNode* Parent = Item->Parent();
  return Parent && Parent->Level > 0 ? Parent : nullptr;
}

TXMLNode* TStoryLine::FirstPageFrom(TXMLNode* Item) const {
  while (Item && !IsPage(Item))
    Item = NextItem(Item);
  return Item;
}

TXMLNode* TStoryLine::PriorPageFrom(TXMLNode* Item) const {
  while (Item && !IsPage(Item))
    Item = PriorItem(Item);
  return Item;
}

TXMLNode* TStoryLine::FirstPage() const {
  return FirstPageFrom(FirstItem());
}
TXMLNode* TStoryLine::LastPage() const {
  return PriorPageFrom(LastItem());
}
TXMLNode* TStoryLine::NextPage(const TXMLNode* Item) const {
  return FirstPageFrom(NextItem(Item));
}
TXMLNode* TStoryLine::PriorPage(const TXMLNode* Item) const {
  return PriorPageFrom(PriorItem(Item));
}

TXMLNode* TStoryLine::FindByPage(std::string_view Page) const {
  if (Page.empty()) return nullptr;
  const auto Found = PageIndex.find(FoldedKey(Page));
  return Found == PageIndex.end() ? nullptr : Found->second;
}

TXMLNode* TStoryLine::NextChapter(const TXMLNode* Item, int Level) const {
  CheckLevel(Level);
  if (Item->Level < Level) return NextPage(Item);
  for (const TXMLNode* I = Climb(const_cast<TXMLNode*>(Item), Level); I && I->Level > 0;
       I = I->Parent())
    if (TXMLNode* Sibling = FollowingSibling(I)) return FirstPageFrom(Sibling);
  return nullptr;
}

TXMLNode* TStoryLine::PriorChapter(const TXMLNode* Item, int Level) const {
  CheckLevel(Level);
  const TXMLNode* ChapterStart = Climb(const_cast<TXMLNode*>(Item), Level);
  TXMLNode* C = Climb(PriorPage(ChapterStart), Level);
  return C ? FirstPageFrom(C) : nullptr;
}

// ---- TStory ----

TStory::TStory(TMFS& Volume, std::string_view /*StoryName*/)
    : TStory(std::make_unique<TStoryLine>(Volume)) {}

TStory::TStory(std::unique_ptr<TStoryLine> Line) : StoryLine(std::move(Line)) {
  First();
}

void TStory::First() {
  FCurrent = StoryLine->FirstPage();
  FBof = FEof = FCurrent == nullptr;
}

void TStory::Last() {
  FCurrent = StoryLine->LastPage();
  FBof = FEof = FCurrent == nullptr;
}

void TStory::Locate(std::string_view Page) {
  TXMLNode* Found = StoryLine->FindByPage(Page);
  if (Found && Found != FCurrent) {
    FCurrent = Found;
    FBof = FEof = false;
  }
}

void TStory::Next(std::string_view ShownPage) {
  Locate(ShownPage);
  if (FEof) throw EStoryError(SEndOfStory);
  if (TXMLNode* Found = StoryLine->NextPage(FCurrent)) {
    FCurrent = Found;
    FBof = false;
  } else {
    FEof = true;
  }
}

void TStory::Prior(std::string_view ShownPage) {
  Locate(ShownPage);
  if (FBof) throw EStoryError(SBeginOfStory);
  if (TXMLNode* Found = StoryLine->PriorPage(FCurrent)) {
    FCurrent = Found;
    FEof = false;
  } else {
    FBof = true;
  }
}

// The level is checked before locating, so a refused step never moves the position.
TXMLNode* TStory::NextChapter(std::string_view ShownPage, int Level) {
  CheckLevel(Level);
  Locate(ShownPage);
  if (FEof) throw EStoryError(SEndOfStory);
  TXMLNode* Found = StoryLine->NextChapter(FCurrent, Level);
  if (Found) {
    FCurrent = Found;
    FBof = false;
  } else {
    FEof = true;
  }
  return Found;
}

TXMLNode* TStory::PriorChapter(std::string_view ShownPage, int Level) {
  CheckLevel(Level);
  Locate(ShownPage);
  if (FBof) throw EStoryError(SBeginOfStory);
  TXMLNode* Found = StoryLine->PriorChapter(FCurrent, Level);
  if (Found) {
    FCurrent = Found;
    FEof = false;
  } else {
    FBof = true;
  }
  return Found;
}

std::string TStory::CurrentPage() const {
  return FCurrent ? TStoryLine::PageOf(FCurrent) : std::string();
}

std::string TStory::CurrentPageName() const {
  return FCurrent ? FCurrent->Attributes->GetValue("pagename", "").ToText() : std::string();
}

bool TStory::Searchable() const {
  return FCurrent ? FCurrent->Attributes->GetValue("searchable", true).ToBoolean() : true;
}

bool TStory::RightClickBlocked() const {
  return FCurrent ? !FCurrent->Attributes->GetValue("rightclick", true).ToBoolean() : true;
}

} // namespace vv
