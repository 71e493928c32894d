#include "host/u_QtMessageLoop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

namespace vv {

struct TQtMessageLoop::TWait {
  const std::function<bool()>* Done;
  QEventLoop* Loop;
};

void TQtMessageLoop::Post(std::function<void()> Task) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(Task), Qt::QueuedConnection);
}

void TQtMessageLoop::PostDelayed(int Ms, std::function<void()> Task) {
  QTimer::singleShot(Ms, QCoreApplication::instance(), std::move(Task));
}

void TQtMessageLoop::WaitUntil(const std::function<bool()>& Done, int TimeoutMs) {
  if (Done())
    return;
  QEventLoop Loop;
  QTimer Timeout;
  if (TimeoutMs >= 0) {
    Timeout.setSingleShot(true);
    QObject::connect(&Timeout, &QTimer::timeout, &Loop, &QEventLoop::quit);
    Timeout.start(TimeoutMs);
  }
  TWait Wait{&Done, &Loop};
  FWaits.push_back(&Wait);
  Loop.exec();
  FWaits.erase(std::find(FWaits.begin(), FWaits.end(), &Wait));
}

void TQtMessageLoop::Wake() {
  // An outer wait that is done leaves its loop once the inner ones have returned.
  for (TWait* Wait : std::vector<TWait*>(FWaits))
    if ((*Wait->Done)())
      Wait->Loop->quit();
}

TQtMessageLoop& QtMessageLoop() {
  static TQtMessageLoop Loop;
  return Loop;
}

} // namespace vv
