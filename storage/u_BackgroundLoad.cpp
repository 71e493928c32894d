// The load runs on its own thread; the volume or the failure goes to whoever joins it.
#include "storage/u_BackgroundLoad.h"

#include <utility>

namespace vv {

TBackgroundCabinetLoad::TBackgroundCabinetLoad(std::function<void(TMFS&)> Fill)
    : FVolume(std::make_unique<TMFS>()), FThread([this, Fill = std::move(Fill)] {
        try {
          Fill(*FVolume);
        } catch (...) {
          FFailure = std::current_exception();
        }
      }) {}

TBackgroundCabinetLoad::~TBackgroundCabinetLoad() {
  if (FThread.joinable())
    FThread.join();
}

std::unique_ptr<TMFS> TBackgroundCabinetLoad::Join() {
  if (FThread.joinable())
    FThread.join();
  if (FFailure)
    std::rethrow_exception(std::exchange(FFailure, nullptr));
  return std::move(FVolume);
}

} // namespace vv
