#pragma once
// Resources of Windows executables (PE images), read and written on any
// platform without the system's help: the packer makes Windows books on Linux
// and reads them back. Only what books use: named types and names, one
// language each.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/u_Resources.h"

namespace vv {

// Copies Count bytes from At of the file into Buffer; false on any failure.
using TFileReadAt = std::function<bool(std::uint64_t At, void* Buffer, std::size_t Count)>;

// Whether the file is a PE image ("MZ", then "PE\0\0" where its header says).
[[nodiscard]] bool IsPEImage(const TFileReadAt& ReadAt);

// The resources of a PE image of type and name strings, with their file
// offsets and sizes, the first language of each; empty when the image has no
// resources or its directory is damaged.
[[nodiscard]] std::vector<TResourceInfo> ReadPEResources(const TFileReadAt& ReadAt);

// Writes a copy of the PE image Image with a new last section holding the
// resources TypeNames (type, name), language neutral. WriteData(Offset, Index)
// writes resource Index's bytes at file Offset and returns their count;
// WriteBytes(Offset, Bytes) writes everything else, the image itself included.
// An image that already has resources, no room for one more section header,
// or resources past what a PE image can map raise EOSError.
void WritePEWithResources(std::string Image, const std::vector<std::pair<std::string, std::string>>& TypeNames,
                          const std::function<std::uint64_t(std::uint64_t Offset, std::size_t Index)>& WriteData,
                          const std::function<void(std::uint64_t Offset, const std::string& Bytes)>& WriteBytes);

} // namespace vv
