// Win32 handles; names reach the system as UTF-16 through PathOf.
#include "platform/u_SystemFile.h"

#include <windows.h>

#include <algorithm>

#include "platform/u_FileNames.h"

namespace vv {

namespace {
HANDLE Handle(std::intptr_t H) { return reinterpret_cast<HANDLE>(H); }
constexpr std::intptr_t Closed = -1; // INVALID_HANDLE_VALUE

// Whole transfers at most this long: the system's counts are 32-bit.
constexpr std::size_t MaxTransfer = 1u << 30;

OVERLAPPED At(std::uint64_t Offset) {
  OVERLAPPED O{};
  O.Offset = static_cast<DWORD>(Offset);
  O.OffsetHigh = static_cast<DWORD>(Offset >> 32);
  return O;
}
} // namespace

TSystemFile::TSystemFile(const std::string& Path, TMode Mode)
    : FHandle(reinterpret_cast<std::intptr_t>(
          Mode == TMode::Read ? CreateFileW(PathOf(Path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                              : CreateFileW(PathOf(Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr))),
      FMode(Mode) {}

TSystemFile::~TSystemFile() { Close(); }

bool TSystemFile::IsOpen() const { return FHandle != Closed; }

std::optional<std::uint64_t> TSystemFile::Size() const {
  LARGE_INTEGER Size{};
  if (!GetFileSizeEx(Handle(FHandle), &Size)) return std::nullopt;
  return static_cast<std::uint64_t>(Size.QuadPart);
}

bool TSystemFile::ReadAt(std::uint64_t Offset, void* Buffer, std::size_t Count) const {
  auto* P = static_cast<char*>(Buffer);
  while (Count > 0) {
    OVERLAPPED O = At(Offset);
    DWORD N = 0;
    if (!ReadFile(Handle(FHandle), P, static_cast<DWORD>(std::min(Count, MaxTransfer)), &N, &O)) return false;
    if (N == 0) {
      SetLastError(ERROR_HANDLE_EOF); // the file ended early
      return false;
    }
    P += N;
    Count -= N;
    Offset += N;
  }
  return true;
}

bool TSystemFile::WriteAt(std::uint64_t Offset, const void* Buffer, std::size_t Count) {
  const auto* P = static_cast<const char*>(Buffer);
  while (Count > 0) {
    OVERLAPPED O = At(Offset);
    DWORD N = 0;
    if (!WriteFile(Handle(FHandle), P, static_cast<DWORD>(std::min(Count, MaxTransfer)), &N, &O) || N == 0)
      return false;
    P += N;
    Count -= N;
    Offset += N;
  }
  return true;
}

bool TSystemFile::Finish() {
  // Executable by its name alone on Windows: nothing to set.
  const HANDLE H = Handle(FHandle);
  if (!FlushFileBuffers(H)) return false;
  FHandle = Closed;
  return CloseHandle(H) != 0;
}

void TSystemFile::Close() noexcept {
  if (FHandle != Closed) CloseHandle(Handle(FHandle));
  FHandle = Closed;
}

bool TSystemFile::Remove(const std::string& Path) noexcept {
  try {
    return DeleteFileW(PathOf(Path).c_str()) != 0;
  } catch (...) {
    return false;
  }
}

} // namespace vv
