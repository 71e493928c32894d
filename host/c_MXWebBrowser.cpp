#include "host/c_MXWebBrowser.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <array>
#include <utility>

#include "host/u_QtMessageLoop.h"
#include "host/u_ScriptBridge.h"
#include "platform/u_Ansi.h"
#include "platform/u_WebEngineProtocol.h"
#include "text/u_Convert.h"

namespace vv {

namespace {
// Text sizes smallest .. largest as page zoom.
constexpr std::array<double, 5> ZoomFactors = {0.7, 0.85, 1.0, 1.15, 1.3};
// A page's process that dies again this soon after its automatic reload is
// not reloaded a second time.
constexpr qint64 RendererRetryWindowMs = 10000;

constexpr const char* SUnspecifiedError = "Unspecified error";
constexpr const char* SInvalidArgument = "The parameter is incorrect";
constexpr const char* SPreparingPages = "Preparing the pages for printing...";
constexpr HRESULT VV_E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT VV_OLECMDERR_E_NOTSUPPORTED = static_cast<HRESULT>(0x80040100);

std::u16string Wide(const QString& S) {
  return std::u16string(reinterpret_cast<const char16_t*>(S.utf16()), static_cast<std::size_t>(S.size()));
}

// Engine callbacks must not run nested event loops (a print window, a message
// box): answers to document queries go through the event loop, and are
// dropped if the browser went meanwhile.
template <typename TValue>
void DeliverLater(const TLiveness& Alive, std::function<void(TValue)> Callback, TValue Value) {
  QMetaObject::invokeMethod(
      qApp,
      [Alive, Callback = std::move(Callback), Value = std::move(Value)]() mutable {
        if (IsAlive(Alive))
          Callback(std::move(Value));
      },
      Qt::QueuedConnection);
}

std::uint32_t VirtualKey(int Key) {
  if ((Key >= Qt::Key_0 && Key <= Qt::Key_9) || (Key >= Qt::Key_A && Key <= Qt::Key_Z))
    return static_cast<std::uint32_t>(Key);
  if (Key >= Qt::Key_F1 && Key <= Qt::Key_F24)
    return static_cast<std::uint32_t>(0x70 + (Key - Qt::Key_F1));
  switch (Key) {
  case Qt::Key_Escape: return 0x1B;
  case Qt::Key_Return: case Qt::Key_Enter: return 0x0D;
  case Qt::Key_Tab: return 0x09;
  case Qt::Key_Backspace: return 0x08;
  case Qt::Key_Space: return 0x20;
  case Qt::Key_PageUp: return 0x21;
  case Qt::Key_PageDown: return 0x22;
  case Qt::Key_End: return 0x23;
  case Qt::Key_Home: return 0x24;
  case Qt::Key_Left: return 0x25;
  case Qt::Key_Up: return 0x26;
  case Qt::Key_Right: return 0x27;
  case Qt::Key_Down: return 0x28;
  case Qt::Key_Insert: return 0x2D;
  case Qt::Key_Delete: return 0x2E;
  case Qt::Key_Shift: return 0x10;
  case Qt::Key_Control: return 0x11;
  case Qt::Key_Alt: return 0x12;
  default: return 0;
  }
}

std::uint32_t ModifierFlags(Qt::KeyboardModifiers Modifiers) {
  return (Modifiers & Qt::ShiftModifier ? VV_MOD_SHIFT : 0u) | (Modifiers & Qt::ControlModifier ? VV_MOD_CTRL : 0u) |
         (Modifiers & Qt::AltModifier ? VV_MOD_ALT : 0u);
}
} // namespace

// The page: the engine's script dialogs, close requests and navigation
// requests, turned into the host's hooks.
class TMXWebPage : public QWebEnginePage {
public:
  TMXWebPage(QWebEngineProfile* Profile, TMXWebBrowser* Browser) : QWebEnginePage(Profile, Browser), Browser(Browser) {}

protected:
  void javaScriptAlert(const QUrl& Origin, const QString& Msg) override {
    if (!IsBookScheme(Origin.scheme().toStdString())) {
      (void)ForeignDialog(Origin, Msg, QMessageBox::Ok);
      return;
    }
    std::int32_t Result = VV_IDOK;
    if (Browser->ShowMessage(Wide(Msg), Wide(Caption()), VV_MB_OK | VV_MB_ICONWARNING, Result) != VV_S_OK)
      QWebEnginePage::javaScriptAlert(Origin, Msg);
  }
  bool javaScriptConfirm(const QUrl& Origin, const QString& Msg) override {
    if (!IsBookScheme(Origin.scheme().toStdString()))
      return ForeignDialog(Origin, Msg, QMessageBox::Ok | QMessageBox::Cancel);
    std::int32_t Result = VV_IDCANCEL;
    if (Browser->ShowMessage(Wide(Msg), Wide(Caption()), VV_MB_OKCANCEL | VV_MB_ICONQUESTION, Result) == VV_S_OK)
      return Result == VV_IDOK;
    return QWebEnginePage::javaScriptConfirm(Origin, Msg);
  }
  bool javaScriptPrompt(const QUrl& Origin, const QString& Msg, const QString& Default, QString* Result) override {
    if (IsBookScheme(Origin.scheme().toStdString()))
      return QWebEnginePage::javaScriptPrompt(Origin, Msg, Default, Result);
    const QString Source = SourceOf(Origin);
    if (Silenced.count(Source))
      return false;
    bool Accepted = false;
    *Result = QInputDialog::getText(Browser, QStringLiteral("Message from %1").arg(Source), Msg, QLineEdit::Normal,
                                    Default, &Accepted);
    return Accepted;
  }
  bool acceptNavigationRequest(const QUrl& Url, NavigationType Type, bool IsMainFrame) override {
    // Only the viewer (typed: Navigate, HTML loads), history and the book's
    // own pages lead into the book; a page from elsewhere stays where it is.
    const bool ByViewer = Type == NavigationTypeTyped || Type == NavigationTypeBackForward ||
                          Type == NavigationTypeReload || std::exchange(Browser->FLoadingHTML, false);
    if (!ByViewer && IsBookScheme(Url.scheme().toStdString()) && !Browser->ShowsBookPage())
      return false;
    std::u16string Out;
    const std::u16string In = AnsiToWide(ToViewerUrl(Url));
    if (IsMainFrame && Browser->TranslateUrl(In, Out) == VV_S_OK && !Out.empty() && Out != In) {
      const QUrl Target = ToEngineUrl(WideToAnsi(Out));
      QMetaObject::invokeMethod(this, [this, Target] { setUrl(Target); }, Qt::QueuedConnection);
      return false;
    }
    return QWebEnginePage::acceptNavigationRequest(Url, Type, IsMainFrame);
  }

private:
  static QString Caption() { return QStringLiteral("Message from webpage"); }

