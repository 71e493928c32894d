#pragma once
// Builds a book volume from a folder on disk (the reverse of SaveToDisk).

#include <string>

#include "storage/u_MFS.h"

namespace vv {

// Copies every file and folder below Dir into Folder: DOS date-times from the
// modification times, attribute 0x20 for files and 0x10 for folders. Symbolic
// links and special files are skipped. Two names in one folder that differ
// only in case are refused (EMFSError naming both paths) before anything is
// imported.
void ImportFolderFromDisk(const std::string& Dir, TMFSFolder& Folder);

} // namespace vv
