#pragma once
// Book strings against 16-bit text. A book's strings are in the code page its
// settings declare (Windows-1252 unless System.xml says UTF-8); start-up sets
// it before the first string is shown.

#include <string>
#include <string_view>

#include "text/u_Convert.h"

namespace vv {

void SetBookCodePage(TCodePage CodePage) noexcept;
[[nodiscard]] TCodePage BookCodePage() noexcept;

[[nodiscard]] std::u16string BookToWide(std::string_view Bytes);
[[nodiscard]] std::string WideToBook(std::u16string_view Text);

} // namespace vv
