#pragma once
// A small book for the search tests: a reading order over a content volume.

#include <memory>

#include "storage/u_MFS.h"
#include "story/u_Story.h"

namespace vvtest {
using namespace vv;

// A page listed twice (the cover), a page that is not searchable, a chapter
// folder and pages for the tag-boundary and attribute cases.
const char* const StoryXml = R"(<Story>
  <item page="\cover.htm" pagename="Cover"/>
  <item pagename="Chapter">
    <item page="\chap\one.htm" pagename="One"/>
    <item page="\chap\two.htm" pagename="Two" searchable=False/>
  </item>
  <item page="\COVER.htm" pagename="Cover again"/>
  <item page="\last.htm" pagename="Last"/>
</Story>)";

struct TSearchBook {
  explicit TSearchBook(const char* Xml = StoryXml) : Story(std::make_unique<TStoryLine>(Xml)) {
    TMFSSession& S = Volume.DefaultSession();
    S.ForceFolders("\\chap");
    S.CreateMFSFile("\\cover.htm", 0, false)->Content =
        "<html><body><h1>ZEBRA Book</h1><a href=\"secret.htm\">link</a></body></html>";
    S.CreateMFSFile("\\chap\\one.htm", 0, false)->Content =
        "<p>Hello <b>world</b>, a zebra.</p><script>var scripted = 1;</script>";
    S.CreateMFSFile("\\chap\\two.htm", 0, false)->Content = "<p>zebra</p>";
    S.CreateMFSFile("\\last.htm", 0, false)->Content = "<p>Hello<br>world</p>";
  }
  TMFS Volume;
  TStory Story;
};

} // namespace vvtest
