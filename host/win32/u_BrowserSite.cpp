#include "host/win32/u_BrowserSite.h"

#include <string>

#include "host/win32/c_MXWebBrowser.h"
#include "host/win32/u_ComDispatch.h"
#include "host/win32/u_ComGuard.h"
#include "host/win32/u_WideText.h"

// Declared by the system's header, missing from mingw-w64's uuid library.
extern "C" {
DECLSPEC_SELECTANY extern const IID IID_IDocHostUIHandler2 = {
    0x3050f6d0, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
DECLSPEC_SELECTANY extern const IID IID_IDocHostShowUI = {
    0xc4d244b0, 0xd43e, 0x11cf, {0x89, 0x3b, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x1a}};
}

namespace vv {

namespace {

// The in-place frame the engine talks to while active: our top-level window,
// with no menus, tool space or status line of its own to offer.
class TBrowserFrame final : public TComObject<IOleInPlaceFrame> {
public:
  explicit TBrowserFrame(HWND Window) : FWindow(Window) {}

  ::HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) noexcept override {
    if (!Object)
      return E_POINTER;
    if (Iid == IID_IUnknown || Iid == IID_IOleWindow || Iid == IID_IOleInPlaceUIWindow || Iid == IID_IOleInPlaceFrame) {
      *Object = static_cast<IOleInPlaceFrame*>(this);
      AddRef();
      return S_OK;
    }
    *Object = nullptr;
    return E_NOINTERFACE;
  }
  ::HRESULT STDMETHODCALLTYPE GetWindow(HWND* Window) noexcept override {
    if (!Window)
      return E_POINTER;
    *Window = FWindow;
    return S_OK;
  }
  ::HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }
  ::HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) noexcept override { return INPLACE_E_NOTOOLSPACE; }
  ::HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) noexcept override { return INPLACE_E_NOTOOLSPACE; }
  ::HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) noexcept override { return S_OK; }
  ::HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) noexcept override { return S_OK; }
  ::HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) noexcept override { return E_NOTIMPL; }
  ::HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) noexcept override { return S_OK; }
  ::HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) noexcept override { return E_NOTIMPL; }
  ::HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) noexcept override { return S_OK; }
  ::HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) noexcept override { return S_OK; }
  ::HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) noexcept override { return S_FALSE; }

private:
  ~TBrowserFrame() override = default;
  HWND FWindow;
};

// Key data as the logic reads it, whatever the system's message carried.
TKeyMessage KeyMessage(const MSG& Message) {
  TKeyMessage Key;
  Key.message = Message.message;
  Key.wParam = static_cast<std::uint32_t>(Message.wParam);
  Key.Modifiers = (GetKeyState(VK_SHIFT) < 0 ? VV_MOD_SHIFT : 0u) | (GetKeyState(VK_CONTROL) < 0 ? VV_MOD_CTRL : 0u) |
                  (GetKeyState(VK_MENU) < 0 ? VV_MOD_ALT : 0u);
  return Key;
}

// A key path the event wrote, for the engine to free; none when it wrote none.
::HRESULT KeyPath(const std::function<HRESULT(std::u16string&, std::uint32_t)>& Event, ::HRESULT Default,
                  LPOLESTR* pchKey, DWORD dw) {
  if (!pchKey)
    return E_POINTER;
  *pchKey = nullptr;
  if (!Event)
    return Default;
  std::u16string Key;
  const ::HRESULT Result = Event(Key, dw);
  *pchKey = TaskMemText(Key);
  return Result;
}

} // namespace