  // A script dialog of a page from outside the book: it says where it comes
  // from, and the reader may silence that origin for the life of the window
  // (a page that opens dialogs in a loop must not trap the viewer). True when
  // the reader accepted.
  static QString SourceOf(const QUrl& Origin) {
    return Origin.toString(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment |
                           QUrl::StripTrailingSlash);
  }

  bool ForeignDialog(const QUrl& Origin, const QString& Msg, QMessageBox::StandardButtons Buttons) {
    const QString Source = SourceOf(Origin);
    if (Silenced.count(Source))
      return false;
    QMessageBox Box(QMessageBox::Warning, QStringLiteral("Message from %1").arg(Source), Msg, Buttons, Browser);
    Box.setInformativeText(QStringLiteral("This message comes from %1, not from the book.").arg(Source));
    Box.setCheckBox(new QCheckBox(QStringLiteral("Stop dialogs from this page"), &Box));
    const int Answer = Box.exec();
    if (Box.checkBox()->isChecked())
      Silenced.insert(Source);
    return Answer == QMessageBox::Ok;
  }

  TMXWebBrowser* Browser;
  std::set<QString> Silenced;
};

TMXWebBrowser::TMXWebBrowser(QWidget* Parent) : QWebEngineView(Parent) {
  QWebEngineProfile* Profile = QWebEngineProfile::defaultProfile();
  InstallScriptBridge(Profile);
  setPage(new TMXWebPage(Profile, this));
  // Book pages are Windows-1252 text.
  page()->settings()->setDefaultTextEncoding(QStringLiteral("windows-1252"));

  connect(page(), &QWebEnginePage::windowCloseRequested, this, &TMXWebBrowser::PageCloseRequested);
  connect(this, &QWebEngineView::loadStarted, this, [this] {
    SetReadyState(READYSTATE_LOADING);
    ApplyHostInfo();
  });
  connect(this, &QWebEngineView::urlChanged, this, [this](const QUrl&) {
    if (FReadyState == READYSTATE_LOADING)
      SetReadyState(READYSTATE_INTERACTIVE);
    const std::string URL = LocationURL();
    if (OnNavigateComplete2)
      OnNavigateComplete2(this, URL);
    emit NavigateComplete2(AnsiToQString(URL));
  });
  connect(this, &QWebEngineView::loadFinished, this, [this](bool) {
    SetReadyState(READYSTATE_COMPLETE);
    const std::string URL = LocationURL();
    if (OnDocumentComplete)
      OnDocumentComplete(this, URL);
    emit DocumentComplete(AnsiToQString(URL));
  });
  connect(this, &QWebEngineView::printFinished, this, [this](bool Success) {
    FPrinter.reset();
    if (!Success)
      emit PrintFailed(QPrinterInfo::availablePrinters().isEmpty() ? QStringLiteral("No printer is available")
                                                                   : QStringLiteral("The page could not be printed"));
  });
  connect(page(), &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus Status, int) { RenderProcessTerminated(Status); });
  qApp->installEventFilter(this);

