#pragma once
// Our COM methods and window procedures are boundaries no C++ exception
// crosses: a failure inside becomes a failed result for the caller.

#include <windows.h>

namespace vv {

template <class TBody> ::HRESULT ComGuard(TBody&& Body) noexcept {
  try {
    return Body();
  } catch (...) {
    return E_FAIL;
  }
}

} // namespace vv
