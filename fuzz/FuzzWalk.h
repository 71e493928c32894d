#pragma once
// Touches every file of a loaded volume, so each byte handed over is read.

#include <cstddef>
#include <string>

#include "storage/u_MFS.h"

namespace vvfuzz {

inline std::size_t Walk(const vv::TMFSFolder& Folder) {
  std::size_t Bytes = 0;
  Folder.Children.ForEach([&](const std::string&, const vv::TMFSItem* Item) {
    if (const auto* File = dynamic_cast<const vv::TMFSFile*>(Item))
      Bytes += File->Content.size();
    else
      Bytes += Walk(static_cast<const vv::TMFSFolder&>(*Item));
  });
  return Bytes;
}

} // namespace vvfuzz
