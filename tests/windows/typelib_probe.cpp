// Loads the type library an executable carries, as the viewer loads its own,
// and prints the library's name: the system's loader reading the resource
// directory the packer wrote. Argument: the executable's Windows path.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::wstring Path(MultiByteToWideChar(CP_ACP, 0, argv[1], -1, nullptr, 0), L'\0');
  MultiByteToWideChar(CP_ACP, 0, argv[1], -1, Path.data(), static_cast<int>(Path.size()));
  ITypeLib* Library = nullptr;
  const HRESULT Hr = LoadTypeLibEx(Path.c_str(), REGKIND_NONE, &Library);
  if (FAILED(Hr)) {
    std::printf("No type library: 0x%08lx\n", static_cast<unsigned long>(Hr));
    return 1;
  }
  BSTR Name = nullptr;
  if (SUCCEEDED(Library->GetDocumentation(-1, &Name, nullptr, nullptr, nullptr)) && Name) {
    std::string Text(WideCharToMultiByte(CP_ACP, 0, Name, -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_ACP, 0, Name, -1, Text.data(), static_cast<int>(Text.size()), nullptr, nullptr);
    std::printf("%s\n", Text.c_str());
    SysFreeString(Name);
  }
  Library->Release();
  return 0;
}
