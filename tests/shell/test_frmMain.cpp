// The viewer's main window against the real engine: start-up from a book's two
// archives, the first page, variables in served files, the reading order
// driven from page script, user forms, and start-up failures.
#include <QClipboard>
#include <QDialog>
#include <QEventLoop>
#include <QMenu>
#include <QSignalSpy>
#include <memory>

#include "tests/EngineTestUtil.h"
#include "storage/u_MFSCabLoad.h"
#include "tests/shell/MainWindowTestUtil.h"

using namespace vv;
using namespace vvtest;

class TestFrmMain : public QObject {
  Q_OBJECT

private slots:
  void startsOnTheFirstPageWithVariablesExpanded() {
    auto W = OpenBook();
    QVERIFY(!W->Logic->LoadFailed);
    QCOMPARE(W->windowTitle(), QStringLiteral("Test Book reader"));
    QCOMPARE(W->size(), QSize(700, 500));
    QCOMPARE(W->minimumSize(), W->maximumSize()); // fixed without ResizableWindow
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\one.htm"));
    QCOMPARE(Eval(*W->webMain, "document.getElementById('o').textContent").toString(), QStringLiteral("Owned by Ada"));
    QCOMPARE(W->Logic->GetCurrentPagePath(), std::string("\\one.htm"));
  }

  void pageScriptWalksTheReadingOrder() {
    auto W = OpenBook();
    TMXWebBrowser& B = *W->webMain;
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    QCOMPARE(Eval(B, "window.external.Story.Current").toString(), QStringLiteral("\\one.htm"));
    Eval(B, "window.external.Story.Next()");
    QVERIFY(WaitForPage(B, "mfs:\\two.htm"));
    Eval(B, "window.external.Story.Last()");
    QVERIFY(WaitForPage(B, "mfs:\\three.htm"));
    Eval(B, "window.external.Story.Next()"); // at the end: shows the same page, sets Eof
    QVERIFY(WaitForPage(B, "mfs:\\three.htm"));
    QCOMPARE(Eval(B, "window.external.Story.Eof").toBool(), true);
    QCOMPARE(Eval(B, "try { window.external.Story.Next(); 'no error' } catch (e) { e.message }").toString(),
             QStringLiteral("End of story encountered"));
  }

  void pageScriptDrivesTheBrowser() {
    auto W = OpenBook();
    TMXWebBrowser& B = *W->webMain;
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    QCOMPARE(Eval(B, "window.external.WebBrowser.LocationURL").toString(), QStringLiteral("mfs:\\one.htm"));
    QCOMPARE(Eval(B, "window.external.webbrowser.readystate").toInt(), READYSTATE_COMPLETE);
    Eval(B, "window.external.WebBrowser.Navigate('mfs:\\\\two.htm')");
    QVERIFY(WaitForPage(B, "mfs:\\two.htm"));
    Eval(B, "window.external.WebBrowser.GoHome()");
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    Eval(B, "window.external.WebBrowser.GoBack()");
    QVERIFY(WaitForPage(B, "mfs:\\two.htm"));
  }

  void pagesOutsideTheReadingOrderLeaveTheCursor() {
    auto W = OpenBook();
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\one.htm"));
    W->Logic->GetStory().Last();
    W->webMain->Navigate("MFS:\\outside.htm");
    QVERIFY(QTest::qWaitFor([&] { return W->Logic->GetCurrentPagePath() == "\\outside.htm"; }, 20000));
    W->Logic->SyncStoryWithPage();
    QCOMPARE(W->Logic->GetStory().CurrentPage(), std::string("\\three.htm"));
  }

  void textSizeSurvivesNavigation() {
    auto W = OpenBook();
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\one.htm"));
    const qreal Medium = W->webMain->zoomFactor();
    W->Logic->SetFontSize(5);
    W->Logic->SetFontSize(-1);
    QCOMPARE(W->webMain->zoomFactor(), Medium);
    W->Logic->FontSize = 4;
    W->Logic->GetStory().Next(W->Logic->GetCurrentPagePath());
    W->Logic->NavigateToStoryPage();
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\two.htm"));
    QVERIFY(W->webMain->zoomFactor() > Medium);
  }

  void userFormsOpenFromScriptAndAnswerWhenClosed() {
    auto W = OpenBook();
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
  }

