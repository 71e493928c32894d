#include "host/u_ScriptBridge.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QUrlQuery>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QRandomGenerator>
#include <array>
#include <cmath>
#include <map>
#include <vector>

#include "host/c_MXWebBrowser.h"
#include "platform/u_Ansi.h"
#include "platform/u_WebEngineProtocol.h"

namespace vv {

namespace {
constexpr const char* SUnknownMember = "Object doesn't support this property or method";
constexpr const char* SNoExternal = "window.external is not available";
constexpr const char* SReleased = "The object invoked has disconnected from its clients";

// One browser's end of the bridge: the objects handed to its pages, by
// handle; 0 is the browser's external object.
struct TBridgeEnd {
  TMXWebBrowser* Browser;
  std::vector<TDispatchRef> Objects{nullptr};

  int HandleOf(const TDispatchRef& Object) {
    for (std::size_t I = 1; I < Objects.size(); ++I)
      if (Objects[I] == Object)
        return static_cast<int>(I);
    Objects.push_back(Object);
    return static_cast<int>(Objects.size() - 1);
  }
  [[nodiscard]] TDispatchRef Find(int Handle) const {
    return Handle > 0 && Handle < static_cast<int>(Objects.size()) ? Objects[static_cast<std::size_t>(Handle)]
                                                                   : nullptr;
  }
};

std::map<QString, TBridgeEnd>& BridgeEnds() {
  static std::map<QString, TBridgeEnd> Ends;
  return Ends;
}

std::u16string Wide(const QString& S) {
  return std::u16string(reinterpret_cast<const char16_t*>(S.utf16()), static_cast<std::size_t>(S.size()));
}

TOleVariant FromJson(const TBridgeEnd& End, const QJsonValue& V) {
  switch (V.type()) {
  case QJsonValue::Bool:
    return V.toBool();
  case QJsonValue::Double: {
    const double D = V.toDouble();
    if (std::trunc(D) == D && D >= -2147483648.0 && D <= 2147483647.0)
      return static_cast<std::int32_t>(D);
    return D;
  }
  case QJsonValue::String:
    return Wide(V.toString());
  case QJsonValue::Object:
    if (TDispatchRef Object = End.Find(V.toObject().value(QStringLiteral("$h")).toInt(-1)))
      return Object;
    return {};
  default:
    return {};
  }
}

QJsonValue ToJson(TBridgeEnd& End, const TOleVariant& V) {
  if (const auto* B = std::get_if<bool>(&V))
    return *B;
  if (const auto* I = std::get_if<std::int32_t>(&V))
    return *I;
  if (const auto* D = std::get_if<double>(&V))
    return *D;
  if (const auto* S = std::get_if<std::u16string>(&V))
    return QString::fromUtf16(S->data(), static_cast<qsizetype>(S->size()));
  if (const auto* O = std::get_if<TDispatchRef>(&V); O && *O)
    return QJsonObject{{QStringLiteral("$h"), End.HandleOf(*O)}};
  return QJsonValue::Null;
}

void Answer(const QPointer<QWebEngineUrlRequestJob>& Job, const QJsonObject& Body) {
  if (!Job)
    return; // the page went away while a modal window was open
  auto* Buffer = new QBuffer(Job.data());
  Buffer->setData(QJsonDocument(Body).toJson(QJsonDocument::Compact));
  Job->reply("application/json", Buffer);
}

void Refuse(QWebEngineUrlRequestJob* Job) { Job->fail(QWebEngineUrlRequestJob::RequestDenied); }
} // namespace

void InstallScriptBridge(QWebEngineProfile* Profile) {
  static QWebEngineProfile* InstalledOn = nullptr;
  if (InstalledOn == Profile)
    return;
  // One handler for the process; it lives as long as the application.
  static auto* Handler = new TScriptBridgeHandler();
  Profile->installUrlSchemeHandler(BridgeScheme, Handler);
  InstalledOn = Profile;
}

QString OpenScriptBridge(TMXWebBrowser* Browser) {
  QString Token;
  do {
    std::array<quint32, 4> Random{};
    QRandomGenerator::system()->fillRange(Random.data(), Random.size());
    Token = QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(Random.data()), sizeof Random).toHex());
  } while (BridgeEnds().count(Token));
  BridgeEnds().emplace(Token, TBridgeEnd{Browser});
  return Token;
}

void CloseScriptBridge(const QString& Token) { BridgeEnds().erase(Token); }

