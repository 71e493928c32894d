// The reader's comforts on the real main window and engine: keys with and
// without the book's toolbar buttons.
#include <QApplication>
#include <QClipboard>
#include <QtTest>

#include "forms/frm_Search.h"
#include "tests/EngineTestUtil.h"
#include "tests/shell/MainWindowTestUtil.h"

using namespace vv;
using namespace vvtest;

namespace {
// One page, then a part of two pages; the second page is listed with its
// path only, the third is neither searchable nor copyable.
TFiles ComfortsSystem(const std::string& Buttons = "", const std::string& WindowAttributes = "") {
  TFiles System = ToolbarBook(Buttons);
  System["\\System.xml"] = "<System Story=\"Story.xml\" Variables=\"Vars.xml\" Forms=\"Forms\\Forms.xml\" "
                           "ToolButtons=\"Bar\\Tools.xml\" Width=700 Height=500 " + WindowAttributes +
                           "><toolbar ToolbarImgW=16 ToolbarImgH=16/></System>";
  System["\\Story.xml"] = "<Story><item page=\"\\one.htm\" pagename=\"Opening\"/><item pagename=\"Part\">"
                          "<item page=\"\\two.htm\"/>"
                          "<item page=\"\\three.htm\" pagename=\"Finale\" searchable=False rightclick=False/>"
                          "</item></Story>";
  return System;
}

const TFiles ComfortsFiles = {
    {"\\one.htm", "<html><body><a id=\"l\" href=\"three.htm\">on</a> a quiet harbour</body></html>"},
    {"\\two.htm", "<html><body>the harbour wall, the harbour light, the Harbour</body></html>"},
    {"\\three.htm", "<html><body>three</body></html>"},
    {"\\Forms\\About.htm", "<html><body>about</body></html>"},
};

QWidget* PageOf(TfrmMain& W) { return W.webMain->focusProxy() ? W.webMain->focusProxy() : W.webMain; }

// Offscreen, no window becomes active again by itself once a modal one closes.
bool Activate(TfrmMain& W) {
  W.activateWindow();
  return QTest::qWaitForWindowActive(&W);
}

} // namespace

class TestReaderComforts : public QObject {
  Q_OBJECT

  std::unique_ptr<TfrmMain> OpenActive(const TFiles& System) {
    auto W = OpenBook(System, ComfortsFiles);
    return Activate(*W) && WaitForPage(*W->webMain, "mfs:\\one.htm") ? std::move(W) : nullptr;
  }

private slots:
  void bookCommandKeysNeedTheirToolbarButton() {
    auto Bare = OpenActive(ComfortsSystem());
    QVERIFY(Bare);
    // Without the buttons the keys do nothing; a search window would block here.
    QTest::keyClick(PageOf(*Bare), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(PageOf(*Bare), Qt::Key_P, Qt::ControlModifier);
    QVERIFY(!QApplication::activeModalWidget());
    Bare.reset();

    auto W = OpenActive(
        ComfortsSystem("<Btn Kind=12 Caption=\"Search\"/><Btn Kind=5 Caption=\"Next\"/><Btn Kind=15 Caption=\"Copy\"/>"));
    QVERIFY(W);
    const auto B = Buttons(*W);
    QCOMPARE(B[0]->toolTip(), QStringLiteral("Search (Ctrl+F)"));
    QCOMPARE(B[1]->toolTip(), QStringLiteral("Next (Ctrl+PgDown)"));
    bool Opened = false;
    HandleModals([&] { QTest::keyClick(PageOf(*W), Qt::Key_F, Qt::ControlModifier); },
                 [&](QWidget* Modal) {
                   Opened = Opened || qobject_cast<TfrmSearch*>(Modal);
                   qobject_cast<QDialog*>(Modal)->reject();
                 });
    QVERIFY(Opened);
    // A focused button is pressed with Enter.
    QVERIFY(Activate(*W));
    B[1]->setFocus();
    QTest::keyClick(B[1], Qt::Key_Return);
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\two.htm"));
    // The copy key copies the page's selection from anywhere in the window,
    // except on a page that forbids copying.
    Eval(*W->webMain, "getSelection().selectAllChildren(document.body)");
    QTest::keyClick(B[1], Qt::Key_C, Qt::ControlModifier);
    QTRY_VERIFY(QApplication::clipboard()->text().contains("harbour wall"));
    W->GetStory().Next(W->GetCurrentPagePath());
    W->NavigateToStoryPage();
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\three.htm"));
    Eval(*W->webMain, "getSelection().selectAllChildren(document.body)");
    QTest::keyPress(B[1], Qt::Key_Control, Qt::ControlModifier);
    QTest::keyClick(B[1], Qt::Key_C, Qt::ControlModifier);
    QVERIFY(QApplication::clipboard()->text().isEmpty());
  }

  void readingKeysWalkTheReadingOrderFromThePage() {
    auto W = OpenActive(ComfortsSystem());
    QVERIFY(W);
    TMXWebBrowser& B = *W->webMain;
    QTest::keyClick(PageOf(*W), Qt::Key_End, Qt::ControlModifier);
    QVERIFY(WaitForPage(B, "mfs:\\three.htm"));
    QTest::keyClick(PageOf(*W), Qt::Key_PageUp, Qt::ControlModifier);
    QVERIFY(WaitForPage(B, "mfs:\\two.htm"));
    QTest::keyClick(PageOf(*W), Qt::Key_Home, Qt::ControlModifier);
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    QTest::keyClick(PageOf(*W), Qt::Key_PageDown, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(WaitForPage(B, "mfs:\\two.htm"));
    QTest::keyClick(PageOf(*W), Qt::Key_PageDown, Qt::ControlModifier);
    QVERIFY(WaitForPage(B, "mfs:\\three.htm"));
  }

  void escapeLeavesFullScreenBeforeClosing() {
    auto W = OpenActive(ComfortsSystem());
    QVERIFY(W);
    const QSize Fixed = W->size();
    QTest::keyClick(W.get(), Qt::Key_F11);
    QTRY_VERIFY(W->isFullScreen());
    QTest::keyClick(W.get(), Qt::Key_Escape);
    QTRY_VERIFY(!W->isFullScreen());
    QCOMPARE(W->maximumSize(), Fixed);
    QVERIFY(W->isVisible());
    QTest::keyClick(W.get(), Qt::Key_Escape);
    QTRY_VERIFY(!W->isVisible());
  }

};

int main(int argc, char** argv) {
  return ExecMainWindowTests<TestReaderComforts>(argc, argv);
}

#include "test_ReaderComforts.moc"
