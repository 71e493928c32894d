#pragma once
// A book's volume packed as the viewer reads it: the files of one volume in
// a cabinet whose single member is the volume's container.

#include <map>
#include <string>

#include "platform/u_CabWriter.h"
#include "storage/u_MFS.h"
#include "text/u_Streams.h"

namespace vvtest {

// Volume paths ("\\Bar\\a.bmp") to their bytes.
using TFiles = std::map<std::string, std::string>;

inline std::string Cabinet(const TFiles& Files) {
  vv::TMFS Volume;
  for (const auto& [Path, Content] : Files) {
    Volume.DefaultSession().ForceFolders(vv::TMFS::ExtractPath(Path));
    Volume.DefaultSession().CreateMFSFile(Path, 0, false)->Content = Content;
  }
  vv::TBytesStream Out;
  Volume.SaveToStream(Out);
  return vv::WriteCabinet({vv::TCabMember{"info.mfs", Out.TakeBytes()}}, vv::TCabCompression::MSZIP);
}

} // namespace vvtest
