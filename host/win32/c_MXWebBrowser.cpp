#include "host/win32/c_MXWebBrowser.h"

#include <ocidl.h>
#include <olectl.h>

#include <utility>

#include "host/win32/u_BrowserEvents.h"
#include "host/win32/u_BrowserSite.h"
#include "host/win32/u_DocumentQueries.h"
#include "host/win32/u_WideText.h"
#include "platform/win32/u_WindowClass.h"
#include "text/u_Utils.h"

namespace vv {

namespace {

constexpr const wchar_t* WindowClass = L"VellumviewBrowser";
constexpr const char* SInvalidArgument = "The parameter is incorrect";
constexpr int LargestTextSize = 4;

// The system's own words for a failed call.
std::string SystemMessage(::HRESULT Result) {
  wchar_t* Text = nullptr;
  const DWORD Length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, static_cast<DWORD>(Result), 0, reinterpret_cast<LPWSTR>(&Text), 0, nullptr);
  std::u16string Message = Length ? WideOf(Text) : std::u16string();
  LocalFree(Text);
  while (!Message.empty() && (Message.back() == u'\r' || Message.back() == u'\n' || Message.back() == u'.' ||
                              Message.back() == u' '))
    Message.pop_back();
  return WideToBook(Message);
}

std::string SchemeOf(const std::string& URL) {
  const auto Colon = URL.find(':');
  return Colon == std::string::npos ? std::string() : URL.substr(0, Colon);
}

// Whether Html sets its own base for relative references.
bool HasBase(const std::string& Html) {
  for (std::size_t At = Html.find('<'); At != std::string::npos; At = Html.find('<', At + 1))
    if (At + 5 <= Html.size() && SameText(std::string_view(Html).substr(At + 1, 4), "base"))
      return true;
  return false;
}

} // namespace

TMXWebBrowser::TMXWebBrowser(HWND Parent, IMessageLoop& Loop) : FLoop(Loop) {
  RegisterWindowClass({WindowClass, &TMXWebBrowser::WindowProc});
  RECT Bounds{};
  GetClientRect(Parent, &Bounds);
  FWindow = CreateWindowExW(0, WindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                            Bounds.right, Bounds.bottom, Parent, nullptr, GetModuleHandleW(nullptr), this);
  if (!FWindow) {
    const DWORD Error = GetLastError();
    Check(Error ? HRESULT_FROM_WIN32(Error) : E_FAIL);
  }
  try {
    CreateControl();
  } catch (...) {
    DestroyControl();
    DestroyWindow(FWindow);
    throw;
  }
}

TMXWebBrowser::~TMXWebBrowser() {
  // Pending answers and close requests are dropped from here on.
  FLifetime.reset();
  DestroyControl();
  SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
  DestroyWindow(FWindow);
}

void TMXWebBrowser::CreateControl() {
  FSite = new TBrowserSite(*this);
  Check(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, FObject.OutVoid()));
  Check(FObject->SetClientSite(FSite));
  SetDownloadOptions({TDownloadControlOption::DLCTL_DLIMAGES, TDownloadControlOption::DLCTL_VIDEOS,
                      TDownloadControlOption::DLCTL_BGSOUNDS});
  SetUserInterfaceOptions({});
  RECT Bounds{};
  GetClientRect(FWindow, &Bounds);
  Check(FObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, FSite, 0, FWindow, &Bounds));
  FBrowser = TComPtr<IWebBrowser2>::Query(FObject.Get(), IID_IWebBrowser2);
  if (!FBrowser)
    Check(E_NOINTERFACE);
  ConnectEvents();
}

void TMXWebBrowser::ConnectEvents() {
  const auto Identity = TComPtr<IUnknown>::Query(FBrowser.Get(), IID_IUnknown);
  FEvents = new TBrowserEvents(Identity.Get());
  FEvents->OnBeforeNavigate2 = [this](const std::u16string& URL, bool Top, bool& Cancel) {
    BeforeNavigate(URL, Top, Cancel);
  };
  FEvents->OnNavigateComplete2 = [this](const std::u16string& URL, bool Top) { Navigated(URL, Top, false); };
  FEvents->OnDocumentComplete = [this](const std::u16string& URL, bool Top) { Navigated(URL, Top, true); };
  FEvents->OnWindowClosing = [this] { RequestClose(); };
  FEvents->OnProgress = [this] { FLoop.Wake(); };
  const auto Points = TComPtr<IConnectionPointContainer>::Query(FBrowser.Get(), IID_IConnectionPointContainer);
  TComPtr<IConnectionPoint> Point;
  Check(Points ? Points->FindConnectionPoint(DIID_DWebBrowserEvents2, Point.Out()) : E_NOINTERFACE);
  Check(Point->Advise(static_cast<::IDispatch*>(FEvents), &FEventsCookie));
}

