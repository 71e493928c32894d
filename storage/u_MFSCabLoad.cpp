#include "storage/u_MFSCabLoad.h"

#include <memory>

#include "storage/u_MFSCab.h"

namespace vv {

void LoadVolumeFromCabinet(TMFS& Volume, std::string CabBytes) {
  auto Scratch = std::make_unique<TMFS>();
  TMFSSession& Session = Scratch->DefaultSession();
  Session.CreateFile("\\info.cab", 0, false)->Content = std::move(CabBytes);
  {
    TMFSCabReader Reader(&Session, "\\info.cab");
    Reader.Extract("info.mfs", "\\info.mfs");
  }
  // The archive is no longer needed: drop it before the tree is built.
  Session.GetFile("\\info.cab")->Content = std::string();
  Volume.LoadFromString(Session.GetFile("\\info.mfs")->Content);
}

} // namespace vv
