#include "platform/u_WebEngineProtocol.h"

#include <QBuffer>
#include <QString>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <unistd.h>

#include "platform/u_Ansi.h"
#include "text/u_Convert.h"

namespace vv {

namespace {
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);

std::vector<std::string>& BookSchemes() {
  static std::vector<std::string> Schemes;
  return Schemes;
}

std::string Lower(std::string_view S) {
  std::string R(S);
  std::transform(R.begin(), R.end(), R.begin(), [](unsigned char C) { return static_cast<char>(std::tolower(C)); });
  return R;
}

int HexValue(char C) {
  if (C >= '0' && C <= '9')
    return C - '0';
  if (C >= 'a' && C <= 'f')
    return C - 'a' + 10;
  if (C >= 'A' && C <= 'F')
    return C - 'A' + 10;
  return -1;
}

// Byte value of "%XX" at I, or -1.
int EscapeAt(const QByteArray& S, qsizetype I) {
  if (I + 2 >= S.size() || S[I] != '%')
    return -1;
  const int Hi = HexValue(S[I + 1]), Lo = HexValue(S[I + 2]);
  return Hi < 0 || Lo < 0 ? -1 : Hi * 16 + Lo;
}

std::string PathOf(const QUrl& Url) {
  QByteArray Encoded = Url.path(QUrl::FullyEncoded).toLatin1();
  if (Url.hasQuery())
    Encoded += '?' + Url.query(QUrl::FullyEncoded).toLatin1();
  return DecodeEngineEscapes(Encoded);
}

struct TMimeEntry {
  const char* Ext;
  const char* Type;
};
// Types of the files real sites ship; unknown extensions are sniffed.
constexpr TMimeEntry MimeTable[] = {
    {"htm", "text/html"},          {"html", "text/html"},             {"shtml", "text/html"},
    {"hta", "text/html"},          {"xhtml", "application/xhtml+xml"}, {"xht", "application/xhtml+xml"},
    {"css", "text/css"},           {"js", "text/javascript"},         {"mjs", "text/javascript"},
    {"cjs", "text/javascript"},    {"json", "application/json"},      {"map", "application/json"},
    {"webmanifest", "application/manifest+json"}, {"wasm", "application/wasm"},
    {"png", "image/png"},          {"apng", "image/apng"},            {"gif", "image/gif"},
    {"jpg", "image/jpeg"},         {"jpeg", "image/jpeg"},            {"jpe", "image/jpeg"},
    {"jfif", "image/jpeg"},        {"bmp", "image/bmp"},              {"ico", "image/x-icon"},
    {"cur", "image/x-icon"},       {"svg", "image/svg+xml"},          {"svgz", "image/svg+xml"},
    {"webp", "image/webp"},        {"avif", "image/avif"},            {"tif", "image/tiff"},
    {"tiff", "image/tiff"},        {"txt", "text/plain"},             {"text", "text/plain"},
    {"md", "text/markdown"},       {"csv", "text/csv"},               {"tsv", "text/tab-separated-values"},
    {"vtt", "text/vtt"},           {"xml", "text/xml"},               {"xsl", "text/xml"},
    {"xslt", "text/xml"},          {"xsd", "text/xml"},               {"dtd", "application/xml-dtd"},
    {"rss", "application/rss+xml"}, {"atom", "application/atom+xml"}, {"pdf", "application/pdf"},
    {"woff", "font/woff"},         {"woff2", "font/woff2"},           {"ttf", "font/ttf"},
    {"otf", "font/otf"},           {"eot", "application/vnd.ms-fontobject"},
    {"mp3", "audio/mpeg"},         {"m4a", "audio/mp4"},              {"aac", "audio/aac"},
    {"wav", "audio/wav"},          {"ogg", "audio/ogg"},              {"oga", "audio/ogg"},
    {"opus", "audio/ogg"},         {"flac", "audio/flac"},            {"mp4", "video/mp4"},
    {"m4v", "video/mp4"},          {"ogv", "video/ogg"},              {"webm", "video/webm"},
    {"zip", "application/zip"},
};

QByteArray Sniff(const QByteArray& Data) {
  if (Data.startsWith("\x89PNG"))
    return "image/png";
  if (Data.startsWith("GIF8"))
    return "image/gif";
  if (Data.startsWith("\xFF\xD8\xFF"))
    return "image/jpeg";
  if (Data.startsWith("BM"))
    return "image/bmp";
  qsizetype I = Data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
  while (I < Data.size() && static_cast<unsigned char>(Data[I]) <= ' ')
    ++I;
  if (I < Data.size() && Data[I] == '<')
    return "text/html";
  const bool Binary = std::any_of(Data.begin(), Data.end(), [](char C) {
    const auto U = static_cast<unsigned char>(C);
    return U < 9 || (U > 13 && U < 32);
  });
  return Binary ? "application/octet-stream" : "text/plain";
}

// Keeps the request's progress reports; the handler replies once Read has drained it.
class TJobSink : public TInternetProtocolSink {
public:
  void ReportData(std::uint32_t, std::uint32_t, std::uint32_t) override {}
  void ReportResult(HRESULT, std::uint32_t, const char16_t*) override {}
};
} // namespace