  SetDownloadOptions({TDownloadControlOption::DLCTL_DLIMAGES, TDownloadControlOption::DLCTL_VIDEOS,
                      TDownloadControlOption::DLCTL_BGSOUNDS});
  SetUserInterfaceOptions({});
}

TMXWebBrowser::~TMXWebBrowser() {
  qApp->removeEventFilter(this);
  if (!FBridgeToken.isEmpty())
    CloseScriptBridge(FBridgeToken);
}

// A browser whose pages get a script object gets the bridge with its first
// document; one without (the print window) never has a token.
void TMXWebBrowser::PrepareBridge() {
  if (!FBridgeToken.isEmpty() || !OnGetExternal)
    return;
  FBridgeToken = OpenScriptBridge(this);
  QWebEngineScript Script;
  Script.setName(QStringLiteral("vv-external"));
  Script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  Script.setWorldId(QWebEngineScript::MainWorld);
  Script.setRunsOnSubFrames(true);
  Script.setSourceCode(ScriptBridgeSource(FBridgeToken));
  page()->scripts().insert(Script);
}

void TMXWebBrowser::SetDownloadOptions(const TDownloadControlOptions& Value) {
  FDownloadOptions = Value;
  FDownloadControlFlags = DownloadControlMask(Value);
  ApplyDownloadControlFlags();
}

void TMXWebBrowser::SetUserInterfaceOptions(const TUserInterfaceOptions& Value) {
  FUserInterfaceOptions = Value;
  FHostUIFlags = HostUIMask(Value);
  ApplyHostInfo();
}

// The engine's equivalents of the download-control flags it reads.
void TMXWebBrowser::ApplyDownloadControlFlags() {
  QWebEngineSettings* S = page()->settings();
  S->setAttribute(QWebEngineSettings::AutoLoadImages, (FDownloadControlFlags & DLCTL_DLIMAGES_BIT) != 0);
  S->setAttribute(QWebEngineSettings::JavascriptEnabled, (FDownloadControlFlags & DLCTL_NO_SCRIPTS_BIT) == 0);
}

void TMXWebBrowser::ApplyHostInfo() {
  TDocHostUIInfo Info;
  if (GetHostInfo(Info) != VV_S_OK)
    return;
  page()->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, (Info.dwFlags & DOCHOSTUIFLAG_SCROLL_NO) == 0);
}

HRESULT TMXWebBrowser::GetHostInfo(TDocHostUIInfo& pInfo) {
  pInfo.cbSize = 20;
  pInfo.dwFlags = static_cast<std::uint32_t>(FHostUIFlags);
  pInfo.dwDoubleClick = 0;
  return OnGetHostInfo ? OnGetHostInfo(pInfo) : VV_S_OK;
}

HRESULT TMXWebBrowser::ShowContextMenu(std::uint32_t dwID, const TPoint& ppt) {
  return OnShowContextMenu ? OnShowContextMenu(dwID, ppt) : VV_S_FALSE;
}

HRESULT TMXWebBrowser::ShowMessage(const std::u16string& Text, const std::u16string& Caption, std::int32_t Type,
                                   std::int32_t& Result) {
  return OnShowMessage ? OnShowMessage(0, Text, Caption, Type, u"", 0, Result) : VV_S_FALSE;
}

HRESULT TMXWebBrowser::TranslateAccelerator(const TKeyMessage& Msg) {
  return OnTranslateAccelerator ? OnTranslateAccelerator(Msg, nullptr, 0) : VV_S_FALSE;
}

