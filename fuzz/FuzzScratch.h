#pragma once
// A scratch path of this process below the temporary folder, removed with
// everything in it when the process ends.

#include <filesystem>
#include <string>
#include <unistd.h>

namespace vvfuzz {

inline const std::filesystem::path& ScratchPath(const std::string& Prefix) {
  struct TScratch {
    std::filesystem::path Path;
    ~TScratch() {
      std::error_code Ignored;
      std::filesystem::remove_all(Path, Ignored);
    }
  };
  static const TScratch Scratch{std::filesystem::temp_directory_path() /
                                (Prefix + std::to_string(::getpid()))};
  return Scratch.Path;
}

} // namespace vvfuzz
