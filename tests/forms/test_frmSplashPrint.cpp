// The splash window and pop-ups, the print window and the print-menu
// queries, against real widgets and the real engine, without a display; the
// decisions behind them are tested through fake views in viewer_logic_tests.
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <functional>
#include <memory>

#include "tests/EngineTestUtil.h"
#include "forms/frm_Print.h"
#include "forms/frm_Splash.h"
#include "forms/frm_FormViews.h"
#include "forms/u_Print.h"
#include "forms/u_PrintSections.h"
#include "forms/u_Splash.h"
#include "host/u_QtMessageLoop.h"
#include "platform/u_Ansi.h"
#include "platform/u_WebEngineProtocol.h"
#include "protocol/u_MFSInternetProtocol.h"

using namespace vv;
using vvtest::Eval;

namespace {
std::string Picture(int W, int H, const char* Format) {
  QImage Image(W, H, QImage::Format_RGB32);
  Image.fill(Qt::darkCyan);
  QByteArray Bytes;
  QBuffer Buffer(&Bytes);
  Buffer.open(QIODevice::WriteOnly);
  Image.save(&Buffer, Format);
  return Bytes.toStdString();
}

bool WaitComplete(TMXWebBrowser& B) {
  if (B.ReadyState() == READYSTATE_COMPLETE)
    return true;
  QSignalSpy Complete(&B, &TMXWebBrowser::DocumentComplete);
  return Complete.wait(20000);
}

// Acts on the next modal window from inside the loop that window runs; gives
// up after ten seconds so a missing window fails the test instead of hanging.
void OnNextModal(std::function<void(QWidget*)> Act) {
  auto* Timer = new QTimer;
  auto* Started = new QElapsedTimer;
  Started->start();
  Timer->setInterval(20);
  QObject::connect(Timer, &QTimer::timeout, [Timer, Started, Act = std::move(Act)] {
    QWidget* Modal = QApplication::activeModalWidget();
    if (!Modal && Started->elapsed() < 10000)
      return;
    Timer->stop();
    Timer->deleteLater();
    delete Started;
    if (Modal)
      Act(Modal);
  });
  Timer->start();
}

QList<TfrmSplash*> VisibleSplashes() {
  QList<TfrmSplash*> Result;
  for (QWidget* W : QApplication::topLevelWidgets())
    if (auto* S = qobject_cast<TfrmSplash*>(W); S && S->isVisible())
      Result.append(S);
  return Result;
}

void DeleteReleased() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

TSplashOptions Options(TSplashType S, TSplashType E, int Interval, bool CloseOnClick = false) {
  TSplashOptions O;
  O.SplashTypeS = S;
  O.SplashTypeE = E;
  O.Interval = Interval;
  O.CloseOnClick = CloseOnClick;
  return O;
}
} // namespace

class TestFrmSplashPrint : public QObject {
  Q_OBJECT

private:
  TMFS Files, System;
  TQtFormViews FormViews{nullptr};
  std::unique_ptr<TWebEngineProtocolPlatform> Platform;
  std::unique_ptr<TMFSInternetProtocol> FilesProtocol;

private slots:
  void initTestCase() {
    auto& S = System.DefaultSession();
    S.CreateMFSFile("\\SplashS.bmp", 0, false)->Content = Picture(120, 80, "BMP");
    S.CreateMFSFile("\\SplashE.bmp", 0, false)->Content = Picture(60, 60, "BMP");
    S.CreateMFSFile("\\Odd.bmp", 0, false)->Content = Picture(301, 201, "BMP");
    S.CreateMFSFile("\\Upper.BMP", 0, false)->Content = Picture(30, 20, "BMP");
    S.CreateMFSFile("\\Icon.ico", 0, false)->Content = Picture(16, 16, "ICO");
    S.CreateMFSFile("\\Photo.JPEG", 0, false)->Content = Picture(40, 30, "JPEG");
    S.CreateMFSFile("\\Pic.png", 0, false)->Content = Picture(30, 20, "PNG");
    S.CreateMFSFile("\\Png.bmp", 0, false)->Content = Picture(30, 20, "PNG");
    S.CreateMFSFile("\\Broken.bmp", 0, false)->Content = "BM not a bitmap";
    S.CreateMFSFile("\\Drawing.wmf", 0, false)->Content = "\xD7\xCD\xC6\x9A not rendered";
    S.ForceFolders("\\tb");
    S.CreateMFSFile("\\tb\\SplashE.bmp", 0, false)->Content = Picture(70, 50, "BMP");

    auto& F = Files.DefaultSession();
    F.ForceFolders("\\img");
    F.CreateMFSFile("\\img\\dot.png", 0, false)->Content = Picture(7, 5, "PNG");
    F.CreateMFSFile("\\sections.htm", 0, false)->Content =
        "<html><body>"
        "<div id=\"page2\">not a section</div>"
        "<div id=\"chapterPage\">Chapter <b>one</b> &alpha;&rarr;&#x1F600;\n<img id=\"i\" src=\"img\\dot.png\"></div>"
        "<span id=\"printPage\">a span</span>"
        "<div id=\"PAGE\">all caps<div id=\"innerpage\">inner</div></div>"
        "<div id=\"CHAPTERPAGE\">the second of that name</div>"
        "<iframe src=\"frame.htm\"></iframe>"
        "<div id=\"printpage\">last</div>"
        "</body></html>";
    F.CreateMFSFile("\\frame.htm", 0, false)->Content = "<html><body><div id=\"framePAGE\">framed</div></body></html>";
    Platform = std::make_unique<TWebEngineProtocolPlatform>();
    FilesProtocol = std::make_unique<TMFSInternetProtocol>("mfs", &Files);
  }

