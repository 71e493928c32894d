#pragma once
// What a reader would hit: every href, src, srcset and CSS url() of the
// book's pages and style sheets that names a book file must find it, and
// every page should be reachable.

#include <ostream>
#include <string>
#include <vector>

#include "tools/u_BookSource.h"

namespace vv {

class TVariables;

struct TLinkCount {
  int Checked = 0;  // links naming a book file
  int External = 0; // http, https and mailto links, not followed
  int Broken = 0;
};

// Broken links go to Err as "page:line: "target" not found", at most
// MaxListed per file and then how many more; pages that neither Roots
// (the pages the reading order, forms and favourites open) nor any link
// from them reaches go to Out as notes. Variables, when given, expand
// %{Name} in links as the viewer does before the browser sees them.
[[nodiscard]] TLinkCount CheckLinks(TBookSource& Book, const std::vector<std::string>& Roots,
                                    const TVariables* Variables, std::ostream& Out,
                                    std::ostream& Err);

// Longer lists would bury the rest of the report; the count of the rest is given.
inline constexpr int MaxListed = 20;

} // namespace vv
