// Containers from arbitrary bytes: load, walk every item, write the tree to a
// scratch folder and read the volume back out as a container.
#include <cstdint>
#include <filesystem>
#include <string>

#include "fuzz/FuzzScratch.h"
#include "fuzz/FuzzWalk.h"
#include "storage/u_MFS.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  // Checksums rarely match by chance; fix the header up so the tree reader is reached.
  std::string Bytes(reinterpret_cast<const char*>(Data), Size);
  if (Bytes.size() >= 11 && Bytes[0] == 'M' && Bytes[1] == 'F' && Bytes[2] == 'S' && Bytes[3] == '!') {
    char Digits[9];
    std::snprintf(Digits, sizeof Digits, "%08X", vv::MFSChecksum(std::string_view(Bytes).substr(11)));
    Bytes.replace(3, 8, Digits, 8);
  }
  vv::TMFS Volume;
  try {
    Volume.LoadFromString(Bytes);
  } catch (const vv::Exception&) {
  }
  (void)vvfuzz::Walk(Volume.Root());
  const std::string Saved = Volume.SaveToString();
  vv::TMFS Again;
  Again.LoadFromString(Saved);
  static const std::filesystem::path Scratch = [] {
    const std::filesystem::path& Path = vvfuzz::ScratchPath("vv-fuzz-mfs-");
    std::filesystem::create_directories(Path);
    return Path;
  }();
  const auto Out = Scratch / "out";
  try {
    Volume.Root().SaveToDisk(Out.string());
  } catch (const vv::Exception&) {
  }
  std::filesystem::remove_all(Out);
  return 0;
}
