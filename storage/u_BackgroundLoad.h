#pragma once
// A volume filled on a thread of its own (from a cabinet archive), so that a
// large archive is unpacked while the caller goes on with work that does not
// need it.

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "storage/u_MFS.h"

namespace vv {

class TBackgroundCabinetLoad {
public:
  // Starts Fill on a new volume at once, on the load's thread, which keeps
  // to itself (no helper threads for MSZIP) until the load is joined.
  explicit TBackgroundCabinetLoad(std::function<void(TMFS&)> Fill);
  // Waits for a load nobody joined; its failure, if any, is dropped.
  ~TBackgroundCabinetLoad();
  TBackgroundCabinetLoad(const TBackgroundCabinetLoad&) = delete;
  TBackgroundCabinetLoad& operator=(const TBackgroundCabinetLoad&) = delete;

  // Waits for the load: the filled volume, or the load's failure raised here,
  // as if the load had run at this point. Once only.
  [[nodiscard]] std::unique_ptr<TMFS> Join();

private:
  std::unique_ptr<TMFS> FVolume;
  std::exception_ptr FFailure;
  std::thread FThread;
};

} // namespace vv
