#include "shell/win32/u_Win32Viewer.h"

#include "shell/u_ReadingStateFiles.h"

namespace vv {

int RunMainWindow(TMainBook Book, const TMainWindowParts& Parts, TWin32MessageLoop& Loop) {
  TReadingStateFiles States;
  TfrmMain Window(std::move(Book), Parts, Loop, States);
  Window.OnClosed = [] { PostQuitMessage(0); };
  Window.Show();
  const int ExitCode = Loop.Run();
  return Window.Logic->LoadFailed ? 1 : ExitCode;
}

} // namespace vv
