#pragma once
// Writes single-folder cabinet archives in memory (libgcab).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "text/u_Utils.h"

namespace vv {

class ECabWriterError : public Exception {
  using Exception::Exception;
};

struct TCabMember {
  std::string Name; // as stored; "\" separates folders
  std::string Data;
  std::uint32_t DosDateTime = 0x00210000; // date high, time low; 1980-01-01 00:00:00
  std::uint16_t Attributes = 0x20;
};

enum class TCabCompression { None, MSZIP };

// Called while the archive is written with bytes of member data done so far.
using TCabProgress = std::function<void(std::uint64_t Done, std::uint64_t Total)>;

// The cabinet bytes: one folder holding Members in order.
[[nodiscard]] std::string WriteCabinet(const std::vector<TCabMember>& Members,
                                       TCabCompression Compression,
                                       const TCabProgress& Progress = {});

} // namespace vv
