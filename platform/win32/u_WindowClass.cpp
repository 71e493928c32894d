#include "platform/win32/u_WindowClass.h"

#include "platform/u_OSError.h"

namespace vv {

void RegisterWindowClass(const TWindowClass& Class) {
  WNDCLASSEXW Found{};
  Found.cbSize = sizeof(Found);
  if (GetClassInfoExW(GetModuleHandleW(nullptr), Class.Name, &Found))
    return;
  WNDCLASSEXW New{};
  New.cbSize = sizeof(New);
  New.style = Class.Style;
  New.lpfnWndProc = Class.Procedure;
  New.hInstance = GetModuleHandleW(nullptr);
  New.hIcon = Class.Icon;
  New.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  New.hbrBackground = Class.Background;
  New.lpszClassName = Class.Name;
  if (!RegisterClassExW(&New))
    RaiseLastOSError("RegisterClass");
}

} // namespace vv
