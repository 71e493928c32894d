#pragma once
// Programs started from a command-line program, the same on every platform
// (POSIX processes or Win32 ones behind it): arguments reach the program as
// given, with no shell between. Paths and arguments as platform/u_FileNames
// says (UTF-8 on Windows).

#include <cstdio>
#include <string>
#include <vector>

namespace vv {

// The arguments after the program's name: on Windows taken from the
// system's UTF-16 command line as UTF-8, and the console set to show the
// UTF-8 the program prints (as it was again at exit); elsewhere as given.
[[nodiscard]] std::vector<std::string> CommandLineArguments(int argc, char** argv);

// The running program's executable file; empty when the system cannot say.
[[nodiscard]] std::string RunningProgramPath();

[[nodiscard]] bool IsTerminal(std::FILE* Stream);

struct TProgramResult {
  int Status;         // the exit status; 127 when the program could not be started
  std::string Output; // standard output and error together
};

// Runs Program (looked for on the PATH when it names no folder) with Args,
// waits for it, and collects what it prints.
[[nodiscard]] TProgramResult RunProgramCapture(const std::string& Program, const std::vector<std::string>& Args);

// A program written to be run once and not kept. On Linux a file without a
// name in the temporary folder (in memory where that folder cannot hold one):
// nothing is left however this process ends, signals and kills included. On
// Windows, which runs only named files, a new name in the temporary folder,
// removed when this object goes: a packer that is killed leaves it there.
class TRunOnceProgram {
public:
  TRunOnceProgram();
  ~TRunOnceProgram();
  TRunOnceProgram(const TRunOnceProgram&) = delete;
  TRunOnceProgram& operator=(const TRunOnceProgram&) = delete;

  // Where the program is to be written, from empty.
  [[nodiscard]] const std::string& Path() const { return FPath; }
  // Runs the written program with Args on this program's console and waits:
  // its exit status, or 128 + the signal that ended it. Ctrl+C reaches the
  // program; this one stays for its status.
  [[nodiscard]] int Run(const std::vector<std::string>& Args);

private:
  std::string FPath;
  int FFd = -1; // Linux: the unnamed file
};

} // namespace vv
