#include "tools/u_RuntimeCheck.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>

namespace vv {

namespace {

std::string ShellQuoted(const std::string& Text) {
  std::string Quoted = "'";
  for (const char C : Text)
    Quoted += C == '\'' ? std::string("'\\''") : std::string(1, C);
  return Quoted + "'";
}


// ldd's lines are "name => path (address)" or "name => not found".
int CheckLibraries(const std::string& Book, std::ostream& Out) {
  const TCommandResult Ldd = RunCapture("ldd " + ShellQuoted(Book));
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

int CheckWebEngineProcess(const std::string& Default, std::ostream& Out) {
  const char* Set = std::getenv("QTWEBENGINEPROCESS_PATH");
  const std::string Path = Set && *Set ? Set : Default;
  if (std::filesystem::is_regular_file(Path)) {
    Out << "runtime: Qt WebEngine's helper process " << Path << "\n";
    return 0;
  }
  Out << "runtime: Qt WebEngine's helper process " << Path
      << " is missing (Debian package libqt6webenginecore6-bin)\n";
  return 1;
}

int CheckSelfTest(const std::string& Book, std::ostream& Out) {
  const TCommandResult Run = RunCapture(ShellQuoted(Book) + " --self-test");
  Out << "runtime: " << (Run.Output.empty() ? "no answer to --self-test\n" : Run.Output);
  if (!Run.Output.empty() && Run.Output.back() != '\n') Out << "\n";
  return Run.Status == 0 ? 0 : 1;
}

} // namespace

TCommandResult RunCapture(const std::string& Command) {
  std::unique_ptr<FILE, int (*)(FILE*)> Pipe(::popen((Command + " 2>&1").c_str(), "r"), ::pclose);
  if (!Pipe) return {127, {}};
  std::string Output;
  std::array<char, 4096> Buffer;
  std::size_t N;
  while ((N = std::fread(Buffer.data(), 1, Buffer.size(), Pipe.get())) > 0)
    Output.append(Buffer.data(), N);
  const int Status = ::pclose(Pipe.release());
  return {WIFEXITED(Status) ? WEXITSTATUS(Status) : 127, Output};
}

int CheckRuntime(const std::string& Book, const std::string& WebEngineProcess, std::ostream& Out) {
  const std::string Path = std::filesystem::absolute(Book).string();
  return CheckLibraries(Path, Out) + CheckWebEngineProcess(WebEngineProcess, Out) +
         CheckSelfTest(Path, Out);
}

} // namespace vv
