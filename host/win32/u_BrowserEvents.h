#pragma once
// The browser control's events (DWebBrowserEvents2) as plain callbacks. New
// windows are always refused: the book's pages live in the viewer's windows.
// A page's request to close its window is always cancelled for the control,
// which never destroys itself; the owner decides.

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <string>

#include "platform/win32/u_ComObject.h"

namespace vv {

class TBrowserEvents final : public TComObject<::IDispatch> {
public:
  // Control: the control's identity, to tell its own document from a frame's;
  // not referenced (the control holds this sink).
  explicit TBrowserEvents(IUnknown* Control) : FControl(Control) {}
  // The owner is going: the callbacks are dropped, events are answered empty.
  void Detach() noexcept;

  // Top: the control's own document, not a frame's. Cancel refuses the navigation.
  std::function<void(const std::u16string& URL, bool Top, bool& Cancel)> OnBeforeNavigate2;
  std::function<void(const std::u16string& URL, bool Top)> OnNavigateComplete2;
  std::function<void(const std::u16string& URL, bool Top)> OnDocumentComplete;
  std::function<void()> OnWindowClosing;
  // Anything else the control reports: its ready state may have changed.
  std::function<void()> OnProgress;

  ::HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) noexcept override;
  ::HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* Count) noexcept override;
  ::HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** Info) noexcept override;
  ::HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
    return E_NOTIMPL;
  }
  ::HRESULT STDMETHODCALLTYPE Invoke(DISPID Member, REFIID, LCID, WORD, DISPPARAMS* Params, VARIANT*, EXCEPINFO*,
                                     UINT*) noexcept override;

private:
  ~TBrowserEvents() override = default;
  [[nodiscard]] bool IsControl(const VARIANT& Source) const;
  IUnknown* FControl;
};

} // namespace vv
