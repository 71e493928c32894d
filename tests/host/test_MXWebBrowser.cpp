// The browser control against the real engine: book pages, pictures, style
// sheets and frames served from a volume, the host hooks, and window.external.
#include <QApplication>
#include <QBuffer>
#include <QEventLoop>
#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>
#include <QWebEngineHistory>
#include <QtTest>
#include <memory>

#include "tests/EngineTestUtil.h"
#include "host/c_MXWebBrowser.h"
#include "host/u_QtMessageLoop.h"
#include "platform/u_Ansi.h"
#include "platform/u_WebEngineProtocol.h"
#include "protocol/u_MFSInternetProtocol.h"

using namespace vv;
using vvtest::Eval;

namespace {
std::string Png(int W, int H, QColor Color) {
  QImage Image(W, H, QImage::Format_RGB32);
  Image.fill(Color);
  QByteArray Bytes;
  QBuffer Buffer(&Bytes);
  Buffer.open(QIODevice::WriteOnly);
  Image.save(&Buffer, "PNG");
  return Bytes.toStdString();
}

bool Load(TMXWebBrowser& B, const std::string& Url) {
  QSignalSpy Complete(&B, &TMXWebBrowser::DocumentComplete);
  B.Navigate(Url);
  return Complete.wait(20000);
}

std::u16string Wide(const QString& S) { return S.toStdU16String(); }

// A small external object: synchronous members, a failing one, a child
// object, and one answered later, as a modal window would be.
class TTestExternal : public TAutoObject {
public:
  TTestExternal() {
    DeclareMethod("Echo", 201, [](const TOleVariantList& Args) { return Args.empty() ? TOleVariant() : Args[0]; });
    DeclareMethod("Add", 202, [](const TOleVariantList& Args) {
      return TOleVariant(VariantToInt(Args.at(0)) + VariantToInt(Args.at(1)));
    });
    DeclareMethod("Fail", 203, [](const TOleVariantList&) -> TOleVariant { throw Exception("End of story encountered"); });
    DeclareMethod("FailAccented", 208, [](const TOleVariantList&) -> TOleVariant { throw Exception("Caf\xE9 \x80 not found"); });
    DeclareGet("Caption", 204, [this] { return TOleVariant(Caption); });
    DeclarePut("Caption", 204, [this](const TOleVariant& V) { Caption = VariantToWide(V); });
    DeclareGet("Child", 205, [this] { return TOleVariant(Child); });
    DeclareAsyncMethod("ShowForm", 207, [this](const TOleVariantList&, const TDispatchReply& Reply) { OnShowForm(Reply); });
    DeclareAsyncMethod("Later", 206, [](const TOleVariantList& Args, const TDispatchReply& Reply) {
      const TOleVariant Value = Args.empty() ? TOleVariant() : Args[0];
      QTimer::singleShot(100, [Reply, Value] { Reply.Return(Value); });
    });
  }
  std::function<void(const TDispatchReply&)> OnShowForm;
  std::u16string Caption = u"first";
  TDispatchRef Child;
};
} // namespace

