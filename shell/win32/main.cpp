// Program entry of the Windows viewer: the book carried by this executable in
// its window on the system's browser control. Also the automation server's
// switches, and --self-test for the packer's runtime check.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <iostream>
#include <memory>
#include <string_view>

#include "forms/win32/frm_Win32FormViews.h"
#include "forms/win32/frm_Win32UserForm.h"
#include "host/win32/c_MXWebBrowser.h"
#include "host/win32/u_BrowserEmulation.h"
#include "host/win32/u_ComServer.h"
#include "platform/win32/u_MessageBox.h"
#include "platform/win32/u_UrlMonProtocol.h"
#include "shell/u_CommandLine.h"
#include "shell/win32/u_Win32Viewer.h"
#include "storage/u_BookSelfTest.h"
#include "storage/u_MFSCabLoad.h"

namespace {
// The registration switches end the program: 0 when done, 1 with the
// system's reason otherwise.
int ChangeRegistration(vv::TServerSwitch Switch) {
  try {
    if (Switch == vv::TServerSwitch::RegServer)
      vv::RegisterComServer();
    else
      vv::UnregisterComServer();
    return 0;
  } catch (const std::exception& E) {
    std::cerr << E.what() << '\n';
    return 1;
  }
}

int RunBook() {
  // The content archive, the bulk of a large book, unpacks while the window
  // and the browser control are made; the logic takes it at its own step.
  auto ContentLoad = std::make_unique<vv::TBackgroundCabinetLoad>(
      [](vv::TMFS& Volume) { vv::LoadVolumeFromResource(Volume, "FILES_MFS"); });
  const INITCOMMONCONTROLSEX Controls{sizeof(INITCOMMONCONTROLSEX),
                                      ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES |
                                          ICC_STANDARD_CLASSES | ICC_USEREX_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&Controls);
  vv::SetBrowserEmulation();
  vv::TWin32MessageLoop Loop;
  // The book's schemes reach the browser control through this while it lives.
  const vv::TUrlMonProtocolPlatform Schemes;
  const vv::TBrowserWindowFactory Browsers = vv::CreateBrowserWindow(Loop);
  const vv::TMainWindowParts Parts{
      Browsers,
      [&](HWND Owner) { return std::make_unique<vv::TWin32FormViews>(Owner, Browsers, Loop); },
      [&](HWND Owner) { return std::make_unique<vv::TWin32UserFormViews>(Owner, Browsers); }};
  return vv::RunMainWindow(std::move(ContentLoad), Parts, Loop);
}
} // namespace

int main(int argc, char** argv) {
  const vv::TServerSwitch Switch = vv::ServerSwitchOf(argc, argv);
  if (Switch == vv::TServerSwitch::RegServer || Switch == vv::TServerSwitch::UnregServer)
    return ChangeRegistration(Switch);
  if (argc == 2 && std::string_view(argv[1]) == "--self-test")
    return vv::RunBookSelfTest(std::cout);
  // Every start registers the server; a refusal changes nothing for the reader.
  try {
    vv::RegisterComServer();
  } catch (const std::exception&) {
  }
  // The browser control needs a single-threaded apartment with OLE.
  if (FAILED(OleInitialize(nullptr))) {
    vv::ShowErrorBox(nullptr, "OLE cannot be initialised");
    return 1;
  }
  int Status = 1;
  try {
    Status = RunBook();
  } catch (const std::exception& E) {
    vv::ShowErrorBox(nullptr, E.what());
  }
  OleUninitialize();
  return Status;
}
