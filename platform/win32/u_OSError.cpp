// The last-error exception from the system's own error number and text.
#include "platform/u_OSError.h"

#include <windows.h>

namespace vv {

void RaiseLastOSError(const std::string& Context) {
  const DWORD Code = GetLastError();
  char* Text = nullptr;
  const DWORD Length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, Code, 0, reinterpret_cast<char*>(&Text), 0, nullptr);
  std::string Message = Length ? std::string(Text, Length) : Format("Unknown error %d", static_cast<int>(Code));
  if (Text)
    LocalFree(Text);
  // The system's texts end with a line break; the message format has none.
  while (!Message.empty() && (Message.back() == '\n' || Message.back() == '\r' || Message.back() == ' '))
    Message.pop_back();
  throw EOSError(static_cast<int>(Code),
                 Format("System error. Code: %d. %s: %s", static_cast<int>(Code), Context, Message));
}

} // namespace vv
