#include "platform/u_Ansi.h"

namespace vv {

namespace {
std::u16string_view Utf16Of(const QString& Text) {
  return {reinterpret_cast<const char16_t*>(Text.utf16()), static_cast<std::size_t>(Text.size())};
}
} // namespace

QString AnsiToQString(std::string_view Ansi) {
  const std::u16string Wide = BookToWide(Ansi);
  return QString::fromUtf16(Wide.data(), static_cast<qsizetype>(Wide.size()));
}

std::string QStringToAnsi(const QString& Text) { return WideToBook(Utf16Of(Text)); }

bool BookCodePageHolds(const QString& Text) {
  if (BookCodePage() == TCodePage::Utf8) return true;
  for (const QChar C : Text)
    if (WideCharToAnsi(C.unicode()) < 0) return false;
  return true;
}

std::string QStringToAnsiHtml(const QString& Html) {
  if (BookCodePage() == TCodePage::Utf8) return QStringToAnsi(Html);
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
