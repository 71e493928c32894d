#include "forms/frm_FormViews.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "forms/frm_Print.h"
#include "forms/frm_Search.h"
#include "forms/frm_Splash.h"
#include "platform/u_Ansi.h"

namespace vv {

namespace {
// Waits are nested event loops; Wake ends every one whose condition now holds.
class TQtFormsLoop : public IMessageLoop {
public:
  void Post(std::function<void()> Task) override { PostDelayed(0, std::move(Task)); }
  void PostDelayed(int Ms, std::function<void()> Task) override {
    QTimer::singleShot(Ms, QCoreApplication::instance(), std::move(Task));
  }
  void WaitUntil(const std::function<bool()>& Done, int TimeoutMs) override {
    if (Done())
      return;
    QEventLoop Loop;
    TWait Wait{&Loop, &Done};
    Waits.push_back(&Wait);
    QTimer Timeout;
    if (TimeoutMs >= 0) {
      Timeout.setSingleShot(true);
      QObject::connect(&Timeout, &QTimer::timeout, &Loop, &QEventLoop::quit);
      Timeout.start(TimeoutMs);
    }
    Loop.exec();
    Waits.erase(std::find(Waits.begin(), Waits.end(), &Wait));
  }
  void Wake() override {
    for (TWait* Wait : std::vector<TWait*>(Waits))
      if ((*Wait->Done)())
        Wait->Loop->quit();
  }

private:
  struct TWait {
    QEventLoop* Loop;
    const std::function<bool()>* Done;
  };
  std::vector<TWait*> Waits;
};
} // namespace

IMessageLoop& QtFormsLoop() {
  static TQtFormsLoop Loop;
  return Loop;
}

TQtFormViews::TQtFormViews(QWidget* Owner) : Owner(Owner) {}

std::unique_ptr<ISearchView> TQtFormViews::CreateSearchView() { return std::make_unique<TfrmSearch>(Owner); }

std::unique_ptr<ISplashView> TQtFormViews::CreateSplashView() { return std::make_unique<TQtSplashView>(); }

std::unique_ptr<IPrintView> TQtFormViews::CreatePrintView() { return std::make_unique<TfrmPrint>(); }

void TQtFormViews::ShowInformation(const std::string& Caption, const std::string& Text) {
  QMessageBox Box(QMessageBox::Information, AnsiToQString(Caption), AnsiToQString(Text), QMessageBox::Ok, Owner);
  Box.setObjectName("PopUpBox");
  Box.exec();
}

} // namespace vv