  void cleanup() {
    for (QWidget* W : QApplication::topLevelWidgets())
      if (qobject_cast<TfrmSplash*>(W))
        delete W;
    System.DefaultSession().ChangeDir("\\");
  }

  void cleanupTestCase() {
    FilesProtocol.reset();
    Platform.reset();
  }

  // ---- splash window ----

  void splashViewIsSizedToItsPicture_data() {
    QTest::addColumn<QByteArray>("Format");
    QTest::addColumn<int>("Type");
    QTest::addColumn<int>("Width");
    QTest::addColumn<int>("Height");
    QTest::newRow("bitmap") << QByteArray("BMP") << int(TPictureKind::Bitmap) << 120 << 80;
    QTest::newRow("odd size") << QByteArray("BMP") << int(TPictureKind::Bitmap) << 301 << 201;
    QTest::newRow("icon") << QByteArray("ICO") << int(TPictureKind::Icon) << 16 << 16;
    QTest::newRow("jpeg") << QByteArray("JPEG") << int(TPictureKind::Jpeg) << 40 << 30;
  }
  void splashViewIsSizedToItsPicture() {
    QFETCH(QByteArray, Format);
    QFETCH(int, Type);
    QFETCH(int, Width);
    QFETCH(int, Height);
    TQtSplashView View;
    QVERIFY(View.LoadPicture(Picture(Width, Height, Format.constData()), static_cast<TPictureKind>(Type)));
    QCOMPARE(View.WindowSize(), (TSize{Width, Height}));
    TfrmSplash* Window = nullptr;
    for (QWidget* W : QApplication::topLevelWidgets())
      if (auto* S = qobject_cast<TfrmSplash*>(W))
        Window = S;
    QVERIFY(Window);
    QVERIFY(Window->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(Window->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(Window->imgSplash->pixmap().size(), QSize(Width, Height));
    View.MoveTo({3, 4});
    View.Show();
    QVERIFY(QTest::qWaitForWindowExposed(Window));
    QCOMPARE(Window->geometry(), QRect(3, 4, Width, Height));
  }

  void picturesItCannotShowAreRefused_data() {
    QTest::addColumn<QByteArray>("Bytes");
    QTest::addColumn<int>("Type");
    QTest::newRow("other type under .bmp") << QByteArray::fromStdString(Picture(30, 20, "PNG")) << int(TPictureKind::Bitmap);
    QTest::newRow("broken bitmap") << QByteArray("BM not a bitmap") << int(TPictureKind::Bitmap);
    QTest::newRow("metafile") << QByteArray("\xD7\xCD\xC6\x9A not rendered") << int(TPictureKind::Metafile);
  }
  void picturesItCannotShowAreRefused() {
    QFETCH(QByteArray, Bytes);
    QFETCH(int, Type);
    TQtSplashView View;
    QVERIFY(!View.LoadPicture(Bytes.toStdString(), static_cast<TPictureKind>(Type)));
  }

  void clickClosesOnlyWithCloseOnClick_data() {
    QTest::addColumn<bool>("CloseOnClick");
    QTest::addColumn<bool>("OnPicture");
    QTest::newRow("off, picture") << false << true;
    QTest::newRow("off, window") << false << false;
    QTest::newRow("on, picture") << true << true;
    QTest::newRow("on, window") << true << false;
  }
  void clickClosesOnlyWithCloseOnClick() {
    QFETCH(bool, CloseOnClick);
    QFETCH(bool, OnPicture);
    const TSplashOptions O = Options(vsSplash, vsNone, 10, CloseOnClick);
    bool SplashDone = true;
    ShowSplash(&O, true, &System, SplashDone, FormViews, QtMessageLoop());
    const auto Shown = VisibleSplashes();
    QCOMPARE(Shown.size(), 1);
    QPointer<TfrmSplash> Splash = Shown[0];
    QVERIFY(QTest::qWaitForWindowExposed(Splash));
    QWidget* Target = OnPicture ? static_cast<QWidget*>(Splash->imgSplash) : Splash.data();
    QTest::mouseClick(Target, Qt::LeftButton, {}, QPoint(5, 5));
    DeleteReleased();
    QCOMPARE(Splash.isNull(), CloseOnClick);
    QCOMPARE(SplashFinished(), CloseOnClick);
    if (!CloseOnClick)
      QVERIFY(Splash->isVisible());
  }

  // ---- ShowSplash ----

  void startSplashReturnsAtOnceAndClosesAfterItsInterval() {
    const TSplashOptions O = Options(vsSplash, vsNone, 1);
    bool SplashDone = true;
    QElapsedTimer Clock;
    Clock.start();
    ShowSplash(&O, true, &System, SplashDone, FormViews, QtMessageLoop());
    QVERIFY(Clock.elapsed() < 900);
    QVERIFY(SplashDone);
    const auto Shown = VisibleSplashes();
    QCOMPARE(Shown.size(), 1);
    QCOMPARE(Shown[0]->size(), QSize(120, 80));
    const QRect Screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(Shown[0]->pos(), QPoint(Screen.left() + (Screen.width() - 120) / 2, Screen.top() + (Screen.height() - 80) / 2));
    QVERIFY(!SplashFinished());
    QSignalSpy Gone(Shown[0], &QObject::destroyed);
    QVERIFY(Gone.wait(5000));
    // Coarse timers may fire up to 5% early.
    QVERIFY2(Clock.elapsed() >= 950, qPrintable(QString::number(Clock.elapsed())));
    QVERIFY(SplashFinished());
  }

  void endSplashWaitsUntilItHasClosed() {
    // The end picture is looked up in the session's current folder.
    System.DefaultSession().ChangeDir("\\tb");
    const TSplashOptions O = Options(vsNone, vsSplash, 1);
    bool SplashDone = true;
    bool DoneWhileShown = true;
    QSize ShownSize;
    QTimer::singleShot(200, [&] {
      DoneWhileShown = SplashDone;
      const auto Shown = VisibleSplashes();
      if (Shown.size() == 1)
        ShownSize = Shown[0]->size();
    });
    QElapsedTimer Clock;
    Clock.start();
    ShowSplash(&O, false, &System, SplashDone, FormViews, QtMessageLoop());
    QVERIFY2(Clock.elapsed() >= 950, qPrintable(QString::number(Clock.elapsed())));
    QVERIFY(!DoneWhileShown);
    QCOMPARE(ShownSize, QSize(70, 50));
    QVERIFY(SplashDone);
    QVERIFY(SplashFinished());
    QVERIFY(VisibleSplashes().isEmpty());
  }

  void waitForSplashDoneNestedInTheEndWaitEnds() {
    // A second close query arriving during the end wait waits for SplashDone
    // inside the end wait's own loop; both must end.
    const TSplashOptions O = Options(vsNone, vsSplash, 1);
    bool SplashDone = true;
    bool InnerReturned = false;
    QTimer::singleShot(100, [&] {
      QtMessageLoop().WaitUntil([&] { return SplashDone; }, -1);
      InnerReturned = true;
    });
    QTimer Guard;
    Guard.setSingleShot(true);
    bool Rescued = false;
    QObject::connect(&Guard, &QTimer::timeout, [&] {
      Rescued = true;
      SplashDone = true;
      QtMessageLoop().Wake();
    });
    Guard.start(8000);
    ShowSplash(&O, false, &System, SplashDone, FormViews, QtMessageLoop());
    QVERIFY(InnerReturned);
    QVERIFY(!Rescued);
    QVERIFY(SplashDone);
  }

  void popUpShowsTheMomentsTextInAnInformationBox_data() {
    QTest::addColumn<bool>("AtStart");
    QTest::addColumn<QString>("Expected");
    QTest::newRow("start") << true << QString::fromUtf8("Welcome,\nreader \u00e9\u20ac");
    QTest::newRow("end") << false << QStringLiteral("Good bye");
  }
  void popUpShowsTheMomentsTextInAnInformationBox() {
    QFETCH(bool, AtStart);
    QFETCH(QString, Expected);
    TSplashOptions O = Options(AtStart ? vsPopUp : vsSplash, AtStart ? vsSplash : vsPopUp, 1);
    O.PopUpTextS = "Welcome,\nreader \xE9\x80";
    O.PopUpTextE = "Good bye";
    QString Title, Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons Buttons;
    OnNextModal([&](QWidget* Modal) {
      auto* Box = qobject_cast<QMessageBox*>(Modal);
      if (!Box)
        return;
      Title = Box->windowTitle();
      Text = Box->text();
      Icon = Box->icon();
      Buttons = Box->standardButtons();
      QTest::mouseClick(Box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    bool SplashDone = true;
    ShowSplash(&O, AtStart, &System, SplashDone, FormViews, QtMessageLoop());
    QCOMPARE(Title, QStringLiteral("Information"));
    QCOMPARE(Text, Expected);
    QCOMPARE(Icon, QMessageBox::Information);
    QCOMPARE(Buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(SplashDone);
    QVERIFY(VisibleSplashes().isEmpty());
  }

  // ---- print window ----

  void printWindowHasItsCaptionSizeAndButtons() {
    TfrmPrint F;
    const TPrintForm Logic(F);
    QCOMPARE(F.windowTitle(), QStringLiteral("Print page"));
    QCOMPARE(F.size(), QSize(696, 480));
    const QRect Screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(F.pos(), QPoint(Screen.left() + (Screen.width() - 696) / 2, Screen.top() + (Screen.height() - 480) / 2));
    QCOMPARE(F.tbtnPrint->toolTip(), QStringLiteral("Print"));
    QCOMPARE(F.tbtnPreview->toolTip(), QStringLiteral("Preview"));
    QCOMPARE(F.imglToolbar.size(), std::size_t(2));
    QVERIFY(!F.tbtnPrint->icon().isNull() && !F.tbtnPreview->icon().isNull());
    QCOMPARE(F.tbtnPrint->iconSize(), QSize(16, 16));
    // Images, videos and background sounds; no scripts: a section is printed as markup.
    QCOMPARE(F.webPrint->DownloadControlFlags(), 0xF0);
    // The browser asks the window, and the window refuses every context menu.
    QCOMPARE(F.webPrint->ShowContextMenu(VV_CONTEXT_MENU_DEFAULT, TPoint()), VV_S_OK);
    QCOMPARE(F.webPrint->ShowContextMenu(VV_CONTEXT_MENU_TEXTSELECT, TPoint()), VV_S_OK);
  }

  void loadsTheSectionWithRelativePicturesIntoThePrintBrowser() {
    TfrmPrint F;
    F.show();
    QVERIFY(QTest::qWaitForWindowExposed(&F));
    TPrintForm Logic(F);
    Logic.LoadHTML(PrintSectionHtml("<p id=\"t\">Section\r\ntext</p>\n<img id=\"i\" src=\"img\\dot.png\">"
                                                      "<img id=\"j\" src=\"img/dot.png\">"));
    QVERIFY(WaitComplete(*F.webPrint));
    QCOMPARE(Eval(*F.webPrint, "document.getElementById('t').textContent").toString(), QStringLiteral("Section\ntext"));
    QCOMPARE(Eval(*F.webPrint, "document.getElementById('i').naturalWidth").toInt(), 7);
    QCOMPARE(Eval(*F.webPrint, "document.getElementById('j').naturalWidth").toInt(), 7);
  }

  void previewShowsAtOnceThatItWorksAndComesForwardWhenAskedAgain() {
    TfrmPrint F;
    F.show();
    QVERIFY(QTest::qWaitForWindowExposed(&F));
    std::string Section;
    for (int I = 0; I < 300; ++I)
      Section += "<p>Preview me, a paragraph long enough to fill a few printed pages of this section.</p>";
    TPrintForm Logic(F);
    Logic.LoadHTML(PrintSectionHtml(Section));
    QVERIFY(WaitComplete(*F.webPrint));
    // Watched while the pages are prepared (the engine is waited for in a
    // loop of the preview's own): the window is there with its note and a
    // busy cursor before any page, and asking again brings it forward.
    bool SeenWorking = false;
    QTimer Watch;
    connect(&Watch, &QTimer::timeout, [&] {
      auto* Preview = F.findChild<QPrintPreviewDialog*>();
      auto* Pages = Preview ? Preview->findChild<QPrintPreviewWidget*>() : nullptr;
      if (SeenWorking || !Preview || !Preview->isVisible() || !Pages || Pages->pageCount() > 0)
        return;
      auto* Note = Preview->findChild<QLabel*>("lblPreparing");
      SeenWorking = Note && Note->isVisible() && Note->text() == QStringLiteral("Preparing the pages for printing...") &&
                    QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
      F.tbtnPreview->click();
    });
    Watch.start(5);
    QTest::mouseClick(F.tbtnPreview, Qt::LeftButton);
    QPrintPreviewDialog* Preview = nullptr;
    QTRY_VERIFY((Preview = F.findChild<QPrintPreviewDialog*>()));
    auto* Pages = Preview->findChild<QPrintPreviewWidget*>();
    QVERIFY(Pages);
    QTRY_VERIFY_WITH_TIMEOUT(Pages->pageCount() >= 2, 20000);
    QVERIFY(SeenWorking);
    QTest::qWait(50); // a second preview would have opened by now
    QCOMPARE(F.findChildren<QPrintPreviewDialog*>().size(), 1);
    QVERIFY(Preview->findChild<QLabel*>("lblPreparing")->isHidden());
    QVERIFY(!QApplication::overrideCursor());
    QPointer<QPrintPreviewDialog> Closed = Preview;
    Preview->close();
    DeleteReleased();
    QVERIFY(Closed.isNull());
  }

  void printButtonPrintsWithoutADialog() {
    TfrmPrint F;
    F.show();
    QVERIFY(QTest::qWaitForWindowExposed(&F));
    TPrintForm Logic(F);
    Logic.LoadHTML(PrintSectionHtml("<p>Print me</p>"));
    QVERIFY(WaitComplete(*F.webPrint));
    QSignalSpy Printed(F.webPrint, &QWebEngineView::printFinished);
    QString Failure;
    QTest::mouseClick(F.tbtnPrint, Qt::LeftButton);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(Printed.wait(20000));
    // This machine has no printer: the reader is told so, not left guessing.
    if (!Printed.last().at(0).toBool()) {
      OnNextModal([&](QWidget* Modal) {
        if (auto* Box = qobject_cast<QMessageBox*>(Modal)) {
          Failure = Box->text();
          Box->accept();
        }
      });
      QTRY_COMPARE_WITH_TIMEOUT(Failure, QStringLiteral("No printer is available"), 20000);
    }

    // The same document printed to a PDF file gives pages.
    QTemporaryDir Dir;
    QPrinter Pdf(QPrinter::HighResolution);
    Pdf.setOutputFormat(QPrinter::PdfFormat);
    Pdf.setOutputFileName(Dir.filePath("section.pdf"));
    F.webPrint->print(&Pdf);
    QVERIFY(Printed.wait(20000));
    QCOMPARE(Printed.last().at(0).toBool(), true);
    QFile Out(Dir.filePath("section.pdf"));
    QVERIFY(Out.open(QIODevice::ReadOnly));
    QVERIFY(Out.read(5) == "%PDF-");
  }

  void aSecondPrintWhileTheFirstRunsIsAnErrorBoxNotACrash() {
    TfrmPrint F;
    F.show();
    QVERIFY(QTest::qWaitForWindowExposed(&F));
    TPrintForm Logic(F);
    Logic.LoadHTML(PrintSectionHtml("<p>Twice</p>"));
    QVERIFY(WaitComplete(*F.webPrint));
    QSignalSpy Printed(F.webPrint, &QWebEngineView::printFinished);
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    OnNextModal([&](QWidget* Modal) {
      if (auto* Box = qobject_cast<QMessageBox*>(Modal)) {
        Icon = Box->icon();
        Box->accept();
      }
    });
    Logic.Print();
    Logic.Print();
    QCOMPARE(Icon, QMessageBox::Critical);
    QVERIFY(Printed.count() > 0 || Printed.wait(20000));
    if (!Printed.last().at(0).toBool()) { // no printer here: that box comes too
      bool Closed = false;
      OnNextModal([&](QWidget* Modal) { Closed = Modal->close(); });
      QTRY_VERIFY_WITH_TIMEOUT(Closed, 20000);
    }
  }

  // ---- the print menu from a page ----

  void sectionsOfThePageFillThePrintMenu() {
    TMXWebBrowser B;
    B.resize(640, 480);
    B.show();
    QVERIFY(QTest::qWaitForWindowExposed(&B));
    QSignalSpy Complete(&B, &TMXWebBrowser::DocumentComplete);
    B.Navigate("mfs:\\sections.htm");
    QVERIFY(Complete.wait(20000));

    std::vector<std::string> Ids;
    {
      QEventLoop Loop;
      QueryPrintSections(B, [&](std::vector<std::string> Found) {
        Ids = std::move(Found);
        Loop.quit();
      });
      QTimer::singleShot(20000, &Loop, &QEventLoop::quit);
      Loop.exec();
    }
    // page2 and the span do not count, nested sections do, frames are not searched.
    QCOMPARE(Ids, (std::vector<std::string>{"chapterPage", "PAGE", "innerpage", "CHAPTERPAGE", "printpage"}));

  }

  void chosenSectionOpensInAModalPrintWindow() {
    TMXWebBrowser B;
    B.resize(640, 480);
    B.show();
    QVERIFY(QTest::qWaitForWindowExposed(&B));
    QSignalSpy Complete(&B, &TMXWebBrowser::DocumentComplete);
    B.Navigate("mfs:\\sections.htm");
    QVERIFY(Complete.wait(20000));

    // Ids differing only in case: the first in document order is printed.
    // The answer comes from the event loop, so the modal window and its
    // browser can run from the callback.
    QString Caption, Text;
    int Picture = 0;
    bool Answered = false;
    QEventLoop Loop;
    QueryPrintSectionHtml(B, "CHAPTERPAGE", [&](std::optional<std::string> Html) {
      Answered = Html.has_value();
      if (!Html) {
        Loop.quit();
        return;
      }
      OnNextModal([&](QWidget* Modal) {
        auto* Form = qobject_cast<TfrmPrint*>(Modal);
        if (!Form)
          return;
        Caption = Form->windowTitle();
        if (WaitComplete(*Form->webPrint)) {
          Text = Eval(*Form->webPrint, "document.body.textContent").toString();
          Picture = Eval(*Form->webPrint, "document.getElementById('i').naturalWidth").toInt();
        }
        Form->close();
      });
      ShowPrintForm(FormViews, *Html);
      Loop.quit();
    });
    QTimer::singleShot(60000, &Loop, &QEventLoop::quit);
    Loop.exec();
    QVERIFY(Answered);
    QCOMPARE(Caption, QStringLiteral("Print page"));
    // Letters outside the book's code page reach the print window unchanged.
    QCOMPARE(Text.simplified(), QStringLiteral("Chapter one \u03B1\u2192") + QString::fromUcs4(U"\U0001F600"));
    QCOMPARE(Picture, 7);
    // The window is gone once ShowPrintForm returned.
    DeleteReleased();
    for (QWidget* W : QApplication::topLevelWidgets())
      QVERIFY(!qobject_cast<TfrmPrint*>(W));

    std::optional<std::string> Gone = std::string("not answered");
    QueryPrintSectionHtml(B, "gonePage", [&](std::optional<std::string> Html) {
      Gone = std::move(Html);
      Loop.quit();
    });
    Loop.exec();
    QVERIFY(!Gone.has_value());
  }
};

int main(int argc, char** argv) {
  PrepareWebEngineEnvironment();
  RegisterBookSchemes();
  QApplication App(argc, argv);
  TestFrmSplashPrint Test;
  return QTest::qExec(&Test, argc, argv);
}

#include "test_frmSplashPrint.moc"