class TestMXWebBrowser : public QObject {
  Q_OBJECT

private:
  TMFS Files, System;
  std::unique_ptr<TWebEngineProtocolPlatform> Platform;
  std::unique_ptr<TMFSInternetProtocol> FilesProtocol, SystemProtocol;
  std::unique_ptr<TMXWebBrowser> B;

private slots:
  void initTestCase() {
    auto& S = Files.DefaultSession();
    S.CreateMFSFile("\\page1.htm", 0, false)->Content = "<html><body>Page one</body></html>";
    S.CreateMFSFile("\\my page.htm", 0, false)->Content = "<html><body>With a blank</body></html>";
    S.CreateMFSFile("\\empty.htm", 0, false);
    S.CreateMFSFile("\\a%2F.htm", 0, false)->Content = "literal percent";
    S.CreateMFSFile("\\style.css", 0, false)->Content = "body { background-color: rgb(1, 2, 3); }";
    S.ForceFolders("\\chapter\\img");
    S.ForceFolders("\\chapter\\frame");
    S.CreateMFSFile("\\chapter\\img\\a.png", 0, false)->Content = Png(7, 5, Qt::red);
    S.CreateMFSFile("\\chapter\\frame\\b.png", 0, false)->Content = Png(3, 2, Qt::blue);
    S.CreateMFSFile("\\chapter\\p.htm", 0, false)->Content =
        "<html><head><link rel=\"stylesheet\" href=\"..\\style.css\"></head><body>"
        "<script>window.addEventListener('message', function (e) { window.frameMessage = e.data; });</script>"
        "<img id=\"a\" src=\"img\\a.png\"><img id=\"c\" src=\"img/a.png\">"
        "<iframe src=\"frame\\f.htm\"></iframe>"
        "<div id=\"firstPAGE\">one <b>bold</b></div><div id=\"other\">x</div></body></html>";
    S.CreateMFSFile("\\chapter\\frame\\f.htm", 0, false)->Content =
        "<html><head><link rel=\"stylesheet\" href=\"..\\..\\style.css\"></head>"
        "<body onload=\"parent.postMessage(document.images[0].naturalWidth + ':' + "
        "getComputedStyle(document.body).backgroundColor, '*')\"><img src=\"b.png\"></body></html>";
    S.CreateMFSFile("\\caf\xE9 \x80.htm", 0, false)->Content = "<html><body>accent</body></html>";
    // What generated sites link to: cache-busting queries, module scripts, "%" in names.
    S.ForceFolders("\\_static");
    S.CreateMFSFile("\\_static\\theme.css", 0, false)->Content = "body { color: rgb(4, 5, 6); }";
    S.CreateMFSFile("\\_static\\m.mjs", 0, false)->Content = "document.title = 'module ran';";
    S.CreateMFSFile("\\100%.htm", 0, false)->Content = "<html><body>a hundred</body></html>";
    S.CreateMFSFile("\\site.htm", 0, false)->Content =
        "<html><head><link rel=\"stylesheet\" href=\"_static/theme.css?2022.1\">"
        "<script type=\"module\" src=\"_static/m.mjs?v=3\"></script></head>"
        "<body><a id=\"h\" href=\"100%.htm\">all</a></body></html>";
    S.CreateMFSFile("\\input.htm", 0, false)->Content = "<html><body><input id=\"i\"></body></html>";
    S.CreateMFSFile("\\close.htm", 0, false)->Content = "<html><body><button id=\"b\">close</button></body></html>";
    S.CreateMFSFile("\\menu.htm", 0, false)->Content =
        "<html><body style=\"margin:0\"><div style=\"width:100%;height:400px\">menu</div></body></html>";
    S.CreateMFSFile("\\sys.htm", 0, false)->Content =
        "<html><body><img id=\"l\" src=\"system:\\Logo.png\"><img id=\"m\" src=\"SYSTEM:/logo.PNG\"></body></html>";
    System.DefaultSession().CreateMFSFile("\\Logo.png", 0, false)->Content = Png(9, 4, Qt::green);
    Platform = std::make_unique<TWebEngineProtocolPlatform>();
    FilesProtocol = std::make_unique<TMFSInternetProtocol>("mfs", &Files);
    SystemProtocol = std::make_unique<TMFSInternetProtocol>("system", &System);
  }

  void init() {
    B = std::make_unique<TMXWebBrowser>();
    B->resize(640, 480);
    B->show();
    QVERIFY(QTest::qWaitForWindowExposed(B.get()));
  }
  void cleanup() { B.reset(); }

  void cleanupTestCase() {
    SystemProtocol.reset();
    FilesProtocol.reset();
    Platform.reset();
  }

  // ---- URL conversion and MIME types (no engine needed) ----

