#pragma once
// The window of a user form on Win32: one browser showing a page of the
// book, modal to the whole viewer without a nested loop.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "forms/i_UserFormView.h"
#include "forms/win32/u_Win32Window.h"
#include "host/win32/i_BrowserWindow.h"

namespace vv {

class TWin32UserFormView : public TWin32Window, public IUserFormView {
public:
  // External: what the form's pages see as window.external (the main
  // window's host object). Owner: the window it stays in front of and goes
  // with (may be none).
  TWin32UserFormView(HWND Owner, const TBrowserWindowFactory& BrowserWindows, TDispatchRef External);

  [[nodiscard]] IBrowser& Browser() override { return *FBrowser; }
  [[nodiscard]] TRect Bounds() const override;
  void SetLeft(int Value) override;
  void SetTop(int Value) override;
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  void CenterOnScreen() override;
  void SetBorderIcons(std::uint32_t Icons) override;
  void SetBorderStyle(TFormBorderStyle Value) override;
  [[nodiscard]] std::u16string Caption() const override;
  void SetCaption(const std::u16string& Value) override;
  void HideScrollBars() override;
  void ShowModal(std::function<void()> Closed) override;
  // Hides the window at once and answers the caller; the window itself goes
  // once pending messages are handled (Close may come from its own page).
  void Close() override;
  [[nodiscard]] TLiveness Liveness() const override { return FLifetime.Token(); }

  // Closes and destroys the form now.
  void CloseNow();

  [[nodiscard]] IBrowserWindow& webUserForm() const { return *FBrowser; }

protected:
  LRESULT HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) override;
  void HandleDestroyed() override;

private:
  ~TWin32UserFormView() override;
  void Finish();
  void ApplyWindowStyle();
  void SetBounds(int Left, int Top, int Width, int Height);

  std::unique_ptr<IBrowserWindow> FBrowser;
  TDispatchRef FExternal;
  TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
  std::uint32_t FBorderIcons = biSystemMenu | biMinimize | biMaximize;
  TUserInterfaceOptions FUserInterfaceOptions;
  std::function<void()> FClosed;
  std::optional<TModalScope> FModal;
  std::optional<TKeyHook> FKeys;
  bool FFinished = false;
  TLifetime FLifetime;
};

// Where the host object's forms come from: windows owned by (in front of,
// and going with) Owner, each with a browser window from BrowserWindows.
class TWin32UserFormViews : public IUserFormViews {
public:
  TWin32UserFormViews(HWND Owner, TBrowserWindowFactory BrowserWindows);
  [[nodiscard]] IUserFormView& CreateUserFormView(TDispatchRef External) override;
  void CloseAll() override;

private:
  HWND FOwner;
  TBrowserWindowFactory FBrowserWindows;
  std::vector<std::pair<TLiveness, TWin32UserFormView*>> FForms;
};

} // namespace vv
