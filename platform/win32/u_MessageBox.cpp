#include "platform/win32/u_MessageBox.h"

#include "platform/win32/u_Win32Text.h"

namespace vv {

namespace {
std::wstring& Title() {
  static std::wstring Value = L"Vellumark Viewer";
  return Value;
}

void ShowBox(HWND Owner, std::string_view Message, UINT Icon) {
  MessageBoxW(Owner, BookToWindows(Message).c_str(), Title().c_str(), MB_OK | Icon);
}
} // namespace

void SetApplicationTitle(std::wstring Title) { vv::Title() = std::move(Title); }

const std::wstring& ApplicationTitle() { return Title(); }

void ShowErrorBox(HWND Owner, std::string_view Message) { ShowBox(Owner, Message, MB_ICONERROR); }

void ShowMessage(HWND Owner, std::string_view Message) { ShowBox(Owner, Message, MB_ICONINFORMATION); }

} // namespace vv
