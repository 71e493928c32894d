#include "shell/u_Contents.h"

#include "platform/u_BookText.h"
#include "text/u_Unicode.h"

namespace vv {

namespace {
std::string FoldedFilter(std::string_view Filter) {
  const std::size_t First = Filter.find_first_not_of(" \t\r\n");
  if (First == std::string_view::npos)
    return {};
  const std::size_t Last = Filter.find_last_not_of(" \t\r\n");
  return FoldUtf8(Filter.substr(First, Last - First + 1));
}
} // namespace

TContents::TContents(const TStoryLine& StoryLine) {
  for (const TXMLNode* Item = StoryLine.FirstItem(); Item; Item = StoryLine.NextItem(Item)) {
    const auto Parent = RowOfItem.find(Item->Parent());
    const std::string Name = Item->Attributes->GetValue("pagename", "").ToText();
    const bool IsPage = TStoryLine::IsPage(Item);
    FRows.push_back(TRow{Item, Parent == RowOfItem.end() ? -1 : Parent->second,
                         Name.empty() ? TStoryLine::PageOf(Item) : Name, IsPage ? ++PageCount : 0});
    FoldedLabels.push_back(FoldUtf8(BookToUtf8(FRows.back().Label)));
    RowOfItem.emplace(Item, static_cast<int>(FRows.size()) - 1);
  }
}

int TContents::RowOf(const TXMLNode* Item) const {
  const auto Found = RowOfItem.find(Item);
  return Found == RowOfItem.end() ? -1 : Found->second;
}

std::string TContents::PositionText(const TXMLNode* Item) const {
  const int Row = RowOf(Item);
  const int Number = Row < 0 ? 0 : FRows[static_cast<std::size_t>(Row)].PageNumber;
  return Number ? Format("Page %d of %d", Number, PageCount) : Format("%d pages", PageCount);
}

bool TContents::Matches(int Row, const std::string& Folded) const {
  return FoldedLabels[static_cast<std::size_t>(Row)].find(Folded) != std::string::npos;
}

std::vector<bool> TContents::Shown(std::string_view Filter) const {
  const std::string Folded = FoldedFilter(Filter);
  std::vector<bool> Result(FRows.size(), Folded.empty());
  if (Folded.empty())
    return Result;
  // Children come after their parents in reading order, so walking backwards
  // a branch knows whether anything below it is shown.
  for (int Row = static_cast<int>(FRows.size()) - 1; Row >= 0; --Row) {
    if (!Result[static_cast<std::size_t>(Row)])
      Result[static_cast<std::size_t>(Row)] = Matches(Row, Folded);
    if (const int Parent = FRows[static_cast<std::size_t>(Row)].Parent; Result[static_cast<std::size_t>(Row)] && Parent >= 0)
      Result[static_cast<std::size_t>(Parent)] = true;
  }
  return Result;
}

const TXMLNode* TContents::FirstMatchingPage(std::string_view Filter) const {
  const std::string Folded = FoldedFilter(Filter);
  for (int Row = 0; Row < static_cast<int>(FRows.size()); ++Row)
    if (FRows[static_cast<std::size_t>(Row)].PageNumber && Matches(Row, Folded))
      return FRows[static_cast<std::size_t>(Row)].Item;
  return nullptr;
}

const TXMLNode* TContents::PageOfRow(int Row) const {
  if (Row < 0 || Row >= static_cast<int>(FRows.size()) || !FRows[static_cast<std::size_t>(Row)].PageNumber)
    return nullptr;
  return FRows[static_cast<std::size_t>(Row)].Item;
}

} // namespace vv
