// The browser control hosted in a real window under any engine: navigation
// through the book schemes, the host hooks as the engine calls them on our
// client site, its events, closing, and document queries around the
// browser's end. Nothing here needs a rendered document.
#include <windows.h>
#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>

#include "tests/windows/BrowserFixture.h"

#include "host/win32/u_BrowserEmulation.h"
#include "host/win32/u_BrowserSite.h"
#include "host/win32/u_ComDispatch.h"
#include "host/win32/u_ComPtr.h"

using vv::TComPtr;

namespace {

class TTitled : public vv::TAutoObject {
public:
  TTitled() { DeclareGet("Title", 1, [] { return vv::TOleVariant(std::u16string(u"Our Book")); }); }
};

// Calls an event of the control's as the control fires it; the arguments
// first to last, by-reference ones as the control passes them.
void Fire(::IDispatch* Sink, DISPID Event, std::vector<VARIANT> FirstToLast) {
  std::vector<VARIANT> Reversed(FirstToLast.rbegin(), FirstToLast.rend());
  DISPPARAMS Params{Reversed.data(), nullptr, static_cast<UINT>(Reversed.size()), 0};
  ASSERT_EQ(Sink->Invoke(Event, IID_NULL, 0, DISPATCH_METHOD, &Params, nullptr, nullptr, nullptr), S_OK);
}

VARIANT ByRef(VARIANT_BOOL* Flag) {
  VARIANT V;
  V_VT(&V) = VT_BOOL | VT_BYREF;
  V_BOOLREF(&V) = Flag;
  return V;
}

VARIANT Object(::IDispatch* Value) {
  VARIANT V;
  V_VT(&V) = VT_DISPATCH;
  V_DISPATCH(&V) = Value;
  return V;
}

VARIANT Url(BSTR Value) {
  VARIANT V;
  V_VT(&V) = VT_BSTR;
  V_BSTR(&V) = Value;
  return V;
}

class BrowserControl : public vvtest::BrowserFixture {
protected:
  // The client site as the engine reaches it: through the control.
  template <class T> TComPtr<T> Site(REFIID Iid) {
    const auto Object = TComPtr<IOleObject>::Query(Browser->Control(), IID_IOleObject);
    TComPtr<IOleClientSite> Client;
    EXPECT_EQ(Object->GetClientSite(Client.Out()), S_OK);
    return TComPtr<T>::Query(Client.Get(), Iid);
  }
  static ::HRESULT AmbientDownloadControl(::IDispatch& Ambient, WORD Flags, VARIANT* Result) {
    DISPPARAMS None{};
    return Ambient.Invoke(vv::DispidAmbientDownloadControl, IID_NULL, 0, Flags, &None, Result, nullptr, nullptr);
  }
};

} // namespace

TEST_F(BrowserControl, NavigatesBookPagesInItsOwnWindow) {
  AddFile("\\page.htm", "<html><title>First</title><body><p id=\"a\">Hello</p></body></html>");
  const HWND Control = GetWindow(Browser->Handle(), GW_CHILD);
  ASSERT_NE(Control, nullptr) << "the control is in place in our window";
  EXPECT_EQ(GetParent(Browser->Handle()), Parent);
  Browser->SetBounds({10, 20, 310, 220});
  RECT Bounds{};
  GetClientRect(Control, &Bounds);
  EXPECT_EQ(Bounds.right, 300);
  EXPECT_EQ(Bounds.bottom, 200);
  // The page takes the keyboard, with or without a document to take it.
  SetFocus(Parent);
  Browser->FocusPage();
  const HWND Focus = GetFocus();
  EXPECT_TRUE(Focus == Browser->Handle() || IsChild(Browser->Handle(), Focus));

  EXPECT_EQ(Browser->LocationURL(), "");
  std::vector<std::string> Navigated;
  Browser->OnNavigateComplete2 = [&](vv::IBrowser* Sender, const std::string& URL) {
    EXPECT_EQ(Sender, Browser.get());
    Navigated.push_back(URL);
  };
  Browser->Navigate("mfs:\\page.htm");
  ASSERT_TRUE(WaitFor([&] { return !Served.empty(); }));
  EXPECT_EQ(Served, std::vector<std::string>{"\\page.htm"}) << "fetched through our scheme";
  EXPECT_EQ(Browser->LocationURL(), "mfs:\\page.htm");
  EXPECT_TRUE(Browser->ShowsBookPage());
  // The navigation completes once the engine has made a document of the page;
  // an engine without HTML documents (Wine without its HTML engine) reports
  // a navigation error instead, and the page stays loading.
  if (vvtest::HasHtmlEngine()) {
    ASSERT_TRUE(WaitFor([&] { return !Navigated.empty(); }));
    EXPECT_EQ(Navigated.front(), "mfs:\\page.htm");
  } else {
    WaitFor([] { return false; }, 300);
    EXPECT_TRUE(Navigated.empty());
    EXPECT_EQ(Browser->ReadyState(), vv::READYSTATE_LOADING);
  }
  EXPECT_TRUE(Browser->IsBookScheme("MFS"));
  EXPECT_FALSE(Browser->IsBookScheme("system")) << "not registered here";
  EXPECT_FALSE(Browser->IsBookScheme("http"));

  // No history behind the first page: the failure is the caller's to swallow.
  EXPECT_THROW(Browser->GoBack(), vv::EWebBrowserError);
  EXPECT_THROW(Browser->ExecWB(vv::OLECMDID_ZOOM, vv::OLECMDEXECOPT_DONTPROMPTUSER, 5), vv::EWebBrowserError);
}

