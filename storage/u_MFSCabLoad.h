#pragma once
// Filling a book volume from the bytes of a cabinet archive holding "info.mfs".

#include <string>
#include <string_view>

#include "platform/CabDirect.h"
#include "storage/u_MFS.h"

namespace vv {

// Loads the container "info.mfs" of the archive CabBytes into Volume, by the
// plain road where it can, else by the general one. CabBytes is taken by
// value: pass it with std::move so the archive is not held twice. On Windows
// every archive takes the general road, through the system's cabinet library.
void LoadVolumeFromCabinet(TMFS& Volume, std::string CabBytes);

// The two roads LoadVolumeFromCabinet takes, apart. The plain road reads the
// container as it unpacks, straight into the volume's files, never holding it
// whole; it settles a load (true) only where the general road would load the
// very same tree, and otherwise leaves the volume untouched. The general road
// unpacks the container through the cabinet interface in a scratch volume,
// then loads it; it takes any archive and says what is wrong with one.
#ifndef _WIN32
[[nodiscard]] bool LoadPlainCabinet(TMFS& Volume, const TCabSource& Cabinet);
#endif
void LoadAnyCabinet(TMFS& Volume, std::string CabBytes);

// The same for the archive stored as the running executable's resource Name,
// as LoadVolumeFromCabinet(Volume, LoadResourceData(Name)) would, failures
// included; a plain archive is read where it lies, never whole.
void LoadVolumeFromResource(TMFS& Volume, std::string_view Name);

} // namespace vv
