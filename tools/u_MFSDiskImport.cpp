#include "tools/u_MFSDiskImport.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

namespace vv {

namespace fs = std::filesystem;

namespace {
std::uint32_t DosTimeOf(const fs::path& P) {
  const auto System = std::chrono::file_clock::to_sys(fs::last_write_time(P));
  return UnixTimeToDosDateTime(std::chrono::duration_cast<std::chrono::seconds>(System.time_since_epoch()).count());
}

std::string ReadWholeFile(const fs::path& P) {
  std::ifstream In(P, std::ios::binary);
  if (!In)
    throw EMFSError(Format("Cannot read \"%s\"", P.string()));
  std::string Bytes((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  if (In.bad())
    throw EMFSError(Format("Cannot read \"%s\"", P.string()));
  return Bytes;
}
} // namespace

void ImportFolderFromDisk(const std::string& Dir, TMFSFolder& Root) {
  if (!fs::is_directory(Dir))
    throw EMFSError(Format("Folder \"%s\" not found", Dir));
  // Breadth-first with an explicit queue: no recursion however deep the folder.
  std::vector<std::pair<fs::path, TMFSFolder*>> Pending{{fs::path(Dir), &Root}};
  for (std::size_t i = 0; i < Pending.size(); ++i) {
    const auto [Path, Folder] = Pending[i];
    for (const fs::directory_entry& Entry : fs::directory_iterator(Path)) {
      const std::string Name = Entry.path().filename().string();
      if (Entry.is_symlink())
        continue;
      if (Entry.is_directory()) {
        auto* Sub = new TMFSFolder(Name, Folder->Volume, Folder);
        Sub->Attributes = faDirectory;
        Sub->DateTime = DosTimeOf(Entry.path());
        Pending.emplace_back(Entry.path(), Sub);
      } else if (Entry.is_regular_file()) {
        auto* File = new TMFSFile(Name, Folder->Volume, Folder);
        File->Attributes = faArchive;
        File->DateTime = DosTimeOf(Entry.path());
        File->Content = ReadWholeFile(Entry.path());
      }
    }
  }
}

} // namespace vv
