#include "host/win32/u_ComServer.h"

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <string>

#include "host/win32/u_ComDispatch.h"
#include "platform/win32/u_ComObject.h"
#include "protocol/u_InternetProtocolSupport.h"

// In the system's library since Vista; mingw-w64's headers leave them out.
extern "C" ::HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* Library, OLECHAR* FullPath, OLECHAR* HelpDir);
extern "C" ::HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID Library, WORD Major, WORD Minor, LCID Locale,
                                                     SYSKIND Kind);

namespace vv {

namespace {
constexpr GUID LIBID_Vellumview = {0xCE66BDE9, 0xD085, 0x4DCA, {0x9B, 0xF1, 0xC5, 0xCB, 0x45, 0xAD, 0x64, 0x7A}};
constexpr LCID LibraryLocale = 1033; // the library's own, as registered
constexpr const wchar_t* LibraryId = L"{CE66BDE9-D085-4DCA-9BF1-C5CB45AD647A}";
constexpr const wchar_t* ClassesKey = L"Software\\Classes\\";

struct TClass {
  CLSID Id;
  const wchar_t* IdText;
  const wchar_t* Name;
};
// As the type library declares them.
constexpr TClass Classes[] = {
    {{0x070EB013, 0x919C, 0x4D3A, {0x93, 0x6B, 0x74, 0x99, 0x04, 0xAC, 0xD0, 0x6D}},
     L"{070EB013-919C-4D3A-936B-749904ACD06D}", L"HostExternal"},
    {{0xF84C4DDA, 0xE845, 0x4E13, {0x88, 0xD3, 0x20, 0xEE, 0x5C, 0xB1, 0x70, 0x2D}},
     L"{F84C4DDA-E845-4E13-88D3-20EE5CB1702D}", L"Story"},
    {{0x22F1AAF4, 0xF2C9, 0x4106, {0xBA, 0x81, 0x28, 0x4C, 0xEB, 0xB2, 0x18, 0xF2}},
     L"{22F1AAF4-F2C9-4106-BA81-284CEBB218F2}", L"UserForm"},
};

std::wstring ExecutablePath() {
  std::wstring Path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD Length = GetModuleFileNameW(nullptr, Path.data(), static_cast<DWORD>(Path.size()));
    if (Length == 0)
      throw EOleError(HRESULT_FROM_WIN32(GetLastError()), "GetModuleFileName");
    if (Length < Path.size()) {
      Path.resize(Length);
      return Path;
    }
    Path.resize(Path.size() * 2);
  }
}

void Check(HRESULT Result, const char* What) {
  if (FAILED(Result))
    throw EOleError(Result, What);
}

void SetValue(const std::wstring& Key, const wchar_t* Name, const std::wstring& Value) {
  Check(HRESULT_FROM_WIN32(RegSetKeyValueW(HKEY_CURRENT_USER, (ClassesKey + Key).c_str(), Name, REG_SZ, Value.c_str(),
                                           static_cast<DWORD>((Value.size() + 1) * sizeof(wchar_t)))),
        "RegSetKeyValue");
}

void DeleteTree(const std::wstring& Key) {
  const LSTATUS Status = RegDeleteTreeW(HKEY_CURRENT_USER, (ClassesKey + Key).c_str());
  if (Status != ERROR_SUCCESS && Status != ERROR_FILE_NOT_FOUND)
    Check(HRESULT_FROM_WIN32(Status), "RegDeleteTree");
}

// Each creation answers the source's object; no aggregation, no C++
// exception across COM.
class TClassFactory final : public TComObject<IClassFactory> {
public:
  explicit TClassFactory(std::function<TDispatchRef()> Source) : Source(std::move(Source)) {}

  ::HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Riid, void** Object) override {
    if (!Object)
      return E_POINTER;
    if (Riid != IID_IUnknown && Riid != IID_IClassFactory) {
      *Object = nullptr;
      return E_NOINTERFACE;
    }
    *Object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  ::HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* Outer, REFIID Riid, void** Object) override {
    if (!Object)
      return E_POINTER;
    *Object = nullptr;
    if (Outer)
      return CLASS_E_NOAGGREGATION;
    TDispatchRef Instance;
    try {
      Instance = Source ? Source() : TDispatchRef();
    } catch (...) {
      // The object does not exist now ("There is no active form").
    }
    if (!Instance)
      return CLASS_E_CLASSNOTAVAILABLE;
    try {
      ::IDispatch* Dispatch = ComDispatch(Instance);
      const ::HRESULT Result = Dispatch->QueryInterface(Riid, Object);
      Dispatch->Release();
      return Result;
    } catch (...) {
      return E_UNEXPECTED;
    }
  }
  ::HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
  const std::function<TDispatchRef()> Source;
};
} // namespace

void RegisterComServer() {
  const std::wstring Path = ExecutablePath();
  ITypeLib* Library = nullptr;
  Check(LoadTypeLibEx(Path.c_str(), REGKIND_NONE, &Library), "LoadTypeLibEx");
  const HRESULT Registered = RegisterTypeLibForUser(Library, const_cast<wchar_t*>(Path.c_str()), nullptr);
  Library->Release();
  Check(Registered, "RegisterTypeLibForUser");
  for (const TClass& Class : Classes) {
    const std::wstring Key = std::wstring(L"CLSID\\") + Class.IdText;
    const std::wstring ProgId = std::wstring(L"Vellumview.") + Class.Name;
    SetValue(Key, nullptr, std::wstring(Class.Name) + L" Object");
    SetValue(Key + L"\\LocalServer32", nullptr, L"\"" + Path + L"\"");
    SetValue(Key + L"\\ProgID", nullptr, ProgId);
    SetValue(Key + L"\\TypeLib", nullptr, LibraryId);
    SetValue(Key + L"\\Version", nullptr, L"1.0");
    SetValue(ProgId, nullptr, std::wstring(Class.Name) + L" Object");
    SetValue(ProgId + L"\\CLSID", nullptr, Class.IdText);
  }
}

void UnregisterComServer() {
  for (const TClass& Class : Classes) {
    DeleteTree(std::wstring(L"CLSID\\") + Class.IdText);
    DeleteTree(std::wstring(L"Vellumview.") + Class.Name);
  }
  // Only a registered library is removed: nothing left to remove is no failure.
  BSTR Registered = nullptr;
  if (FAILED(QueryPathOfRegTypeLib(LIBID_Vellumview, 1, 0, LibraryLocale, &Registered)))
    return;
  SysFreeString(Registered);
  Check(UnRegisterTypeLibForUser(LIBID_Vellumview, 1, 0, LibraryLocale, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32),
        "UnRegisterTypeLibForUser");
}

TComClassObjects::TComClassObjects(TSources Sources) {
  std::function<TDispatchRef()> Source[] = {std::move(Sources.HostExternal), std::move(Sources.Story),
                                            std::move(Sources.UserForm)};
  for (std::size_t I = 0; I < std::size(Classes); ++I) {
    auto* Factory = new TClassFactory(std::move(Source[I]));
    DWORD Cookie = 0;
    const HRESULT Result =
        CoRegisterClassObject(Classes[I].Id, Factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &Cookie);
    Factory->Release(); // COM holds its own reference while registered
    if (FAILED(Result)) {
      RevokeAll();
      throw EOleError(Result, "CoRegisterClassObject");
    }
    FCookies.push_back(Cookie);
  }
}

TComClassObjects::~TComClassObjects() { RevokeAll(); }

void TComClassObjects::RevokeAll() noexcept {
  for (const unsigned long Cookie : FCookies)
    CoRevokeClassObject(Cookie);
  FCookies.clear();
}

} // namespace vv
