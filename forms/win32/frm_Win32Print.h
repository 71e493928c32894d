#pragma once
// The print window on Win32: one marked section of a page in a browser of
// its own, with the Print and Preview buttons, reporting to the print logic
// (forms/u_Print).

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "forms/i_FormViews.h"
#include "forms/win32/u_Win32Window.h"
#include "host/win32/i_BrowserWindow.h"

namespace vv {

class TWin32PrintView : public TModalWindow, public IPrintView {
public:
  // Owner: the window it stays in front of (may be none).
  TWin32PrintView(HWND Owner, const TBrowserWindowFactory& BrowserWindows, IMessageLoop& Loop,
                  std::wstring ErrorCaption);
  ~TWin32PrintView() override;

  void LoadHTML(const std::string& Html) override;
  void ExecWB(int CmdID, int CmdExecOpt) override;
  void ShowError(const std::string& Message) override;
  void ShowModal() override;

  enum : int { idPrint = 101, idPreview = 102 };
  HWND tbrPrint = nullptr;
  [[nodiscard]] IBrowserWindow& webPrint() const { return *FBrowser; }

protected:
  LRESULT HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) override;

private:
  void LayOutControls();

  HIMAGELIST imglToolbar = nullptr;
  std::unique_ptr<IBrowserWindow> FBrowser;
};

} // namespace vv
