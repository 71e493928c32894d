#pragma once
// The browser control of every window on Windows: the system's WebBrowser
// control, in place in a child window of ours, hosted by our client site
// (the host hooks as the logic's events, each with its default), its events
// turned into the logic's page events, and the engine's operations.

#include <windows.h>
#include <exdisp.h>
#include <ole2.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/win32/i_BrowserWindow.h"
#include "host/win32/u_ComPtr.h"
#include "platform/i_MessageLoop.h"

namespace vv {

class TBrowserSite;
class TBrowserEvents;

class TMXWebBrowser final : public IBrowserWindow {
public:
  // Made on the user-interface thread, with COM (OLE) initialised; Loop is
  // the logic's, which delivers the answers of document queries and
  // close requests. Raises EWebBrowserError if the control cannot be made.
  TMXWebBrowser(HWND Parent, IMessageLoop& Loop);
  ~TMXWebBrowser() override;
  TMXWebBrowser(const TMXWebBrowser&) = delete;
  TMXWebBrowser& operator=(const TMXWebBrowser&) = delete;

  // ---- IBrowserWindow ----
  [[nodiscard]] HWND Handle() const override { return FWindow; }
  void SetBounds(const RECT& Bounds) override;
  void SetDownloadOptions(const TDownloadControlOptions& Value) override;
  void SetUserInterfaceOptions(const TUserInterfaceOptions& Value) override;
  bool PreTranslateMessage(MSG& Message) override;

  [[nodiscard]] const TDownloadControlOptions& DownloadOptions() const { return FDownloadOptions; }
  [[nodiscard]] const TUserInterfaceOptions& UserInterfaceOptions() const { return FUserInterfaceOptions; }
  [[nodiscard]] std::int32_t DownloadControlFlags() const { return FDownloadControlFlags; }
  [[nodiscard]] std::int32_t HostUIFlags() const { return FHostUIFlags; }

  // ---- IBrowser ----
  void Navigate(const std::string& URL) override;
  void GoBack() override;
  void GoForward() override;
  void GoHome() override;
  void Stop() override;
  void ExecWB(int CmdID, int CmdExecOpt = OLECMDEXECOPT_DONTPROMPTUSER, int Input = 0) override;
  [[nodiscard]] int ReadyState() const override;
  [[nodiscard]] std::string LocationURL() const override;
  [[nodiscard]] std::u16string LocationName() const override;
  [[nodiscard]] bool ShowsBookPage() const override;
  [[nodiscard]] bool IsBookScheme(std::string_view Scheme) const override;
  void LoadHTML(const std::string& Html) override;
  void QueryElements(std::function<void(std::vector<TDocumentElement>)> Callback) override;
  void QueryInnerHTML(const std::string& Id, std::function<void(std::optional<std::string>)> Callback) override;
  [[nodiscard]] TPoint ScrollPosition() const override;
  void ScrollTo(const TPoint& Position) override;
  void FocusPage() override;
  [[nodiscard]] TLiveness Liveness() const override;

  // ---- the engine's own ----
  // The system's control, as the engine's callers reach it (its client site
  // is ours), and our sink of its events.
  [[nodiscard]] IWebBrowser2* Control() const { return FBrowser.Get(); }
  [[nodiscard]] ::IDispatch* EventSink() const;
  // The document shown, or none (an engine without HTML documents).
  [[nodiscard]] TComPtr<::IDispatch> Document() const;

private:
  static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) noexcept;
  void CreateControl();
  void DestroyControl() noexcept;
  void ConnectEvents();
  void NotifyDownloadControl();
  void Navigated(const std::u16string& URL, bool Top, bool Complete);
  void BeforeNavigate(const std::u16string& URL, bool Top, bool& Cancel);
  void ViewerNavigation(const std::function<::HRESULT()>& Start);
  void StartNavigation(const std::string& URL);
  // The page or the system asked to close: OnCloseQuery, then
  // OnCloseAccepted, from the loop (the request comes inside the engine).
  void RequestClose();
  void Check(::HRESULT Result) const;

  IMessageLoop& FLoop;
  HWND FWindow = nullptr;
  TBrowserSite* FSite = nullptr;
  TBrowserEvents* FEvents = nullptr;
  TComPtr<IOleObject> FObject;
  TComPtr<IWebBrowser2> FBrowser;
  DWORD FEventsCookie = 0;
  TDownloadControlOptions FDownloadOptions;
  TUserInterfaceOptions FUserInterfaceOptions;
  std::int32_t FDownloadControlFlags = 0;
  std::int32_t FHostUIFlags = 0;
  // The scheme as the last Navigate spelled it; the engine may lower-case it.
  std::string FNavigatedScheme;
  // A navigation of ours (Navigate, history, LoadHTML) is under way: it may
  // lead into the book from a page outside it.
  bool FViewerNavigation = false;
  // LoadHTML's text, waiting for the blank document it replaces.
  std::optional<std::string> FPendingHtml;
  std::unique_ptr<TLifetime> FLifetime = std::make_unique<TLifetime>();
};

// The factory the Win32 views take: one control per parent window, all on
// the logic's loop.
[[nodiscard]] TBrowserWindowFactory CreateBrowserWindow(IMessageLoop& Loop);

} // namespace vv
