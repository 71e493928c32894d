#pragma once
// The references of a book page or style sheet that a reader's browser would
// fetch or follow: every href, src and srcset candidate of the markup, and
// every url() and @import of style sheets (style elements, style attributes
// and .css files), in document order.

#include <string>
#include <string_view>
#include <vector>

namespace vv {

struct THtmlLink {
  std::string Target; // character references decoded, otherwise as written
  int Line = 1;
};

// Appends the references of a page to Links.
void ScanHtmlLinks(std::string_view Html, std::vector<THtmlLink>& Links);
// Appends the references of style sheet text that begins on FirstLine.
void ScanCssLinks(std::string_view Css, int FirstLine, std::vector<THtmlLink>& Links);

} // namespace vv
