// The book schemes through the system's URL moniker layer: real asynchronous
// binds, URL combination and comparison as the browser asks for them.
#include <windows.h>
#include <objbase.h>
#include <shlwapi.h>
#include <urlmon.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "platform/win32/u_ComObject.h"
#include "platform/win32/u_UrlMonProtocol.h"
#include "protocol/u_MFSInternetProtocol.h"
#include "text/u_Variables.h"

using vv::TMFS;
using vv::TMFSInternetProtocol;
using vv::TUrlMonProtocolPlatform;

namespace {

// Asks for an asynchronous bind to a stream and keeps the bytes and the end.
class TBindCallback final : public vv::TComObject<IBindStatusCallback> {
public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Riid, void** Object) override {
    if (Riid == IID_IUnknown || Riid == IID_IBindStatusCallback) {
      *Object = static_cast<IBindStatusCallback*>(this);
      AddRef();
      return S_OK;
    }
    *Object = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG Status, LPCWSTR) override {
    if (Status == BINDSTATUS_BEGINDOWNLOADDATA && WhenData)
      std::exchange(WhenData, nullptr)();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT Result, LPCWSTR) override {
    StopResult = Result;
    Stopped = true;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* Flags, BINDINFO* Info) override {
    *Flags = BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_PULLDATA | BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE;
    const ULONG Size = Info->cbSize;
    ZeroMemory(Info, Size);
    Info->cbSize = Size;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM* Medium) override {
    if (Medium && Medium->tymed == TYMED_ISTREAM) {
      char Chunk[4096];
      ULONG Got = 0;
      HRESULT R;
      do {
        Got = 0;
        R = Medium->pstm->Read(Chunk, sizeof Chunk, &Got);
        Data.append(Chunk, Got);
      } while (R == S_OK && Got > 0);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

  std::function<void()> WhenData;
  std::string Data;
  HRESULT StopResult = E_PENDING;
  bool Stopped = false;
};

// One asynchronous bind of a URL to a stream, as a browser makes it.
class TAsyncBind {
public:
  // WhenData runs when the first data is announced.
  explicit TAsyncBind(const std::wstring& Url, std::function<void()> WhenData = {}) : Callback(new TBindCallback) {
    Callback->WhenData = std::move(WhenData);
    Started = CreateURLMonikerEx(nullptr, Url.c_str(), &Moniker, URL_MK_UNIFORM);
    if (SUCCEEDED(Started))
      Started = CreateBindCtx(0, &Context);
    if (SUCCEEDED(Started))
      Started = RegisterBindStatusCallback(Context, Callback, nullptr, 0);
    if (SUCCEEDED(Started)) {
      IStream* Stream = nullptr;
      Started = Moniker->BindToStorage(Context, nullptr, IID_IStream, reinterpret_cast<void**>(&Stream));
      if (Stream)
        Stream->Release();
    }
  }
  ~TAsyncBind() {
    if (Context) {
      RevokeBindStatusCallback(Context, Callback);
      Context->Release();
    }
    if (Moniker)
      Moniker->Release();
    Callback->Release();
  }
  TAsyncBind(const TAsyncBind&) = delete;
  TAsyncBind& operator=(const TAsyncBind&) = delete;

  // Pumps messages until the bind ends; the bind's result (or the failure to start it).
  HRESULT Wait() {
    if (FAILED(Started))
      return Started;
    const ULONGLONG Deadline = GetTickCount64() + 10000;
    while (!Callback->Stopped && GetTickCount64() < Deadline) {
      MSG Message;
      while (PeekMessageW(&Message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&Message);
        DispatchMessageW(&Message);
      }
      if (!Callback->Stopped)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return Callback->Stopped ? Callback->StopResult : HRESULT(E_ABORT);
  }
  [[nodiscard]] const std::string& Data() const { return Callback->Data; }

private:
  TBindCallback* const Callback;
  IMoniker* Moniker = nullptr;
  IBindCtx* Context = nullptr;
  HRESULT Started = E_FAIL;
};

struct TFetched {
  HRESULT Result;
  std::string Data;
};

TFetched Fetch(const std::wstring& Url) {
  TAsyncBind Bind(Url);
  const HRESULT Result = Bind.Wait();
  return {Result, Bind.Data()};
}

std::string ErrorPage(const std::string& Url, const std::string& Message) {
  return "<html><pre><p>An exception occured during attempt to get data</p><p>URL: <b>" + Url +
         "</b></p><p>Exception: <b>" + Message + "</b></p></html>";
}

// With the flags the system's HTML engine combines with.
constexpr DWORD BrowserCombineFlags = URL_ESCAPE_SPACES_ONLY | URL_DONT_ESCAPE_EXTRA_INFO;

std::wstring Combine(const wchar_t* Base, const wchar_t* Relative, DWORD Flags = BrowserCombineFlags) {
  constexpr DWORD Size = 2084; // the longest URL the system's browser takes
  wchar_t Result[Size] = {};
  DWORD Length = 0;
  const HRESULT R = CoInternetCombineUrl(Base, Relative, Flags, Result, Size, &Length, 0);
  return SUCCEEDED(R) ? std::wstring(Result) : L"failed";
}

class UrlMonProtocol : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    auto& F = Files.DefaultSession();
    F.ForceFolders("\\chapter\\img");
    F.CreateMFSFile("\\chapter\\p.htm", 0, false)->Content = "<html><h1>%{Title}</h1>%{Unknown}</html>";
    F.CreateMFSFile("\\chapter\\two words.htm", 0, false)->Content = "blank";
    F.CreateMFSFile("\\chapter\\img\\a.gif", 0, false)->Content = std::string("GIF89a\0\x01\xff", 9);
    F.CreateMFSFile("\\empty.htm", 0, false);
    System.DefaultSession().CreateMFSFile("\\about.txt", 0, false)->Content = "about %{Title}";
    Register();
  }
  void TearDown() override {
    Release();
    CoUninitialize();
  }

  // As the viewer does: the platform first, then both schemes with the variables hook.
  void Register() {
    Platform = std::make_unique<TUrlMonProtocolPlatform>();
    FilesProtocol = std::make_unique<TMFSInternetProtocol>("mfs", &Files);
    SystemProtocol = std::make_unique<TMFSInternetProtocol>("system", &System);
    for (TMFSInternetProtocol* Protocol : {FilesProtocol.get(), SystemProtocol.get()})
      Protocol->OnAfterGetData = [this](TMFSInternetProtocol*, const std::string&, std::string& Data) {
        Variables.SubstituteInPlace(Data);
      };
  }
  void Release() {
    FilesProtocol.reset();
    SystemProtocol.reset();
    Platform.reset();
  }

  TMFS Files, System;
  vv::TVariables Variables{"<Variables><Variable Name=\"Title\">Our Book</Variable></Variables>", true};
  std::unique_ptr<TUrlMonProtocolPlatform> Platform;
  std::unique_ptr<TMFSInternetProtocol> FilesProtocol, SystemProtocol;
};

} // namespace

