// Pages from outside the book against the whole viewer: a page served from a
// loopback server tries every road into the book (navigation, frames, fetch,
// XHR, pictures, the script bridge, markup in the error page, print sections),
// and none of them reaches book content or window.external; book pages reach
// the web but never the reader's disk.
#include <QCheckBox>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "forms/frm_Print.h"
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
QByteArray HostilePage(const QString& BridgeToken) {
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
      .replace("%1", BridgeToken.toLatin1());
}
// Tries each road from a book page to a local file and to the loopback web
// server, leaving what it got in window.roads.
QString RoadsScript(const QString& LocalFolder, const QString& Web) {
  return QStringLiteral(R"(
window.roads = {};
(async function () {
  const disk = 'file://%1/', web = '%2';
  try { const r = await fetch(disk + 'secret.txt'); roads.fetchDisk = 'read ' + (await r.text()); }
  catch (e) { roads.fetchDisk = 'blocked'; }
  try { const x = new XMLHttpRequest(); x.open('GET', disk + 'secret.txt', false); x.send(); roads.xhrDisk = 'read ' + x.responseText; }
  catch (e) { roads.xhrDisk = 'blocked'; }
  try { const x = new XMLHttpRequest(); x.open('GET', disk, false); x.send(); roads.listDisk = 'read ' + x.responseText; }
  catch (e) { roads.listDisk = 'blocked'; }
  const picture = src => new Promise(done => {
    const i = new Image(); i.onload = () => done('read'); i.onerror = () => done('blocked'); i.src = src;
  });
  roads.imgDisk = await picture(disk + 'picture.bmp');
  roads.imgWeb = await picture(web + 'picture.bmp');
  roads.frameDisk = await new Promise(done => {
    const f = document.createElement('iframe');
    f.onload = () => { try { done('read ' + f.contentDocument.body.textContent); } catch (e) { done('blocked'); } };
    setTimeout(() => done('blocked'), 5000);
    f.src = disk + 'secret.txt'; document.body.appendChild(f);
  });
  try { await fetch(web + 'after.htm', { mode: 'no-cors' }); roads.fetchWeb = 'read'; }
  catch (e) { roads.fetchWeb = 'blocked'; }
  for (const url of ['file:///etc/hostname', 'javascript:document.title', 'data:text/html,x', 'about:blank'])
    try { window.external.WebBrowser.Navigate(url); roads['navigate ' + url] = 'navigated'; }
    catch (e) { roads['navigate ' + url] = e.message; }
  roads.done = true;
})();
)").arg(LocalFolder, Web);
}
} // namespace

class TestTrustModel : public QObject {
  Q_OBJECT

  // Book paths that reached the content volume.
  QStringList Served;