// The control is deactivated and closed before its site goes; the engine may
// still hold the site and the sink, which then answer as if nobody listened.
void TMXWebBrowser::DestroyControl() noexcept {
  try {
    if (FEvents) {
      FEvents->Detach();
      const auto Points = TComPtr<IConnectionPointContainer>::Query(FBrowser.Get(), IID_IConnectionPointContainer);
      TComPtr<IConnectionPoint> Point;
      if (FEventsCookie && Points && SUCCEEDED(Points->FindConnectionPoint(DIID_DWebBrowserEvents2, Point.Out())))
        (void)Point->Unadvise(FEventsCookie);
      FEvents->Release();
      FEvents = nullptr;
    }
    if (FSite)
      FSite->Detach();
    if (FBrowser)
      (void)FBrowser->Stop();
    if (FObject) {
      if (const auto InPlace = TComPtr<IOleInPlaceObject>::Query(FObject.Get(), IID_IOleInPlaceObject))
        (void)InPlace->InPlaceDeactivate();
      (void)FObject->Close(OLECLOSE_NOSAVE);
      (void)FObject->SetClientSite(nullptr);
    }
    FBrowser.Reset();
    FObject.Reset();
    if (FSite) {
      FSite->Release();
      FSite = nullptr;
    }
  } catch (...) {
    // Teardown goes on; nothing here raises but the callbacks' copies.
  }
}

LRESULT CALLBACK TMXWebBrowser::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) noexcept {
  if (Message == WM_NCCREATE)
    SetWindowLongPtrW(Window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(LParam)->lpCreateParams));
  auto* Self = reinterpret_cast<TMXWebBrowser*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
  try {
    if (Self && Self->FObject)
      switch (Message) {
      case WM_SIZE:
        if (const auto InPlace = TComPtr<IOleInPlaceObject>::Query(Self->FObject.Get(), IID_IOleInPlaceObject)) {
          RECT Bounds{0, 0, LOWORD(LParam), HIWORD(LParam)};
          (void)InPlace->SetObjectRects(&Bounds, &Bounds);
        }
        return 0;
      case WM_CLOSE:
        // Never destroyed by the message: the owner closes the control.
        Self->RequestClose();
        return 0;
      case WM_SETFOCUS:
        Self->FocusPage();
        return 0;
      default:
        break;
      }
  } catch (...) {
    return 0;
  }
  return DefWindowProcW(Window, Message, WParam, LParam);
}

void TMXWebBrowser::Check(::HRESULT Result) const {
  if (FAILED(Result)) {
    const std::string Message = SystemMessage(Result);
    if (Message.empty())
      throw EWebBrowserError(Result);
    throw EWebBrowserError(Result, Message);
  }
}

// ---- the window's part ----

void TMXWebBrowser::SetBounds(const RECT& Bounds) {
  MoveWindow(FWindow, Bounds.left, Bounds.top, Bounds.right - Bounds.left, Bounds.bottom - Bounds.top, TRUE);
}

void TMXWebBrowser::SetDownloadOptions(const TDownloadControlOptions& Value) {
  FDownloadOptions = Value;
  FDownloadControlFlags = DownloadControlMask(Value);
  NotifyDownloadControl();
}

void TMXWebBrowser::SetUserInterfaceOptions(const TUserInterfaceOptions& Value) {
  FUserInterfaceOptions = Value;
  FHostUIFlags = HostUIMask(Value);
  // The engine reads the host flags through GetHostInfo with each document;
  // both setters tell it as the text says.
  NotifyDownloadControl();
}

