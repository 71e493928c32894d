#pragma once
// The one conversion between the book's Windows-1252 bytes and Qt strings.

#include <QString>
#include <string>
#include <string_view>

namespace vv {

[[nodiscard]] QString AnsiToQString(std::string_view Ansi);
// Characters outside Windows-1252 become "?".
[[nodiscard]] std::string QStringToAnsi(const QString& Text);
// For markup: characters outside Windows-1252 become numeric character
// references, so the document means the same after the round trip.
[[nodiscard]] std::string QStringToAnsiHtml(const QString& Html);

} // namespace vv
