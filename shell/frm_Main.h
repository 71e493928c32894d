#pragma once
// The main window: builds the whole viewer from the book carried by the
// executable, shows its reading order in the browser and tears it down.

#include <QMainWindow>
#include <QPixmap>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "forms/frm_UserForm.h"
#include "forms/u_UserForms.h"
#include "shell/u_ImageList.h"
#include "host/c_MXWebBrowser.h"
#include "host/obj_HostExternal.h"
#include "protocol/u_MFSInternetProtocol.h"
#include "storage/u_BackgroundLoad.h"
#include "storage/u_MFS.h"
#include "story/u_Story.h"
#include "text/u_Dictionary.h"
#include "text/u_SpaceXMLParser.h"
#include "text/u_Variables.h"
#include "text/u_eBookCommon.h"

class QAction;
class QFrame;
class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QToolBar;
class QToolButton;

namespace vv {

class TFindBar;
class TfrmContents;

// One favourite of the toolbar's favourites menu.
struct TBookMarkItem {
  std::string URL;
  bool NewWindow = false;
};

class TfrmMain : public QMainWindow, public TViewerHost {
  Q_OBJECT
public:
  // Where the book comes from: the running executable's resources unless a
  // test hands the two archives in directly.
  struct TBookSource {
    std::string SystemCab;
    std::string FilesCab;
  };
  // The book carried by the running executable, whose content archive is
  // already being unpacked (program entry starts that before the engine);
  // ContentLoad is never null.
  explicit TfrmMain(std::unique_ptr<TBackgroundCabinetLoad> ContentLoad);
  explicit TfrmMain(TBookSource Source);
  ~TfrmMain() override;

  // ---- toolbar and commands ----
  void BuildToolbar();
  void ToolButtonClick(QObject* Sender);
  // The command of a button kind, as the toolbar and the standard keys run it.
  void RunCommand(int Kind);
  void mnuSearchClick(QObject* Sender);
  void mnuFS_Click(QObject* Sender);
  void BookMarkClick(QObject* Sender);
  void imgLogoClick(QObject* Sender);
  void PrintPageClick(QAction* Sender);

  // ---- page events ----
  void webMain2NavigateComplete2(IBrowser* Sender, const std::string& URL);
  void webMain2DocumentComplete(IBrowser* Sender, const std::string& URL);
  HRESULT webMain2ShowContextMenu(std::uint32_t dwID, const TPoint& ppt);
  // The application-wide key hook; true when the key was handled here.
  bool ApplicationEvents1Message(QObject* Target, QEvent* Event);

  // ---- page navigation operations ----
  void SetFontSize(int Level);
  [[nodiscard]] std::string GetCurrentPagePath() override;
  void SyncStoryWithPage() override;
  void NavigateToStoryPage() override;

  // ---- script host services ----
  [[nodiscard]] TStory& GetStory() override;
  [[nodiscard]] TMXWebBrowser* MainBrowser() override { return webMain; }
  void PostClose() override;

  // ---- reading comforts (each stays out of the way until asked for) ----
  // Runs the command of the toolbar's button of that kind, as a click on it
  // would; nothing when the book's toolbar has no such button.
  void RunBookCommand(int Kind);
  // The copy key: the engine's copy of the page's selection, refused by a
  // page that forbids copying.
  void CopySelection();
  void ToggleContents();
  void ToggleFullScreen();
  // Escape meant for one of the reader's tools or full screen; false when
  // none takes it and the window may close.
  bool TakeEscape();
  // The page a search result opens shows every occurrence of Phrase.
  void HighlightPhraseOnNextPage(const std::string& Phrase);
  void frmContentsOpenPage(const TXMLNode* Item);
  void btnContinueClick();

