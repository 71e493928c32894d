#pragma once
// The settings value: a small tagged variant with the kinds the XML reader
// produces, and the conversions settings readers apply to it.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "text/u_Convert.h"

namespace vv {

enum class TVarKind { Empty, Null, String, WideString, Integer, Double, Boolean };

class TVariant {
public:
  TVariant() = default; // empty (unassigned)
  TVariant(std::string Value) : Data(std::move(Value)) {}
  TVariant(std::string_view Value) : Data(std::string(Value)) {}
  // Without this a literal would pick the bool constructor.
  TVariant(const char* Value) : Data(std::string(Value)) {}
  TVariant(std::u16string Value) : Data(std::move(Value)) {}
  TVariant(std::int32_t Value) : Data(Value) {}
  TVariant(double Value) : Data(Value) {}
  TVariant(bool Value) : Data(Value) {}
  [[nodiscard]] static TVariant Null() {
    TVariant V;
    V.Data = TNull{};
    return V;
  }

  [[nodiscard]] TVarKind Kind() const { return static_cast<TVarKind>(Data.index()); }
  [[nodiscard]] bool IsEmpty() const { return Kind() == TVarKind::Empty; }
  [[nodiscard]] bool IsNull() const { return Kind() == TVarKind::Null; }

  // The stored value of exactly that kind; any other kind raises EConvertError.
  [[nodiscard]] const std::string& StringValue() const;
  [[nodiscard]] const std::u16string& WideStringValue() const;

  // Numbers in decimal, booleans as True/False, empty as an empty text,
  // 16-bit strings through the ANSI code page; null raises.
  [[nodiscard]] std::string ToText() const;
  // Texts must hold a number (integer, or a float that rounds into range);
  // booleans give -1 and 0 as the platform's variants do; empty gives 0; null raises.
  [[nodiscard]] std::int32_t ToInteger() const;
  // Texts True/False in any case or a number; numbers are true when non-zero;
  // empty gives false; null raises.
  [[nodiscard]] bool ToBoolean() const;
  [[nodiscard]] double ToDouble() const;

  [[nodiscard]] static const char* KindName(TVarKind Kind);

  friend bool operator==(const TVariant&, const TVariant&) = default;

private:
  struct TNull {
    friend bool operator==(TNull, TNull) { return true; }
  };
  [[noreturn]] void CannotConvert(const char* Target) const;
  // Alternative order matches TVarKind.
  std::variant<std::monostate, TNull, std::string, std::u16string, std::int32_t, double, bool> Data;
};

} // namespace vv
