#include "host/win32/u_BrowserEvents.h"

#include <exdisp.h>
#include <exdispid.h>

#include "host/win32/u_ComGuard.h"
#include "host/win32/u_ComPtr.h"
#include "host/win32/u_WideText.h"

namespace vv {

namespace {

// Arguments arrive last first; by-reference variants are followed.
const VARIANT* Argument(const DISPPARAMS& Params, UINT IndexFromFirst) {
  if (IndexFromFirst >= Params.cArgs)
    return nullptr;
  const VARIANT* V = &Params.rgvarg[Params.cArgs - 1 - IndexFromFirst];
  while (V && V_VT(V) == (VT_VARIANT | VT_BYREF))
    V = V_VARIANTREF(V);
  return V;
}

std::u16string Text(const VARIANT* V) {
  if (!V)
    return {};
  if (V_VT(V) == VT_BSTR)
    return WideOf(V_BSTR(V));
  if (V_VT(V) == (VT_BSTR | VT_BYREF) && V_BSTRREF(V))
    return WideOf(*V_BSTRREF(V));
  return {};
}

void SetCancel(const VARIANT* V, bool Cancel) {
  if (V && V_VT(V) == (VT_BOOL | VT_BYREF) && V_BOOLREF(V))
    *V_BOOLREF(V) = Cancel ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace

void TBrowserEvents::Detach() noexcept {
  OnBeforeNavigate2 = nullptr;
  OnNavigateComplete2 = nullptr;
  OnDocumentComplete = nullptr;
  OnWindowClosing = nullptr;
  OnProgress = nullptr;
  FControl = nullptr;
}

::HRESULT TBrowserEvents::QueryInterface(REFIID Iid, void** Object) noexcept {
  if (!Object)
    return E_POINTER;
  if (Iid == IID_IUnknown || Iid == IID_IDispatch || Iid == DIID_DWebBrowserEvents2) {
    *Object = static_cast<::IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *Object = nullptr;
  return E_NOINTERFACE;
}

::HRESULT TBrowserEvents::GetTypeInfoCount(UINT* Count) noexcept {
  if (Count)
    *Count = 0;
  return S_OK;
}

::HRESULT TBrowserEvents::GetTypeInfo(UINT, LCID, ITypeInfo** Info) noexcept {
  if (Info)
    *Info = nullptr;
  return E_NOTIMPL;
}

bool TBrowserEvents::IsControl(const VARIANT& Source) const {
  if (!FControl || V_VT(&Source) != VT_DISPATCH || !V_DISPATCH(&Source))
    return false;
  const auto Identity = TComPtr<IUnknown>::Query(V_DISPATCH(&Source), IID_IUnknown);
  return Identity.Get() == FControl;
}

::HRESULT TBrowserEvents::Invoke(DISPID Member, REFIID, LCID, WORD, DISPPARAMS* Params, VARIANT*, EXCEPINFO*,
                                 UINT*) noexcept {
  if (!Params)
    return E_INVALIDARG;
  // A callback may let the owner go, which detaches this sink: the sink lives
  // until the call returns, and each callback is called through a copy.
  AddRef();
  const ::HRESULT Result = ComGuard([&]() -> ::HRESULT {
    const DISPPARAMS& P = *Params;
    switch (Member) {
    case DISPID_BEFORENAVIGATE2: {
      bool Cancel = false;
      const VARIANT* Source = Argument(P, 0);
      if (const auto Event = OnBeforeNavigate2; Event && Source)
        Event(Text(Argument(P, 1)), IsControl(*Source), Cancel);
      SetCancel(Argument(P, 6), Cancel);
      break;
    }
    case DISPID_NAVIGATECOMPLETE2:
    case DISPID_DOCUMENTCOMPLETE: {
      const VARIANT* Source = Argument(P, 0);
      const auto Event = Member == DISPID_NAVIGATECOMPLETE2 ? OnNavigateComplete2 : OnDocumentComplete;
      if (Event && Source)
        Event(Text(Argument(P, 1)), IsControl(*Source));
      break;
    }
    case DISPID_NEWWINDOW2:
    case DISPID_NEWWINDOW3:
      SetCancel(Argument(P, 1), true);
      break;
    case DISPID_WINDOWCLOSING:
      SetCancel(Argument(P, 1), true);
      if (const auto Event = OnWindowClosing)
        Event();
      break;
    default:
      if (const auto Event = OnProgress)
        Event();
      break;
    }
    return S_OK;
  });
  Release();
  return Result;
}

} // namespace vv
