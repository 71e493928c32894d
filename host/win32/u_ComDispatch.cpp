#include "host/win32/u_ComDispatch.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "host/obj_HostExternal.h"
#include "platform/u_BookText.h"
#include "platform/win32/u_ComObject.h"

namespace vv {

const IID IID_IHostExternal = {0xB0C5D932, 0x65D5, 0x4AEE, {0x81, 0x25, 0x75, 0xBA, 0x77, 0xCA, 0x13, 0xCA}};
const IID IID_IStory = {0x1395CCE3, 0x5D3B, 0x4438, {0x84, 0xBB, 0xDA, 0x0F, 0x1E, 0x92, 0x4D, 0x63}};
const IID IID_IUserForm = {0x4D2DA80C, 0x17BB, 0x44AB, {0xAC, 0xBA, 0x26, 0xE1, 0xCE, 0x26, 0x57, 0xF3}};

namespace {

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

// What the registry knows of a wrapper, whichever interface it answers.
class TComWrapper {
public:
  virtual ~TComWrapper() = default;
  [[nodiscard]] virtual ::IDispatch* Dispatch() = 0;
  [[nodiscard]] virtual const TDispatchRef& Object() const = 0;
};

// Wrappers by the object they stand for; the user-interface thread only.
std::map<vv::IDispatch*, TComWrapper*>& Wrappers() {
  static std::map<vv::IDispatch*, TComWrapper*> Map;
  return Map;
}

void ToVariant(const TOleVariant& In, VARIANT& Out) {
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

TOleVariant Text(BSTR Value) {
  return std::u16string(reinterpret_cast<const char16_t*>(Value), SysStringLen(Value));
}

// IDispatch over our object by its own dispatch identifiers, and the dual
// interface TInterface (none for ::IDispatch) whose slots derived classes fill.
// No exception leaves a COM method.
template <class TInterface>
class TScriptObject : public TComObject<TInterface, ISupportErrorInfo>, public TComWrapper {
public:
  TScriptObject(TDispatchRef Object, const IID* Interface) : FObject(std::move(Object)), FInterface(Interface) {
    Wrappers()[FObject.get()] = this;
  }
  TScriptObject(const TScriptObject&) = delete;
  TScriptObject& operator=(const TScriptObject&) = delete;

  ::IDispatch* Dispatch() override { return static_cast<TInterface*>(this); }
  const TDispatchRef& Object() const override { return FObject; }

  ::HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Riid, void** Out) noexcept override {
    if (!Out)
      return E_POINTER;
    if (IsEqualIID(Riid, IID_IUnknown) || IsEqualIID(Riid, IID_IDispatch) || (FInterface && IsEqualIID(Riid, *FInterface)))
      *Out = static_cast<TInterface*>(this);
    else if (IsEqualIID(Riid, IID_ISupportErrorInfo))
      *Out = static_cast<ISupportErrorInfo*>(this);
    else {
      *Out = nullptr;
      return E_NOINTERFACE;
    }
    this->AddRef();
    return S_OK;
  }

  ::HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID Riid) noexcept override {
    return FInterface && IsEqualIID(Riid, *FInterface) ? S_OK : S_FALSE;
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
    const TKeepAlive Keep(this);
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

protected:
  ~TScriptObject() override { Wrappers().erase(FObject.get()); }

  // A table slot: the member of that name; a failure goes to the thread's error information.
  ::HRESULT Slot(const char* Member, std::uint16_t Kind, const TOleVariantList& Args = {}, VARIANT* Result = nullptr) noexcept {
    const TKeepAlive Keep(this);
    try {
      const TCallResult Answer = Call(FObject->GetIDOfName(Member), Kind, Args);
      if (Answer.Error) {
        ICreateErrorInfo* Create = nullptr;
        if (SUCCEEDED(CreateErrorInfo(&Create))) {
          const std::u16string Description = BookToWide(*Answer.Error);
          Create->SetGUID(*FInterface);
          Create->SetSource(const_cast<LPOLESTR>(L"Vellumview"));
          Create->SetDescription(const_cast<LPOLESTR>(reinterpret_cast<const wchar_t*>(Description.c_str())));
          IErrorInfo* Info = nullptr;
          if (SUCCEEDED(Create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&Info)))) {
            SetErrorInfo(0, Info);
            Info->Release();
          }
          Create->Release();
        }
        return E_FAIL;
      }
      if (Result)
        ToVariant(Answer.Value, *Result);
      return S_OK;
    } catch (...) {
      return E_UNEXPECTED;
    }
  }
  // A property read into Value, converted to Type; Take moves the value out.
  template <class TValue, class TTake>
  ::HRESULT Get(const char* Member, VARTYPE Type, TValue* Value, TTake Take) noexcept {
    if (!Value)
      return E_POINTER;
    VARIANT Result;
    VariantInit(&Result);
    ::HRESULT Hr = Slot(Member, VV_DISPATCH_PROPERTYGET, {}, &Result);
    if (SUCCEEDED(Hr))
      Hr = VariantChangeType(&Result, &Result, 0, Type);
    if (FAILED(Hr)) {
      VariantClear(&Result);
      return Hr;
    }
    *Value = Take(Result);
    return S_OK;
  }
  ::HRESULT GetObject(const char* Member, ::IDispatch** Value) noexcept {
    return Get(Member, VT_DISPATCH, Value, [](VARIANT& V) { return V.pdispVal; });
  }
  ::HRESULT GetText(const char* Member, BSTR* Value) noexcept {
    return Get(Member, VT_BSTR, Value, [](VARIANT& V) { return V.bstrVal; });
  }
  ::HRESULT GetLong(const char* Member, LONG* Value) noexcept {
    return Get(Member, VT_I4, Value, [](VARIANT& V) { return V.lVal; });
  }
  ::HRESULT GetBool(const char* Member, VARIANT_BOOL* Value) noexcept {
    return Get(Member, VT_BOOL, Value, [](VARIANT& V) { return V.boolVal; });
  }
  ::HRESULT Run(const char* Member, const TOleVariantList& Args = {}) noexcept {
    return Slot(Member, VV_DISPATCH_METHOD, Args);
  }
  ::HRESULT Put(const char* Member, const TOleVariant& Value) noexcept {
    return Slot(Member, VV_DISPATCH_PROPERTYPUT, {Value});
  }

private:
  // A call may wait in a message loop where the caller's other references go.
  class TKeepAlive {
  public:
    explicit TKeepAlive(TScriptObject* Self) : FSelf(Self) { FSelf->AddRef(); }
    TKeepAlive(const TKeepAlive&) = delete;
    TKeepAlive& operator=(const TKeepAlive&) = delete;
    ~TKeepAlive() { FSelf->Release(); }

