#pragma once
// Books as viewer executables: a book folder's two volumes packed into
// cabinets appended to a copy of the viewer, and read back again.

#include <cstdint>
#include <functional>
#include <string>

#include "storage/u_MFS.h"
#include "tools/u_BookSource.h"

namespace vv {

class EBookPackError : public Exception {
  using Exception::Exception;
};

// The resource names of the two volumes, and the one member of each cabinet.
inline constexpr const char* SystemResourceName = "SYSTEM_MFS";
inline constexpr const char* FilesResourceName = "FILES_MFS";
inline constexpr const char* ContainerMemberName = "info.mfs";

// Reports the step under way ("Compressing FILES_MFS") and the bytes packed of
// about Total, the book's file bytes; called again as each round of blocks is done.
using TPackProgress =
    std::function<void(const std::string& Step, std::uint64_t Done, std::uint64_t Total)>;

// The cabinet holding Volume as the single MSZIP member "info.mfs", stamped
// with the current date-time and attribute 0x20.
[[nodiscard]] std::string PackVolume(const TMFS& Volume);

// Writes Out: Viewer followed by the cabinets of the book's system and
// content volumes as resources "SYSTEM_MFS" and "FILES_MFS" of type "RCDATA".
// Containers and cabinets are streamed into Out, never held in memory.
void BuildBook(const TBookSource& Book, const std::string& Out, const std::string& Viewer,
               const TPackProgress& Progress = {});

// Fills the two volumes from the resources of the executable Book.
void LoadBook(const std::string& Book, TMFS& System, TMFS& Files);

} // namespace vv
