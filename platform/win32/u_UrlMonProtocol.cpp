#include "platform/win32/u_UrlMonProtocol.h"

#include <windows.h>
#include <objbase.h>
#include <urlmon.h>
#include <wininet.h>

#include <new>

#include "platform/win32/u_ComObject.h"

namespace {

// The class of the per-request objects, {C96D6BA7-6A8E-47F3-8B0F-993EDC457B65}.
constexpr CLSID CLSID_CustomInternetProtocol = {
    0xC96D6BA7, 0x6A8E, 0x47F3, {0x8B, 0x0F, 0x99, 0x3E, 0xDC, 0x45, 0x7B, 0x65}};

std::u16string_view View(LPCWSTR Text) {
  return Text ? std::u16string_view(reinterpret_cast<const char16_t*>(Text)) : std::u16string_view();
}

// No C++ exception may unwind into the moniker layer's frames.
template <class F> HRESULT Guard(F&& Body) noexcept {
  try {
    return Body();
  } catch (...) {
    return E_FAIL;
  }
}

// Hands the shared request's reports to the moniker layer's sink.
class TSinkAdapter final : public vv::TInternetProtocolSink {
public:
  explicit TSinkAdapter(IInternetProtocolSink* Sink) : Sink(Sink) {}
  void ReportData(std::uint32_t BSCF, std::uint32_t Progress, std::uint32_t ProgressMax) override {
    (void)Sink->ReportData(BSCF, Progress, ProgressMax);
  }
  void ReportResult(vv::HRESULT Result, std::uint32_t Error, const char16_t* Text) override {
    (void)Sink->ReportResult(Result, Error, reinterpret_cast<LPCWSTR>(Text));
  }

private:
  IInternetProtocolSink* const Sink;
};

// One request: the COM face of a TCustomInternetProtocol.
class TUrlMonProtocol final : public vv::TComObject<IInternetProtocol, IInternetProtocolInfo> {
public:
  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Riid, void** Object) override {
    if (!Object)
      return E_POINTER;
    if (Riid == IID_IUnknown || Riid == IID_IInternetProtocolRoot || Riid == IID_IInternetProtocol)
      *Object = static_cast<IInternetProtocol*>(this);
    else if (Riid == IID_IInternetProtocolInfo)
      *Object = static_cast<IInternetProtocolInfo*>(this);
    else {
      *Object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }

  // IInternetProtocolRoot
  HRESULT STDMETHODCALLTYPE Start(LPCWSTR Url, IInternetProtocolSink* Sink, IInternetBindInfo* BindInfo,
                                  DWORD Flags, HANDLE_PTR Reserved) override {
    // ReportData re-enters (Read, LockRequest, UnlockRequest, Terminate) and
    // may release the request: this object and the sink live until Start returns.
    AddRef();
    if (Sink)
      Sink->AddRef();
    TSinkAdapter Adapter(Sink);
    const HRESULT Result = Request.Start(View(Url), Sink ? &Adapter : nullptr, BindInfo, Flags, Reserved);
    if (Sink)
      Sink->Release();
    Release();
    return Result;
  }
  HRESULT STDMETHODCALLTYPE Continue(PROTOCOLDATA* Data) override {
    return Guard([&] { return Request.Continue(Data); });
  }
  HRESULT STDMETHODCALLTYPE Abort(HRESULT Reason, DWORD Options) override {
    return Guard([&] { return Request.Abort(Reason, Options); });
  }
  HRESULT STDMETHODCALLTYPE Terminate(DWORD Options) override {
    return Guard([&] { return Request.Terminate(Options); });
  }
  HRESULT STDMETHODCALLTYPE Suspend() override {
    return Guard([&] { return Request.Suspend(); });
  }
  HRESULT STDMETHODCALLTYPE Resume() override {
    return Guard([&] { return Request.Resume(); });
  }

  // IInternetProtocol
  HRESULT STDMETHODCALLTYPE Read(void* Buffer, ULONG Count, ULONG* BytesRead) override {
    std::uint32_t Got = 0;
    const HRESULT Result = Request.Read(Buffer, Count, &Got);
    if (BytesRead)
      *BytesRead = Got;
    return Result;
  }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER Move, DWORD Origin, ULARGE_INTEGER* NewPosition) override {
    (void)NewPosition; // the position never moves and is not reported
    return Guard([&] { return Request.Seek(Move.QuadPart, Origin, nullptr); });
  }
  HRESULT STDMETHODCALLTYPE LockRequest(DWORD Options) override {
    return Guard([&] { return Request.LockRequest(Options); });
  }
  HRESULT STDMETHODCALLTYPE UnlockRequest() override {
    return Guard([&] { return Request.UnlockRequest(); });
  }