  private:
    TScriptObject* FSelf;
  };

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

  TDispatchRef FObject;
  const IID* FInterface;
};

class TComHostExternal final : public TScriptObject<IHostExternal> {
public:
  explicit TComHostExternal(TDispatchRef Object) : TScriptObject(std::move(Object), &IID_IHostExternal) {}
  ::HRESULT STDMETHODCALLTYPE get_Story(::IDispatch** Value) noexcept override { return GetObject("Story", Value); }
  ::HRESULT STDMETHODCALLTYPE get_WebBrowser(::IDispatch** Value) noexcept override {
    return GetObject("WebBrowser", Value);
  }
  ::HRESULT STDMETHODCALLTYPE get_UserForm(::IDispatch** Value) noexcept override { return GetObject("UserForm", Value); }
  ::HRESULT STDMETHODCALLTYPE ShowUserForm(BSTR FormName) noexcept override {
    return Run("ShowUserForm", {Text(FormName)});
  }
  ::HRESULT STDMETHODCALLTYPE Terminate() noexcept override { return Run("Terminate"); }
};

class TComStory final : public TScriptObject<IStory> {
public:
  explicit TComStory(TDispatchRef Object) : TScriptObject(std::move(Object), &IID_IStory) {}
  ::HRESULT STDMETHODCALLTYPE get_Current(BSTR* Value) noexcept override { return GetText("Current", Value); }
  ::HRESULT STDMETHODCALLTYPE First() noexcept override { return Run("First"); }
  ::HRESULT STDMETHODCALLTYPE Prior() noexcept override { return Run("Prior"); }
  ::HRESULT STDMETHODCALLTYPE Next() noexcept override { return Run("Next"); }
  ::HRESULT STDMETHODCALLTYPE Last() noexcept override { return Run("Last"); }
  ::HRESULT STDMETHODCALLTYPE get_Bof(VARIANT_BOOL* Value) noexcept override { return GetBool("Bof", Value); }
  ::HRESULT STDMETHODCALLTYPE get_Eof(VARIANT_BOOL* Value) noexcept override { return GetBool("Eof", Value); }
  ::HRESULT STDMETHODCALLTYPE PriorChapter(LONG Level) noexcept override {
    return Run("PriorChapter", {std::int32_t{Level}});
  }
  ::HRESULT STDMETHODCALLTYPE NextChapter(LONG Level) noexcept override { return Run("NextChapter", {std::int32_t{Level}}); }
};

