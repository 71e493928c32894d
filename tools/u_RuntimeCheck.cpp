#include "tools/u_RuntimeCheck.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/u_FileNames.h"
#include "platform/u_Process.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vv {

namespace {

#ifdef _WIN32
// The viewer hosts the system's WebBrowser control, found through its class.
int CheckSystemPieces(const std::string&, std::ostream& Out) {
  const char* Key = "CLSID\\{8856F961-340A-11D0-A96B-00C04FD705A2}\\InprocServer32";
  HKEY Found = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, Key, 0, KEY_READ, &Found) == ERROR_SUCCESS) {
    RegCloseKey(Found);
    Out << "runtime: the system's web browser control is registered\n";
    return 0;
  }
  Out << "runtime: the system's web browser control is not registered (Shell.Explorer)\n";
  return 1;
}
#else
// ldd's lines are "name => path (address)" or "name => not found".
int CheckLibraries(const std::string& Book, std::ostream& Out) {
  const TProgramResult Ldd = RunProgramCapture("ldd", {Book});
  int Found = 0, Missing = 0;
  std::istringstream Lines(Ldd.Output);
  for (std::string Line; std::getline(Lines, Line);) {
    const std::size_t Arrow = Line.find(" => ");
    if (Arrow == std::string::npos) continue;
    if (Line.find("not found", Arrow) == std::string::npos) {
      ++Found;
      continue;
    }
    const std::size_t Name = Line.find_first_not_of(" \t");
    Out << "runtime: library " << Line.substr(Name, Arrow - Name) << " not found\n";
    ++Missing;
  }
  if (Found + Missing == 0) {
    Out << "runtime: ldd could not list the libraries: " << Ldd.Output;
    return 1;
  }
  if (Missing == 0) Out << "runtime: " << Found << " shared libraries found\n";
  return Missing;
}

int CheckWebEngineProcess(std::ostream& Out) {
  const char* Set = std::getenv("QTWEBENGINEPROCESS_PATH");
  const std::string Path = Set && *Set ? Set : VV_WEBENGINE_PROCESS;
  if (std::filesystem::is_regular_file(Path)) {
    Out << "runtime: Qt WebEngine's helper process " << Path << "\n";
    return 0;
  }
  Out << "runtime: Qt WebEngine's helper process " << Path
      << " is missing (Debian package libqt6webenginecore6-bin)\n";
  return 1;
}

int CheckSystemPieces(const std::string& Book, std::ostream& Out) {
  return CheckLibraries(Book, Out) + CheckWebEngineProcess(Out);
}
#endif

int CheckSelfTest(const std::string& Book, std::ostream& Out) {
  const TProgramResult Run = RunProgramCapture(Book, {"--self-test"});
  Out << "runtime: " << (Run.Output.empty() ? "no answer to --self-test\n" : Run.Output);
  if (!Run.Output.empty() && Run.Output.back() != '\n') Out << "\n";
  return Run.Status == 0 ? 0 : 1;
}

} // namespace

int CheckRuntime(const std::string& Book, std::ostream& Out) {
  const std::string Path = NameOf(std::filesystem::absolute(PathOf(Book)));
  return CheckSystemPieces(Path, Out) + CheckSelfTest(Path, Out);
}

} // namespace vv
