#pragma once
// General utilities shared by every core unit: the exception base, message
// formatting, the one case-insensitive comparison, DOS date-times, the MFS checksum.

#include <bit>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

namespace vv {

// Base of every error class of the system; carries only the message.
class Exception : public std::runtime_error {
public:
  explicit Exception(const std::string& Message) : std::runtime_error(Message) {}
  [[nodiscard]] std::string Message() const { return what(); }
};

// An operation a component cannot perform in its current state (a picture of
// the wrong size for an image list, for one).
class EInvalidOperation : public Exception {
  using Exception::Exception;
};

// Little-endian unsigned integers from byte formats (containers, cabinets).
[[nodiscard]] inline std::uint32_t LoadLE32(const unsigned char* P) noexcept {
  if constexpr (std::endian::native == std::endian::little) {
    std::uint32_t W;
    std::memcpy(&W, P, 4);
    return W;
  } else {
    return static_cast<std::uint32_t>(P[0]) | static_cast<std::uint32_t>(P[1]) << 8 |
           static_cast<std::uint32_t>(P[2]) << 16 | static_cast<std::uint32_t>(P[3]) << 24;
  }
}
[[nodiscard]] inline std::uint16_t LoadLE16(const unsigned char* P) noexcept {
  return static_cast<std::uint16_t>(P[0] | P[1] << 8);
}

namespace detail {
std::string FormatImpl(std::string_view Pattern, const std::string* Args, std::size_t ArgCount);
template <typename T> std::string FormatArg(const T& Value) {
  if constexpr (std::is_arithmetic_v<T>)
    return std::to_string(Value);
  else
    return std::string(Value);
}
} // namespace detail

// Fills "%s" and "%d" placeholders in order; "%%" is a literal percent sign.
template <typename... Args> std::string Format(std::string_view Pattern, const Args&... Values) {
  const std::string Converted[] = {detail::FormatArg(Values)..., std::string()};
  return detail::FormatImpl(Pattern, Converted, sizeof...(Values));
}

// The system's case-insensitive order: each name folds to a key, and keys
// compare as unsigned bytes. A name that is well-formed UTF-8 with characters
// beyond ASCII folds as Unicode (simple case folding); any other name folds
// ASCII letters and the Windows-1252 upper/lower pairs, as names of books in
// that code page always have. Names that compare equal are exactly the names
// that match on lookup.
[[nodiscard]] int CompareText(std::string_view A, std::string_view B) noexcept;
[[nodiscard]] bool SameText(std::string_view A, std::string_view B) noexcept;
// The key CompareText compares: equal keys for equal names, for indexes by name.
[[nodiscard]] std::string FoldedKey(std::string_view Name);
// One byte folded as in Windows-1252.
[[nodiscard]] unsigned char FoldCase(unsigned char C) noexcept;
// Ordinal, case-sensitive byte order.
[[nodiscard]] int CompareStr(std::string_view A, std::string_view B) noexcept;

// DOS date-time: date in the high word, time (2-second units) in the low word.
// The current time, or the one SOURCE_DATE_EPOCH (seconds since 1970) names when set.
[[nodiscard]] std::uint32_t NowAsDosDateTime();
[[nodiscard]] std::uint32_t UnixTimeToDosDateTime(std::int64_t UnixSeconds);
[[nodiscard]] std::int64_t DosDateTimeToUnixTime(std::uint32_t DosDateTime);

// Appends the low Bytes bytes of Value, least significant first.
void AppendLE(std::string& Out, std::uint64_t Value, int Bytes);

// Sum of little-endian 32-bit words (input padded with blanks), rotated left by
// one bit after every word.
[[nodiscard]] std::uint32_t MFSChecksum(std::string_view Bytes) noexcept;

// The same checksum over bytes that arrive in pieces of any size.
class TMFSChecksum {
public:
  void Add(std::string_view Bytes) noexcept;
  [[nodiscard]] std::uint32_t Value() const noexcept;

private:
  std::uint32_t R = 0;
  unsigned char Partial[4] = {};
  std::size_t PartialSize = 0; // bytes of a word not yet complete
};

} // namespace vv
