// Through the engine: time from Navigate to DocumentComplete for a page with
// 100 pictures, window.external calls per second, and the print preview of a
// long chapter step by step (the engine's own PDF of the page, then the
// preview window from the command to its note, to its pages and to their
// drawing). Prints one "name value" line per measure; run without a display
// (offscreen).
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QSignalSpy>
#include <QTest>
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

// About 60 printed pages of text with headings, as a long chapter prints.
std::string Chapter() {
  std::string Html = "<html><head><title>Chapter</title></head><body>";
  for (int Section = 0; Section < 23; ++Section) {
    Html += "<h2>Section " + std::to_string(Section + 1) + "</h2>";
    for (int Paragraph = 0; Paragraph < 8; ++Paragraph) {
      Html += "<p>";
      for (int Word = 0; Word < 60; ++Word)
        Html += Word % 7 == 0 ? "harbour " : "the quiet water of the evening ";
      Html += "</p>";
    }
  }
  return Html + "</body></html>";
}

double Median(std::vector<double> V) {
  std::sort(V.begin(), V.end());
  return V[V.size() / 2];
}
[[noreturn]] void Fail(const char* What) {
  std::fprintf(stderr, "bench_engine: %s\n", What);
  std::exit(1);
}

double Ms(const QElapsedTimer& T) { return static_cast<double>(T.nsecsElapsed()) / 1e6; }

// Browser shows the chapter.
void MeasurePrintPreview(vv::TMXWebBrowser& Browser) {
  QElapsedTimer T;
  T.start();
  QByteArray Pdf;
  Browser.page()->printToPdf([&](const QByteArray& Data) { Pdf = Data; });
  if (!QTest::qWaitFor([&] { return !Pdf.isEmpty(); }, 120000))
    Fail("no PDF");
  std::printf("print_engine_pdf_ms %.0f\n", Ms(T));
  std::printf("print_pages %lld\n", static_cast<long long>(Pdf.count("/Type /Page") - Pdf.count("/Type /Pages")));

  T.restart();
  Browser.ExecWB(vv::OLECMDID_PRINTPREVIEW);
  QPrintPreviewDialog* Dialog = nullptr;
  if (!QTest::qWaitFor([&] { return (Dialog = Browser.findChild<QPrintPreviewDialog*>()) && Dialog->isVisible(); }, 120000))
    Fail("no preview window");
  std::printf("print_preview_window_ms %.0f\n", Ms(T));
  auto* Pages = Dialog->findChild<QPrintPreviewWidget*>();
  if (!Pages || !QTest::qWaitFor([&] { return Pages->pageCount() > 0; }, 120000))
    Fail("no pages previewed");
  std::printf("print_preview_pages_ms %.0f\n", Ms(T));
  std::printf("print_preview_pages %d\n", Pages->pageCount());
  QCoreApplication::processEvents();
  Pages->repaint();
  std::printf("print_preview_drawn_ms %.0f\n", Ms(T));
  Dialog->close();
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
  S.CreateMFSFile("\\chapter.htm", 0, false)->Content = Chapter();

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
  (void)Load("mfs:\\chapter.htm");
  MeasurePrintPreview(Browser);
  return 0;
}
