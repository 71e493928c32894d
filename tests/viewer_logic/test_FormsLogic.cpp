// Search, splash and print decisions through fake windows, a fake browser
// and a fake message loop with a virtual clock.
#include <gtest/gtest.h>

#include "forms/u_Print.h"
#include "forms/u_PrintSections.h"
#include "forms/u_Search.h"
#include "forms/u_Splash.h"
#include "tests/forms/SearchBook.h"
#include "tests/viewer_logic/FakeFormViews.h"
#include "tests/viewer_logic/FakePlatform.h"

namespace vvtest {

namespace {
std::vector<std::string> Names(const std::vector<TFoundPage>& Rows) {
  std::vector<std::string> Result;
  for (const TFoundPage& Row : Rows)
    Result.push_back(Row.Name);
  return Result;
}

using TStrings = std::vector<std::string>;
} // namespace

// ---- search ----

class SearchLogic : public ::testing::Test {
protected:
  // Opens the search window; Reader is what the reader does while it is open.
  void Open(std::function<void(TFakeSearchView&)> Reader, TSize* Size = nullptr) {
    Views.SearchReader = std::move(Reader);
    ShowSearchForm(Book->Story, Book->Volume, [this] { Navigated.push_back(Book->Story.CurrentPage()); }, Views,
                   [this](const std::string& Phrase) { Shown.push_back(Phrase); }, Size);
  }

  std::unique_ptr<TSearchBook> Book = std::make_unique<TSearchBook>();
  TFakeFormViews Views;
  TStrings Navigated;
  TStrings Shown;
};

TEST_F(SearchLogic, ListsEverySearchableItemOnceInReadingOrderAndLeavesTheStoryAtItsEnd) {
  Open([&](TFakeSearchView& View) {
    View.Search("zebra");
    // The cover is listed for both of its items; "Two" is not searchable.
    EXPECT_EQ(Names(View.Rows), (TStrings{"Cover", "One", "Cover again"}));
    EXPECT_EQ(View.Rows[1].Path, "\\chap\\one.htm");
    EXPECT_EQ(View.Rows[2].Path, "\\COVER.htm");
    EXPECT_EQ(View.Note, "");
    EXPECT_FALSE(View.Busy);
  });
  EXPECT_TRUE(Book->Story.Eof());
  EXPECT_EQ(Book->Story.CurrentPage(), "\\last.htm");
  EXPECT_TRUE(Navigated.empty());
}

TEST_F(SearchLogic, IgnoresCaseAndMarkupAndSaysWhenNothingIsFound) {
  Open([&](TFakeSearchView& View) {
    View.Search("Hello world");
    // "Hello <b>world</b>" leaves two blanks; "Hello<br>world" leaves one.
    EXPECT_EQ(Names(View.Rows), TStrings{"Last"});
    View.Search("SECRET"); // only in an attribute
    EXPECT_TRUE(View.Rows.empty());
    EXPECT_EQ(View.Note, "No page contains \"SECRET\".");
    View.Search("SCRIPTED");
    EXPECT_EQ(Names(View.Rows), TStrings{"One"});
    EXPECT_EQ(View.Note, "");
    View.Search("");
    EXPECT_TRUE(View.Rows.empty());
    EXPECT_EQ(View.Note, "");
    View.Search("Gr\xC3\xBC\xC3\x9F" "e"); // Unicode, found nowhere
    EXPECT_EQ(View.Note, "No page contains \"Gr\xC3\xBC\xC3\x9F" "e\".");
  });
}

TEST_F(SearchLogic, ThePhraseListKeepsOneEntryPerPhraseIgnoringCase) {
  Open([&](TFakeSearchView& View) {
    View.Search("Zebra");
    View.Search("ZEBRA");
    View.Search("hello");
    View.Search("\xC3\x89T\xC3\x89"); // ÉTÉ
    View.Search("\xC3\xA9t\xC3\xA9"); // été
    EXPECT_EQ(View.Phrases, (TStrings{"Zebra", "hello", "\xC3\x89T\xC3\x89"}));
  });
  // Every opening starts a new list.
  Open([&](TFakeSearchView& View) {
    View.Search("hello");
    EXPECT_EQ(View.Phrases, TStrings{"hello"});
  });
}

TEST_F(SearchLogic, ShowLocatesTheStoryNavigatesAndReportsTheListedPhrase) {
  Open([&](TFakeSearchView& View) {
    View.Search("zebra");
    View.Show(-1); // nothing selected
    EXPECT_TRUE(Navigated.empty());
    EXPECT_TRUE(Book->Story.Eof());
    View.Typed = "typed but not searched";
    View.Show(1);
    EXPECT_EQ(Navigated, TStrings{"\\chap\\one.htm"});
    EXPECT_FALSE(Book->Story.Eof());
    EXPECT_EQ(Shown, TStrings{"zebra"});
    // The second listing of the cover locates its first item, as every move does.
    View.Show(2);
    EXPECT_EQ(Book->Story.Current(), Book->Story.StoryLine->FirstPage());
    EXPECT_EQ(Navigated.size(), 2u);
  });
}

TEST_F(SearchLogic, AMissingPageEndsTheSearchKeepingEarlierRows) {
  Book = std::make_unique<TSearchBook>(R"(<Story>
    <item page="\cover.htm" pagename="Cover"/>
    <item page="\chap\one.htm" pagename="One"/>
    <item page="\gone.htm" pagename="Gone"/>
    <item page="\last.htm" pagename="Last"/>
  </Story>)");
  Open([&](TFakeSearchView& View) {
    View.Search("zebra");
    ASSERT_EQ(View.Errors.size(), 1u);
    EXPECT_NE(View.Errors[0].find("gone.htm"), std::string::npos) << View.Errors[0];
    EXPECT_NE(View.Errors[0].find("not found"), std::string::npos) << View.Errors[0];
    EXPECT_EQ(Names(View.Rows), (TStrings{"Cover", "One"}));
    EXPECT_EQ(View.Note, "");
    EXPECT_FALSE(View.Busy);
  });
  EXPECT_EQ(Book->Story.CurrentPage(), "\\gone.htm");
}

TEST_F(SearchLogic, TheReadersWindowSizeIsKeptForTheNextOpening) {
  TSize Size{-1, -1};
  Open([](TFakeSearchView& View) { EXPECT_EQ(View.Size(), (TSize{392, 216})); }, &Size);
  EXPECT_FALSE(Size.IsValid());
  Open([](TFakeSearchView& View) { View.Resize({600, 400}); }, &Size);
  EXPECT_EQ(Size, (TSize{600, 400}));
  Open([](TFakeSearchView& View) { EXPECT_EQ(View.Size(), (TSize{600, 400})); }, &Size);
  Open([](TFakeSearchView&) {}, nullptr);
  EXPECT_EQ(Views.SearchWindows, 4);
}

// ---- splash ----

namespace {
TSplashOptions Options(TSplashType S, TSplashType E, int Interval, bool CloseOnClick = false) {
  TSplashOptions O;
  O.SplashTypeS = S;
  O.SplashTypeE = E;
  O.Interval = Interval;
  O.CloseOnClick = CloseOnClick;
  O.PopUpTextS = "Welcome";
  O.PopUpTextE = "Good bye";
  return O;
}
} // namespace

class SplashLogic : public ::testing::Test {
protected:
  SplashLogic() {
    TMFSSession& S = System.DefaultSession();
    S.CreateMFSFile("\\SplashS.bmp", 0, false)->Content = "start picture";
    S.CreateMFSFile("\\SplashE.bmp", 0, false)->Content = "end picture";
    S.ForceFolders("\\tb");
    S.CreateMFSFile("\\tb\\SplashE.bmp", 0, false)->Content = "toolbar folder's end picture";
    S.ForceFolders("\\empty");
  }
  void Show(const TSplashOptions* O, bool AtStart) { ShowSplash(O, AtStart, &System, SplashDone, Views, Loop); }