void RegisterBookSchemes(const std::vector<std::string>& Schemes) {
  auto Register = [](const std::string& Name) {
    QWebEngineUrlScheme Scheme(QByteArray::fromStdString(Lower(Name)));
    Scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    // Not local: the engine would let a local page read file: URLs and deny
    // it the network. Pages of other origins are kept out by the handlers'
    // initiator checks instead; CORS lets book pages reach each other (a
    // "system:" picture in an "mfs:" page, the bridge).
    Scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled |
                    QWebEngineUrlScheme::ContentSecurityPolicyIgnored);
    QWebEngineUrlScheme::registerScheme(Scheme);
  };
  for (const std::string& Name : Schemes) {
    if (IsBookScheme(Name))
      continue;
    BookSchemes().push_back(Lower(Name));
    Register(Name);
  }
  if (QWebEngineUrlScheme::schemeByName(BridgeScheme).name().isEmpty())
    Register(BridgeScheme);
}

void PrepareWebEngineEnvironment() {
  if (geteuid() == 0)
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
}

const std::vector<std::string>& BookSchemeNames() { return BookSchemes(); }

bool IsBookScheme(std::string_view Scheme) {
  return std::any_of(BookSchemes().begin(), BookSchemes().end(),
                     [&](const std::string& S) { return SameText(S, Scheme); });
}

std::string DecodeEngineEscapes(const QByteArray& Encoded) {
  std::string Result;
  Result.reserve(static_cast<std::size_t>(Encoded.size()));
  for (qsizetype I = 0; I < Encoded.size();) {
    const int B = EscapeAt(Encoded, I);
    if (B < 0) {
      Result += Encoded[I++];
      continue;
    }
    // The engine writes a lone "%" of the book's name as "%25": give it back.
    if (B == '%' && EscapeAt(Encoded, I + 3) < 0) {
      Result += '%';
      I += 3;
      continue;
    }
    if (B < 0x80) {
      const bool Ours = B == '"' || B == '<' || B == '>' || B == '`' || B == '{' || B == '}' || B == '\\';
      if (Ours)
        Result += static_cast<char>(B);
      else
        Result.append(Encoded.constData() + I, 3);
      I += 3;
      continue;
    }
    // A UTF-8 sequence of escapes: one character of the book's code page.
    QByteArray Utf8;
    qsizetype J = I;
    for (int V; (V = EscapeAt(Encoded, J)) >= 0x80; J += 3)
      Utf8 += static_cast<char>(V);
    const QString Text = QString::fromUtf8(Utf8);
    const bool Clean = !Text.contains(QChar::ReplacementCharacter) && BookCodePageHolds(Text);
    if (Clean)
      Result += QStringToAnsi(Text);
    else
      Result.append(Encoded.constData() + I, static_cast<std::size_t>(J - I));
    I = J;
  }
  return Result;
}

QUrl ToEngineUrl(std::string_view ViewerUrl) {
  const auto Colon = ViewerUrl.find(':');
  if (Colon == std::string_view::npos || !IsBookScheme(ViewerUrl.substr(0, Colon)))
    return QUrl(AnsiToQString(ViewerUrl), QUrl::TolerantMode);
  std::string Rest(ViewerUrl.substr(Colon + 1));
  std::replace(Rest.begin(), Rest.end(), '\\', '/');
  // Percent signs the book wrote stay literal text of the path where they are not escapes.
  return QUrl(AnsiToQString(Lower(ViewerUrl.substr(0, Colon)) + ":" + Rest), QUrl::TolerantMode);
}

std::string ToViewerUrl(const QUrl& EngineUrl) {
  const std::string Scheme = EngineUrl.scheme().toStdString();
  if (!IsBookScheme(Scheme))
    return QStringToAnsi(EngineUrl.toString());
  std::string Path = PathOf(EngineUrl);
  std::replace(Path.begin(), Path.end(), '/', '\\');
  std::string Result;
  for (std::size_t I = 0; I < Path.size(); ++I) {
    // The viewer reads paths as the book wrote them: blanks, not escapes.
    if (Path.compare(I, 3, "%20") == 0) {
      Result += ' ';
      I += 2;
    } else {
      Result += Path[I];
    }
  }
  return Scheme + ":" + Result;
}

