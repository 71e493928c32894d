#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "story/u_Story.h"

using namespace vv;

namespace {
template <typename Fn> std::string MessageOf(Fn&& Call) {
  try {
    Call();
  } catch (const Exception& E) {
    return E.what();
  }
  return "(no error)";
}

// front cover, part (part cover, chapter (chapter cover, page, chapter back
// cover), part back cover), back cover.
const char* const NestedStory = R"(<Story>
  <item page="\front.htm" pagename="Front"/>
  <item pagename="Part">
    <item page="\part.htm"/>
    <item>
      <item page="\chapter.htm"/>
      <item page="\page.htm" searchable=False rightclick=False/>
      <item page="\chapterback.htm"/>
    </item>
    <item page="\partback.htm"/>
  </item>
  <item page="\back.htm"/>
</Story>)";

TStory MakeStory(std::string_view Xml) {
  return TStory(std::make_unique<TStoryLine>(Xml));
}

std::vector<std::string> PagesForward(TStory& S) {
  std::vector<std::string> Pages;
  S.First();
  while (!S.Eof()) {
    Pages.push_back(S.CurrentPage());
    S.Next(S.CurrentPage());
  }
  return Pages;
}
} // namespace

TEST(Story, WalksPagesInDocumentOrder) {
  TStory S = MakeStory(NestedStory);
  EXPECT_EQ(PagesForward(S),
            (std::vector<std::string>{"\\front.htm", "\\part.htm", "\\chapter.htm", "\\page.htm",
                                      "\\chapterback.htm", "\\partback.htm", "\\back.htm"}));
  std::vector<std::string> Backward;
  for (S.Last(); !S.Bof(); S.Prior(S.CurrentPage()))
    Backward.push_back(S.CurrentPage());
  EXPECT_EQ(Backward.size(), 7u);
  EXPECT_EQ(Backward.front(), "\\back.htm");
  EXPECT_EQ(Backward.back(), "\\front.htm");
}

TEST(Story, ChapterMovesOfTheNestedStory) {
  TStory S = MakeStory(NestedStory);
  EXPECT_EQ(S.CurrentPage(), "\\front.htm");
  EXPECT_EQ(S.CurrentPageName(), "Front");
  S.Next("\\part.htm");
  EXPECT_EQ(S.CurrentPage(), "\\chapter.htm"); // from the part cover into the chapter
  for (const char* Inside :
       {"\\part.htm", "\\chapter.htm", "\\page.htm", "\\chapterback.htm", "\\partback.htm"}) {
    EXPECT_EQ(TStoryLine::PageOf(S.NextChapter(Inside, 1)), "\\back.htm") << Inside;
  }
  EXPECT_EQ(TStoryLine::PageOf(S.NextChapter("\\chapter.htm", 2)), "\\partback.htm");
  EXPECT_EQ(TStoryLine::PageOf(S.NextChapter("\\front.htm", 2)),
            "\\part.htm"); // level below 2: next page
  EXPECT_EQ(TStoryLine::PageOf(S.PriorChapter("\\back.htm", 1)), "\\part.htm");
  EXPECT_EQ(TStoryLine::PageOf(S.PriorChapter("\\partback.htm", 2)), "\\chapter.htm");
  EXPECT_EQ(S.CurrentPage(), "\\chapter.htm");
  EXPECT_EQ(TStoryLine::PageOf(S.PriorChapter("\\part.htm", 1)), "\\front.htm");
}

TEST(Story, ChapterMovesPastTheEndsSetTheFlags) {
  TStory S = MakeStory(NestedStory);
  EXPECT_EQ(S.NextChapter("\\back.htm", 1), nullptr);
  EXPECT_TRUE(S.Eof());
  EXPECT_EQ(S.CurrentPage(), "\\back.htm");
  EXPECT_EQ(S.PriorChapter("\\front.htm", 1), nullptr);
  EXPECT_TRUE(S.Bof());
  EXPECT_EQ(S.CurrentPage(), "\\front.htm");
}

