#include "host/win32/u_ComDispatch.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "host/obj_HostExternal.h"
#include "platform/u_BookText.h"

namespace vv {

namespace {
// Interfaces of the type library; the browser object has none of its own
// (its members are the system browser's) and answers without type information.
const IID IID_IHostExternal = {0xB0C5D932, 0x65D5, 0x4AEE, {0x81, 0x25, 0x75, 0xBA, 0x77, 0xCA, 0x13, 0xCA}};
const IID IID_IStory = {0x1395CCE3, 0x5D3B, 0x4438, {0x84, 0xBB, 0xDA, 0x0F, 0x1E, 0x92, 0x4D, 0x63}};
const IID IID_IUserForm = {0x4D2DA80C, 0x17BB, 0x44AB, {0xAC, 0xBA, 0x26, 0xE1, 0xCE, 0x26, 0x57, 0xF3}};

constexpr const char* SWindowGone = "The viewer window is closed";

// The executable's own type library, loaded on first use and kept for the process.
ITypeLib* OwnTypeLib() {
  static ITypeLib* const Library = [] {
    wchar_t Path[MAX_PATH];
    const DWORD Length = GetModuleFileNameW(nullptr, Path, MAX_PATH);
    ITypeLib* Loaded = nullptr;
    if (Length == 0 || Length == MAX_PATH || FAILED(LoadTypeLibEx(Path, REGKIND_NONE, &Loaded)))
      return static_cast<ITypeLib*>(nullptr);
    return Loaded;
  }();
  return Library;
}

const IID* InterfaceOf(const TDispatchRef& Object) {
  if (dynamic_cast<THostExternal*>(Object.get()))
    return &IID_IHostExternal;
  if (dynamic_cast<TExternalStory*>(Object.get()))
    return &IID_IStory;
  if (dynamic_cast<TExternalUserForm*>(Object.get()))
    return &IID_IUserForm;
  return nullptr;
}

BSTR NewBstr(std::u16string_view Text) {
  return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(Text.data()), static_cast<UINT>(Text.size()));
}

// A script's argument as our value; none when it has no counterpart.
std::optional<TOleVariant> FromVariant(const VARIANT& In);

// The answer of one call as the caller sees it.
struct TCallResult {
  bool Answered = false;
  TOleVariant Value;
  std::optional<std::string> Error;
};

class TComDispatch;
// Wrappers by the object they stand for; the user-interface thread only.
std::map<vv::IDispatch*, TComDispatch*>& Wrappers() {
  static std::map<vv::IDispatch*, TComDispatch*> Map;
  return Map;
}

class TComDispatch final : public ::IDispatch {
public:
  explicit TComDispatch(TDispatchRef Object) : FObject(std::move(Object)), FInterface(InterfaceOf(FObject)) {
    Wrappers()[FObject.get()] = this;
  }
  TComDispatch(const TComDispatch&) = delete;
  TComDispatch& operator=(const TComDispatch&) = delete;

  [[nodiscard]] const TDispatchRef& Object() const { return FObject; }

  ::HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Riid, void** Out) noexcept override {
    if (!Out)
      return E_POINTER;
    // Only late binding: the dual interfaces' table slots are not offered.
    if (IsEqualIID(Riid, IID_IUnknown) || IsEqualIID(Riid, IID_IDispatch)) {
      *Out = static_cast<::IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *Out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++FRefs; }
  ULONG STDMETHODCALLTYPE Release() noexcept override {
    const ULONG Left = --FRefs;
    if (Left == 0) {
      Wrappers().erase(FObject.get());
      delete this;
    }
    return Left;
  }

  ::HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* Count) noexcept override {
    if (!Count)
      return E_POINTER;
    ITypeInfo* Info = TypeInfo();
    *Count = Info ? 1 : 0;
    if (Info)
      Info->Release();
    return S_OK;
  }
  ::HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT Index, LCID, ITypeInfo** Out) noexcept override {
    if (!Out)
      return E_POINTER;
    *Out = Index == 0 ? TypeInfo() : nullptr;
    return *Out ? S_OK : DISP_E_BADINDEX;
  }

  ::HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* Names, UINT Count, LCID, DISPID* Ids) noexcept override {
    if (Count == 0)
      return S_OK;
    if (!Names || !Ids)
      return E_POINTER;
    try {
      Ids[0] = FObject->GetIDOfName(WideToBook(reinterpret_cast<const char16_t*>(Names[0])));
      // Our members take no named arguments.
      for (UINT I = 1; I < Count; ++I)
        Ids[I] = DISPID_UNKNOWN;
      return Ids[0] == VV_DISPID_UNKNOWN || Count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
    } catch (...) {
      return E_UNEXPECTED;
    }
  }

  ::HRESULT STDMETHODCALLTYPE Invoke(DISPID Id, REFIID Riid, LCID, WORD Flags, DISPPARAMS* Params, VARIANT* Result,
                                   EXCEPINFO* Exception, UINT* ArgError) noexcept override {
    if (!IsEqualIID(Riid, IID_NULL))
      return DISP_E_UNKNOWNINTERFACE;
    try {
      std::uint16_t Kind = Flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT);
      if (Flags & DISPATCH_PROPERTYPUTREF)
        Kind |= VV_DISPATCH_PROPERTYPUT;
      if ((FObject->GetMemberKinds(Id) & Kind) == 0)
        return DISP_E_MEMBERNOTFOUND;
      TOleVariantList Args;
      if (Params) {
        const bool Put = Kind & VV_DISPATCH_PROPERTYPUT;
        if (Params->cNamedArgs > (Put ? 1u : 0u) ||
            (Params->cNamedArgs == 1 && Params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))
          return DISP_E_NONAMEDARGS;
        // Arguments come last first.
        for (UINT I = Params->cArgs; I-- > 0;) {
          std::optional<TOleVariant> Arg = FromVariant(Params->rgvarg[I]);
          if (!Arg) {
            if (ArgError)
              *ArgError = I;
            return DISP_E_TYPEMISMATCH;
          }
          Args.push_back(std::move(*Arg));
        }
      }
      const TCallResult Answer = Call(Id, Kind, Args);
      if (Answer.Error) {
        if (Exception) {
          *Exception = EXCEPINFO{};
          Exception->bstrSource = SysAllocString(L"Vellumview");
          Exception->bstrDescription = NewBstr(BookToWide(*Answer.Error));
          Exception->scode = E_FAIL;
        }
        return DISP_E_EXCEPTION;
      }
      if (Result) {
        VariantInit(Result);
        ToVariant(Answer.Value, *Result);
      }
      return S_OK;
    } catch (...) {
      return E_UNEXPECTED;
    }
  }

