#include "tools/u_BookPack.h"

#include <filesystem>

#include "platform/u_CabWriter.h"
#include "platform/u_Resources.h"
#include "storage/u_MFSCabLoad.h"
#include "tools/u_MFSDiskImport.h"

namespace vv {

namespace fs = std::filesystem;

namespace {

std::uint64_t FolderBytes(const fs::path& Dir) {
  std::uint64_t Total = 0;
  for (const auto& Entry : fs::recursive_directory_iterator(Dir))
    if (Entry.is_regular_file() && !Entry.is_symlink()) Total += Entry.file_size();
  return Total;
}

} // namespace

std::string PackVolume(const TMFS& Volume) {
  return WriteCabinet({{ContainerMemberName, Volume.SaveToString(), NowAsDosDateTime(), faArchive}},
                      TCabCompression::MSZIP);
}

void BuildBook(const std::string& BookDir, const std::string& Out, const std::string& Viewer,
               const TPackProgress& Progress) {
  const fs::path Book(BookDir);
  for (const char* Sub : {"system", "files"})
    if (!fs::is_directory(Book / Sub))
      throw EBookPackError(Format("Folder \"%s\" not found", (Book / Sub).string()));
  if (!fs::is_regular_file(Viewer)) throw EBookPackError(Format("Viewer \"%s\" not found", Viewer));

  const std::uint64_t SystemBytes = FolderBytes(Book / "system");
  const std::uint64_t FilesBytes = FolderBytes(Book / "files");
  // Reading and compressing each byte, then writing the executable.
  const std::uint64_t Total = 2 * (SystemBytes + FilesBytes) + fs::file_size(Viewer);
  std::uint64_t Done = 0;
  auto Step = [&](const std::string& Name, std::uint64_t Bytes) {
    if (Progress) Progress(Name, Done, Total);
    Done += Bytes;
  };

  std::vector<TResource> Resources;
  for (const auto& [Sub, Name, Bytes] : {std::tuple{"system", SystemResourceName, SystemBytes},
                                         std::tuple{"files", FilesResourceName, FilesBytes}}) {
    TMFS Volume;
    Step(Format("Reading %s/", Sub), Bytes);
    ImportFolderFromDisk((Book / Sub).string(), Volume.Root());
    Step(Format("Compressing %s", Name), Bytes);
    Resources.push_back({std::string(RT_RCDATA_NAME), Name, PackVolume(Volume)});
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
