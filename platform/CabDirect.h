#pragma once
// A member of a plain cabinet read straight from the archive's bytes, without
// the FDI interface: the archives the packer writes (one MSZIP folder in a
// single cabinet, no reserved areas, every field where a writer puts it).
// Whatever is not that plain is left to the FDI interface, which also says
// what is wrong with an archive.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "platform/CabMszip.h"

namespace vv {

// An archive read where it lies: Size bytes, ReadAt copying Count of them
// from At (false on any failure).
struct TCabSource {
  std::uint64_t Size = 0;
  std::function<bool(std::uint64_t At, void* Buffer, std::size_t Count)> ReadAt;
};

// An archive already in memory, which must outlive the source.
[[nodiscard]] TCabSource CabSourceOf(std::string_view Cabinet);

struct TCabMemberPlace {
  std::uint32_t DataOffset = 0; // the folder's first data block in the archive
  std::uint32_t Blocks = 0;     // data blocks of the folder
  std::uint32_t Offset = 0;     // the member's first byte within the unpacked folder
  std::uint32_t Length = 0;
};

// The member named Name (any case) when Cabinet is plain and holds exactly one
// member of that name, entirely within its folder.
[[nodiscard]] std::optional<TCabMemberPlace> FindPlainCabMember(const TCabSource& Cabinet,
                                                                std::string_view Name);

// The member's bytes in order, a piece at a time.
class TCabMemberReader {
public:
  TCabMemberReader(TCabSource Cabinet, const TCabMemberPlace& Member);

  // The member's next bytes, valid until the next call; empty once the member
  // is done, or when the folder's data is damaged or unusual.
  [[nodiscard]] std::string_view Next();

private:
  const TCabSource FCabinet;
  std::uint64_t FReadAt;
  std::uint64_t FPosition = 0; // unpacked bytes of the folder taken so far
  const std::uint64_t FBegin, FEnd;
  TMszipFolderReader FFolder;
};

} // namespace vv