TEST_F(BrowserControl, HostHooksAreTheLogicsEventsWithTheirDefaults) {
  const auto Handler = Site<IDocHostUIHandler2>(IID_IDocHostUIHandler2);
  const auto ShowUI = Site<IDocHostShowUI>(IID_IDocHostShowUI);
  const auto Ambient = Site<::IDispatch>(IID_IDispatch);
  ASSERT_TRUE(Handler && ShowUI && Ambient);

  // Unassigned: the engine does its normal thing.
  POINT At{12, 34};
  EXPECT_EQ(Handler->ShowContextMenu(0, &At, nullptr, nullptr), S_FALSE);
  LRESULT Answer = 0;
  wchar_t Text[] = L"Hello", Caption[] = L"Message from webpage";
  EXPECT_EQ(ShowUI->ShowMessage(nullptr, Text, Caption, MB_OK, nullptr, 0, &Answer), S_FALSE);
  ::IDispatch* External = reinterpret_cast<::IDispatch*>(1);
  EXPECT_EQ(Handler->GetExternal(&External), S_FALSE);
  EXPECT_EQ(External, nullptr);
  LPOLESTR Key = reinterpret_cast<LPOLESTR>(1);
  EXPECT_EQ(Handler->GetOverrideKeyPath(&Key, 0), S_OK);
  EXPECT_EQ(Key, nullptr);
  MSG Message{nullptr, WM_KEYDOWN, 'C', 0, 0, {}};
  EXPECT_EQ(Handler->TranslateAccelerator(&Message, nullptr, 0), S_FALSE);

  // Host flags from the option set, then the event's word.
  DOCHOSTUIINFO Info{};
  Info.cbSize = sizeof Info;
  EXPECT_EQ(Handler->GetHostInfo(&Info), S_OK);
  EXPECT_EQ(Info.dwFlags, 0u);
  Browser->SetUserInterfaceOptions({vv::TUserInterfaceOption::NO3DBORDER, vv::TUserInterfaceOption::FLAT_SCROLLBAR});
  EXPECT_EQ(Handler->GetHostInfo(&Info), S_OK);
  EXPECT_EQ(Info.dwFlags, 0x84u);
  EXPECT_EQ(Info.cbSize, sizeof Info);
  Browser->OnGetHostInfo = [](vv::TDocHostUIInfo& I) {
    EXPECT_EQ(I.dwFlags, 0x84u);
    I.dwFlags |= vv::DOCHOSTUIFLAG_SCROLL_NO;
    return vv::VV_S_OK;
  };
  EXPECT_EQ(Handler->GetHostInfo(&Info), S_OK);
  EXPECT_EQ(Info.dwFlags, 0x8Cu);

  // The ambient download control: images, videos and sounds unless set.
  VARIANT Flags;
  VariantInit(&Flags);
  ASSERT_EQ(AmbientDownloadControl(*Ambient.Get(), DISPATCH_PROPERTYGET, &Flags), S_OK);
  EXPECT_EQ(V_VT(&Flags), VT_I4);
  EXPECT_EQ(V_I4(&Flags), 0x70);
  Browser->SetDownloadOptions({vv::TDownloadControlOption::DLCTL_DLIMAGES, vv::TDownloadControlOption::DLCTL_OFFLINE});
  ASSERT_EQ(AmbientDownloadControl(*Ambient.Get(), DISPATCH_PROPERTYGET, &Flags), S_OK);
  EXPECT_EQ(static_cast<std::uint32_t>(V_I4(&Flags)), 0x80000010u);
  EXPECT_EQ(AmbientDownloadControl(*Ambient.Get(), DISPATCH_METHOD, &Flags), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(AmbientDownloadControl(*Ambient.Get(), DISPATCH_PROPERTYGET, nullptr), DISP_E_MEMBERNOTFOUND);

  // Assigned: the event's arguments and answer, in neutral types.
  Browser->OnShowContextMenu = [](std::uint32_t Kind, const vv::TPoint& Point) {
    EXPECT_EQ(Kind, vv::VV_CONTEXT_MENU_ANCHOR);
    EXPECT_EQ(Point, (vv::TPoint{12, 34}));
    return vv::VV_S_OK;
  };
  EXPECT_EQ(Handler->ShowContextMenu(CONTEXT_MENU_ANCHOR, &At, nullptr, nullptr), S_OK);

  BYTE Keys[256] = {};
  Keys[VK_CONTROL] = 0x80;
  SetKeyboardState(Keys);
  Browser->OnTranslateAccelerator = [](const vv::TKeyMessage& Key, const void*, std::uint32_t) {
    EXPECT_EQ(Key.message, vv::VV_WM_KEYDOWN);
    EXPECT_EQ(Key.wParam, static_cast<std::uint32_t>('C'));
    EXPECT_EQ(Key.Modifiers, vv::VV_MOD_CTRL);
    return vv::VV_S_OK;
  };
  EXPECT_EQ(Handler->TranslateAccelerator(&Message, nullptr, 0), S_OK);
  Keys[VK_CONTROL] = 0;
  SetKeyboardState(Keys);

  Browser->OnShowMessage = [](std::uint32_t, const std::u16string& T, const std::u16string& C, std::int32_t Type,
                              const std::u16string&, std::int32_t, std::int32_t& Result) {
    EXPECT_EQ(T, u"Hello");
    EXPECT_EQ(C, u"Message from webpage");
    EXPECT_EQ(Type, vv::VV_MB_OKCANCEL);
    Result = vv::VV_IDCANCEL;
    return vv::VV_S_OK;
  };
  EXPECT_EQ(ShowUI->ShowMessage(nullptr, Text, Caption, MB_OKCANCEL, nullptr, 0, &Answer), S_OK);
  EXPECT_EQ(Answer, IDCANCEL);

  // window.external is the COM object of the event's answer, one reference for the engine.
  const vv::TDispatchRef Titled = std::make_shared<TTitled>();
  Browser->OnGetExternal = [&](vv::TDispatchRef& Out) {
    Out = Titled;
    return vv::VV_S_OK;
  };
  ASSERT_EQ(Handler->GetExternal(&External), S_OK);
  ::IDispatch* Same = vv::ComDispatch(Titled);
  EXPECT_EQ(External, Same);
  Same->Release();
  External->Release();

  Browser->OnGetOptionKeyPath = [](std::u16string& Path, std::uint32_t) {
    Path = u"Software\\Vellumview";
    return vv::VV_S_OK;
  };
  ASSERT_EQ(Handler->GetOptionKeyPath(&Key, 0), S_OK);
  EXPECT_EQ(std::wstring(Key), L"Software\\Vellumview");
  CoTaskMemFree(Key);

  // A handler that raises fails the call; nothing unwinds into the engine.
  Browser->OnShowContextMenu = [](std::uint32_t, const vv::TPoint&) -> vv::HRESULT {
    throw vv::EWebBrowserError(vv::VV_E_FAIL, "broken handler");
  };
  EXPECT_EQ(Handler->ShowContextMenu(0, &At, nullptr, nullptr), E_FAIL);

  // The site outlives the browser in the engine's hands: defaults from then on.
  Browser.reset();
  EXPECT_EQ(Handler->ShowContextMenu(0, &At, nullptr, nullptr), S_FALSE);
  EXPECT_EQ(Handler->GetExternal(&External), S_FALSE);
  EXPECT_EQ(External, nullptr);
}

TEST_F(BrowserControl, ClosingIsAskedOfTheOwnerFromTheLoop) {
  int Queries = 0, Accepted = 0;
  bool Allow = false;
  Browser->OnCloseQuery = [&](vv::IBrowser* Sender, bool& CanClose) {
    EXPECT_EQ(Sender, Browser.get());
    ++Queries;
    CanClose = Allow;
  };
  Browser->OnCloseAccepted = [&] { ++Accepted; };

  // window.close: the control itself is always told no.
  VARIANT_BOOL Cancel = VARIANT_FALSE;
  VARIANT NotChild;
  V_VT(&NotChild) = VT_BOOL;
  V_BOOL(&NotChild) = VARIANT_FALSE;
  Fire(Browser->EventSink(), DISPID_WINDOWCLOSING, {NotChild, ByRef(&Cancel)});
  EXPECT_EQ(Cancel, VARIANT_TRUE);
  EXPECT_EQ(Queries, 0) << "asked from the loop, not inside the engine's event";
  ASSERT_TRUE(WaitFor([&] { return Queries == 1; }));
  EXPECT_EQ(Accepted, 0);

  // WM_CLOSE to the control's window: the same question; the window stays.
  Allow = true;
  SendMessageW(Browser->Handle(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return Accepted == 1; }));
  EXPECT_EQ(Queries, 2);
  EXPECT_TRUE(IsWindow(Browser->Handle()));

  // Gone before the loop asks: nobody is asked.
  Fire(Browser->EventSink(), DISPID_WINDOWCLOSING, {NotChild, ByRef(&Cancel)});
  Browser.reset();
  WaitFor([] { return false; }, 200);
  EXPECT_EQ(Queries, 2);

  // New windows are refused: pages stay in the viewer's windows.
  Browser = std::make_unique<vv::TMXWebBrowser>(Parent, *Loop);
  VARIANT_BOOL Refused = VARIANT_FALSE;
  ::IDispatch* NewWindow = nullptr;
  VARIANT Out;
  V_VT(&Out) = VT_DISPATCH | VT_BYREF;
  V_DISPATCHREF(&Out) = &NewWindow;
  Fire(Browser->EventSink(), DISPID_NEWWINDOW2, {Out, ByRef(&Refused)});
  EXPECT_EQ(Refused, VARIANT_TRUE);
}