  void convertsBookUrlsBothWays_data() {
    QTest::addColumn<QString>("Viewer");
    QTest::addColumn<QString>("Engine");
    QTest::newRow("root") << "mfs:\\page1.htm" << "mfs:/page1.htm";
    QTest::newRow("folders") << "mfs:\\chapter\\p.htm" << "mfs:/chapter/p.htm";
    QTest::newRow("blank") << "mfs:\\my page.htm" << "mfs:/my%20page.htm";
    QTest::newRow("reserved escape kept") << "mfs:\\a%2F.htm" << "mfs:/a%2F.htm";
    QTest::newRow("ansi") << QString::fromUtf8("mfs:\\caf\u00e9\u20ac.htm") << "mfs:/caf%C3%A9%E2%82%AC.htm";
    QTest::newRow("system") << "system:\\Logo.bmp" << "system:/Logo.bmp";
    QTest::newRow("web") << "http://example.com/a/b.htm" << "http://example.com/a/b.htm";
  }
  void convertsBookUrlsBothWays() {
    QFETCH(QString, Viewer);
    QFETCH(QString, Engine);
    const QUrl Url = ToEngineUrl(QStringToAnsi(Viewer));
    QCOMPARE(QString::fromLatin1(Url.toEncoded()), Engine);
    QCOMPARE(AnsiToQString(ToViewerUrl(Url)), Viewer);
  }

  void upperCaseSchemeBecomesTheEnginesScheme() {
    QCOMPARE(QString::fromLatin1(ToEngineUrl("MFS:\\A\\B.htm").toEncoded()), QStringLiteral("mfs:/A/B.htm"));
  }

  void decodesOnlyWhatTheEngineEscaped() {
    QCOMPARE(DecodeEngineEscapes("/a%41%2F%20%22%3C%3E%60%7B%7D%5C"), std::string("/a%41%2F%20\"<>`{}\\"));
    QCOMPARE(DecodeEngineEscapes("/%C3%A9%E2%82%AC"), std::string("/\xE9\x80"));
    // A character outside the code page, and broken UTF-8, stay as written.
    QCOMPARE(DecodeEngineEscapes("/%E4%B8%80%C3"), std::string("/%E4%B8%80%C3"));
    QCOMPARE(DecodeEngineEscapes("/100%"), std::string("/100%"));
  }

  void choosesMimeByExtensionThenBySniffing() {
    QCOMPARE(MimeTypeFor("\\a\\B.HTM", " "), QByteArray("text/html"));
    QCOMPARE(MimeTypeFor("\\a.css", ""), QByteArray("text/css"));
    QCOMPARE(MimeTypeFor("\\a.JPG", ""), QByteArray("image/jpeg"));
    QCOMPARE(MimeTypeFor("\\a.x\\page", "  <html>"), QByteArray("text/html"));
    QCOMPARE(MimeTypeFor("\\noext", QByteArray::fromStdString(Png(1, 1, Qt::red))), QByteArray("image/png"));
    QCOMPARE(MimeTypeFor("\\a.dat", "plain words"), QByteArray("text/plain"));
    QCOMPARE(MimeTypeFor("\\a.dat", QByteArray("\x01\x02", 2)), QByteArray("application/octet-stream"));
  }

  void optionMasksFollowTheTables() {
    QCOMPARE(B->DownloadControlFlags(), 0x70);
    QCOMPARE(B->HostUIFlags(), 0);
    B->SetDownloadOptions({TDownloadControlOption::DLCTL_DLIMAGES, TDownloadControlOption::DLCTL_OFFLINE});
    QCOMPARE(static_cast<std::uint32_t>(B->DownloadControlFlags()), 0x80000010u);
    B->SetDownloadOptions({});
    QCOMPARE(B->DownloadControlFlags(), 0);
    B->SetUserInterfaceOptions({TUserInterfaceOption::NO3DBORDER, TUserInterfaceOption::FLAT_SCROLLBAR});
    TDocHostUIInfo Info;
    QCOMPARE(B->GetHostInfo(Info), VV_S_OK);
    QCOMPARE(Info.cbSize, 20u);
    QCOMPARE(Info.dwFlags, 0x84u);
    QCOMPARE(HostUIMask({TUserInterfaceOption::ENABLE_INPLACE_NAVIGATION, TUserInterfaceOption::NO3DOUTERBORDER}),
             0x210000);
  }

  void hooksAnswerTheirDefaultsWithoutEvents() {
    QCOMPARE(B->ShowContextMenu(0, TPoint()), VV_S_FALSE);
    std::int32_t Result = 0;
    QCOMPARE(B->ShowMessage(u"x", u"y", 0, Result), VV_S_FALSE);
    QVERIFY(B->GetExternal() == nullptr);
  }

