#include "forms/win32/frm_Win32FormViews.h"

#include "forms/win32/frm_Win32Print.h"
#include "forms/win32/frm_Win32Search.h"
#include "forms/win32/frm_Win32Splash.h"
#include "forms/win32/u_Win32Window.h"
#include "platform/win32/u_MessageBox.h"
#include "platform/win32/u_Win32Text.h"

namespace vv {

TWin32FormViews::TWin32FormViews(HWND Owner, TBrowserWindowFactory BrowserWindows, IMessageLoop& Loop)
    : FOwner(Owner), FBrowserWindows(std::move(BrowserWindows)), FLoop(Loop) {}

std::unique_ptr<ISearchView> TWin32FormViews::CreateSearchView() {
  return std::make_unique<TWin32SearchView>(FOwner, FLoop, ApplicationTitle());
}

std::unique_ptr<ISplashView> TWin32FormViews::CreateSplashView() { return std::make_unique<TWin32SplashView>(); }

std::unique_ptr<IPrintView> TWin32FormViews::CreatePrintView() {
  return std::make_unique<TWin32PrintView>(FOwner, FBrowserWindows, FLoop, ApplicationTitle());
}

void TWin32FormViews::ShowInformation(const std::string& Caption, const std::string& Text) {
  ShowBox(FOwner, BookToWindows(Text), BookToWindows(Caption), MB_OK | MB_ICONINFORMATION);
}

} // namespace vv