TEST_F(BrowserControl, APageOutsideTheBookDoesNotLeadIntoIt) {
  AddFile("\\page.htm", "<html><body>in the book</body></html>");
  const auto Control = TComPtr<::IDispatch>::Query(Browser->Control(), IID_IDispatch);
  // A link followed on the page shown: pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel.
  const auto FollowLink = [&]() {
    BSTR Target = SysAllocString(L"mfs:\\page.htm");
    VARIANT Empty;
    VariantInit(&Empty);
    VARIANT_BOOL Cancel = VARIANT_FALSE;
    Fire(Browser->EventSink(), DISPID_BEFORENAVIGATE2,
         {Object(Control.Get()), Url(Target), Empty, Empty, Empty, Empty, ByRef(&Cancel)});
    SysFreeString(Target);
    return Cancel == VARIANT_FALSE;
  };
  Browser->Navigate("about:blank");
  ASSERT_EQ(Browser->LocationURL(), "about:blank");
  EXPECT_FALSE(FollowLink());

  // The viewer's own navigation does; from the book's page its links do.
  Browser->Navigate("mfs:\\page.htm");
  EXPECT_TRUE(WaitFor([&] { return !Served.empty(); }));
  ASSERT_TRUE(Browser->ShowsBookPage());
  EXPECT_TRUE(FollowLink());
}

