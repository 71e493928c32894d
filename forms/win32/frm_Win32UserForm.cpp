#include "forms/win32/frm_Win32UserForm.h"

#include <string>

#include "platform/win32/u_Win32Text.h"

namespace vv {

namespace {
constexpr UINT WM_VV_RELEASE = WM_APP + 1;
// The window as designed, before a definition is applied.
constexpr RECT DesignedBounds{272, 221, 272 + 696, 221 + 480};

std::wstring Wide(const std::u16string& Text) { return {Text.begin(), Text.end()}; }
} // namespace

TWin32UserFormView::TWin32UserFormView(HWND Owner, const TBrowserWindowFactory& BrowserWindows, TDispatchRef External)
    : FExternal(std::move(External)) {
  CreateHandle(L"TfrmUserForm", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, DesignedBounds, Owner, L"frmUserForm");
  FBrowser = BrowserWindows(Handle());
  FBrowser->SetDownloadOptions({TDownloadControlOption::DLCTL_DLIMAGES, TDownloadControlOption::DLCTL_VIDEOS,
                                TDownloadControlOption::DLCTL_BGSOUNDS});
  FBrowser->SetUserInterfaceOptions(FUserInterfaceOptions);
  FocusControl = FBrowser->Handle();
  FBrowser->OnGetExternal = [this](TDispatchRef& Dispatch) {
    Dispatch = FExternal;
    return Dispatch ? VV_S_OK : VV_E_UNEXPECTED;
  };
  FBrowser->OnCloseQuery = [](IBrowser*, bool& CanClose) { CanClose = true; };
  // After the page's close request has returned: the window goes with its browser.
  FBrowser->OnCloseAccepted = [this] { PostMessageW(Handle(), WM_CLOSE, 0, 0); };
  RECT Client{};
  GetClientRect(Handle(), &Client);
  FBrowser->SetBounds(Client);
}

TWin32UserFormView::~TWin32UserFormView() {
  // The browser goes while its parent is still there.
  FBrowser.reset();
}

TRect TWin32UserFormView::Bounds() const {
  RECT Window{};
  GetWindowRect(Handle(), &Window);
  return {Window.left, Window.top, Window.right - Window.left, Window.bottom - Window.top};
}

void TWin32UserFormView::SetBounds(int Left, int Top, int Width, int Height) {
  SetWindowPos(Handle(), nullptr, Left, Top, Width, Height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32UserFormView::SetLeft(int Value) {
  const TRect B = Bounds();
  SetBounds(Value, B.Top, B.Width, B.Height);
}

void TWin32UserFormView::SetTop(int Value) {
  const TRect B = Bounds();
  SetBounds(B.Left, Value, B.Width, B.Height);
}

void TWin32UserFormView::SetWidth(int Value) {
  const TRect B = Bounds();
  SetBounds(B.Left, B.Top, Value, B.Height);
}

void TWin32UserFormView::SetHeight(int Value) {
  const TRect B = Bounds();
  SetBounds(B.Left, B.Top, B.Width, Value);
}

void TWin32UserFormView::CenterOnScreen() { CenterIn(Handle(), WorkArea()); }

void TWin32UserFormView::SetBorderIcons(std::uint32_t Icons) {
  FBorderIcons = Icons;
  ApplyWindowStyle();
}

void TWin32UserFormView::SetBorderStyle(TFormBorderStyle Value) {
  FBorderStyle = Value;
  ApplyWindowStyle();
}

void TWin32UserFormView::ApplyWindowStyle() {
  const auto Current = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE));
  DWORD Style = (Current & WS_VISIBLE) | WS_CLIPCHILDREN;
  if (FBorderStyle == TFormBorderStyle::bsNone) {
    // No border, so no place for icons: the definition's icons are kept, not shown.
    Style |= WS_POPUP;
  } else {
    Style |= WS_OVERLAPPED | WS_CAPTION;
    if (FBorderStyle == TFormBorderStyle::bsSizeable)
      Style |= WS_THICKFRAME;
    if (FBorderIcons & biSystemMenu)
      Style |= WS_SYSMENU;
    if (FBorderIcons & biMinimize)
      Style |= WS_MINIMIZEBOX;
    if (FBorderIcons & biMaximize)
      Style |= WS_MAXIMIZEBOX;
  }
  SetWindowLongPtrW(Handle(), GWL_STYLE, static_cast<LONG_PTR>(Style));
  // The outer bounds stay; the frame is drawn anew.
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

std::u16string TWin32UserFormView::Caption() const {
  const std::wstring Text = WindowText(Handle());
  return {Text.begin(), Text.end()};
}

void TWin32UserFormView::SetCaption(const std::u16string& Value) { SetWindowTextW(Handle(), Wide(Value).c_str()); }

void TWin32UserFormView::HideScrollBars() {
  FUserInterfaceOptions.insert(TUserInterfaceOption::SCROLL_NO);
  FBrowser->SetUserInterfaceOptions(FUserInterfaceOptions);
  FocusControl = FBrowser->Handle();
}

void TWin32UserFormView::ShowModal(std::function<void()> Closed) {
  FClosed = std::move(Closed);
  FModal.emplace(Handle());
  // The page's own keys (Tab between its links, its accelerators).
  FKeys.emplace(Handle(), [this](MSG& Message) { return FBrowser->PreTranslateMessage(Message); });
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
}

void TWin32UserFormView::Finish() {
  if (FFinished)
    return;
  FFinished = true;
  FKeys.reset();
  // Enabled again before this one hides, so that activation returns to them.
  FModal.reset();
  if (Handle())
    ShowWindow(Handle(), SW_HIDE);
  if (auto Closed = std::exchange(FClosed, nullptr))
    Closed();
}

void TWin32UserFormView::Close() {
  if (FFinished)
    return;
  Finish();
  if (Handle())
    PostMessageW(Handle(), WM_VV_RELEASE, 0, 0);
}

void TWin32UserFormView::CloseNow() {
  Finish();
  delete this;
}

LRESULT TWin32UserFormView::HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
  case WM_CLOSE: Close(); return 0;
  case WM_VV_RELEASE: DestroyWindow(Handle()); return 0;
  case WM_DESTROY:
    // Released, or going with its owner: the caller hears of it once, and the
    // browser goes while its window is still there.
    Finish();
    FBrowser.reset();
    return 0;
  case WM_SIZE: {
    RECT Client{};
    GetClientRect(Handle(), &Client);
    if (FBrowser)
      FBrowser->SetBounds(Client);
    return 0;
  }
  }
  return TWin32Window::HandleMessage(Message, WParam, LParam);
}

void TWin32UserFormView::HandleDestroyed() { delete this; }

TWin32UserFormViews::TWin32UserFormViews(HWND Owner, TBrowserWindowFactory BrowserWindows)
    : FOwner(Owner), FBrowserWindows(std::move(BrowserWindows)) {}

IUserFormView& TWin32UserFormViews::CreateUserFormView(TDispatchRef External) {
  std::erase_if(FForms, [](const auto& Form) { return !IsAlive(Form.first); });
  auto* Form = new TWin32UserFormView(FOwner, FBrowserWindows, std::move(External));
  FForms.emplace_back(Form->Liveness(), Form);
  return *Form;
}

void TWin32UserFormViews::CloseAll() {
  // Newest first, so that each form's owner chain enables in order.
  const auto Forms = std::exchange(FForms, {});
  for (auto Form = Forms.rbegin(); Form != Forms.rend(); ++Form)
    if (IsAlive(Form->first))
      Form->second->CloseNow();
}

} // namespace vv