  // ---- components ----
  QFrame* pnlToolbarCommon;
  QFrame* pnlToolbar;
  QToolBar* tbrMain;
  QFrame* pnlLogo;
  QLabel* imgLogo;
  TMXWebBrowser* webMain; // owned by the window until FormClose destroys it
  QMenu* popBookMarks;
  QMenu* popFontSize;
  QAction* mnuFS_ExtraSmall;
  QAction* mnuFS_Small;
  QAction* mnuFS_Medium;
  QAction* mnuFS_Large;
  QAction* mnuFS_ExtraLarge;
  QMenu* popPrint;
  TImageList imglToolbar;
  QSplitter* splReading;
  TfrmContents* frmContents = nullptr; // built when first shown
  TFindBar* pnlFind;
  QFrame* pnlContinue;
  QLabel* lblContinue;
  QPushButton* btnContinue;
  QToolButton* btnContinueClose;

  // ---- fields ----
  std::unique_ptr<TUserForms> UserForms;
  bool LoadFailed = false;
  std::unique_ptr<TMFS> FilesVolume;
  std::unique_ptr<TMFS> SystemVolume;
  TQtUserFormViews UserFormViews{this};
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
  QToolButton* PrintButton = nullptr;
  bool Created = false;
  bool SplashDone = true;
  int FontSize = 2;
  std::unique_ptr<TSplashOptions> SplashOptions;
  std::unique_ptr<TToolbarOptions> ToolbarOptions;

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void showEvent(QShowEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;

private:
  // The content archive unpacking while start-up goes on, until the step
  // that loads it takes the volume (or its failure).
  std::unique_ptr<TBackgroundCabinetLoad> ContentLoad;

  void BuildComponents();
  // Source: nullptr reads the running executable's resources.
  void FormCreate(TBookSource* Source);
  void CloseUserForms();
  void FormShow();
  bool FormCloseQuery();
  void FormClose();
  void FormDestroy();
  void FormResize();

  // Start-up steps of the book's services.
  void CreateUserForms();
  void CreateBookServices();
  void RegisterSchemes();
  void ApplyToolbarPlacement();
  void ApplyToolbarAppearance();
  void LoadLogo();
  void LoadToolbarImages(const TXMLNode& Images);
  void ReadBookmarks(const TXMLNode& Button);
  void tbrMainCustomDrawButton(QWidget* Button);
  void InstallShortcuts();
  void InstallToolbarKeys(QToolButton* Button, int Kind);
  // A key that moves through the book, taken from whatever widget holds the focus.
  [[nodiscard]] static bool IsReadingKey(const QKeyEvent& Key);
  void ChangeFontSize(int Level);
  [[nodiscard]] QWidget* BuildReadingArea(QWidget* Parent);
  void ShowContents(bool Visible);
  // Shows a page of the reading order as the toolbar does: located, then navigated to.
  void ShowStoryPage(const std::string& Page);
  // After every navigation: the contents pane and the continue bar follow the page.
  void ReadingPageChanged();
  void RecallReadingState();
  // Once the page continued has loaded: scrolled to where the reader was.
  void ScrollToContinuedPlace();
  void RememberReadingState();
  // Calls a member of a script object as a page would; a failure raises its message.
  TOleVariant CallExternal(const TDispatchRef& Object, std::string_view Member, std::uint16_t Kind,
                           const TOleVariantList& Args = {});
  void ApplyWindowGeometry();
  HRESULT webMain2GetExternal(TDispatchRef& ppDispatch);
  void ProtocolAfterGetData(TMFSInternetProtocol* Sender, const std::string& Path, std::string& Data);
  [[nodiscard]] TVariant RootAttribute(std::string_view Name, const TVariant& Default) const;

  bool Shown = false;
  QPixmap LogoPicture;
  std::string BookId;        // empty until the book is shown
  std::string ContinuePage;  // where the reader left the book
  TPoint ContinueScroll;     // and how far down that page
  bool ContinueScrollPending = false; // until the continued page has loaded
  int ContentsWidth = 240;
  QSize SearchSize; // invalid until the reader resized the search window
  QSize FixedSizeBeforeFullScreen; // invalid for a resizable window
  bool MaximizedBeforeFullScreen = false;
};

} // namespace vv
