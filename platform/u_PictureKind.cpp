#include "platform/u_PictureKind.h"

namespace vv {

namespace {
const char* const SUnknownExtension = "Unknown picture file extension (.%s)";
const char* const SCannotRead = "Cannot read the picture \"%s\": %s";
} // namespace

TPictureKind PictureKindOf(std::string_view Extension) {
  if (SameText(Extension, "wmf") || SameText(Extension, "emf"))
    return TPictureKind::Metafile;
  if (SameText(Extension, "ico"))
    return TPictureKind::Icon;
  if (SameText(Extension, "bmp"))
    return TPictureKind::Bitmap;
  if (SameText(Extension, "jpg") || SameText(Extension, "jpeg"))
    return TPictureKind::Jpeg;
  throw EInvalidGraphic(Format(SUnknownExtension, Extension));
}

void RaiseUnreadablePicture(std::string_view Name, std::string_view Reason) {
  throw EInvalidGraphic(Format(SCannotRead, Name, Reason));
}

} // namespace vv