  void toolbarButtonsFollowTheFileInOrder() {
    auto W = OpenBook(ToolbarBook("<Btn Caption=\"sep\" Image=\"a\"/>"
                              "<Btn Kind=5 Caption=\"Next\" Image=\"a\"/>"
                              "<Btn Kind=6 Caption=\"Ghost\" ImageIndex=0 Image=\"none\"/>"
                              "<Btn Kind=129 Caption=\"Back too\"/>"
                              "<Btn Kind=18 Caption=\"Nothing\"/>"
                              "<Btn Kind=13 Caption=\"Favs\"><b/><b caption=\"Two\" url=\"mfs:\\two.htm\"/></Btn>"));
    QVERIFY(!W->Logic->LoadFailed);
    const auto B = Buttons(*W);
    QCOMPARE(B.size(), std::size_t{6});
    for (int i = 0; i < 6; ++i)
      QCOMPARE(B[static_cast<std::size_t>(i)]->property("Tag").toInt(), i);
    QVERIFY(!B[0]->isEnabled());
    QCOMPARE(B[0]->width(), 8);
    QVERIFY(B[0]->text().isEmpty());
    QVERIFY(!B[1]->icon().isNull());
    QVERIFY(B[2]->icon().isNull()); // a named image that does not exist wins over ImageIndex
    QCOMPARE(B[5]->menu(), W->popBookMarks);
    const auto Favourites = W->popBookMarks->actions();
    QCOMPARE(Favourites.size(), 2);
    QCOMPARE(Favourites[0]->text(), QStringLiteral("Description"));
    QCOMPARE(Favourites[0]->toolTip(), QStringLiteral("URL"));

    TMXWebBrowser& Browser = *W->webMain;
    QVERIFY(WaitForPage(Browser, "mfs:\\one.htm"));
    B[1]->click(); // Next
    QVERIFY(WaitForPage(Browser, "mfs:\\two.htm"));
    B[4]->click(); // kind 18: nothing
    B[3]->click(); // kind 129 keeps its low bits: Back
    QVERIFY(WaitForPage(Browser, "mfs:\\one.htm"));
    Favourites[1]->trigger();
    QVERIFY(WaitForPage(Browser, "mfs:\\two.htm"));
    B[2]->click(); // Last
    QVERIFY(WaitForPage(Browser, "mfs:\\three.htm"));
    B[1]->click(); // Next at the end: nothing, and no error
    QCOMPARE(W->Logic->GetStory().CurrentPage(), std::string("\\three.htm"));
  }

  void textSizeMenuSetsTheReadersLevel() {
    auto W = OpenBook(ToolbarBook("<Btn Kind=11 Caption=\"Size\"/>"));
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\one.htm"));
    W->mnuFS_ExtraLarge->trigger();
    QCOMPARE(W->Logic->FontSize, 4);
    QCOMPARE(Buttons(*W)[0]->menu(), W->popFontSize);
  }

  void toolbarImagesMustFitTheImageList() {
    std::unique_ptr<TfrmMain> W;
    QString Message = CatchErrorBox([&] {
      W = std::make_unique<TfrmMain>(TfrmMain::TBookSource{
          Cabinet(ToolbarBook("", "<Img Path=\"small.bmp\"/>")), Cabinet(BookFiles)});
    });
    QCOMPARE(Message, QStringLiteral("Invalid toolbar image size"));
    QVERIFY(W->Logic->LoadFailed);
    Message = CatchErrorBox([&] {
      W = std::make_unique<TfrmMain>(TfrmMain::TBookSource{
          Cabinet(ToolbarBook("", "<Img Path=\"a.gif\"/>")), Cabinet(BookFiles)});
    });
    QCOMPARE(Message, QStringLiteral("Unknown picture file extension (.gif)"));
  }

