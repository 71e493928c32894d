// The script objects as COM automation objects: the embedded type library
// against the objects' own members, IDispatch called directly, and real
// script through the system's JScript engine.
#include <gtest/gtest.h>

#include <windows.h>
#include <activscp.h>
#include <oleauto.h>

#include <map>
#include <string>
#include <vector>

#include "host/win32/u_ComDispatch.h"
#include "host/win32/u_ComServer.h"
#include "platform/u_BookText.h"
#include "tests/viewer_logic/FakePlatform.h"

namespace {
using vv::TDispatchRef;
using vvtest::TFakeUserFormViews;

const char* const Pages = R"(<Story>
  <item page="\one.htm"/>
  <item><item page="\two.htm"/><item page="\three.htm"/></item>
</Story>)";
const char* const Forms = R"(<Forms><Form Name="About" Path="\about.htm" Caption="About it"/></Forms>)";

const CLSID CLSID_JScript = {0xf414c260, 0x6ac0, 0x11cf, {0xb6, 0xd1, 0x00, 0xaa, 0x00, 0xbb, 0xbb, 0x58}};
// mingw's uuid library lacks the parser interfaces' identifiers.
#ifdef _WIN64
using TScriptParse = IActiveScriptParse64;
const IID IID_ScriptParse = {0xc7ef7658, 0xe1ee, 0x480e, {0x97, 0xea, 0xd5, 0x2c, 0xb4, 0xd7, 0x6d, 0x17}};
#else
using TScriptParse = IActiveScriptParse32;
const IID IID_ScriptParse = {0xbb1a2ae2, 0xa4f9, 0x11cf, {0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0, 0x64}};
#endif

std::wstring Wide(const char* Text) { return std::wstring(Text, Text + std::char_traits<char>::length(Text)); }
std::string Narrow(const BSTR Text) {
  return Text ? vv::WideToBook(std::u16string_view(reinterpret_cast<const char16_t*>(Text), SysStringLen(Text))) : "";
}

// The host of a script engine: one named item, "external", and the last script error.
class TScriptSite final : public IActiveScriptSite {
public:
  explicit TScriptSite(::IDispatch* External) : FExternal(External) {}
  ::HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Riid, void** Out) override {
    if (IsEqualIID(Riid, IID_IUnknown) || IsEqualIID(Riid, IID_IActiveScriptSite)) {
      *Out = this;
      return S_OK;
    }
    *Out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; } // lives on the test's stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  ::HRESULT STDMETHODCALLTYPE GetLCID(LCID*) override { return E_NOTIMPL; }
  ::HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR Name, DWORD Mask, IUnknown** Item, ITypeInfo** Info) override {
    if (lstrcmpiW(Name, L"external") != 0)
      return TYPE_E_ELEMENTNOTFOUND;
    if (Mask & SCRIPTINFO_IUNKNOWN) {
      FExternal->AddRef();
      *Item = FExternal;
    }
    if (Mask & SCRIPTINFO_ITYPEINFO)
      return FExternal->GetTypeInfo(0, 0, Info);
    return S_OK;
  }
  ::HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
  ::HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
  ::HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
  ::HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* Error) override {
    EXCEPINFO Info{};
    Error->GetExceptionInfo(&Info);
    LastError = Narrow(Info.bstrDescription);
    SysFreeString(Info.bstrSource);
    SysFreeString(Info.bstrDescription);
    SysFreeString(Info.bstrHelpFile);
    return S_OK;
  }
  ::HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
  ::HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

  std::string LastError;

private:
  ::IDispatch* FExternal;
};

struct ComDispatch : ::testing::Test {
  ComDispatch() {
    CoInitialize(nullptr);
    Host.Browser->Navigate("mfs:\\one.htm");
    Host.Browser->Complete();
  }
  ~ComDispatch() override {
    Com->Release();
    // Every wrapper went with its last reference: the objects are ours alone again.
    if (External) {
      EXPECT_EQ(External.use_count(), 1 + static_cast<long>(Views.Views.size())); // ours and each form's
      EXPECT_EQ(External->Story().use_count(), 2); // the host's and this one
    }
    CoUninitialize();
  }

