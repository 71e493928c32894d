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

class TMXWebBrowser;

// Installs the bridge's handler on the profile once; later calls do nothing.
void InstallScriptBridge(QWebEngineProfile* Profile);
// Opens the bridge for Browser's pages under a new unguessable token, which
// only the document-creation script of that browser carries: a request is
// answered for the browser whose page made it and no other.
[[nodiscard]] QString OpenScriptBridge(TMXWebBrowser* Browser);
// Forgets the token and releases every object handed to that browser's pages.
void CloseScriptBridge(const QString& Token);
// The document-creation script for the browser with this token.
[[nodiscard]] QString ScriptBridgeSource(const QString& Token);

class TScriptBridgeHandler : public QWebEngineUrlSchemeHandler {
public:
  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
  void requestStarted(QWebEngineUrlRequestJob* Job) override;
};

} // namespace vv
