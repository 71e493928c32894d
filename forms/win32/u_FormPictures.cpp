#include "forms/win32/u_FormPictures.h"

#include "platform/u_OSError.h"

namespace vv {

namespace {
constexpr int Side = 16;

void Box(HDC Canvas, int Left, int Top, int Right, int Bottom, COLORREF Fill) {
  const HBRUSH Brush = CreateSolidBrush(Fill);
  const HGDIOBJ Old = SelectObject(Canvas, Brush);
  Rectangle(Canvas, Left, Top, Right, Bottom);
  SelectObject(Canvas, Old);
  DeleteObject(Brush);
}

void Line(HDC Canvas, int X1, int Y1, int X2, int Y2) {
  MoveToEx(Canvas, X1, Y1, nullptr);
  LineTo(Canvas, X2, Y2);
}

void Draw(HDC Canvas, TFormPicture Picture) {
  const HGDIOBJ OldPen = SelectObject(Canvas, GetStockObject(BLACK_PEN));
  switch (Picture) {
  case TFormPicture::Page:
    Box(Canvas, 2, 0, 14, 16, RGB(255, 255, 255));
    for (int Y = 4; Y <= 12; Y += 2)
      Line(Canvas, 4, Y, 12, Y);
    break;
  case TFormPicture::Printer:
    Box(Canvas, 4, 1, 12, 8, RGB(255, 255, 255));
    Box(Canvas, 1, 6, 15, 13, RGB(192, 192, 192));
    Box(Canvas, 4, 10, 12, 16, RGB(255, 255, 255));
    break;
  case TFormPicture::Preview: {
    Box(Canvas, 1, 0, 12, 14, RGB(255, 255, 255));
    const HGDIOBJ OldBrush = SelectObject(Canvas, GetStockObject(NULL_BRUSH));
    Ellipse(Canvas, 5, 5, 12, 12);
    SelectObject(Canvas, OldBrush);
    Line(Canvas, 11, 11, 16, 16);
    break;
  }
  }
  SelectObject(Canvas, OldPen);
}
} // namespace

HIMAGELIST FormPictures(std::initializer_list<TFormPicture> Pictures) {
  const HIMAGELIST List = ImageList_Create(Side, Side, ILC_COLOR32 | ILC_MASK, static_cast<int>(Pictures.size()), 0);
  if (!List)
    RaiseLastOSError("ImageList_Create");
  const HDC Screen = GetDC(nullptr);
  const HDC Canvas = CreateCompatibleDC(Screen);
  for (const TFormPicture Picture : Pictures) {
    const HBITMAP Bitmap = CreateCompatibleBitmap(Screen, Side, Side);
    const HGDIOBJ Old = SelectObject(Canvas, Bitmap);
    // Magenta is the mask colour: what is not drawn stays transparent.
    const RECT All{0, 0, Side, Side};
    const HBRUSH Background = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(Canvas, &All, Background);
    DeleteObject(Background);
    Draw(Canvas, Picture);
    SelectObject(Canvas, Old);
    ImageList_AddMasked(List, Bitmap, RGB(255, 0, 255));
    DeleteObject(Bitmap);
  }
  DeleteDC(Canvas);
  ReleaseDC(nullptr, Screen);
  return List;
}

} // namespace vv
