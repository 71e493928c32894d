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

// The part that holds the pages no list of contents reaches.
inline constexpr const char* UnlistedPartName = "Other pages";
// Deeper lists are placed at this level: the reading order stays one a reader can open.
inline constexpr int MaxStoryLevel = 32;
// Longer names are cut at a word's end and end in "...", within this length.
inline constexpr std::size_t MaxPageNameLength = 160;

struct TMadeStory {
  std::string Xml;   // Story.xml text
  int Unlisted = 0;  // pages placed in the last part
};

// The reading order from a contents page (a path of Files), breadth first:
// the contents page (named "Contents"), then the pages its links name,
// nested as its lists nest (ul and ol in li, dl in dt and dd); then, level by
// level, the pages each placed page's own lists name, nested under it. Each
// page is placed once, where the first list read names it; navigation links
// ("Next", "Up", accesskey, rel="next") place nothing. A page is named by
// its entry's text, else its title, else its file name. A list item without
// a link of its own that holds a list becomes a part named by its text.
// The pages no list reaches follow in a last part, in file-name order.
[[nodiscard]] TMadeStory StoryFromContents(TMFS& Volume, const TBookFiles& Files,
                                           const std::string& ContentsPage, TStoryNames& Names);

// Story.xml text listing every page in natural file-name order ("page2"
// before "page10"), each named by its title, else its file name.
[[nodiscard]] std::string StoryFromFileNames(TMFS& Volume, const TBookFiles& Files, TStoryNames& Names);

// The page's title element as UTF-8, read in the page's own encoding,
// character references decoded, blanks collapsed and bounded as page names
// are; empty without one.
[[nodiscard]] std::string PageTitle(std::string_view Html);

} // namespace vv
