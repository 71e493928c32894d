#include "platform/win32/u_Win32Text.h"

#include "platform/u_BookText.h"
#include "text/u_Unicode.h"

namespace vv {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");

namespace {
std::wstring Wide(const std::u16string& Text) { return {Text.begin(), Text.end()}; }
std::u16string Units(std::wstring_view Text) { return {Text.begin(), Text.end()}; }
} // namespace

std::wstring BookToWindows(std::string_view Bytes) { return Wide(BookToWide(Bytes)); }
std::string WindowsToBook(std::wstring_view Text) { return WideToBook(Units(Text)); }
std::wstring Utf8ToWindows(std::string_view Text) { return Wide(Utf8ToUtf16(Text)); }
std::string WindowsToUtf8(std::wstring_view Text) { return Utf16ToUtf8(Units(Text)); }

std::wstring WindowText(HWND Window) {
  std::wstring Text(static_cast<std::size_t>(GetWindowTextLengthW(Window)) + 1, L'\0');
  Text.resize(static_cast<std::size_t>(GetWindowTextW(Window, Text.data(), static_cast<int>(Text.size()))));
  return Text;
}

} // namespace vv