TEST_F(UrlMonProtocol, ServesBookFilesThroughAsynchronousBinds) {
  TFetched Page = Fetch(L"mfs:\\chapter\\p.htm");
  EXPECT_EQ(Page.Result, S_OK);
  EXPECT_EQ(Page.Data, "<html><h1>Our Book</h1>%{Unknown}</html>");

  EXPECT_EQ(Fetch(L"system:\\about.txt").Data, "about Our Book");
  EXPECT_EQ(Fetch(L"MFS:/CHAPTER/P.HTM").Data, Page.Data);
  EXPECT_EQ(Fetch(L"mfs:\\chapter\\two%20words.htm").Data, "blank");
  // Bytes reach the reader as stored, zero bytes included; an empty file is one blank.
  EXPECT_EQ(Fetch(L"mfs:\\chapter\\img\\a.gif").Data, std::string("GIF89a\0\x01\xff", 9));
  EXPECT_EQ(Fetch(L"mfs:\\empty.htm").Data, " ");
}

TEST_F(UrlMonProtocol, AMissingFileIsServedAsTheErrorPage) {
  const TFetched Missing = Fetch(L"mfs:\\chapter\\gone.htm");
  EXPECT_EQ(Missing.Result, S_OK);
  EXPECT_EQ(Missing.Data, ErrorPage("\\chapter\\gone.htm", "File &quot;\\chapter\\gone.htm&quot; not found"));
  EXPECT_EQ(Fetch(L"system:\\nope\\x.txt").Data, ErrorPage("\\nope\\x.txt", "Path &quot;\\nope\\&quot; not found"));
}

