// Program entry of the viewer.
#include <QApplication>
#include <iostream>
#include <string_view>

#include "platform/u_WebEngineProtocol.h"
#include "shell/qt/frm_Main.h"
#include "shell/u_CommandLine.h"
#include "storage/u_BookSelfTest.h"
#include "storage/u_MFSCabLoad.h"

int main(int argc, char** argv) {
  // Nothing is registered on this platform: either registration switch ends
  // the program at once.
  const vv::TServerSwitch Switch = vv::ServerSwitchOf(argc, argv);
  if (Switch == vv::TServerSwitch::RegServer || Switch == vv::TServerSwitch::UnregServer)
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
