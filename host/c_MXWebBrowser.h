#pragma once
// The browser control of every window: a QWebEngineView that implements the
// browser as the viewer's logic sees it (the host hooks as events, each with a
// default that lets the engine do its normal thing; the engine operations),
// with the download-control and host-UI option sets.

#include <QElapsedTimer>
#include <QPointer>
#include <QWebEngineView>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/i_Browser.h"
#include "host/u_BrowserOptions.h"

class QPrinter;
class QPrintPreviewDialog;

namespace vv {


class TMXWebBrowser : public QWebEngineView, public IBrowser {
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

  // ---- IBrowser ----
  void Navigate(const std::string& URL) override;
  void GoBack() override;
  void GoForward() override;
  void GoHome() override;
  void Stop() override;
  void ExecWB(int CmdID, int CmdExecOpt = OLECMDEXECOPT_DONTPROMPTUSER, int Input = 0) override;
  [[nodiscard]] int ReadyState() const override { return FReadyState; }
  [[nodiscard]] std::string LocationURL() const override;
  [[nodiscard]] std::u16string LocationName() const override;
  [[nodiscard]] bool ShowsBookPage() const override;
  [[nodiscard]] bool IsBookScheme(std::string_view Scheme) const override;
  void LoadHTML(const std::string& Html) override;
  void QueryElements(std::function<void(std::vector<TDocumentElement>)> Callback) override;
  void QueryInnerHTML(const std::string& Id, std::function<void(std::optional<std::string>)> Callback) override;
  // As the engine last reported it, no waiting.
  [[nodiscard]] TPoint ScrollPosition() const override;
  void ScrollTo(const TPoint& Position) override;
  void FocusPage() override;
  [[nodiscard]] TLiveness Liveness() const override { return FLifetime.Token(); }

  // ---- the engine's own ----
  // Has the engine start the page's renderer process now, for its initial
  // empty document, so that it is ready by the first Navigate. Nothing is
  // loaded and no page event follows.
  void StartRenderer();
  // The object handed to page script as window.external (OnGetExternal's
  // answer), or none.
  [[nodiscard]] TDispatchRef GetExternal();
  // The token of this browser's requests to the script bridge; empty while
  // no page of it was given a script object (OnGetExternal unassigned).
  [[nodiscard]] const QString& BridgeToken() const { return FBridgeToken; }

  // ---- the host hooks, with their defaults when no event is attached ----
  HRESULT ShowContextMenu(std::uint32_t dwID, const TPoint& ppt);
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
  // Waits in the viewer's logic wake on every change.
  void SetReadyState(int Value);

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
  TLifetime FLifetime;
};

} // namespace vv
