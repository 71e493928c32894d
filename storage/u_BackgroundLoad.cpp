// The load runs on its own thread; the volume or the failure goes to whoever joins it.
#include "storage/u_BackgroundLoad.h"

#include <utility>

#include "platform/CabMszip.h"

namespace vv {

TBackgroundCabinetLoad::TBackgroundCabinetLoad(std::function<void(TMFS&)> Fill)
    : FVolume(std::make_unique<TMFS>()) {
  // Until it is joined, the load keeps to its own thread: the caller's work
  // (the application and the engine starting) has the other core.
  SetMszipCallerThreadOnly(true);
  FThread = std::thread([this, Fill = std::move(Fill)] {
    try {
      Fill(*FVolume);
    } catch (...) {
      FFailure = std::current_exception();
    }
  });
}

TBackgroundCabinetLoad::~TBackgroundCabinetLoad() {
  SetMszipCallerThreadOnly(false);
  if (FThread.joinable())
    FThread.join();
}

std::unique_ptr<TMFS> TBackgroundCabinetLoad::Join() {
  // Now the joining thread waits: the load may have every core.
  SetMszipCallerThreadOnly(false);
  if (FThread.joinable())
    FThread.join();
  if (FFailure)
    std::rethrow_exception(std::exchange(FFailure, nullptr));
  return std::move(FVolume);
}

} // namespace vv
