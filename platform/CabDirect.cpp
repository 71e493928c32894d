// Plain cabinets read from their bytes: headers checked field by field, the
// folder decoded by the layer's MSZIP decoder.
#include "platform/CabDirect.h"

#include <cstring>
#include <string>

#include "text/u_Utils.h"

namespace vv {

namespace {

constexpr std::size_t HeaderSize = 36;
constexpr std::size_t FolderEntrySize = 8;
constexpr std::size_t FileEntrySize = 16; // before the name
constexpr std::size_t NameMax = 255;
constexpr std::uint64_t BlockMax = 32768;
constexpr std::uint16_t CompressionMszip = 1;

std::uint32_t LE32(std::string_view B, std::size_t At) {
  return LoadLE32(reinterpret_cast<const unsigned char*>(B.data() + At));
}

std::uint16_t LE16(std::string_view B, std::size_t At) {
  return LoadLE16(reinterpret_cast<const unsigned char*>(B.data() + At));
}

} // namespace

TCabSource CabSourceOf(std::string_view Cabinet) {
  return {Cabinet.size(), [Cabinet](std::uint64_t At, void* Buffer, std::size_t Count) {
            if (At > Cabinet.size() || Cabinet.size() - At < Count) return false;
            std::memcpy(Buffer, Cabinet.data() + At, Count);
            return true;
          }};
}

std::optional<TCabMemberPlace> FindPlainCabMember(const TCabSource& Cabinet,
                                                  std::string_view Name) {
  std::string Head(HeaderSize + FolderEntrySize, '\0');
  if (Cabinet.Size < Head.size() || !Cabinet.ReadAt(0, Head.data(), Head.size()) ||
      Head.substr(0, 4) != "MSCF" || LE32(Head, 8) != Cabinet.Size || Head[25] != 1 ||
      LE16(Head, 26) != 1 || LE16(Head, 30) != 0)
    return std::nullopt;
  const std::uint16_t Files = LE16(Head, 28);
  const std::uint32_t FilesAt = LE32(Head, 16);
  TCabMemberPlace Member;
  Member.DataOffset = LE32(Head, HeaderSize);
  Member.Blocks = LE16(Head, HeaderSize + 4);
  if (Files == 0 || Member.Blocks == 0 || LE16(Head, HeaderSize + 6) != CompressionMszip ||
      FilesAt != Head.size() || Member.DataOffset > Cabinet.Size || FilesAt > Member.DataOffset ||
      Member.DataOffset - FilesAt > std::size_t{Files} * (FileEntrySize + NameMax + 1))
    return std::nullopt;
  // The file entries lie between the folder entry and the data. The other
  // cabinet readers take them from right after the folder entry whatever the
  // header's offset says; a table anywhere else is left to the general road.
  std::string Entries(Member.DataOffset - FilesAt, '\0');
  if (!Cabinet.ReadAt(FilesAt, Entries.data(), Entries.size())) return std::nullopt;
  int Found = 0;
  for (std::size_t At = 0, I = 0; I < Files; ++I) {
    if (Entries.size() - At < FileEntrySize + 1 || LE16(Entries, At + 8) != 0) return std::nullopt;
    const std::string_view Rest = std::string_view(Entries).substr(At + FileEntrySize, NameMax + 1);
    const std::size_t Length = Rest.find('\0');
    if (Length == 0 || Length == std::string_view::npos) return std::nullopt;
    if (SameText(Rest.substr(0, Length), Name)) {
      ++Found;
      Member.Length = LE32(Entries, At);
      Member.Offset = LE32(Entries, At + 4);
    }
    At += FileEntrySize + Length + 1;
  }
  if (Found != 1 || std::uint64_t{Member.Offset} + Member.Length > Member.Blocks * BlockMax)
    return std::nullopt;
  return Member;
}

TCabMemberReader::TCabMemberReader(TCabSource Cabinet, const TCabMemberPlace& Member)
    : FCabinet(std::move(Cabinet)), FReadAt(Member.DataOffset), FBegin(Member.Offset),
      FEnd(std::uint64_t{Member.Offset} + Member.Length),
      FFolder(
          [this](void* Buffer, std::uint32_t Count) {
            if (!FCabinet.ReadAt(FReadAt, Buffer, Count)) return false;
            FReadAt += Count;
            return true;
          },
          Member.Blocks) {}

std::string_view TCabMemberReader::Next() {
  while (FPosition < FEnd) {
    std::string_view Batch = FFolder.Next();
    if (Batch.empty()) return {}; // damaged, unusual, or the folder ends before the member does
    const std::uint64_t Start = FPosition;
    FPosition += Batch.size();
    if (FPosition <= FBegin) continue; // all before the member
    const std::uint64_t From = std::max(Start, FBegin);
    const std::uint64_t To = std::min(FPosition, FEnd);
    return Batch.substr(From - Start, To - From);
  }
  return {};
}

} // namespace vv
