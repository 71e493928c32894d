#pragma once
// The one conversion between book strings and Qt strings. A book's strings
// are in the code page its settings declare (Windows-1252 unless System.xml
// says UTF-8); start-up sets it before the first string is shown, and every
// window converts through here.

#include <QString>
#include <string>
#include <string_view>

#include "platform/u_BookText.h"

namespace vv {

[[nodiscard]] QString AnsiToQString(std::string_view Ansi);
// Characters the code page lacks become "?".
[[nodiscard]] std::string QStringToAnsi(const QString& Text);
// For markup: characters the code page lacks become numeric character
// references, so the document means the same after the round trip.
[[nodiscard]] std::string QStringToAnsiHtml(const QString& Html);
// Whether every character of Text has a place in the book's code page.
[[nodiscard]] bool BookCodePageHolds(const QString& Text);

} // namespace vv
