#pragma once
// The small pictures of the secondary windows (a page beside each search
// result, print and preview on the print window's toolbar), drawn here: the
// system has no stock pictures for them that every version carries.

#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

namespace vv {

enum class TFormPicture { Page, Printer, Preview };

// A 16 x 16 image list holding Pictures in order; the caller destroys it.
[[nodiscard]] HIMAGELIST FormPictures(std::initializer_list<TFormPicture> Pictures);

} // namespace vv
