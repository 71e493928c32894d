#pragma once
// The author's check of a book folder (BOOKDIR/system and BOOKDIR/files)
// before it is packed: settings files parse, settings convert, variables
// resolve, and every page of the reading order exists.

#include <ostream>
#include <string>

namespace vv {

// Problems go to Err, one line each, naming the file; a summary goes to Out
// when the book is clean. Returns 0 for a clean book, 1 otherwise.
[[nodiscard]] int CheckBook(const std::string& BookDir, std::ostream& Out, std::ostream& Err);

} // namespace vv
