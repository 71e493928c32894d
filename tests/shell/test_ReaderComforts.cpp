// The reader's comforts on the real main window and engine: keys with and
// without the book's toolbar buttons, the contents pane following the page on
// every road, the searched phrase highlighted on the page it opens, and
// continuing where the reader left off across starts.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "forms/frm_Search.h"
#include "host/c_FindBar.h"
#include "shell/qt/frm_Contents.h"
#include "shell/u_ReadingState.h"
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
    {"\\long.htm", "<html><body><div style=\"height:3000px\"></div><h2 id=\"s\">Section</h2>"
                    "<div style=\"height:3000px\"></div></body></html>"},
    {"\\Forms\\About.htm", "<html><body>about</body></html>"},
};

QWidget* PageOf(TfrmMain& W) { return W.webMain->focusProxy() ? W.webMain->focusProxy() : W.webMain; }

// Offscreen, no window becomes active again by itself once a modal one closes.
bool Activate(TfrmMain& W) {
  W.activateWindow();
  return QTest::qWaitForWindowActive(&W);
}

QString SelectedRow(TfrmMain& W) {
  const QTreeWidgetItem* Row = W.frmContents->tvContents->currentItem();
  return Row ? Row->text(0) : QString();
}

// Searches Phrase in the search window opened by Open and shows its first result.
void SearchAndShow(const std::function<void()>& Open, const QString& Phrase) {
  bool Done = false;
  HandleModals(Open, [&](QWidget* Modal) {
    auto* Form = qobject_cast<TfrmSearch*>(Modal);
    if (!Form || Done)
      return;
    Done = true;
    Form->cbSearchText->setEditText(Phrase);
    Form->btnSearch->click();
    Form->lvFoundPages->setCurrentItem(Form->lvFoundPages->topLevelItem(0));
    Form->btnShowPage->click();
    Form->btnClose->click();
  });
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

    auto W = OpenActive(ComfortsSystem("<Btn Kind=12 Caption=\"Search\"/><Btn Kind=5 Caption=\"Next\"/>"));
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
    // with no Copy button, except on a page that forbids copying.
    Eval(*W->webMain, "getSelection().selectAllChildren(document.body)");
    QTest::keyClick(B[1], Qt::Key_C, Qt::ControlModifier);
    QTRY_VERIFY(QApplication::clipboard()->text().contains("harbour wall"));
    W->Logic->GetStory().Next(W->Logic->GetCurrentPagePath());
    W->Logic->NavigateToStoryPage();
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\three.htm"));
    Eval(*W->webMain, "getSelection().selectAllChildren(document.body)");
    QTest::keyPress(B[1], Qt::Key_Control, Qt::ControlModifier);
    QTest::keyClick(B[1], Qt::Key_C, Qt::ControlModifier);
    QVERIFY(QApplication::clipboard()->text().isEmpty());
  }

  void readingKeysWalkTheReadingOrderFromThePage() {
    auto W = OpenActive(ComfortsSystem("<Btn Kind=1 Caption=\"Back\"/>"));
    QVERIFY(W);
    QCOMPARE(QApplication::focusWidget(), PageOf(*W)); // not the toolbar's first button
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

  void escapeLeavesFullScreenAndTheFilterBeforeClosing() {
    auto W = OpenActive(ComfortsSystem());
    QVERIFY(W);
    const QSize Fixed = W->size();
    QTest::keyClick(W.get(), Qt::Key_F11);
    QTRY_VERIFY(W->isFullScreen());
    QTest::keyClick(W.get(), Qt::Key_F9);
    QVERIFY(W->frmContents && W->frmContents->isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), W->frmContents->edtFilter);
    QTest::keyClicks(W->frmContents->edtFilter, "fin");
    QTest::keyClick(W->frmContents->edtFilter, Qt::Key_Escape);
    QVERIFY(W->frmContents->edtFilter->text().isEmpty());
    QTest::keyClick(W->frmContents->edtFilter, Qt::Key_Escape); // the page gets the focus back
    QTest::keyClick(W.get(), Qt::Key_Escape);
    QTRY_VERIFY(!W->isFullScreen());
    QCOMPARE(W->maximumSize(), Fixed);
    QVERIFY(W->isVisible());
    QTest::keyClick(W.get(), Qt::Key_F9);
    QVERIFY(W->frmContents->isHidden());
    QTest::keyClick(W.get(), Qt::Key_Escape);
    QTRY_VERIFY(!W->isVisible());
  }

  void contentsPaneFollowsThePageOnEveryRoad() {
    auto W = OpenActive(ComfortsSystem("<Btn Kind=5 Caption=\"Next\"/><Btn Kind=12 Caption=\"Search\"/>"));
    QVERIFY(W);
    TMXWebBrowser& B = *W->webMain;
    QTest::keyClick(W.get(), Qt::Key_F9);
    TfrmContents& Pane = *W->frmContents;
    QCOMPARE(Pane.tvContents->topLevelItem(1)->text(0), QStringLiteral("Part"));
    QCOMPARE(Pane.tvContents->topLevelItem(1)->child(0)->text(0), QStringLiteral("\\two.htm"));
    QCOMPARE(SelectedRow(*W), QStringLiteral("Opening"));
    QCOMPARE(Pane.lblPosition->text(), QStringLiteral("Page 1 of 3"));

    Buttons(*W)[0]->click(); // toolbar
    QVERIFY(WaitForPage(B, "mfs:\\two.htm"));
    QCOMPARE(SelectedRow(*W), QStringLiteral("\\two.htm"));
    QCOMPARE(Pane.lblPosition->text(), QStringLiteral("Page 2 of 3"));
    PageOf(*W)->setFocus();
    QTest::keyClick(PageOf(*W), Qt::Key_Left, Qt::AltModifier); // history
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    QCOMPARE(SelectedRow(*W), QStringLiteral("Opening"));
    Eval(B, "document.getElementById('l').click()"); // link
    QVERIFY(WaitForPage(B, "mfs:\\three.htm"));
    QCOMPARE(SelectedRow(*W), QStringLiteral("Finale"));
    Eval(B, "window.external.Story.Prior()"); // script
    QVERIFY(WaitForPage(B, "mfs:\\two.htm"));
    QCOMPARE(SelectedRow(*W), QStringLiteral("\\two.htm"));
    SearchAndShow([&] { Buttons(*W)[1]->click(); }, "quiet"); // search
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    QCOMPARE(SelectedRow(*W), QStringLiteral("Opening"));
    QVERIFY(Activate(*W));

    // The filter narrows the tree without regard to case; Enter opens the first match.
    Pane.edtFilter->setFocus();
    QTest::keyClicks(Pane.edtFilter, "FIN");
    QVERIFY(Pane.tvContents->topLevelItem(0)->isHidden());
    QVERIFY(!Pane.tvContents->topLevelItem(1)->isHidden());
    QVERIFY(Pane.tvContents->topLevelItem(1)->child(0)->isHidden());
    QTest::keyClick(Pane.edtFilter, Qt::Key_Return);
    QVERIFY(WaitForPage(B, "mfs:\\three.htm"));
    QVERIFY(W->isVisible());
    // The page opened has the focus, and reading keys act from the filter too.
    QTRY_VERIFY(W->webMain->isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == W->webMain);
    Pane.edtFilter->setFocus();
    QTest::keyClick(Pane.edtFilter, Qt::Key_Home, Qt::ControlModifier);
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    QTest::keyClick(Pane.edtFilter, Qt::Key_PageDown, Qt::ControlModifier);
    QVERIFY(WaitForPage(B, "mfs:\\two.htm"));
    QCOMPARE(Pane.edtFilter->text(), QStringLiteral("FIN"));
  }

  void aSearchedPhraseIsHighlightedOnThePageItOpens() {
    auto W = OpenActive(ComfortsSystem("<Btn Kind=12 Caption=\"Search\"/>"));
    QVERIFY(W);
    TMXWebBrowser& B = *W->webMain;
    TFindBar& Find = *W->pnlFind;
    SearchAndShow([&] { QTest::keyClick(W.get(), Qt::Key_F, Qt::ControlModifier); }, "harbour");
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    QTRY_COMPARE(Find.MatchText(), QStringLiteral("1 of 1"));
    QVERIFY(Find.isHidden());
    Eval(B, "window.external.Story.Next()");
    QVERIFY(WaitForPage(B, "mfs:\\two.htm"));
    QVERIFY(Find.Phrase().isEmpty()); // the highlight ended with the navigation
    QVERIFY(Activate(*W));

    // The find bar counts the matches of the page shown and steps through them.
    QTest::keyClick(W.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(Find.isVisible());
    QTest::keyClicks(Find.edtFind, "harbour");
    QTRY_COMPARE(Find.MatchText(), QStringLiteral("1 of 3"));
    QTest::keyClick(W.get(), Qt::Key_F3);
    QTRY_COMPARE(Find.MatchText(), QStringLiteral("2 of 3"));
    QTest::keyClick(W.get(), Qt::Key_F3, Qt::ShiftModifier);
    QTRY_COMPARE(Find.MatchText(), QStringLiteral("1 of 3"));
    QTest::keyClick(Find.edtFind, Qt::Key_Escape);
    QVERIFY(Find.isHidden());
    QVERIFY(W->isVisible());
  }

  void readingContinuesWhereTheReaderLeftOff() {
    const TFiles System = ComfortsSystem("<Btn Kind=12 Caption=\"Search\"/>", "ResizableWindow=True");
    // The search window as Ctrl+F opens it: its size, after Resize (when valid) is applied.
    const auto SearchWindowSize = [](TfrmMain& W, QSize Resize) {
      QSize Size;
      HandleModals([&] { QTest::keyClick(&W, Qt::Key_F, Qt::ControlModifier); },
                   [&](QWidget* Modal) {
                     auto* Form = qobject_cast<TfrmSearch*>(Modal);
                     if (!Form || Size.isValid())
                       return;
                     Size = Form->size();
                     if (Resize.isValid())
                       Form->resize(Resize);
                     Form->btnClose->click();
                   });
      return Activate(W) ? Size : QSize();
    };
    int Top = 0;
    {
      auto W = OpenActive(System);
      QVERIFY(W);
      QVERIFY(W->pnlContinue->isHidden()); // a first start offers nothing
      QTest::keyClick(W.get(), Qt::Key_End, Qt::ControlModifier);
      QVERIFY(WaitForPage(*W->webMain, "mfs:\\three.htm"));
      QTest::keyClick(W.get(), Qt::Key_Equal, Qt::ControlModifier);
      QTest::keyClick(W.get(), Qt::Key_F9);
      W->resize(720, 540);
      QTRY_COMPARE(W->size(), QSize(720, 540));
      QCOMPARE(SearchWindowSize(*W, QSize(500, 320)), QSize(392, 216));
      // A link into a section of a page outside the reading order, then a little further down.
      Eval(*W->webMain, "location.href='long.htm#s'");
      QVERIFY(WaitForPage(*W->webMain, "mfs:\\long.htm"));
      QTRY_VERIFY(W->webMain->ScrollPosition().Y > 2000);
      Eval(*W->webMain, "scrollBy(0, 150)");
      QTRY_VERIFY(W->webMain->ScrollPosition().Y > 2150);
      Top = W->webMain->ScrollPosition().Y;
      W->close();
    }
    auto W = OpenActive(System); // the same archives again
    QVERIFY(W);
    QCOMPARE(W->Logic->GetCurrentPagePath(), std::string("\\one.htm")); // start-up still shows the first page
    QVERIFY(W->pnlContinue->isVisible());
    QCOMPARE(W->lblContinue->text(), QStringLiteral("Continue reading: \\long.htm"));
    QCOMPARE(W->Logic->FontSize, 3);
    QVERIFY(W->frmContents && W->frmContents->isVisible());
    QCOMPARE(W->size(), QSize(720, 540));
    QCOMPARE(SearchWindowSize(*W, QSize()), QSize(500, 320));
    W->close(); // without moving: the offer stands at the next start
    W = OpenActive(System);
    QVERIFY(W);
    QVERIFY(W->pnlContinue->isVisible());
    QTest::keyClick(W.get(), Qt::Key_C, Qt::AltModifier);
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\long.htm"));
    QTRY_VERIFY2(std::abs(W->webMain->ScrollPosition().Y - Top) <= 1,
                 qPrintable(QString("%1 for %2").arg(W->webMain->ScrollPosition().Y).arg(Top)));
    QVERIFY(W->pnlContinue->isHidden());
    // A page of the reading order is offered by its name.
    Eval(*W->webMain, "location.href='three.htm'");
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\three.htm"));
    W->close();
    W = OpenActive(System);
    QVERIFY(W);
    QCOMPARE(W->lblContinue->text(), QStringLiteral("Continue reading: Finale"));
    W->close();

    // Another edition of the book remembers nothing of this one.
    TFiles Edition = ComfortsFiles;
    Edition["\\two.htm"] += " ";
    auto Other = OpenBook(System, Edition);
    QVERIFY(WaitForPage(*Other->webMain, "mfs:\\one.htm"));
    QVERIFY(Other->pnlContinue->isHidden());
    QCOMPARE(Other->Logic->FontSize, 2);
    // A state folder that cannot be written changes nothing else.
    qputenv("XDG_STATE_HOME", "/proc/vellumview-cannot-write");
    const QString Message = CatchErrorBox([&] { Other->close(); });
    QVERIFY(Message.isEmpty());
    QVERIFY(!Other->isVisible());
  }

  void aStateFileThatIsNoStateNeitherBlocksNorFloodsTheViewer() {
    const QTemporaryDir State;
    qputenv("XDG_STATE_HOME", QFile::encodeName(State.path()));
    const TFiles System = ComfortsSystem("", "ResizableWindow=True");
    std::string File;
    {
      auto W = OpenActive(System);
      QVERIFY(W);
      File = (ReadingStateFolder() / (BookIdentity(*W->Logic->SystemVolume, *W->Logic->FilesVolume) + ".state")).string();
    }
    std::filesystem::create_directories(std::filesystem::path(File).parent_path());
    const auto Replace = [&](const std::function<void()>& Make) {
      std::filesystem::remove(File);
      Make();
    };
    // A pipe would block the start for good, a device would never end.
    Replace([&] { QCOMPARE(::mkfifo(File.c_str(), 0600), 0); });
    QVERIFY(OpenActive(System));
    Replace([&] { std::filesystem::create_symlink("/dev/zero", File); });
    QVERIFY(OpenActive(System));
    // Numbers out of range are no numbers; a place larger than the screens is fitted to one.
    for (const char* Text : {"fontsize=3\nwindow=99999999999 0 800 600 0\n", "fontsize=3\nwindow=-5000 -5000 90000 90000 0\n"}) {
      Replace([&] { std::ofstream(File) << Text; });
      auto W = OpenActive(System);
      QVERIFY(W);
      QCOMPARE(W->Logic->FontSize, 3);
      const QRect Screen = QGuiApplication::primaryScreen()->availableGeometry();
      const bool Fits = W->width() <= Screen.width() && W->height() <= Screen.height() && Screen.intersects(W->geometry());
      QVERIFY2(Fits, qPrintable(QStringLiteral("%1: %2,%3 %4x%5 in %6,%7 %8x%9")
                                                              .arg(QLatin1String(Text)).arg(W->geometry().x())
                                                              .arg(W->geometry().y()).arg(W->width()).arg(W->height())
                                                              .arg(Screen.x()).arg(Screen.y()).arg(Screen.width())
                                                              .arg(Screen.height())));
    }
  }
};

int main(int argc, char** argv) {
  // A private state folder, new for every run.
  const QTemporaryDir State;
  qputenv("XDG_STATE_HOME", QFile::encodeName(State.path()));
  return RunWindowTests<TestReaderComforts>(argc, argv);
}

#include "test_ReaderComforts.moc"
