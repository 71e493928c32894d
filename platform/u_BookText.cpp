#include "platform/u_BookText.h"

#include "text/u_Unicode.h"

namespace vv {

namespace {
// One book per process; the windows of the book all read it.
TCodePage CurrentCodePage = TCodePage::Windows1252;
} // namespace

void SetBookCodePage(TCodePage CodePage) noexcept { CurrentCodePage = CodePage; }

TCodePage BookCodePage() noexcept { return CurrentCodePage; }

std::u16string BookToWide(std::string_view Bytes) {
  return CurrentCodePage == TCodePage::Utf8 ? Utf8ToUtf16(Bytes) : AnsiToWide(Bytes);
}

std::string WideToBook(std::u16string_view Text) {
  return CurrentCodePage == TCodePage::Utf8 ? Utf16ToUtf8(Text) : WideToAnsi(Text);
}

} // namespace vv
