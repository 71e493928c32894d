#include "storage/u_BookSelfTest.h"

#include "platform/u_Resources.h"
#include "storage/u_MFSCabLoad.h"

namespace vv {

int RunBookSelfTest(std::ostream& Out) {
  try {
    TMFS System, Files;
    LoadVolumeFromCabinet(System, LoadResourceData("SYSTEM_MFS"));
    (void)System.DefaultSession().GetFile("\\System.xml");
    LoadVolumeFromCabinet(Files, LoadResourceData("FILES_MFS"));
    Out << "Book unpacks: SYSTEM_MFS with System.xml, FILES_MFS\n";
    return 0;
  } catch (const std::exception& E) {
    Out << "Book does not unpack: " << E.what() << "\n";
    return 1;
  }
}

} // namespace vv
