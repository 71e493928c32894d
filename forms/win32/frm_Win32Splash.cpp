#include "forms/win32/frm_Win32Splash.h"

#include <exception>

namespace vv {

namespace {
constexpr UINT WM_VV_RELEASE = WM_APP + 1;
} // namespace

// Lives apart from the view, so that the logic may destroy the view from
// inside the window's own click.
class TWin32SplashView::TWindow : public TWin32Window {
public:
  TWindow() {
    CreateHandle(L"TfrmSplash", WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, {0, 0, 0, 0}, nullptr, L"");
  }

  std::unique_ptr<TWin32Picture> imgSplash;
  std::function<void()> OnClick;

protected:
  LRESULT HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) override {
    switch (Message) {
    case WM_PAINT: {
      PAINTSTRUCT Paint;
      const HDC Canvas = BeginPaint(Handle(), &Paint);
      if (imgSplash) {
        const HDC Source = CreateCompatibleDC(Canvas);
        const HGDIOBJ Old = SelectObject(Source, imgSplash->Bitmap());
        BitBlt(Canvas, 0, 0, imgSplash->Size().Width, imgSplash->Size().Height, Source, 0, 0, SRCCOPY);
        SelectObject(Source, Old);
        DeleteDC(Source);
      }
      EndPaint(Handle(), &Paint);
      return 0;
    }
    case WM_LBUTTONUP: {
      RECT Client{};
      GetClientRect(Handle(), &Client);
      const POINT At{static_cast<short>(LOWORD(LParam)), static_cast<short>(HIWORD(LParam))};
      // A copy: the handler may close the window, and a closed window's handler stays as it is.
      if (const auto Handler = OnClick; Handler && PtInRect(&Client, At))
        Handler();
      return 0;
    }
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE; // a click must not take the reader's focus
    case WM_VV_RELEASE: DestroyWindow(Handle()); return 0;
    }
    return TWin32Window::HandleMessage(Message, WParam, LParam);
  }
  void HandleDestroyed() override { delete this; }
};

TWin32SplashView::TWin32SplashView() : FWindow(new TWindow) {
  FWindow->OnClick = [this, Alive = FLife.Token()] {
    if (IsAlive(Alive) && OnClick)
      OnClick();
  };
}

TWin32SplashView::~TWin32SplashView() { Close(); }

HWND TWin32SplashView::Handle() const { return FWindow ? FWindow->Handle() : nullptr; }

bool TWin32SplashView::LoadPicture(const std::string& Bytes, TPictureKind) {
  try {
    FWindow->imgSplash = std::make_unique<TWin32Picture>(Bytes, "splash");
  } catch (const std::exception&) {
    return false;
  }
  const TSize Size = FWindow->imgSplash->Size();
  SetWindowPos(FWindow->Handle(), nullptr, 0, 0, Size.Width, Size.Height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

TSize TWin32SplashView::WindowSize() const {
  RECT Bounds{};
  GetWindowRect(FWindow->Handle(), &Bounds);
  return {Bounds.right - Bounds.left, Bounds.bottom - Bounds.top};
}

TRect TWin32SplashView::ScreenRect() const {
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void TWin32SplashView::MoveTo(const TPoint& TopLeft) {
  SetWindowPos(FWindow->Handle(), nullptr, TopLeft.X, TopLeft.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32SplashView::Show() {
  ShowWindow(FWindow->Handle(), SW_SHOWNOACTIVATE);
  UpdateWindow(FWindow->Handle());
}

void TWin32SplashView::Close() {
  if (!FWindow)
    return;
  ShowWindow(FWindow->Handle(), SW_HIDE);
  // Not destroyed here: Close may come from inside the window's own click.
  PostMessageW(FWindow->Handle(), WM_VV_RELEASE, 0, 0);
  FWindow = nullptr;
}

} // namespace vv
