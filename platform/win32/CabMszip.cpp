// On Windows the system's cabinet library decodes MSZIP on the caller's
// thread: there are no decoding threads of ours to hold back.
#include "platform/CabMszip.h"

namespace vv {

void SetMszipCallerThreadOnly(bool) {}

} // namespace vv
