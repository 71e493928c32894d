// The secondary windows' Win32 views driven through the shared logic under
// the real message loop, checked through their handles: search, splash,
// print and the information box. The browser is a plain child window.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "forms/u_Print.h"
#include "forms/u_Search.h"
#include "forms/u_Splash.h"
#include "forms/win32/frm_Win32FormViews.h"
#include "forms/win32/frm_Win32Search.h"
#include "platform/win32/u_MessageBox.h"
#include "platform/win32/u_Win32Picture.h"
#include "tests/windows/FakeBrowserWindow.h"
#include "tests/windows/WindowProbe.h"

namespace vvtest {

namespace {
std::string ReadFile(const std::filesystem::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

std::string SampleStory() { return ReadFile(VV_SOURCE_DIR "/books/sample/system/Story.xml"); }

// The sample book's content volume and a reading order over it.
struct TSampleBook {
  explicit TSampleBook(const std::string& StoryXml = SampleStory()) : Story(std::make_unique<TStoryLine>(StoryXml)) {
    const std::filesystem::path Root = VV_SOURCE_DIR "/books/sample/files";
    for (const auto& Entry : std::filesystem::recursive_directory_iterator(Root)) {
      std::string Path = "\\" + std::filesystem::relative(Entry.path(), Root).generic_string();
      std::replace(Path.begin(), Path.end(), '/', '\\');
      if (Entry.is_directory())
        Files.DefaultSession().ForceFolders(Path);
      else
        Files.DefaultSession().CreateMFSFile(Path, 0, false)->Content = ReadFile(Entry.path());
    }
  }
  TMFS Files;
  TStory Story;
};

std::vector<std::wstring> Rows(HWND List, int Column) {
  std::vector<std::wstring> Texts;
  for (int Row = 0; Row < ListCount(List); ++Row)
    Texts.push_back(ListText(List, Row, Column));
  return Texts;
}

TSize ClientSize(HWND Window) {
  RECT Client{};
  GetClientRect(Window, &Client);
  return {Client.right, Client.bottom};
}

using TTexts = std::vector<std::wstring>;
} // namespace

class Win32Forms : public ::testing::Test {
protected:
  ~Win32Forms() override { DestroyWindow(Owner); }

