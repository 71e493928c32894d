#pragma once
// Builds a book volume from a folder on disk (the reverse of SaveToDisk).

#include <string>
#include <vector>

#include "storage/u_MFS.h"
#include "text/u_Convert.h"

namespace vv {

// Copies every file and folder below Dir into Folder: DOS date-times from the
// modification times, attribute 0x20 for files and 0x10 for folders. A
// symbolic link is followed when it points inside Dir (a link to a folder
// that holds it would never end, so it is left out too); special files are
// skipped. Entries that a shell pattern of Exclude matches, on their path
// below Dir ("/" between names) or on their name alone, are left out with
// everything below them. Two names in one folder that differ only in case
// are refused (EMFSError naming both paths) before anything is imported.
// Names are stored in NameCodePage, the book's: a name the system gives as
// UTF-8 (Windows always, Linux mostly) becomes Windows-1252 when that code
// page holds it, and is kept as it is, and added to Unheld (as a path below
// Dir), when it does not; other bytes are kept as they are. Exclude matches
// the names as the system gives them.
// Returns the symbolic links left out, as paths below Dir.
std::vector<std::string> ImportFolderFromDisk(const std::string& Dir, TMFSFolder& Folder,
                                              const std::vector<std::string>& Exclude = {},
                                              TCodePage NameCodePage = TCodePage::Utf8,
                                              std::vector<std::string>* Unheld = nullptr);

} // namespace vv
