#include "platform/u_Ansi.h"

#include "text/u_Convert.h"

namespace vv {

QString AnsiToQString(std::string_view Ansi) {
  const std::u16string Wide = AnsiToWide(Ansi);
  return QString::fromUtf16(Wide.data(), static_cast<qsizetype>(Wide.size()));
}

std::string QStringToAnsi(const QString& Text) {
  return WideToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(Text.utf16()),
                                        static_cast<std::size_t>(Text.size())));
}

} // namespace vv
