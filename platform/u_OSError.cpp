#include "platform/u_OSError.h"

#include <cerrno>
#include <cstring>

namespace vv {

void RaiseLastOSError(const std::string& Context) {
  const int Code = errno;
  throw EOSError(Code,
                 Format("System error. Code: %d. %s: %s", Code, Context, std::strerror(Code)));
}

} // namespace vv
