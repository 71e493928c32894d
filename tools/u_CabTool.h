#pragma once
// Any cabinet file listed or unpacked through the same FDI layer and MFS
// callbacks the viewer uses, for authors checking their archives.

#include <cstdint>
#include <string>
#include <vector>

#include "storage/u_MFS.h"

namespace vv {

struct TCabMemberInfo {
  std::string Name; // as stored
  std::uint32_t Size = 0;
  std::uint32_t DosDateTime = 0;
  std::uint16_t Attributes = 0;
  std::string Skipped; // why the member was not unpacked; empty if it was (or when listing)
};

// The members of the cabinet CabBytes; Name names the archive in messages.
// Failures raise EMFSCabError.
[[nodiscard]] std::vector<TCabMemberInfo> ListCabinet(std::string CabBytes,
                                                      const std::string& Name);

// Unpacks every member below the disk folder DiskDir. Member names are made
// safe first (SafeMemberPath), so nothing lands outside DiskDir. Members that
// cannot be written (no safe name, a name clash, begun in an earlier
// cabinet) are skipped, with the reason in Skipped. Returns the members.
std::vector<TCabMemberInfo> ExtractCabinet(std::string CabBytes, const std::string& Name,
                                           const std::string& DiskDir);

// A member name as a relative book path of safe parts; empty if none remains.
[[nodiscard]] std::string SafeMemberPath(std::string_view Name);

} // namespace vv