void TMXWebBrowser::NotifyDownloadControl() {
  if (const auto Control = TComPtr<IOleControl>::Query(FObject.Get(), IID_IOleControl))
    (void)Control->OnAmbientPropertyChange(DispidAmbientDownloadControl);
}

bool TMXWebBrowser::PreTranslateMessage(MSG& Message) {
  if (Message.message < WM_KEYFIRST || Message.message > WM_KEYLAST || !FBrowser)
    return false;
  if (Message.hwnd != FWindow && !IsChild(FWindow, Message.hwnd))
    return false;
  const auto Active = TComPtr<IOleInPlaceActiveObject>::Query(FBrowser.Get(), IID_IOleInPlaceActiveObject);
  return Active && Active->TranslateAccelerator(&Message) == S_OK;
}

::IDispatch* TMXWebBrowser::EventSink() const { return FEvents; }

TComPtr<::IDispatch> TMXWebBrowser::Document() const {
  TComPtr<::IDispatch> Result;
  if (FBrowser && FAILED(FBrowser->get_Document(Result.Out())))
    Result.Reset();
  return Result;
}

// ---- events ----

// A page from outside the book does not lead into it; only the viewer's own
// navigations (Navigate, history, LoadHTML) and the book's pages do.
void TMXWebBrowser::BeforeNavigate(const std::u16string& URL, bool Top, bool& Cancel) {
  FLoop.Wake();
  if (!Top)
    return;
  const bool ByViewer = std::exchange(FViewerNavigation, false);
  if (!ByViewer && IsBookScheme(SchemeOf(WideToBook(URL))) && !ShowsBookPage() && !FPendingHtml)
    Cancel = true;
}

void TMXWebBrowser::Navigated(const std::u16string& URL, bool Top, bool Complete) {
  FLoop.Wake();
  if (Top && Complete && FPendingHtml) {
    const std::string Html = std::exchange(FPendingHtml, std::nullopt).value();
    // With a document, its own completion follows the load.
    if (LoadDocumentHtml(Document().Get(), Html))
      return;
  }
  // The blank page LoadHTML's text waits for is no page of the logic's.
  if (FPendingHtml)
    return;
  const std::string Location = Top ? LocationURL() : WideToBook(URL);
  if (const auto Event = Complete ? OnDocumentComplete : OnNavigateComplete2)
    Event(this, Location);
}

void TMXWebBrowser::RequestClose() {
  FLoop.Post([this, Alive = Liveness()] {
    if (!IsAlive(Alive))
      return;
    bool CanClose = true;
    if (const auto Query = OnCloseQuery)
      Query(this, CanClose);
    if (!CanClose || !IsAlive(Alive))
      return;
    if (const auto Accepted = OnCloseAccepted)
      Accepted();
  });
}

// ---- engine operations ----

// A navigation of the viewer's own: it may lead into the book from anywhere.
void TMXWebBrowser::ViewerNavigation(const std::function<::HRESULT()>& Start) {
  FViewerNavigation = true;
  const ::HRESULT Result = Start();
  FLoop.Wake();
  if (FAILED(Result))
    FViewerNavigation = false;
  Check(Result);
}

void TMXWebBrowser::StartNavigation(const std::string& URL) {
  FNavigatedScheme = SchemeOf(URL);
  ViewerNavigation([&] {
    VARIANT Empty;
    VariantInit(&Empty);
    return FBrowser->Navigate(TBstr(BookToWide(URL)), &Empty, &Empty, &Empty, &Empty);
  });
}

void TMXWebBrowser::Navigate(const std::string& URL) {
  FPendingHtml.reset();
  StartNavigation(URL);
}

void TMXWebBrowser::GoBack() {
  ViewerNavigation([this] { return FBrowser->GoBack(); });
}

void TMXWebBrowser::GoForward() {
  ViewerNavigation([this] { return FBrowser->GoForward(); });
}

void TMXWebBrowser::GoHome() { Navigate(HomePage.empty() ? std::string("about:blank") : HomePage); }

void TMXWebBrowser::Stop() { Check(FBrowser->Stop()); }