HRESULT TMXWebBrowser::TranslateUrl(const std::u16string& In, std::u16string& Out) {
  return OnTranslateUrl ? OnTranslateUrl(0, In, Out) : VV_S_FALSE;
}

TDispatchRef TMXWebBrowser::GetExternal() {
  TDispatchRef Dispatch;
  if (!OnGetExternal)
    return nullptr;
  return OnGetExternal(Dispatch) == VV_S_OK ? Dispatch : nullptr;
}

void TMXWebBrowser::contextMenuEvent(QContextMenuEvent* Event) {
  std::uint32_t Kind = VV_CONTEXT_MENU_DEFAULT;
  if (const QWebEngineContextMenuRequest* R = lastContextMenuRequest()) {
    if (R->linkUrl().isValid())
      Kind = VV_CONTEXT_MENU_ANCHOR;
    else if (R->isContentEditable())
      Kind = VV_CONTEXT_MENU_CONTROL;
    else if (!R->selectedText().isEmpty())
      Kind = VV_CONTEXT_MENU_TEXTSELECT;
    else if (R->mediaType() == QWebEngineContextMenuRequest::MediaTypeImage)
      Kind = VV_CONTEXT_MENU_IMAGE;
  }
  if (ShowContextMenu(Kind, {Event->globalPos().x(), Event->globalPos().y()}) == VV_S_OK) {
    Event->accept();
    return;
  }
  QWebEngineView::contextMenuEvent(Event);
}

bool TMXWebBrowser::eventFilter(QObject* Watched, QEvent* Event) {
  if ((Event->type() == QEvent::WindowActivate || Event->type() == QEvent::WindowDeactivate) &&
      Watched == window() && OnOnFrameWindowActivate)
    (void)OnOnFrameWindowActivate(Event->type() == QEvent::WindowActivate);
  if (Event->type() == QEvent::KeyPress && OnTranslateAccelerator) {
    auto* W = qobject_cast<QWidget*>(Watched);
    if (W && (W == this || isAncestorOf(W))) {
      const auto* Key = static_cast<QKeyEvent*>(Event);
      TKeyMessage Msg;
      Msg.wParam = VirtualKey(Key->key());
      Msg.Modifiers = ModifierFlags(Key->modifiers());
      if (TranslateAccelerator(Msg) == VV_S_OK)
        return true; // handled by the host: the page never sees it
    }
  }
  return QWebEngineView::eventFilter(Watched, Event);
}

void TMXWebBrowser::resizeEvent(QResizeEvent* Event) {
  QWebEngineView::resizeEvent(Event);
  if (OnResizeBorder)
    (void)OnResizeBorder({0, 0, width(), height()}, false);
}

void TMXWebBrowser::focusInEvent(QFocusEvent* Event) {
  QWebEngineView::focusInEvent(Event);
  if (OnOnDocWindowActivate)
    (void)OnOnDocWindowActivate(true);
}

void TMXWebBrowser::focusOutEvent(QFocusEvent* Event) {
  QWebEngineView::focusOutEvent(Event);
  if (OnOnDocWindowActivate)
    (void)OnOnDocWindowActivate(false);
}

void TMXWebBrowser::RenderProcessTerminated(int Status) {
  if (Status == QWebEnginePage::NormalTerminationStatus || FRendererFailed)
    return;
  // Deaths are counted by time, not by page: whatever the page does with its
  // URL meanwhile, a second death soon after the reload is not reloaded.
  if (!FLastRendererReload.isValid() || FLastRendererReload.hasExpired(RendererRetryWindowMs)) {
    FLastRendererReload.start();
    FFailedUrl = url();
    QMetaObject::invokeMethod(this, [this] { reload(); }, Qt::QueuedConnection);
    return;
  }
  FRendererFailed = true;
  const char* Why = Status == QWebEnginePage::CrashedTerminationStatus ? "crashed"
                    : Status == QWebEnginePage::KilledTerminationStatus ? "was ended by the system"
                                                                        : "ended abnormally";
  const QString Page = QStringLiteral("<html><body style=\"font-family:sans-serif;margin:2em\">"
                                      "<h3>This page could not be shown</h3><p>The process that shows pages %1 "
                                      "twice while showing it. Choose another page, or press F5 to try again.</p>"
                                      "</body></html>")
                           .arg(QLatin1String(Why));
  QMetaObject::invokeMethod(this, [this, Page] { setHtml(Page, FFailedUrl); }, Qt::QueuedConnection);
}

void TMXWebBrowser::LeaveRendererFailure() { FRendererFailed = false; }

