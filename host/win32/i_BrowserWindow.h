#pragma once
// The browser control as a Win32 view holds it: the logic's IBrowser plus
// what a window needs to place it, set its options and hear it ask to close.
// The views take a factory, so that the system's control stays one unit of
// its own (host/win32) and window tests can stand a plain child in for it.

#include <windows.h>

#include <functional>
#include <memory>

#include "host/i_Browser.h"
#include "host/u_BrowserOptions.h"

namespace vv {

class IBrowserWindow : public IBrowser {
public:
  // The control's own window, a child of the parent it was made for.
  [[nodiscard]] virtual HWND Handle() const = 0;
  // In the parent's client coordinates.
  virtual void SetBounds(const RECT& Bounds) = 0;
  virtual void SetDownloadOptions(const TDownloadControlOptions& Value) = 0;
  virtual void SetUserInterfaceOptions(const TUserInterfaceOptions& Value) = 0;
  // A key message of the thread's queue offered to the control before it is
  // dispatched (the page's own accelerators, Tab between its links); true: taken.
  virtual bool PreTranslateMessage(MSG& Message) = 0;

  // The page asked to close its window (window.close) and OnCloseQuery let it.
  std::function<void()> OnCloseAccepted;
};

using TBrowserWindowFactory = std::function<std::unique_ptr<IBrowserWindow>(HWND Parent)>;

} // namespace vv
