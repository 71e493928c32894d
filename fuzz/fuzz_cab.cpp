// Cabinets from arbitrary bytes: unpack "info.mfs" into a volume, then walk
// what was loaded so every byte handed over is touched. The plain road must
// load only what the general road loads alike.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzWalk.h"
#include "storage/u_MFSCabLoad.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const std::string Bytes(reinterpret_cast<const char*>(Data), Size);
  vv::TMFS Plain, General;
  const bool Settled = vv::LoadPlainCabinet(Plain, vv::CabSourceOf(Bytes));
  try {
    vv::LoadAnyCabinet(General, Bytes);
  } catch (const vv::Exception&) {
    if (Settled) std::abort(); // the plain road loaded what the general road refuses
    return 0;
  }
  if (Settled && Plain.SaveToString() != General.SaveToString()) std::abort();
  (void)vvfuzz::Walk(General.Root());
  return 0;
}
