// Pages from outside the book against the whole viewer: a page served from a
// loopback server tries every road into the book (navigation, frames, fetch,
// XHR, pictures, the script bridge, markup in the error page), and none of
// them reaches book content or window.external.
#include <QSignalSpy>
#include <QtTest>

#include "tests/EngineTestUtil.h"
#include "tests/LoopbackHttpServer.h"
#include "tests/shell/MainWindowTestUtil.h"

using namespace vv;
using namespace vvtest;

namespace {
// A book page that would end the viewer if it ever ran on behalf of a stranger.
const char* const TrapPage = "<html><body>SECRET<script>window.external.Terminate()</script></body></html>";

TFiles TrapFiles() {
  TFiles Files = BookFiles;
  Files["\\secret.htm"] = TrapPage;
  return Files;
}

TFiles SystemWithPicture() {
  TFiles System = BookSystem;
  System["\\logo.bmp"] = Bitmap(4, 4);
  return System;
}

// Tries each road in turn and leaves what it got in window.results.
QByteArray HostilePage(int BridgeId) {
  return QByteArray(R"(<html><body><script>
window.results = {};
async function run() {
  try { const r = await fetch('mfs:/secret.htm'); results.fetch = 'read ' + (await r.text()); }
  catch (e) { results.fetch = 'blocked'; }
  try { const x = new XMLHttpRequest(); x.open('GET', 'mfs:/secret.htm', false); x.send(); results.xhr = 'read ' + x.responseText; }
  catch (e) { results.xhr = 'blocked'; }
  try { const x = new XMLHttpRequest(); x.open('GET', 'vvbridge:/%1/call?h=0&n=Terminate&a=[]', false); x.send(); results.bridge = 'answered ' + x.responseText; }
  catch (e) { results.bridge = 'blocked'; }
  results.image = await new Promise(done => {
    const i = new Image(); i.onload = () => done('read'); i.onerror = () => done('blocked'); i.src = 'system:/logo.bmp';
  });
  await new Promise(done => {
    const f = document.createElement('iframe'); f.onload = done; setTimeout(done, 3000);
    f.src = 'mfs:/secret.htm'; document.body.appendChild(f);
  });
  results.external = typeof (window.external && window.external.Story);
  results.done = true;
}
run();
</script></body></html>)")
      .replace("%1", QByteArray::number(BridgeId));
}
} // namespace

class TestTrustModel : public QObject {
  Q_OBJECT

  // Book paths that reached the content volume.
  QStringList Served;

  std::unique_ptr<TfrmMain> OpenTrapBook() {
    auto W = OpenBook(SystemWithPicture(), TrapFiles());
    Served.clear();
    W->FilesProtocol->OnBeforeGetData = [this](TMFSInternetProtocol*, std::string& Path, std::string&, bool&) {
      Served << QString::fromStdString(Path);
    };
    return W;
  }

private slots:
  void aPageFromOutsideReachesNeitherBookFilesNorTheViewer() {
    auto W = OpenTrapBook();
    TMXWebBrowser& B = *W->webMain;
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    TLoopbackHttpServer Server({{"/hostile.htm", HostilePage(B.BridgeId())}, {"/after.htm", "<html>after</html>"}});
    B.Navigate(Server.Url("/hostile.htm").toString().toStdString());
    QTRY_VERIFY_WITH_TIMEOUT(Eval(B, "window.results && window.results.done === true").toBool(), 30000);
    for (const char* Road : {"fetch", "xhr", "bridge", "image"})
      QCOMPARE(Eval(B, QStringLiteral("results.%1").arg(QLatin1String(Road))).toString(), QStringLiteral("blocked"));
    QCOMPARE(Eval(B, "results.external").toString(), QStringLiteral("undefined"));

    // Navigating the whole window there is refused too; the page then moves on by itself.
    const QString After = Server.Url("/after.htm").toString();
    Eval(B, QStringLiteral("location.href = 'mfs:/secret.htm'; setTimeout(() => location.href = '%1', 500)").arg(After));
    QTRY_COMPARE_WITH_TIMEOUT(B.url().toString(), After, 30000);
    QVERIFY(Served.filter(QStringLiteral("secret"), Qt::CaseInsensitive).isEmpty());
    QVERIFY(W->isVisible());
  }

  void markupInAMissingPagesNameStaysText() {
    auto W = OpenTrapBook();
    TMXWebBrowser& B = *W->webMain;
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    // From the book itself the request is honoured, and the error page shows the name as written.
    Eval(B, "location.href = 'mfs:/<img src=x onerror=\"window.external.Terminate()\">.htm'");
    QTRY_VERIFY_WITH_TIMEOUT(Eval(B, "document.body && document.body.textContent.includes('not found')").toBool(),
                             30000);
    QCOMPARE(Eval(B, "document.querySelectorAll('img').length").toInt(), 0);
    QVERIFY(Eval(B, "document.body.textContent.includes('<img src=x')").toBool());
    QCoreApplication::sendPostedEvents();
    QVERIFY(W->isVisible());
  }
};

int main(int argc, char** argv) { return RunWindowTests<TestTrustModel>(argc, argv); }

#include "test_TrustModel.moc"
