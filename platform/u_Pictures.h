#pragma once
// Toolbar, logo and splash pictures from a book's bytes.

#include <QImage>
#include <string>
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

// Decodes Bytes of the given kind; Name is the file named in errors. JPEG goes
// through libjpeg directly. Metafiles have no maintained renderer here and
// are refused with a message naming the file.
[[nodiscard]] QImage LoadPicture(TPictureKind Kind, const std::string& Bytes, const std::string& Name);

} // namespace vv
