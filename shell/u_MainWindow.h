#pragma once
// The main window's logic, the same on every platform: builds the whole
// viewer from the book carried by the executable in one fixed start-up
// order, runs the toolbar's commands, favourites and keys, ties the reading
// order to the page shown, keeps the reader's place, and tears everything
// down. The platform's window (IMainView) draws and forwards its events here.
//
// Where each step is decided:
//   u_MainWindow.cpp     start-up order and its failure guard, showing, window geometry
//   u_Toolbar.cpp        toolbar buttons, image list, commands, text size, strip height
//   u_Favourites.cpp     favourites
//   u_PageEvents.cpp     page events, print sections, context menu, the key hook
//   u_BookStartup.cpp    user forms, script host, reading order, variables, schemes; release and teardown
//   u_PageOperations.cpp the page shown against the reading order, text size
//   u_ToolbarStartup.cpp toolbar settings, logo, splash at start and at close
//   u_ReadingComforts.cpp continue reading, contents pane, reading state

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "forms/i_FormViews.h"
#include "forms/i_UserFormView.h"
#include "forms/u_UserForms.h"
#include "host/i_Browser.h"
#include "host/obj_HostExternal.h"
#include "platform/i_MessageLoop.h"
#include "protocol/u_MFSInternetProtocol.h"
#include "shell/i_MainView.h"
#include "shell/u_Contents.h"
#include "shell/u_Keys.h"
#include "shell/u_ReadingState.h"
#include "storage/u_BackgroundLoad.h"
#include "storage/u_MFS.h"
#include "story/u_Story.h"
#include "text/u_Dictionary.h"
#include "text/u_SpaceXMLParser.h"
#include "text/u_Variables.h"
#include "text/u_eBookCommon.h"

namespace vv {

// One favourite of the toolbar's favourites menu.
struct TBookMarkItem {
  std::string URL;
  bool NewWindow = false;
};

// What the platform gives the main window's logic; all outlive it.
struct TMainPlatform {
  IMainView& View;
  IMessageLoop& Loop;
  IFormViews& Forms;          // search, splash and print windows
  IUserFormViews& UserForms;  // the book's own windows
  IReadingStateStore& ReadingStates;
};

class TMainWindow : public TViewerHost {
public:
  // Where the book comes from when a caller hands the two archives in directly.
  struct TBookSource {
    std::string SystemCab;
    std::string FilesCab;
  };
  // The book carried by the running executable, whose content archive is
  // already being unpacked (program entry starts that before the engine).
  TMainWindow(TMainPlatform Platform, std::unique_ptr<TBackgroundCabinetLoad> ContentLoad);
  TMainWindow(TMainPlatform Platform, TBookSource Source);
  ~TMainWindow() override;
  TMainWindow(const TMainWindow&) = delete;
  TMainWindow& operator=(const TMainWindow&) = delete;

  // ---- the window's events ----
  void FormShow();
  bool FormCloseQuery();
  void FormClose();
  void FormResize();

  // ---- toolbar and commands ----
  // A click on the face of the button with that tag.
  void ToolButtonPressed(int Tag);
  void ToolButtonClick(int Tag);
  // The command of a button kind, as the toolbar and the standard keys run it.
  void RunCommand(int Kind);
  // Runs the command of the toolbar's button of that kind, as a click on it
  // would; nothing when the book's toolbar has no such button.
  void RunBookCommand(int Kind);
  void mnuSearchClick();
  void mnuFS_Click(int Tag);
  void BookMarkClick(int Tag);
  void imgLogoClick();
  void PrintPageClick(const std::string& Id);

  // ---- page events and keys ----
  void webMain2NavigateComplete2(IBrowser* Sender, const std::string& URL);
  void webMain2DocumentComplete(IBrowser* Sender, const std::string& URL);
  HRESULT webMain2ShowContextMenu(std::uint32_t dwID, const TPoint& ppt);
  HRESULT webMain2GetExternal(TDispatchRef& ppDispatch);
  // The application-wide key hook.
  TKeyVerdict ApplicationEvents1Message(const TKeyEvent& Key);
  void KeyBindingPressed(const TKeyBinding& Binding);

  // ---- page navigation operations ----
  void SetFontSize(int Level);
  [[nodiscard]] std::string GetCurrentPagePath() override;
  void SyncStoryWithPage() override;
  void NavigateToStoryPage() override;

  // ---- script host services ----
  [[nodiscard]] TStory& GetStory() override;
  [[nodiscard]] IBrowser* MainBrowser() override;
  void PostClose() override;

