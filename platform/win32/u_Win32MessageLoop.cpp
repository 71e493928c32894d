#include "platform/win32/u_Win32MessageLoop.h"

#include "platform/u_OSError.h"
#include "platform/win32/u_WindowClass.h"

namespace vv {

namespace {
constexpr UINT WM_VV_TASK = WM_APP + 1;
constexpr UINT WM_VV_WAKE = WM_APP + 2;
constexpr const wchar_t* WindowClass = L"VellumviewMessageLoop";
} // namespace

TWin32MessageLoop::TWin32MessageLoop() {
  RegisterWindowClass({WindowClass, &TWin32MessageLoop::WindowProc});
  FWindow = CreateWindowExW(0, WindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!FWindow)
    RaiseLastOSError("CreateWindow");
  SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TWin32MessageLoop::~TWin32MessageLoop() {
  // Tasks still waiting die with the loop; the window takes its timers along.
  DestroyWindow(FWindow);
}

void TWin32MessageLoop::Post(std::function<void()> Task) {
  const UINT_PTR Id = FNextId++;
  FTasks.emplace(Id, std::move(Task));
  if (!PostMessageW(FWindow, WM_VV_TASK, Id, 0)) {
    FTasks.erase(Id);
    RaiseLastOSError("PostMessage");
  }
}

void TWin32MessageLoop::PostDelayed(int Ms, std::function<void()> Task) {
  const UINT_PTR Id = FNextId++;
  FTasks.emplace(Id, std::move(Task));
  if (!SetTimer(FWindow, Id, static_cast<UINT>(Ms < 0 ? 0 : Ms), nullptr)) {
    FTasks.erase(Id);
    RaiseLastOSError("SetTimer");
  }
}

void TWin32MessageLoop::Wake() { PostMessageW(FWindow, WM_VV_WAKE, 0, 0); }

void TWin32MessageLoop::WaitUntil(const std::function<bool()>& Done, int TimeoutMs) {
  const ULONGLONG End = GetTickCount64() + static_cast<ULONGLONG>(TimeoutMs < 0 ? 0 : TimeoutMs);
  while (!Done()) {
    DWORD Sleep = INFINITE;
    if (TimeoutMs >= 0) {
      const ULONGLONG Now = GetTickCount64();
      if (Now >= End)
        return;
      Sleep = static_cast<DWORD>(End - Now);
    }
    if (MsgWaitForMultipleObjectsEx(0, nullptr, Sleep, QS_ALLINPUT, MWMO_INPUTAVAILABLE) != WAIT_OBJECT_0)
      continue; // the time is up: checked above
    MSG Message;
    while (PeekMessageW(&Message, nullptr, 0, 0, PM_REMOVE)) {
      if (Message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(Message.wParam));
        return;
      }
      Dispatch(Message);
      if (Done())
        return;
    }
  }
}

int TWin32MessageLoop::Run() {
  MSG Message;
  for (;;) {
    const BOOL Got = GetMessageW(&Message, nullptr, 0, 0);
    if (Got == 0)
      return static_cast<int>(Message.wParam);
    if (Got == -1)
      RaiseLastOSError("GetMessage");
    Dispatch(Message);
  }
}

void TWin32MessageLoop::Dispatch(MSG& Message) {
  // The hook is a boundary like a window procedure: nothing unwinds from it.
  try {
    if (OnMessage && OnMessage(Message))
      return;
  } catch (...) {
  }
  TranslateMessage(&Message);
  DispatchMessageW(&Message);
}

void TWin32MessageLoop::RunTask(UINT_PTR Id) {
  const auto Found = FTasks.find(Id);
  if (Found == FTasks.end())
    return;
  const std::function<void()> Task = std::move(Found->second);
  FTasks.erase(Found);
  // Nothing may unwind through the system's dispatch: a task handles its own
  // failures, and one that does not is dropped here.
  try {
    Task();
  } catch (...) {
  }
}

LRESULT CALLBACK TWin32MessageLoop::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  auto* Loop = reinterpret_cast<TWin32MessageLoop*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
  switch (Message) {
  case WM_VV_TASK:
    if (Loop)
      Loop->RunTask(WParam);
    return 0;
  case WM_TIMER:
    KillTimer(Window, WParam);
    if (Loop)
      Loop->RunTask(WParam);
    return 0;
  case WM_VV_WAKE: return 0; // the wait checks its condition after every message
  default: return DefWindowProcW(Window, Message, WParam, LParam);
  }
}

} // namespace vv
