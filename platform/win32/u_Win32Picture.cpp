#include "platform/win32/u_Win32Picture.h"

#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace vv {

namespace {
constexpr LONG HimetricPerInch = 2540;
// Larger than any screen: a header that claims more is broken bytes.
constexpr int MaxSide = 16384;

struct TReleaser {
  void operator()(IUnknown* Object) const { Object->Release(); }
};


HBITMAP CreateDib(TSize Size, void** Bits) {
  BITMAPINFO Info{};
  Info.bmiHeader.biSize = sizeof(Info.bmiHeader);
  Info.bmiHeader.biWidth = Size.Width;
  Info.bmiHeader.biHeight = -Size.Height; // top-down
  Info.bmiHeader.biPlanes = 1;
  Info.bmiHeader.biBitCount = 32;
  Info.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &Info, DIB_RGB_COLORS, Bits, nullptr, 0);
}

// The picture's size in pixels: its own for bitmaps and icons, its
// HIMETRIC extent at the screen's resolution for metafiles.
TSize PixelSize(::IPicture& Picture) {
  SHORT Type = PICTYPE_UNINITIALIZED;
  OLE_HANDLE Handle = 0;
  Picture.get_Type(&Type);
  Picture.get_Handle(&Handle);
  if (Type == PICTYPE_BITMAP) {
    BITMAP Info{};
    if (GetObjectW(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(Handle)), sizeof(Info), &Info))
      return {Info.bmWidth, std::abs(Info.bmHeight)};
  }
  OLE_XSIZE_HIMETRIC Width = 0;
  OLE_YSIZE_HIMETRIC Height = 0;
  Picture.get_Width(&Width);
  Picture.get_Height(&Height);
  const HDC Screen = GetDC(nullptr);
  const TSize Size{MulDiv(Width, GetDeviceCaps(Screen, LOGPIXELSX), HimetricPerInch),
                   MulDiv(Height, GetDeviceCaps(Screen, LOGPIXELSY), HimetricPerInch)};
  ReleaseDC(nullptr, Screen);
  return Size;
}
} // namespace

TWin32Picture::TWin32Picture(const std::string& Bytes, const std::string& Name) {
  if (Bytes.empty())
    RaiseUnreadablePicture(Name, "the file is empty");
  const HGLOBAL Memory = GlobalAlloc(GMEM_MOVEABLE, Bytes.size());
  if (!Memory)
    throw std::bad_alloc();
  std::memcpy(GlobalLock(Memory), Bytes.data(), Bytes.size());
  GlobalUnlock(Memory);
  IStream* RawStream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(Memory, TRUE, &RawStream))) {
    GlobalFree(Memory);
    throw std::bad_alloc();
  }
  const std::unique_ptr<IStream, TReleaser> Stream(RawStream);
  ::IPicture* RawPicture = nullptr;
  if (FAILED(OleLoadPicture(Stream.get(), static_cast<LONG>(Bytes.size()), FALSE, IID_IPicture,
                            reinterpret_cast<void**>(&RawPicture))) ||
      !RawPicture)
    RaiseUnreadablePicture(Name, "not a bitmap, icon, JPEG or metafile the system can read");
  const std::unique_ptr<::IPicture, TReleaser> Picture(RawPicture);
  FSize = PixelSize(*Picture);
  if (FSize.Width <= 0 || FSize.Height <= 0 || FSize.Width > MaxSide || FSize.Height > MaxSide)
    RaiseUnreadablePicture(Name, "picture too large");

  void* Bits = nullptr;
  FBitmap = CreateDib(FSize, &Bits);
  if (!FBitmap)
    throw std::bad_alloc();
  FPixels = static_cast<const std::uint32_t*>(Bits);
  const HDC Canvas = CreateCompatibleDC(nullptr);
  const HGDIOBJ Old = SelectObject(Canvas, FBitmap);
  const RECT All{0, 0, FSize.Width, FSize.Height};
  FillRect(Canvas, &All, GetSysColorBrush(COLOR_WINDOW));
  OLE_XSIZE_HIMETRIC Width = 0;
  OLE_YSIZE_HIMETRIC Height = 0;
  Picture->get_Width(&Width);
  Picture->get_Height(&Height);
  // The source rectangle runs bottom-up in HIMETRIC.
  const HRESULT Drawn = Picture->Render(Canvas, 0, 0, FSize.Width, FSize.Height, 0, Height, Width, -Height, nullptr);
  SelectObject(Canvas, Old);
  DeleteDC(Canvas);
  GdiFlush();
  if (FAILED(Drawn)) {
    DeleteObject(FBitmap);
    RaiseUnreadablePicture(Name, "the system cannot draw it");
  }
}

TWin32Picture::~TWin32Picture() { DeleteObject(FBitmap); }

TColor TWin32Picture::PixelColor(TPoint At) const {
  if (At.X < 0 || At.Y < 0 || At.X >= FSize.Width || At.Y >= FSize.Height)
    return 0;
  const std::uint32_t Pixel = FPixels[static_cast<std::size_t>(At.Y) * static_cast<std::size_t>(FSize.Width) +
                                      static_cast<std::size_t>(At.X)];
  return static_cast<TColor>(RGB((Pixel >> 16) & 0xFF, (Pixel >> 8) & 0xFF, Pixel & 0xFF));
}

HBITMAP TWin32Picture::CopyCell(const TRect& Cell) const {
  const int Left = std::clamp(Cell.Left, 0, FSize.Width), Top = std::clamp(Cell.Top, 0, FSize.Height);
  const TSize Size{std::clamp(Cell.Width, 0, FSize.Width - Left), std::clamp(Cell.Height, 0, FSize.Height - Top)};
  if (Size.Width == 0 || Size.Height == 0)
    return nullptr;
  void* Bits = nullptr;
  const HBITMAP Copy = CreateDib(Size, &Bits);
  if (!Copy)
    throw std::bad_alloc();
  auto* Out = static_cast<std::uint32_t*>(Bits);
  for (int Y = 0; Y < Size.Height; ++Y)
    std::memcpy(Out + static_cast<std::size_t>(Y) * static_cast<std::size_t>(Size.Width),
                FPixels + static_cast<std::size_t>(Top + Y) * static_cast<std::size_t>(FSize.Width) + Left,
                static_cast<std::size_t>(Size.Width) * sizeof(std::uint32_t));
  return Copy;
}

} // namespace vv