  // A member called through IDispatch as a script engine does; a failure gives "error: description".
  static std::string Invoke(::IDispatch* Object, DISPID Id, WORD Flags, VARIANT* Result = nullptr,
                            std::vector<VARIANT> Args = {}) {
    DISPID Put = DISPID_PROPERTYPUT;
    DISPPARAMS Params{Args.data(), Flags == DISPATCH_PROPERTYPUT ? &Put : nullptr, static_cast<UINT>(Args.size()),
                      Flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    EXCEPINFO Error{};
    const ::HRESULT Hr = Object->Invoke(Id, IID_NULL, 0, Flags, &Params, Result, &Error, nullptr);
    if (Hr == DISP_E_EXCEPTION) {
      const std::string Message = "error: " + Narrow(Error.bstrDescription);
      SysFreeString(Error.bstrSource);
      SysFreeString(Error.bstrDescription);
      return Message;
    }
    return Hr == S_OK ? "ok" : "hr " + std::to_string(static_cast<long>(Hr));
  }
  static ::IDispatch* GetObject(::IDispatch* Object, DISPID Id) {
    VARIANT V;
    VariantInit(&V);
    EXPECT_EQ(Invoke(Object, Id, DISPATCH_PROPERTYGET, &V), "ok");
    EXPECT_EQ(V.vt, VT_DISPATCH);
    return V.pdispVal;
  }

  // Runs Code in a new JScript engine with the host object as "external";
  // the value of Code, an expression, as text, or "script error: ...".
  std::string RunScript(const char* Code) {
    TScriptSite Site(Com);
    IActiveScript* Engine = nullptr;
    const ::HRESULT Created =
        CoCreateInstance(CLSID_JScript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript, reinterpret_cast<void**>(&Engine));
    if (FAILED(Created))
      return "no JScript engine: hr " + std::to_string(static_cast<long>(Created));
    TScriptParse* Parser = nullptr;
    Engine->QueryInterface(IID_ScriptParse, reinterpret_cast<void**>(&Parser));
    Engine->SetScriptSite(&Site);
    Parser->InitNew();
    Engine->AddNamedItem(L"external", SCRIPTITEM_ISVISIBLE);
    Engine->SetScriptState(SCRIPTSTATE_STARTED);
    VARIANT Result;
    VariantInit(&Result);
    const ::HRESULT Hr = Parser->ParseScriptText(Wide(Code).c_str(), nullptr, nullptr, nullptr, 0, 0,
                                               SCRIPTTEXT_ISEXPRESSION, &Result, nullptr);
    std::string Text = "script error: " + Site.LastError;
    if (SUCCEEDED(Hr) && SUCCEEDED(VariantChangeType(&Result, &Result, 0, VT_BSTR)))
      Text = Narrow(Result.bstrVal);
    VariantClear(&Result);
    Parser->Release();
    Engine->Close();
    Engine->Release();
    return Text;
  }

  vv::TMFS Volume;
  vv::TUserForms UserForms{&Volume.DefaultSession(), Forms};
  vvtest::TFakeViewerHost Host{Pages};
  TFakeUserFormViews Views;
  std::shared_ptr<vv::THostExternal> External = std::make_shared<vv::THostExternal>(Host, UserForms, Views);
  ::IDispatch* Com = vv::ComDispatch(External);
};

// Closes the form a script has opened, from the message loop the call waits in.
TFakeUserFormViews* FormsToClose = nullptr;
void CALLBACK CloseOpenForm(HWND, UINT, UINT_PTR Timer, DWORD) {
  KillTimer(nullptr, Timer);
  FormsToClose->Views.back()->Close();
}
} // namespace

