#pragma once
// A file of the system read and written at offsets, the one file access of
// the resource reader and writer on every platform (POSIX descriptors or
// Win32 handles behind it). Paths as platform/u_FileNames says. A method that
// fails leaves the system's error for RaiseLastOSError.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vv {

class TSystemFile {
public:
  enum class TMode {
    Read,
    Create // written from empty; executable where the system has such a bit
  };
  TSystemFile(const std::string& Path, TMode Mode);
  ~TSystemFile();
  TSystemFile(const TSystemFile&) = delete;
  TSystemFile& operator=(const TSystemFile&) = delete;

  // False when the file could not be opened (or was closed).
  [[nodiscard]] bool IsOpen() const;
  [[nodiscard]] std::optional<std::uint64_t> Size() const;
  // Exactly Count bytes at At; false on a short read or an error.
  [[nodiscard]] bool ReadAt(std::uint64_t At, void* Buffer, std::size_t Count) const;
  [[nodiscard]] bool WriteAt(std::uint64_t At, const void* Buffer, std::size_t Count);
  // Makes a created file executable, flushes it to the disk and closes it.
  [[nodiscard]] bool Finish();
  void Close() noexcept;

  static bool Remove(const std::string& Path) noexcept;

private:
  std::intptr_t FHandle; // a descriptor, or a HANDLE on Windows
  TMode FMode;
};

} // namespace vv
