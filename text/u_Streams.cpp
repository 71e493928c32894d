#include "text/u_Streams.h"

#include <algorithm>
#include <cstring>

namespace vv {

namespace {
const char* const SReadError = "Stream read error";
const char* const SWriteError = "Stream write error";

std::int64_t SeekWithin(std::int64_t Pos, std::int64_t Size, std::int64_t Offset, int Origin) {
  switch (Origin) {
  case soBeginning: Pos = Offset; break;
  case soCurrent: Pos += Offset; break;
  case soEnd: Pos = Size + Offset; break;
  default: break;
  }
  return std::clamp<std::int64_t>(Pos, 0, Size);
}
} // namespace

void TStream::ReadBuffer(void* Buffer, std::int64_t Count) {
  if (Count > 0 && Read(Buffer, Count) != Count)
    throw EReadError(SReadError);
}

void TStream::WriteBuffer(const void* Buffer, std::int64_t Count) {
  if (Count > 0 && Write(Buffer, Count) != Count)
    throw EWriteError(SWriteError);
}

std::uint32_t TStream::ReadUInt32() {
  unsigned char B[4];
  ReadBuffer(B, 4);
  return static_cast<std::uint32_t>(B[0]) | static_cast<std::uint32_t>(B[1]) << 8 |
         static_cast<std::uint32_t>(B[2]) << 16 | static_cast<std::uint32_t>(B[3]) << 24;
}

void TStream::WriteUInt32(std::uint32_t Value) {
  const unsigned char B[4] = {static_cast<unsigned char>(Value), static_cast<unsigned char>(Value >> 8),
                              static_cast<unsigned char>(Value >> 16),
                              static_cast<unsigned char>(Value >> 24)};
  WriteBuffer(B, 4);
}

std::string TStream::ReadSizedBytes() {
  const std::uint32_t Length = ReadUInt32();
  if (Length >= 0x80000000u || static_cast<std::int64_t>(Length) > Remaining())
    throw EReadError(SReadError);
  return ReadString(Length);
}

std::string TStream::ReadString(std::int64_t Count) {
  std::string Bytes(static_cast<std::size_t>(Count), '\0');
  ReadBuffer(Bytes.data(), Count);
  return Bytes;
}

void TStream::WriteSizedBytes(std::string_view Bytes) {
  if (Bytes.size() >= 0x80000000u)
    throw EWriteError(SWriteError);
  WriteUInt32(static_cast<std::uint32_t>(Bytes.size()));
  WriteBytes(Bytes);
}

std::int64_t TBytesReadStream::Read(void* Buffer, std::int64_t Count) {
  const std::int64_t N = std::clamp<std::int64_t>(Count, 0, Size() - Pos);
  if (N > 0)
    std::memcpy(Buffer, Bytes.data() + Pos, static_cast<std::size_t>(N));
  Pos += N;
  return N;
}

std::string TBytesReadStream::ReadString(std::int64_t Count) {
  if (Count < 0 || Count > Size() - Pos)
    throw EReadError(SReadError);
  std::string Result(Bytes.substr(static_cast<std::size_t>(Pos), static_cast<std::size_t>(Count)));
  Pos += Count;
  return Result;
}

std::int64_t TBytesReadStream::Write(const void*, std::int64_t) { return 0; }

std::int64_t TBytesReadStream::Seek(std::int64_t Offset, int Origin) {
  return Pos = SeekWithin(Pos, Size(), Offset, Origin);
}

void TBytesReadStream::SetSize(std::int64_t) { throw EStreamError("Stream is read-only"); }

std::int64_t TSourceStream::Pull(std::int64_t Count, const std::function<void(std::string_view)>& Take) {
  std::int64_t Done = 0;
  while (Done < Count && Pos < Total) {
    if (Piece.empty() && (Piece = Next()).empty())
      break; // the source ended early
    const auto N = static_cast<std::size_t>(
        std::min<std::int64_t>({Count - Done, Total - Pos, static_cast<std::int64_t>(Piece.size())}));
    Take(Piece.substr(0, N));
    Piece.remove_prefix(N);
    Done += static_cast<std::int64_t>(N);
    Pos += static_cast<std::int64_t>(N);
  }
  return Done;
}

std::int64_t TSourceStream::Read(void* Buffer, std::int64_t Count) {
  auto* Out = static_cast<char*>(Buffer);
  return Pull(Count, [&Out](std::string_view Bytes) { Out = std::copy(Bytes.begin(), Bytes.end(), Out); });
}

std::string TSourceStream::ReadString(std::int64_t Count) {
  if (Count < 0 || Count > Total - Pos)
    throw EReadError(SReadError);
  std::string Result;
  Result.reserve(static_cast<std::size_t>(Count));
  if (Pull(Count, [&Result](std::string_view Bytes) { Result.append(Bytes); }) != Count)
    throw EReadError(SReadError);
  return Result;
}

std::int64_t TSourceStream::Write(const void*, std::int64_t) {
  return 0;
}

std::int64_t TSourceStream::Seek(std::int64_t Offset, int Origin) {
  if (SeekWithin(Pos, Total, Offset, Origin) != Pos) throw EStreamError("Stream cannot seek");
  return Pos;
}

void TSourceStream::SetSize(std::int64_t) {
  throw EStreamError("Stream is read-only");
}

std::int64_t TSinkStream::Read(void*, std::int64_t) {
  return 0;
}

std::int64_t TSinkStream::Write(const void* Buffer, std::int64_t Count) {
  if (Count <= 0)
    return 0;
  Take(std::string_view(static_cast<const char*>(Buffer), static_cast<std::size_t>(Count)));
  Taken += Count;
  return Count;
}

std::int64_t TSinkStream::Seek(std::int64_t Offset, int Origin) {
  if (SeekWithin(Taken, Taken, Offset, Origin) != Taken)
    throw EStreamError("Stream cannot seek back");
  return Taken;
}

void TSinkStream::SetSize(std::int64_t) { throw EStreamError("Stream cannot change its size"); }

std::int64_t TBytesStream::Read(void* Buffer, std::int64_t Count) {
  const std::int64_t N = std::clamp<std::int64_t>(Count, 0, Size() - Pos);
  if (N > 0)
    std::memcpy(Buffer, Data.data() + Pos, static_cast<std::size_t>(N));
  Pos += N;
  return N;
}

std::int64_t TBytesStream::Write(const void* Buffer, std::int64_t Count) {
  if (Count <= 0)
    return 0;
  if (Pos + Count > Size())
    Data.resize(static_cast<std::size_t>(Pos + Count));
  std::memcpy(Data.data() + Pos, Buffer, static_cast<std::size_t>(Count));
  Pos += Count;
  return Count;
}

std::int64_t TBytesStream::Seek(std::int64_t Offset, int Origin) {
  return Pos = SeekWithin(Pos, Size(), Offset, Origin);
}

void TBytesStream::SetSize(std::int64_t NewSize) {
  Data.resize(static_cast<std::size_t>(std::max<std::int64_t>(NewSize, 0)));
  Pos = std::min(Pos, Size());
}

} // namespace vv
