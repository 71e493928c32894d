#include "platform/u_SystemFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vv {

TSystemFile::TSystemFile(const std::string& Path, TMode Mode)
    : FHandle(Mode == TMode::Read ? ::open(Path.c_str(), O_RDONLY | O_CLOEXEC)
                                  : ::open(Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755)),
      FMode(Mode) {}

TSystemFile::~TSystemFile() { Close(); }

bool TSystemFile::IsOpen() const { return FHandle >= 0; }

std::optional<std::uint64_t> TSystemFile::Size() const {
  struct stat St {};
  if (::fstat(static_cast<int>(FHandle), &St) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(St.st_size);
}

bool TSystemFile::ReadAt(std::uint64_t At, void* Buffer, std::size_t Count) const {
  auto* P = static_cast<char*>(Buffer);
  while (Count > 0) {
    const ssize_t N = ::pread(static_cast<int>(FHandle), P, Count, static_cast<off_t>(At));
    if (N < 0 && errno == EINTR) continue;
    if (N < 0) return false;
    if (N == 0) {
      errno = EIO; // the file ended early
      return false;
    }
    P += N;
    Count -= static_cast<std::size_t>(N);
    At += static_cast<std::uint64_t>(N);
  }
  return true;
}

bool TSystemFile::WriteAt(std::uint64_t At, const void* Buffer, std::size_t Count) {
  const auto* P = static_cast<const char*>(Buffer);
  while (Count > 0) {
    const ssize_t N = ::pwrite(static_cast<int>(FHandle), P, Count, static_cast<off_t>(At));
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) return false;
    P += N;
    Count -= static_cast<std::size_t>(N);
    At += static_cast<std::uint64_t>(N);
  }
  return true;
}

bool TSystemFile::Finish() {
  // The umask may have removed execute bits at creation.
  const int Fd = static_cast<int>(FHandle);
  if ((FMode == TMode::Create && ::fchmod(Fd, 0755) != 0) || ::fsync(Fd) != 0) return false;
  FHandle = -1;
  return ::close(Fd) == 0;
}

void TSystemFile::Close() noexcept {
  if (FHandle >= 0) ::close(static_cast<int>(FHandle));
  FHandle = -1;
}

bool TSystemFile::Remove(const std::string& Path) noexcept { return ::unlink(Path.c_str()) == 0; }

} // namespace vv
