#pragma once
// The browser control of every window: a QWebEngineView with the host hooks
// as events (each with a default that lets the engine do its normal thing),
// the download-control and host-UI option sets, and the engine operations
// the viewer calls (Navigate, history, ExecWB, ReadyState, LocationURL,
// document queries).

#include <QElapsedTimer>
#include <QPoint>
#include <QPointer>
#include <QWebEngineView>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/u_Dispatch.h"
#include "protocol/u_InternetProtocolSupport.h"

class QPrinter;
class QPrintPreviewDialog;

namespace vv {

enum class TDownloadControlOption : int {
  DLCTL_DLIMAGES,
  DLCTL_VIDEOS,
  DLCTL_BGSOUNDS,
  DLCTL_NO_SCRIPTS,
  DLCTL_NO_JAVA,
  DLCTL_NO_RUNACTIVEXCTLS,
  DLCTL_NO_DLACTIVEXCTLS,
  DLCTL_DOWNLOADONLY,
  DLCTL_NO_FRAMEDOWNLOAD,
  DLCTL_RESYNCHRONIZE,
  DLCTL_PRAGMA_NO_CACHE,
  DLCTL_NO_BEHAVIORS,
  DLCTL_NO_METACHARSET,
  DLCTL_URL_ENCODING_DISABLE_UTF8,
  DLCTL_URL_ENCODING_ENABLE_UTF8,
  DLCTL_FORCEOFFLINE,
  DLCTL_NO_CLIENTPULL,
  DLCTL_SILENT,
  DLCTL_OFFLINE,
};
using TDownloadControlOptions = std::set<TDownloadControlOption>;

enum class TUserInterfaceOption : int {
  DIALOG,
  DISABLE_HELP_MENU,
  NO3DBORDER,
  SCROLL_NO,
  DISABLE_SCRIPT_INACTIVE,
  OPENNEWWIN,
  DISABLE_OFFSCREEN,
  FLAT_SCROLLBAR,
  DIV_BLOCKDEFAULT,
  ACTIVATE_CLIENTHIT_ONLY,
  OVERRIDEBEHAVIORFACTORY,
  CODEPAGELINKEDFONTS,
  URL_ENCODING_DISABLE_UTF8,
  URL_ENCODING_ENABLE_UTF8,
  ENABLE_FORMS_AUTOCOMPLETE,
  ENABLE_INPLACE_NAVIGATION,
  IME_ENABLE_RECONVERSION,
  THEME,
  NOTHEME,
  NOPICS,
  NO3DOUTERBORDER,
};
using TUserInterfaceOptions = std::set<TUserInterfaceOption>;

[[nodiscard]] std::int32_t DownloadControlMask(const TDownloadControlOptions& Options);
[[nodiscard]] std::int32_t HostUIMask(const TUserInterfaceOptions& Options);

// Mask bits the engine has an equivalent for.
constexpr std::int32_t DLCTL_DLIMAGES_BIT = 0x10;
constexpr std::int32_t DLCTL_NO_SCRIPTS_BIT = 0x80;
constexpr std::int32_t DOCHOSTUIFLAG_SCROLL_NO = 0x8;

// ExecWB commands and options.
constexpr int OLECMDID_PRINT = 6;
constexpr int OLECMDID_PRINTPREVIEW = 7;
constexpr int OLECMDID_COPY = 12;
constexpr int OLECMDID_ZOOM = 19;
constexpr int OLECMDID_REFRESH = 22;
constexpr int OLECMDEXECOPT_DONTPROMPTUSER = 2;

enum : int { READYSTATE_UNINITIALIZED = 0, READYSTATE_LOADING = 1, READYSTATE_LOADED = 2,
             READYSTATE_INTERACTIVE = 3, READYSTATE_COMPLETE = 4 };

// Context-menu kinds handed to OnShowContextMenu.
enum : std::uint32_t { VV_CONTEXT_MENU_DEFAULT = 0, VV_CONTEXT_MENU_IMAGE = 1, VV_CONTEXT_MENU_CONTROL = 2,
                       VV_CONTEXT_MENU_TEXTSELECT = 4, VV_CONTEXT_MENU_ANCHOR = 5 };

// Message-box types and answers of OnShowMessage.
enum : std::int32_t { VV_MB_OK = 0, VV_MB_OKCANCEL = 1, VV_MB_ICONQUESTION = 0x20, VV_MB_ICONWARNING = 0x30 };
enum : std::int32_t { VV_IDOK = 1, VV_IDCANCEL = 2 };

constexpr std::uint32_t VV_WM_KEYDOWN = 0x100;

struct TDocHostUIInfo {
  std::uint32_t cbSize = 0;
  std::uint32_t dwFlags = 0;
  std::uint32_t dwDoubleClick = 0;
};

// A key on its way to the page.
struct TKeyMessage {
  std::uint32_t message = VV_WM_KEYDOWN;
  std::uint32_t wParam = 0; // virtual-key code
  int Key = 0;              // Qt::Key
  Qt::KeyboardModifiers Modifiers;
};

// An element of the shown document that carries an id.
struct TDocumentElement {
  std::string TagName; // upper case, as the engine reports it
  std::string Id;
  std::string InnerHTML;
};

class TMXWebBrowser;

using TCloseQueryEvent = std::function<void(TMXWebBrowser* Sender, bool& CanClose)>;
using TShowContextMenuEvent = std::function<HRESULT(std::uint32_t dwID, const QPoint& ppt)>;
using TGetHostInfoEvent = std::function<HRESULT(TDocHostUIInfo& pInfo)>;
using TShowUIEvent = std::function<HRESULT(std::uint32_t dwID)>;
using TNotifyHostEvent = std::function<HRESULT()>;
using TBoolHostEvent = std::function<HRESULT(bool Flag)>;
using TResizeBorderEvent = std::function<HRESULT(const QRect& prcBorder, bool fRameWindow)>;
using TTranslateAcceleratorEvent =
    std::function<HRESULT(const TKeyMessage& lpMsg, const void* pguidCmdGroup, std::uint32_t nCmdID)>;
using TGetOptionKeyPathEvent = std::function<HRESULT(std::u16string& pchKey, std::uint32_t dw)>;
using TGetOverrideKeyPathEvent = std::function<HRESULT(std::u16string& pchKey, std::uint32_t dw)>;
using TGetDropTargetEvent = std::function<HRESULT(void* pDropTarget, void*& ppDropTarget)>;
using TGetExternalEvent = std::function<HRESULT(TDispatchRef& ppDispatch)>;
using TTranslateUrlEvent =
    std::function<HRESULT(std::uint32_t dwTranslate, const std::u16string& pchURLIn, std::u16string& ppchURLOut)>;
using TFilterDataObjectEvent = std::function<HRESULT(void* pDO, void*& ppDORet)>;
using TShowMessageEvent =
    std::function<HRESULT(std::uint32_t hwnd, const std::u16string& lpstrText, const std::u16string& lpstrCaption,
                          std::int32_t dwType, const std::u16string& lpstrHelpFile, std::int32_t dwHelpContext,
                          std::int32_t& plResult)>;
using TShowHelpEvent = std::function<HRESULT(std::uint32_t hwnd, const std::u16string& pszHelpFile,
                                             std::int32_t uCommand, std::int32_t dwData, QPoint& ptMouse)>;
// Events inherited from the browser control: URLs in the viewer's form.
using TWebBrowserURLEvent = std::function<void(TMXWebBrowser* Sender, const std::string& URL)>;

class EWebBrowserError : public EOleError {
public:
  using EOleError::EOleError;
};

class TMXWebBrowser : public QWebEngineView {
  Q_OBJECT
public:
  explicit TMXWebBrowser(QWidget* Parent = nullptr);
  ~TMXWebBrowser() override;

