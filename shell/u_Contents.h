#pragma once
// The contents pane's decisions: the reading order as rows of a tree (parts
// and chapters as branches, pages by name) in reading order, the reader's
// position, and what a filter leaves shown. Each platform's pane draws them.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "story/u_Story.h"

namespace vv {

class TContents {
public:
  struct TRow {
    const TXMLNode* Item;
    int Parent;        // row index, or -1 at the top
    std::string Label; // book text: the page's name, else its path
    int PageNumber;    // from 1; 0 for a branch without a page
  };

  // StoryLine is not owned; it must outlive the contents.
  explicit TContents(const TStoryLine& StoryLine);

  [[nodiscard]] const std::vector<TRow>& Rows() const { return FRows; }
  // -1 for none or an item not in the reading order.
  [[nodiscard]] int RowOf(const TXMLNode* Item) const;
  // "Page 3 of 12" on a page of the reading order, else "12 pages".
  [[nodiscard]] std::string PositionText(const TXMLNode* Item) const;
  // The rows a filter (UTF-8, as typed) leaves shown: every row whose label
  // holds it, ignoring case, with the branches above; all for an empty filter.
  [[nodiscard]] std::vector<bool> Shown(std::string_view Filter) const;
  // The first page whose label holds the filter; none when no page does.
  [[nodiscard]] const TXMLNode* FirstMatchingPage(std::string_view Filter) const;
  // The page a chosen row opens: only pages open.
  [[nodiscard]] const TXMLNode* PageOfRow(int Row) const;

private:
  [[nodiscard]] bool Matches(int Row, const std::string& FoldedFilter) const;

  std::vector<TRow> FRows;
  std::vector<std::string> FoldedLabels; // UTF-8, case-folded
  std::unordered_map<const TXMLNode*, int> RowOfItem;
  int PageCount = 0;
};

} // namespace vv
