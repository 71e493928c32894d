#include "shell/win32/u_Win32Viewer.h"

#include <memory>

#include "host/win32/u_ComServer.h"
#include "shell/u_ReadingStateFiles.h"

namespace vv {

namespace {
// COM clients reach the book a reader has open while its window lives; a
// refused registration (another viewer holds the classes) leaves them out.
std::unique_ptr<TComClassObjects> OfferToComClients(TfrmMain& Window) {
  const std::shared_ptr<THostExternal> Host = Window.Logic->HostExternal;
  if (!Host)
    return nullptr;
  try {
    return std::make_unique<TComClassObjects>(TComClassObjects::TSources{
        [Host] { return TDispatchRef(Host); }, [Host] { return Host->Story(); }, [Host] { return Host->UserForm(); }});
  } catch (const std::exception&) {
    return nullptr;
  }
}
} // namespace

int RunMainWindow(TMainBook Book, const TMainWindowParts& Parts, TWin32MessageLoop& Loop) {
  TReadingStateFiles States;
  TfrmMain Window(std::move(Book), Parts, Loop, States);
  Window.OnClosed = [] { PostQuitMessage(0); };
  const std::unique_ptr<TComClassObjects> ClassObjects = OfferToComClients(Window);
  Window.Show();
  const int ExitCode = Loop.Run();
  return Window.Logic->LoadFailed ? 1 : ExitCode;
}

} // namespace vv
