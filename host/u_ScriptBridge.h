#pragma once
// Carries window.external between page script and our dispatch objects: a
// script injected into book pages turns every member read, write and call
// into a synchronous request to the bridge scheme, answered here by name
// through the browser's external object.

#include <QString>
#include <QWebEngineUrlSchemeHandler>
#include <string>

#include "host/u_Dispatch.h"

class QWebEngineProfile;

namespace vv {

// Installs the bridge's handler on the profile once; later calls do nothing.
void InstallScriptBridge(QWebEngineProfile* Profile);
// The document-creation script for the browser with this bridge id.
[[nodiscard]] QString ScriptBridgeSource(int BridgeId);

class TScriptBridgeHandler : public QWebEngineUrlSchemeHandler {
public:
  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
  void requestStarted(QWebEngineUrlRequestJob* Job) override;
};

} // namespace vv
