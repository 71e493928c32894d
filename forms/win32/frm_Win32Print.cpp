#include "forms/win32/frm_Win32Print.h"

#include "forms/win32/u_FormPictures.h"
#include "platform/win32/u_Win32Text.h"

namespace vv {

namespace {
constexpr DWORD FormStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr int FormWidth = 696;
constexpr int FormHeight = 480;
} // namespace

TWin32PrintView::TWin32PrintView(HWND Owner, const TBrowserWindowFactory& BrowserWindows, IMessageLoop& Loop,
                                 std::wstring Caption)
    : TModalWindow(Loop) {
  ErrorCaption = std::move(Caption);
  INITCOMMONCONTROLSEX Classes{sizeof(Classes), ICC_BAR_CLASSES};
  InitCommonControlsEx(&Classes);
  CreateHandle(L"TfrmPrint", FormStyle, 0, {0, 0, FormWidth, FormHeight}, Owner, L"Print page");
  CenterIn(Handle(), WorkArea());

  tbrPrint = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0, 0, 0, 0, Handle(),
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(tbrPrint, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  imglToolbar = FormPictures({TFormPicture::Printer, TFormPicture::Preview});
  SendMessageW(tbrPrint, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(imglToolbar));
  TBBUTTON Buttons[2]{};
  Buttons[0] = {0, idPrint, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, -1};
  Buttons[1] = {1, idPreview, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, -1};
  SendMessageW(tbrPrint, TB_ADDBUTTONSW, 2, reinterpret_cast<LPARAM>(Buttons));
  SendMessageW(tbrPrint, TB_AUTOSIZE, 0, 0);

  FBrowser = BrowserWindows(Handle());
  // A section is markup taken out of a page: printed as it stands, its
  // scripts never run (the window has no script object either).
  FBrowser->SetDownloadOptions({TDownloadControlOption::DLCTL_DLIMAGES, TDownloadControlOption::DLCTL_VIDEOS,
                                TDownloadControlOption::DLCTL_BGSOUNDS, TDownloadControlOption::DLCTL_NO_SCRIPTS});
  FBrowser->SetUserInterfaceOptions({});
  FocusControl = FBrowser->Handle();
  // Unasked, the browser shows its own menu.
  FBrowser->OnShowContextMenu = [this](std::uint32_t dwID, const TPoint& ppt) {
    return OnShowContextMenu ? OnShowContextMenu(dwID, ppt) : VV_S_FALSE;
  };
  LayOutControls();
}

TWin32PrintView::~TWin32PrintView() {
  // The browser goes while its parent is still there.
  FBrowser.reset();
  SendMessageW(tbrPrint, TB_SETIMAGELIST, 0, 0);
  ImageList_Destroy(imglToolbar);
}

void TWin32PrintView::LayOutControls() {
  if (!FBrowser)
    return; // sized while it is made
  SendMessageW(tbrPrint, TB_AUTOSIZE, 0, 0);
  RECT Client{}, Bar{};
  GetClientRect(Handle(), &Client);
  GetWindowRect(tbrPrint, &Bar);
  Client.top = Bar.bottom - Bar.top;
  if (Client.bottom < Client.top)
    Client.bottom = Client.top;
  FBrowser->SetBounds(Client);
}

void TWin32PrintView::LoadHTML(const std::string& Html) { FBrowser->LoadHTML(Html); }

void TWin32PrintView::ExecWB(int CmdID, int CmdExecOpt) { FBrowser->ExecWB(CmdID, CmdExecOpt); }

void TWin32PrintView::ShowError(const std::string& Message) {
  ShowBox(Handle(), BookToWindows(Message), ErrorCaption, MB_OK | MB_ICONERROR);
}

void TWin32PrintView::ShowModal() {
  // The page's own keys go to the browser; Escape is the application's key
  // hook's, which closes the print window.
  RunModal([this](MSG& Message) { return Message.wParam != VK_ESCAPE && FBrowser->PreTranslateMessage(Message); });
}

LRESULT TWin32PrintView::HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
  case WM_COMMAND:
    if (LOWORD(WParam) == idPrint && OnPrint) {
      OnPrint();
      return 0;
    }
    if (LOWORD(WParam) == idPreview && OnPreview) {
      OnPreview();
      return 0;
    }
    break;
  case WM_NOTIFY: {
    auto* Tip = reinterpret_cast<NMTTDISPINFOW*>(LParam);
    if (Tip->hdr.code == TTN_GETDISPINFOW) {
      // The buttons' hints.
      if (Tip->hdr.idFrom == idPrint)
        Tip->lpszText = const_cast<wchar_t*>(L"Print");
      else if (Tip->hdr.idFrom == idPreview)
        Tip->lpszText = const_cast<wchar_t*>(L"Preview");
    }
    return 0;
  }
  case WM_SIZE: LayOutControls(); return 0;
  }
  return TModalWindow::HandleMessage(Message, WParam, LParam);
}

} // namespace vv
