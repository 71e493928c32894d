#pragma once
// Resources of Windows executables (PE images), read and written on any
// platform without the system's help: the packer makes Windows books on Linux
// and reads them back. Types and names are strings or numbers, in every
// language; the packer keeps the viewer's own resources beside the book's.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/u_Resources.h"

namespace vv {

// Copies Count bytes from At of the file into Buffer; false on any failure.
using TFileReadAt = std::function<bool(std::uint64_t At, void* Buffer, std::size_t Count)>;

// Whether the file is a PE image ("MZ", then "PE\0\0" where its header says).
[[nodiscard]] bool IsPEImage(const TFileReadAt& ReadAt);

// A resource type or name: the string Text, or Number when Text is empty.
struct TPEResourceId {
  std::u16string Text;
  std::uint16_t Number = 0;
};

struct TPEResource {
  TPEResourceId Type, Name;
  std::uint16_t Language = 0;
  std::uint32_t CodePage = 0;
  std::uint64_t Offset = 0, Size = 0; // in the file
};

// Every resource of a PE image in directory order; empty when it has none,
// nullopt when its directory is damaged (out of range, too large, wrongly nested).
[[nodiscard]] std::optional<std::vector<TPEResource>> ReadPEResourceTable(const TFileReadAt& ReadAt);

// The same as the table of type and name strings, numbers written "#12" as
// the system's loader takes them; empty when the directory is damaged.
[[nodiscard]] std::vector<TResourceInfo> ReadPEResources(const TFileReadAt& ReadAt);

// Writes a copy of the PE image Image whose resource section holds the
// image's own resources and TypeNames (type, name, both strings), language
// neutral, which replace the image's resources of the same type and name
// (packing a packed book). WriteData(Offset, Index) writes resource Index's
// bytes at file Offset and returns their count; WriteBytes(Offset, Bytes)
// writes everything else, the image itself included. A damaged resource
// directory, no room for one more section header, or resources past what a
// PE image can map raise EOSError.
void WritePEWithResources(std::string Image, const std::vector<std::pair<std::string, std::string>>& TypeNames,
                          const std::function<std::uint64_t(std::uint64_t Offset, std::size_t Index)>& WriteData,
                          const std::function<void(std::uint64_t Offset, const std::string& Bytes)>& WriteBytes);

} // namespace vv
