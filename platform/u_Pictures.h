#pragma once
// Toolbar, logo and splash pictures from a book's bytes.

#include <QImage>
#include <string>
#include <string_view>

#include "platform/u_PictureKind.h"

namespace vv {

// Decodes Bytes of the given kind; Name is the file named in errors. JPEG goes
// through libjpeg directly. Metafiles have no maintained renderer here and
// are refused with a message naming the file.
[[nodiscard]] QImage LoadPicture(TPictureKind Kind, const std::string& Bytes, const std::string& Name);

} // namespace vv