  TWin32MessageLoop Loop;
  // The main window the forms open over.
  const HWND Owner = CreateWindowExW(0, L"STATIC", L"Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                                     nullptr, nullptr, nullptr, nullptr);
  TFakeBrowserWindows Browsers;
  TWin32FormViews Views{Owner, Browsers.Factory(), Loop};
};

TEST_F(Win32Forms, SearchListsTheSampleBooksPagesKeepsPhrasesAndShowsTheChosenPage) {
  TSampleBook Book;
  std::vector<std::string> Navigated, Shown;
  TSize Size{500, 300}, Enlarged;
  HWND Form = nullptr, Phrases = nullptr, List = nullptr, Note = nullptr;
  RunSteps(Loop, {
      [&] {
        Form = ThreadWindow(L"TfrmSearch");
        ASSERT_NE(Form, nullptr);
        EXPECT_EQ(WindowText(Form), L"Search");
        EXPECT_EQ(GetWindow(Form, GW_OWNER), Owner);
        EXPECT_FALSE(IsWindowEnabled(Owner)); // modal
        EXPECT_EQ(ClientSize(Form), (TSize{500, 300})); // the reader's last size
        Phrases = FindWindowExW(Form, nullptr, WC_COMBOBOXW, nullptr);
        List = FindWindowExW(Form, nullptr, WC_LISTVIEWW, nullptr);
        Note = FindWindowExW(Form, nullptr, WC_STATICW, nullptr);
        // The reader types into the phrase box at once; Enter there searches.
        COMBOBOXINFO Combo{};
        Combo.cbSize = sizeof(Combo);
        GetComboBoxInfo(Phrases, &Combo);
        EXPECT_EQ(GetFocus(), Combo.hwndItem);
        SetWindowTextW(Phrases, L"first chapter");
        PostKey(Combo.hwndItem, VK_RETURN);
      },
      [&] {
        EXPECT_EQ(Rows(List, 0), (TTexts{L"Chapter 1, page 1", L"Chapter 1, page 2"}));
        EXPECT_EQ(Rows(List, 1), (TTexts{L"\\chapter1\\page1.htm", L"\\chapter1\\page2.htm"}));
        EXPECT_FALSE(IsWindowVisible(Note));
        SetWindowTextW(Phrases, L"zebra");
        SendMessageW(GetDlgItem(Form, TWin32SearchView::idSearch), BM_CLICK, 0, 0);
        EXPECT_EQ(ListCount(List), 0);
        EXPECT_TRUE(IsWindowVisible(Note));
        EXPECT_EQ(WindowText(Note), L"No page contains \"zebra\".");
        PauseForScreenshot(Loop);
        SetWindowTextW(Phrases, L"FIRST CHAPTER");
        SendMessageW(GetDlgItem(Form, TWin32SearchView::idSearch), BM_CLICK, 0, 0);
        EXPECT_FALSE(IsWindowVisible(Note));
        // One entry per phrase, whatever its case.
        ASSERT_EQ(SendMessageW(Phrases, CB_GETCOUNT, 0, 0), 2);
        PauseForScreenshot(Loop);
        // A double-click on the second row shows it.
        RECT Row{};
        Row.left = LVIR_BOUNDS;
        SendMessageW(List, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&Row));
        SendMessageW(List, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(Row));
        SendMessageW(List, WM_LBUTTONUP, 0, ClientPoint(Row));
        SendMessageW(List, WM_LBUTTONDBLCLK, MK_LBUTTON, ClientPoint(Row));
        EXPECT_EQ(Navigated, std::vector<std::string>{"\\chapter1\\page2.htm"});
        // The Show button shows the selected row again; the window stays.
        SendMessageW(GetDlgItem(Form, TWin32SearchView::idShowPage), BM_CLICK, 0, 0);
        EXPECT_EQ(Navigated.size(), 2u);
        EXPECT_TRUE(IsWindowVisible(Form));
        // The reader makes it smaller than designed: it stays at its design size.
        SetWindowPos(Form, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(ClientSize(Form), (TSize{392, 216}));
        // Larger, the list takes the room and the size is kept for the next opening.
        SetWindowPos(Form, nullptr, 0, 0, 640, 420, SWP_NOMOVE | SWP_NOZORDER);
        Enlarged = ClientSize(Form);
        RECT ListBounds{};
        GetWindowRect(List, &ListBounds);
        EXPECT_EQ(ListBounds.right - ListBounds.left, Enlarged.Width - 80 - 11);
        EXPECT_EQ(ListBounds.bottom - ListBounds.top, Enlarged.Height - 39);
        PostKey(List, VK_ESCAPE);
      },
  });
  ShowSearchForm(Book.Story, Book.Files, [&] { Navigated.push_back(Book.Story.CurrentPage()); }, Views,
                 [&](const std::string& Phrase) { Shown.push_back(Phrase); }, &Size);
  EXPECT_FALSE(IsWindowVisible(Form)); // Escape closed it
  EXPECT_TRUE(IsWindowEnabled(Owner));
  EXPECT_EQ(Shown, (std::vector<std::string>{"FIRST CHAPTER", "FIRST CHAPTER"}));
  EXPECT_EQ(Size, Enlarged);
}

TEST_F(Win32Forms, ErrorsShowInABoxOverTheWindowAndNeverCrossItsMessageHandling) {
  // A page of the reading order that the volume does not hold ends the search.
  std::string Story = SampleStory();
  Story.insert(Story.find("<item pagename=\"Chapter 2\""), "<item page=\"gone.htm\" pagename=\"Gone\"/>");
  TSampleBook Book(Story);
  SetApplicationTitle(L"Sample");
  TBoxSeen Missing, Thrown;
  std::vector<std::wstring> Listed;
  RunSteps(Loop, {[&] {
    const HWND Form = ThreadWindow(L"TfrmSearch");
    SetWindowTextW(FindWindowExW(Form, nullptr, WC_COMBOBOXW, nullptr), L"page");
    Loop.Post([&] { Missing = DismissBox(); });
    SendMessageW(GetDlgItem(Form, TWin32SearchView::idSearch), BM_CLICK, 0, 0);
    Listed = Rows(FindWindowExW(Form, nullptr, WC_LISTVIEWW, nullptr), 0);
    SendMessageW(Form, WM_CLOSE, 0, 0);
  }});
  ShowSearchForm(Book.Story, Book.Files, [] {}, Views, {}, nullptr);

  // A handler that raises: the window shows the message and goes on.
  const std::unique_ptr<ISearchView> View = Views.CreateSearchView();
  View->OnShowPage = [] { throw std::runtime_error("Show failed"); };
  bool StillOpen = false;
  RunSteps(Loop, {[&] {
    const HWND Form = ThreadWindow(L"TfrmSearch");
    Loop.Post([&] { Thrown = DismissBox(); });
    SendMessageW(GetDlgItem(Form, TWin32SearchView::idShowPage), BM_CLICK, 0, 0);
    StillOpen = IsWindowVisible(Form);
    SendMessageW(Form, WM_CLOSE, 0, 0);
  }});
  View->ShowModal();
  EXPECT_TRUE(StillOpen);
  EXPECT_EQ(Missing.Caption, L"Sample");
  ASSERT_FALSE(Missing.Texts.empty());
  EXPECT_NE(Missing.Texts.back().find(L"gone.htm"), std::wstring::npos) << Missing.Texts.back();
  EXPECT_EQ(Listed, (TTexts{L"Cover", L"Chapter 1, page 1", L"Chapter 1, page 2"})); // the rows found before stay
  ASSERT_FALSE(Thrown.Texts.empty());
  EXPECT_EQ(Thrown.Texts.back(), L"Show failed");
  EXPECT_TRUE(IsWindowEnabled(Owner));
}

TEST_F(Win32Forms, SplashSizesToItsPictureCentresOnTheScreenAndClosesOnAClick) {
  TMFS System;
  const std::string Picture = ReadFile(VV_SOURCE_DIR "/books/sample/system/Logo.bmp");
  System.DefaultSession().CreateMFSFile("\\SplashS.bmp", 0, false)->Content = Picture;
  TSplashOptions Options;
  Options.SplashTypeS = vsSplash;
  Options.Interval = 10;
  Options.CloseOnClick = true;
  bool SplashDone = true;
  ShowSplash(&Options, true, &System, SplashDone, Views, Loop);

  const HWND Splash = ThreadWindow(L"TfrmSplash");
  ASSERT_NE(Splash, nullptr);
  const TSize Size = TWin32Picture(Picture, "Logo.bmp").Size();
  RECT Bounds{};
  GetWindowRect(Splash, &Bounds);
  EXPECT_EQ(Bounds.right - Bounds.left, Size.Width);
  EXPECT_EQ(Bounds.bottom - Bounds.top, Size.Height);
  EXPECT_EQ(Bounds.left, (GetSystemMetrics(SM_CXSCREEN) - Size.Width) / 2);
  EXPECT_EQ(Bounds.top, (GetSystemMetrics(SM_CYSCREEN) - Size.Height) / 2);
  EXPECT_TRUE(GetWindowLongPtrW(Splash, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(GetWindowLongPtrW(Splash, GWL_STYLE) & WS_CAPTION);
  EXPECT_FALSE(SplashFinished());

  // The click closes it long before its interval; the window goes once the click is handled.
  PostMessageW(Splash, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  PostMessageW(Splash, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  Loop.WaitUntil([&] { return !IsWindow(Splash); }, 2000);
  EXPECT_TRUE(SplashFinished());
  EXPECT_FALSE(IsWindow(Splash));
}

TEST_F(Win32Forms, TheInformationBoxHasTheCaptionTheTextAndOneOkButton) {
  TBoxSeen Seen;
  Loop.Post([&] { Seen = DismissBox(); });
  Views.ShowInformation("Information", "Welcome to the sample book.");
  EXPECT_EQ(Seen.Caption, L"Information");
  ASSERT_FALSE(Seen.Texts.empty());
  EXPECT_EQ(Seen.Texts.back(), L"Welcome to the sample book.");
  EXPECT_EQ(Seen.Buttons, TTexts{L"OK"});
}

TEST_F(Win32Forms, ThePrintWindowsButtonsReachItsBrowserThroughTheLogic) {
  std::vector<std::string> Calls;
  RunSteps(Loop, {
      [&] {
        const HWND Form = ThreadWindow(L"TfrmPrint");
        ASSERT_NE(Form, nullptr);
        EXPECT_EQ(WindowText(Form), L"Print page");
        RECT Bounds{};
        GetWindowRect(Form, &Bounds);
        EXPECT_EQ(Bounds.right - Bounds.left, 696);
        EXPECT_EQ(Bounds.bottom - Bounds.top, 480);
        EXPECT_FALSE(IsWindowEnabled(Owner));
        ASSERT_EQ(Browsers.Made.size(), 1u);
        TFakeBrowserWindow& Browser = *Browsers.Made[0];
        EXPECT_EQ(GetParent(Browser.Window), Form);
        EXPECT_EQ(Browser.DownloadOptions,
                  (TDownloadControlOptions{TDownloadControlOption::DLCTL_DLIMAGES, TDownloadControlOption::DLCTL_VIDEOS,
                                           TDownloadControlOption::DLCTL_BGSOUNDS,
                                           TDownloadControlOption::DLCTL_NO_SCRIPTS}));
        EXPECT_TRUE(Browser.UserInterfaceOptions.empty());
        // No context menu in the print window.
        EXPECT_EQ(Browser.OnShowContextMenu(VV_CONTEXT_MENU_DEFAULT, {}), VV_S_OK);
        // The browser fills the client area below the toolbar.
        const HWND Toolbar = FindWindowExW(Form, nullptr, TOOLBARCLASSNAMEW, nullptr);
        RECT Bar{}, Client{};
        GetWindowRect(Toolbar, &Bar);
        GetClientRect(Form, &Client);
        EXPECT_EQ(Browser.Bounds.top, Bar.bottom - Bar.top);
        EXPECT_GT(Browser.Bounds.top, 0);
        EXPECT_EQ(Browser.Bounds.bottom, Client.bottom);
        EXPECT_EQ(Browser.Bounds.right, Client.right);
        PauseForScreenshot(Loop);
        // The reader clicks Print, then Preview.
        for (const int Button : {0, 1}) {
          RECT Face{};
          SendMessageW(Toolbar, TB_GETITEMRECT, Button, reinterpret_cast<LPARAM>(&Face));
          PostMessageW(Toolbar, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(Face));
          PostMessageW(Toolbar, WM_LBUTTONUP, 0, ClientPoint(Face));
        }
      },
      [&] {
        Calls = Browsers.Made[0]->Calls;
        PostMessageW(ThreadWindow(L"TfrmPrint"), WM_CLOSE, 0, 0);
      },
  });
  ShowPrintForm(Views, "<html><body>\n<p>Section</p>\n</body></html>");
  EXPECT_EQ(Calls, (std::vector<std::string>{"LoadHTML <html><body>\r\n<p>Section</p>\r\n</body></html>\r\n",
                                             "ExecWB 6", "ExecWB 7"}));
  EXPECT_TRUE(IsWindowEnabled(Owner));
  EXPECT_EQ(ThreadWindow(L"TfrmPrint"), nullptr);

  // The main window going takes the print window along and ends the wait.
  RunSteps(Loop, {[&] { DestroyWindow(Owner); }});
  ShowPrintForm(Views, "<p>Again</p>");
  EXPECT_EQ(ThreadWindow(L"TfrmPrint"), nullptr);
}

} // namespace vvtest
