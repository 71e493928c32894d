#pragma once
// What the secondary windows share on Win32: a top-level window whose
// messages reach a C++ object, with no exception crossing the system's
// dispatch; modality over the thread's other windows; keys of a window
// handled under a message loop that is not the window's own; boxes.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/i_MessageLoop.h"

namespace vv {

class TWin32Window {
public:
  TWin32Window(const TWin32Window&) = delete;
  TWin32Window& operator=(const TWin32Window&) = delete;
  [[nodiscard]] HWND Handle() const { return FHandle; }

protected:
  TWin32Window() = default;
  // Destroys the window if it is still there.
  virtual ~TWin32Window();
  // The class is registered on first use, with the arrow cursor and the
  // dialog colour. Bounds are the window's outer rectangle.
  void CreateHandle(const wchar_t* ClassName, DWORD Style, DWORD ExStyle, const RECT& Bounds, HWND Owner,
                    const wchar_t* Caption);
  // One message; unhandled ones go to DefWindowProc. A handler that raises
  // shows the message in an error box captioned ErrorCaption.
  virtual LRESULT HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam);
  // The window is gone (destroyed by this object or with its owner): Handle()
  // is null already. The object may delete itself here.
  virtual void HandleDestroyed() {}

  std::wstring ErrorCaption;
  // The control that has the keyboard focus whenever the window is active:
  // this one at first, then the one the reader left it in.
  HWND FocusControl = nullptr;

private:
  static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) noexcept;
  HWND FHandle = nullptr;
};

// While it lives, the thread's other visible top-level windows are disabled,
// so Window is modal to the whole viewer; Release (or the destructor)
// enables again exactly those it disabled.
class TModalScope {
public:
  explicit TModalScope(HWND Window);
  ~TModalScope() { Release(); }
  TModalScope(const TModalScope&) = delete;
  TModalScope& operator=(const TModalScope&) = delete;
  void Release();

private:
  std::vector<HWND> FDisabled;
};

// Key messages taken from the thread's queue for Window or its children pass
// Handler first, whichever loop takes them; true: handled, not dispatched.
// The viewer's loop belongs to the main window, so a secondary window hooks
// its keys (dialog keys, its browser's accelerators) here.
class TKeyHook {
public:
  TKeyHook(HWND Window, std::function<bool(MSG& Message)> Handler);
  ~TKeyHook();
  TKeyHook(const TKeyHook&) = delete;
  TKeyHook& operator=(const TKeyHook&) = delete;

private:
  static LRESULT CALLBACK GetMessageProc(int Code, WPARAM WParam, LPARAM LParam) noexcept;
  HWND FWindow;
  std::function<bool(MSG&)> FHandler;
};

// A window shown modally by a call that returns when it has closed: the
// reader's close (WM_CLOSE), EndModal, or WM_QUIT for the outer loop.
class TModalWindow : public TWin32Window {
protected:
  explicit TModalWindow(IMessageLoop& Loop) : FLoop(Loop) {}
  // Shows the window over the others, disabled meanwhile, and waits in the
  // loop; Keys gets the window's key messages first.
  void RunModal(std::function<bool(MSG& Message)> Keys);
  // Enables the others again and hides the window; RunModal returns.
  void EndModal();
  LRESULT HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) override;
  // Gone with its owner: the wait ends too.
  void HandleDestroyed() override { EndModal(); }

private:
  IMessageLoop& FLoop;
  std::optional<TModalScope> FModal;
  bool FEnded = true;
};

// The font every control of the forms shows (the system's message font).
[[nodiscard]] HFONT FormFont();

// Window rectangle of a window whose client area is ClientSize, at Left, Top.
[[nodiscard]] RECT OuterBounds(int Left, int Top, SIZE ClientSize, DWORD Style, DWORD ExStyle);

// The primary screen's work area.
[[nodiscard]] RECT WorkArea();

// Moves Window to the centre of Area, keeping its size.
void CenterIn(HWND Window, const RECT& Area);

// A modal message box; Caption empty: the system's own ("Error").
int ShowBox(HWND Owner, const std::wstring& Text, const std::wstring& Caption, UINT Type);

} // namespace vv