void TMXWebBrowser::SetReadyState(int Value) {
  FReadyState = Value;
  QtMessageLoop().Wake();
}

void TMXWebBrowser::PageCloseRequested() {
  bool CanClose = true;
  if (OnCloseQuery)
    OnCloseQuery(this, CanClose);
  if (!CanClose)
    return;
  emit CloseAccepted();
  close();
}

// ---- engine operations ----

void TMXWebBrowser::StartRenderer() {
  // Running a script is the one request that makes the engine set the page up
  // without navigating; the application's own world keeps it away from pages.
  page()->runJavaScript(QString(), QWebEngineScript::ApplicationWorld);
}

void TMXWebBrowser::Navigate(const std::string& URL) {
  PrepareBridge();
  SetReadyState(READYSTATE_LOADING);
  LeaveRendererFailure();
  const auto Colon = URL.find(':');
  FNavigatedScheme = Colon == std::string::npos ? std::string() : URL.substr(0, Colon);
  load(ToEngineUrl(URL));
}

void TMXWebBrowser::GoBack() {
  if (!history()->canGoBack())
    throw EWebBrowserError(VV_E_FAIL, SUnspecifiedError);
  LeaveRendererFailure();
  back();
}

void TMXWebBrowser::GoForward() {
  if (!history()->canGoForward())
    throw EWebBrowserError(VV_E_FAIL, SUnspecifiedError);
  LeaveRendererFailure();
  forward();
}

void TMXWebBrowser::GoHome() { Navigate(HomePage.empty() ? std::string("about:blank") : HomePage); }

void TMXWebBrowser::Stop() { stop(); }

void TMXWebBrowser::ExecWB(int CmdID, int, int Input) {
  switch (CmdID) {
  case OLECMDID_PRINT:
    // One print at a time; the printer lives until the engine has finished.
    if (FPrinter)
      throw EWebBrowserError(VV_E_FAIL, SUnspecifiedError);
    FPrinter = std::make_unique<QPrinter>();
    print(FPrinter.get());
    return;
  case OLECMDID_PRINTPREVIEW:
    // The command may come from page script, inside the engine's request:
    // the caller is answered first and the preview opens from the event loop.
    QMetaObject::invokeMethod(this, &TMXWebBrowser::OpenPrintPreview, Qt::QueuedConnection);
    return;
  case OLECMDID_COPY:
    triggerPageAction(QWebEnginePage::Copy);
    return;
  case OLECMDID_ZOOM:
    if (Input < 0 || Input >= static_cast<int>(ZoomFactors.size()))
      throw EWebBrowserError(VV_E_INVALIDARG, SInvalidArgument);
    setZoomFactor(ZoomFactors[static_cast<std::size_t>(Input)]);
    return;
  case OLECMDID_REFRESH:
    SetReadyState(READYSTATE_LOADING);
    // After a message about a dead page, refresh means that page again.
    if (FRendererFailed) {
      LeaveRendererFailure();
      load(FFailedUrl);
    } else {
      reload();
    }
    return;
  default:
    throw EWebBrowserError(VV_OLECMDERR_E_NOTSUPPORTED);
  }
}

void TMXWebBrowser::OpenPrintPreview() {
  // Asked again while it is prepared or shown, the preview comes forward.
  if (FPrintPreview) {
    FPrintPreview->raise();
    FPrintPreview->activateWindow();
    return;
  }
  auto* Dialog = new QPrintPreviewDialog(this);
  FPrintPreview = Dialog;
  Dialog->setAttribute(Qt::WA_DeleteOnClose);
  auto* Note = new QLabel(QLatin1String(SPreparingPages), Dialog);
  Note->setObjectName("lblPreparing");
  Note->setAlignment(Qt::AlignCenter);
  Note->setAutoFillBackground(true);
  Note->setFrameShape(QFrame::StyledPanel);
  Note->setMargin(12);
  Note->adjustSize();
  // The whole application is busy until the pages are there, or the window is gone.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  auto Busy = std::make_shared<bool>(true);
  const auto Ready = [Busy, Note = QPointer<QLabel>(Note)] {
    if (Note)
      Note->hide();
    if (std::exchange(*Busy, false))
      QApplication::restoreOverrideCursor();
  };
  connect(Dialog, &QObject::destroyed, this, Ready);
  auto Shown = std::make_shared<bool>(false);
  connect(Dialog, &QPrintPreviewDialog::paintRequested, this, [this, Dialog, Note, Shown, Ready](QPrinter* Printer) {
    // The first request comes while the window is being shown: answered
    // empty, so the window and its note show at once; the pages are asked
    // for again from the event loop.
    if (!std::exchange(*Shown, true)) {
      Note->move((Dialog->width() - Note->width()) / 2, (Dialog->height() - Note->height()) / 2);
      Note->raise();
      if (auto* Pages = Dialog->findChild<QPrintPreviewWidget*>())
        QMetaObject::invokeMethod(Pages, &QPrintPreviewWidget::updatePreview, Qt::QueuedConnection);
      return;
    }
    // Painting runs from the event loop, never inside a scheme request, so
    // waiting for the engine in a local loop is safe here.
    QEventLoop Loop;
    connect(this, &QWebEngineView::printFinished, &Loop, &QEventLoop::quit);
    print(Printer);
    Loop.exec();
    Ready();
  });
  Dialog->open();
}

