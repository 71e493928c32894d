#pragma once
// Writes single-folder cabinet archives (layout in docs/cabinets.md). Member
// bytes are compressed as they arrive, so a member is never held whole.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "text/u_Streams.h"
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

// A member whose bytes Write produces into the stream it is handed.
struct TCabMemberSource {
  std::string Name;
  std::function<void(TStream& Data)> Write;
  std::uint32_t DosDateTime = 0x00210000;
  std::uint16_t Attributes = 0x20;
};

enum class TCabCompression { None, MSZIP };

// Called as the archive is written with the bytes of member data done so far.
using TCabProgress = std::function<void(std::uint64_t Done)>;

// Writes the cabinet at Out's position: one folder holding Members in order.
// Out must let the writer seek back there, since the header, written first,
// is completed last. At most 2 GiB of member data, as the format allows.
void WriteCabinet(TStream& Out, const std::vector<TCabMemberSource>& Members,
                  TCabCompression Compression, const TCabProgress& Progress = {});

// The cabinet bytes of members held in memory.
[[nodiscard]] std::string WriteCabinet(const std::vector<TCabMember>& Members,
                                       TCabCompression Compression);

} // namespace vv
