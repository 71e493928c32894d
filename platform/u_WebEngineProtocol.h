#pragma once
// The book's URL schemes on Qt WebEngine: scheme registration, the handler
// that drives TCustomInternetProtocol for every request, and the conversion
// between the viewer's URLs ("mfs:\a\b.htm") and the engine's ("mfs:/a/b.htm").

#include <QByteArray>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/u_InternetProtocolSupport.h"

class QWebEngineProfile;

namespace vv {

// Must run before the QApplication exists: the engine ignores later
// registrations. Registers the book schemes and the script bridge's scheme.
void RegisterBookSchemes(const std::vector<std::string>& Schemes = {"mfs", "system"});
// Sets QTWEBENGINE_DISABLE_SANDBOX when running as root, which the engine needs.
void PrepareWebEngineEnvironment();
[[nodiscard]] bool IsBookScheme(std::string_view Scheme);
// The registered book schemes, lower case.
[[nodiscard]] const std::vector<std::string>& BookSchemeNames();
// The scheme of the script bridge; never a book scheme.
inline constexpr const char* BridgeScheme = "vvbridge";

// "mfs:\a b\c.htm" -> mfs:/a%20b/c.htm; other URLs unchanged.
[[nodiscard]] QUrl ToEngineUrl(std::string_view ViewerUrl);
// The reverse, for every URL the viewer reads: "mfs:" + path with "\".
[[nodiscard]] std::string ToViewerUrl(const QUrl& EngineUrl);
// Undoes the escapes the engine added itself (UTF-8 of non-ASCII characters,
// and " < > ` { } \, and a lone "%" written as "%25"); every other percent
// sequence stays as the book wrote it.
[[nodiscard]] std::string DecodeEngineEscapes(const QByteArray& Encoded);
// MIME type by file extension; unknown extensions are sniffed from the bytes.
[[nodiscard]] QByteArray MimeTypeFor(std::string_view Path, const QByteArray& Data);

class TBookSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
  void requestStarted(QWebEngineUrlRequestJob* Job) override;
};

// Makes activated TInternetProtocolSupport schemes reach the engine: installs
// the handler on the profile for each registered scheme.
class TWebEngineProtocolPlatform : public TInternetProtocolPlatform {
public:
  // Profile not owned; the default profile when none is given.
  explicit TWebEngineProtocolPlatform(QWebEngineProfile* Profile = nullptr);
  ~TWebEngineProtocolPlatform() override;
  TWebEngineProtocolPlatform(const TWebEngineProtocolPlatform&) = delete;
  TWebEngineProtocolPlatform& operator=(const TWebEngineProtocolPlatform&) = delete;

  HRESULT Connect() override;
  void Disconnect() override;
  HRESULT RegisterNameSpace(const std::u16string& Protocol) override;
  HRESULT UnregisterNameSpace(const std::u16string& Protocol) override;

private:
  QWebEngineProfile* Profile;
  std::unique_ptr<TBookSchemeHandler> Handler;
  std::vector<QByteArray> Installed;
};

} // namespace vv