  TMFS System;
  TFakeFormViews Views;
  TFakeMessageLoop Loop;
  bool SplashDone = true;
};

TEST_F(SplashLogic, StartSplashReturnsAtOnceCentredAndClosesAfterItsInterval) {
  const TSplashOptions O = Options(vsSplash, vsNone, 1);
  Views.Screen = {10, 20, 1025, 769};
  Show(&O, true);
  ASSERT_EQ(Views.Splashes.size(), 1u);
  const TSplashRecord& Splash = *Views.Splashes[0];
  EXPECT_EQ(Loop.Now, 0);
  EXPECT_EQ(Splash.Picture, "start picture");
  EXPECT_EQ(Splash.Type, TPictureKind::Bitmap);
  EXPECT_EQ(Splash.At, (TPoint{10 + 452, 20 + 344}));
  EXPECT_TRUE(Splash.Shown);
  EXPECT_FALSE(SplashFinished());
  Loop.Advance(999);
  EXPECT_FALSE(Splash.Closed);
  Loop.Advance(1);
  EXPECT_TRUE(Splash.Closed && Splash.Gone);
  EXPECT_TRUE(SplashFinished());
  EXPECT_TRUE(SplashDone);
}

TEST_F(SplashLogic, APictureWiderThanTheScreenIsCentredRoundingTowardZero) {
  const TSplashOptions O = Options(vsSplash, vsNone, 1);
  Views.PictureSize = {1024 + 201, 10};
  Show(&O, true);
  EXPECT_EQ(Views.Splashes[0]->At.X, -100);
}

TEST_F(SplashLogic, TheIntervalIsClampedToTenSecondsAndZeroClosesAtTheRequest) {
  for (const auto& [Seconds, Ms] : std::vector<std::pair<int, int>>{{25, 10000}, {10, 10000}, {3, 3000}, {0, 0}, {-5, 0}}) {
    const TSplashOptions O = Options(vsNone, vsSplash, Seconds);
    const long long Started = Loop.Now;
    Show(&O, false);
    EXPECT_EQ(Loop.Now - Started, Ms) << Seconds;
    EXPECT_TRUE(Views.Splashes.back()->Closed) << Seconds;
    EXPECT_TRUE(SplashDone);
  }
}

TEST_F(SplashLogic, EndSplashWaitsInTheLoopWithSplashDoneFalse) {
  // The end picture is looked up in the session's current folder.
  System.DefaultSession().ChangeDir("\\tb");
  const TSplashOptions O = Options(vsNone, vsSplash, 2);
  bool DoneWhileShown = true;
  Loop.PostDelayed(100, [&] { DoneWhileShown = SplashDone; });
  Show(&O, false);
  EXPECT_EQ(Views.Splashes[0]->Picture, "toolbar folder's end picture");
  EXPECT_FALSE(DoneWhileShown);
  EXPECT_EQ(Loop.Now, 2000);
  EXPECT_TRUE(SplashDone);
  EXPECT_TRUE(SplashFinished());
  EXPECT_TRUE(Views.Splashes[0]->Closed);
}

TEST_F(SplashLogic, AnEarlierSplashDoesNotCutTheEndSplashShort) {
  const TSplashOptions Start = Options(vsSplash, vsNone, 1);
  const TSplashOptions End = Options(vsNone, vsSplash, 2);
  Show(&Start, true);
  Show(&End, false);
  EXPECT_EQ(Loop.Now, 2000);
  EXPECT_TRUE(Views.Splashes[0]->Closed && Views.Splashes[1]->Closed);
}

TEST_F(SplashLogic, AWaitForSplashDoneNestedInTheEndWaitEnds) {
  // A second close query during the end wait waits for SplashDone inside it.
  const TSplashOptions O = Options(vsNone, vsSplash, 1);
  bool InnerReturned = false;
  Loop.PostDelayed(100, [&] {
    Loop.WaitUntil([&] { return SplashDone; }, -1);
    InnerReturned = true;
  });
  Show(&O, false);
  EXPECT_TRUE(InnerReturned);
  EXPECT_TRUE(SplashDone);
  EXPECT_EQ(Loop.Now, 1000);
}

TEST_F(SplashLogic, AClickClosesAtOnceOnlyWithCloseOnClick) {
  for (const bool CloseOnClick : {false, true}) {
    const TSplashOptions O = Options(vsSplash, vsNone, 10, CloseOnClick);
    const long long Started = Loop.Now;
    Show(&O, true);
    TSplashRecord& Splash = *Views.Splashes.back();
    Loop.Advance(500);
    Splash.Click();
    EXPECT_EQ(Splash.Closed, CloseOnClick);
    EXPECT_EQ(SplashFinished(), CloseOnClick);
    Loop.Advance(10000);
    EXPECT_TRUE(Splash.Closed && Splash.Gone);
    EXPECT_GE(Loop.Now - Started, 10000);
  }
}

TEST_F(SplashLogic, PicturesItCannotShowAreReleasedAtOnceWithoutAWait) {
  Views.PicturesLoad = false;
  const TSplashOptions O = Options(vsSplash, vsSplash, 10);
  Show(&O, false);
  ASSERT_EQ(Views.Splashes.size(), 1u);
  EXPECT_FALSE(Views.Splashes[0]->Shown);
  EXPECT_TRUE(Views.Splashes[0]->Closed && Views.Splashes[0]->Gone);
  // No picture file in the current folder, or no volume: no window at all.
  System.DefaultSession().ChangeDir("\\empty");
  Show(&O, false);
  Show(&O, true);
  ShowSplash(&O, false, nullptr, SplashDone, Views, Loop);
  EXPECT_EQ(Views.Splashes.size(), 1u);
  EXPECT_EQ(Loop.Now, 0);
  EXPECT_TRUE(SplashDone);
}

TEST_F(SplashLogic, ThePictureTypeComesFromTheExtension) {
  EXPECT_EQ(SplashPictureType("SplashS.bmp"), TPictureKind::Bitmap);
  EXPECT_EQ(SplashPictureType("Upper.BMP"), TPictureKind::Bitmap);
  EXPECT_EQ(SplashPictureType("a.ico"), TPictureKind::Icon);
  EXPECT_EQ(SplashPictureType("a.jpg"), TPictureKind::Jpeg);
  EXPECT_EQ(SplashPictureType("a.JPEG"), TPictureKind::Jpeg);
  EXPECT_EQ(SplashPictureType("a.wmf"), TPictureKind::Metafile);
  EXPECT_EQ(SplashPictureType("a.Emf"), TPictureKind::Metafile);
  EXPECT_EQ(SplashPictureType("a.png"), std::nullopt);
  EXPECT_EQ(SplashPictureType("SplashS"), std::nullopt);
}

TEST_F(SplashLogic, PopUpsShowTheMomentsTextAndNoneShowsNothing) {
  const TSplashOptions PopUps = Options(vsPopUp, vsPopUp, 1);
  Show(&PopUps, true);
  Show(&PopUps, false);
  EXPECT_EQ(Views.Boxes, (TStrings{"Information: Welcome", "Information: Good bye"}));
  Show(nullptr, true);
  for (const int Type : {0, 7}) {
    const TSplashOptions O = Options(static_cast<TSplashType>(Type), static_cast<TSplashType>(Type), 1);
    Show(&O, true);
    Show(&O, false);
  }
  EXPECT_EQ(Views.Boxes.size(), 2u);
  EXPECT_TRUE(Views.Splashes.empty());
  EXPECT_TRUE(SplashDone);
  EXPECT_EQ(Loop.Waits, 0);
}

TEST_F(SplashLogic, ErrorsPropagateAfterTheCloseWasRequestedAndWaitedFor) {
  const TSplashOptions O = Options(vsSplash, vsSplash, 1);
  Views.SplashShowFails = true;
  EXPECT_THROW(Show(&O, false), std::runtime_error);
  EXPECT_EQ(Loop.Now, 1000);
  EXPECT_TRUE(Views.Splashes[0]->Closed);
  EXPECT_TRUE(SplashDone);
  Views.SplashFails = true;
  EXPECT_THROW(Show(&O, false), std::runtime_error);
  EXPECT_TRUE(SplashDone && SplashFinished());
}

// ---- print ----

TEST(PrintLogic, SectionQueriesAnswerFromThePagesElements) {
  TFakeBrowser Browser;
  Browser.Elements = {{"DIV", "page2", "not a section"}, {"DIV", "chapterPage", "first"},
                      {"SPAN", "printPage", "a span"},   {"DIV", "PAGE", "<div id=\"innerpage\">inner</div>"},
                      {"DIV", "innerpage", "inner"},     {"DIV", "CHAPTERPAGE", "second"}};
  TStrings Ids{"not answered"};
  std::optional<std::string> Html, Gone = std::string("not answered");
  QueryPrintSections(Browser, [&](TStrings Found) { Ids = std::move(Found); });
  QueryPrintSectionHtml(Browser, "CHAPTERPAGE", [&](std::optional<std::string> Found) { Html = std::move(Found); });
  QueryPrintSectionHtml(Browser, "gonePage", [&](std::optional<std::string> Found) { Gone = std::move(Found); });
  EXPECT_EQ(Ids, TStrings{"not answered"}); // answers come later
  Browser.AnswerQueries();
  EXPECT_EQ(Ids, (TStrings{"chapterPage", "PAGE", "innerpage", "CHAPTERPAGE"}));
  // Ids differing only in case: the first in document order is printed.
  EXPECT_EQ(Html, PrintSectionHtml("first"));
  EXPECT_EQ(Gone, std::nullopt);
}

TEST(PrintLogic, ThePrintWindowShowsTheSectionAndPrintsOrPreviewsWithoutPrompt) {
  TFakeFormViews Views;
  TStrings Calls, Errors;
  HRESULT ContextMenu = VV_S_FALSE;
  Views.PrintReader = [&](TFakePrintView& View) {
    ContextMenu = View.OnShowContextMenu(VV_CONTEXT_MENU_TEXTSELECT, TPoint{3, 4});
    View.OnPrint();
    View.OnPreview();
    View.Refusal = "No printer is available";
    View.OnPrint();
    Calls = View.Calls;
    Errors = View.Errors;
  };
  ShowPrintForm(Views, "<p>a\nb</p>");
  EXPECT_EQ(Views.PrintWindows, 1);
  EXPECT_EQ(ContextMenu, VV_S_OK);
  EXPECT_EQ(Calls, (TStrings{"LoadHTML <p>a\r\nb</p>\r\n", "ExecWB 6 2", "ExecWB 7 2", "ExecWB 6 2"}));
  EXPECT_EQ(Errors, TStrings{"No printer is available"});
}

} // namespace vvtest
