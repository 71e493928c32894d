#include "tools/u_BookPack.h"

#include <filesystem>

#include "platform/u_CabWriter.h"
#include "platform/u_Resources.h"
#include "storage/u_MFSCabLoad.h"

namespace vv {

namespace fs = std::filesystem;

namespace {

std::string PackContainer(const std::string& Container) {
  return WriteCabinet({{ContainerMemberName, Container, NowAsDosDateTime(), faArchive}},
                      TCabCompression::MSZIP);
}

} // namespace

std::string PackVolume(const TMFS& Volume) {
  return PackContainer(Volume.SaveToString());
}

void BuildBook(const TBookSource& Book, const std::string& Out, const std::string& Viewer,
               const TPackProgress& Progress) {
  if (!fs::is_regular_file(Viewer)) throw EBookPackError(Format("Viewer \"%s\" not found", Viewer));
  const std::string Containers[2] = {Book.System.SaveToString(), Book.Files.SaveToString()};
  const std::uint64_t Total = Containers[0].size() + Containers[1].size() + fs::file_size(Viewer);
  std::uint64_t Done = 0;
  auto Step = [&](const std::string& Name, std::uint64_t Bytes) {
    if (Progress) Progress(Name, Done, Total);
    Done += Bytes;
  };

  std::vector<TResource> Resources;
  for (int i = 0; i < 2; ++i) {
    const char* Name = i == 0 ? SystemResourceName : FilesResourceName;
    Step(Format("Compressing %s", Name), Containers[i].size());
    Resources.push_back({std::string(RT_RCDATA_NAME), Name, PackContainer(Containers[i])});
  }
  Step(Format("Writing %s", Out), fs::file_size(Viewer));
  WriteExecutableWithResources(Viewer, Out, Resources);
  if (Progress) Progress("Done", Total, Total);
}

void LoadBook(const std::string& Book, TMFS& System, TMFS& Files) {
  if (!fs::is_regular_file(Book)) throw EBookPackError(Format("Book \"%s\" not found", Book));
  for (const auto& [Name, Volume] : {std::pair<const char*, TMFS*>{SystemResourceName, &System},
                                     std::pair<const char*, TMFS*>{FilesResourceName, &Files}}) {
    std::string Cab = LoadResourceDataFromFile(Book, RT_RCDATA_NAME, Name);
    if (Cab.empty()) throw EBookPackError(Format("\"%s\" carries no resource \"%s\"", Book, Name));
    LoadVolumeFromCabinet(*Volume, std::move(Cab));
  }
}

} // namespace vv