std::string TMXWebBrowser::LocationURL() const {
  const QUrl U = url();
  if (U.isEmpty())
    return {};
  std::string Location = ToViewerUrl(U);
  const auto Colon = Location.find(':');
  if (Colon != std::string::npos && Colon == FNavigatedScheme.size() &&
      SameText(std::string_view(Location).substr(0, Colon), FNavigatedScheme))
    Location.replace(0, Colon, FNavigatedScheme);
  return Location;
}

std::u16string TMXWebBrowser::LocationName() const { return title().toStdU16String(); }

bool TMXWebBrowser::ShowsBookPage() const { return vv::IsBookScheme(url().scheme().toStdString()); }

bool TMXWebBrowser::IsBookScheme(std::string_view Scheme) const { return vv::IsBookScheme(Scheme); }

void TMXWebBrowser::LoadHTML(const std::string& Html) {
  PrepareBridge();
  SetReadyState(READYSTATE_LOADING);
  FLoadingHTML = true;
  setHtml(AnsiToQString(Html), QUrl(QStringLiteral("mfs:/")));
}

void TMXWebBrowser::QueryElements(std::function<void(std::vector<TDocumentElement>)> Callback) {
  static const QString Script = QStringLiteral(
      "(function(){var r=[],a=document.getElementsByTagName('*');"
      "for(var i=0;i<a.length;i++){var e=a[i];if(e.id)r.push([e.tagName,e.id,e.innerHTML]);}return r;})()");
  page()->runJavaScript(Script, [Alive = Liveness(), Callback = std::move(Callback)](const QVariant& Result) {
    // The engine answers pending queries empty as the page goes: not the caller's answer.
    if (!IsAlive(Alive))
      return;
    std::vector<TDocumentElement> Elements;
    for (const QVariant& Row : Result.toList()) {
      const QVariantList Fields = Row.toList();
      if (Fields.size() == 3)
        Elements.push_back({QStringToAnsi(Fields[0].toString()), QStringToAnsi(Fields[1].toString()),
                            QStringToAnsiHtml(Fields[2].toString())});
    }
    DeliverLater(Alive, std::move(Callback), std::move(Elements));
  });
}

void TMXWebBrowser::QueryInnerHTML(const std::string& Id, std::function<void(std::optional<std::string>)> Callback) {
  QString Quoted = AnsiToQString(Id);
  Quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
  const QString Script =
      QStringLiteral("(function(){var e=document.getElementById('%1');return e?e.innerHTML:null;})()").arg(Quoted);
  page()->runJavaScript(Script, [Alive = Liveness(), Callback = std::move(Callback)](const QVariant& Result) {
    if (!IsAlive(Alive))
      return;
    DeliverLater(Alive, std::move(Callback),
                 Result.isNull() || !Result.isValid() ? std::nullopt
                                                      : std::optional<std::string>(QStringToAnsiHtml(Result.toString())));
  });
}

TPoint TMXWebBrowser::ScrollPosition() const {
  // The engine reports device-independent pixels, which grow with the zoom.
  const QPoint Position = (page()->scrollPosition() / zoomFactor()).toPoint();
  return {Position.x(), Position.y()};
}

void TMXWebBrowser::ScrollTo(const TPoint& Position) {
  // In the viewer's own world: the page's scripts neither see nor replace it.
  page()->runJavaScript(QStringLiteral("window.scrollTo(%1,%2)").arg(Position.X).arg(Position.Y),
                        QWebEngineScript::ApplicationWorld);
}

void TMXWebBrowser::FocusPage() { setFocus(); }

} // namespace vv