TEST(Story, EndFlagsMeanAStepBeyondWasTried) {
  TStory S = MakeStory(NestedStory);
  S.Last();
  EXPECT_FALSE(S.Eof());
  S.Next(S.CurrentPage());
  EXPECT_TRUE(S.Eof());
  EXPECT_EQ(S.CurrentPage(), "\\back.htm");
  EXPECT_EQ(MessageOf([&] { S.Next(S.CurrentPage()); }), "End of story encountered");
  EXPECT_EQ(MessageOf([&] { (void)S.NextChapter(S.CurrentPage(), 1); }),
            "End of story encountered");
  S.Prior(S.CurrentPage());
  EXPECT_FALSE(S.Eof());
  EXPECT_EQ(S.CurrentPage(), "\\partback.htm");
  S.First();
  S.Prior(S.CurrentPage());
  EXPECT_TRUE(S.Bof());
  EXPECT_EQ(MessageOf([&] { S.Prior(S.CurrentPage()); }), "Begin of story encountered");
  S.Locate("\\page.htm"); // locating onto another page clears the flag
  EXPECT_FALSE(S.Bof());
}

TEST(Story, LocateIgnoresCaseAndPagesOutsideTheStory) {
  TStory S = MakeStory(NestedStory);
  S.Locate("\\PAGE.HTM");
  EXPECT_EQ(S.CurrentPage(), "\\page.htm");
  EXPECT_TRUE(S.Searchable() == false && S.RightClickBlocked());
  S.Locate("\\forms\\extra.htm");
  S.Locate("");
  EXPECT_EQ(S.CurrentPage(), "\\page.htm");
  S.Next("\\nowhere.htm"); // steps from the current page
  EXPECT_EQ(S.CurrentPage(), "\\chapterback.htm");
  EXPECT_TRUE(S.Searchable());
  EXPECT_FALSE(S.RightClickBlocked());
}

TEST(Story, RepeatedPageResolvesToItsFirstItem) {
  TStory S = MakeStory(R"(<Story><item page="\a.htm"/><item page="\b.htm"/><item page="\c.htm"/>
                          <item page="\A.htm" pagename="again"/><item page="\d.htm"/></Story>)");
  S.Last();
  S.Prior(S.CurrentPage());
  EXPECT_EQ(S.CurrentPageName(), "again");
  S.Next(S.CurrentPage()); // locates the first \a.htm, then steps on from there
  EXPECT_EQ(S.CurrentPage(), "\\b.htm");
}

TEST(Story, StoryWithoutPagesIsEmpty) {
  TStory S = MakeStory("<Story><item pagename=\"x\"><item/></item></Story>");
  EXPECT_TRUE(S.Bof());
  EXPECT_TRUE(S.Eof());
  EXPECT_EQ(S.Current(), nullptr);
  EXPECT_EQ(S.CurrentPage(), "");
  EXPECT_EQ(S.CurrentPageName(), "");
  EXPECT_TRUE(S.Searchable());
  EXPECT_TRUE(S.RightClickBlocked());
  EXPECT_THROW(S.Next(""), EStoryError);
  EXPECT_THROW(S.Prior(""), EStoryError);
  S.Last();
  EXPECT_TRUE(S.Eof());
  EXPECT_TRUE(MakeStory("").Eof());
}

TEST(Story, ChapterLevelMustBePositive) {
  TStory S = MakeStory(NestedStory);
  S.Locate("\\page.htm");
  EXPECT_EQ(MessageOf([&] { (void)S.NextChapter("\\back.htm", 0); }),
            "Chapter level is out of range (0)");
  EXPECT_EQ(MessageOf([&] { (void)S.PriorChapter("\\back.htm", -1); }),
            "Chapter level is out of range (-1)");
  EXPECT_EQ(S.CurrentPage(), "\\page.htm");
  EXPECT_THROW((void)S.StoryLine->NextChapter(S.Current(), 0), EStoryError);
}

