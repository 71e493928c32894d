#pragma once
// The viewer's message boxes on Windows, captioned with the application's title.

#include <windows.h>

#include <string>
#include <string_view>

namespace vv {

// The title every box of the viewer shows; the book may name its own.
void SetApplicationTitle(std::wstring Title);
[[nodiscard]] const std::wstring& ApplicationTitle();

// Message: book text.
void ShowErrorBox(HWND Owner, std::string_view Message);
void ShowMessage(HWND Owner, std::string_view Message);

} // namespace vv
