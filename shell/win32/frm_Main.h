#pragma once
// The main window on Win32: the windows that draw the viewer, forwarding the
// window's, the toolbar's and the keys' events to the main window's logic.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "host/win32/i_BrowserWindow.h"
#include "platform/win32/u_Win32MessageLoop.h"
#include "shell/i_MainView.h"
#include "shell/u_MainWindow.h"

namespace vv {

class TfrmContents;

using TFormViewsFactory = std::function<std::unique_ptr<IFormViews>(HWND Owner)>;
using TUserFormViewsFactory = std::function<std::unique_ptr<IUserFormViews>(HWND Owner)>;

// What the main window is made of besides its own windows.
struct TMainWindowParts {
  TBrowserWindowFactory Browsers;
  TFormViewsFactory Forms;
  TUserFormViewsFactory UserForms;
};

// Where the book comes from: the running executable's (its content archive
// already unpacking) or two archives handed in.
using TMainBook = std::variant<std::unique_ptr<TBackgroundCabinetLoad>, TMainWindow::TBookSource>;

class TfrmMain : public IMainView {
public:
  // Builds the window, hidden, and the logic, which reads the book; Loop's
  // message hook is the window's while it lives.
  TfrmMain(TMainBook Book, const TMainWindowParts& Parts, TWin32MessageLoop& Loop, IReadingStateStore& States);
  ~TfrmMain() override;
  TfrmMain(const TfrmMain&) = delete;
  TfrmMain& operator=(const TfrmMain&) = delete;

  // Shows the window; the first time, the logic shows the book.
  void Show();
  // Called once the window is gone (closed by the reader, the book or a failed start).
  std::function<void()> OnClosed;

  // Command ids of the window's buttons and menu items.
  enum TCommandId : int {
    idToolButton = 1000, // + tag
    idFontSize = 2000,   // + tag of mnuFS_*
    idBookmark = 3000,   // + tag
    idPrintSection = 4000, // + index of the section
    idContinue = 5000,
    idContinueClose,
    idFind,
    idFindNext,
    idFindPrevious,
    idFindClose,
    idFilter,
    idContents,
  };

  // ---- components ----
  HWND frmMain = nullptr;
  HWND pnlToolbarCommon = nullptr;
  HWND pnlToolbar = nullptr;
  HWND tbrMain = nullptr;
  HWND pnlLogo = nullptr;
  HWND imgLogo = nullptr;
  HWND hntMain = nullptr; // the logo's hint
  HIMAGELIST imglToolbar = nullptr;
  HMENU popBookMarks = nullptr;
  HMENU popFontSize = nullptr; // mnuFS_ExtraSmall ... mnuFS_ExtraLarge, by tag
  HMENU popPrint = nullptr;
  std::unique_ptr<IBrowserWindow> webMain; // until the logic releases it
  std::unique_ptr<TfrmContents> frmContents; // built when first shown
  HWND pnlFind = nullptr;
  HWND lblFind = nullptr;
  HWND edtFind = nullptr;
  HWND btnFindNext = nullptr;
  HWND btnFindPrevious = nullptr;
  HWND btnFindClose = nullptr;
  HWND pnlContinue = nullptr;
  HWND lblContinue = nullptr;
  HWND btnContinue = nullptr;
  HWND btnContinueClose = nullptr;

  // The logic every event goes to; none only while it is being made.
  std::unique_ptr<TMainWindow> Logic;

  // The key hook: every message of the thread's queue passes here first.
  bool ApplicationEvents1Message(MSG& Message);