TEST_F(ComDispatch, TypeLibraryDescribesEveryMemberWithTheObjectsDispatchIds) {
  External->ShowUserForm("About", nullptr);
  const TDispatchRef Story = External->Story();
  const TDispatchRef Form = External->UserForm();
  ::IDispatch* StoryCom = vv::ComDispatch(Story);
  ::IDispatch* FormCom = vv::ComDispatch(Form);
  const struct {
    vv::IDispatch* Object;
    ::IDispatch* Com;
    const char* Name;
    UINT Members;
  } Interfaces[] = {{External.get(), Com, "IHostExternal", 5}, {Story.get(), StoryCom, "IStory", 9},
                    {Form.get(), FormCom, "IUserForm", 12}};
  std::map<std::string, VARTYPE> Results;
  for (const auto& I : Interfaces) {
    SCOPED_TRACE(I.Name);
    UINT Count = 0;
    ASSERT_EQ(I.Com->GetTypeInfoCount(&Count), S_OK);
    ASSERT_EQ(Count, 1u);
    ITypeInfo* Info = nullptr;
    ASSERT_EQ(I.Com->GetTypeInfo(0, 0, &Info), S_OK);
    BSTR Name = nullptr;
    Info->GetDocumentation(MEMBERID_NIL, &Name, nullptr, nullptr, nullptr);
    EXPECT_EQ(Narrow(Name), I.Name);
    SysFreeString(Name);
    TYPEATTR* Attr = nullptr;
    ASSERT_EQ(Info->GetTypeAttr(&Attr), S_OK);
    EXPECT_TRUE(Attr->wTypeFlags & TYPEFLAG_FDUAL);
    Info->ReleaseTypeAttr(Attr);
    // The members as declared: the dual interface's table part.
    HREFTYPE Table = 0;
    ITypeInfo* Dispatch = Info;
    ASSERT_EQ(Dispatch->GetRefTypeOfImplType(-1, &Table), S_OK);
    ASSERT_EQ(Dispatch->GetRefTypeInfo(Table, &Info), S_OK);
    Dispatch->Release();
    ASSERT_EQ(Info->GetTypeAttr(&Attr), S_OK);
    UINT Own = 0;
    for (UINT F = 0; F < Attr->cFuncs; ++F) {
      FUNCDESC* Func = nullptr;
      ASSERT_EQ(Info->GetFuncDesc(F, &Func), S_OK);
      {
        ++Own;
        Info->GetDocumentation(Func->memid, &Name, nullptr, nullptr, nullptr);
        const std::string Member = Narrow(Name);
        SysFreeString(Name);
        EXPECT_EQ(I.Object->GetIDOfName(Member), Func->memid) << Member;
        EXPECT_TRUE(I.Object->GetMemberKinds(Func->memid) & Func->invkind) << Member;
        // A property read's one parameter points to the value.
        if (Func->invkind == INVOKE_PROPERTYGET && Func->cParams == 1 && Func->lprgelemdescParam[0].tdesc.vt == VT_PTR)
          Results[std::string(I.Name) + "." + Member] = Func->lprgelemdescParam[0].tdesc.lptdesc->vt;
      }
      Info->ReleaseFuncDesc(Func);
    }
    EXPECT_EQ(Own, I.Members);
    Info->ReleaseTypeAttr(Attr);
    Info->Release();
  }
  // The system's automation types, which the library's IDL declares itself.
  EXPECT_EQ(Results["IStory.Current"], VT_BSTR);
  EXPECT_EQ(Results["IStory.Eof"], VT_BOOL);
  EXPECT_EQ(Results["IUserForm.Width"], VT_I4);

  // The browser object is the system browser's subset: no type information of ours.
  ::IDispatch* Browser = GetObject(Com, 203);
  UINT Count = 1;
  EXPECT_EQ(Browser->GetTypeInfoCount(&Count), S_OK);
  EXPECT_EQ(Count, 0u);
  Browser->Release();
  FormCom->Release();
  StoryCom->Release();
}

