#include "text/u_Convert.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "text/u_Unicode.h"

namespace vv {

namespace {
const char* const SInvalidInteger = "'%s' is not a valid integer value";
const char* const SInvalidFloat = "'%s' is not a valid floating point value";

int DigitValue(char C, bool Hex) noexcept {
  if (C >= '0' && C <= '9') return C - '0';
  if (Hex && C >= 'A' && C <= 'F') return C - 'A' + 10;
  if (Hex && C >= 'a' && C <= 'f') return C - 'a' + 10;
  return -1;
}

// Code points of 0x80..0x9F in Windows-1252.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
} // namespace

bool TryStrToInt64(std::string_view Text, std::int64_t& Value) noexcept {
  std::size_t i = 0;
  const bool Negative = i < Text.size() && Text[i] == '-';
  if (Negative) ++i;
  const bool Hex = i < Text.size() && Text[i] == '$';
  if (Hex) ++i;
  if (i == Text.size()) return false;
  const std::uint64_t Base = Hex ? 16 : 10;
  // Decimal magnitudes may reach 2^63 only for a negative number.
  const std::uint64_t Limit = Hex ? UINT64_MAX : (Negative ? std::uint64_t{1} << 63 : INT64_MAX);
  std::uint64_t Magnitude = 0;
  for (; i < Text.size(); ++i) {
    const int D = DigitValue(Text[i], Hex);
    if (D < 0) return false;
    if (Magnitude > (Limit - static_cast<std::uint64_t>(D)) / Base) return false;
    Magnitude = Magnitude * Base + static_cast<std::uint64_t>(D);
  }
  // Two's complement reinterpretation: hexadecimal fills all 64 bits.
  Value = static_cast<std::int64_t>(Negative ? ~Magnitude + 1 : Magnitude);
  return true;
}

std::int64_t StrToInt64(std::string_view Text) {
  std::int64_t Value = 0;
  if (!TryStrToInt64(Text, Value)) throw EConvertError(Format(SInvalidInteger, Text));
  return Value;
}

bool TryStrToFloat(std::string_view Text, long double& Value) noexcept {
  if (Text.empty()) return false;
  const char* Begin = Text.data();
  const char* End = Begin + Text.size();
  if (*Begin == '+') ++Begin;
  // from_chars would also take "inf" and "nan", which are not numbers here.
  for (const char* P = Begin; P != End; ++P)
    if (!((*P >= '0' && *P <= '9') || *P == '.' || *P == 'e' || *P == 'E' || *P == '+' ||
          *P == '-'))
      return false;
  long double Parsed = 0;
  const auto [Ptr, Ec] = std::from_chars(Begin, End, Parsed, std::chars_format::general);
  if (Ec != std::errc() || Ptr != End) return false;
  Value = Parsed;
  return true;
}

long double StrToFloat(std::string_view Text) {
  long double Value = 0;
  if (!TryStrToFloat(Text, Value)) throw EConvertError(Format(SInvalidFloat, Text));
  return Value;
}

std::string FloatToStr(double Value) {
  char Buffer[40];
  std::snprintf(Buffer, sizeof Buffer, "%.15G", Value);
  std::string Text = Buffer;
  // "1E+20" -> "1E20", "1E-05" -> "1E-5".
  if (const std::size_t E = Text.find('E'); E != std::string::npos) {
    std::string Exponent = Text.substr(E + 1);
    std::string Sign;
    if (!Exponent.empty() && (Exponent[0] == '+' || Exponent[0] == '-')) {
      if (Exponent[0] == '-') Sign = "-";
      Exponent.erase(0, 1);
    }
    while (Exponent.size() > 1 && Exponent[0] == '0')
      Exponent.erase(0, 1);
    Text = Text.substr(0, E + 1) + Sign + Exponent;
  }
  return Text;
}

int WideCharToAnsi(char16_t C) noexcept {
  if (C < 0x80 || (C >= 0xA0 && C <= 0xFF))
    return C;
  for (std::size_t i = 0; i < HighControls.size(); ++i)
    if (HighControls[i] == C)
      return static_cast<int>(0x80 + i);
  return -1;
}

std::u16string AnsiToWide(std::string_view Bytes) {
  std::u16string Text;
  Text.reserve(Bytes.size());
  for (const char C : Bytes) {
    const auto B = static_cast<unsigned char>(C);
    Text.push_back(B >= 0x80 && B <= 0x9F ? HighControls[B - 0x80] : static_cast<char16_t>(B));
  }
  return Text;
}

std::string BookToUtf8(std::string_view Bytes, TCodePage CodePage) {
  if (CodePage == TCodePage::Windows1252) return Utf16ToUtf8(AnsiToWide(Bytes));
  return IsValidUtf8(Bytes) ? std::string(Bytes) : Utf16ToUtf8(Utf8ToUtf16(Bytes));
}

std::string Utf8ToBook(std::string_view Text, TCodePage CodePage, bool* Lost) {
  if (!IsValidUtf8(Text)) return CodePage == TCodePage::Utf8 ? BookToUtf8(Text, CodePage) : std::string(Text);
  if (CodePage == TCodePage::Utf8) return std::string(Text);
  const std::string Bytes = WideToAnsi(Utf8ToUtf16(Text));
  if (Lost && Bytes.find('?') != std::string::npos && Utf16ToUtf8(AnsiToWide(Bytes)) != Text) *Lost = true;
  return Bytes;
}

std::string WideToAnsi(std::u16string_view Text) {
  std::string Bytes;
  Bytes.reserve(Text.size());
  for (const char16_t C : Text) {
    const int B = WideCharToAnsi(C);
    Bytes.push_back(B < 0 ? '?' : static_cast<char>(B));
  }
  return Bytes;
}

} // namespace vv
