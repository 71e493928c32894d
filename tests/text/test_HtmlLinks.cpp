// The references a browser would fetch from a page or style sheet, with the
// lines they are on; markup that only looks like a reference is left alone.
#include <gtest/gtest.h>

#include "text/u_HtmlLinks.h"
#include "text/u_HtmlScanner.h"
#include "text/u_SpaceXMLParser.h"

using namespace vv;

namespace {

std::string Found(std::string_view Html) {
  std::vector<THtmlLink> Links;
  ScanHtmlLinks(Html, Links);
  std::string Out;
  for (const THtmlLink& L : Links)
    Out += std::to_string(L.Line) + ":" + L.Target + " ";
  return Out;
}

struct TCase {
  const char* Html;
  const char* Links;
};

TEST(HtmlLinks, FindsWhatABrowserWouldFetch) {
  const TCase Cases[] = {
      {"<a href=\"a.htm\">x</a><IMG SRC='b.png'><script src=c.js></script>",
       "1:a.htm 1:b.png 1:c.js "},
      {"<a href=\"x.htm?a=1&amp;b=2\">", "1:x.htm?a=1&b=2 "},
      {"<img\n srcset=\"s.png 1x,\n  t.png 2x\" src=u.png>", "1:s.png 1:t.png 1:u.png "},
      {"<p style=\"background:url( 'bg.png' )\">", "1:bg.png "},
      {"<style>\n@import \"i.css\";\nb { background: URL(d.png) }\n/* url(no.png) */</style>",
       "2:i.css 3:d.png "},
      {"<!-- <a href=\"no.htm\"> -->\n<a href=\"yes.htm\">", "2:yes.htm "},
      {"<script>var s = '<a href=\"no.htm\">';</script><a href=\"\">", ""},
      {"<title><a href=no.htm></title>a < b <a href = yes.htm>", "1:yes.htm "},
      {"<a href=\"unfinished.htm", "1:unfinished.htm "},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(Found(C.Html), C.Links) << C.Html;
}

TEST(HtmlLinks, CountsLinesInStyleSheets) {
  std::vector<THtmlLink> Links;
  ScanCssLinks("a { }\n/* a\n comment */ b { background: url(\"x.png\") }", 10, Links);
  ASSERT_EQ(Links.size(), 1u);
  EXPECT_EQ(Links[0].Target, "x.png");
  EXPECT_EQ(Links[0].Line, 12);
}

// A megabyte of '&' is decoded in one pass; a tag's attributes are bounded.
TEST(HtmlLinks, HostileMarkupIsReadInOnePass) {
  const std::string Amps(1 << 20, '&');
  EXPECT_EQ(DecodeEntities(Amps + "amp;&#65;&#x42"), Amps + "A&#x42");
  std::string Tag = "<a";
  for (int i = 0; i < 100000; ++i)
    Tag += " x=1";
  Tag += ">text";
  THtmlScanner Scanner(Tag);
  THtmlToken T;
  ASSERT_TRUE(Scanner.Next(T));
  EXPECT_EQ(T.Attributes.size(), MaxAttributesPerElement);
  ASSERT_TRUE(Scanner.Next(T));
  EXPECT_EQ(T.Text, "text");
}

} // namespace
