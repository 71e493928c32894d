// Resources of the program's own module, read through the system: type
// "RCDATA" given as a string, which is a named type, not the numeric raw-data
// type of the same name.
#include "platform/u_Resources.h"

#include <windows.h>

namespace vv {

std::string LoadResourceData(std::string_view Name) {
  const std::string Key(Name);
  const HRSRC Info = FindResourceA(nullptr, Key.c_str(), std::string(RT_RCDATA_NAME).c_str());
  if (!Info)
    return {};
  const HGLOBAL Handle = LoadResource(nullptr, Info);
  if (!Handle)
    RaiseLastOSError(Format("LoadResource(\"%s\")", Key));
  const void* Data = LockResource(Handle);
  if (!Data)
    return {};
  return std::string(static_cast<const char*>(Data), SizeofResource(nullptr, Info));
}

} // namespace vv