  [[nodiscard]] const TDownloadControlOptions& DownloadOptions() const { return FDownloadOptions; }
  void SetDownloadOptions(const TDownloadControlOptions& Value);
  [[nodiscard]] const TUserInterfaceOptions& UserInterfaceOptions() const { return FUserInterfaceOptions; }
  void SetUserInterfaceOptions(const TUserInterfaceOptions& Value);
  [[nodiscard]] std::int32_t DownloadControlFlags() const { return FDownloadControlFlags; }
  [[nodiscard]] std::int32_t HostUIFlags() const { return FHostUIFlags; }

  // ---- engine operations ----
  // Has the engine start the page's renderer process now, for its initial
  // empty document, so that it is ready by the first Navigate. Nothing is
  // loaded and no page event follows.
  void StartRenderer();
  // Book URLs in the viewer's form ("mfs:\a.htm") or any other URL.
  void Navigate(const std::string& URL);
  // Raise EWebBrowserError when there is no history in that direction.
  void GoBack();
  void GoForward();
  // The engine's home page; "about:blank" while HomePage is empty.
  void GoHome();
  std::string HomePage;
  // Input: the text size 0-4 for OLECMDID_ZOOM.
  void ExecWB(int CmdID, int CmdExecOpt = OLECMDEXECOPT_DONTPROMPTUSER, int Input = 0);
  [[nodiscard]] int ReadyState() const { return FReadyState; }
  // The page shown, book URLs in the viewer's form; empty before the first navigation.
  [[nodiscard]] std::string LocationURL() const;
  // The document shown is one of the book's (a book scheme's page).
  [[nodiscard]] bool ShowsBookPage() const;
  // Replaces the document with HTML text; relative references resolve against "mfs:\".
  void LoadHTML(const std::string& Html);
  // Asynchronous document queries: the callback runs once the page answered.
  void QueryElements(std::function<void(std::vector<TDocumentElement>)> Callback);
  void QueryInnerHTML(const std::string& Id, std::function<void(std::optional<std::string>)> Callback);
  // The document's scroll position in CSS pixels, as the engine last reported
  // it (no waiting); ScrollTo asks the document to scroll there.
  [[nodiscard]] QPoint ScrollPosition() const;
  void ScrollTo(const QPoint& Position);
  // The object handed to page script as window.external (OnGetExternal's
  // answer), or none.
  [[nodiscard]] TDispatchRef GetExternal();
  // The token of this browser's requests to the script bridge; empty while
  // no page of it was given a script object (OnGetExternal unassigned).
  [[nodiscard]] const QString& BridgeToken() const { return FBridgeToken; }

