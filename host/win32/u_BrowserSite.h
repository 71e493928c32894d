#pragma once
// The browser control's client site: what the engine asks its container for
// (the window, the in-place frame, the host's UI handler and show-UI
// handler, the ambient properties). Each host hook is the logic's event of
// its name, with the default of an unassigned one.

#include <windows.h>
#include <mshtmhst.h>
#include <ole2.h>

#include "platform/win32/u_ComObject.h"

namespace vv {

class TMXWebBrowser;

// DISPID_AMBIENT_DLCONTROL; the system header that names it also defines the
// download-control bits as macros, which would replace our option names.
constexpr DISPID DispidAmbientDownloadControl = -5512;

class TBrowserSite final
    : public TComObject<IOleClientSite, IOleInPlaceSite, IDocHostUIHandler2, IDocHostShowUI, ::IDispatch> {
public:
  // With one reference, for the browser.
  explicit TBrowserSite(TMXWebBrowser& Owner) : FOwner(&Owner) {}
  // The browser is going: from now on every hook answers its default. The
  // engine may keep the site a little longer.
  void Detach() noexcept { FOwner = nullptr; }

  ::HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) noexcept override;

  // IOleClientSite
  ::HRESULT STDMETHODCALLTYPE SaveObject() noexcept override { return E_NOTIMPL; }
  ::HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** Moniker) noexcept override;
  ::HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** Container) noexcept override;
  ::HRESULT STDMETHODCALLTYPE ShowObject() noexcept override { return S_OK; }
  ::HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) noexcept override { return S_OK; }
  ::HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() noexcept override { return E_NOTIMPL; }

  // IOleWindow, IOleInPlaceSite
  ::HRESULT STDMETHODCALLTYPE GetWindow(HWND* Window) noexcept override;
  ::HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }
  ::HRESULT STDMETHODCALLTYPE CanInPlaceActivate() noexcept override { return FOwner ? S_OK : S_FALSE; }
  ::HRESULT STDMETHODCALLTYPE OnInPlaceActivate() noexcept override { return S_OK; }
  ::HRESULT STDMETHODCALLTYPE OnUIActivate() noexcept override { return S_OK; }
  ::HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** Frame, IOleInPlaceUIWindow** Document,
                                               LPRECT Position, LPRECT Clip,
                                               LPOLEINPLACEFRAMEINFO FrameInfo) noexcept override;
  ::HRESULT STDMETHODCALLTYPE Scroll(SIZE) noexcept override { return E_NOTIMPL; }
  ::HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) noexcept override { return S_OK; }
  ::HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() noexcept override { return S_OK; }
  ::HRESULT STDMETHODCALLTYPE DiscardUndoState() noexcept override { return E_NOTIMPL; }
  ::HRESULT STDMETHODCALLTYPE DeactivateAndUndo() noexcept override { return E_NOTIMPL; }
  ::HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) noexcept override { return S_OK; }

  // IDocHostUIHandler2
  ::HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown*, ::IDispatch*) noexcept override;
  ::HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* pInfo) noexcept override;
  ::HRESULT STDMETHODCALLTYPE ShowUI(DWORD dwID, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                     IOleInPlaceUIWindow*) noexcept override;
  ::HRESULT STDMETHODCALLTYPE HideUI() noexcept override;
  ::HRESULT STDMETHODCALLTYPE UpdateUI() noexcept override;
  ::HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) noexcept override;
  ::HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL fActivate) noexcept override;
  ::HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL fActivate) noexcept override;
  ::HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow*, BOOL fRameWindow) noexcept override;
  ::HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup,
                                                   DWORD nCmdID) noexcept override;
  ::HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* pchKey, DWORD dw) noexcept override;
  ::HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget) noexcept override;
  ::HRESULT STDMETHODCALLTYPE GetExternal(::IDispatch** ppDispatch) noexcept override;
  ::HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD dwTranslate, LPWSTR pchURLIn, LPWSTR* ppchURLOut) noexcept override;
  ::HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject* pDO, IDataObject** ppDORet) noexcept override;
  ::HRESULT STDMETHODCALLTYPE GetOverrideKeyPath(LPOLESTR* pchKey, DWORD dw) noexcept override;

  // IDocHostShowUI
  ::HRESULT STDMETHODCALLTYPE ShowMessage(HWND hwnd, LPOLESTR lpstrText, LPOLESTR lpstrCaption, DWORD dwType,
                                          LPOLESTR lpstrHelpFile, DWORD dwHelpContext,
                                          LRESULT* plResult) noexcept override;
  ::HRESULT STDMETHODCALLTYPE ShowHelp(HWND hwnd, LPOLESTR pszHelpFile, UINT uCommand, DWORD dwData, POINT ptMouse,
                                       ::IDispatch*) noexcept override;

  // IDispatch: the ambient properties; only the download control is ours.
  ::HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* Count) noexcept override;
  ::HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** Info) noexcept override;
  ::HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
    return E_NOTIMPL;
  }
  ::HRESULT STDMETHODCALLTYPE Invoke(DISPID Member, REFIID, LCID, WORD Flags, DISPPARAMS*, VARIANT* Result,
                                     EXCEPINFO*, UINT*) noexcept override;

private:
  ~TBrowserSite() override = default;
  TMXWebBrowser* FOwner;
};

} // namespace vv
