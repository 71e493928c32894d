#include "forms/win32/u_Win32Window.h"

#include <algorithm>
#include <exception>

#include "platform/u_OSError.h"
#include "platform/win32/u_Win32Text.h"
#include "platform/win32/u_WindowClass.h"

namespace vv {

TWin32Window::~TWin32Window() {
  if (const HWND Window = FHandle) {
    // The object is going: the window's last messages find none.
    SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
    FHandle = nullptr;
    DestroyWindow(Window);
  }
}

void TWin32Window::CreateHandle(const wchar_t* ClassName, DWORD Style, DWORD ExStyle, const RECT& Bounds, HWND Owner,
                                const wchar_t* Caption) {
  RegisterWindowClass({ClassName, &TWin32Window::WindowProc, CS_DBLCLKS, GetSysColorBrush(COLOR_BTNFACE)});
  if (!CreateWindowExW(ExStyle, ClassName, Caption, Style, Bounds.left, Bounds.top, Bounds.right - Bounds.left,
                       Bounds.bottom - Bounds.top, Owner, nullptr, GetModuleHandleW(nullptr), this))
    RaiseLastOSError("CreateWindow");
}

LRESULT TWin32Window::HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) {
  if (Message == WM_ACTIVATE && FocusControl) {
    // The system would give the focus to the window itself, where keys go nowhere.
    if (LOWORD(WParam) == WA_INACTIVE) {
      const HWND Focus = GetFocus();
      if (Focus && IsChild(FHandle, Focus))
        FocusControl = Focus;
    } else if (IsWindow(FocusControl)) {
      SetFocus(FocusControl);
    }
    return 0;
  }
  return DefWindowProcW(FHandle, Message, WParam, LParam);
}

LRESULT CALLBACK TWin32Window::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) noexcept {
  if (Message == WM_NCCREATE) {
    auto* Created = static_cast<TWin32Window*>(reinterpret_cast<CREATESTRUCTW*>(LParam)->lpCreateParams);
    Created->FHandle = Window;
    SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Created));
  }
  auto* Self = reinterpret_cast<TWin32Window*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
  if (!Self)
    return DefWindowProcW(Window, Message, WParam, LParam);
  if (Message == WM_NCDESTROY) {
    SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
    Self->FHandle = nullptr;
    try {
      Self->HandleDestroyed();
    } catch (...) {
    }
    return DefWindowProcW(Window, Message, WParam, LParam);
  }
  try {
    return Self->HandleMessage(Message, WParam, LParam);
  } catch (const std::exception& E) {
    try {
      ShowBox(Window, BookToWindows(E.what()), Self->ErrorCaption, MB_OK | MB_ICONERROR);
    } catch (...) {
    }
  } catch (...) {
  }
  return 0;
}

namespace {
struct TModalWalk {
  HWND Modal;
  std::vector<HWND>* Disabled;
};

BOOL CALLBACK CollectEnabledWindow(HWND Other, LPARAM Data) {
  const auto* Walk = reinterpret_cast<TModalWalk*>(Data);
  if (Other != Walk->Modal && IsWindowVisible(Other) && IsWindowEnabled(Other))
    Walk->Disabled->push_back(Other);
  return TRUE;
}
} // namespace

TModalScope::TModalScope(HWND Window) {
  TModalWalk Walk{Window, &FDisabled};
  EnumThreadWindows(GetCurrentThreadId(), &CollectEnabledWindow, reinterpret_cast<LPARAM>(&Walk));
  for (const HWND Other : FDisabled)
    EnableWindow(Other, FALSE);
}

void TModalScope::Release() {
  // Enabled again before the modal window hides, so that activation returns to them.
  for (const HWND Other : FDisabled)
    if (IsWindow(Other))
      EnableWindow(Other, TRUE);
  FDisabled.clear();
}

void TModalWindow::RunModal(std::function<bool(MSG&)> Keys) {
  FEnded = false;
  FModal.emplace(Handle());
  const TKeyHook Hook(Handle(), std::move(Keys));
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
  FLoop.WaitUntil([this] { return FEnded; }, -1);
  EndModal(); // after WM_QUIT
}

