// The main window on Win32 with the shared logic, through its real windows on
// a virtual display: the sample book's toolbar, menus, contents and keys, the
// start-up error box, and the reading state under the local application data.
// The browser control is a plain child that records what it is asked.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/win32/u_Win32Text.h"
#include "shell/u_ReadingStateFiles.h"
#include "shell/win32/frm_Contents.h"
#include "platform/win32/u_MessageBox.h"
#include "shell/win32/u_Win32Viewer.h"
#include "tests/viewer_logic/BookCabinet.h"
#include "tests/viewer_logic/FakeFormViews.h"
#include "tests/viewer_logic/FakeMainView.h"
#include "tests/windows/FakeBrowserWindow.h"

namespace vvtest {

namespace {
// One volume of the sample book, read from its folder.
TFiles FolderFiles(const std::filesystem::path& Folder) {
  TFiles Files;
  for (const auto& Entry : std::filesystem::recursive_directory_iterator(Folder)) {
    if (!Entry.is_regular_file())
      continue;
    std::string Path = "\\" + std::filesystem::relative(Entry.path(), Folder).string();
    std::replace(Path.begin(), Path.end(), '/', '\\');
    std::ifstream Stream(Entry.path(), std::ios::binary);
    Files[Path] = std::string(std::istreambuf_iterator<char>(Stream), {});
  }
  return Files;
}

// Resizable as the sample is, or with the fixed window a book gets by default.
TMainWindow::TBookSource SampleBook(bool Resizable = true) {
  const std::filesystem::path Sample = std::filesystem::path(VV_SOURCE_DIR) / "books" / "sample";
  TFiles System = FolderFiles(Sample / "system");
  if (!Resizable) {
    std::string& Settings = System.at("\\System.xml");
    Settings.replace(Settings.find("ResizableWindow=True"), 20, "ResizableWindow=False");
  }
  return {Cabinet(System), Cabinet(FolderFiles(Sample / "files"))};
}

// The fakes a window is made with; the window owns them, the test looks at them.
struct TParts {
  TFakeBrowserWindows Browsers;
  TFakeFormViews* Forms = nullptr;
  TMainWindowParts Make() {
    return {Browsers.Factory(),
            [this](HWND) {
              auto Views = std::make_unique<TFakeFormViews>();
              Forms = Views.get();
              return std::unique_ptr<IFormViews>(std::move(Views));
            },
            [](HWND) { return std::unique_ptr<IUserFormViews>(std::make_unique<TFakeUserFormViews>()); }};
  }
};

struct TSampleWindow {
  TWin32MessageLoop Loop;
  TParts Parts;
  TFakeReadingStates States;
  TfrmMain Window;
  bool Closed = false;

