#include "platform/u_Ansi.h"

#include "text/u_Unicode.h"

namespace vv {

namespace {
// One book per process; the windows of the book all read it.
TCodePage CurrentCodePage = TCodePage::Windows1252;

std::u16string_view Utf16Of(const QString& Text) {
  return {reinterpret_cast<const char16_t*>(Text.utf16()), static_cast<std::size_t>(Text.size())};
}
} // namespace

void SetBookCodePage(TCodePage CodePage) noexcept { CurrentCodePage = CodePage; }

TCodePage BookCodePage() noexcept { return CurrentCodePage; }

std::u16string BookToWide(std::string_view Bytes) {
  return CurrentCodePage == TCodePage::Utf8 ? Utf8ToUtf16(Bytes) : AnsiToWide(Bytes);
}

std::string WideToBook(std::u16string_view Text) {
  return CurrentCodePage == TCodePage::Utf8 ? Utf16ToUtf8(Text) : WideToAnsi(Text);
}

QString AnsiToQString(std::string_view Ansi) {
  const std::u16string Wide = BookToWide(Ansi);
  return QString::fromUtf16(Wide.data(), static_cast<qsizetype>(Wide.size()));
}

std::string QStringToAnsi(const QString& Text) { return WideToBook(Utf16Of(Text)); }

bool BookCodePageHolds(const QString& Text) {
  if (CurrentCodePage == TCodePage::Utf8) return true;
  for (const QChar C : Text)
    if (WideCharToAnsi(C.unicode()) < 0) return false;
  return true;
}

std::string QStringToAnsiHtml(const QString& Html) {
  if (CurrentCodePage == TCodePage::Utf8) return QStringToAnsi(Html);
  std::string Result;
  Result.reserve(static_cast<std::size_t>(Html.size()));
  for (qsizetype I = 0; I < Html.size(); ++I) {
    const char16_t C = Html[I].unicode();
    if (const int Byte = WideCharToAnsi(C); Byte >= 0) {
      Result += static_cast<char>(Byte);
      continue;
    }
    char32_t Code = C;
    if (QChar::isHighSurrogate(C) && I + 1 < Html.size() && Html[I + 1].isLowSurrogate())
      Code = QChar::surrogateToUcs4(C, Html[++I].unicode());
    Result += "&#" + std::to_string(static_cast<std::uint32_t>(Code)) + ';';
  }
  return Result;
}

} // namespace vv
