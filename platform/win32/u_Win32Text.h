#pragma once
// Text at the Win32 boundary: every window takes and gives UTF-16. Book
// strings cross here, and only here, through the book's code page; what a
// reader types and searches for is UTF-8 inside the viewer.

#include <windows.h>

#include <string>
#include <string_view>

namespace vv {

[[nodiscard]] std::wstring BookToWindows(std::string_view Bytes);
[[nodiscard]] std::string WindowsToBook(std::wstring_view Text);
[[nodiscard]] std::wstring Utf8ToWindows(std::string_view Text);
[[nodiscard]] std::string WindowsToUtf8(std::wstring_view Text);

// A window's text (GetWindowTextW), whole.
[[nodiscard]] std::wstring WindowText(HWND Window);

} // namespace vv
