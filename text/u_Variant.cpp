#include "text/u_Variant.h"

#include <cmath>

namespace vv {

namespace {
const char* const SCannotConvert = "Could not convert variant of type (%s) into type (%s)";

std::string_view TrimBlanks(std::string_view S) {
  while (!S.empty() && static_cast<unsigned char>(S.front()) <= ' ')
    S.remove_prefix(1);
  while (!S.empty() && static_cast<unsigned char>(S.back()) <= ' ')
    S.remove_suffix(1);
  return S;
}

// Text to number as variant conversions do it: integer syntax first, then a float.
bool TextToDouble(std::string_view Text, double& Value) {
  Text = TrimBlanks(Text);
  std::int64_t I = 0;
  if (TryStrToInt64(Text, I)) {
    Value = static_cast<double>(I);
    return true;
  }
  long double F = 0;
  if (TryStrToFloat(Text, F) && std::fabs(F) <= 1.7976931348623157e308L) {
    Value = static_cast<double>(F);
    return true;
  }
  return false;
}
} // namespace

const char* TVariant::KindName(TVarKind Kind) {
  switch (Kind) {
  case TVarKind::Empty:
    return "Empty";
  case TVarKind::Null:
    return "Null";
  case TVarKind::String:
    return "String";
  case TVarKind::WideString:
    return "OleStr";
  case TVarKind::Integer:
    return "Integer";
  case TVarKind::Double:
    return "Double";
  case TVarKind::Boolean:
    return "Boolean";
  }
  return "Unknown";
}

void TVariant::CannotConvert(const char* Target) const {
  throw EConvertError(Format(SCannotConvert, KindName(Kind()), Target));
}

const std::string& TVariant::StringValue() const {
  if (const auto* S = std::get_if<std::string>(&Data)) return *S;
  CannotConvert("String");
}

const std::u16string& TVariant::WideStringValue() const {
  if (const auto* S = std::get_if<std::u16string>(&Data)) return *S;
  CannotConvert("OleStr");
}

std::string TVariant::ToText() const {
  switch (Kind()) {
  case TVarKind::Empty:
    return std::string();
  case TVarKind::String:
    return std::get<std::string>(Data);
  case TVarKind::WideString:
    return WideToAnsi(std::get<std::u16string>(Data));
  case TVarKind::Integer:
    return std::to_string(std::get<std::int32_t>(Data));
  case TVarKind::Double:
    return FloatToStr(std::get<double>(Data));
  case TVarKind::Boolean:
    return std::get<bool>(Data) ? "True" : "False";
  case TVarKind::Null:
    break;
  }
  CannotConvert("String");
}

double TVariant::ToDouble() const {
  switch (Kind()) {
  case TVarKind::Empty:
    return 0;
  case TVarKind::Integer:
    return std::get<std::int32_t>(Data);
  case TVarKind::Double:
    return std::get<double>(Data);
  case TVarKind::Boolean:
    return std::get<bool>(Data) ? -1 : 0;
  case TVarKind::String:
  case TVarKind::WideString: {
    double Value = 0;
    if (TextToDouble(ToText(), Value)) return Value;
    break;
  }
  case TVarKind::Null:
    break;
  }
  CannotConvert("Double");
}

std::int32_t TVariant::ToInteger() const {
  if (const auto* I = std::get_if<std::int32_t>(&Data)) return *I;
  double Value = 0;
  switch (Kind()) {
  case TVarKind::Null:
    CannotConvert("Integer");
  case TVarKind::String:
  case TVarKind::WideString:
    if (!TextToDouble(ToText(), Value)) CannotConvert("Integer");
    break;
  default:
    Value = ToDouble();
    break;
  }
  // Round half to even, as the platform's variant conversion does.
  const double Rounded = std::nearbyint(Value);
  if (!(Rounded >= -2147483648.0 && Rounded <= 2147483647.0)) CannotConvert("Integer");
  return static_cast<std::int32_t>(Rounded);
}

bool TVariant::ToBoolean() const {
  switch (Kind()) {
  case TVarKind::Empty:
    return false;
  case TVarKind::Boolean:
    return std::get<bool>(Data);
  case TVarKind::Integer:
    return std::get<std::int32_t>(Data) != 0;
  case TVarKind::Double:
    return std::get<double>(Data) != 0;
  case TVarKind::String:
  case TVarKind::WideString: {
    const std::string Text = ToText();
    const std::string_view Trimmed = TrimBlanks(Text);
    if (SameText(Trimmed, "True")) return true;
    if (SameText(Trimmed, "False")) return false;
    double Value = 0;
    if (TextToDouble(Trimmed, Value)) return Value != 0;
    break;
  }
  case TVarKind::Null:
    break;
  }
  CannotConvert("Boolean");
}

} // namespace vv
