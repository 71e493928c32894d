#include "tools/u_BookPack.h"

#include <filesystem>

#include "platform/u_CabWriter.h"
#include "platform/u_FileNames.h"
#include "platform/u_Resources.h"
#include "storage/u_MFSCabLoad.h"

namespace vv {

namespace fs = std::filesystem;

namespace {

// The cabinet of Volume, its container streamed in as the single member.
void WriteVolumeCabinet(const TMFS& Volume, TStream& Out, const TCabProgress& Progress = {}) {
  WriteCabinet(Out,
               {{ContainerMemberName, [&Volume](TStream& Data) { Volume.SaveToStream(Data); },
                 NowAsDosDateTime(), faArchive}},
               TCabCompression::MSZIP, Progress);
}

// The bytes of every file in the folder's tree: about what its container holds.
std::uint64_t ContentBytes(const TMFSFolder& Root) {
  std::uint64_t Bytes = 0;
  std::vector<const TMFSFolder*> Folders{&Root};
  while (!Folders.empty()) {
    const TMFSFolder* Folder = Folders.back();
    Folders.pop_back();
    for (const TMFSItem* Item : Folder->Children.Values())
      if (const auto* File = dynamic_cast<const TMFSFile*>(Item))
        Bytes += File->Content.size();
      else
        Folders.push_back(static_cast<const TMFSFolder*>(Item));
  }
  return Bytes;
}

} // namespace

std::string PackVolume(const TMFS& Volume) {
  TBytesStream Out;
  WriteVolumeCabinet(Volume, Out);
  return Out.TakeBytes();
}

void BuildBook(const TBookSource& Book, const std::string& Out, const std::string& Viewer,
               const TPackProgress& Progress) {
  if (!fs::is_regular_file(PathOf(Viewer))) throw EBookPackError(Format("Viewer \"%s\" not found", Viewer));
  const std::pair<const char*, const TMFS*> Volumes[2] = {{SystemResourceName, &Book.System},
                                                          {FilesResourceName, &Book.Files}};
  const std::uint64_t Total = ContentBytes(Book.System.Root()) + ContentBytes(Book.Files.Root());
  std::uint64_t Before = 0; // container bytes of the volumes already packed
  std::vector<TResourceSource> Resources;
  for (const auto& [Name, Volume] : Volumes)
    Resources.push_back({std::string(RT_RCDATA_NAME), Name, [&, Name, Volume](TStream& Cab) {
                           const std::string Step = Format("Compressing %s", Name);
                           std::uint64_t Done = 0;
                           WriteVolumeCabinet(*Volume, Cab, [&](std::uint64_t Bytes) {
                             Done = Bytes;
                             if (Progress) Progress(Step, std::min(Total, Before + Done), Total);
                           });
                           Before += Done;
                         }});
  if (Progress) Progress(Format("Writing %s", Out), 0, Total);
  WriteExecutableWithResources(Viewer, Out, Resources);
  if (Progress) Progress("Done", Total, Total);
}

void LoadBook(const std::string& Book, TMFS& System, TMFS& Files) {
  if (!fs::is_regular_file(PathOf(Book))) throw EBookPackError(Format("Book \"%s\" not found", Book));
  for (const auto& [Name, Volume] : {std::pair<const char*, TMFS*>{SystemResourceName, &System},
                                     std::pair<const char*, TMFS*>{FilesResourceName, &Files}}) {
    std::string Cab = LoadResourceDataFromFile(Book, RT_RCDATA_NAME, Name);
    if (Cab.empty()) throw EBookPackError(Format("\"%s\" carries no resource \"%s\"", Book, Name));
    LoadVolumeFromCabinet(*Volume, std::move(Cab));
  }
}

} // namespace vv
