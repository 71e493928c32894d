#pragma once
// Helpers shared by the tests and benchmarks that drive the real engine.

#include <QEventLoop>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <QWebEngineScript>

#include "host/c_MXWebBrowser.h"

namespace vvtest {

// Runs a script in the page and waits for its answer in a real event loop:
// the engine's scheme requests need the loop running, not a polling wait.
// A browser that runs no page scripts (the print window) is asked in the
// application's own world.
inline QVariant Eval(vv::TMXWebBrowser& B, const QString& Script, int TimeoutMs = 20000) {
  QVariant Result;
  QEventLoop Loop;
  bool Done = false;
  const quint32 World = (B.DownloadControlFlags() & vv::DLCTL_NO_SCRIPTS_BIT) ? QWebEngineScript::ApplicationWorld
                                                                              : QWebEngineScript::MainWorld;
  B.page()->runJavaScript(Script, World, [&](const QVariant& V) {
    Result = V;
    Done = true;
    Loop.quit();
  });
  QTimer::singleShot(TimeoutMs, &Loop, &QEventLoop::quit);
  if (!Done)
    Loop.exec();
  if (!Done)
    qWarning("script did not answer: %s", qPrintable(Script));
  return Result;
}

} // namespace vvtest