TEST_F(BrowserControl, QueriesAnswerFromTheLoopAndNeverAfterTheBrowserWent) {
  int Answers = 0;
  Browser->QueryElements([&](std::vector<vv::TDocumentElement>) { ++Answers; });
  Browser->QueryInnerHTML("a", [&](std::optional<std::string>) { ++Answers; });
  EXPECT_EQ(Answers, 0);
  ASSERT_TRUE(WaitFor([&] { return Answers == 2; }));

  Browser->QueryElements([&](std::vector<vv::TDocumentElement>) { ++Answers; });
  Browser->QueryInnerHTML("a", [&](std::optional<std::string>) { ++Answers; });
  Browser.reset();
  WaitFor([] { return false; }, 200);
  EXPECT_EQ(Answers, 2);
}

TEST(BrowserEmulation, TheRunningExecutableGetsTheStandardsMode) {
  ASSERT_TRUE(vv::SetBrowserEmulation());
  ASSERT_TRUE(vv::SetBrowserEmulation()) << "a second start finds it there";
  wchar_t Path[MAX_PATH];
  GetModuleFileNameW(nullptr, Path, MAX_PATH);
  std::wstring Name(Path);
  Name = Name.substr(Name.find_last_of(L"\\/") + 1);
  DWORD Mode = 0, Size = sizeof Mode;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER,
                         L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION",
                         Name.c_str(), RRF_RT_REG_DWORD, nullptr, &Mode, &Size),
            ERROR_SUCCESS);
  EXPECT_EQ(Mode, 11000u);
}
