#pragma once
// Which parts of a page can be printed on their own, and the document the
// print window shows for one of them. No GUI: the browser's element list is
// handed in by the caller.

#include <string>
#include <string_view>
#include <vector>

namespace vv {

// A div whose id, upper-cased, ends with "PAGE" (page2 does not, chapterPage does).
[[nodiscard]] bool IsPrintSection(std::string_view TagName, std::string_view Id);

// The element a section menu item with hint Id stands for: a div with that
// id, both compared without regard to case.
[[nodiscard]] bool IsSectionNamed(std::string_view TagName, std::string_view ElementId, std::string_view Id);

// The ids of the sections among Elements (anything with TagName and Id), in
// their order; nested sections each count.
template <typename TElement>
[[nodiscard]] std::vector<std::string> PrintSectionIds(const std::vector<TElement>& Elements) {
  std::vector<std::string> Ids;
  for (const TElement& E : Elements)
    if (IsPrintSection(E.TagName, E.Id))
      Ids.push_back(E.Id);
  return Ids;
}

// The first section named Id (ids differing only in case: the first in
// order wins); nullptr when the page no longer has it.
template <typename TElement>
[[nodiscard]] const TElement* FindPrintSection(const std::vector<TElement>& Elements, std::string_view Id) {
  for (const TElement& E : Elements)
    if (IsSectionNamed(E.TagName, E.Id, Id))
      return &E;
  return nullptr;
}

// The print window's whole document for a section's innerHTML; the base
// makes the section's relative references resolve in the book's content.
[[nodiscard]] std::string PrintSectionHtml(std::string_view InnerHTML);

// Html split at its line breaks (CR LF, LF or a lone CR), each line written
// back followed by CR LF; no text gives no lines.
[[nodiscard]] std::string LinesWithCRLF(std::string_view Html);

} // namespace vv
