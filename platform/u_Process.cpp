#include "platform/u_Process.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>

#include "platform/u_OSError.h"
#include "text/u_Utils.h"

namespace vv {

namespace {

std::vector<char*> Argv(const std::string& Name, const std::vector<std::string>& Args) {
  std::vector<char*> Argv{const_cast<char*>(Name.c_str())};
  for (const std::string& A : Args) Argv.push_back(const_cast<char*>(A.c_str()));
  Argv.push_back(nullptr);
  return Argv;
}

// The exit status of a waited child, as shells report it.
int WaitFor(pid_t Child) {
  int Status = 0;
  while (::waitpid(Child, &Status, 0) < 0)
    if (errno != EINTR) return 127;
  if (WIFSIGNALED(Status)) return 128 + WTERMSIG(Status);
  return WIFEXITED(Status) ? WEXITSTATUS(Status) : 127;
}

} // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

std::string RunningProgramPath() {
  std::error_code Ec;
  const std::filesystem::path Self = std::filesystem::read_symlink("/proc/self/exe", Ec);
  return Ec ? std::string() : Self.string();
}

bool IsTerminal(std::FILE* Stream) { return ::isatty(::fileno(Stream)) == 1; }

TProgramResult RunProgramCapture(const std::string& Program, const std::vector<std::string>& Args) {
  int Pipe[2];
  if (::pipe2(Pipe, O_CLOEXEC) != 0) return {127, {}};
  const std::vector<char*> Arguments = Argv(Program, Args);
  const pid_t Child = ::fork();
  if (Child < 0) {
    ::close(Pipe[0]);
    ::close(Pipe[1]);
    return {127, {}};
  }
  if (Child == 0) {
    ::dup2(Pipe[1], STDOUT_FILENO);
    ::dup2(Pipe[1], STDERR_FILENO);
    ::execvp(Program.c_str(), Arguments.data());
    ::_exit(127);
  }
  ::close(Pipe[1]);
  std::string Output;
  char Buffer[4096];
  for (;;) {
    const ssize_t N = ::read(Pipe[0], Buffer, sizeof Buffer);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) break;
    Output.append(Buffer, static_cast<std::size_t>(N));
  }
  ::close(Pipe[0]);
  return {WaitFor(Child), std::move(Output)};
}

TRunOnceProgram::TRunOnceProgram() {
  const std::string Folder = std::filesystem::temp_directory_path().string();
  FFd = ::open(Folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0700);
  if (FFd < 0) FFd = ::memfd_create("vellumbook", MFD_CLOEXEC);
  if (FFd < 0) throw Exception(Format("Cannot create a temporary file in \"%s\"", Folder));
  FPath = Format("/proc/self/fd/%d", FFd);
}

TRunOnceProgram::~TRunOnceProgram() {
  if (FFd >= 0) ::close(FFd);
}

int TRunOnceProgram::Run(const std::vector<std::string>& Args) {
  // No writer may stay open on a file that is executed; the program, or the
  // interpreter of a program that is a script, opens it by this descriptor.
  const int Runnable = ::open(FPath.c_str(), O_RDONLY);
  ::close(FFd);
  FFd = -1;
  if (Runnable < 0) throw Exception("Cannot start the viewer");
  const std::string RunnablePath = Format("/proc/self/fd/%d", Runnable);
  const std::vector<char*> Arguments = Argv("vellumbook", Args);
  const pid_t Child = ::fork();
  if (Child < 0) {
    ::close(Runnable);
    throw Exception("Cannot start the viewer");
  }
  if (Child == 0) {
    ::execv(RunnablePath.c_str(), Arguments.data());
    std::perror("vellumbook");
    ::_exit(127);
  }
  ::close(Runnable);
  std::signal(SIGINT, SIG_IGN);
  return WaitFor(Child);
}

} // namespace vv
