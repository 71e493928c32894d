#pragma once
// The platform's last-error exception: a failed system call, with its error number.

#include <string>

#include "text/u_Utils.h"

namespace vv {

class EOSError : public Exception {
public:
  EOSError(int ErrorCode, const std::string& Message) : Exception(Message), ErrorCode(ErrorCode) {}
  const int ErrorCode;
};

// Raises EOSError for the system's last error (errno; GetLastError on
// Windows); Context names what failed.
[[noreturn]] void RaiseLastOSError(const std::string& Context);

} // namespace vv
