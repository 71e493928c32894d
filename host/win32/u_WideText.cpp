#include "host/win32/u_WideText.h"

namespace vv {

std::string BookHtmlOf(const wchar_t* Html) {
  const std::u16string Text = WideOf(Html);
  if (BookCodePage() == TCodePage::Utf8)
    return WideToBook(Text);
  std::string Result;
  Result.reserve(Text.size());
  for (std::size_t I = 0; I < Text.size(); ++I) {
    const char16_t C = Text[I];
    if (const int Byte = WideCharToAnsi(C); Byte >= 0) {
      Result += static_cast<char>(Byte);
      continue;
    }
    char32_t Code = C;
    if (C >= 0xD800 && C < 0xDC00 && I + 1 < Text.size() && Text[I + 1] >= 0xDC00 && Text[I + 1] < 0xE000)
      Code = 0x10000 + ((static_cast<char32_t>(C) - 0xD800) << 10) + (Text[++I] - 0xDC00);
    Result += "&#" + std::to_string(static_cast<std::uint32_t>(Code)) + ';';
  }
  return Result;
}

} // namespace vv