  explicit TSampleWindow(bool Resizable = true) : Window(SampleBook(Resizable), Parts.Make(), Loop, States) {
    Window.OnClosed = [this] { Closed = true; };
    Window.Show();
    Arrive();
  }
  TFakeBrowserWindow& Browser() { return *Parts.Browsers.Made.at(0); }
  // The navigation asked for arrives; what the logic posted meanwhile runs.
  void Arrive() {
    Browser().Complete();
    Pump();
  }
  void Pump(int Ms = 50) { Loop.WaitUntil([] { return false; }, Ms); }
  [[nodiscard]] std::string LastNavigation() {
    for (auto Call = Browser().Calls.rbegin(); Call != Browser().Calls.rend(); ++Call)
      if (Call->rfind("Navigate ", 0) == 0)
        return Call->substr(9);
    return {};
  }
  // A key pressed on the page, through the thread's queue as the keyboard sends it.
  void Press(WPARAM Key, bool Ctrl = false) {
    BYTE State[256] = {};
    State[VK_CONTROL] = Ctrl ? 0x80 : 0;
    SetKeyboardState(State);
    PostMessageW(Browser().Handle(), WM_KEYDOWN, Key, 1);
    Pump();
    State[VK_CONTROL] = 0;
    SetKeyboardState(State);
  }
  // A real click on the toolbar button of that tag.
  void ClickButton(int Tag) {
    RECT Button{};
    SendMessageW(Window.tbrMain, TB_GETRECT, static_cast<WPARAM>(TfrmMain::idToolButton + Tag),
                 reinterpret_cast<LPARAM>(&Button));
    const LPARAM At = MAKELPARAM((Button.left + Button.right) / 2, (Button.top + Button.bottom) / 2);
    SendMessageW(Window.tbrMain, WM_LBUTTONDOWN, MK_LBUTTON, At);
    SendMessageW(Window.tbrMain, WM_LBUTTONUP, 0, At);
    Pump();
  }
};

std::vector<std::wstring> ButtonCaptions(HWND Toolbar) {
  std::vector<std::wstring> Captions;
  const int Count = static_cast<int>(SendMessageW(Toolbar, TB_BUTTONCOUNT, 0, 0));
  for (int Index = 0; Index < Count; ++Index) {
    TBBUTTON Button{};
    SendMessageW(Toolbar, TB_GETBUTTON, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&Button));
    wchar_t Text[128] = {};
    if (!(Button.fsStyle & BTNS_SEP))
      SendMessageW(Toolbar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(Button.idCommand), reinterpret_cast<LPARAM>(Text));
    Captions.emplace_back(Text);
  }
  return Captions;
}

std::vector<std::wstring> MenuItems(HMENU Menu) {
  std::vector<std::wstring> Items;
  for (int Index = 0; Index < GetMenuItemCount(Menu); ++Index) {
    wchar_t Text[128] = {};
    GetMenuStringW(Menu, static_cast<UINT>(Index), Text, 128, MF_BYPOSITION);
    Items.emplace_back(Text);
  }
  return Items;
}

std::vector<std::wstring> TreeRows(HWND Tree) {
  std::vector<std::wstring> Rows;
  // Depth first, as the rows read.
  for (HTREEITEM Item = TreeView_GetRoot(Tree); Item;) {
    wchar_t Text[128] = {};
    TVITEMW Row{};
    Row.mask = TVIF_TEXT;
    Row.hItem = Item;
    Row.pszText = Text;
    Row.cchTextMax = 128;
    SendMessageW(Tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&Row));
    Rows.emplace_back(Text);
    HTREEITEM Next = TreeView_GetChild(Tree, Item);
    for (HTREEITEM Up = Item; !Next && Up; Up = TreeView_GetParent(Tree, Up))
      Next = TreeView_GetNextSibling(Tree, Up);
    Item = Next;
  }
  return Rows;
}

std::wstring SelectedRow(HWND Tree) {
  wchar_t Text[128] = {};
  TVITEMW Row{};
  Row.mask = TVIF_TEXT;
  Row.hItem = TreeView_GetSelection(Tree);
  Row.pszText = Text;
  Row.cchTextMax = 128;
  if (Row.hItem)
    SendMessageW(Tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&Row));
  return Text;
}

// The thread's visible message box, into the HWND at Data.
BOOL CALLBACK FindMessageBox(HWND Window, LPARAM Data) {
  wchar_t Class[16] = {};
  GetClassNameW(Window, Class, 16);
  if (lstrcmpW(Class, L"#32770") != 0 || !IsWindowVisible(Window))
    return TRUE;
  *reinterpret_cast<HWND*>(Data) = Window;
  return FALSE;
}

// The box's message: its static text, into the wstring at Data.
BOOL CALLBACK ReadBoxText(HWND Child, LPARAM Data) {
  wchar_t Class[16] = {};
  GetClassNameW(Child, Class, 16);
  if (lstrcmpiW(Class, L"STATIC") == 0 && GetWindowTextLengthW(Child) > 0)
    *reinterpret_cast<std::wstring*>(Data) = WindowText(Child);
  return TRUE;
}

bool ClipboardHasText() { return IsClipboardFormatAvailable(CF_UNICODETEXT) != 0; }

void PutTextOnClipboard(HWND Owner) {
  ASSERT_TRUE(OpenClipboard(Owner));
  EmptyClipboard();
  HGLOBAL Memory = GlobalAlloc(GMEM_MOVEABLE, 8);
  std::memcpy(GlobalLock(Memory), L"abc", 8);
  GlobalUnlock(Memory);
  SetClipboardData(CF_UNICODETEXT, Memory);
  CloseClipboard();
}
} // namespace

