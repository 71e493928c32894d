#pragma once
// "vellumpack new": a ready book folder for an author to start from, every
// file commented (or explained in system/README.txt where the settings
// notation has no comments).

#include <string>

#include "text/u_Utils.h"

namespace vv {

class ENewBookError : public Exception {
  using Exception::Exception;
};

// Writes Dir/system and Dir/files; Dir must be missing or empty.
void WriteNewBook(const std::string& Dir, const std::string& Title, const std::string& Author);

} // namespace vv
