// The Win32 message loop the logic's waits and tasks run on: order, timers,
// waits that sleep until woken or timed out, and nested waits.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/win32/u_Win32MessageLoop.h"

using namespace vv;

TEST(Win32MessageLoop, RunsTasksInOrderAfterTheirTimeAndWaitsEndOnWakeOrTimeout) {
  TWin32MessageLoop Loop;
  std::string Order;
  Loop.PostDelayed(60, [&] { Order += "c"; });
  Loop.Post([&] { Order += "a"; });
  Loop.Post([&] {
    Order += "b";
    Loop.Post([&] { Order += "B"; }); // posted from a task: after those already waiting
  });
  EXPECT_EQ(Order, ""); // nothing runs inside the call that posts it
  Loop.WaitUntil([&] { return Order.size() == 4; }, 5000);
  EXPECT_EQ(Order, "abBc");

  // A wait with nothing to wake it ends at its timeout, having slept.
  const ULONGLONG Start = GetTickCount64();
  Loop.WaitUntil([] { return false; }, 100);
  EXPECT_GE(GetTickCount64() - Start, 90u);

  // A condition changed outside any task: Wake makes the wait look again.
  bool Done = false;
  Loop.PostDelayed(20, [&] {
    Done = true;
    Loop.Wake();
  });
  Loop.WaitUntil([&] { return Done; }, -1);
  EXPECT_TRUE(Done);
}

TEST(Win32MessageLoop, AnOuterWaitMetInsideAnInnerOneEndsWithIt) {
  TWin32MessageLoop Loop;
  bool Outer = false, Inner = false, InnerReturned = false;
  Loop.Post([&] {
    Loop.PostDelayed(30, [&] {
      Outer = true;
      Inner = true;
      Loop.Wake();
    });
    Loop.WaitUntil([&] { return Inner; }, 5000);
    InnerReturned = true;
  });
  Loop.WaitUntil([&] { return Outer && InnerReturned; }, 5000);
  EXPECT_TRUE(Outer && InnerReturned);
  // A failing task is dropped; the loop goes on.
  bool After = false;
  Loop.Post([] { throw std::runtime_error("task failed"); });
  Loop.Post([&] { After = true; });
  Loop.WaitUntil([&] { return After; }, 5000);
  EXPECT_TRUE(After);
}

TEST(Win32MessageLoop, TheHookSeesEveryQueuedMessageInRunAndWaitsAndRunEndsWithQuit) {
  TWin32MessageLoop Loop;
  const HWND Window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(Window, nullptr);
  int Hooked = 0, Swallowed = 0;
  Loop.OnMessage = [&](MSG& Message) {
    if (Message.hwnd != Window)
      return false;
    ++Hooked;
    if (Message.message == WM_USER + 7)
      ++Swallowed;
    return Message.message == WM_USER + 7;
  };
  PostMessageW(Window, WM_USER + 7, 0, 0);
  Loop.WaitUntil([&] { return Hooked == 1; }, 5000);
  EXPECT_EQ(Swallowed, 1);
  // A hook that fails lets nothing unwind through the loop.
  Loop.OnMessage = [&](MSG& Message) -> bool {
    if (Message.hwnd == Window)
      throw std::runtime_error("hook failed");
    return false;
  };
  Loop.Post([&] {
    PostMessageW(Window, WM_USER + 8, 0, 0);
    Loop.PostDelayed(20, [] { PostQuitMessage(3); });
  });
  EXPECT_EQ(Loop.Run(), 3);
  DestroyWindow(Window);
}
