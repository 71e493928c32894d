#pragma once
// The author's check of a book folder before it is packed, on the book as
// the packer makes it (a plain folder included): settings files parse,
// settings convert, variables resolve, and every page of the reading order exists.

#include <ostream>
#include <string>

#include "tools/u_BookSource.h"

namespace vv {

// Problems go to Err, one line each, naming the file; notes and a summary go
// to Out. Returns 0 when no problem was found, 1 otherwise.
[[nodiscard]] int CheckBook(const std::string& BookDir, const TBookOptions& Options,
                            std::ostream& Out, std::ostream& Err);

// What build refuses: the problems of the book's settings as the viewer will
// read them (links are check's business), each a line on Err; their number.
[[nodiscard]] int CheckSettingsForBuild(TBookSource& Book, std::ostream& Err);

} // namespace vv