::HRESULT TBrowserSite::QueryInterface(REFIID Iid, void** Object) noexcept {
  if (!Object)
    return E_POINTER;
  if (Iid == IID_IUnknown || Iid == IID_IOleClientSite)
    *Object = static_cast<IOleClientSite*>(this);
  else if (Iid == IID_IOleWindow || Iid == IID_IOleInPlaceSite)
    *Object = static_cast<IOleInPlaceSite*>(this);
  else if (Iid == IID_IDocHostUIHandler || Iid == IID_IDocHostUIHandler2)
    *Object = static_cast<IDocHostUIHandler2*>(this);
  else if (Iid == IID_IDocHostShowUI)
    *Object = static_cast<IDocHostShowUI*>(this);
  else if (Iid == IID_IDispatch)
    *Object = static_cast<::IDispatch*>(this);
  else {
    *Object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

// ---- client site and in-place site ----

::HRESULT TBrowserSite::GetMoniker(DWORD, DWORD, IMoniker** Moniker) noexcept {
  if (Moniker)
    *Moniker = nullptr;
  return E_NOTIMPL;
}

::HRESULT TBrowserSite::GetContainer(IOleContainer** Container) noexcept {
  if (Container)
    *Container = nullptr;
  return E_NOINTERFACE;
}

::HRESULT TBrowserSite::GetWindow(HWND* Window) noexcept {
  if (!Window)
    return E_POINTER;
  *Window = FOwner ? FOwner->Handle() : nullptr;
  return FOwner ? S_OK : E_FAIL;
}

::HRESULT TBrowserSite::GetWindowContext(IOleInPlaceFrame** Frame, IOleInPlaceUIWindow** Document, LPRECT Position,
                                         LPRECT Clip, LPOLEINPLACEFRAMEINFO FrameInfo) noexcept {
  if (Frame)
    *Frame = nullptr;
  if (Document)
    *Document = nullptr;
  if (!Frame || !Document || !Position || !Clip || !FrameInfo)
    return E_POINTER;
  if (!FOwner)
    return E_FAIL;
  return ComGuard([&] {
    const HWND Window = FOwner->Handle();
    const HWND TopLevel = GetAncestor(Window, GA_ROOT);
    *Frame = new TBrowserFrame(TopLevel ? TopLevel : Window);
    GetClientRect(Window, Position);
    *Clip = *Position;
    FrameInfo->fMDIApp = FALSE;
    FrameInfo->hwndFrame = TopLevel;
    FrameInfo->haccel = nullptr;
    FrameInfo->cAccelEntries = 0;
    return S_OK;
  });
}

// ---- host UI handler: each hook the event of its name, or its default ----

::HRESULT TBrowserSite::ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown*, ::IDispatch*) noexcept {
  return ComGuard([&]() -> ::HRESULT {
    if (!FOwner || !FOwner->OnShowContextMenu)
      return S_FALSE;
    return FOwner->OnShowContextMenu(dwID, ppt ? TPoint{ppt->x, ppt->y} : TPoint{});
  });
}

// The record's size is the system's: the text's 20 is the 32-bit record, the
// 64-bit one holds its two pointers in 32. Flags and double-click as the text says.
::HRESULT TBrowserSite::GetHostInfo(DOCHOSTUIINFO* pInfo) noexcept {
  if (!pInfo)
    return E_POINTER;
  return ComGuard([&]() -> ::HRESULT {
    TDocHostUIInfo Info;
    Info.cbSize = 20;
    Info.dwFlags = FOwner ? static_cast<std::uint32_t>(FOwner->HostUIFlags()) : 0;
    Info.dwDoubleClick = 0;
    const ::HRESULT Result = FOwner && FOwner->OnGetHostInfo ? FOwner->OnGetHostInfo(Info) : S_OK;
    pInfo->cbSize = sizeof(DOCHOSTUIINFO);
    pInfo->dwFlags = Info.dwFlags;
    pInfo->dwDoubleClick = Info.dwDoubleClick;
    return Result;
  });
}

::HRESULT TBrowserSite::ShowUI(DWORD dwID, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                               IOleInPlaceUIWindow*) noexcept {
  return ComGuard([&]() -> ::HRESULT { return FOwner && FOwner->OnShowUI ? FOwner->OnShowUI(dwID) : S_FALSE; });
}

::HRESULT TBrowserSite::HideUI() noexcept {
  return ComGuard([&]() -> ::HRESULT { return FOwner && FOwner->OnHideUI ? FOwner->OnHideUI() : S_FALSE; });
}

::HRESULT TBrowserSite::UpdateUI() noexcept {
  return ComGuard([&]() -> ::HRESULT { return FOwner && FOwner->OnUpdateUI ? FOwner->OnUpdateUI() : S_FALSE; });
}

::HRESULT TBrowserSite::EnableModeless(BOOL fEnable) noexcept {
  return ComGuard([&]() -> ::HRESULT {
    return FOwner && FOwner->OnEnableModeless ? FOwner->OnEnableModeless(fEnable != FALSE) : S_FALSE;
  });
}

::HRESULT TBrowserSite::OnDocWindowActivate(BOOL fActivate) noexcept {
  return ComGuard([&]() -> ::HRESULT {
    return FOwner && FOwner->OnOnDocWindowActivate ? FOwner->OnOnDocWindowActivate(fActivate != FALSE) : S_FALSE;
  });
}

::HRESULT TBrowserSite::OnFrameWindowActivate(BOOL fActivate) noexcept {
  return ComGuard([&]() -> ::HRESULT {
    return FOwner && FOwner->OnOnFrameWindowActivate ? FOwner->OnOnFrameWindowActivate(fActivate != FALSE) : S_FALSE;
  });
}

::HRESULT TBrowserSite::ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow*, BOOL fRameWindow) noexcept {
  return ComGuard([&]() -> ::HRESULT {
    if (!FOwner || !FOwner->OnResizeBorder)
      return S_FALSE;
    const TRect Border = prcBorder ? TRect{prcBorder->left, prcBorder->top, prcBorder->right - prcBorder->left,
                                           prcBorder->bottom - prcBorder->top}
                                   : TRect{};
    return FOwner->OnResizeBorder(Border, fRameWindow != FALSE);
  });
}

