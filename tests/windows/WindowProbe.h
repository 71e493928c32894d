#pragma once
// Reading and driving Win32 windows by their handles, as a reader would, from
// tasks that a test runs inside the real message loop's waits.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/u_Win32MessageLoop.h"
#include "platform/win32/u_Win32Text.h"

namespace vvtest {

struct TFindWindow {
  const wchar_t* ClassName;
  HWND Found;
};
inline BOOL CALLBACK MatchThreadWindow(HWND Window, LPARAM Data) {
  auto* Find = reinterpret_cast<TFindWindow*>(Data);
  wchar_t Name[64] = {};
  GetClassNameW(Window, Name, 64);
  if (IsWindowVisible(Window) && std::wstring(Name) == Find->ClassName) {
    Find->Found = Window;
    return FALSE;
  }
  return TRUE;
}

// The visible top-level window of this thread with that class, or none.
inline HWND ThreadWindow(const wchar_t* ClassName) {
  TFindWindow Find{ClassName, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &MatchThreadWindow, reinterpret_cast<LPARAM>(&Find));
  return Find.Found;
}

// The texts of a window's children of one class, in order.
inline std::vector<std::wstring> ChildTexts(HWND Parent, const wchar_t* ClassName) {
  std::vector<std::wstring> Texts;
  for (HWND Child = GetWindow(Parent, GW_CHILD); Child; Child = GetWindow(Child, GW_HWNDNEXT)) {
    wchar_t Name[64] = {};
    GetClassNameW(Child, Name, 64);
    if (lstrcmpiW(Name, ClassName) == 0)
      Texts.push_back(vv::WindowText(Child));
  }
  return Texts;
}

// What a message box of this thread says, read and dismissed with its first button.
struct TBoxSeen {
  std::wstring Caption;
  std::vector<std::wstring> Texts;
  std::vector<std::wstring> Buttons;
};
inline TBoxSeen DismissBox() {
  TBoxSeen Seen;
  const HWND Box = ThreadWindow(L"#32770");
  if (!Box)
    return Seen;
  Seen.Caption = vv::WindowText(Box);
  Seen.Texts = ChildTexts(Box, L"Static");
  Seen.Buttons = ChildTexts(Box, L"Button");
  PostMessageW(Box, WM_COMMAND, IDOK, 0);
  return Seen;
}

inline std::wstring ListText(HWND List, int Row, int Column) {
  wchar_t Text[256] = {};
  LVITEMW Item{};
  Item.iSubItem = Column;
  Item.pszText = Text;
  Item.cchTextMax = 256;
  SendMessageW(List, LVM_GETITEMTEXTW, Row, reinterpret_cast<LPARAM>(&Item));
  return Text;
}

inline int ListCount(HWND List) { return static_cast<int>(SendMessageW(List, LVM_GETITEMCOUNT, 0, 0)); }

inline void PostKey(HWND Window, WPARAM Key) {
  PostMessageW(Window, WM_KEYDOWN, Key, 1);
  PostMessageW(Window, WM_KEYUP, Key, 0xC0000001);
}

inline LPARAM ClientPoint(const RECT& R) { return MAKELPARAM((R.left + R.right) / 2, (R.top + R.bottom) / 2); }

// Runs Steps from the loop one after another, each once the messages posted
// before it have been handled; the last step usually closes the window the
// test waits in.
inline void RunSteps(vv::TWin32MessageLoop& Loop, std::vector<std::function<void()>> Steps) {
  auto Shared = std::make_shared<std::vector<std::function<void()>>>(std::move(Steps));
  auto Next = std::make_shared<std::function<void(std::size_t)>>();
  *Next = [&Loop, Shared, Weak = std::weak_ptr(Next)](std::size_t Index) {
    if (Index >= Shared->size())
      return;
    (*Shared)[Index]();
    if (const auto Again = Weak.lock())
      Loop.Post([Again, Index] { (*Again)(Index + 1); });
  };
  Loop.Post([Next] { (*Next)(0); });
}

// Screenshots for a look by eye: with VV_SCREENSHOT_PAUSE_MS set, a step
// holds the screen still that long (take the picture from outside).
inline void PauseForScreenshot(vv::TWin32MessageLoop& Loop) {
  wchar_t Value[16] = {};
  if (GetEnvironmentVariableW(L"VV_SCREENSHOT_PAUSE_MS", Value, 16))
    Loop.WaitUntil([] { return false; }, _wtoi(Value));
}

} // namespace vvtest
