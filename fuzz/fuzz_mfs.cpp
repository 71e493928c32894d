// Containers from arbitrary bytes: load, walk every item, write the tree to a
// scratch folder and read the volume back out as a container.
#include <cstdint>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "fuzz/FuzzWalk.h"
#include "storage/u_MFS.h"

namespace {
const std::filesystem::path& Scratch() {
  static const std::filesystem::path Dir = [] {
    auto P = std::filesystem::temp_directory_path() / ("vv-fuzz-mfs-" + std::to_string(::getpid()));
    std::filesystem::create_directories(P);
    return P;
  }();
  return Dir;
}

} // namespace

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
  const auto Out = Scratch() / "out";
  try {
    Volume.Root().SaveToDisk(Out.string());
  } catch (const vv::Exception&) {
  }
  std::filesystem::remove_all(Out);
  return 0;
}