  // IInternetProtocolInfo
  HRESULT STDMETHODCALLTYPE ParseUrl(LPCWSTR Url, PARSEACTION Action, DWORD Flags, LPWSTR Result, DWORD ResultSize,
                                     DWORD* ResultLength, DWORD Reserved) override {
    return Guard([&] {
      std::uint32_t Length = 0;
      const HRESULT R = Request.ParseUrl(View(Url), Action, Flags, reinterpret_cast<char16_t*>(Result), ResultSize,
                                         &Length, Reserved);
      if (SUCCEEDED(R) && ResultLength)
        *ResultLength = Length;
      return R;
    });
  }
  HRESULT STDMETHODCALLTYPE CombineUrl(LPCWSTR BaseUrl, LPCWSTR RelativeUrl, DWORD Flags, LPWSTR Result,
                                       DWORD ResultSize, DWORD* ResultLength, DWORD Reserved) override {
    std::uint32_t Length = 0;
    const HRESULT R = Request.CombineUrl(View(BaseUrl), View(RelativeUrl), Flags,
                                         reinterpret_cast<char16_t*>(Result), ResultSize, &Length, Reserved);
    if (SUCCEEDED(R) && ResultLength)
      *ResultLength = Length;
    return R;
  }
  HRESULT STDMETHODCALLTYPE CompareUrl(LPCWSTR Url1, LPCWSTR Url2, DWORD Flags) override {
    return Request.CompareUrl(View(Url1), View(Url2), Flags);
  }
  HRESULT STDMETHODCALLTYPE QueryInfo(LPCWSTR Url, QUERYOPTION Option, DWORD Flags, LPVOID Buffer, DWORD BufferSize,
                                      DWORD* BufferSizeOut, DWORD Reserved) override {
    return Guard([&] {
      std::uint32_t Size = 0;
      const HRESULT R = Request.QueryInfo(View(Url), Option, Flags, Buffer, BufferSize, &Size, Reserved);
      if (SUCCEEDED(R) && BufferSizeOut)
        *BufferSizeOut = Size;
      return R;
    });
  }

private:
  vv::TCustomInternetProtocol Request;
};

// One class object for the whole process, never freed: the moniker layer may
// hold it after the schemes are released.
class TUrlMonProtocolFactory final : public IClassFactory {
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Riid, void** Object) override {
    if (!Object)
      return E_POINTER;
    if (Riid == IID_IUnknown || Riid == IID_IClassFactory) {
      *Object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *Object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* Outer, REFIID Riid, void** Object) override {
    if (!Object)
      return E_POINTER;
    *Object = nullptr;
    // The moniker layer asks for aggregation first and then asks again without.
    if (Outer)
      return CLASS_E_NOAGGREGATION;
    auto* Protocol = new (std::nothrow) TUrlMonProtocol;
    if (!Protocol)
      return E_OUTOFMEMORY;
    const HRESULT R = Protocol->QueryInterface(Riid, Object);
    Protocol->Release();
    return R;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

TUrlMonProtocolFactory ProtocolFactory;

} // namespace

namespace vv {

TUrlMonProtocolPlatform::TUrlMonProtocolPlatform() { ProtocolSession.Platform = this; }

TUrlMonProtocolPlatform::~TUrlMonProtocolPlatform() {
  Disconnect();
  if (ProtocolSession.Platform == this)
    ProtocolSession.Platform = nullptr;
}

HRESULT TUrlMonProtocolPlatform::Connect() {
  if (InternetSession)
    return S_OK;
  return CoInternetGetSession(0, &InternetSession, 0);
}

void TUrlMonProtocolPlatform::Disconnect() {
  if (InternetSession)
    InternetSession->Release();
  InternetSession = nullptr;
}

HRESULT TUrlMonProtocolPlatform::RegisterNameSpace(const std::u16string& Protocol) {
  if (!InternetSession)
    return E_UNEXPECTED;
  return InternetSession->RegisterNameSpace(&ProtocolFactory, CLSID_CustomInternetProtocol,
                                            reinterpret_cast<LPCWSTR>(Protocol.c_str()), 0, nullptr, 0);
}

HRESULT TUrlMonProtocolPlatform::UnregisterNameSpace(const std::u16string& Protocol) {
  if (!InternetSession)
    return E_UNEXPECTED;
  return InternetSession->UnregisterNameSpace(&ProtocolFactory, reinterpret_cast<LPCWSTR>(Protocol.c_str()));
}

std::uint32_t TUrlMonProtocolPlatform::CanonicalizeUrl(std::string_view Url, std::uint32_t BufferLength,
                                                       std::uint32_t Flags, std::string& Canonical,
                                                       std::uint32_t& Length) {
  const std::string Source(Url);
  std::string Buffer(BufferLength, '\0');
  DWORD Size = BufferLength;
  // Book paths are separated by "\", which WinINet escapes by default; the
  // request decodes "%20" only, so blanks are the one thing escaped here.
  if (!InternetCanonicalizeUrlA(Source.c_str(), Buffer.data(), &Size, Flags | ICU_ENCODE_SPACES_ONLY)) {
    const DWORD Error = GetLastError();
    Length = Size;
    return Error;
  }
  Canonical.assign(Buffer.data(), Size);
  Length = Size;
  return 0;
}

} // namespace vv