private:
  ~TComDispatch() = default;

  ITypeInfo* TypeInfo() const {
    ITypeLib* Library = OwnTypeLib();
    ITypeInfo* Info = nullptr;
    if (!FInterface || !Library || FAILED(Library->GetTypeInfoOfGuid(*FInterface, &Info)))
      return nullptr;
    return Info;
  }

  // A call answered later (a modal form) keeps the caller waiting in a message
  // loop of its own, as a modal window does; the answer may come after the
  // caller gave up, so it goes to shared state.
  TCallResult Call(std::int32_t Id, std::uint16_t Kind, const TOleVariantList& Args) {
    auto State = std::make_shared<TCallResult>();
    FObject->Invoke(Id, Kind, Args,
                    TDispatchReply(
                        [State](const TOleVariant& V) {
                          State->Answered = true;
                          State->Value = V;
                        },
                        [State](const std::string& Message) {
                          State->Answered = true;
                          State->Error = Message;
                        }));
    while (!State->Answered) {
      MSG Msg;
      const BOOL Got = GetMessageW(&Msg, nullptr, 0, 0);
      if (Got <= 0) {
        // The program is ending: the quit goes on to the outer loop.
        if (Got == 0)
          PostQuitMessage(static_cast<int>(Msg.wParam));
        return TCallResult{true, {}, std::string(SWindowGone)};
      }
      TranslateMessage(&Msg);
      DispatchMessageW(&Msg);
    }
    return std::move(*State);
  }

  static void ToVariant(const TOleVariant& In, VARIANT& Out) {
    if (const auto* B = std::get_if<bool>(&In)) {
      Out.vt = VT_BOOL;
      Out.boolVal = *B ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (const auto* I = std::get_if<std::int32_t>(&In)) {
      Out.vt = VT_I4;
      Out.lVal = *I;
    } else if (const auto* D = std::get_if<double>(&In)) {
      Out.vt = VT_R8;
      Out.dblVal = *D;
    } else if (const auto* S = std::get_if<std::u16string>(&In)) {
      Out.vt = VT_BSTR;
      Out.bstrVal = NewBstr(*S);
    } else if (const auto* O = std::get_if<TDispatchRef>(&In)) {
      Out.vt = VT_DISPATCH;
      Out.pdispVal = *O ? ComDispatch(*O) : nullptr;
    }
  }

  TDispatchRef FObject;
  const IID* FInterface;
  ULONG FRefs = 1;
};

std::optional<TOleVariant> FromVariant(const VARIANT& In) {
  switch (V_VT(&In)) {
  case VT_BYREF | VT_VARIANT:
    return FromVariant(*V_VARIANTREF(&In));
  case VT_EMPTY:
  case VT_NULL:
    return TOleVariant();
  case VT_BOOL:
    return TOleVariant(V_BOOL(&In) != VARIANT_FALSE);
  case VT_R8:
    return TOleVariant(V_R8(&In));
  case VT_R4:
    return TOleVariant(static_cast<double>(V_R4(&In)));
  case VT_BSTR:
    return TOleVariant(std::u16string(reinterpret_cast<const char16_t*>(V_BSTR(&In)), SysStringLen(V_BSTR(&In))));
  case VT_DISPATCH: {
    // Only our own objects come back in.
    for (const auto& [Object, Wrapper] : Wrappers())
      if (static_cast<::IDispatch*>(Wrapper) == V_DISPATCH(&In))
        return TOleVariant(Wrapper->Object());
    return std::nullopt;
  }
  default: {
    // Other integer types through the system's own conversion.
    VARIANT Number;
    VariantInit(&Number);
    if (FAILED(VariantChangeType(&Number, const_cast<VARIANT*>(&In), 0, VT_I4)))
      return std::nullopt;
    return TOleVariant(std::int32_t{V_I4(&Number)});
  }
  }
}
} // namespace

::IDispatch* ComDispatch(const TDispatchRef& Object) {
  const auto Found = Wrappers().find(Object.get());
  if (Found != Wrappers().end()) {
    Found->second->AddRef();
    return Found->second;
  }
  return new TComDispatch(Object);
}

} // namespace vv
