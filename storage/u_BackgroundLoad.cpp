// The load runs on its own thread; the volume or the failure goes to whoever joins it.
#include "storage/u_BackgroundLoad.h"

#include <utility>

#include "storage/u_MFSCabLoad.h"

namespace vv {

TBackgroundCabinetLoad::TBackgroundCabinetLoad(std::function<std::string()> CabBytes)
    : FVolume(std::make_unique<TMFS>()), FThread([this, CabBytes = std::move(CabBytes)] {
        try {
          LoadVolumeFromCabinet(*FVolume, CabBytes());
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