// Text sizes 0-4 are the engine's own zoom levels, smallest to largest.
void TMXWebBrowser::ExecWB(int CmdID, int CmdExecOpt, int Input) {
  VARIANT In;
  VariantInit(&In);
  if (CmdID == OLECMDID_ZOOM) {
    if (Input < 0 || Input > LargestTextSize)
      throw EWebBrowserError(E_INVALIDARG, SInvalidArgument);
    V_VT(&In) = VT_I4;
    V_I4(&In) = Input;
  }
  Check(FBrowser->ExecWB(static_cast<OLECMDID>(CmdID), static_cast<OLECMDEXECOPT>(CmdExecOpt),
                         CmdID == OLECMDID_ZOOM ? &In : nullptr, nullptr));
}

int TMXWebBrowser::ReadyState() const {
  if (FPendingHtml)
    return READYSTATE_LOADING;
  ::READYSTATE State = ::READYSTATE_UNINITIALIZED;
  if (FAILED(FBrowser->get_ReadyState(&State)))
    return READYSTATE_UNINITIALIZED;
  return static_cast<int>(State);
}

std::string TMXWebBrowser::LocationURL() const {
  TBstr Location;
  if (FAILED(FBrowser->get_LocationURL(Location.Out())))
    return {};
  std::string URL = Location.Book();
  const auto Colon = URL.find(':');
  if (Colon != std::string::npos && Colon == FNavigatedScheme.size() &&
      SameText(std::string_view(URL).substr(0, Colon), FNavigatedScheme))
    URL.replace(0, Colon, FNavigatedScheme);
  return URL;
}

std::u16string TMXWebBrowser::LocationName() const {
  TBstr Name;
  return SUCCEEDED(FBrowser->get_LocationName(Name.Out())) ? WideOf(Name) : std::u16string();
}

bool TMXWebBrowser::ShowsBookPage() const { return IsBookScheme(SchemeOf(LocationURL())); }

bool TMXWebBrowser::IsBookScheme(std::string_view Scheme) const {
  return !Scheme.empty() && ProtocolSession.Find(Scheme) != nullptr;
}

// The text replaces a blank document once that is there; its relative
// references resolve against the book's root unless it sets its own base.
void TMXWebBrowser::LoadHTML(const std::string& Html) {
  FPendingHtml = HasBase(Html) ? Html : "<base href=\"mfs:\\\">" + Html;
  try {
    StartNavigation("about:blank");
  } catch (...) {
    FPendingHtml.reset();
    throw;
  }
}

void TMXWebBrowser::QueryElements(std::function<void(std::vector<TDocumentElement>)> Callback) {
  FLoop.Post([Alive = Liveness(), Callback = std::move(Callback), Elements = DocumentElements(Document().Get())]() mutable {
    if (IsAlive(Alive))
      Callback(std::move(Elements));
  });
}

void TMXWebBrowser::QueryInnerHTML(const std::string& Id, std::function<void(std::optional<std::string>)> Callback) {
  FLoop.Post([Alive = Liveness(), Callback = std::move(Callback), Html = ElementInnerHTML(Document().Get(), Id)]() mutable {
    if (IsAlive(Alive))
      Callback(std::move(Html));
  });
}

TPoint TMXWebBrowser::ScrollPosition() const { return DocumentScroll(Document().Get()); }

void TMXWebBrowser::ScrollTo(const TPoint& Position) { ScrollDocument(Document().Get(), Position); }

void TMXWebBrowser::FocusPage() {
  RECT Bounds{};
  GetClientRect(FWindow, &Bounds);
  (void)FObject->DoVerb(OLEIVERB_UIACTIVATE, nullptr, FSite, 0, FWindow, &Bounds);
  FocusDocument(Document().Get());
  // Where the engine took no focus (no document yet), our window holds it:
  // the reader's keys must still reach the window, Escape included.
  const HWND Focus = GetFocus();
  if (Focus != FWindow && !IsChild(FWindow, Focus))
    SetFocus(FWindow);
}

TLiveness TMXWebBrowser::Liveness() const { return FLifetime ? FLifetime->Token() : TLiveness(); }

TBrowserWindowFactory CreateBrowserWindow(IMessageLoop& Loop) {
  return [&Loop](HWND Parent) -> std::unique_ptr<IBrowserWindow> { return std::make_unique<TMXWebBrowser>(Parent, Loop); };
}

} // namespace vv
