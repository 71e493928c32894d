#pragma once
// Small helpers shared by the text tests.

#include <string>

#include "text/u_Utils.h"

namespace vvtest {

// The message of the vv::Exception that Call raises, or "(no error)".
template <typename Fn> std::string MessageOf(Fn&& Call) {
  try {
    Call();
  } catch (const vv::Exception& E) {
    return E.what();
  }
  return "(no error)";
}

} // namespace vvtest