TEST(Story, ResolvesRelativePages) {
  const TStoryLine Line(R"(<Story Path="Book">
    <item page="a.htm"/>
    <item page="\abs.htm"/>
    <item path="sub">
      <item page="b.htm">
        <item page="c.htm"/>
      </item>
      <item path="\top\">
        <item page="d.htm"/>
      </item>
    </item>
  </Story>)");
  std::vector<std::string> Pages;
  for (const TXMLNode* I = Line.FirstPage(); I; I = Line.NextPage(I))
    Pages.push_back(TStoryLine::PageOf(I));
  EXPECT_EQ(Pages, (std::vector<std::string>{"\\Book\\a.htm", "\\abs.htm", "\\Book\\sub\\b.htm",
                                             "c.htm", "\\top\\d.htm"}));
  const TStoryLine Plain(
      "<Story><item path=\"x\"><item page=\"p.htm\"/></item><item page=\"q.htm\"/></Story>");
  EXPECT_EQ(TStoryLine::PageOf(Plain.FirstPage()), "x\\p.htm");
  EXPECT_EQ(TStoryLine::PageOf(Plain.LastPage()), "q.htm");
}

TEST(Story, ItemWalkingAtTheEdges) {
  const TStoryLine Line(NestedStory);
  const TXMLNode* Last = Line.LastItem();
  EXPECT_EQ(TStoryLine::PageOf(Last), "\\back.htm");
  EXPECT_EQ(Line.NextItem(Last), nullptr);
  EXPECT_EQ(Line.PriorItem(Line.FirstItem()), nullptr);
  const TStoryLine Empty("<Story/>");
  EXPECT_EQ(Empty.FirstItem(), nullptr);
  EXPECT_EQ(Empty.LastItem(), nullptr);
  EXPECT_EQ(Empty.FindByPage("x"), nullptr);
}

TEST(Story, ReadsStoryXmlFromTheVolume) {
  TMFS Volume;
  EXPECT_EQ(MessageOf([&] { TStory(Volume, "Story.xml"); }), "File \"\\Story.xml\" not found");
  Volume.DefaultSession().CreateMFSFile("\\story.XML", faArchive, false)->Content = NestedStory;
  TStory S(Volume, "Ignored.xml");
  EXPECT_EQ(S.CurrentPage(), "\\front.htm");
  Volume.DefaultSession().GetFile("\\Story.xml")->Content = "<Story><item page=1></Story>";
  EXPECT_EQ(MessageOf([&] { TStory(Volume, ""); }), "item expected on line 1");
}

TEST(Story, DeepStoriesAreWalkedWithoutRecursion) {
  constexpr int Depth = 100000;
  std::string Xml = "<Story Path=\"b\">\n";
  for (int i = 0; i < Depth; ++i)
    Xml += "<item page=\"p" + std::to_string(i) + ".htm\">\n";
  for (int i = 0; i < Depth; ++i)
    Xml += "</item>\n";
  Xml += "</Story>";
  TStory S = MakeStory(Xml);
  EXPECT_EQ(S.CurrentPage(), "\\b\\p0.htm");
  S.Last();
  EXPECT_EQ(S.CurrentPage(), "p99999.htm"); // no base below an item without path
  EXPECT_EQ(S.Current()->Level, Depth);
  EXPECT_EQ(S.NextChapter("p99999.htm", 1), nullptr);
  EXPECT_EQ(S.PriorChapter("p99999.htm", 1), nullptr); // everything is one chapter
  EXPECT_TRUE(S.Bof());
  S.Locate("P50000.HTM");
  S.Next(S.CurrentPage());
  EXPECT_EQ(S.CurrentPage(), "p50001.htm");
  EXPECT_EQ(TStoryLine::PageOf(S.PriorChapter(S.CurrentPage(), Depth)), "p50000.htm");
}

TEST(Story, OverlongNestedPathsFailTheLoad) {
  // Every item keeps its resolved folder path; deep nesting must not cost quadratic memory.
  std::string Xml = "<Story>";
  const int Depth = MaxStoryPathLength / 2 + 1;
  for (int i = 0; i < Depth; ++i)
    Xml += "<item path=\"a\">";
  Xml += "<item page=\"p.htm\"/>";
  for (int i = 0; i < Depth; ++i)
    Xml += "</item>";
  Xml += "</Story>";
  try {
    (void)MakeStory(Xml);
    FAIL() << "accepted";
  } catch (const EStoryError& E) {
    EXPECT_STREQ(E.what(), "A path in the reading order is longer than 4096 characters");
  }
}