QString ScriptBridgeSource(const QString& Token) {
  // Members become synchronous requests; member names go as written and are
  // matched without regard to case on our side.
  static const char* Source = R"JS(
(function () {
  var schemes = %1;
  if (schemes.indexOf(location.protocol.replace(':', '').toLowerCase()) < 0) return;
  var base = '%2:/%3/';
  var proxies = {}, handles = new WeakMap();
  var probes = { then: 1, toJSON: 1, valueOf: 1, toString: 1, constructor: 1, inspect: 1 };
  function encode(v) {
    if (v !== null && (typeof v === 'object' || typeof v === 'function') && handles.has(v)) return { $h: handles.get(v) };
    if (v === undefined || typeof v === 'function' || typeof v === 'symbol' || typeof v === 'bigint') return null;
    if (typeof v === 'object' && v !== null) return null;
    return v;
  }
  function decode(v) {
    if (v !== null && typeof v === 'object') return v.$h !== undefined ? proxy(v.$h) : undefined;
    return v === null ? undefined : v;
  }
  function request(op, handle, name, args) {
    var x = new XMLHttpRequest();
    x.open('GET', base + op + '?h=' + handle + '&n=' + encodeURIComponent(name) +
      '&a=' + encodeURIComponent(JSON.stringify((args || []).map(encode))), false);
    x.send();
    var r = JSON.parse(x.responseText);
    if (!r.ok) throw new Error(r.e);
    return r.v;
  }
  function proxy(handle) {
    if (proxies[handle]) return proxies[handle];
    var methods = Object.create(null);
    var p = new Proxy({}, {
      get: function (t, name) {
        if (typeof name !== 'string') return undefined;
        // A member that is a method stays one: later reads need no request.
        var key = name.toLowerCase();
        if (methods[key]) return methods[key];
        var v;
        try { v = request('get', handle, name); }
        catch (e) { if (probes[name]) return undefined; throw e; }
        if (v !== null && typeof v === 'object' && v.$m)
          return methods[key] = function () {
            return decode(request('call', handle, name, Array.prototype.slice.call(arguments)));
          };
        return decode(v);
      },
      set: function (t, name, value) {
        if (typeof name !== 'string') return false;
        request('put', handle, name, [value]);
        return true;
      },
      has: function (t, name) {
        try { request('has', handle, String(name)); return true; } catch (e) { return false; }
      }
    });
    proxies[handle] = p;
    handles.set(p, handle);
    return p;
  }
  Object.defineProperty(window, 'external', { value: proxy(0), configurable: false, enumerable: true, writable: false });
})();
)JS";
  QJsonArray Schemes;
  for (const std::string& Name : BookSchemeNames())
    Schemes.append(QString::fromStdString(Name));
  return QString::fromUtf8(Source)
      .arg(QString::fromUtf8(QJsonDocument(Schemes).toJson(QJsonDocument::Compact)))
      .arg(QString::fromLatin1(BridgeScheme))
      .arg(Token);
}

void TScriptBridgeHandler::requestStarted(QWebEngineUrlRequestJob* Job) {
  // Only pages of the book's own schemes may reach the viewer.
  const QUrl Initiator = Job->initiator();
  if (!IsBookScheme(Initiator.scheme().toStdString())) {
    Refuse(Job);
    return;
  }
  const QUrl Url = Job->requestUrl();
  const QStringList Parts = Url.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
  const auto Found = Parts.size() == 2 ? BridgeEnds().find(Parts[0]) : BridgeEnds().end();
  if (Found == BridgeEnds().end()) {
    Refuse(Job);
    return;
  }
  // The browser's pages hold handles of this table only; it lives until the
  // browser goes, which closes its end first.
  TBridgeEnd& End = Found->second;
  const QString Op = Parts[1];
  const QUrlQuery Query(Url);
  const int Handle = Query.queryItemValue(QStringLiteral("h")).toInt();
  const QString Name = Query.queryItemValue(QStringLiteral("n"), QUrl::FullyDecoded);
  const QJsonArray JsonArgs =
      QJsonDocument::fromJson(Query.queryItemValue(QStringLiteral("a"), QUrl::FullyDecoded).toUtf8()).array();

  QPointer<QWebEngineUrlRequestJob> Guard(Job);
  auto Fail = [Guard](const std::string& Message) {
    Answer(Guard, {{QStringLiteral("ok"), false}, {QStringLiteral("e"), AnsiToQString(Message)}});
  };
  // An answer that comes after the browser went finds its end gone.
  auto Return = [Guard, Token = Parts[0]](const TOleVariant& Value) {
    const auto Current = BridgeEnds().find(Token);
    if (Current == BridgeEnds().end())
      Answer(Guard, {{QStringLiteral("ok"), false}, {QStringLiteral("e"), QLatin1String(SReleased)}});
    else
      Answer(Guard, {{QStringLiteral("ok"), true}, {QStringLiteral("v"), ToJson(Current->second, Value)}});
  };

  TDispatchRef Object = Handle == 0 ? End.Browser->GetExternal() : End.Find(Handle);
  if (!Object) {
    Fail(Handle == 0 ? SNoExternal : SReleased);
    return;
  }
  try {
    // Names arrive as UTF-16 from script; member names are ASCII.
    const std::int32_t DispID = Object->GetIDOfName(Name.toStdString());
    const std::uint16_t Kinds = DispID == VV_DISPID_UNKNOWN ? 0 : Object->GetMemberKinds(DispID);
    TOleVariantList Args;
    for (const QJsonValue& V : JsonArgs)
      Args.push_back(FromJson(End, V));
    const TDispatchReply Reply(Return, Fail);
    if (Op == QLatin1String("has")) {
      Kinds ? Return({}) : Fail(SUnknownMember);
    } else if (Kinds == 0) {
      Fail(SUnknownMember);
    } else if (Op == QLatin1String("get")) {
      if (Kinds & VV_DISPATCH_PROPERTYGET)
        Object->Invoke(DispID, VV_DISPATCH_PROPERTYGET, {}, Reply);
      else
        Answer(Guard, {{QStringLiteral("ok"), true}, {QStringLiteral("v"), QJsonObject{{QStringLiteral("$m"), 1}}}});
    } else if (Op == QLatin1String("call")) {
      Object->Invoke(DispID, (Kinds & VV_DISPATCH_METHOD) ? VV_DISPATCH_METHOD : VV_DISPATCH_PROPERTYGET, Args, Reply);
    } else if (Op == QLatin1String("put")) {
      Object->Invoke(DispID, VV_DISPATCH_PROPERTYPUT, Args, Reply);
    } else {
      Refuse(Job);
    }
  } catch (const std::exception& E) {
    Fail(E.what());
  }
}

} // namespace vv
