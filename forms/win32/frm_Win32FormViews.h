#pragma once
// The Win32 views of the secondary windows, made for the main window's view.

#include <windows.h>

#include <string>

#include "forms/i_FormViews.h"
#include "host/win32/i_BrowserWindow.h"
#include "platform/i_MessageLoop.h"

namespace vv {

class TWin32FormViews : public IFormViews {
public:
  // Owner: the main window, over which the windows and boxes open (may be
  // none); boxes carry the application's title (platform/win32/u_MessageBox).
  // BrowserWindows makes the print window's browser. Modal windows wait in Loop.
  TWin32FormViews(HWND Owner, TBrowserWindowFactory BrowserWindows, IMessageLoop& Loop);

  [[nodiscard]] std::unique_ptr<ISearchView> CreateSearchView() override;
  [[nodiscard]] std::unique_ptr<ISplashView> CreateSplashView() override;
  [[nodiscard]] std::unique_ptr<IPrintView> CreatePrintView() override;
  void ShowInformation(const std::string& Caption, const std::string& Text) override;


private:
  HWND FOwner;
  TBrowserWindowFactory FBrowserWindows;
  IMessageLoop& FLoop;
};

} // namespace vv
