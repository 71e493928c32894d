#include "host/u_Dispatch.h"

#include <cmath>

namespace vv {

namespace {
constexpr const char* SUnknownMember = "Object doesn't support this property or method";
constexpr const char* STypeMismatch = "Type mismatch";
constexpr const char* SWrongArgCount = "Wrong number of arguments or invalid property assignment";
} // namespace

TDispatchReply::TDispatchReply(std::function<void(const TOleVariant&)> OnReturn,
                               std::function<void(const std::string&)> OnFail)
    : FOnReturn(std::move(OnReturn)), FOnFail(std::move(OnFail)), FAnswered(std::make_shared<bool>(false)) {}

void TDispatchReply::Return(const TOleVariant& Value) const {
  if (*FAnswered)
    return;
  *FAnswered = true;
  if (FOnReturn)
    FOnReturn(Value);
}

void TDispatchReply::Fail(const std::string& Message) const {
  if (*FAnswered)
    return;
  *FAnswered = true;
  if (FOnFail)
    FOnFail(Message);
}

std::int32_t TAutoObject::GetIDOfName(std::string_view Name) {
  for (const TMember& M : Members)
    if (SameText(M.Name, Name))
      return M.DispID;
  return VV_DISPID_UNKNOWN;
}

std::uint16_t TAutoObject::GetMemberKinds(std::int32_t DispID) {
  std::uint16_t Kinds = 0;
  for (const TMember& M : Members)
    if (M.DispID == DispID)
      Kinds |= M.Kind;
  return Kinds;
}

void TAutoObject::Invoke(std::int32_t DispID, std::uint16_t Kind, const TOleVariantList& Args,
                         const TDispatchReply& Reply) {
  for (const TMember& M : Members)
    if (M.DispID == DispID && (M.Kind & Kind)) {
      try {
        M.Handler(Args, Reply);
      } catch (const std::exception& E) {
        Reply.Fail(E.what());
      }
      return;
    }
  Reply.Fail(SUnknownMember);
}

void TAutoObject::DeclareMethod(std::string Name, std::int32_t DispID, TSyncHandler Handler) {
  Members.push_back({std::move(Name), DispID, VV_DISPATCH_METHOD,
                     [H = std::move(Handler)](const TOleVariantList& Args, const TDispatchReply& Reply) {
                       Reply.Return(H(Args));
                     }});
}

void TAutoObject::DeclareAsyncMethod(std::string Name, std::int32_t DispID, TAsyncHandler Handler) {
  Members.push_back({std::move(Name), DispID, VV_DISPATCH_METHOD, std::move(Handler)});
}

void TAutoObject::DeclareGet(std::string Name, std::int32_t DispID, std::function<TOleVariant()> Getter) {
  Members.push_back({std::move(Name), DispID, VV_DISPATCH_PROPERTYGET,
                     [G = std::move(Getter)](const TOleVariantList&, const TDispatchReply& Reply) { Reply.Return(G()); }});
}

void TAutoObject::DeclarePut(std::string Name, std::int32_t DispID, std::function<void(const TOleVariant&)> Setter) {
  Members.push_back({std::move(Name), DispID, VV_DISPATCH_PROPERTYPUT,
                     [S = std::move(Setter)](const TOleVariantList& Args, const TDispatchReply& Reply) {
                       if (Args.size() != 1)
                         throw EDispatchError(SWrongArgCount);
                       S(Args[0]);
                       Reply.Return();
                     }});
}

std::int32_t VariantToInt(const TOleVariant& V) {
  if (const auto* I = std::get_if<std::int32_t>(&V))
    return *I;
  if (const auto* B = std::get_if<bool>(&V))
    return *B ? -1 : 0;
  if (const auto* D = std::get_if<double>(&V))
    if (std::isfinite(*D) && *D >= -2147483648.0 && *D <= 2147483647.0)
      return static_cast<std::int32_t>(std::lround(*D));
  if (const auto* S = std::get_if<std::u16string>(&V)) {
    std::string Narrow;
    for (const char16_t C : *S)
      Narrow += C < 128 ? static_cast<char>(C) : '?';
    try {
      std::size_t Used = 0;
      const long long N = std::stoll(Narrow, &Used);
      if (Used == Narrow.size() && N >= INT32_MIN && N <= INT32_MAX)
        return static_cast<std::int32_t>(N);
    } catch (const std::exception&) {
    }
  }
  throw EDispatchError(STypeMismatch);
}

std::u16string VariantToWide(const TOleVariant& V) {
  if (const auto* S = std::get_if<std::u16string>(&V))
    return *S;
  if (std::holds_alternative<std::monostate>(V))
    return {};
  if (const auto* B = std::get_if<bool>(&V))
    return *B ? u"True" : u"False";
  std::string Text;
  if (const auto* I = std::get_if<std::int32_t>(&V))
    Text = std::to_string(*I);
  else if (const auto* D = std::get_if<double>(&V))
    Text = std::to_string(*D);
  else
    throw EDispatchError(STypeMismatch);
  return std::u16string(Text.begin(), Text.end());
}

} // namespace vv
