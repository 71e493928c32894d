#pragma once
// The data block checksum of the cabinet format, shared by its reader and writer.

#include <cstdint>

namespace vv {

// The checksum of Bytes bytes of Data, continuing from Seed.
[[nodiscard]] std::uint32_t CabChecksum(const unsigned char* Data, std::uint32_t Bytes,
                                        std::uint32_t Seed);

} // namespace vv
