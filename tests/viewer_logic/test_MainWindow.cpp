// The main window's logic through a fake window, browser and loop: start-up
// and its failures, the toolbar's commands, keys, print sections and the
// reader's place, with no engine and no display.
#include <gtest/gtest.h>

#include "platform/u_BookText.h"
#include "storage/u_MFSCabLoad.h"
#include "tests/viewer_logic/BookCabinet.h"
#include "tests/viewer_logic/FakeMainView.h"

namespace vvtest {

namespace {
const TFiles BookSystem = {
    {"\\System.xml", "<System Story=\"Story.xml\" Variables=\"Vars.xml\" MainFormCaption=\"%{Title} reader\" "
                     "ToolButtons=\"Bar\\Tools.xml\"><toolbar ToolbarImgW=16 ToolbarImgH=16/></System>"},
    {"\\Story.xml", "<Story><item page=\"\\one.htm\"/><item pagename=\"Part\">"
                    "<item page=\"\\two.htm\" pagename=\"Second\" rightclick=False/><item page=\"\\three.htm\"/></item></Story>"},
    {"\\Vars.xml", "<Variables><Variable Name=\"Title\">Test Book</Variable></Variables>"},
    {"\\Bar\\Tools.xml",
     "<ToolBar><Images><Img Name=\"next\" Path=\"a.bmp\"/><Img Path=\"b.bmp\" MaskColor=255/></Images><Buttons>"
     "<Btn Kind=5 Caption=\"Next\" Image=\"next\"/><Btn Kind=0/><Btn Kind=4 Caption=\"Back\" ImageIndex=1/>"
     "<Btn Kind=13 Caption=\"Fav\"><Fav url=\"http://example.org/\" caption=\"Home page\" NewWindow=True/></Btn>"
     "<Btn Kind=14 Caption=\"Print\"/><Btn Kind=11 Caption=\"Size\"/></Buttons></ToolBar>"},
    {"\\Bar\\a.bmp", "20x18"},
    {"\\Bar\\b.bmp", "16x16"},
};

const TFiles BookFiles = {
    {"\\one.htm", "<p>one</p>"},
    {"\\two.htm", "<p>two</p>"},
    {"\\three.htm", "<p>three</p>"},
    {"\\outside.htm", "<p>outside</p>"},
};

struct TViewer {
  TFakeMainView View;
  TFakeMessageLoop Loop;
  TFakeFormViews Forms;
  TFakeUserFormViews UserForms;
  TFakeReadingStates& States;
  std::unique_ptr<TMainWindow> Logic;