  // ---- published events ----
  TCloseQueryEvent OnCloseQuery;
  TGetOverrideKeyPathEvent OnGetOverrideKeyPath;
  TShowContextMenuEvent OnShowContextMenu;
  TGetHostInfoEvent OnGetHostInfo;
  TShowUIEvent OnShowUI;
  TNotifyHostEvent OnHideUI;
  TNotifyHostEvent OnUpdateUI;
  TBoolHostEvent OnEnableModeless;
  TBoolHostEvent OnOnDocWindowActivate;
  TBoolHostEvent OnOnFrameWindowActivate;
  TResizeBorderEvent OnResizeBorder;
  TTranslateAcceleratorEvent OnTranslateAccelerator;
  TGetOptionKeyPathEvent OnGetOptionKeyPath;
  TGetDropTargetEvent OnGetDropTarget;
  TGetExternalEvent OnGetExternal;
  TTranslateUrlEvent OnTranslateUrl;
  TFilterDataObjectEvent OnFilterDataObject;
  TShowMessageEvent OnShowMessage;
  TShowHelpEvent OnShowHelp;
  TWebBrowserURLEvent OnNavigateComplete2;
  TWebBrowserURLEvent OnDocumentComplete;

  // ---- the host hooks, with their defaults when no event is attached ----
  HRESULT ShowContextMenu(std::uint32_t dwID, const QPoint& ppt);
  HRESULT GetHostInfo(TDocHostUIInfo& pInfo);
  HRESULT ShowMessage(const std::u16string& Text, const std::u16string& Caption, std::int32_t Type,
                      std::int32_t& Result);
  HRESULT TranslateAccelerator(const TKeyMessage& Msg);
  HRESULT TranslateUrl(const std::u16string& In, std::u16string& Out);

signals:
  void NavigateComplete2(const QString& URL);
  void DocumentComplete(const QString& URL);
  // The page asked to close the window and OnCloseQuery let it.
  void CloseAccepted();
  // A print started with OLECMDID_PRINT failed on its way to the printer.
  void PrintFailed(const QString& Reason);

protected:
  void contextMenuEvent(QContextMenuEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void focusInEvent(QFocusEvent* Event) override;
  void focusOutEvent(QFocusEvent* Event) override;

private:
  friend class TMXWebPage;
  void ApplyDownloadControlFlags();
  void ApplyHostInfo();
  void PageCloseRequested();
  void PrepareBridge();
  void OpenPrintPreview();
  void RenderProcessTerminated(int Status);
  void LeaveRendererFailure();

  TDownloadControlOptions FDownloadOptions;
  TUserInterfaceOptions FUserInterfaceOptions;
  std::int32_t FDownloadControlFlags = 0;
  std::int32_t FHostUIFlags = 0;
  int FReadyState = READYSTATE_UNINITIALIZED;
  // The scheme as the last Navigate spelled it; the engine lower-cases it.
  std::string FNavigatedScheme;
  QString FBridgeToken;
  // LoadHTML's document is the viewer's own, whatever page was shown before.
  bool FLoadingHTML = false;
  std::unique_ptr<QPrinter> FPrinter;
  // The print preview being prepared or shown; one at a time.
  QPointer<QPrintPreviewDialog> FPrintPreview;
  // A page whose process died is reloaded; if a process dies again within a
  // short time of that reload, a message page stands in until the next navigation.
  QElapsedTimer FLastRendererReload;
  bool FRendererFailed = false;
  QUrl FFailedUrl;
};

} // namespace vv
