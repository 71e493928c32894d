#pragma once
// The browser object that scripts reach as window.external.WebBrowser and
// UserForm.WebBrowser: a working subset of the platform browser's members,
// with its dispatch identifiers.

#include <QPointer>

#include "host/c_MXWebBrowser.h"
#include "host/u_Dispatch.h"

namespace vv {

class TWebBrowserObject : public TAutoObject {
public:
  // Browser not owned; members fail once it is gone.
  explicit TWebBrowserObject(TMXWebBrowser* Browser);

private:
  [[nodiscard]] TMXWebBrowser& Browser() const;
  QPointer<TMXWebBrowser> FBrowser;
};

} // namespace vv
