#pragma once
// The user-interface thread's message loop on Windows, behind the logic's
// interface: tasks and timers go through a message-only window of the thread
// that made the loop; waits pump that thread's messages and sleep in
// MsgWaitForMultipleObjects while there are none.

#include <windows.h>

#include <functional>
#include <map>

#include "platform/i_MessageLoop.h"

namespace vv {

class TWin32MessageLoop : public IMessageLoop {
public:
  // Made on the thread whose messages it pumps; every call comes from there.
  TWin32MessageLoop();
  ~TWin32MessageLoop() override;
  TWin32MessageLoop(const TWin32MessageLoop&) = delete;
  TWin32MessageLoop& operator=(const TWin32MessageLoop&) = delete;

  void Post(std::function<void()> Task) override;
  void PostDelayed(int Ms, std::function<void()> Task) override;
  // A WM_QUIT arriving meanwhile ends the wait and is posted again for the
  // outermost loop.
  void WaitUntil(const std::function<bool()>& Done, int TimeoutMs) override;
  void Wake() override;

  // The outermost loop: runs until WM_QUIT and returns its exit code.
  int Run();

  // Every message taken from the thread's queue, by Run and by waits, passes
  // here first (the application's key hook, dialog navigation, the browser's
  // accelerators); true: handled, not dispatched.
  std::function<bool(MSG& Message)> OnMessage;

private:
  void Dispatch(MSG& Message);
  static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  void RunTask(UINT_PTR Id);

  HWND FWindow = nullptr;
  UINT_PTR FNextId = 1;
  std::map<UINT_PTR, std::function<void()>> FTasks;
};

} // namespace vv