class TComUserForm final : public TScriptObject<IUserForm> {
public:
  explicit TComUserForm(TDispatchRef Object) : TScriptObject(std::move(Object), &IID_IUserForm) {}
  ::HRESULT STDMETHODCALLTYPE get_WebBrowser(::IDispatch** Value) noexcept override {
    return GetObject("WebBrowser", Value);
  }
  ::HRESULT STDMETHODCALLTYPE Close() noexcept override { return Run("Close"); }
  ::HRESULT STDMETHODCALLTYPE get_Left(LONG* Value) noexcept override { return GetLong("Left", Value); }
  ::HRESULT STDMETHODCALLTYPE put_Left(LONG Value) noexcept override { return Put("Left", std::int32_t{Value}); }
  ::HRESULT STDMETHODCALLTYPE get_Top(LONG* Value) noexcept override { return GetLong("Top", Value); }
  ::HRESULT STDMETHODCALLTYPE put_Top(LONG Value) noexcept override { return Put("Top", std::int32_t{Value}); }
  ::HRESULT STDMETHODCALLTYPE get_Width(LONG* Value) noexcept override { return GetLong("Width", Value); }
  ::HRESULT STDMETHODCALLTYPE put_Width(LONG Value) noexcept override { return Put("Width", std::int32_t{Value}); }
  ::HRESULT STDMETHODCALLTYPE get_Height(LONG* Value) noexcept override { return GetLong("Height", Value); }
  ::HRESULT STDMETHODCALLTYPE put_Height(LONG Value) noexcept override { return Put("Height", std::int32_t{Value}); }
  ::HRESULT STDMETHODCALLTYPE get_Caption(BSTR* Value) noexcept override { return GetText("Caption", Value); }
  ::HRESULT STDMETHODCALLTYPE put_Caption(BSTR Value) noexcept override { return Put("Caption", Text(Value)); }
};

// The browser object: late bound only.
class TComLateBound final : public TScriptObject<::IDispatch> {
public:
  explicit TComLateBound(TDispatchRef Object) : TScriptObject(std::move(Object), nullptr) {}
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
      if (Wrapper->Dispatch() == V_DISPATCH(&In))
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
    ::IDispatch* Existing = Found->second->Dispatch();
    Existing->AddRef();
    return Existing;
  }
  if (dynamic_cast<THostExternal*>(Object.get()))
    return new TComHostExternal(Object);
  if (dynamic_cast<TExternalStory*>(Object.get()))
    return new TComStory(Object);
  if (dynamic_cast<TExternalUserForm*>(Object.get()))
    return new TComUserForm(Object);
  return new TComLateBound(Object);
}

} // namespace vv