  // ---- IMainView ----
  void SetCaption(const std::string& Caption) override;
  void SetApplicationTitle(const std::string& Title) override;
  void Resize(TSize Size) override;
  void Maximize() override;
  void SetFixedBorder(bool KeepSize) override;
  void CenterOnScreen() override;
  [[nodiscard]] std::vector<TRect> Screens() const override;
  void SetGeometry(const TRect& Frame) override;
  [[nodiscard]] TWindowPlacement Placement() const override;
  [[nodiscard]] bool IsFullScreen() const override { return FullScreen; }
  void ToggleFullScreen() override;
  void Close() override;
  void SetToolbarPlacement(TToolbarPlacement Placement) override;
  void ApplyToolbarAppearance(const TToolbarOptions& Options) override;
  [[nodiscard]] int ToolbarHeight() const override;
  void SetToolbarStripHeight(int Height) override;
  [[nodiscard]] bool ToolbarShown() const override;
  void HideToolButtons() override;
  [[nodiscard]] std::unique_ptr<IPicture> LoadPicture(TPictureKind Kind, const std::string& Bytes,
                                                      const std::string& Name) override;
  int AddToolbarImage(const IPicture& Picture, const TRect& Cell, const TColor* Transparent) override;
  void AddToolButton(const TToolButtonView& Button) override;
  void ClickToolButton(int Tag) override;
  void OpenToolButtonMenu(int Tag) override;
  void SetLogoHint(const std::string& Hint) override;
  void ShowLogo(const IPicture& Picture, TSize Shown) override;
  void HideLogo() override;
  void AddBookmark(int Tag, const std::string& Caption, const std::string& URL) override;
  void SetPrintSections(const std::vector<std::string>& Ids) override;
  [[nodiscard]] IBrowser* MainBrowser() override { return webMain.get(); }
  void ReleaseMainBrowser() override;
  [[nodiscard]] TFocusArea FocusArea() const override;
  void ShowContents(const TContents& Contents, int Width) override;
  void HideContents() override;
  [[nodiscard]] bool ContentsVisible() const override;
  [[nodiscard]] int ContentsWidth() const override;
  void ShowCurrentInContents(const TXMLNode* Item) override;
  void FocusContentsFilter() override;
  bool ClearContentsFilter() override;
  void OpenFindBar() override;
  void CloseFindBar() override;
  void FindNext(bool Backwards) override;
  void HighlightOnNextPage(const std::string& Phrase) override;
  void ShowContinueOffer(const std::string& Text) override;
  void HideContinueOffer() override;
  [[nodiscard]] bool ContinueOffered() const override;
  void ShowErrorBox(const std::string& Message) override;
  void ShowMessage(const std::string& Message) override;
  void OpenOutside(const std::string& URL) override;
  void ClearClipboard() override;
  void CloseActiveWindow() override;

private:
  struct TButton {
    int Kind = 0;
    HMENU Menu = nullptr; // the button's menu; none for a plain button
    std::wstring Hint;
  };

  static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  LRESULT HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam);
  void BuildComponents();
  void BuildReadingArea();
  // Places the strip, the contents pane, the bars and the page in the client area.
  void Layout();
  // After a pane or bar came or went: laid out and drawn again whole.
  void Relayout();
  void Command(int Id, int Code, HWND Control);
  LRESULT Notify(const NMHDR& Header);
  void Closing();
  // Enter where a dialog would press its default button.
  void DefaultKey();
  // The button's menu below it, until the reader chooses or leaves it.
  void PopupMenu(HMENU Menu, int Tag);
  LRESULT ToolbarNotify(const NMHDR& Header);
  // The find bar and the continue strip: controls of these widths from the
  // left, the close button at the right end.
  void LayoutBar(HWND Bar, const std::vector<std::pair<HWND, int>>& Row, HWND CloseButton, int Top, int Width);
  // The contents pane's splitter: the gap between the pane and the page.
  [[nodiscard]] bool InSplitter(POINT Client) const;
  [[nodiscard]] bool KeyHook(const MSG& Message);

  TWin32MessageLoop& Loop;
  std::unique_ptr<IFormViews> FormViews;
  std::unique_ptr<IUserFormViews> UserFormViews;
  std::vector<TButton> Buttons; // by tag
  std::vector<std::string> PrintSections;
  HBRUSH StripBrush = nullptr;
  HBITMAP LogoBitmap = nullptr;
  HFONT Font = nullptr;
  TToolbarPlacement StripPlacement = tpTop;
  int StripHeight = 40;
  int LogoWidth = 100;
  bool LogoShown = true;
  TColor ButtonTextColor = 0;
  bool Shown = false;
  bool ShowMaximized = false; // asked before the window was shown
  bool FullScreen = false;
  WINDOWPLACEMENT PlacementBeforeFullScreen{};
  LONG_PTR StyleBeforeFullScreen = 0;
  int PaneWidth = 240;
  bool Splitting = false;
  bool MenuOpen = false;
  bool FindOpen = false;
  bool Closed = false;
};

} // namespace vv
