#pragma once
// A book's picture (toolbar, logo, splash) decoded by the system's picture
// loader, which reads bitmaps, icons, JPEG and metafiles alike, and drawn
// once into 32-bit pixels that windows and image lists take.

#include <windows.h>

#include <string>

#include "platform/u_PictureKind.h"
#include "platform/u_ViewTypes.h"
#include "text/u_eBookCommon.h"

namespace vv {

class TWin32Picture {
public:
  // Raises EInvalidGraphic naming the file for bytes the system cannot read.
  // Transparent parts of icons and metafiles show the window colour.
  TWin32Picture(const std::string& Bytes, const std::string& Name);
  ~TWin32Picture();
  TWin32Picture(const TWin32Picture&) = delete;
  TWin32Picture& operator=(const TWin32Picture&) = delete;

  [[nodiscard]] TSize Size() const { return FSize; }
  // COLORREF order, as the book's colours; black outside the picture.
  [[nodiscard]] TColor PixelColor(TPoint At) const;
  // A top-down 32-bit DIB section the picture owns.
  [[nodiscard]] HBITMAP Bitmap() const { return FBitmap; }
  // A new bitmap of Cell (clipped to the picture), owned by the caller.
  [[nodiscard]] HBITMAP CopyCell(const TRect& Cell) const;

private:
  TSize FSize;
  HBITMAP FBitmap = nullptr;
  const std::uint32_t* FPixels = nullptr; // 0x00RRGGBB, rows top-down
};

} // namespace vv