TEST_F(UrlMonProtocol, CombinesAndComparesUrlsThroughTheBookHandler) {
  const std::wstring Picture = Combine(L"mfs:\\chapter\\p.htm", L"img\\a.gif");
  EXPECT_EQ(Picture, L"mfs:\\chapter\\img\\a.gif");
  EXPECT_EQ(Fetch(Picture).Data, std::string("GIF89a\0\x01\xff", 9));
  EXPECT_EQ(Combine(L"mfs:\\chapter\\p.htm", L"img/a.gif"), L"mfs:\\chapter\\img\\a.gif");
  EXPECT_EQ(Combine(L"mfs:\\chapter\\p.htm", L"\\about.htm"), L"mfs:\\about.htm");
  EXPECT_EQ(Combine(L"mfs:\\chapter\\p.htm", L"system:\\about.txt"), L"system:\\about.txt");
  // The canonicaliser folds ".." and escapes blanks only, which the request decodes.
  const std::wstring Sibling = Combine(L"mfs:\\chapter\\img\\a.gif", L"..\\two words.htm");
  EXPECT_EQ(Sibling, L"mfs:\\chapter\\two%20words.htm");
  EXPECT_EQ(Fetch(Sibling).Data, "blank");
  EXPECT_EQ(Combine(L"mfs:\\chapter\\p.htm", L"img\\a.gif", 0), L"mfs:\\chapter\\img\\a.gif");

  // A result buffer that is too small: S_FALSE and the size needed.
  wchar_t Small[8] = {};
  DWORD Needed = 0;
  EXPECT_EQ(CoInternetCombineUrl(L"mfs:\\chapter\\p.htm", L"img\\a.gif", BrowserCombineFlags, Small, 8, &Needed, 0),
            S_FALSE);
  EXPECT_EQ(Needed, 23u);

  EXPECT_EQ(CoInternetCompareUrl(L"mfs:\\Chapter\\P.htm", L"MFS:\\chapter\\p.htm", 0), S_OK);
  EXPECT_EQ(CoInternetCompareUrl(L"mfs:\\chapter\\p.htm", L"mfs:/chapter/p.htm", 1), S_OK);
  EXPECT_EQ(CoInternetCompareUrl(L"mfs:\\chapter\\p.htm", L"mfs:/chapter/p.htm", 0), S_FALSE);
}

TEST_F(UrlMonProtocol, ReleasedSchemesNoLongerBindAndCanBeRegisteredAgain) {
  Release();
  EXPECT_FALSE(vv::ProtocolSession.Connected);
  EXPECT_TRUE(FAILED(Fetch(L"mfs:\\chapter\\p.htm").Result));
  EXPECT_TRUE(FAILED(Fetch(L"system:\\about.txt").Result));
  EXPECT_EQ(Combine(L"mfs:\\chapter\\p.htm", L"img\\a.gif").find(L"mfs:\\chapter\\img\\a.gif"), std::wstring::npos);

  Register();
  EXPECT_EQ(Fetch(L"system:\\about.txt").Data, "about Our Book");
}

TEST_F(UrlMonProtocol, RequestsRacingTheReleaseEndWithoutHarm) {
  const std::vector<std::pair<std::wstring, std::string>> Expected = {
      {L"system:\\about.txt", "about Our Book"},
      {L"mfs:\\chapter\\gone.htm",
       ErrorPage("\\chapter\\gone.htm", "File &quot;\\chapter\\gone.htm&quot; not found")},
      {L"mfs:\\chapter\\p.htm", "<html><h1>Our Book</h1>%{Unknown}</html>"}};
  // The last one releases the schemes and the platform as its data is announced.
  std::vector<std::unique_ptr<TAsyncBind>> Binds;
  for (const auto& [Url, Data] : Expected)
    Binds.push_back(std::make_unique<TAsyncBind>(
        Url, Binds.size() == 2 ? std::function<void()>([this] { Release(); }) : std::function<void()>()));
  for (std::size_t I = 0; I < Binds.size(); ++I) {
    const HRESULT Result = Binds[I]->Wait();
    ASSERT_NE(Result, E_ABORT) << "the bind never ended";
    // Served whole before the release, or refused after it; never half a page.
    EXPECT_EQ(Binds[I]->Data(), SUCCEEDED(Result) ? Expected[I].second : "");
  }
  EXPECT_EQ(vv::ProtocolSession.Find("mfs"), nullptr);
  Binds.clear();
  Register();
  EXPECT_EQ(Fetch(L"mfs:\\chapter\\two%20words.htm").Data, "blank");
}
