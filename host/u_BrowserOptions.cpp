#include "host/u_BrowserOptions.h"

#include <array>
#include <cstddef>

namespace vv {

namespace {
constexpr std::array<std::int32_t, 19> DownloadBits = {
    0x10,   0x20,   0x40,    0x80,    0x100,   0x200,      0x400,      0x800,      0x1000,     0x2000,
    0x4000, 0x8000, 0x10000, 0x20000, 0x40000, 0x10000000, 0x20000000, 0x40000000, static_cast<std::int32_t>(0x80000000)};
constexpr std::array<std::int32_t, 21> HostUIBits = {0x1,    0x2,    0x4,    0x8,     0x10,    0x20,    0x40,
                                                     0x80,   0x100,  0x200,  0x400,   0x800,   0x1000,  0x2000,
                                                     0x4000, 0x10000, 0x20000, 0x40000, 0x80000, 0x100000, 0x200000};
} // namespace

std::int32_t DownloadControlMask(const TDownloadControlOptions& Options) {
  std::int32_t Mask = 0;
  for (const TDownloadControlOption O : Options)
    Mask |= DownloadBits[static_cast<std::size_t>(O)];
  return Mask;
}

std::int32_t HostUIMask(const TUserInterfaceOptions& Options) {
  std::int32_t Mask = 0;
  for (const TUserInterfaceOption O : Options)
    Mask |= HostUIBits[static_cast<std::size_t>(O)];
  return Mask;
}

} // namespace vv