  void copyAndContextMenuFollowThePagesSetting() {
    TFiles System = BookSystem;
    System["\\Story.xml"] = "<Story><item page=\"\\one.htm\" rightclick=False/><item page=\"\\two.htm\"/></Story>";
    auto W = OpenBook(System);
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\one.htm"));
    QCOMPARE(W->Logic->webMain2ShowContextMenu(0, TPoint()), VV_S_OK);
    QApplication::clipboard()->setText("kept?");
    QWidget* Page = W->webMain->focusProxy() ? W->webMain->focusProxy() : W->webMain;
    QTest::keyPress(Page, Qt::Key_Control, Qt::ControlModifier);
    QTest::keyPress(Page, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(QApplication::clipboard()->text().isEmpty());
    // A second C follows a C, not Ctrl, and passes; so does Ctrl, Shift, C.
    QKeyEvent Ctrl(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
    QKeyEvent Shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier);
    QKeyEvent C(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(!W->ApplicationEvents1Message(Page, &Ctrl));
    QVERIFY(W->ApplicationEvents1Message(Page, &C));
    QVERIFY(!W->ApplicationEvents1Message(Page, &C));
    QVERIFY(!W->ApplicationEvents1Message(Page, &Ctrl));
    QVERIFY(!W->ApplicationEvents1Message(Page, &Shift));
    QVERIFY(!W->ApplicationEvents1Message(Page, &C));
    W->Logic->GetStory().Next(W->Logic->GetCurrentPagePath());
    W->Logic->NavigateToStoryPage();
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\two.htm"));
    QCOMPARE(W->Logic->webMain2ShowContextMenu(0, TPoint()), VV_S_FALSE);
  }

  void standardKeysRunTheToolbarsCommands() {
    auto W = OpenBook();
    TMXWebBrowser& B = *W->webMain;
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    W->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(W.get()));
    QTest::keyClick(W.get(), Qt::Key_Equal, Qt::ControlModifier);
    QCOMPARE(W->Logic->FontSize, 3);
    QTest::keyClick(W.get(), Qt::Key_Minus, Qt::ControlModifier);
    QTest::keyClick(W.get(), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(W->Logic->FontSize, 1);
    QTest::keyClick(W.get(), Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(W->Logic->FontSize, 2);
    B.Navigate("mfs:\\two.htm");
    QVERIFY(WaitForPage(B, "mfs:\\two.htm"));
    QTest::keyClick(W.get(), Qt::Key_Left, Qt::AltModifier);
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
  }

  void escapeClosesTheMainWindow() {
    auto W = OpenBook();
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\one.htm"));
    W->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(W.get()));
    QTest::keyClick(W.get(), Qt::Key_Escape);
    QTRY_VERIFY(!W->isVisible());
  }

  void aMissingSettingsFileEndsStartUp() {
    TFiles System = BookSystem;
    System.erase("\\System.xml");
    std::unique_ptr<TfrmMain> W;
    const QString Message = CatchErrorBox([&] { W = std::make_unique<TfrmMain>(TfrmMain::TBookSource{Cabinet(System), Cabinet(BookFiles)}); });
    QCOMPARE(Message, QStringLiteral("File \"System.xml\" not found"));
    QVERIFY(W->Logic->LoadFailed);
    QVERIFY(!W->Logic->SystemVolume);
    W->show();
    QTRY_VERIFY(!W->isVisible());
  }

  // The content archive unpacks on a thread of its own; its failure must
  // still be the one shown, at its own step, exactly as the step words it.
  void aDamagedContentArchiveEndsStartUpWithItsOwnMessage() {
    std::string Damaged = Cabinet(BookFiles);
    Damaged[Damaged.size() - 3] ^= 0x20;
    QString InPlace;
    try {
      TMFS Volume;
      LoadVolumeFromCabinet(Volume, Damaged);
    } catch (const std::exception& E) {
      InPlace = QString::fromLatin1(E.what());
    }
    QVERIFY(!InPlace.isEmpty());
    std::unique_ptr<TfrmMain> W;
    const QString Message =
        CatchErrorBox([&] { W = std::make_unique<TfrmMain>(TfrmMain::TBookSource{Cabinet(BookSystem), Damaged}); });
    QCOMPARE(Message, InPlace);
    QVERIFY(W->Logic->LoadFailed);
    QVERIFY(!W->Logic->FilesVolume);
    W->show();
    QTRY_VERIFY(!W->isVisible());
  }

  void anEarlierStepsFailureIsShownInsteadOfTheContentArchives() {
    TFiles System = BookSystem;
    System.erase("\\System.xml");
    std::unique_ptr<TfrmMain> W;
    const QString Message =
        CatchErrorBox([&] { W = std::make_unique<TfrmMain>(TfrmMain::TBookSource{Cabinet(System), "not a cabinet"}); });
    QCOMPARE(Message, QStringLiteral("File \"System.xml\" not found"));
    // The same when the content archive began unpacking before the window existed:
    // this program carries no resources, so the system archive fails first.
    const QString FromEntry = CatchErrorBox([&] {
      W = std::make_unique<TfrmMain>(std::make_unique<TBackgroundCabinetLoad>([](TMFS& V) { LoadVolumeFromCabinet(V, "not a cabinet"); }));
    });
    QCOMPARE(FromEntry, QStringLiteral("File \"\\info.cab\" is not a cabinet"));
    QVERIFY(W->Logic->LoadFailed);
  }

  void aMissingContentArchiveEndsStartUp() {
    std::unique_ptr<TfrmMain> W;
    const QString Message = CatchErrorBox([&] { W = std::make_unique<TfrmMain>(TfrmMain::TBookSource{Cabinet(BookSystem), ""}); });
    QCOMPARE(Message, QStringLiteral("File \"\\info.cab\" is not a cabinet"));
    QVERIFY(W->Logic->LoadFailed);
  }
};

int main(int argc, char** argv) { return RunWindowTests<TestFrmMain>(argc, argv); }

#include "test_frmMain.moc"
