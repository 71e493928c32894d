// Book pictures through the system's loader, as the Win32 windows take them,
// and book strings at the window boundary.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/u_BookText.h"
#include "platform/win32/u_Win32Picture.h"
#include "platform/win32/u_Win32Text.h"

using namespace vv;

namespace {
std::string ReadFile(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}
} // namespace

TEST(Win32Picture, ReadsTheBooksBitmapsCellByCellAndRefusesBrokenBytesByName) {
  const std::string Bytes = ReadFile(VV_SOURCE_DIR "/books/sample/system/Toolbar/home.bmp");
  ASSERT_FALSE(Bytes.empty());
  const TWin32Picture Picture(Bytes, "home.bmp");
  ASSERT_GT(Picture.Size().Width, 0);
  ASSERT_GT(Picture.Size().Height, 0);
  // The top-left pixel is the transparent colour the toolbar keys on; a cell
  // copy carries the same pixels.
  const TColor Corner = Picture.PixelColor({0, 0});
  EXPECT_EQ(Picture.PixelColor({Picture.Size().Width, 0}), 0);
  const HBITMAP Cell = Picture.CopyCell({0, 0, 4, 4});
  ASSERT_NE(Cell, nullptr);
  const HDC Canvas = CreateCompatibleDC(nullptr);
  const HGDIOBJ Old = SelectObject(Canvas, Cell);
  EXPECT_EQ(static_cast<TColor>(GetPixel(Canvas, 0, 0)), Corner);
  SelectObject(Canvas, Old);
  DeleteDC(Canvas);
  DeleteObject(Cell);
  EXPECT_EQ(Picture.CopyCell({Picture.Size().Width, 0, 4, 4}), nullptr);

  for (const std::string& Broken : {std::string(), std::string("BM\x10\0\0\0garbage", 13), Bytes.substr(0, 30)}) {
    try {
      const TWin32Picture Unreadable(Broken, "logo.bmp");
      ADD_FAILURE() << "read " << Broken.size() << " broken bytes";
    } catch (const EInvalidGraphic& E) {
      EXPECT_EQ(std::string(E.what()).rfind("Cannot read the picture \"logo.bmp\": ", 0), 0u) << E.what();
    }
  }
}

TEST(Win32Text, BookStringsCrossTheWindowBoundaryInTheBooksCodePage) {
  SetBookCodePage(TCodePage::Windows1252);
  EXPECT_EQ(BookToWindows("Caf\xE9 \x80"), L"Caf\u00E9 \u20AC");
  EXPECT_EQ(WindowsToBook(L"Caf\u00E9 \u20AC"), "Caf\xE9 \x80");
  SetBookCodePage(TCodePage::Utf8);
  EXPECT_EQ(BookToWindows("\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0 \xF0\x9F\x93\x96"), L"\u041A\u043D\u0438\u0433\u0430 \U0001F4D6");
  EXPECT_EQ(WindowsToBook(L"\u041A\u043D\u0438\u0433\u0430"), "\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0");
  SetBookCodePage(TCodePage::Windows1252);
  const HWND Window = CreateWindowExW(0, L"STATIC", L"\u041A\u043D\u0438\u0433\u0430", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, nullptr, nullptr);
  EXPECT_EQ(WindowsToUtf8(WindowText(Window)), "\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0");
  DestroyWindow(Window);
}
