#pragma once
// Conversions between text and numbers with the system's own messages, and
// the ANSI code page (Windows-1252) between byte strings and 16-bit strings.

#include <cstdint>
#include <string>
#include <string_view>

#include "text/u_Utils.h"

namespace vv {

// A text that does not hold the value asked for.
class EConvertError : public Exception {
  using Exception::Exception;
};

// Decimal with an optional leading "-", or hexadecimal after "$" (also after
// "-$"). Hexadecimal may use all 64 bits; decimal must fit a signed 64-bit value.
[[nodiscard]] bool TryStrToInt64(std::string_view Text, std::int64_t& Value) noexcept;
// As TryStrToInt64; raises EConvertError "'%s' is not a valid integer value".
[[nodiscard]] std::int64_t StrToInt64(std::string_view Text);

// "." is the decimal separator whatever the locale; exponents allowed.
[[nodiscard]] bool TryStrToFloat(std::string_view Text, long double& Value) noexcept;
// Raises EConvertError "'%s' is not a valid floating point value".
[[nodiscard]] long double StrToFloat(std::string_view Text);

// Shortest usual decimal form of a double: "1.5", "800", "1E20".
[[nodiscard]] std::string FloatToStr(double Value);

// Windows-1252 bytes to 16-bit text and back. The five bytes the code page
// leaves undefined map to the control characters of the same value, so bytes
// survive the round trip; characters the code page lacks become "?".
[[nodiscard]] std::u16string AnsiToWide(std::string_view Bytes);
[[nodiscard]] std::string WideToAnsi(std::u16string_view Text);
// The byte for one 16-bit character, or -1 when the code page has none.
[[nodiscard]] int WideCharToAnsi(char16_t C) noexcept;

// The code page of a book's strings (its settings, names and messages).
enum class TCodePage { Windows1252, Utf8 };

// A book string as UTF-8; malformed UTF-8 becomes U+FFFD.
[[nodiscard]] std::string BookToUtf8(std::string_view Bytes, TCodePage CodePage);
// UTF-8 text as a book string. Windows-1252 gets "?" for each character it
// lacks and, when Lost is given, says so there; text that is not well-formed
// UTF-8 (a page that declares one code page and is written in another) comes
// back unchanged.
[[nodiscard]] std::string Utf8ToBook(std::string_view Text, TCodePage CodePage, bool* Lost = nullptr);

} // namespace vv
