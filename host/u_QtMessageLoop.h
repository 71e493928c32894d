#pragma once
// The message loop of the Qt views: Qt's own event loop behind the logic's
// interface. One per process, since there is one user-interface thread.

#include <vector>

#include "platform/i_MessageLoop.h"

namespace vv {

class TQtMessageLoop : public IMessageLoop {
public:
  void Post(std::function<void()> Task) override;
  void PostDelayed(int Ms, std::function<void()> Task) override;
  // A local event loop that sleeps until Wake finds Done, or the timeout.
  void WaitUntil(const std::function<bool()>& Done, int TimeoutMs) override;
  void Wake() override;

private:
  struct TWait;
  // Innermost last; each is checked on Wake.
  std::vector<TWait*> FWaits;
};

[[nodiscard]] TQtMessageLoop& QtMessageLoop();

} // namespace vv