  explicit TViewer(TFakeReadingStates& States, const TFiles& System = BookSystem, const TFiles& Files = BookFiles)
      : TViewer(States, Cabinet(System), Cabinet(Files)) {}
  TViewer(TFakeReadingStates& States, std::string SystemCab, std::string FilesCab) : States(States) {
    Logic = std::make_unique<TMainWindow>(TMainPlatform{View, Loop, Forms, UserForms, States},
                                          TMainWindow::TBookSource{std::move(SystemCab), std::move(FilesCab)});
    View.Logic = Logic.get();
  }
  // The window shows: the first navigation arrives.
  void Show() {
    Logic->FormShow();
    Arrive();
  }
  void Arrive() {
    View.Browser.Complete();
    Loop.Advance();
  }
  std::vector<std::string> TakeCalls() { return std::exchange(View.Browser.Calls, {}); }
};
} // namespace

TEST(MainWindow, BuildsTheWindowFromTheBooksSettingsAndShowsTheFirstPage) {
  TFakeReadingStates States;
  TViewer V(States);
  ASSERT_TRUE(V.View.Errors.empty()) << V.View.Errors.front();
  EXPECT_EQ(V.View.Caption, "Test Book reader");
  // No size in the settings: 800 x 600, fixed, centred.
  EXPECT_EQ(V.View.Size, (TSize{800, 600}));
  EXPECT_TRUE(V.View.FixedBorder && V.View.FixedSize && V.View.Centered && !V.View.Maximized);
  // A larger picture gives its top-left cell; the mask is the given colour or the corner pixel's.
  EXPECT_EQ(V.View.Images, (std::vector<std::string>{"16x16 mask 0", "16x16 mask 255"}));
  ASSERT_EQ(V.View.ToolButtons.size(), 6u);
  EXPECT_EQ(V.View.ToolButtons[0].ImageIndex, 0); // by name
  EXPECT_EQ(V.View.ToolButtons[2].ImageIndex, 1); // by index
  EXPECT_EQ(V.View.ToolButtons[0].Keys, (std::vector<TKeyChord>{{TKeyName::PageDown, kmCtrl}}));
  EXPECT_EQ(V.View.Bookmarks.at(0), "Home page");
  EXPECT_EQ(V.Logic->PrintButton, 4);

  V.Show();
  EXPECT_EQ(V.TakeCalls(), (std::vector<std::string>{"ExecWB 19 2", "Navigate mfs:\\one.htm", "ExecWB 19 2"}));
  EXPECT_EQ(V.View.Browser.HomePage, "mfs:\\one.htm");
}

TEST(MainWindow, EveryStartUpFailureEndsStartUpWithItsOwnWordsAndTheWindowCloses) {
  auto Without = [](const char* Path) {
    TFiles System = BookSystem;
    System.erase(Path);
    return System;
  };
  auto WithImage = [](const char* Images) {
    TFiles System = BookSystem;
    System["\\Bar\\Tools.xml"] = std::string("<ToolBar><Images>") + Images + "</Images></ToolBar>";
    System["\\Bar\\small.bmp"] = "8x16";
    return System;
  };
  std::string Damaged = Cabinet(BookFiles);
  Damaged[Damaged.size() - 3] ^= 0x20;
  std::string DamagedWords;
  try {
    TMFS Volume;
    LoadVolumeFromCabinet(Volume, Damaged);
  } catch (const std::exception& E) {
    DamagedWords = E.what();
  }
  ASSERT_FALSE(DamagedWords.empty());
  const struct {
    std::string SystemCab, FilesCab, Message;
  } Cases[] = {
      {Cabinet(Without("\\System.xml")), Cabinet(BookFiles), "File \"System.xml\" not found"},
      // An earlier step's failure, not the content archive's, although that unpacks meanwhile.
      {Cabinet(Without("\\System.xml")), "not a cabinet", "File \"System.xml\" not found"},
      {Cabinet(BookSystem), "", "File \"\\info.cab\" is not a cabinet"},
      {Cabinet(BookSystem), Damaged, DamagedWords},
      {Cabinet(WithImage("<Img Path=\"small.bmp\"/>")), Cabinet(BookFiles), "Invalid toolbar image size"},
      {Cabinet(WithImage("<Img Path=\"a.gif\"/>")), Cabinet(BookFiles), "Unknown picture file extension (.gif)"},
  };
  for (const auto& Case : Cases) {
    TFakeReadingStates States;
    TViewer V(States, Case.SystemCab, Case.FilesCab);
    EXPECT_EQ(V.View.Errors, std::vector<std::string>{Case.Message});
    EXPECT_TRUE(V.Logic->LoadFailed);
    EXPECT_FALSE(V.Logic->SystemVolume || V.Logic->FilesVolume || V.Logic->Story);
    V.Logic->FormShow();
    EXPECT_FALSE(V.View.Closed); // once the window is up, not from inside its show
    V.Loop.Advance();
    EXPECT_TRUE(V.View.Closed);
    EXPECT_TRUE(V.View.Browser.Calls.empty());
  }
}

TEST(MainWindow, ToolbarCommandsWalkTheReadingOrderAndKeepTheReadersTextSize) {
  TFakeReadingStates States;
  TViewer V(States);
  V.Show();
  V.Logic->mnuFS_Click(4);
  V.TakeCalls();
  V.Logic->ToolButtonPressed(0); // Next
  EXPECT_EQ(V.TakeCalls(), (std::vector<std::string>{"ExecWB 19 2", "Navigate mfs:\\two.htm", "ExecWB 19 4"}));
  V.Arrive();
  EXPECT_EQ(V.Logic->GetStory().CurrentPage(), "\\two.htm");
  // A page outside the reading order leaves the reading order where it was.
  V.View.Browser.Navigate("MFS:\\outside.htm");
  V.Arrive();
  EXPECT_EQ(V.Logic->GetCurrentPagePath(), "\\outside.htm");
  EXPECT_EQ(V.Logic->GetStory().CurrentPage(), "\\two.htm");
  // Out-of-range levels do nothing; the favourite opens outside the viewer.
  V.TakeCalls();
  V.Logic->SetFontSize(5);
  V.Logic->SetFontSize(-1);
  V.Logic->BookMarkClick(0);
  EXPECT_TRUE(V.TakeCalls().empty());
  EXPECT_EQ(V.View.Outside, std::vector<std::string>{"http://example.org/"});
  // A browser that refuses the zoom before its document does not stop the page.
  V.View.Browser.RefuseZoom = true;
  V.Logic->ToolButtonPressed(2); // Back: the previous page
  EXPECT_EQ(V.View.Browser.Pending, "mfs:\\one.htm");
  EXPECT_TRUE(V.View.Errors.empty());
}

TEST(MainWindow, KeysFollowTheBooksToolbarAndThePagesCopySetting) {
  TFakeReadingStates States;
  TViewer V(States);
  V.Show();
  auto Press = [&](TKeyName Key, std::uint32_t Modifiers = kmNone, bool Query = false) {
    TKeyEvent Event{{Key, Modifiers}, Query, true, TKeyEvent::Main, false};
    return V.Logic->ApplicationEvents1Message(Event);
  };
  // A reading key is the window's even from a text box.
  EXPECT_EQ(Press(TKeyName::PageDown, kmCtrl, true), TKeyVerdict::Shortcut);
  // Copying is allowed on the first page, refused on the second (rightclick=False).
  EXPECT_EQ(Press(TKeyName::Control, kmCtrl), TKeyVerdict::Pass);
  EXPECT_EQ(Press(TKeyName::C, kmCtrl), TKeyVerdict::Pass);
  EXPECT_EQ(V.Logic->webMain2ShowContextMenu(0, {}), VV_S_FALSE);
  V.Logic->RunCommand(tbkNext);
  V.Arrive();
  EXPECT_EQ(V.Logic->webMain2ShowContextMenu(0, {}), VV_S_OK);
  EXPECT_EQ(Press(TKeyName::Control, kmCtrl), TKeyVerdict::Pass);
  EXPECT_EQ(Press(TKeyName::C, kmCtrl, true), TKeyVerdict::AsKeyPress);
  EXPECT_EQ(Press(TKeyName::C, kmCtrl), TKeyVerdict::Taken);
  EXPECT_EQ(V.View.ClipboardCleared, 1);
  // Ctrl held, C again: the C follows a C, not Ctrl, and passes.
  EXPECT_EQ(Press(TKeyName::C, kmCtrl), TKeyVerdict::Pass);
  // Book keys need their button: Ctrl+B opens the favourites, Ctrl+F (no search button) does nothing.
  for (const TKeyBinding& Binding : KeyBindings())
    if (Binding.Action == TKeyAction::BookCommand && (Binding.Kind == tbkFavourites || Binding.Kind == tbkSearch))
      V.Logic->KeyBindingPressed(Binding);
  EXPECT_EQ(V.View.MenusOpened, std::vector<int>{3});
  // Escape: the find bar first, then full screen, then the window.
  V.View.Focus = TFocusArea::FindBar;
  V.View.FullScreen = true;
  EXPECT_EQ(Press(TKeyName::Escape), TKeyVerdict::Taken);
  EXPECT_EQ(V.View.Focus, TFocusArea::Page);
  EXPECT_EQ(Press(TKeyName::Escape), TKeyVerdict::Taken);
  EXPECT_FALSE(V.View.FullScreen);
  TKeyEvent InMenu{{TKeyName::Escape, kmNone}, false, true, TKeyEvent::Main, true};
  EXPECT_EQ(V.Logic->ApplicationEvents1Message(InMenu), TKeyVerdict::Pass);
  EXPECT_EQ(Press(TKeyName::Escape), TKeyVerdict::Taken);
  V.Loop.Advance();
  EXPECT_TRUE(V.View.Closed);
  EXPECT_TRUE(V.View.BrowserReleased);
}

TEST(MainWindow, PrintSectionsAreOfferedOnlyForTheBooksOwnPage) {
  TFakeReadingStates States;
  TViewer V(States);
  V.View.Browser.Elements = {{"DIV", "firstPage", "<b>1</b>"}, {"DIV", "page2", ""}, {"P", "lastPAGE", ""}};
  V.Show();
  V.View.Browser.AnswerQueries();
  EXPECT_EQ(V.View.PrintSections, std::vector<std::string>{"firstPage"});
  // The answer about a book page arriving after the browser went elsewhere is dropped.
  V.View.Browser.Navigate("http://example.org/");
  V.Arrive();
  EXPECT_TRUE(V.View.PrintSections.empty());
  V.View.Browser.Navigate("mfs:\\two.htm");
  V.Arrive();
  V.View.Browser.Navigate("http://example.org/x");
  V.Arrive();
  V.View.Browser.AnswerQueries();
  EXPECT_TRUE(V.View.PrintSections.empty());
  // A section chosen after the page lost it.
  V.View.Browser.Navigate("mfs:\\one.htm");
  V.Arrive();
  V.Logic->PrintPageClick("gone");
  V.View.Browser.AnswerQueries();
  V.Loop.Advance();
  EXPECT_EQ(V.View.Messages, std::vector<std::string>{"Can not find page"});
}

TEST(MainWindow, TheReaderContinuesWhereTheBookWasLeft) {
  TFakeReadingStates States;
  {
    TViewer V(States);
    V.Show();
    V.Logic->mnuFS_Click(3);
    V.Logic->RunCommand(tbkNext);
    V.Arrive();
    V.View.Browser.Scroll = {0, 420};
    V.View.Close();
    ASSERT_TRUE(V.View.Closed);
  }
  ASSERT_EQ(States.States.size(), 1u);
  TViewer V(States);
  V.Show();
  // The first page still opens; the place left is offered by its name.
  EXPECT_EQ(V.Logic->GetCurrentPagePath(), "\\one.htm");
  EXPECT_EQ(V.View.ContinueText, "Continue reading: Second");
  EXPECT_EQ(V.Logic->FontSize, 3);
  V.Logic->btnContinueClick();
  V.Arrive();
  EXPECT_EQ(V.Logic->GetStory().CurrentPage(), "\\two.htm");
  EXPECT_EQ(V.View.Browser.Scroll, (TPoint{0, 420}));
  EXPECT_FALSE(V.View.ContinueOffered());
}

TEST(Contents, RowsFollowTheReadingOrderAndTheFilterIgnoresCaseInEveryScript) {
  SetBookCodePage(TCodePage::Utf8);
  const TStoryLine Line("<Story><item page=\"\\a.htm\" pagename=\"Введение\"/><item pagename=\"ÉTUDES\">"
                        "<item page=\"\\b.htm\" pagename=\"Première\"/><item page=\"\\c.htm\"/></item></Story>");
  const TContents Contents(Line);
  ASSERT_EQ(Contents.Rows().size(), 4u);
  EXPECT_EQ(Contents.Rows()[2].Parent, 1);
  EXPECT_EQ(Contents.Rows()[3].Label, "\\c.htm");
  EXPECT_EQ(Contents.PositionText(Contents.Rows()[2].Item), "Page 2 of 3");
  EXPECT_EQ(Contents.PositionText(Contents.Rows()[1].Item), "3 pages");
  EXPECT_EQ(Contents.Shown("  введение "), (std::vector<bool>{true, false, false, false}));
  // A branch shows with what matches below it; a branch itself never opens.
  EXPECT_EQ(Contents.Shown("PREMIÈRE"), (std::vector<bool>{false, true, true, false}));
  EXPECT_EQ(Contents.FirstMatchingPage("études"), nullptr);
  EXPECT_EQ(Contents.FirstMatchingPage("htm"), Contents.Rows()[3].Item);
  EXPECT_EQ(Contents.PageOfRow(1), nullptr);
  SetBookCodePage(TCodePage::Windows1252);
}

} // namespace vvtest
