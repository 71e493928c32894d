#pragma once
// Our dispatch objects as COM automation objects: what a Windows script
// engine calls through IDispatch, described by the type library the
// executable carries as resource 1 TYPELIB.

#include <windows.h>
#include <oaidl.h>

#include "host/u_Dispatch.h"

namespace vv {

// The COM object standing for Object, with one reference for the caller; an
// object has one wrapper while any reference to it lives (script compares
// objects by identity). Calls must come on the thread that made the wrapper.
[[nodiscard]] ::IDispatch* ComDispatch(const TDispatchRef& Object);

} // namespace vv
