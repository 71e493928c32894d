// Cabinets from arbitrary bytes: unpack "info.mfs" into a volume, then walk
// what was loaded so every byte handed over is touched.
#include <cstdint>
#include <string>

#include "fuzz/FuzzWalk.h"
#include "storage/u_MFSCabLoad.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  vv::TMFS Volume;
  try {
    vv::LoadVolumeFromCabinet(Volume, std::string(reinterpret_cast<const char*>(Data), Size));
  } catch (const vv::Exception&) {
    return 0;
  }
  (void)vvfuzz::Walk(Volume.Root());
  return 0;
}