  // ---- serving through the engine ----

  void relativePicturesStyleSheetsAndFramesResolveInSubFolders() {
    QVERIFY(Load(*B, "mfs:\\chapter\\p.htm"));
    QTRY_COMPARE_WITH_TIMEOUT(Eval(*B, "document.getElementById('a').naturalWidth").toInt(), 7, 15000);
    QCOMPARE(Eval(*B, "document.getElementById('c').naturalWidth").toInt(), 7);
    QCOMPARE(Eval(*B, "getComputedStyle(document.body).backgroundColor").toString(), QStringLiteral("rgb(1, 2, 3)"));
    QTRY_COMPARE_WITH_TIMEOUT(Eval(*B, "String(window.frameMessage)").toString(), QStringLiteral("3:rgb(1, 2, 3)"),
                              15000);
  }

  void picturesOfTheSystemSchemeShowInBookPages() {
    QVERIFY(Load(*B, "mfs:\\sys.htm"));
    QTRY_COMPARE_WITH_TIMEOUT(Eval(*B, "document.getElementById('l').naturalWidth").toInt(), 9, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(Eval(*B, "document.getElementById('m').naturalWidth").toInt(), 9, 15000);
  }

  void deactivatedSchemeIsNoLongerServed() {
    SystemProtocol.reset();
    QVERIFY(Load(*B, "mfs:\\sys.htm"));
    const bool Broken = QTest::qWaitFor([&] { return Eval(*B, "document.getElementById('l').complete").toBool(); }, 15000);
    SystemProtocol = std::make_unique<TMFSInternetProtocol>("system", &System);
    QVERIFY(Broken);
    QCOMPARE(Eval(*B, "document.getElementById('l').naturalWidth").toInt(), 0);
  }

  void locationUrlRoundTripsInTheViewersForm() {
    QStringList Navigated;
    B->OnNavigateComplete2 = [&](IBrowser*, const std::string& Url) { Navigated << AnsiToQString(Url); };
    QCOMPARE(B->ReadyState(), static_cast<int>(READYSTATE_UNINITIALIZED));
    QVERIFY(Load(*B, "mfs:\\chapter\\p.htm"));
    QCOMPARE(AnsiToQString(B->LocationURL()), QStringLiteral("mfs:\\chapter\\p.htm"));
    QCOMPARE(Navigated.value(0), QStringLiteral("mfs:\\chapter\\p.htm"));
    QCOMPARE(B->ReadyState(), static_cast<int>(READYSTATE_COMPLETE));
  }

  void upperCaseSchemeAndBlanksReachTheVolume() {
    QVERIFY(Load(*B, "MFS:\\PAGE1.HTM"));
    QCOMPARE(Eval(*B, "document.body.textContent").toString(), QStringLiteral("Page one"));
    QCOMPARE(AnsiToQString(B->LocationURL()), QStringLiteral("MFS:\\PAGE1.HTM"));
    QVERIFY(Load(*B, "mfs:\\my page.htm"));
    QCOMPARE(Eval(*B, "document.body.textContent").toString(), QStringLiteral("With a blank"));
    QCOMPARE(AnsiToQString(B->LocationURL()), QStringLiteral("mfs:\\my page.htm"));
  }

  void windows1252NamesRoundTrip() {
    QVERIFY(Load(*B, "mfs:\\caf\xE9 \x80.htm"));
    QCOMPARE(Eval(*B, "document.body.textContent").toString(), QStringLiteral("accent"));
    QCOMPARE(B->LocationURL(), std::string("mfs:\\caf\xE9 \x80.htm"));
  }

  void generatedSiteUrlsReachTheirFiles() {
    QVERIFY(Load(*B, "mfs:\\site.htm"));
    QTRY_COMPARE_WITH_TIMEOUT(B->title(), QStringLiteral("module ran"), 15000);
    QCOMPARE(Eval(*B, "getComputedStyle(document.body).color").toString(), QStringLiteral("rgb(4, 5, 6)"));
    QSignalSpy Complete(B.get(), &TMXWebBrowser::DocumentComplete);
    Eval(*B, "document.getElementById('h').click()");
    QVERIFY(Complete.wait(20000));
    QCOMPARE(B->LocationURL(), std::string("mfs:\\100%.htm"));
    QCOMPARE(Eval(*B, "document.body.textContent").toString(), QStringLiteral("a hundred"));
    QVERIFY(Load(*B, "mfs:\\100%.htm"));
    QCOMPARE(Eval(*B, "document.body.textContent").toString(), QStringLiteral("a hundred"));
  }

  void missingFileShowsTheErrorPage() {
    QVERIFY(Load(*B, "mfs:\\chapter\\missing.htm"));
    const QString Text = Eval(*B, "document.body.innerText").toString();
    QVERIFY2(Text.contains(QStringLiteral("An exception occured during attempt to get data")), qPrintable(Text));
    QVERIFY2(Text.contains(QStringLiteral("URL: \\chapter\\missing.htm")), qPrintable(Text));
    QVERIFY2(Text.contains(QStringLiteral("Exception: File \"\\chapter\\missing.htm\" not found")), qPrintable(Text));
  }

  void zeroByteFileIsServedAsOneBlank() {
    QVERIFY(Load(*B, "mfs:\\empty.htm"));
    QCOMPARE(Eval(*B, "var x = new XMLHttpRequest(); x.open('GET', 'empty.htm', false); x.send(); x.responseText")
                 .toString(),
             QStringLiteral(" "));
  }

  // Escapes of reserved characters reach the handler as written; the engine's
  // URL type decodes escaped letters and digits (%41) before we see them.
  void reservedEscapesReachTheHandlerAsWritten() {
    QVERIFY(Load(*B, "mfs:\\page1.htm"));
    QCOMPARE(Eval(*B, "var x = new XMLHttpRequest(); x.open('GET', 'a%2F.htm', false); x.send(); x.responseText")
                 .toString(),
             QStringLiteral("literal percent"));
  }

  void htmlTextWithoutUrlLoadsRelativePicturesThroughTheHandler() {
    QSignalSpy Complete(B.get(), &TMXWebBrowser::DocumentComplete);
    B->LoadHTML("<html><body><img id=\"i\" src=\"chapter\\img\\a.png\"></body></html>");
    QVERIFY(Complete.wait(20000));
    QTRY_COMPARE_WITH_TIMEOUT(Eval(*B, "document.getElementById('i').naturalWidth").toInt(), 7, 15000);
  }

  void documentQueriesAnswerAsynchronously() {
    QVERIFY(Load(*B, "mfs:\\chapter\\p.htm"));
    std::vector<TDocumentElement> Elements;
    bool Done = false;
    B->QueryElements([&](std::vector<TDocumentElement> E) {
      Elements = std::move(E);
      Done = true;
    });
    QTRY_VERIFY(Done);
    QStringList Ids;
    for (const auto& E : Elements)
      Ids << AnsiToQString(E.TagName + ":" + E.Id);
    QCOMPARE(Ids, (QStringList{"IMG:a", "IMG:c", "DIV:firstPAGE", "DIV:other"}));
    std::optional<std::string> Inner, Missing = std::string("unset");
    int Answers = 0;
    B->QueryInnerHTML("firstPAGE", [&](std::optional<std::string> H) { Inner = H; ++Answers; });
    B->QueryInnerHTML("nope'\\", [&](std::optional<std::string> H) { Missing = H; ++Answers; });
    QTRY_COMPARE(Answers, 2);
    QCOMPARE(QString::fromStdString(Inner.value_or("")), QStringLiteral("one <b>bold</b>"));
    QVERIFY(!Missing.has_value());
  }

  // ---- engine operations ----

  void historyMovesRaiseWithoutHistory() {
    QVERIFY_THROWS_EXCEPTION(EWebBrowserError, B->GoBack());
    QVERIFY_THROWS_EXCEPTION(EWebBrowserError, B->GoForward());
    QVERIFY(Load(*B, "mfs:\\page1.htm"));
    QVERIFY(Load(*B, "mfs:\\my page.htm"));
    QSignalSpy Complete(B.get(), &TMXWebBrowser::DocumentComplete);
    B->GoBack();
    QVERIFY(Complete.wait(20000));
    QCOMPARE(AnsiToQString(B->LocationURL()), QStringLiteral("mfs:\\page1.htm"));
    B->HomePage = "mfs:\\empty.htm";
    B->GoHome();
    QVERIFY(Complete.wait(20000));
    QCOMPARE(AnsiToQString(B->LocationURL()), QStringLiteral("mfs:\\empty.htm"));
  }

  void execWBZoomsRefreshesAndRejectsTheUnknown() {
    QVERIFY(Load(*B, "mfs:\\page1.htm"));
    B->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, 4);
    QCOMPARE(B->zoomFactor(), 1.3);
    B->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, 0);
    QCOMPARE(B->zoomFactor(), 0.7);
    QVERIFY_THROWS_EXCEPTION(EWebBrowserError, B->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, 5));
    QVERIFY_THROWS_EXCEPTION(EWebBrowserError, B->ExecWB(99));
    QSignalSpy Complete(B.get(), &TMXWebBrowser::DocumentComplete);
    B->ExecWB(OLECMDID_REFRESH);
    QVERIFY(Complete.wait(20000));
    QCOMPARE(B->ReadyState(), static_cast<int>(READYSTATE_COMPLETE));
  }

  // A wait ends when the page's ready state answers it, even from inside a
  // nested wait that outlives it; posted and delayed tasks run in order.
  void readyStateWakesTheLogicsWaits() {
    TQtMessageLoop& Loop = QtMessageLoop();
    QString Order;
    Loop.PostDelayed(30, [&] { Order += "c"; });
    Loop.Post([&] { Order += "a"; });
    Loop.Post([&] { Order += "b"; });
    bool InnerReturned = false;
    Loop.Post([&] {
      Loop.WaitUntil([] { return false; }, 300);
      InnerReturned = true;
    });
    QElapsedTimer Clock;
    Clock.start();
    B->Navigate("mfs:\\page1.htm");
    Loop.WaitUntil([&] { return B->ReadyState() == READYSTATE_COMPLETE; }, 60000);
    QCOMPARE(B->ReadyState(), static_cast<int>(READYSTATE_COMPLETE));
    QVERIFY(InnerReturned);
    QVERIFY(Clock.elapsed() < 30000);
    QCOMPARE(Order, QStringLiteral("abc"));
    Clock.restart();
    Loop.WaitUntil([] { return false; }, 50);
    QVERIFY(Clock.elapsed() >= 45);
  }

  // ---- host hooks ----

  void contextMenuEventDecidesWhetherTheMenuShows() {
    QVERIFY(Load(*B, "mfs:\\menu.htm"));
    int Asked = 0;
    B->OnShowContextMenu = [&](std::uint32_t, const TPoint&) {
      ++Asked;
      return VV_S_OK;
    };
    QWidget* Target = B->focusProxy();
    QVERIFY(Target);
    QTest::mouseClick(Target, Qt::RightButton, {}, QPoint(40, 40));
    QTRY_COMPARE(Asked, 1);
    QVERIFY(!qApp->activePopupWidget());

    B->OnShowContextMenu = [&](std::uint32_t, const TPoint&) {
      ++Asked;
      return VV_S_FALSE;
    };
    QTest::mouseClick(Target, Qt::RightButton, {}, QPoint(40, 40));
    QTRY_VERIFY(qApp->activePopupWidget() != nullptr);
    QCOMPARE(Asked, 2);
    qApp->activePopupWidget()->close();
  }

  void keysTheHostHandlesNeverReachThePage() {
    QVERIFY(Load(*B, "mfs:\\input.htm"));
    std::vector<std::uint32_t> Keys;
    B->OnTranslateAccelerator = [&](const TKeyMessage& Msg, const void*, std::uint32_t) {
      Keys.push_back(Msg.wParam);
      return Msg.wParam == 'B' ? VV_S_OK : VV_S_FALSE;
    };
    B->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(B.get()));
    B->setFocus();
    Eval(*B, "document.getElementById('i').focus(); 1");
    QTRY_VERIFY(B->focusProxy() && B->focusProxy()->hasFocus());
    QTest::keyClicks(B->focusProxy(), "abc");
    QTRY_COMPARE(Eval(*B, "document.getElementById('i').value").toString(), QStringLiteral("ac"));
    QCOMPARE(Keys, (std::vector<std::uint32_t>{'A', 'B', 'C'}));
  }

  void scriptAlertGoesToOnShowMessage() {
    QVERIFY(Load(*B, "mfs:\\page1.htm"));
    QString Shown;
    B->OnShowMessage = [&](std::uint32_t, const std::u16string& Text, const std::u16string&, std::int32_t,
                           const std::u16string&, std::int32_t, std::int32_t&) {
      Shown = QString::fromStdU16String(Text);
      return VV_S_OK;
    };
    Eval(*B, "alert('hello'); 1");
    QTRY_COMPARE(Shown, QStringLiteral("hello"));
  }

  void windowCloseAsksOnCloseQuery() {
    QVERIFY(Load(*B, "mfs:\\close.htm"));
    int Asked = 0;
    bool Allow = false;
    B->OnCloseQuery = [&](IBrowser*, bool& CanClose) {
      ++Asked;
      CanClose = Allow;
    };
    QSignalSpy Closed(B.get(), &TMXWebBrowser::CloseAccepted);
    Eval(*B, "window.close(); 1");
    QTRY_COMPARE(Asked, 1);
    QVERIFY(B->isVisible());
    QCOMPARE(Closed.count(), 0);
    Allow = true;
    Eval(*B, "window.close(); 1");
    QTRY_COMPARE(Closed.count(), 1);
    QVERIFY(!B->isVisible());
  }

  // ---- window.external ----

  void bridgeCallsOurObjectSynchronously() {
    auto External = std::make_shared<TTestExternal>();
    External->Child = std::make_shared<TTestExternal>();
    B->OnGetExternal = [&](TDispatchRef& Dispatch) {
      Dispatch = External;
      return VV_S_OK;
    };
    QVERIFY(Load(*B, "mfs:\\page1.htm"));
    QCOMPARE(Eval(*B, "window.external.Echo('abc \u00e9')").toString(), QString::fromUtf8("abc \u00e9"));
    QCOMPARE(Eval(*B, "window.external.add(40, 2)").toInt(), 42);
    QCOMPARE(Eval(*B, "window.external.CAPTION").toString(), QStringLiteral("first"));
    Eval(*B, "window.external.caption = 'second'; 1");
    QCOMPARE(QString::fromStdU16String(External->Caption), QStringLiteral("second"));
    QCOMPARE(Eval(*B, "window.external.Child === window.external.child").toBool(), true);
    QCOMPARE(Eval(*B, "window.external.Child.Echo(7)").toInt(), 7);
    QCOMPARE(Eval(*B, "window.external.Echo(window.external.Child) === window.external.Child").toBool(), true);
    // Answered later, as a modal window would be; the script still sees a plain result.
    QCOMPARE(Eval(*B, "window.external.Later('after')").toString(), QStringLiteral("after"));
  }

  // A member that opens another browser window answers when that window
  // closes; the second page must render and run script while the first one
  // waits in its call.
  void bridgeAnswersAfterASecondBrowserClosed() {
    auto External = std::make_shared<TTestExternal>();
    std::unique_ptr<TMXWebBrowser> Second;
    External->OnShowForm = [&](const TDispatchReply& Reply) {
      Second = std::make_unique<TMXWebBrowser>();
      Second->resize(300, 200);
      Second->show();
      Second->OnDocumentComplete = [&, Reply](IBrowser*, const std::string&) {
        Second->page()->runJavaScript(QStringLiteral("document.body.textContent"), [&, Reply](const QVariant& V) {
          Second->close();
          Reply.Return(Wide(V.toString()));
        });
      };
      Second->Navigate("mfs:\\page1.htm");
    };
    B->OnGetExternal = [&](TDispatchRef& Dispatch) {
      Dispatch = External;
      return VV_S_OK;
    };
    QVERIFY(Load(*B, "mfs:\\my page.htm"));
    QCOMPARE(Eval(*B, "window.external.ShowForm() + ' / ' + document.body.textContent").toString(),
             QStringLiteral("Page one / With a blank"));
  }

  void bridgeCallMayNavigateTheBrowserItCameFrom() {
    auto External = std::make_shared<TTestExternal>();
    External->OnShowForm = [&](const TDispatchReply& Reply) {
      B->Navigate("mfs:\\page1.htm");
      Reply.Return();
    };
    B->OnGetExternal = [&](TDispatchRef& Dispatch) {
      Dispatch = External;
      return VV_S_OK;
    };
    QVERIFY(Load(*B, "mfs:\\my page.htm"));
    QSignalSpy Complete(B.get(), &TMXWebBrowser::DocumentComplete);
    B->page()->runJavaScript(QStringLiteral("window.external.ShowForm()"));
    QTRY_VERIFY_WITH_TIMEOUT(B->LocationURL() == "mfs:\\page1.htm" && B->ReadyState() == READYSTATE_COMPLETE, 20000);
    QCOMPARE(Eval(*B, "document.body.textContent").toString(), QStringLiteral("Page one"));
  }

  void bridgeThrowsFailuresBackToTheScript() {
    auto External = std::make_shared<TTestExternal>();
    B->OnGetExternal = [&](TDispatchRef& Dispatch) {
      Dispatch = External;
      return VV_S_OK;
    };
    QVERIFY(Load(*B, "mfs:\\page1.htm"));
    QCOMPARE(Eval(*B, "try { window.external.Fail(); 'no error' } catch (e) { e.message }").toString(),
             QStringLiteral("End of story encountered"));
    QCOMPARE(Eval(*B, "try { window.external.FailAccented(); 'no error' } catch (e) { e.message }").toString(),
             QStringLiteral("Caf\u00E9 \u20AC not found"));
    QCOMPARE(Eval(*B, "try { window.external.Nope; 'no error' } catch (e) { e.message }").toString(),
             QStringLiteral("Object doesn't support this property or method"));
    QCOMPARE(Eval(*B, "try { window.external.Add('x', 1); 'no error' } catch (e) { e.message }").toString(),
             QStringLiteral("Type mismatch"));
  }

  void pagesOfOtherSchemesGetNoExternalAndAreRefused() {
    auto External = std::make_shared<TTestExternal>();
    B->OnGetExternal = [&](TDispatchRef& Dispatch) {
      Dispatch = External;
      return VV_S_OK;
    };
    QVERIFY(Load(*B, "mfs:\\page1.htm")); // the browser's pages now have the bridge
    QSignalSpy Complete(B.get(), &TMXWebBrowser::DocumentComplete);
    B->setHtml(QStringLiteral("<html><body>web</body></html>"), QUrl(QStringLiteral("https://example.invalid/")));
    QVERIFY(Complete.wait(20000));
    QCOMPARE(Eval(*B, "typeof (window.external && window.external.Echo)").toString(), QStringLiteral("undefined"));
    const QString Script = QStringLiteral(
        "(function () { try { var x = new XMLHttpRequest(); x.open('GET', 'vvbridge:/%1/put?h=0&n=Caption&a=%5B%22hacked%22%5D', "
        "false); x.send(); return x.status === 200 ? x.responseText : 'refused'; } catch (e) { return 'refused'; } })()")
                               .arg(B->BridgeToken());
    QCOMPARE(Eval(*B, Script).toString(), QStringLiteral("refused"));
    QCOMPARE(QString::fromStdU16String(External->Caption), QStringLiteral("first"));
  }

  void withoutAnExternalObjectPagesGetNoBridge() {
    QVERIFY(Load(*B, "mfs:\\page1.htm"));
    QVERIFY(B->BridgeToken().isEmpty());
    QCOMPARE(Eval(*B, "typeof (window.external && window.external.Echo)").toString(), QStringLiteral("undefined"));
  }
};

int main(int argc, char** argv) {
  PrepareWebEngineEnvironment();
  RegisterBookSchemes();
  QApplication App(argc, argv);
  TestMXWebBrowser Test;
  return QTest::qExec(&Test, argc, argv);
}

#include "test_MXWebBrowser.moc"
