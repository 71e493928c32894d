#include "shell/win32/u_Panel.h"

#include "platform/win32/u_WindowClass.h"

namespace vv {

namespace {
constexpr wchar_t PanelClass[] = L"VellumviewPanel";

LRESULT CALLBACK PanelProc(HWND Panel, UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
  case WM_ERASEBKGND: {
    RECT Client;
    GetClientRect(Panel, &Client);
    const auto Brush = reinterpret_cast<HBRUSH>(GetWindowLongPtrW(Panel, GWLP_USERDATA));
    FillRect(reinterpret_cast<HDC>(WParam), &Client, Brush ? Brush : GetSysColorBrush(COLOR_BTNFACE));
    return 1;
  }
  case WM_COMMAND:
  case WM_NOTIFY:
  case WM_CTLCOLORSTATIC:
  case WM_CTLCOLOREDIT:
  case WM_CTLCOLORBTN:
    return SendMessageW(GetAncestor(Panel, GA_ROOT), Message, WParam, LParam);
  case WM_SETCURSOR:
    // A child's cursor is the top-level window's to choose.
    if (reinterpret_cast<HWND>(WParam) != Panel && SendMessageW(GetAncestor(Panel, GA_ROOT), Message, WParam, LParam))
      return TRUE;
    break;
  default: break;
  }
  return DefWindowProcW(Panel, Message, WParam, LParam);
}

} // namespace

HWND CreatePanel(HWND Parent, HBRUSH Background) {
  RegisterWindowClass({PanelClass, PanelProc});
  HWND Panel = CreateWindowExW(WS_EX_CONTROLPARENT, PanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0,
                               0, Parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetPanelBackground(Panel, Background);
  return Panel;
}

void SetPanelBackground(HWND Panel, HBRUSH Background) {
  SetWindowLongPtrW(Panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Background));
  InvalidateRect(Panel, nullptr, TRUE);
}

} // namespace vv
