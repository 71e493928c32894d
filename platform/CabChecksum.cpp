#include "platform/CabChecksum.h"

#include "text/u_Utils.h"

namespace vv {

std::uint32_t CabChecksum(const unsigned char* Data, std::uint32_t Bytes, std::uint32_t Seed) {
  std::uint32_t Sum = Seed;
  for (std::uint32_t Words = Bytes / 4; Words--; Data += 4)
    Sum ^= LoadLE32(Data);
  std::uint32_t Tail = 0;
  switch (Bytes & 3) {
  case 3: Tail |= static_cast<std::uint32_t>(*Data++) << 16; [[fallthrough]];
  case 2: Tail |= static_cast<std::uint32_t>(*Data++) << 8; [[fallthrough]];
  case 1: Tail |= *Data; break;
  default: break;
  }
  return Sum ^ Tail;
}

} // namespace vv
