// Program entry of the viewer.
#include <QApplication>
#include <cstring>
#include <iostream>
#include <string_view>

#include "platform/u_WebEngineProtocol.h"
#include "shell/qt/frm_Main.h"
#include "storage/u_BookSelfTest.h"
#include "storage/u_MFSCabLoad.h"
#include "text/u_Utils.h"

namespace {
// The automation server switches: there is nothing to register on this
// platform, so either ends the program at once.
bool IsServerRegistrationSwitch(const char* Argument) {
  if (Argument[0] != '/' && Argument[0] != '-')
    return false;
  const std::string_view Switch(Argument + 1);
  return vv::SameText(Switch, "REGSERVER") || vv::SameText(Switch, "UNREGSERVER");
}
} // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (IsServerRegistrationSwitch(argv[i]))
      return 0;
  // For vellumpack's runtime check: the book unpacks, and no window opens.
  if (argc == 2 && std::string_view(argv[1]) == "--self-test")
    return vv::RunBookSelfTest(std::cout);
  vv::PrepareWebEngineEnvironment();
  vv::RegisterBookSchemes();
  // The content archive, the bulk of a large book, unpacks while the
  // application object and the engine start; the main window takes it at its
  // own step of start-up.
  auto ContentLoad = std::make_unique<vv::TBackgroundCabinetLoad>(
      [](vv::TMFS& Volume) { vv::LoadVolumeFromResource(Volume, "FILES_MFS"); });
  QApplication Application(argc, argv);
  QApplication::setApplicationName("Vellumark Viewer");
  // Registered as the protocol layer's platform while it lives.
  const vv::TWebEngineProtocolPlatform Platform;
  vv::TfrmMain frmMain(std::move(ContentLoad));
  frmMain.show();
  return QApplication::exec();
}
