#pragma once
// Helpers shared by the core tests.

#include <cctype>
#include <string>
#include <string_view>

#include "text/u_Utils.h"

namespace vvtest {

// The message of the system error Call raises, or "(no error)".
template <typename Fn> std::string MessageOf(Fn&& Call) {
  try {
    Call();
  } catch (const vv::Exception& E) {
    return E.what();
  }
  return "(no error)";
}

// A test name made of Index and the letters and digits of Text: stable across
// runs and readable in a test listing.
inline std::string ReadableName(std::size_t Index, std::string_view Text) {
  std::string Name = std::to_string(Index);
  if (!Text.empty())
    Name += '_';
  for (const char C : Text.substr(0, 32))
    Name += std::isalnum(static_cast<unsigned char>(C)) ? C : '_';
  return Name;
}

} // namespace vvtest
