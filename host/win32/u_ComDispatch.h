#pragma once
// Our dispatch objects as COM automation objects: what a Windows script
// engine calls through IDispatch, described by the type library the
// executable carries as resource 1 TYPELIB (host/win32/Vellumview.idl).

#include <windows.h>
#include <oaidl.h>

#include "host/u_Dispatch.h"

namespace vv {

// The dual interfaces' table slots after IDispatch's, in the type library's
// order, for callers that bind early. A failure returns E_FAIL with the
// message as the description of the thread's error information (ISupportErrorInfo).
struct IHostExternal : ::IDispatch {
  virtual ::HRESULT STDMETHODCALLTYPE get_Story(::IDispatch** Value) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE get_WebBrowser(::IDispatch** Value) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE get_UserForm(::IDispatch** Value) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE ShowUserForm(BSTR FormName) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE Terminate() = 0;
};

struct IStory : ::IDispatch {
  virtual ::HRESULT STDMETHODCALLTYPE get_Current(BSTR* Value) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE First() = 0;
  virtual ::HRESULT STDMETHODCALLTYPE Prior() = 0;
  virtual ::HRESULT STDMETHODCALLTYPE Next() = 0;
  virtual ::HRESULT STDMETHODCALLTYPE Last() = 0;
  virtual ::HRESULT STDMETHODCALLTYPE get_Bof(VARIANT_BOOL* Value) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE get_Eof(VARIANT_BOOL* Value) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE PriorChapter(LONG Level) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE NextChapter(LONG Level) = 0;
};

struct IUserForm : ::IDispatch {
  virtual ::HRESULT STDMETHODCALLTYPE get_WebBrowser(::IDispatch** Value) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE Close() = 0;
  virtual ::HRESULT STDMETHODCALLTYPE get_Left(LONG* Value) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE put_Left(LONG Value) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE get_Top(LONG* Value) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE put_Top(LONG Value) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE get_Width(LONG* Value) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE put_Width(LONG Value) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE get_Height(LONG* Value) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE put_Height(LONG Value) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE get_Caption(BSTR* Value) = 0;
  virtual ::HRESULT STDMETHODCALLTYPE put_Caption(BSTR Value) = 0;
};

extern const IID IID_IHostExternal;
extern const IID IID_IStory;
extern const IID IID_IUserForm;

// The COM object standing for Object, with one reference for the caller; an
// object has one wrapper while any reference to it lives (script compares
// objects by identity). Calls must come on the thread that made the wrapper.
// The host object, Story and user forms answer their dual interface too; the
// browser object is late bound only (its members are the system browser's).
[[nodiscard]] ::IDispatch* ComDispatch(const TDispatchRef& Object);

} // namespace vv