  std::unique_ptr<TfrmMain> OpenTrapBook() {
    auto W = OpenBook(SystemWithPicture(), TrapFiles());
    Served.clear();
    W->Logic->FilesProtocol->OnBeforeGetData = [this](TMFSInternetProtocol*, std::string& Path, std::string&, bool&) {
      Served << QString::fromStdString(Path);
    };
    return W;
  }

private slots:
  void aPageFromOutsideReachesNeitherBookFilesNorTheViewer() {
    auto W = OpenTrapBook();
    TMXWebBrowser& B = *W->webMain;
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    TLoopbackHttpServer Server({{"/hostile.htm", HostilePage(B.BridgeToken())}, {"/after.htm", "<html>after</html>"}});
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

  void aBookPageReachesTheWebButNeverTheReadersDisk() {
    QTemporaryDir Disk;
    QFile Secret(Disk.filePath("secret.txt"));
    QVERIFY(Secret.open(QIODevice::WriteOnly) && Secret.write("DISK SECRET") > 0);
    Secret.close();
    QFile Picture(Disk.filePath("picture.bmp"));
    QVERIFY(Picture.open(QIODevice::WriteOnly) && Picture.write(QByteArray::fromStdString(Bitmap(4, 4))) > 0);
    Picture.close();
    TLoopbackHttpServer Server({{"/picture.bmp", QByteArray::fromStdString(Bitmap(4, 4))},
                                {"/after.htm", "<html><title>web</title>after</html>"}});

    auto W = OpenTrapBook();
    TMXWebBrowser& B = *W->webMain;
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    Eval(B, RoadsScript(Disk.path(), Server.Url("/").toString()));
    QTRY_VERIFY_WITH_TIMEOUT(Eval(B, "window.roads && window.roads.done === true").toBool(), 30000);
    for (const char* Road : {"fetchDisk", "xhrDisk", "listDisk", "imgDisk", "frameDisk"})
      QCOMPARE(Eval(B, QStringLiteral("roads.%1").arg(QLatin1String(Road))).toString(), QStringLiteral("blocked"));
    for (const char* Road : {"imgWeb", "fetchWeb"})
      QCOMPARE(Eval(B, QStringLiteral("roads.%1").arg(QLatin1String(Road))).toString(), QStringLiteral("read"));
    for (const char* Url : {"file:///etc/hostname", "javascript:document.title", "data:text/html,x", "about:blank"})
      QCOMPARE(Eval(B, QStringLiteral("roads['navigate %1']").arg(QLatin1String(Url))).toString(),
               QStringLiteral("Navigate: \"%1\" is not a page of the book nor an http, https or mailto address")
                   .arg(QLatin1String(Url)));
    QCOMPARE(B.LocationURL(), std::string("mfs:\\one.htm"));

    // Script navigation without a click: to the reader's files never, to the web as any page may.
    Eval(B, QStringLiteral("location.href = 'file://%1/secret.txt'").arg(Disk.path()));
    QTest::qWait(500);
    QCOMPARE(B.LocationURL(), std::string("mfs:\\one.htm"));
    const QString After = Server.Url("/after.htm").toString();
    Eval(B, QStringLiteral("location.href = '%1'").arg(After));
    QTRY_COMPARE_WITH_TIMEOUT(B.url().toString(), After, 30000);
    QVERIFY(W->isVisible());
  }

  void aPageFromOutsideNeverBecomesABookPage() {
    TFiles Files = TrapFiles();
    Files["\\sections.htm"] = "<html><body><div id=\"Notes_PAGE\"><p id=\"t\">as written</p>"
                               "<script>if (!document.getElementById('Notes_PAGE')) "
                               "document.getElementById('t').textContent = 'ran in ' + 'print'</script></div>"
                               "</body></html>";
    auto W = OpenBook(ToolbarBook("<Btn Kind=14 Caption=\"Print\"/>"), Files);
    TMXWebBrowser& B = *W->webMain;
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    const QByteArray Recipe = "<html><body><div id=\"Recipe_PAGE\">"
                              "<script>window.external.Terminate()</script>recipe</div></body></html>";
    TLoopbackHttpServer Server({{"/recipe.htm", Recipe}});
    const QString Remote = Server.Url("/recipe.htm").toString();
    QSignalSpy Complete(&B, &TMXWebBrowser::DocumentComplete);
    B.Navigate(Remote.toStdString());
    QTRY_VERIFY_WITH_TIMEOUT(!Complete.isEmpty() && B.url().toString() == Remote, 30000);
    QTest::qWait(500); // time for a section query to come back, were one made
    QVERIFY(W->popPrint->isEmpty());
    // Chosen anyway (an entry left from a book page): nothing opens.
    bool Opened = false;
    HandleModals([&] { W->Logic->PrintPageClick("Recipe_PAGE"); QTest::qWait(1000); }, [&](QWidget*) { Opened = true; });
    QVERIFY(!Opened);

    // A book page's section prints as markup: no script of it runs, no bridge reaches it.
    B.Navigate("mfs:\\sections.htm");
    QVERIFY(WaitForPage(B, "mfs:\\sections.htm"));
    QTRY_VERIFY_WITH_TIMEOUT(W->popPrint->actions().size() == 1, 20000);
    QString Printed;
    QString Token = QStringLiteral("unset");
    HandleModals(
        [&] {
          W->popPrint->actions()[0]->trigger();
          (void)QTest::qWaitFor([&] { return !Printed.isEmpty(); }, 20000);
        },
                 [&](QWidget* Modal) {
                   auto* Print = qobject_cast<TfrmPrint*>(Modal);
                   if (!Print || Print->webPrint->ReadyState() != READYSTATE_COMPLETE)
                     return;
                   Token = Print->webPrint->BridgeToken();
                   QEventLoop Loop;
                   Print->webPrint->page()->toHtml([&](const QString& Html) { Printed = Html; Loop.quit(); });
                   Loop.exec();
                   Print->reject();
                 });
    QVERIFY2(Printed.contains(QStringLiteral("as written")), qPrintable(Printed));
    QVERIFY(!Printed.contains(QStringLiteral("ran in print")));
    QVERIFY(Token.isEmpty());
    QVERIFY(W->isVisible());
  }

  void aPageFromOutsideCannotTrapTheReaderInDialogs() {
    auto W = OpenBook();
    TMXWebBrowser& B = *W->webMain;
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    TLoopbackHttpServer Server({{"/loop.htm", "<html><body><script>for (let i = 0; i < 1000; ++i) "
                                              "alert('The book has expired'); document.title = 'free';"
                                              "</script></body></html>"}});
    const QString Origin = Server.Url("").toString();
    QStringList Shown;
    HandleModals(
        [&] {
          B.Navigate(Server.Url("/loop.htm").toString().toStdString());
          (void)QTest::qWaitFor([&] { return B.title() == QStringLiteral("free"); }, 60000);
        },
        [&](QWidget* Modal) {
          auto* Box = qobject_cast<QMessageBox*>(Modal);
          if (!Box)
            return;
          Shown << Box->windowTitle() + " / " + Box->informativeText();
          if (Box->checkBox())
            Box->checkBox()->setChecked(true);
          Box->accept();
        });
    QCOMPARE(B.title(), QStringLiteral("free"));
    QCOMPARE(Shown.size(), 1);
    QVERIFY2(Shown[0].contains(Origin), qPrintable(Shown[0] + " / " + Origin));
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
