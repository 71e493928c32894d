// Win32 processes. Arguments are joined into one command line quoted as the C
// runtime's parser (CommandLineToArgvW) splits it again.
#include "platform/u_Process.h"

#include <windows.h>
#include <shellapi.h>
#include <io.h>

#include <cstdlib>
#include <filesystem>

#include "platform/u_FileNames.h"
#include "text/u_Unicode.h"
#include "text/u_Utils.h"

namespace vv {

namespace {

std::wstring Wide(const std::string& Text) {
  const std::u16string Units = Utf8ToUtf16(Text);
  return std::wstring(Units.begin(), Units.end());
}

// One argument as the runtime's parser reads it back: backslashes are
// literal unless they precede a quote.
std::wstring Quoted(const std::wstring& Arg) {
  if (!Arg.empty() && Arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return Arg;
  std::wstring Out = L"\"";
  std::size_t Backslashes = 0;
  for (const wchar_t C : Arg) {
    if (C == L'\\') {
      ++Backslashes;
      continue;
    }
    Out.append(C == L'"' ? 2 * Backslashes + 1 : Backslashes, L'\\');
    Backslashes = 0;
    Out += C;
  }
  Out.append(2 * Backslashes, L'\\');
  return Out + L"\"";
}

std::wstring CommandLine(const std::string& Program, const std::vector<std::string>& Args) {
  std::wstring Line = Quoted(Wide(Program));
  for (const std::string& A : Args) Line += L" " + Quoted(Wide(A));
  return Line;
}

// Starts the program; the caller closes the handles. False when it could not.
bool Start(const std::string& Program, const std::vector<std::string>& Args, STARTUPINFOW& Startup,
           PROCESS_INFORMATION& Process) {
  std::wstring Line = CommandLine(Program, Args);
  Startup.cb = sizeof Startup;
  return CreateProcessW(nullptr, Line.data(), nullptr, nullptr, (Startup.dwFlags & STARTF_USESTDHANDLES) != 0, 0,
                        nullptr, nullptr, &Startup, &Process) != 0;
}

int WaitFor(const PROCESS_INFORMATION& Process) {
  WaitForSingleObject(Process.hProcess, INFINITE);
  DWORD Code = 127;
  GetExitCodeProcess(Process.hProcess, &Code);
  CloseHandle(Process.hThread);
  CloseHandle(Process.hProcess);
  return static_cast<int>(Code);
}

UINT ConsoleCodePageAtStart = 0;

} // namespace

std::vector<std::string> CommandLineArguments(int, char**) {
  int Count = 0;
  LPWSTR* Args = CommandLineToArgvW(GetCommandLineW(), &Count);
  std::vector<std::string> Result;
  for (int i = 1; Args && i < Count; ++i)
    Result.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(Args[i])));
  LocalFree(Args);
  ConsoleCodePageAtStart = GetConsoleOutputCP();
  if (ConsoleCodePageAtStart && ConsoleCodePageAtStart != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
    std::atexit([] { SetConsoleOutputCP(ConsoleCodePageAtStart); });
  return Result;
}

std::string RunningProgramPath() {
  std::wstring Path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD N = GetModuleFileNameW(nullptr, Path.data(), static_cast<DWORD>(Path.size()));
    if (N == 0) return {};
    if (N < Path.size()) return NameOf(std::filesystem::path(Path.substr(0, N)));
    Path.resize(Path.size() * 2);
  }
}

bool IsTerminal(std::FILE* Stream) {
  DWORD Mode = 0;
  return GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(Stream))), &Mode) != 0;
}

TProgramResult RunProgramCapture(const std::string& Program, const std::vector<std::string>& Args) {
  SECURITY_ATTRIBUTES Inherited{sizeof Inherited, nullptr, TRUE};
  HANDLE Read = nullptr, Write = nullptr;
  if (!CreatePipe(&Read, &Write, &Inherited, 0)) return {127, {}};
  SetHandleInformation(Read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW Startup{};
  Startup.dwFlags = STARTF_USESTDHANDLES;
  Startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  Startup.hStdOutput = Write;
  Startup.hStdError = Write;
  PROCESS_INFORMATION Process{};
  const bool Started = Start(Program, Args, Startup, Process);
  CloseHandle(Write); // the child's copy is the last writer: reading ends when it does
  std::string Output;
  char Buffer[4096];
  DWORD N = 0;
  while (Started && ReadFile(Read, Buffer, sizeof Buffer, &N, nullptr) && N > 0) Output.append(Buffer, N);
  CloseHandle(Read);
  if (!Started) return {127, {}};
  return {WaitFor(Process), std::move(Output)};
}

TRunOnceProgram::TRunOnceProgram() {
  const std::filesystem::path Folder = std::filesystem::temp_directory_path();
  FPath = NameOf(Folder / Format("vellumbook-%u-%u.exe", static_cast<unsigned>(GetCurrentProcessId()),
                                 static_cast<unsigned>(GetTickCount())));
}

TRunOnceProgram::~TRunOnceProgram() {
  DeleteFileW(PathOf(FPath).c_str());
}

int TRunOnceProgram::Run(const std::vector<std::string>& Args) {
  STARTUPINFOW Startup{};
  PROCESS_INFORMATION Process{};
  if (!Start(FPath, Args, Startup, Process)) throw Exception("Cannot start the viewer");
  // Ctrl+C reaches the book on the shared console; this process waits on.
  SetConsoleCtrlHandler(nullptr, TRUE);
  const int Status = WaitFor(Process);
  SetConsoleCtrlHandler(nullptr, FALSE);
  return Status;
}

} // namespace vv
