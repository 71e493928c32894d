#pragma once
// The browser object that scripts reach as window.external.WebBrowser and
// UserForm.WebBrowser: a working subset of the platform browser's members,
// with its dispatch identifiers.

#include "host/i_Browser.h"
#include "host/u_Dispatch.h"

namespace vv {

class TWebBrowserObject : public TAutoObject {
public:
  // Browser not owned; members fail once it is gone.
  explicit TWebBrowserObject(IBrowser& Browser);

private:
  [[nodiscard]] IBrowser& Browser() const;
  IBrowser* FBrowser;
  TLiveness FAlive;
};

} // namespace vv
