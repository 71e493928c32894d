// The viewer's main window against the real engine: start-up from a book's two
// archives, the first page, variables in served files, the reading order
// driven from page script, user forms, and start-up failures.
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <map>
#include <memory>

#include "platform/u_WebEngineProtocol.h"
#include "shell/frm_Main.h"
#include "tools/u_BookPack.h"

using namespace vv;

namespace {
using TFiles = std::map<std::string, std::string>;

std::string Cabinet(const TFiles& Files) {
  TMFS Volume;
  for (const auto& [Path, Content] : Files) {
    Volume.DefaultSession().ForceFolders(TMFS::ExtractPath(Path));
    Volume.DefaultSession().CreateFile(Path, 0, false)->Content = Content;
  }
  return PackVolume(Volume);
}

const TFiles BookSystem = {
    {"\\System.xml", "<System Story=\"Story.xml\" Variables=\"Vars.xml\" Forms=\"Forms\\Forms.xml\" "
                     "MainFormCaption=\"%{Title} reader\" Width=700 Height=500/>"},
    {"\\Story.xml", "<Story><item page=\"\\one.htm\"/><item pagename=\"Part\">"
                    "<item page=\"\\two.htm\"/><item page=\"\\three.htm\"/></item></Story>"},
    {"\\Vars.xml", "<Variables><Variable Name=\"Title\">Test Book</Variable>"
                   "<Variable Name=\"Owner\">Ada</Variable></Variables>"},
    {"\\Forms\\Forms.xml", "<Forms><Form Name=\"About\" Path=\"About.htm\" Caption=\"About it\" "
                           "Width=320 Height=240/></Forms>"},
};

const TFiles BookFiles = {
    {"\\one.htm", "<html><body><p id=\"o\">Owned by %{OWNER}</p></body></html>"},
    {"\\two.htm", "<html><body>two</body></html>"},
    {"\\three.htm", "<html><body>three</body></html>"},
    {"\\outside.htm", "<html><body>outside</body></html>"},
    {"\\Forms\\About.htm", "<html><body>about %{Title}</body></html>"},
};

QVariant Eval(TMXWebBrowser& B, const QString& Script) {
  QVariant Result;
  QEventLoop Loop;
  bool Done = false;
  B.page()->runJavaScript(Script, [&](const QVariant& V) {
    Result = V;
    Done = true;
    Loop.quit();
  });
  QTimer::singleShot(20000, &Loop, &QEventLoop::quit);
  if (!Done)
    Loop.exec();
  return Result;
}

bool WaitForPage(TMXWebBrowser& B, const std::string& URL) {
  return QTest::qWaitFor([&] { return B.LocationURL() == URL && B.ReadyState() == READYSTATE_COMPLETE; }, 20000);
}

// Closes the next error box once it shows, keeping its text.
QString CatchErrorBox(const std::function<void()>& Action) {
  QString Text;
  QTimer Poll;
  QObject::connect(&Poll, &QTimer::timeout, [&] {
    if (auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      Text = Box->text();
      Box->accept();
    }
  });
  Poll.start(20);
  Action();
  return Text;
}
} // namespace

class TestFrmMain : public QObject {
  Q_OBJECT

  std::unique_ptr<TfrmMain> Open(const TFiles& System = BookSystem, const TFiles& Files = BookFiles) {
    auto Window = std::make_unique<TfrmMain>(TfrmMain::TBookSource{Cabinet(System), Cabinet(Files)});
    Window->show();
    return Window;
  }

private slots:
  void startsOnTheFirstPageWithVariablesExpanded() {
    auto W = Open();
    QVERIFY(!W->LoadFailed);
    QCOMPARE(W->windowTitle(), QStringLiteral("Test Book reader"));
    QCOMPARE(W->size(), QSize(700, 500));
    QCOMPARE(W->minimumSize(), W->maximumSize()); // fixed without ResizableWindow
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\one.htm"));
    QCOMPARE(Eval(*W->webMain, "document.getElementById('o').textContent").toString(), QStringLiteral("Owned by Ada"));
    QCOMPARE(W->GetCurrentPagePath(), std::string("\\one.htm"));
  }

