// Windows and keys against the whole viewer: Escape in an open menu, modal
// user forms, closing the main window under an open form, script objects held
// past their window, a preview asked for by script, and a page whose renderer
// process dies.
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QSignalSpy>
#include <QtTest>
#include <csignal>

#include "forms/frm_UserForm.h"
#include "tests/EngineTestUtil.h"
#include "tests/shell/MainWindowTestUtil.h"

using namespace vv;
using namespace vvtest;

namespace {
// Opens the About form from the main page's script, as a book's button would.
TfrmUserForm* OpenAboutForm(TfrmMain& W) {
  W.webMain->page()->runJavaScript("window.formAnswered = false; window.external.ShowUserForm('about');"
                                   "window.formAnswered = true;");
  TfrmUserForm* Form = nullptr;
  (void)QTest::qWaitFor([&] { return (Form = qobject_cast<TfrmUserForm*>(QApplication::activeModalWidget())); }, 20000);
  return Form;
}

std::string Failure(const TDispatchRef& Object, const char* Member, std::uint16_t Kind) {
  std::string Message = "no error";
  Object->Invoke(Object->GetIDOfName(Member), Kind, {},
                 TDispatchReply([](const TOleVariant&) {}, [&](const std::string& M) { Message = M; }));
  return Message;
}
} // namespace

class TestWindowLifetimes : public QObject {
  Q_OBJECT

private slots:
  void escapeInAnOpenMenuClosesOnlyTheMenu() {
    auto W = OpenBook();
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\one.htm"));
    W->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(W.get()));
    W->popFontSize->popup(W->mapToGlobal(QPoint(10, 10)));
    QTRY_COMPARE(QApplication::activePopupWidget(), static_cast<QWidget*>(W->popFontSize));
    QTest::keyClick(W->popFontSize, Qt::Key_Escape);
    QTRY_VERIFY(!W->popFontSize->isVisible());
    QCoreApplication::sendPostedEvents();
    QVERIFY(W->isVisible());
  }

  void userFormsAreModalToTheViewer() {
    auto W = OpenBook();
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\one.htm"));
    TfrmUserForm* Form = OpenAboutForm(*W);
    QVERIFY(Form);
    QCOMPARE(Form->parentWidget(), static_cast<QWidget*>(W.get()));
    QCOMPARE(Form->windowModality(), Qt::ApplicationModal);
    // Keys reach the main window through the platform only when no form blocks it.
    QTest::keyClick(W->windowHandle(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents();
    QVERIFY(W->isVisible());
    // What the form's page was handed goes with the form.
    QVERIFY(WaitForPage(*Form->webUserForm, "mfs:\\Forms\\About.htm"));
    QCOMPARE(Eval(*Form->webUserForm, "window.external.UserForm.Caption").toString(), QStringLiteral("About it"));
    const std::weak_ptr<IDispatch> FormObject = W->Logic->HostExternal->UserForm();
    const QPointer<TfrmUserForm> Closing(Form);
    Form->reject();
    QTRY_VERIFY(Eval(*W->webMain, "window.formAnswered").toBool());
    QTRY_VERIFY(!Closing);
    QVERIFY(FormObject.expired());
  }

  void aPreviewAskedForByScriptOpensAfterTheScriptHasItsAnswer() {
    auto W = OpenBook();
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\one.htm"));
    QCOMPARE(Eval(*W->webMain, "window.external.WebBrowser.ExecWB(7, 2); 'answered'").toString(),
             QStringLiteral("answered"));
    QPrintPreviewDialog* Preview = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((Preview = W->webMain->findChild<QPrintPreviewDialog*>()) && Preview->isVisible(), 20000);
    Preview->reject();
    QVERIFY(W->isVisible());
  }

  void closingTheViewerFromAFormClosesTheFormFirstAndObjectsFailCleanly() {
    auto W = OpenBook();
    QVERIFY(WaitForPage(*W->webMain, "mfs:\\one.htm"));
    const TDispatchRef Host = W->Logic->HostExternal;
    const TDispatchRef Story = W->Logic->HostExternal->Story();
    QPointer<TfrmUserForm> Form = OpenAboutForm(*W);
    QVERIFY(Form);
    QVERIFY(WaitForPage(*Form->webUserForm, "mfs:\\Forms\\About.htm"));
    Form->webUserForm->page()->runJavaScript("window.external.Terminate()");
    QTRY_VERIFY_WITH_TIMEOUT(!W->isVisible(), 20000);
    QVERIFY(!Form);
    QVERIFY(!W->webMain);
    // A page script still holding these objects gets an error, not a dead window.
    QCOMPARE(Failure(Story, "Next", VV_DISPATCH_METHOD), std::string("The viewer window is closed"));
    QCOMPARE(Failure(Story, "Current", VV_DISPATCH_PROPERTYGET), std::string("The viewer window is closed"));
    QCOMPARE(Failure(Host, "WebBrowser", VV_DISPATCH_PROPERTYGET), std::string("The viewer window is closed"));
  }

  void aDeadRendererIsRestartedOnceThenExplained() {
    auto W = OpenBook();
    TMXWebBrowser& B = *W->webMain;
    QVERIFY(WaitForPage(B, "mfs:\\one.htm"));
    for (int Death = 1; Death <= 2; ++Death) {
      // A page that changes its own URL between deaths is still not reloaded twice.
      if (Death == 2)
        Eval(B, "history.pushState({}, '', 'one.htm?moved')");
      const qint64 Pid = B.page()->renderProcessPid();
      QVERIFY(Pid > 0);
      QSignalSpy Terminated(B.page(), &QWebEnginePage::renderProcessTerminated);
      ::kill(static_cast<pid_t>(Pid), SIGKILL);
      QVERIFY(Terminated.wait(20000));
      QTRY_VERIFY_WITH_TIMEOUT(B.page()->renderProcessPid() > 0 && B.page()->renderProcessPid() != Pid, 20000);
      QTRY_VERIFY_WITH_TIMEOUT(B.ReadyState() == READYSTATE_COMPLETE, 20000);
      const QString Text = Eval(B, "document.body ? document.body.textContent : ''").toString();
      if (Death == 1)
        QCOMPARE(Text, QStringLiteral("Owned by Ada"));
      else
        QVERIFY2(Text.contains(QStringLiteral("could not be shown")), qPrintable(Text));
    }
    W->Logic->RunCommand(tbkRefresh); // F5: the page itself again
    QTRY_VERIFY_WITH_TIMEOUT(Eval(B, "document.body ? document.body.textContent : ''").toString() ==
                                 QStringLiteral("Owned by Ada"),
                             20000);
    QVERIFY(W->isVisible());
  }
};

int main(int argc, char** argv) { return RunWindowTests<TestWindowLifetimes>(argc, argv); }

#include "test_WindowLifetimes.moc"
