#include "host/obj_WebBrowser.h"

#include "platform/u_BookText.h"

namespace vv {

namespace {
// Dispatch identifiers of the platform browser's members.
enum : std::int32_t {
  DISPID_GOBACK = 100,
  DISPID_GOFORWARD = 101,
  DISPID_GOHOME = 102,
  DISPID_NAVIGATE = 104,
  DISPID_STOP = 106,
  DISPID_LOCATIONNAME = 210,
  DISPID_LOCATIONURL = 211,
  DISPID_BUSY = 212,
  DISPID_EXECWB = 502,
  DISPID_READYSTATE = -525,
  DISPID_REFRESH = -550,
};

constexpr const char* SNavigationRefused =
    "Navigate: \"%s\" is not a page of the book nor an http, https or mailto address";

// Pages may open the book's pages and the web; never the reader's files, nor
// URLs that run or carry content of their own (javascript:, data:, blob:).
bool ScriptMayNavigateTo(const IBrowser& Browser, std::string_view URL) {
  const auto Colon = URL.find(':');
  if (Colon == std::string_view::npos)
    return false;
  const std::string_view Scheme = URL.substr(0, Colon);
  return Browser.IsBookScheme(Scheme) || SameText(Scheme, "http") || SameText(Scheme, "https") || SameText(Scheme, "mailto");
}
} // namespace

TWebBrowserObject::TWebBrowserObject(IBrowser& Browser) : FBrowser(&Browser), FAlive(Browser.Liveness()) {
  DeclareMethod("Navigate", DISPID_NAVIGATE, [this](const TOleVariantList& Args) {
    if (Args.empty())
      throw EDispatchError("Argument not optional");
    const std::string URL = WideToBook(VariantToWide(Args[0]));
    if (!ScriptMayNavigateTo(this->Browser(), URL))
      throw EDispatchError(Format(SNavigationRefused, URL));
    this->Browser().Navigate(URL);
    return TOleVariant();
  });
  DeclareMethod("GoBack", DISPID_GOBACK, [this](const TOleVariantList&) {
    this->Browser().GoBack();
    return TOleVariant();
  });
  DeclareMethod("GoForward", DISPID_GOFORWARD, [this](const TOleVariantList&) {
    this->Browser().GoForward();
    return TOleVariant();
  });
  DeclareMethod("GoHome", DISPID_GOHOME, [this](const TOleVariantList&) {
    this->Browser().GoHome();
    return TOleVariant();
  });
  DeclareMethod("Refresh", DISPID_REFRESH, [this](const TOleVariantList&) {
    this->Browser().ExecWB(OLECMDID_REFRESH);
    return TOleVariant();
  });
  DeclareMethod("Stop", DISPID_STOP, [this](const TOleVariantList&) {
    this->Browser().Stop();
    return TOleVariant();
  });
  DeclareMethod("ExecWB", DISPID_EXECWB, [this](const TOleVariantList& Args) {
    if (Args.size() < 2)
      throw EDispatchError("Argument not optional");
    this->Browser().ExecWB(VariantToInt(Args[0]), VariantToInt(Args[1]), Args.size() > 2 ? VariantToInt(Args[2]) : 0);
    return TOleVariant();
  });
  DeclareGet("LocationURL", DISPID_LOCATIONURL,
             [this] { return TOleVariant(BookToWide(this->Browser().LocationURL())); });
  DeclareGet("LocationName", DISPID_LOCATIONNAME,
             [this] { return TOleVariant(this->Browser().LocationName()); });
  DeclareGet("ReadyState", DISPID_READYSTATE, [this] { return TOleVariant(std::int32_t{this->Browser().ReadyState()}); });
  DeclareGet("Busy", DISPID_BUSY,
             [this] { return TOleVariant(this->Browser().ReadyState() != READYSTATE_COMPLETE); });
}

IBrowser& TWebBrowserObject::Browser() const {
  if (!IsAlive(FAlive))
    throw EDispatchError("The browser is no longer available");
  return *FBrowser;
}

} // namespace vv
