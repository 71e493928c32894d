#pragma once
// The reading order of a book that has no Story.xml, made from its pages.

#include <string>
#include <string_view>
#include <vector>

#include "storage/u_MFS.h"
#include "text/u_Convert.h"
#include "tools/u_BookFiles.h"

namespace vv {

// How a made Story.xml writes the names of its items: in the book's code
// page, keeping the names (UTF-8) that code page could not hold.
struct TStoryNames {
  TCodePage CodePage = TCodePage::Utf8;
  std::vector<std::string> Lost;
  // Name (UTF-8) in CodePage.
  [[nodiscard]] std::string Written(const std::string& Name);
};

// Story.xml text from a contents page (a path of Files): the contents page
// first (named "Contents"), then the pages its links name, in document order, nested as its
// lists (ul, ol in li) nest, named by the link text. A list item without a
// link of its own that holds a list becomes a part named by its text. Each
// page is listed once; links to anything but a page of the book are left out.
[[nodiscard]] std::string StoryFromContents(TMFS& Volume, const TBookFiles& Files,
                                            const std::string& ContentsPage, TStoryNames& Names);

// Story.xml text listing every page in natural file-name order ("page2"
// before "page10"), each named by its title, else its file name.
[[nodiscard]] std::string StoryFromFileNames(TMFS& Volume, const TBookFiles& Files, TStoryNames& Names);

// The page's title element as UTF-8, read in the page's own encoding,
// character references decoded and blanks collapsed; empty without one.
[[nodiscard]] std::string PageTitle(std::string_view Html);

} // namespace vv
