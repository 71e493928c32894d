// The Windows viewer, for now without its window: a book checks that its
// archives unpack through the system's cabinet library (--self-test), and
// registers itself as the automation server of its type library.
#include <windows.h>

#include <iostream>
#include <string_view>

#include "host/win32/u_ComServer.h"
#include "shell/u_CommandLine.h"
#include "storage/u_BookSelfTest.h"

namespace {
// The registration switches end the program: 0 when done, 1 with the
// system's reason otherwise.
int ChangeRegistration(vv::TServerSwitch Switch) {
  try {
    if (Switch == vv::TServerSwitch::RegServer)
      vv::RegisterComServer();
    else
      vv::UnregisterComServer();
    return 0;
  } catch (const std::exception& E) {
    std::cerr << E.what() << '\n';
    return 1;
  }
}
} // namespace

int main(int argc, char** argv) {
  const vv::TServerSwitch Switch = vv::ServerSwitchOf(argc, argv);
  if (Switch == vv::TServerSwitch::RegServer || Switch == vv::TServerSwitch::UnregServer)
    return ChangeRegistration(Switch);
  if (argc == 2 && std::string_view(argv[1]) == "--self-test")
    return vv::RunBookSelfTest(std::cout);
  std::cerr << "This viewer has no window yet; start the book with --self-test\n";
  return 2;
}