TEST(Win32MainWindow, TheSampleBookOpensWithItsToolbarMenusAndContentsAndTheToolbarWalksTheReadingOrder) {
  TSampleWindow W;
  ASSERT_FALSE(W.Window.Logic->LoadFailed);
  EXPECT_EQ(WindowText(W.Window.frmMain), L"The Vellumview Sample Book - The Vellumview authors");
  EXPECT_EQ(ApplicationTitle(), L"The Vellumview Sample Book");
  EXPECT_TRUE(IsWindowVisible(W.Window.frmMain));
  // Resizable: a sizing border and a maximise box, 1100 x 720.
  const LONG_PTR Style = GetWindowLongPtrW(W.Window.frmMain, GWL_STYLE);
  EXPECT_TRUE((Style & WS_THICKFRAME) && (Style & WS_MAXIMIZEBOX));
  RECT Frame;
  GetWindowRect(W.Window.frmMain, &Frame);
  EXPECT_EQ(Frame.right - Frame.left, 1100);
  EXPECT_EQ(Frame.bottom - Frame.top, 720);

  EXPECT_EQ(ButtonCaptions(W.Window.tbrMain),
            (std::vector<std::wstring>{L"Back", L"Forward", L"", L"First", L"Chapter", L"Previous", L"Next", L"Chapter",
                                       L"Last", L"", L"Home", L"Refresh", L"Copy", L"Text size", L"Search",
                                       L"Favourites", L"Print", L"", L"About", L"Exit"}));
  EXPECT_EQ(ImageList_GetImageCount(W.Window.imglToolbar), 17);
  int ImageWidth = 0, ImageHeight = 0;
  ImageList_GetIconSize(W.Window.imglToolbar, &ImageWidth, &ImageHeight);
  EXPECT_EQ(ImageWidth, 24);
  EXPECT_EQ(ImageHeight, 24);
  TBBUTTON Next{};
  SendMessageW(W.Window.tbrMain, TB_GETBUTTON, 6, reinterpret_cast<LPARAM>(&Next));
  EXPECT_EQ(Next.iBitmap, 4); // the picture named "next"
  EXPECT_EQ(MenuItems(W.Window.popFontSize),
            (std::vector<std::wstring>{L"Extra Small", L"Small", L"Medium", L"Large", L"Extra Large"}));
  EXPECT_EQ(MenuItems(W.Window.popBookMarks), (std::vector<std::wstring>{L"Chapter 2", L"Qt WebEngine"}));
  // The logo stands at the strip's end, the strip as high as the logo needs.
  EXPECT_TRUE(IsWindowVisible(W.Window.imgLogo));
  EXPECT_NE(SendMessageW(W.Window.imgLogo, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);

  // The page fills the rest of the window.
  RECT Client, Strip;
  GetClientRect(W.Window.frmMain, &Client);
  GetWindowRect(W.Window.pnlToolbarCommon, &Strip);
  EXPECT_EQ(W.Browser().Bounds.top, Strip.bottom - Strip.top);
  EXPECT_EQ(W.Browser().Bounds.bottom, Client.bottom);
  EXPECT_EQ(W.Browser().Bounds.right, Client.right);

  // The page's print sections become the print button's menu; one chosen opens the print window.
  W.Browser().Elements = {{"DIV", "firstPage", "<b>1</b>"}, {"DIV", "notesPage", "n"}, {"DIV", "page2", ""}};
  W.Browser().AnswerQueries();
  EXPECT_EQ(MenuItems(W.Window.popPrint), (std::vector<std::wstring>{L"firstPage", L"notesPage"}));
  TBBUTTON Print{};
  SendMessageW(W.Window.tbrMain, TB_GETBUTTON, 16, reinterpret_cast<LPARAM>(&Print));
  EXPECT_TRUE(Print.fsStyle & BTNS_DROPDOWN);
  SendMessageW(W.Window.frmMain, WM_COMMAND, TfrmMain::idPrintSection + 1, 0);
  W.Browser().AnswerQueries();
  EXPECT_EQ(W.Parts.Forms->PrintWindows, 1);

  EXPECT_EQ(W.LastNavigation(), "mfs:\\index.htm");
  W.ClickButton(6); // Next
  EXPECT_EQ(W.LastNavigation(), "mfs:\\chapter1\\page1.htm");
  W.Arrive();
  W.ClickButton(6);
  EXPECT_EQ(W.LastNavigation(), "mfs:\\chapter1\\page2.htm");
  W.Arrive();
  W.ClickButton(5); // Previous
  EXPECT_EQ(W.LastNavigation(), "mfs:\\chapter1\\page1.htm");
  W.Arrive();
  // The text size menu's item reaches the logic, which zooms the page.
  SendMessageW(W.Window.frmMain, WM_COMMAND, TfrmMain::idFontSize + 4, 0);
  EXPECT_EQ(W.Browser().Calls.back(), "ExecWB 19 4");

  // F9 shows the contents pane: the reading order as a tree, the page shown selected.
  W.Press(VK_F9);
  ASSERT_TRUE(W.Window.frmContents);
  HWND Tree = W.Window.frmContents->tvContents;
  EXPECT_TRUE(IsWindowVisible(Tree));
  EXPECT_EQ(TreeRows(Tree), (std::vector<std::wstring>{L"Cover", L"Chapter 1", L"Chapter 1, page 1",
                                                       L"Chapter 1, page 2", L"Chapter 2", L"Chapter 2, page 1",
                                                       L"Chapter 2, page 2"}));
  EXPECT_EQ(SelectedRow(Tree), L"Chapter 1, page 1");
  EXPECT_EQ(WindowText(W.Window.frmContents->lblPosition), L"Page 2 of 5");
  EXPECT_EQ(GetFocus(), W.Window.frmContents->edtFilter);
  EXPECT_GT(W.Browser().Bounds.left, 0);
  // The filter leaves the matching rows with their branches; Enter opens the first page.
  SetWindowTextW(W.Window.frmContents->edtFilter, L"PAGE 2");
  EXPECT_EQ(TreeRows(Tree), (std::vector<std::wstring>{L"Chapter 1", L"Chapter 1, page 2", L"Chapter 2",
                                                       L"Chapter 2, page 2"}));
  W.Press(VK_RETURN);
  EXPECT_EQ(W.LastNavigation(), "mfs:\\chapter1\\page2.htm");
  W.Arrive();
  EXPECT_EQ(SelectedRow(Tree), L"Chapter 1, page 2");
  // Enter on a row of the tree opens its page.
  TreeView_SelectItem(Tree, TreeView_GetNextSibling(Tree, TreeView_GetRoot(Tree)));
  TreeView_SelectItem(Tree, TreeView_GetChild(Tree, TreeView_GetSelection(Tree)));
  SetFocus(Tree);
  PostMessageW(Tree, WM_KEYDOWN, VK_RETURN, 1);
  W.Pump();
  EXPECT_EQ(W.LastNavigation(), "mfs:\\chapter2\\page2.htm");

  if (const char* Shot = std::getenv("VV_WINDOW_PAUSE_MS"))
    W.Pump(std::atoi(Shot));
}

TEST(Win32MainWindow, KeysGoToTheLogicsPolicyFirst) {
  TSampleWindow W(false);
  ASSERT_EQ(GetActiveWindow(), W.Window.frmMain);
  // A fixed window: no sizing border, no maximise box, centred in the work area.
  const LONG_PTR Fixed = GetWindowLongPtrW(W.Window.frmMain, GWL_STYLE);
  EXPECT_FALSE(Fixed & (WS_THICKFRAME | WS_MAXIMIZEBOX));
  EXPECT_TRUE(Fixed & WS_CAPTION);
  RECT Frame, Work;
  GetWindowRect(W.Window.frmMain, &Frame);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &Work, 0);
  EXPECT_EQ(Frame.right - Frame.left, 1100);
  EXPECT_LE(std::abs((Frame.left - Work.left) - (Work.right - Frame.right)), 1);
  // F11: full screen over the whole monitor; Escape leaves it, the window as it was.
  W.Press(VK_F11);
  RECT Full;
  GetWindowRect(W.Window.frmMain, &Full);
  EXPECT_EQ(Full.left, 0);
  EXPECT_EQ(Full.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_FALSE(GetWindowLongPtrW(W.Window.frmMain, GWL_STYLE) & WS_CAPTION);
  W.Press(VK_ESCAPE);
  RECT Back;
  GetWindowRect(W.Window.frmMain, &Back);
  EXPECT_TRUE(EqualRect(&Back, &Frame));
  EXPECT_EQ(GetWindowLongPtrW(W.Window.frmMain, GWL_STYLE), Fixed);
  EXPECT_FALSE(W.Closed);
  // Ctrl+End: the reading order's last page, where copying is not allowed.
  W.Press(VK_END, true);
  EXPECT_EQ(W.LastNavigation(), "mfs:\\chapter2\\page2.htm");
  W.Arrive();
  PutTextOnClipboard(W.Window.frmMain);
  W.Browser().Calls.clear();
  W.Press(VK_CONTROL, true);
  W.Press('C', true);
  EXPECT_FALSE(ClipboardHasText());
  EXPECT_TRUE(W.Browser().Calls.empty());
  // On a page that allows it, Ctrl+C is the engine's copy.
  W.Press(VK_HOME, true);
  EXPECT_EQ(W.LastNavigation(), "mfs:\\index.htm");
  W.Arrive();
  W.Browser().Calls.clear();
  W.Press(VK_CONTROL, true);
  W.Press('C', true);
  EXPECT_EQ(W.Browser().Calls, (std::vector<std::string>{"ExecWB 12"}));
  // Escape on the page closes the window; the reading state is kept.
  W.Press(VK_ESCAPE);
  W.Loop.WaitUntil([&] { return W.Closed; }, 5000);
  EXPECT_TRUE(W.Closed);
  EXPECT_FALSE(IsWindow(W.Window.frmMain));
  ASSERT_EQ(W.States.States.size(), 1u);
  EXPECT_EQ(W.States.States.begin()->second.Page, "\\index.htm");
}

TEST(Win32MainWindow, ABrokenBookShowsTheStartUpErrorBoxAndTheProgramEnds) {
  TWin32MessageLoop Loop;
  TParts Parts;
  std::wstring Caption, Text;
  // The box is modal: the reader reads and dismisses it from inside its loop.
  HWND Box = nullptr;
  std::function<void()> Look;
  Look = [&] {
    Box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindMessageBox, reinterpret_cast<LPARAM>(&Box));
    if (!Box) {
      Loop.PostDelayed(50, Look);
      return;
    }
    Caption = WindowText(Box);
    EnumChildWindows(Box, ReadBoxText, reinterpret_cast<LPARAM>(&Text));
    PostMessageW(Box, WM_COMMAND, IDOK, 0);
  };
  Loop.PostDelayed(50, Look);
  const int ExitCode = RunMainWindow(TMainWindow::TBookSource{SampleBook().SystemCab, ""}, Parts.Make(), Loop);
  EXPECT_EQ(ExitCode, 1);
  EXPECT_EQ(Text, L"File \"\\info.cab\" is not a cabinet");
  EXPECT_EQ(Caption, ApplicationTitle());
  ASSERT_EQ(Parts.Browsers.Made.size(), 1u);
}

TEST(Win32MainWindow, TheReadingStateLivesUnderTheLocalApplicationData) {
  const std::filesystem::path Folder = ReadingStateFolder();
  EXPECT_EQ(Folder.filename(), "ReadingState");
  EXPECT_EQ(Folder.parent_path().filename(), "Vellumview");
  TReadingStateFiles Store;
  TReadingState State;
  State.Page = "\\chapter1\\page2.htm";
  State.ScrollTop = 120;
  ASSERT_TRUE(Store.Save("test-book", State));
  State.Page = "\\chapter2\\page1.htm";
  ASSERT_TRUE(Store.Save("test-book", State)); // replaces the file in place
  const std::optional<TReadingState> Loaded = Store.Load("test-book");
  ASSERT_TRUE(Loaded);
  EXPECT_EQ(Loaded->Page, "\\chapter2\\page1.htm");
  EXPECT_EQ(Loaded->ScrollTop, 120);
  std::filesystem::remove(Folder / "test-book.state");
  EXPECT_FALSE(Store.Load("test-book"));
}

} // namespace vvtest
