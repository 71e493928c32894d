#pragma once
// The splash window on Win32: a picture in a window with no border, on top
// of the others, placed as the splash logic (forms/u_Splash) says, reporting
// clicks.

#include <windows.h>

#include <memory>

#include "forms/i_FormViews.h"
#include "forms/win32/u_Win32Window.h"
#include "platform/win32/u_Win32Picture.h"

namespace vv {

class TWin32SplashView : public ISplashView {
public:
  TWin32SplashView();
  ~TWin32SplashView() override;
  TWin32SplashView(const TWin32SplashView&) = delete;
  TWin32SplashView& operator=(const TWin32SplashView&) = delete;

  // Any picture the system reads; the kind is not checked against the bytes.
  bool LoadPicture(const std::string& Bytes, TPictureKind Type) override;
  [[nodiscard]] TSize WindowSize() const override;
  [[nodiscard]] TRect ScreenRect() const override;
  void MoveTo(const TPoint& TopLeft) override;
  void Show() override;
  void Close() override;

  // The window, until Close; then it goes by itself once pending messages are handled.
  [[nodiscard]] HWND Handle() const;

private:
  class TWindow;
  TWindow* FWindow;
  TLifetime FLife; // the window may report a click after this view is gone
};

} // namespace vv