void TModalWindow::EndModal() {
  if (FEnded)
    return;
  FEnded = true;
  FModal.reset();
  ShowWindow(Handle(), SW_HIDE);
  FLoop.Wake();
}

LRESULT TModalWindow::HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) {
  if (Message == WM_CLOSE) {
    // The window lives on, hidden, until its owner releases it.
    EndModal();
    return 0;
  }
  return TWin32Window::HandleMessage(Message, WParam, LParam);
}

namespace {
thread_local std::vector<TKeyHook*> GKeyHooks;
thread_local HHOOK GHook = nullptr;
} // namespace

TKeyHook::TKeyHook(HWND Window, std::function<bool(MSG&)> Handler) : FWindow(Window), FHandler(std::move(Handler)) {
  if (GKeyHooks.empty()) {
    GHook = SetWindowsHookExW(WH_GETMESSAGE, &TKeyHook::GetMessageProc, nullptr, GetCurrentThreadId());
    if (!GHook)
      RaiseLastOSError("SetWindowsHookEx");
  }
  GKeyHooks.push_back(this);
}

TKeyHook::~TKeyHook() {
  GKeyHooks.erase(std::find(GKeyHooks.begin(), GKeyHooks.end(), this));
  if (GKeyHooks.empty()) {
    UnhookWindowsHookEx(GHook);
    GHook = nullptr;
  }
}

LRESULT CALLBACK TKeyHook::GetMessageProc(int Code, WPARAM WParam, LPARAM LParam) noexcept {
  auto& Message = *reinterpret_cast<MSG*>(LParam);
  if (Code == HC_ACTION && WParam == PM_REMOVE && Message.message >= WM_KEYFIRST && Message.message <= WM_KEYLAST) {
    // The innermost window first: the last hook made belongs to the window opened last.
    for (auto Hook = GKeyHooks.rbegin(); Hook != GKeyHooks.rend(); ++Hook) {
      TKeyHook* const H = *Hook;
      if (Message.hwnd != H->FWindow && !IsChild(H->FWindow, Message.hwnd))
        continue;
      bool Taken = false;
      try {
        Taken = H->FHandler(Message);
      } catch (...) {
      }
      if (Taken)
        Message.message = WM_NULL; // handled: whoever took it dispatches nothing
      break;
    }
  }
  return CallNextHookEx(nullptr, Code, WParam, LParam);
}

HFONT FormFont() {
  static const HFONT Font = [] {
    NONCLIENTMETRICSW Metrics{};
    Metrics.cbSize = sizeof(Metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(Metrics), &Metrics, 0))
      if (const HFONT Made = CreateFontIndirectW(&Metrics.lfMessageFont))
        return Made;
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }();
  return Font;
}

RECT OuterBounds(int Left, int Top, SIZE ClientSize, DWORD Style, DWORD ExStyle) {
  RECT Bounds{0, 0, ClientSize.cx, ClientSize.cy};
  AdjustWindowRectEx(&Bounds, Style, FALSE, ExStyle);
  OffsetRect(&Bounds, Left - Bounds.left, Top - Bounds.top);
  return Bounds;
}

RECT WorkArea() {
  RECT Area{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &Area, 0))
    Area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return Area;
}

void CenterIn(HWND Window, const RECT& Area) {
  RECT Bounds{};
  GetWindowRect(Window, &Bounds);
  const int Width = Bounds.right - Bounds.left, Height = Bounds.bottom - Bounds.top;
  SetWindowPos(Window, nullptr, Area.left + (Area.right - Area.left - Width) / 2,
               Area.top + (Area.bottom - Area.top - Height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int ShowBox(HWND Owner, const std::wstring& Text, const std::wstring& Caption, UINT Type) {
  return MessageBoxW(Owner, Text.c_str(), Caption.empty() ? nullptr : Caption.c_str(), Type);
}

} // namespace vv
