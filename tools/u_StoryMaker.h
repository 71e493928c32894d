#pragma once
// The reading order of a book that has no Story.xml, made from its pages.

#include <string>
#include <string_view>

#include "storage/u_MFS.h"
#include "tools/u_BookFiles.h"

namespace vv {

// Story.xml text from a contents page (a path of Files): the contents page
// first (named "Contents"), then the pages its links name, in document order, nested as its
// lists (ul, ol in li) nest, named by the link text. A list item without a
// link of its own that holds a list becomes a part named by its text. Each
// page is listed once; links to anything but a page of the book are left out.
[[nodiscard]] std::string StoryFromContents(TMFS& Volume, const TBookFiles& Files,
                                            const std::string& ContentsPage);

// Story.xml text listing every page in natural file-name order ("page2"
// before "page10"), each named by its title, else its file name.
[[nodiscard]] std::string StoryFromFileNames(TMFS& Volume, const TBookFiles& Files);

// The page's title element, character references decoded and blanks
// collapsed; empty without one.
[[nodiscard]] std::string PageTitle(std::string_view Html);

} // namespace vv
