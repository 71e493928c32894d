#pragma once
// The user-interface thread's message loop as the viewer's logic sees it.
// Each platform implements it; every call is made on that thread.

#include <functional>

namespace vv {

class IMessageLoop {
public:
  virtual ~IMessageLoop() = default;
  // Runs Task from the loop once the current handler has returned.
  virtual void Post(std::function<void()> Task) = 0;
  // Runs Task from the loop after Ms milliseconds; a task that refers to an
  // object checks that object's liveness itself.
  virtual void PostDelayed(int Ms, std::function<void()> Task) = 0;
  // Processes messages, sleeping while there are none, until Done() is true
  // or TimeoutMs have passed (a negative timeout: no limit). Done is checked
  // at the start and whenever Wake is called; nested waits are allowed.
  virtual void WaitUntil(const std::function<bool()>& Done, int TimeoutMs) = 0;
  // Something a wait may be waiting for has changed.
  virtual void Wake() = 0;
};

} // namespace vv
