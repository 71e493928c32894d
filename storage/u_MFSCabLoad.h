#pragma once
// Filling a book volume from the bytes of a cabinet archive holding "info.mfs".

#include <string>

#include "storage/u_MFS.h"

namespace vv {

// Unpacks CabBytes in a scratch volume and loads the container "info.mfs"
// found there into Volume. CabBytes is taken by value: pass it with
// std::move so the archive is not held twice.
void LoadVolumeFromCabinet(TMFS& Volume, std::string CabBytes);

} // namespace vv
