#include "storage/u_BookSelfTest.h"

#include "storage/u_MFSCabLoad.h"

namespace vv {

int RunBookSelfTest(std::ostream& Out) {
  try {
    TMFS System, Files;
    LoadVolumeFromResource(System, "SYSTEM_MFS");
    (void)System.DefaultSession().GetFile("\\System.xml");
    LoadVolumeFromResource(Files, "FILES_MFS");
    Out << "Book unpacks: SYSTEM_MFS with System.xml, FILES_MFS\n";
    return 0;
  } catch (const std::exception& E) {
    Out << "Book does not unpack: " << E.what() << "\n";
    return 1;
  }
}

} // namespace vv