QByteArray MimeTypeFor(std::string_view Path, const QByteArray& Data) {
  Path = Path.substr(0, Path.find('?'));
  const auto Dot = Path.rfind('.');
  const auto Slash = Path.find_last_of("\\/");
  if (Dot != std::string_view::npos && (Slash == std::string_view::npos || Dot > Slash)) {
    const std::string_view Ext = Path.substr(Dot + 1);
    for (const TMimeEntry& E : MimeTable)
      if (SameText(E.Ext, Ext))
        return E.Type;
  }
  return Sniff(Data);
}

namespace {
bool IsBookInitiator(const QUrl& Initiator) {
  // No initiator: the viewer itself asked (Navigate, history, reload).
  return Initiator.isEmpty() || IsBookScheme(Initiator.scheme().toStdString());
}
} // namespace

void TBookSchemeHandler::requestStarted(QWebEngineUrlRequestJob* Job) {
  // Content of the book is for the book's own pages only.
  if (!IsBookInitiator(Job->initiator())) {
    Job->fail(QWebEngineUrlRequestJob::RequestDenied);
    return;
  }
  const QUrl Url = Job->requestUrl();
  const QByteArray EncodedPath = Url.path(QUrl::FullyEncoded).toLatin1();
  // A backslash URL keeps its folders only in slash form: send the engine there.
  if (EncodedPath.contains("%5C") || EncodedPath.contains("%5c")) {
    QByteArray Fixed = EncodedPath;
    Fixed.replace("%5C", "/").replace("%5c", "/");
    QUrl Target(Url);
    Target.setPath(QString::fromLatin1(Fixed), QUrl::TolerantMode);
    Job->redirect(Target);
    return;
  }
  std::string Path = PathOf(Url);
  std::replace(Path.begin(), Path.end(), '/', '\\');
  const std::u16string Wide = AnsiToWide(Url.scheme().toStdString() + ":" + Path);

  TCustomInternetProtocol Request;
  TJobSink Sink;
  const HRESULT Started = Request.Start(Wide, &Sink, nullptr, 0, 0);
  if (!Succeeded(Started)) {
    Job->fail(Started == INET_E_INVALID_URL ? QWebEngineUrlRequestJob::UrlInvalid
                                            : QWebEngineUrlRequestJob::RequestFailed);
    return;
  }
  QByteArray Bytes;
  Bytes.reserve(static_cast<qsizetype>(Request.DataSize));
  char Chunk[65536];
  std::uint32_t Got = 0;
  HRESULT R;
  do {
    R = Request.Read(Chunk, sizeof Chunk, &Got);
    Bytes.append(Chunk, Got);
  } while (R == E_PENDING && Got > 0);

  const QByteArray Mime = Request.ServedErrorPage() ? QByteArray("text/html") : MimeTypeFor(Path, Bytes);
  auto* Buffer = new QBuffer(Job);
  Buffer->setData(Bytes);
  Job->reply(Mime, Buffer);
}

// ---- TWebEngineProtocolPlatform ----

TWebEngineProtocolPlatform::TWebEngineProtocolPlatform(QWebEngineProfile* Profile)
    : Profile(Profile ? Profile : QWebEngineProfile::defaultProfile()), Handler(std::make_unique<TBookSchemeHandler>()) {
  ProtocolSession.Platform = this;
}

TWebEngineProtocolPlatform::~TWebEngineProtocolPlatform() {
  for (const QByteArray& Scheme : Installed)
    Profile->removeUrlScheme(Scheme);
  if (ProtocolSession.Platform == this)
    ProtocolSession.Platform = nullptr;
}

HRESULT TWebEngineProtocolPlatform::Connect() { return S_OK; }
void TWebEngineProtocolPlatform::Disconnect() {}

HRESULT TWebEngineProtocolPlatform::RegisterNameSpace(const std::u16string& Protocol) {
  const QByteArray Scheme = QByteArray::fromStdString(Lower(WideToAnsi(Protocol)));
  // The engine serves only schemes declared before the application started.
  if (QWebEngineUrlScheme::schemeByName(Scheme).name().isEmpty())
    return E_INVALIDARG;
  if (std::find(Installed.begin(), Installed.end(), Scheme) != Installed.end())
    return S_OK;
  Profile->installUrlSchemeHandler(Scheme, Handler.get());
  Installed.push_back(Scheme);
  return S_OK;
}

HRESULT TWebEngineProtocolPlatform::UnregisterNameSpace(const std::u16string& Protocol) {
  const QByteArray Scheme = QByteArray::fromStdString(Lower(WideToAnsi(Protocol)));
  const auto It = std::find(Installed.begin(), Installed.end(), Scheme);
  if (It == Installed.end())
    return S_FALSE;
  Profile->removeUrlScheme(Scheme);
  Installed.erase(It);
  return S_OK;
}

} // namespace vv