TEST_F(ComDispatch, IDispatchCallsReachTheObjectsByTheFixedIds) {
  LPOLESTR Names[] = {const_cast<LPOLESTR>(L"story")};
  DISPID Id = 0;
  EXPECT_EQ(Com->GetIDsOfNames(IID_NULL, Names, 1, 0, &Id), S_OK);
  EXPECT_EQ(Id, 202);
  Names[0] = const_cast<LPOLESTR>(L"Stories");
  EXPECT_EQ(Com->GetIDsOfNames(IID_NULL, Names, 1, 0, &Id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(Invoke(Com, 999, DISPATCH_METHOD), "hr " + std::to_string(static_cast<long>(DISP_E_MEMBERNOTFOUND)));

  ::IDispatch* Story = GetObject(Com, 202);
  ::IDispatch* Again = GetObject(Com, 202);
  EXPECT_EQ(Story, Again);
  Again->Release();
  VARIANT Current;
  VariantInit(&Current);
  EXPECT_EQ(Invoke(Story, 204, DISPATCH_METHOD), "ok");
  EXPECT_EQ(Invoke(Story, 201, DISPATCH_PROPERTYGET, &Current), "ok");
  EXPECT_EQ(Narrow(Current.bstrVal), "\\two.htm");
  VariantClear(&Current);
  VARIANT Level;
  Level.vt = VT_BSTR;
  Level.bstrVal = SysAllocString(L"one");
  EXPECT_EQ(Invoke(Story, 209, DISPATCH_METHOD, nullptr, {Level}), "error: Type mismatch");
  VariantClear(&Level);
  EXPECT_EQ(Invoke(Com, 201, DISPATCH_PROPERTYGET), "error: There is no active form");

  External->ShowUserForm("About", nullptr);
  ::IDispatch* Form = GetObject(Com, 201);
  VARIANT Left;
  Left.vt = VT_I4;
  Left.lVal = 40;
  EXPECT_EQ(Invoke(Form, 203, DISPATCH_PROPERTYPUT, nullptr, {Left}), "ok");
  EXPECT_EQ(Views.Views.back()->Rect.Left, 40);
  Views.Views.back()->Close();
  Views.Views.back()->Life.reset();
  EXPECT_EQ(Invoke(Form, 203, DISPATCH_PROPERTYGET, &Left), "error: There is no active form");
  Form->Release();

  // A script that keeps the Story object after the window went gets an error, not a dead window.
  External->Detach();
  External.reset();
  EXPECT_EQ(Invoke(Story, 201, DISPATCH_PROPERTYGET, &Current), "error: The viewer window is closed");
  Story->Release();
}

TEST_F(ComDispatch, DualInterfacesBindEarlyWithTheSameObjects) {
  vv::IHostExternal* Host = nullptr;
  ASSERT_EQ(Com->QueryInterface(vv::IID_IHostExternal, reinterpret_cast<void**>(&Host)), S_OK);
  ::IDispatch* StoryDispatch = nullptr;
  ASSERT_EQ(Host->get_Story(&StoryDispatch), S_OK);
  vv::IStory* Story = nullptr;
  ASSERT_EQ(StoryDispatch->QueryInterface(vv::IID_IStory, reinterpret_cast<void**>(&Story)), S_OK);
  EXPECT_EQ(static_cast<::IDispatch*>(Story), StoryDispatch);
  EXPECT_EQ(Story->Next(), S_OK);
  BSTR Current = nullptr;
  EXPECT_EQ(Story->get_Current(&Current), S_OK);
  EXPECT_EQ(Narrow(Current), "\\two.htm");
  SysFreeString(Current);
  VARIANT_BOOL Eof = VARIANT_TRUE;
  EXPECT_EQ(Story->get_Eof(&Eof), S_OK);
  EXPECT_EQ(Eof, VARIANT_FALSE);

  // A failure is the thread's error information, as early-bound callers read it.
  EXPECT_EQ(Story->NextChapter(0), E_FAIL);
  IErrorInfo* Error = nullptr;
  ASSERT_EQ(GetErrorInfo(0, &Error), S_OK);
  BSTR Description = nullptr;
  Error->GetDescription(&Description);
  EXPECT_EQ(Narrow(Description), "Chapter level is out of range (0)");
  SysFreeString(Description);
  Error->Release();
  ISupportErrorInfo* Supports = nullptr;
  ASSERT_EQ(Story->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&Supports)), S_OK);
  EXPECT_EQ(Supports->InterfaceSupportsErrorInfo(vv::IID_IStory), S_OK);
  Supports->Release();

  External->ShowUserForm("About", nullptr);
  ::IDispatch* FormDispatch = nullptr;
  ASSERT_EQ(Host->get_UserForm(&FormDispatch), S_OK);
  vv::IUserForm* Form = nullptr;
  ASSERT_EQ(FormDispatch->QueryInterface(vv::IID_IUserForm, reinterpret_cast<void**>(&Form)), S_OK);
  EXPECT_EQ(Form->put_Width(300), S_OK);
  LONG Width = 0;
  EXPECT_EQ(Form->get_Width(&Width), S_OK);
  EXPECT_EQ(Width, 300);
  BSTR Caption = SysAllocString(L"Notes");
  EXPECT_EQ(Form->put_Caption(Caption), S_OK);
  SysFreeString(Caption);
  EXPECT_EQ(Views.Views.back()->Title, u"Notes");
  EXPECT_EQ(Form->Close(), S_OK);
  EXPECT_TRUE(Views.Views.back()->Closed);
  Views.Views.back()->Life.reset();
  EXPECT_EQ(Form->get_Width(&Width), E_FAIL);

  for (IUnknown* Reference : std::initializer_list<IUnknown*>{Form, FormDispatch, Story, StoryDispatch, Host})
    Reference->Release();
}

