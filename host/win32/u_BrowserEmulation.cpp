#include "host/win32/u_BrowserEmulation.h"

#include <windows.h>


namespace vv {

bool SetBrowserEmulation() noexcept {
  wchar_t Path[MAX_PATH];
  const DWORD Length = GetModuleFileNameW(nullptr, Path, MAX_PATH);
  if (Length == 0 || Length >= MAX_PATH)
    return false;
  const wchar_t* Name = Path;
  for (const wchar_t* C = Path; *C; ++C)
    if (*C == L'\\' || *C == L'/')
      Name = C + 1;
  HKEY Key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER,
                      L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION", 0,
                      nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &Key, nullptr) != ERROR_SUCCESS)
    return false;
  DWORD Current = 0, Type = 0, Size = sizeof Current;
  bool Done = RegQueryValueExW(Key, Name, nullptr, &Type, reinterpret_cast<BYTE*>(&Current), &Size) == ERROR_SUCCESS &&
              Type == REG_DWORD && Current == BrowserEmulationMode;
  if (!Done) {
    const DWORD Mode = BrowserEmulationMode;
    Done = RegSetValueExW(Key, Name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&Mode), sizeof Mode) == ERROR_SUCCESS;
  }
  RegCloseKey(Key);
  return Done;
}

} // namespace vv