  // ---- reading comforts (each stays out of the way until asked for) ----
  // The copy key: the engine's copy of the page's selection, refused by a
  // page that forbids copying.
  void CopySelection();
  void ChangeFontSize(int Level);
  void ToggleContents();
  // Escape meant for one of the reader's tools or full screen; false when
  // none takes it and the window may close.
  bool TakeEscape();
  void ContentsPageChosen(const TXMLNode* Item);
  void btnContinueClick();

  // ---- fields ----
  std::unique_ptr<TUserForms> UserForms;
  bool LoadFailed = false;
  std::unique_ptr<TMFS> FilesVolume;
  std::unique_ptr<TMFS> SystemVolume;
  std::shared_ptr<THostExternal> HostExternal;
  std::unique_ptr<TMFSInternetProtocol> FilesProtocol;
  std::unique_ptr<TMFSInternetProtocol> SystemProtocol;
  std::unique_ptr<TDictionary> ImageIndexByName;
  std::vector<std::uint8_t> ButtonKinds;
  std::unique_ptr<std::vector<std::string>> ButtonOnClick;
  std::unique_ptr<TStory> Story;
  std::unique_ptr<TXMLParser> SystemXML;
  std::unique_ptr<TVariables> Variables;
  std::unique_ptr<std::vector<std::unique_ptr<TBookMarkItem>>> Bookmarks;
  TColor TextColor = 0;
  int PrintButton = -1; // the print button's tag; -1: none
  bool Created = false;
  bool SplashDone = true;
  int FontSize = 2;
  std::unique_ptr<TSplashOptions> SplashOptions;
  std::unique_ptr<TToolbarOptions> ToolbarOptions;

private:
  TMainWindow(TMainPlatform Platform, TBookSource* Source, std::unique_ptr<TBackgroundCabinetLoad> ContentLoad);
  // Source: none reads the running executable's resources.
  void FormCreate(TBookSource* Source);
  void FormDestroy();
  void ConnectBrowser();
  void CloseUserForms();
  void ApplyWindowGeometry();
  [[nodiscard]] TVariant RootAttribute(std::string_view Name, const TVariant& Default) const;

  // Start-up steps of the book's services.
  void CreateUserForms();
  void CreateBookServices();
  void RegisterSchemes();
  void ProtocolAfterGetData(TMFSInternetProtocol* Sender, const std::string& Path, std::string& Data);
  void ShowFirstPage();

  // Start-up steps of the toolbar, logo and splash.
  void ApplyToolbarSettings();
  void LoadLogo();
  void StartSplash();

  void BuildToolbar();
  // The toolbar's pictures and the logo are read through a file stream.
  [[nodiscard]] static std::string ReadThroughStream(TMFSSession& Session, const std::string& Path);
  void LoadToolbarImages(const TXMLNode& Images);
  void ReadBookmarks(const TXMLNode& Button);
  // Waits, without spinning, until the page can take commands, the browser
  // goes, or the time is up; false when this window went meanwhile.
  bool WaitUntilInteractive();
  // Calls a member of a script object as a page would; a failure raises its message.
  TOleVariant CallExternal(const TDispatchRef& Object, std::string_view Member, std::uint16_t Kind,
                           const TOleVariantList& Args = {});

  void ShowContents(bool Visible);
  // Shows a page of the reading order as the toolbar does: located, then navigated to.
  void ShowStoryPage(const std::string& Page);
  // After every navigation: the contents pane and the continue offer follow the page.
  void ReadingPageChanged();
  void RecallReadingState();
  // Once the page continued has loaded: scrolled to where the reader was.
  void ScrollToContinuedPlace();
  void RememberReadingState();

  TMainPlatform Platform;
  IMainView& View;
  // The content archive unpacking while start-up goes on, until the step
  // that loads it takes the volume (or its failure).
  std::unique_ptr<TBackgroundCabinetLoad> ContentLoad;
  // True exactly when the last key pressed anywhere was Ctrl.
  bool CopyKeyArmed = false;
  TSize LogoShown; // none until a logo is shown
  std::unique_ptr<TContents> Contents; // made when the pane is first shown
  std::string BookId;       // empty until the book is shown
  std::string ContinuePage; // where the reader left the book
  TPoint ContinueScroll;    // and how far down that page
  bool ContinueScrollPending = false; // until the continued page has loaded
  int ContentsWidth = 240;
  TSize SearchSize; // none until the reader resized the search window
  TLifetime Life;
};

} // namespace vv
