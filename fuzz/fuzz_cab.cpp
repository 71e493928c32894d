// Cabinets from arbitrary bytes: unpack "info.mfs" into a volume, then walk
// what was loaded so every byte handed over is touched.
#include <cstdint>
#include <string>

#include "storage/u_MFSCabLoad.h"

namespace {
std::size_t Walk(const vv::TMFSFolder& Folder) {
  std::size_t Bytes = 0;
  Folder.Children.ForEach([&](const std::string&, const vv::TMFSItem* Item) {
    if (const auto* File = dynamic_cast<const vv::TMFSFile*>(Item))
      Bytes += File->Content.size();
    else
      Bytes += Walk(static_cast<const vv::TMFSFolder&>(*Item));
  });
  return Bytes;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  vv::TMFS Volume;
  try {
    vv::LoadVolumeFromCabinet(Volume, std::string(reinterpret_cast<const char*>(Data), Size));
  } catch (const vv::Exception&) {
    return 0;
  }
  (void)Walk(Volume.Root());
  return 0;
}
