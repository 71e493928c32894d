#pragma once
// Named byte blocks carried by an executable: on Windows the module's own
// resources; elsewhere a table appended to the end of its file (layout in
// docs/resources.md), read by type and name.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/u_OSError.h"
#include "text/u_Streams.h"

namespace vv {

// The named type the book archives are stored under.
inline constexpr std::string_view RT_RCDATA_NAME = "RCDATA";

struct TResource {
  std::string Type;
  std::string Name;
  std::string Data;
};

struct TResourceInfo {
  std::string Type;
  std::string Name;
  std::uint64_t Offset = 0; // from the start of the file
  std::uint64_t Size = 0;
};

// The bytes of the resource of type "RCDATA" named Name in the running
// executable; empty when there is none (no table, a damaged table, no such
// name). A failure to read a resource that was found raises EOSError.
[[nodiscard]] std::string LoadResourceData(std::string_view Name);

// The same for any file, a Windows image or one with the appended table.
// Type and name match without regard to case. Paths as platform/u_FileNames says.
[[nodiscard]] std::string LoadResourceDataFromFile(const std::string& Path, std::string_view Type,
                                                   std::string_view Name);

class TSystemFile;

#ifndef _WIN32
// A resource of the running executable read where it lies, a piece at a
// time, instead of whole (Windows maps its module's resources itself).
class TResourceFile {
public:
  explicit TResourceFile(std::string_view Name);
  ~TResourceFile();
  TResourceFile(const TResourceFile&) = delete;
  TResourceFile& operator=(const TResourceFile&) = delete;

  // False when the executable has no such resource (LoadResourceData's empty result).
  [[nodiscard]] bool Found() const { return FFound; }
  [[nodiscard]] std::uint64_t Size() const { return FSize; }
  // Count bytes from At within the resource; false on any failure.
  [[nodiscard]] bool ReadAt(std::uint64_t At, void* Buffer, std::size_t Count) const;

private:
  std::unique_ptr<TSystemFile> FFile;
  bool FFound = false;
  std::uint64_t FOffset = 0, FSize = 0;
};
#endif

// The entries of the file's table; empty when it has no valid table.
[[nodiscard]] std::vector<TResourceInfo> ListResources(const std::string& Path);

// A resource whose bytes Write produces straight into the output file, through
// a stream that may seek back within what it has written.
struct TResourceSource {
  std::string Type;
  std::string Name;
  std::function<void(TStream& Out)> Write;
};

// Writes OutPath: the executable ExePath (without any table it already
// carries) followed by a table of Resources; OutPath is made executable.
// Failures raise EOSError, or what a resource's Write raised; a partly
// written OutPath is removed.
void WriteExecutableWithResources(const std::string& ExePath, const std::string& OutPath,
                                  const std::vector<TResourceSource>& Resources);
void WriteExecutableWithResources(const std::string& ExePath, const std::string& OutPath,
                                  const std::vector<TResource>& Resources);

} // namespace vv
