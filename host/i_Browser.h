#pragma once
// The browser control as the viewer's logic sees it: navigation, history,
// the host hooks and page events, document queries, print and zoom
// commands. Each platform's control implements it; no type here belongs to
// a GUI library.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/u_Dispatch.h"
#include "platform/u_ViewTypes.h"
#include "protocol/u_InternetProtocolSupport.h" // HRESULT

namespace vv {

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

// Modifier keys of a key message.
enum : std::uint32_t { VV_MOD_SHIFT = 1, VV_MOD_CTRL = 2, VV_MOD_ALT = 4 };

struct TDocHostUIInfo {
  std::uint32_t cbSize = 0;
  std::uint32_t dwFlags = 0;
  std::uint32_t dwDoubleClick = 0;
};

// A key on its way to the page.
struct TKeyMessage {
  std::uint32_t message = VV_WM_KEYDOWN;
  std::uint32_t wParam = 0;    // virtual-key code
  std::uint32_t Modifiers = 0; // VV_MOD_*
};

// An element of the shown document that carries an id.
struct TDocumentElement {
  std::string TagName; // upper case, as the engine reports it
  std::string Id;
  std::string InnerHTML;
};

class IBrowser;

using TCloseQueryEvent = std::function<void(IBrowser* Sender, bool& CanClose)>;
using TShowContextMenuEvent = std::function<HRESULT(std::uint32_t dwID, const TPoint& ppt)>;
using TGetHostInfoEvent = std::function<HRESULT(TDocHostUIInfo& pInfo)>;
using TShowUIEvent = std::function<HRESULT(std::uint32_t dwID)>;
using TNotifyHostEvent = std::function<HRESULT()>;
using TBoolHostEvent = std::function<HRESULT(bool Flag)>;
using TResizeBorderEvent = std::function<HRESULT(const TRect& prcBorder, bool fRameWindow)>;
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
                                             std::int32_t uCommand, std::int32_t dwData, TPoint& ptMouse)>;
// Page events: URLs in the viewer's form ("mfs:\a.htm").
using TWebBrowserURLEvent = std::function<void(IBrowser* Sender, const std::string& URL)>;

class EWebBrowserError : public EOleError {
public:
  using EOleError::EOleError;
};

class IBrowser {
public:
  virtual ~IBrowser() = default;

  // Book URLs in the viewer's form ("mfs:\a.htm") or any other URL.
  virtual void Navigate(const std::string& URL) = 0;
  // Raise EWebBrowserError when there is no history in that direction.
  virtual void GoBack() = 0;
  virtual void GoForward() = 0;
  // HomePage; "about:blank" while it is empty.
  virtual void GoHome() = 0;
  virtual void Stop() = 0;
  // Input: the text size 0-4 for OLECMDID_ZOOM.
  virtual void ExecWB(int CmdID, int CmdExecOpt = OLECMDEXECOPT_DONTPROMPTUSER, int Input = 0) = 0;
  [[nodiscard]] virtual int ReadyState() const = 0;
  // The page shown, book URLs in the viewer's form; empty before the first navigation.
  [[nodiscard]] virtual std::string LocationURL() const = 0;
  // The title of the document shown.
  [[nodiscard]] virtual std::u16string LocationName() const = 0;
  // The document shown is one of the book's (a book scheme's page).
  [[nodiscard]] virtual bool ShowsBookPage() const = 0;
  // Scheme is one of the book's, whatever its letter case.
  [[nodiscard]] virtual bool IsBookScheme(std::string_view Scheme) const = 0;
  // Replaces the document with HTML text; relative references resolve against "mfs:\".
  virtual void LoadHTML(const std::string& Html) = 0;
  // Asynchronous document queries: the callback runs later, from the message
  // loop, once the page answered; never if the browser goes first.
  virtual void QueryElements(std::function<void(std::vector<TDocumentElement>)> Callback) = 0;
  virtual void QueryInnerHTML(const std::string& Id, std::function<void(std::optional<std::string>)> Callback) = 0;
  // The document's scroll position in CSS pixels as last reported; ScrollTo
  // asks the document to scroll there.
  [[nodiscard]] virtual TPoint ScrollPosition() const = 0;
  virtual void ScrollTo(const TPoint& Position) = 0;
  // Keyboard focus to the page, so that reading keys and copy reach it.
  virtual void FocusPage() = 0;
  // Expires when the control is destroyed.
  [[nodiscard]] virtual TLiveness Liveness() const = 0;

  std::string HomePage;

  // ---- published events; an unassigned one selects the control's default ----
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
};

} // namespace vv
