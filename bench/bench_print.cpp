// Print preview of a long chapter through the engine, step by step: the
// engine's own PDF of the page, then the preview window from the command to
// its first page shown, and to every page. Prints one "name value" line per
// measure; run without a display (offscreen).
#include <QApplication>
#include <QElapsedTimer>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QSignalSpy>
#include <QTest>
#include <cstdio>
#include <string>

#include "host/c_MXWebBrowser.h"
#include "platform/u_WebEngineProtocol.h"
#include "protocol/u_MFSInternetProtocol.h"

namespace {
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

double Ms(const QElapsedTimer& T) { return static_cast<double>(T.nsecsElapsed()) / 1e6; }

[[noreturn]] void Fail(const char* What) {
  std::fprintf(stderr, "bench_print: %s\n", What);
  std::exit(1);
}
} // namespace

int main(int argc, char** argv) {
  vv::PrepareWebEngineEnvironment();
  vv::RegisterBookSchemes();
  QApplication App(argc, argv);

  vv::TMFS Volume;
  Volume.DefaultSession().CreateFile("\\chapter.htm", 0, false)->Content = Chapter();
  vv::TWebEngineProtocolPlatform Platform;
  vv::TMFSInternetProtocol Files("mfs", &Volume);
  vv::TMXWebBrowser Browser;
  Browser.resize(1024, 768);
  Browser.show();
  QSignalSpy Complete(&Browser, &vv::TMXWebBrowser::DocumentComplete);
  Browser.Navigate("mfs:\\chapter.htm");
  if (!Complete.wait(60000))
    Fail("the chapter did not load");

  // The engine alone: the page laid out for paper and written as PDF.
  QElapsedTimer T;
  T.start();
  QByteArray Pdf;
  Browser.page()->printToPdf([&](const QByteArray& Data) { Pdf = Data; });
  if (!QTest::qWaitFor([&] { return !Pdf.isEmpty(); }, 120000))
    Fail("no PDF");
  std::printf("print_engine_pdf_ms %.0f\n", Ms(T));
  std::printf("print_pages %lld\n", static_cast<long long>(Pdf.count("/Type /Page") - Pdf.count("/Type /Pages")));

  // The preview as the print command opens it.
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
  // Everything the window had to do after its pages, drawing them included.
  QCoreApplication::processEvents();
  Pages->repaint();
  std::printf("print_preview_drawn_ms %.0f\n", Ms(T));
  Dialog->close();
  return 0;
}
