#pragma once
// A browser window with no engine: a plain child window where the control
// would be, recording what the Win32 views ask of it.

#include <windows.h>

#include <vector>

#include "host/win32/i_BrowserWindow.h"
#include "tests/viewer_logic/FakePlatform.h"

namespace vvtest {

class TFakeBrowserWindow : public TFakeBrowserOf<IBrowserWindow> {
public:
  explicit TFakeBrowserWindow(HWND Parent)
      : Window(CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, Parent, nullptr, nullptr,
                               nullptr)) {}
  ~TFakeBrowserWindow() override { DestroyWindow(Window); }

  [[nodiscard]] HWND Handle() const override { return Window; }
  void SetBounds(const RECT& Value) override {
    Bounds = Value;
    MoveWindow(Window, Value.left, Value.top, Value.right - Value.left, Value.bottom - Value.top, TRUE);
  }
  void SetDownloadOptions(const TDownloadControlOptions& Value) override { DownloadOptions = Value; }
  void SetUserInterfaceOptions(const TUserInterfaceOptions& Value) override { UserInterfaceOptions = Value; }
  bool PreTranslateMessage(MSG&) override { return false; }

  const HWND Window;
  RECT Bounds{};
  TDownloadControlOptions DownloadOptions;
  TUserInterfaceOptions UserInterfaceOptions;
};

// Every browser window a view made, in order; the factory to hand the view.
struct TFakeBrowserWindows {
  std::vector<TFakeBrowserWindow*> Made;
  [[nodiscard]] TBrowserWindowFactory Factory() {
    return [this](HWND Parent) {
      auto Browser = std::make_unique<TFakeBrowserWindow>(Parent);
      Made.push_back(Browser.get());
      return std::unique_ptr<IBrowserWindow>(std::move(Browser));
    };
  }
};

} // namespace vvtest
