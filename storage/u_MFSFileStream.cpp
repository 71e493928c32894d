// Streams over the bytes of a book file.
#include <algorithm>
#include <cstring>

#include "storage/u_MFS.h"

namespace vv {

TMFSFileStream::~TMFSFileStream() {
  if (File)
    File->StreamClosed(this);
}

std::int64_t TMFSFileStream::Size() { return File ? static_cast<std::int64_t>(File->Content.size()) : 0; }

std::int64_t TMFSFileStream::Read(void* Buffer, std::int64_t Count) {
  if (!File || Count <= 0)
    return 0;
  const std::int64_t N = std::min(Count, Size() - Position);
  if (N <= 0)
    return 0;
  std::memcpy(Buffer, File->Content.data() + Position, static_cast<std::size_t>(N));
  Position += static_cast<std::int32_t>(N);
  return N;
}

std::int64_t TMFSFileStream::Write(const void* Buffer, std::int64_t Count) {
  if (!File || Count <= 0 || Position + Count > MaxContentSize)
    return 0;
  std::string& Content = File->Content;
  // Bytes past the end are appended, not zero-filled first and then overwritten:
  // unpacking writes a whole book this way.
  const auto* Bytes = static_cast<const char*>(Buffer);
  const std::size_t Overwrite = std::min(static_cast<std::size_t>(Count), Content.size() - Position);
  std::memcpy(Content.data() + Position, Bytes, Overwrite);
  Content.append(Bytes + Overwrite, static_cast<std::size_t>(Count) - Overwrite);
  Position += static_cast<std::int32_t>(Count);
  return Count;
}

std::int64_t TMFSFileStream::Seek(std::int64_t Offset, int Origin) {
  std::int64_t NewPosition = Position;
  switch (Origin) {
  case soBeginning: NewPosition = Offset; break;
  case soCurrent: NewPosition += Offset; break;
  case soEnd: NewPosition = Size() - Offset; break;
  default: break;
  }
  Position = static_cast<std::int32_t>(std::clamp<std::int64_t>(NewPosition, 0, Size()));
  return Position;
}

void TMFSFileStream::SetSize(std::int64_t NewSize) {
  if (!File)
    return;
  // Growth fills with zero bytes.
  File->Content.resize(static_cast<std::size_t>(std::clamp<std::int64_t>(NewSize, 0, MaxContentSize)));
  Position = static_cast<std::int32_t>(std::min<std::int64_t>(Position, Size()));
}

} // namespace vv
