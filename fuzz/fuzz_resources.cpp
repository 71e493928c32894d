// The resource table at the end of an executable from arbitrary bytes: list
// it, then read every entry and the two book archives. Every entry must lie
// inside the file, and what is read must be exactly its bytes. The same bytes
// as a Windows viewer to pack a book into: refused, or the book reads back
// with every resource the viewer had.
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/FuzzScratch.h"
#include "platform/u_PEResources.h"
#include "platform/u_Resources.h"
#include "text/u_Utils.h"

namespace {
const std::string& ScratchFile() {
  static const std::string Path = vvfuzz::ScratchPath("vv-fuzz-resources-").string();
  return Path;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const std::string Bytes(reinterpret_cast<const char*>(Data), Size);
  std::ofstream(ScratchFile(), std::ios::binary | std::ios::trunc) << Bytes;
  const std::vector<vv::TResourceInfo> Table = vv::ListResources(ScratchFile());
  for (const vv::TResourceInfo& Entry : Table) {
    if (Entry.Offset > Size || Entry.Size > Size - Entry.Offset)
      __builtin_trap();
    // The first entry of that type and name (without regard to case) is the one read.
    const vv::TResourceInfo* First = &Entry;
    for (const vv::TResourceInfo& Earlier : Table) {
      if (&Earlier == &Entry) break;
      if (vv::SameText(Earlier.Type, Entry.Type) && vv::SameText(Earlier.Name, Entry.Name)) {
        First = &Earlier;
        break;
      }
    }
    if (vv::LoadResourceDataFromFile(ScratchFile(), Entry.Type, Entry.Name) !=
        Bytes.substr(First->Offset, First->Size))
      __builtin_trap();
  }
  (void)vv::LoadResourceDataFromFile(ScratchFile(), vv::RT_RCDATA_NAME, "SYSTEM_MFS");
  (void)vv::LoadResourceDataFromFile(ScratchFile(), vv::RT_RCDATA_NAME, "FILES_MFS");

  std::string Book;
  const auto Put = [&Book](std::uint64_t At, const std::string& Part) {
    if (Book.size() < At + Part.size()) Book.resize(At + Part.size());
    Book.replace(At, Part.size(), Part);
  };
  try {
    vv::WritePEWithResources(
        Bytes, {{"RCDATA", "SYSTEM_MFS"}},
        [&](std::uint64_t At, std::size_t) {
          Put(At, "book");
          return std::uint64_t{4};
        },
        Put);
  } catch (const vv::EOSError&) {
    return 0;
  }
  std::ofstream(ScratchFile(), std::ios::binary | std::ios::trunc) << Book;
  // The viewer's own resources stay but for the one the book replaces.
  const auto Replaced = std::count_if(Table.begin(), Table.end(), [](const vv::TResourceInfo& E) {
    return vv::SameText(E.Type, vv::RT_RCDATA_NAME) && vv::SameText(E.Name, "SYSTEM_MFS");
  });
  if (vv::LoadResourceDataFromFile(ScratchFile(), vv::RT_RCDATA_NAME, "SYSTEM_MFS") != "book" ||
      vv::ListResources(ScratchFile()).size() != Table.size() - static_cast<std::size_t>(Replaced) + 1)
    __builtin_trap();
  return 0;
}