::HRESULT TBrowserSite::TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID) noexcept {
  return ComGuard([&]() -> ::HRESULT {
    if (!FOwner || !FOwner->OnTranslateAccelerator || !lpMsg)
      return S_FALSE;
    return FOwner->OnTranslateAccelerator(KeyMessage(*lpMsg), pguidCmdGroup, nCmdID);
  });
}

::HRESULT TBrowserSite::GetOptionKeyPath(LPOLESTR* pchKey, DWORD dw) noexcept {
  return ComGuard([&] { return KeyPath(FOwner ? FOwner->OnGetOptionKeyPath : nullptr, S_FALSE, pchKey, dw); });
}

// Left to the implementer: with no handler the key is cleared to none, so the
// engine never reads an unset value.
::HRESULT TBrowserSite::GetOverrideKeyPath(LPOLESTR* pchKey, DWORD dw) noexcept {
  return ComGuard([&] { return KeyPath(FOwner ? FOwner->OnGetOverrideKeyPath : nullptr, S_OK, pchKey, dw); });
}

::HRESULT TBrowserSite::GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget) noexcept {
  if (!ppDropTarget)
    return E_POINTER;
  *ppDropTarget = nullptr;
  return ComGuard([&]() -> ::HRESULT {
    if (!FOwner || !FOwner->OnGetDropTarget)
      return S_OK;
    void* Target = nullptr;
    const ::HRESULT Result = FOwner->OnGetDropTarget(pDropTarget, Target);
    *ppDropTarget = static_cast<IDropTarget*>(Target);
    return Result;
  });
}

// The script object is handed out as its COM wrapper, one reference for the
// engine, which releases it with the page.
::HRESULT TBrowserSite::GetExternal(::IDispatch** ppDispatch) noexcept {
  if (!ppDispatch)
    return E_POINTER;
  *ppDispatch = nullptr;
  return ComGuard([&]() -> ::HRESULT {
    if (!FOwner || !FOwner->OnGetExternal)
      return S_FALSE;
    TDispatchRef External;
    const ::HRESULT Result = FOwner->OnGetExternal(External);
    if (SUCCEEDED(Result) && External)
      *ppDispatch = ComDispatch(External);
    return Result;
  });
}

