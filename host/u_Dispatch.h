#pragma once
// The dispatch interface that the script objects implement and the script
// bridge calls: members found by name without regard to case, invoked by
// dispatch identifier, answered at once or (for a modal window) later.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "text/u_Utils.h"

namespace vv {

// Invoke kinds, numbered as the platform numbers them.
constexpr std::uint16_t VV_DISPATCH_METHOD = 1;
constexpr std::uint16_t VV_DISPATCH_PROPERTYGET = 2;
constexpr std::uint16_t VV_DISPATCH_PROPERTYPUT = 4;
constexpr std::int32_t VV_DISPID_UNKNOWN = -1;

class IDispatch;
using TDispatchRef = std::shared_ptr<IDispatch>;

// An automation value: empty, VARIANT_BOOL, 32-bit integer, double, BSTR or an object.
using TOleVariant = std::variant<std::monostate, bool, std::int32_t, double, std::u16string, TDispatchRef>;
using TOleVariantList = std::vector<TOleVariant>;

// The answer to one Invoke; exactly one of its calls takes effect.
class TDispatchReply {
public:
  TDispatchReply(std::function<void(const TOleVariant&)> OnReturn, std::function<void(const std::string&)> OnFail);
  void Return(const TOleVariant& Value = {}) const;
  void Fail(const std::string& Message) const;
  [[nodiscard]] bool Answered() const { return *FAnswered; }

private:
  std::function<void(const TOleVariant&)> FOnReturn;
  std::function<void(const std::string&)> FOnFail;
  std::shared_ptr<bool> FAnswered;
};

class IDispatch {
public:
  virtual ~IDispatch() = default;
  // VV_DISPID_UNKNOWN when there is no such member.
  [[nodiscard]] virtual std::int32_t GetIDOfName(std::string_view Name) = 0;
  // The DISPATCH_* kinds the member offers; 0 for an unknown identifier.
  [[nodiscard]] virtual std::uint16_t GetMemberKinds(std::int32_t DispID) = 0;
  // Answers through Reply, before returning or later; an exception fails the call with its message.
  virtual void Invoke(std::int32_t DispID, std::uint16_t Kind, const TOleVariantList& Args, const TDispatchReply& Reply) = 0;
};

// An object whose members are declared in a table.
class TAutoObject : public IDispatch {
public:
  using TSyncHandler = std::function<TOleVariant(const TOleVariantList& Args)>;
  using TAsyncHandler = std::function<void(const TOleVariantList& Args, const TDispatchReply& Reply)>;

  std::int32_t GetIDOfName(std::string_view Name) override;
  std::uint16_t GetMemberKinds(std::int32_t DispID) override;
  void Invoke(std::int32_t DispID, std::uint16_t Kind, const TOleVariantList& Args, const TDispatchReply& Reply) override;

protected:
  void DeclareMethod(std::string Name, std::int32_t DispID, TSyncHandler Handler);
  // A method that answers later, for example when a modal window closes.
  void DeclareAsyncMethod(std::string Name, std::int32_t DispID, TAsyncHandler Handler);
  void DeclareGet(std::string Name, std::int32_t DispID, std::function<TOleVariant()> Getter);
  void DeclarePut(std::string Name, std::int32_t DispID, std::function<void(const TOleVariant&)> Setter);

private:
  struct TMember {
    std::string Name;
    std::int32_t DispID;
    std::uint16_t Kind;
    TAsyncHandler Handler;
  };
  std::vector<TMember> Members;
};

// Conversions a member uses for its arguments; they raise with the platform's texts.
[[nodiscard]] std::int32_t VariantToInt(const TOleVariant& V);
[[nodiscard]] std::u16string VariantToWide(const TOleVariant& V);

class EDispatchError : public Exception {
  using Exception::Exception;
};

} // namespace vv
