#pragma once
// The kinds of picture a book may use (toolbar images, logo, splash).

#include <string_view>

#include "text/u_Utils.h"

namespace vv {

// A picture that cannot be read: unknown type, broken bytes, or no renderer.
class EInvalidGraphic : public Exception {
  using Exception::Exception;
};

enum class TPictureKind { Bitmap, Icon, Jpeg, Metafile };

// The kind for a file extension without its dot, compared without regard to
// case; raises "Unknown picture file extension (.%s)".
[[nodiscard]] TPictureKind PictureKindOf(std::string_view Extension);

// Raises "Cannot read the picture "Name": Reason" for every platform's decoder.
[[noreturn]] void RaiseUnreadablePicture(std::string_view Name, std::string_view Reason);

} // namespace vv
