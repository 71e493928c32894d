#pragma once
// Shared helpers of the cabinet tests: files of the test corpus and archives
// put into scratch volumes.

#include <fstream>
#include <iterator>
#include <string>

#include "storage/u_MFS.h"

namespace cabtest {

inline std::string ReadDiskFile(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  if (!In) throw std::runtime_error("cannot read " + Path);
  return std::string((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
}

inline std::string CorpusPath(const std::string& Relative) {
  return std::string(VV_TESTDATA_DIR "/cab/") + Relative;
}

// Stores Bytes as Path in Volume and returns the file.
inline vv::TMFSFile* PutFile(vv::TMFS& Volume, const std::string& Path, std::string Bytes) {
  Volume.DefaultSession().ForceFolders(vv::TMFS::ExtractPath(Path));
  vv::TMFSFile* File = Volume.DefaultSession().CreateMFSFile(Path, 0, true);
  File->Content = std::move(Bytes);
  return File;
}

} // namespace cabtest