::HRESULT TBrowserSite::TranslateUrl(DWORD dwTranslate, LPWSTR pchURLIn, LPWSTR* ppchURLOut) noexcept {
  if (!ppchURLOut)
    return E_POINTER;
  *ppchURLOut = nullptr;
  return ComGuard([&]() -> ::HRESULT {
    if (!FOwner || !FOwner->OnTranslateUrl)
      return S_FALSE;
    std::u16string Out;
    const ::HRESULT Result = FOwner->OnTranslateUrl(dwTranslate, WideOf(pchURLIn), Out);
    *ppchURLOut = TaskMemText(Out);
    return Result;
  });
}

::HRESULT TBrowserSite::FilterDataObject(IDataObject* pDO, IDataObject** ppDORet) noexcept {
  if (!ppDORet)
    return E_POINTER;
  *ppDORet = nullptr;
  return ComGuard([&]() -> ::HRESULT {
    if (!FOwner || !FOwner->OnFilterDataObject)
      return S_FALSE;
    void* Filtered = nullptr;
    const ::HRESULT Result = FOwner->OnFilterDataObject(pDO, Filtered);
    *ppDORet = static_cast<IDataObject*>(Filtered);
    return Result;
  });
}

// ---- show-UI handler ----

::HRESULT TBrowserSite::ShowMessage(HWND hwnd, LPOLESTR lpstrText, LPOLESTR lpstrCaption, DWORD dwType,
                                    LPOLESTR lpstrHelpFile, DWORD dwHelpContext, LRESULT* plResult) noexcept {
  return ComGuard([&]() -> ::HRESULT {
    if (!FOwner || !FOwner->OnShowMessage)
      return S_FALSE;
    std::int32_t Answer = plResult ? static_cast<std::int32_t>(*plResult) : 0;
    const ::HRESULT Result =
        FOwner->OnShowMessage(static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(hwnd)), WideOf(lpstrText),
                              WideOf(lpstrCaption), static_cast<std::int32_t>(dwType), WideOf(lpstrHelpFile),
                              static_cast<std::int32_t>(dwHelpContext), Answer);
    if (plResult)
      *plResult = Answer;
    return Result;
  });
}

::HRESULT TBrowserSite::ShowHelp(HWND hwnd, LPOLESTR pszHelpFile, UINT uCommand, DWORD dwData, POINT ptMouse,
                                 ::IDispatch*) noexcept {
  return ComGuard([&]() -> ::HRESULT {
    if (!FOwner || !FOwner->OnShowHelp)
      return S_FALSE;
    TPoint Mouse{ptMouse.x, ptMouse.y};
    return FOwner->OnShowHelp(static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(hwnd)), WideOf(pszHelpFile),
                              static_cast<std::int32_t>(uCommand), static_cast<std::int32_t>(dwData), Mouse);
  });
}

// ---- ambient properties ----

::HRESULT TBrowserSite::GetTypeInfoCount(UINT* Count) noexcept {
  if (Count)
    *Count = 0;
  return E_NOTIMPL;
}

::HRESULT TBrowserSite::GetTypeInfo(UINT, LCID, ITypeInfo** Info) noexcept {
  if (Info)
    *Info = nullptr;
  return E_NOTIMPL;
}

// Any other ambient property is the container's standard answer: not ours,
// so the control keeps its own default.
::HRESULT TBrowserSite::Invoke(DISPID Member, REFIID, LCID, WORD Flags, DISPPARAMS*, VARIANT* Result, EXCEPINFO*,
                               UINT*) noexcept {
  if (Member != DispidAmbientDownloadControl || !(Flags & DISPATCH_PROPERTYGET) || !Result)
    return DISP_E_MEMBERNOTFOUND;
  VariantInit(Result);
  V_VT(Result) = VT_I4;
  V_I4(Result) = FOwner ? FOwner->DownloadControlFlags() : 0;
  return S_OK;
}

} // namespace vv
