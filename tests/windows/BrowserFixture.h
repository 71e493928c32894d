#pragma once
// A real window holding the browser control, the book schemes served from a
// volume, and the logic's message loop: what the browser tests share.

#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/win32/c_MXWebBrowser.h"
#include "platform/win32/u_UrlMonProtocol.h"
#include "platform/win32/u_Win32MessageLoop.h"
#include "protocol/u_MFSInternetProtocol.h"

namespace vvtest {

// Whether the system has the HTML engine that makes the control's documents
// (Wine has not, unless its Gecko is installed).
inline bool HasHtmlEngine() {
  // CLSID_HTMLDocument; mingw-w64's uuid library lacks it.
  static const CLSID HtmlDocument = {0x25336920, 0x03f9, 0x11cf, {0x8f, 0xd0, 0x00, 0xaa, 0x00, 0x68, 0x6f, 0x13}};
  IUnknown* Document = nullptr;
  if (FAILED(CoCreateInstance(HtmlDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(&Document))))
    return false;
  Document->Release();
  return true;
}

class BrowserFixture : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    Loop = std::make_unique<vv::TWin32MessageLoop>();
    Platform = std::make_unique<vv::TUrlMonProtocolPlatform>();
    Files = std::make_unique<vv::TMFSInternetProtocol>("mfs", &Volume);
    Files->OnAfterGetData = [this](vv::TMFSInternetProtocol*, const std::string& Path, std::string&) {
      Served.push_back(Path);
    };
    Parent = CreateWindowExW(0, L"STATIC", L"Browser test", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(Parent, nullptr);
    auto Window = vv::CreateBrowserWindow(*Loop)(Parent);
    Browser.reset(static_cast<vv::TMXWebBrowser*>(Window.release()));
  }
  void TearDown() override {
    Browser.reset();
    if (Parent)
      DestroyWindow(Parent);
    Files.reset();
    Platform.reset();
    Loop.reset();
    OleUninitialize();
  }

  void AddFile(const std::string& Path, const std::string& Content) {
    Volume.DefaultSession().ForceFolders(Path.substr(0, Path.rfind('\\') + 1));
    Volume.DefaultSession().CreateMFSFile(Path, 0, false)->Content = Content;
  }
  // Pumps the loop until Done or the time is up; Done's last answer.
  bool WaitFor(const std::function<bool()>& Done, int TimeoutMs = 10000) {
    Loop->WaitUntil(Done, TimeoutMs);
    return Done();
  }
  // Navigates and waits for the document to complete; the URL it reported.
  std::string Show(const std::string& URL) {
    std::string Completed;
    bool Done = false;
    Browser->OnDocumentComplete = [&](vv::IBrowser*, const std::string& At) {
      Completed = At;
      Done = true;
    };
    Browser->Navigate(URL);
    WaitFor([&] { return Done; });
    Browser->OnDocumentComplete = nullptr;
    return Completed;
  }

  vv::TMFS Volume;
  std::vector<std::string> Served;
  std::unique_ptr<vv::TWin32MessageLoop> Loop;
  std::unique_ptr<vv::TUrlMonProtocolPlatform> Platform;
  std::unique_ptr<vv::TMFSInternetProtocol> Files;
  HWND Parent = nullptr;
  std::unique_ptr<vv::TMXWebBrowser> Browser;
};

} // namespace vvtest
