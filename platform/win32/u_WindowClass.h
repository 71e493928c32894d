#pragma once
// Window classes of this module, registered once for every window of a kind.

#include <windows.h>

namespace vv {

struct TWindowClass {
  const wchar_t* Name;
  WNDPROC Procedure;
  UINT Style = 0;
  HBRUSH Background = nullptr; // none: the window paints all of itself
  HICON Icon = nullptr;
};

// Registers Class unless this module has it already (with an arrow cursor);
// raises EOSError when the system refuses.
void RegisterWindowClass(const TWindowClass& Class);

} // namespace vv
