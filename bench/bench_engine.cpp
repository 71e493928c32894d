// Through the engine: time from Navigate to DocumentComplete for a page with
// 100 pictures, and window.external calls per second. Prints one
// "name value" line per measure; run without a display (offscreen).
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QSignalSpy>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "tests/EngineTestUtil.h"
#include "host/c_MXWebBrowser.h"
#include "platform/u_WebEngineProtocol.h"
#include "protocol/u_MFSInternetProtocol.h"

namespace {
constexpr int Pages = 10;
constexpr int PicturesPerPage = 100;
constexpr int BridgeCalls = 1000;

std::string Png(int Seed) {
  QImage Image(48, 32, QImage::Format_RGB32);
  Image.fill(QColor::fromHsv(Seed * 37 % 360, 200, 220));
  QByteArray Bytes;
  QBuffer Buffer(&Bytes);
  Buffer.open(QIODevice::WriteOnly);
  Image.save(&Buffer, "PNG");
  return Bytes.toStdString();
}

class TEcho : public vv::TAutoObject {
public:
  TEcho() {
    DeclareMethod("Echo", 201, [](const vv::TOleVariantList& Args) { return Args.empty() ? vv::TOleVariant() : Args[0]; });
  }
};

double Median(std::vector<double> V) {
  std::sort(V.begin(), V.end());
  return V[V.size() / 2];
}
} // namespace

int main(int argc, char** argv) {
  vv::PrepareWebEngineEnvironment();
  vv::RegisterBookSchemes();
  QApplication App(argc, argv);

  vv::TMFS Volume;
  auto& S = Volume.DefaultSession();
  for (int P = 0; P < Pages; ++P) {
    // Distinct pictures per page, so no page profits from an earlier one.
    const std::string Folder = "\\p" + std::to_string(P) + ".files";
    S.ForceFolders(Folder);
    std::string Html = "<html><body>";
    for (int I = 0; I < PicturesPerPage; ++I) {
      const std::string Name = "pic" + std::to_string(I) + ".png";
      S.CreateMFSFile(Folder + "\\" + Name, 0, false)->Content = Png(P * PicturesPerPage + I);
      Html += "<img src=\"p" + std::to_string(P) + ".files\\" + Name + "\">";
    }
    S.CreateMFSFile("\\p" + std::to_string(P) + ".htm", 0, false)->Content = Html + "</body></html>";
  }
  S.CreateMFSFile("\\blank.htm", 0, false)->Content = "<html><body>bridge</body></html>";

  vv::TWebEngineProtocolPlatform Platform;
  vv::TMFSInternetProtocol Files("mfs", &Volume);
  vv::TMXWebBrowser Browser;
  Browser.resize(1024, 768);
  Browser.show();
  auto Echo = std::make_shared<TEcho>();
  Browser.OnGetExternal = [&](vv::TDispatchRef& D) {
    D = Echo;
    return vv::VV_S_OK;
  };

  QSignalSpy Complete(&Browser, &vv::TMXWebBrowser::DocumentComplete);
  auto Load = [&](const std::string& Url) {
    Complete.clear();
    QElapsedTimer T;
    T.start();
    Browser.Navigate(Url);
    if (!Complete.wait(60000)) {
      std::fprintf(stderr, "bench_engine: %s did not complete\n", Url.c_str());
      std::exit(1);
    }
    return static_cast<double>(T.nsecsElapsed()) / 1e6;
  };

  (void)Load("mfs:\\blank.htm"); // starts the renderer process
  std::vector<double> Times;
  for (int P = 0; P < Pages; ++P)
    Times.push_back(Load("mfs:\\p" + std::to_string(P) + ".htm"));

  (void)Load("mfs:\\blank.htm");
  const double Rate =
      vvtest::Eval(Browser, QStringLiteral("(function(){var t=performance.now();for(var i=0;i<%1;i++)"
                                   "window.external.Echo(i);return %1*1000/(performance.now()-t);})()")
                        .arg(BridgeCalls),
                   300000)
          .toDouble();
  const double XhrRate =
      vvtest::Eval(Browser, QStringLiteral("(function(){var t=performance.now();for(var i=0;i<%1;i++)"
                                   "{var x=new XMLHttpRequest();x.open('GET','blank.htm',false);x.send();}"
                                   "return %1*1000/(performance.now()-t);})()")
                        .arg(BridgeCalls),
                   300000)
          .toDouble();
  std::printf("page_sync_requests_per_second %.0f\n", XhrRate);
  std::printf("navigate_100_pictures_ms %.1f\n", Median(Times));
  std::printf("bridge_calls_per_second %.0f\n", Rate);
  return 0;
}