  void pageScriptWalksTheReadingOrder() {
    auto W = Open();
    TMXWebBrowser& B = *W->webMain;
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    QCOMPARE(Eval(B, "window.external.Story.Current").toString(), QStringLiteral("\\one.htm"));
    // The flags say a step beyond an end was tried, not where the page is.
    QCOMPARE(Eval(B, "window.external.Story.Bof").toBool(), false);
    Eval(B, "window.external.Story.Prior()");
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    QCOMPARE(Eval(B, "window.external.Story.Bof").toBool(), true);
    Eval(B, "window.external.Story.Next()");
    QVERIFY(WaitForPage(B, "mfs:\\two.htm"));
    Eval(B, "window.external.Story.Last()");
    QVERIFY(WaitForPage(B, "mfs:\\three.htm"));
    Eval(B, "window.external.Story.Next()"); // at the end: shows the same page, sets Eof
    QVERIFY(WaitForPage(B, "mfs:\\three.htm"));
    QCOMPARE(Eval(B, "window.external.Story.Eof").toBool(), true);
    QCOMPARE(Eval(B, "try { window.external.Story.Next(); 'no error' } catch (e) { e.message }").toString(),
             QStringLiteral("End of story encountered"));
    QCOMPARE(Eval(B, "try { window.external.UserForm; 'no error' } catch (e) { e.message }").toString(),
             QStringLiteral("There is no active form"));
    QVERIFY(Eval(B, "window.external.Story === window.external.Story").toBool());
  }

  void pagesOutsideTheReadingOrderLeaveTheCursor() {
    auto W = Open();
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\one.htm"));
    W->GetStory().Last();
    W->webMain->Navigate("MFS:\\outside.htm");
    QVERIFY(QTest::qWaitFor([&] { return W->GetCurrentPagePath() == "\\outside.htm"; }, 20000));
    W->SyncStoryWithPage();
    QCOMPARE(W->GetStory().CurrentPage(), std::string("\\three.htm"));
  }

  void textSizeSurvivesNavigation() {
    auto W = Open();
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\one.htm"));
    const qreal Medium = W->webMain->zoomFactor();
    W->SetFontSize(5);
    W->SetFontSize(-1);
    QCOMPARE(W->webMain->zoomFactor(), Medium);
    W->FontSize = 4;
    W->GetStory().Next(W->GetCurrentPagePath());
    W->NavigateToStoryPage();
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\two.htm"));
    QVERIFY(W->webMain->zoomFactor() > Medium);
  }

  void userFormsOpenFromScriptAndAnswerWhenClosed() {
    auto W = Open();
    TMXWebBrowser& B = *W->webMain;
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    B.page()->runJavaScript("window.shown = 'waiting'; window.external.ShowUserForm('about'); window.shown = 'back';");
    QDialog* Form = nullptr;
    QVERIFY(QTest::qWaitFor([&] { return (Form = qobject_cast<QDialog*>(QApplication::activeModalWidget())); }, 20000));
    QCOMPARE(Form->windowTitle(), QStringLiteral("About it"));
    QCOMPARE(Form->size(), QSize(320, 240));
    auto* FormBrowser = Form->findChild<TMXWebBrowser*>("webUserForm");
    QVERIFY(FormBrowser);
    QVERIFY(WaitForPage(*FormBrowser, "mfs:\\Forms\\About.htm"));
    QCOMPARE(Eval(*FormBrowser, "window.external.UserForm.Caption").toString(), QStringLiteral("About it"));
    Eval(*FormBrowser, "window.external.UserForm.Width = 400");
    QCOMPARE(Form->width(), 400);
    FormBrowser->page()->runJavaScript("window.external.UserForm.Close()");
    QVERIFY(QTest::qWaitFor([&] { return Eval(B, "window.shown").toString() == "back"; }, 20000));
    QCOMPARE(Eval(B, "try { window.external.ShowUserForm('nope'); 'no error' } catch (e) { e.message }").toString(),
             QStringLiteral("Form \"nope\" not found"));
  }

  void aMissingSettingsFileEndsStartUp() {
    TFiles System = BookSystem;
    System.erase("\\System.xml");
    std::unique_ptr<TfrmMain> W;
    const QString Message = CatchErrorBox([&] { W = std::make_unique<TfrmMain>(TfrmMain::TBookSource{Cabinet(System), Cabinet(BookFiles)}); });
    QCOMPARE(Message, QStringLiteral("File \"System.xml\" not found"));
    QVERIFY(W->LoadFailed);
    QVERIFY(!W->SystemVolume);
    W->show();
    QTRY_VERIFY(!W->isVisible());
  }

  void aMissingContentArchiveEndsStartUp() {
    std::unique_ptr<TfrmMain> W;
    const QString Message = CatchErrorBox([&] { W = std::make_unique<TfrmMain>(TfrmMain::TBookSource{Cabinet(BookSystem), ""}); });
    QCOMPARE(Message, QStringLiteral("File \"\\info.cab\" is not a cabinet"));
    QVERIFY(W->LoadFailed);
  }
};

int main(int argc, char** argv) {
  PrepareWebEngineEnvironment();
  RegisterBookSchemes();
  QApplication App(argc, argv);
  App.setApplicationName("Vellumark Viewer");
  const TWebEngineProtocolPlatform Platform;
  TestFrmMain Test;
  const int Result = QTest::qExec(&Test, argc, argv);
  return Result;
}

#include "test_frmMain.moc"