TEST_F(ComDispatch, JScriptWalksTheStoryAndCatchesTheObjectsErrors) {
  EXPECT_EQ(RunScript("(function () {"
                      "  var s = external.story, seen = [s.Current];"
                      "  while (!s.Eof) { s.Next(); seen.push(s.Current); }"
                      "  try { s.Next(); } catch (e) { seen.push(e.message); }"
                      "  return seen.join(' ') + ' | ' + (external.Story === s);"
                      "})()"),
            "\\one.htm \\two.htm \\three.htm \\three.htm End of story encountered | true");
  EXPECT_EQ(RunScript("(function () { try { external.UserForm; return 'none'; } catch (e) { return e.message; } })()"),
            "There is no active form");

  // ShowUserForm returns once the form has closed; the call waits in a message loop.
  FormsToClose = &Views;
  SetTimer(nullptr, 0, 10, CloseOpenForm);
  EXPECT_EQ(RunScript("(function () {"
                      "  external.ShowUserForm('About');"
                      "  try { external.UserForm; return 'open'; } catch (e) { return 'closed: ' + e.message; }"
                      "})()"),
            "closed: There is no active form");
  ASSERT_EQ(Views.Views.size(), 1u);
  EXPECT_EQ(Views.Views[0]->Title, u"About it");
}


// The viewer as automation server: registered for the running executable,
// per user, and its class objects handing out the running book's objects.
TEST_F(ComDispatch, ServerRegistrationNamesThisExecutableAndClassObjectsGiveTheLiveObjects) {
  const wchar_t* const HostKey = L"Software\\Classes\\CLSID\\{070EB013-919C-4D3A-936B-749904ACD06D}\\LocalServer32";
  const GUID Library = {0xCE66BDE9, 0xD085, 0x4DCA, {0x9B, 0xF1, 0xC5, 0xCB, 0x45, 0xAD, 0x64, 0x7A}};
  vv::RegisterComServer();
  wchar_t Server[MAX_PATH * 2] = {}, Path[MAX_PATH] = {};
  DWORD Size = sizeof(Server);
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, HostKey, nullptr, RRF_RT_REG_SZ, nullptr, Server, &Size), ERROR_SUCCESS);
  GetModuleFileNameW(nullptr, Path, MAX_PATH);
  EXPECT_EQ(std::wstring(Server), L"\"" + std::wstring(Path) + L"\"");
  ITypeLib* Registered = nullptr;
  ASSERT_EQ(LoadRegTypeLib(Library, 1, 0, 1033, &Registered), S_OK);
  Registered->Release();
  vv::UnregisterComServer();
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, HostKey, nullptr, RRF_RT_REG_SZ, nullptr, Server, &Size),
            ERROR_FILE_NOT_FOUND);
  vv::UnregisterComServer(); // nothing left to remove is no failure

  const CLSID HostClass = {0x070EB013, 0x919C, 0x4D3A, {0x93, 0x6B, 0x74, 0x99, 0x04, 0xAC, 0xD0, 0x6D}};
  const CLSID FormClass = {0x22F1AAF4, 0xF2C9, 0x4106, {0xBA, 0x81, 0x28, 0x4C, 0xEB, 0xB2, 0x18, 0xF2}};
  {
    const vv::TComClassObjects Objects({[this] { return TDispatchRef(External); }, [this] { return External->Story(); },
                                        [this] { return External->UserForm(); }});
    IClassFactory* Factory = nullptr;
    ASSERT_EQ(CoGetClassObject(HostClass, CLSCTX_LOCAL_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(&Factory)),
              S_OK);
    ::IDispatch* Created = nullptr;
    ASSERT_EQ(Factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&Created)), S_OK);
    EXPECT_EQ(Created, Com); // the window's own host object, not a second one
    Created->Release();
    Factory->Release();
    ASSERT_EQ(CoGetClassObject(FormClass, CLSCTX_LOCAL_SERVER, nullptr, IID_IClassFactory,
                               reinterpret_cast<void**>(&Factory)),
              S_OK);
    EXPECT_EQ(Factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&Created)),
              CLASS_E_CLASSNOTAVAILABLE); // no form is open
    Factory->Release();
  }
  IClassFactory* Gone = nullptr;
  EXPECT_NE(CoGetClassObject(HostClass, CLSCTX_LOCAL_SERVER, nullptr, IID_IClassFactory, reinterpret_cast<void**>(&Gone)),
            S_OK);
}
