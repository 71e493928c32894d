// The resource section of a PE image, laid out as the system's loader reads
// it: a directory of type, name and language levels whose named entries are
// sorted upper-case strings, leading to data entries that give each
// resource's address in the loaded image. Every field read is checked
// against the file first: a damaged directory reads as "no resources".
#include "platform/u_PEResources.h"

#include <algorithm>
#include <cerrno>
#include <optional>

namespace vv {

namespace {

constexpr std::uint32_t ResourceDirectory = 2; // index in the optional header's data directories
constexpr std::uint32_t SectionHeaderSize = 40;
constexpr std::uint32_t SubdirectoryBit = 0x80000000u;
constexpr std::uint32_t InitializedReadOnlyData = 0x40000040u;
// A resource section is mapped with the image: keep it within a signed 32-bit range.
constexpr std::uint64_t MaxSectionSize = 0x7FFFFFFFu;
// Directory levels and entries a book's resources can use; more is damage.
constexpr std::uint32_t MaxEntries = 4096;

struct TSection {
  std::uint32_t VirtualSize, VirtualAddress, RawSize, RawOffset;
};

// What the loader's headers say, and where the fields to patch are.
struct TPELayout {
  std::uint32_t HeadersAt = 0;     // "PE\0\0"
  std::uint32_t OptionalAt = 0;    // the optional header
  std::uint32_t DirectoryAt = 0;   // the resource directory's entry in the data directories
  std::uint32_t SectionsAt = 0;    // the section table
  std::uint32_t SizeOfHeaders = 0;
  std::uint32_t SectionAlignment = 0, FileAlignment = 0;
  std::uint32_t ResourceRva = 0, ResourceSize = 0;
  std::vector<TSection> Sections;
};

std::optional<std::uint32_t> Read32(const TFileReadAt& ReadAt, std::uint64_t At) {
  unsigned char B[4];
  if (!ReadAt(At, B, 4)) return std::nullopt;
  return LoadLE32(B);
}

std::optional<std::uint16_t> Read16(const TFileReadAt& ReadAt, std::uint64_t At) {
  unsigned char B[2];
  if (!ReadAt(At, B, 2)) return std::nullopt;
  return LoadLE16(B);
}

std::optional<TPELayout> ReadLayout(const TFileReadAt& ReadAt) {
  unsigned char Dos[64];
  if (!ReadAt(0, Dos, sizeof Dos) || Dos[0] != 'M' || Dos[1] != 'Z') return std::nullopt;
  TPELayout L;
  L.HeadersAt = LoadLE32(Dos + 0x3C);
  unsigned char File[24];
  if (L.HeadersAt > (1u << 20) || !ReadAt(L.HeadersAt, File, sizeof File) ||
      std::string_view(reinterpret_cast<const char*>(File), 4) != std::string_view("PE\0\0", 4))
    return std::nullopt;
  const std::uint16_t SectionCount = LoadLE16(File + 6), OptionalSize = LoadLE16(File + 20);
  L.OptionalAt = L.HeadersAt + 24;
  const std::optional<std::uint16_t> Magic = Read16(ReadAt, L.OptionalAt);
  if (!Magic || (*Magic != 0x10B && *Magic != 0x20B)) return std::nullopt;
  const std::uint32_t Directories = L.OptionalAt + (*Magic == 0x10B ? 96 : 112);
  const std::optional<std::uint32_t> DirectoryCount = Read32(ReadAt, Directories - 4);
  L.DirectoryAt = Directories + 8 * ResourceDirectory;
  L.SectionsAt = L.OptionalAt + OptionalSize;
  if (!DirectoryCount || *DirectoryCount <= ResourceDirectory || L.DirectoryAt + 8 > L.SectionsAt)
    return std::nullopt;
  const auto SectionAlignment = Read32(ReadAt, L.OptionalAt + 32), FileAlignment = Read32(ReadAt, L.OptionalAt + 36),
             SizeOfHeaders = Read32(ReadAt, L.OptionalAt + 60), Rva = Read32(ReadAt, L.DirectoryAt),
             Size = Read32(ReadAt, L.DirectoryAt + 4);
  if (!SectionAlignment || !FileAlignment || !SizeOfHeaders || !Rva || !Size || *FileAlignment == 0 ||
      *SectionAlignment == 0)
    return std::nullopt;
  L.SectionAlignment = *SectionAlignment;
  L.FileAlignment = *FileAlignment;
  L.SizeOfHeaders = *SizeOfHeaders;
  L.ResourceRva = *Rva;
  L.ResourceSize = *Size;
  std::string Table(std::size_t{SectionCount} * SectionHeaderSize, '\0');
  if (!ReadAt(L.SectionsAt, Table.data(), Table.size())) return std::nullopt;
  for (std::uint16_t i = 0; i < SectionCount; ++i) {
    const auto* S = reinterpret_cast<const unsigned char*>(Table.data()) + i * SectionHeaderSize;
    L.Sections.push_back({LoadLE32(S + 8), LoadLE32(S + 12), LoadLE32(S + 16), LoadLE32(S + 20)});
  }
  return L;
}

// The file offset of Count bytes at Rva, when they lie in one section's file data.
std::optional<std::uint64_t> FileOffset(const TPELayout& L, std::uint32_t Rva, std::uint32_t Count) {
  for (const TSection& S : L.Sections)
    if (Rva >= S.VirtualAddress && Rva - S.VirtualAddress < S.RawSize &&
        S.RawSize - (Rva - S.VirtualAddress) >= Count)
      return std::uint64_t{S.RawOffset} + (Rva - S.VirtualAddress);
  return std::nullopt;
}

std::string Upper(std::string S) {
  for (char& C : S)
    if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 'a' + 'A');
  return S;
}

// A resource directory read within the resource section's bytes.
class TDirectoryReader {
public:
  explicit TDirectoryReader(std::string Bytes) : FBytes(std::move(Bytes)) {}

  // The entries (name or empty for a numbered one, offset word) of the table at At.
  std::optional<std::vector<std::pair<std::string, std::uint32_t>>> Entries(std::uint32_t At) const {
    if (!Fits(At, 16)) return std::nullopt;
    const std::uint32_t Count = std::uint32_t{LoadLE16(P(At + 12))} + LoadLE16(P(At + 14));
    if (Count > MaxEntries || !Fits(At + 16, Count * 8)) return std::nullopt;
    std::vector<std::pair<std::string, std::uint32_t>> Result;
    for (std::uint32_t i = 0; i < Count; ++i) {
      const std::uint32_t Name = LoadLE32(P(At + 16 + i * 8)), Offset = LoadLE32(P(At + 20 + i * 8));
      std::string Text;
      if (Name & SubdirectoryBit) {
        const std::uint32_t S = Name & ~SubdirectoryBit;
        if (!Fits(S, 2) || !Fits(S + 2, 2u * LoadLE16(P(S)))) return std::nullopt;
        for (std::uint32_t c = 0; c < LoadLE16(P(S)); ++c) {
          const std::uint16_t Unit = LoadLE16(P(S + 2 + 2 * c));
          Text += Unit < 0x80 ? static_cast<char>(Unit) : '?';
        }
      }
      Result.emplace_back(std::move(Text), Offset);
    }
    return Result;
  }

  std::optional<std::pair<std::uint32_t, std::uint32_t>> DataEntry(std::uint32_t At) const {
    if (!Fits(At, 16)) return std::nullopt;
    return std::make_pair(LoadLE32(P(At)), LoadLE32(P(At + 4)));
  }

private:
  bool Fits(std::uint64_t At, std::uint64_t Count) const { return At <= FBytes.size() && FBytes.size() - At >= Count; }
  const unsigned char* P(std::uint32_t At) const { return reinterpret_cast<const unsigned char*>(FBytes.data()) + At; }
  std::string FBytes;
};

std::uint64_t AlignUp(std::uint64_t Value, std::uint64_t Alignment) {
  return (Value + Alignment - 1) / Alignment * Alignment;
}

void Put32(std::string& Bytes, std::uint32_t At, std::uint32_t Value) {
  for (int i = 0; i < 4; ++i)
    Bytes[At + i] = static_cast<char>(Value >> (8 * i));
}

} // namespace

bool IsPEImage(const TFileReadAt& ReadAt) { return ReadLayout(ReadAt).has_value(); }

std::vector<TResourceInfo> ReadPEResources(const TFileReadAt& ReadAt) {
  const std::optional<TPELayout> L = ReadLayout(ReadAt);
  if (!L || L->ResourceRva == 0) return {};
  const std::optional<std::uint64_t> At = FileOffset(*L, L->ResourceRva, L->ResourceSize);
  std::string Bytes(L->ResourceSize, '\0');
  if (!At || !ReadAt(*At, Bytes.data(), Bytes.size())) return {};
  const TDirectoryReader Dir(std::move(Bytes));
  std::vector<TResourceInfo> Result;
  const auto Types = Dir.Entries(0);
  if (!Types) return {};
  for (const auto& [Type, TypeOffset] : *Types) {
    const auto Names = (TypeOffset & SubdirectoryBit) && !Type.empty()
                           ? Dir.Entries(TypeOffset & ~SubdirectoryBit)
                           : std::nullopt;
    if (!Names) continue;
    for (const auto& [Name, NameOffset] : *Names) {
      const auto Languages =
          (NameOffset & SubdirectoryBit) && !Name.empty() ? Dir.Entries(NameOffset & ~SubdirectoryBit) : std::nullopt;
      if (!Languages || Languages->empty() || ((*Languages)[0].second & SubdirectoryBit)) continue;
      const auto Data = Dir.DataEntry((*Languages)[0].second);
      const std::optional<std::uint64_t> DataAt = Data ? FileOffset(*L, Data->first, Data->second) : std::nullopt;
      if (DataAt) Result.push_back({Type, Name, *DataAt, Data->second});
    }
  }
  return Result;
}

void WritePEWithResources(std::string Image, const std::vector<std::pair<std::string, std::string>>& TypeNames,
                          const std::function<std::uint64_t(std::uint64_t Offset, std::size_t Index)>& WriteData,
                          const std::function<void(std::uint64_t Offset, const std::string& Bytes)>& WriteBytes) {
  const TFileReadAt FromImage = [&Image](std::uint64_t At, void* Buffer, std::size_t Count) {
    if (At > Image.size() || Image.size() - At < Count) return false;
    std::copy_n(Image.data() + At, Count, static_cast<char*>(Buffer));
    return true;
  };
  const std::optional<TPELayout> L = ReadLayout(FromImage);
  if (!L) throw EOSError(EINVAL, "The viewer is not a Windows executable");
  if (L->ResourceRva != 0) throw EOSError(EINVAL, "The viewer already carries resources");
  // One more section header must fit before the first section's bytes, where the headers keep zeros.
  const std::uint32_t NewHeaderAt = L->SectionsAt + static_cast<std::uint32_t>(L->Sections.size()) * SectionHeaderSize;
  std::uint64_t FirstData = L->SizeOfHeaders;
  std::uint64_t ImageEnd = 0;
  for (const TSection& S : L->Sections) {
    if (S.RawSize) FirstData = std::min<std::uint64_t>(FirstData, S.RawOffset);
    ImageEnd = std::max<std::uint64_t>(ImageEnd, std::uint64_t{S.VirtualAddress} + std::max(S.VirtualSize, S.RawSize));
  }
  if (NewHeaderAt + SectionHeaderSize > FirstData || NewHeaderAt + SectionHeaderSize > Image.size() ||
      Image.compare(NewHeaderAt, SectionHeaderSize, std::string(SectionHeaderSize, '\0')) != 0)
    throw EOSError(EINVAL, "The viewer has no room for a resource section");

  // The directory first, where tools look for it too, then the resources'
  // bytes, each 8-aligned; the data entries are completed once their sizes are known.
  const std::uint64_t SectionAt = AlignUp(Image.size(), L->FileAlignment);
  const std::uint64_t SectionRva = AlignUp(ImageEnd, L->SectionAlignment);

  // Types, then names, in the loader's order: upper case, sorted.
  std::vector<std::string> Types;
  for (const auto& [Type, Name] : TypeNames) Types.push_back(Upper(Type));
  std::sort(Types.begin(), Types.end());
  Types.erase(std::unique(Types.begin(), Types.end()), Types.end());
  std::vector<std::vector<std::pair<std::string, std::size_t>>> Names(Types.size());
  for (std::size_t i = 0; i < TypeNames.size(); ++i) {
    const std::size_t t = std::lower_bound(Types.begin(), Types.end(), Upper(TypeNames[i].first)) - Types.begin();
    Names[t].emplace_back(Upper(TypeNames[i].second), i);
  }
  for (auto& N : Names) std::sort(N.begin(), N.end());

  // Tables: root, per type, per name (one language); then data entries; then strings.
  const auto TableSize = [](std::size_t Entries) { return 16 + 8 * static_cast<std::uint32_t>(Entries); };
  std::uint32_t Cursor = TableSize(Types.size());
  std::vector<std::uint32_t> TypeTables, NameTables(TypeNames.size()), DataEntries(TypeNames.size());
  for (std::size_t t = 0; t < Types.size(); ++t) {
    TypeTables.push_back(Cursor);
    Cursor += TableSize(Names[t].size());
  }
  for (const auto& N : Names)
    for (const auto& Entry : N) NameTables[Entry.second] = Cursor, Cursor += TableSize(1);
  for (std::size_t i = 0; i < TypeNames.size(); ++i) DataEntries[i] = Cursor, Cursor += 16;
  std::string Dir(Cursor, '\0');
  const auto AddString = [&Dir](const std::string& Text) {
    const auto At = static_cast<std::uint32_t>(Dir.size());
    AppendLE(Dir, Text.size(), 2);
    for (const char C : Text) AppendLE(Dir, static_cast<unsigned char>(C), 2);
    return At;
  };
  const auto PutTable = [&Dir](std::uint32_t At, std::size_t Named, std::size_t Numbered) {
    Dir[At + 12] = static_cast<char>(Named), Dir[At + 13] = static_cast<char>(Named >> 8);
    Dir[At + 14] = static_cast<char>(Numbered), Dir[At + 15] = static_cast<char>(Numbered >> 8);
  };
  PutTable(0, Types.size(), 0);
  for (std::size_t t = 0; t < Types.size(); ++t) {
    Put32(Dir, 16 + 8 * t, SubdirectoryBit | AddString(Types[t]));
    Put32(Dir, 20 + 8 * t, SubdirectoryBit | TypeTables[t]);
    PutTable(TypeTables[t], Names[t].size(), 0);
    for (std::size_t n = 0; n < Names[t].size(); ++n) {
      const std::size_t i = Names[t][n].second;
      Put32(Dir, TypeTables[t] + 16 + 8 * n, SubdirectoryBit | AddString(Names[t][n].first));
      Put32(Dir, TypeTables[t] + 20 + 8 * n, SubdirectoryBit | NameTables[i]);
      PutTable(NameTables[i], 0, 1); // language 0: neutral
      Put32(Dir, NameTables[i] + 20, DataEntries[i]);
    }
  }
  std::uint64_t SectionSize = Dir.size();
  for (std::size_t i = 0; i < TypeNames.size(); ++i) {
    SectionSize = AlignUp(SectionSize, 8);
    const std::uint64_t Size = WriteData(SectionAt + SectionSize, i);
    Put32(Dir, DataEntries[i], static_cast<std::uint32_t>(SectionRva + SectionSize));
    Put32(Dir, DataEntries[i] + 4, static_cast<std::uint32_t>(Size));
    SectionSize += Size;
    if (SectionSize > MaxSectionSize) throw EOSError(EFBIG, "The book is too large for a Windows executable");
  }
  const std::uint64_t RawSize = AlignUp(SectionSize, L->FileAlignment);
  if (RawSize > MaxSectionSize || SectionRva + AlignUp(SectionSize, L->SectionAlignment) > 0xFFFFFFFFu)
    throw EOSError(EFBIG, "The book is too large for a Windows executable");
  WriteBytes(SectionAt, Dir);
  WriteBytes(SectionAt + SectionSize, std::string(RawSize - SectionSize, '\0'));

  // The headers: one more section, the resource directory, the image's new size.
  std::string Header(SectionHeaderSize, '\0');
  Header.replace(0, 5, ".rsrc");
  Put32(Header, 8, static_cast<std::uint32_t>(SectionSize));
  Put32(Header, 12, static_cast<std::uint32_t>(SectionRva));
  Put32(Header, 16, static_cast<std::uint32_t>(RawSize));
  Put32(Header, 20, static_cast<std::uint32_t>(SectionAt));
  Put32(Header, 36, InitializedReadOnlyData);
  Image.replace(NewHeaderAt, SectionHeaderSize, Header);
  const std::uint16_t Count = static_cast<std::uint16_t>(L->Sections.size() + 1);
  Image[L->HeadersAt + 6] = static_cast<char>(Count), Image[L->HeadersAt + 7] = static_cast<char>(Count >> 8);
  const std::uint32_t Initialized = LoadLE32(reinterpret_cast<const unsigned char*>(Image.data()) + L->OptionalAt + 8);
  Put32(Image, L->OptionalAt + 8, Initialized + static_cast<std::uint32_t>(RawSize));
  Put32(Image, L->OptionalAt + 56, static_cast<std::uint32_t>(SectionRva + AlignUp(SectionSize, L->SectionAlignment)));
  Put32(Image, L->OptionalAt + 64, 0); // no checksum: only drivers need one
  Put32(Image, L->DirectoryAt, static_cast<std::uint32_t>(SectionRva));
  Put32(Image, L->DirectoryAt + 4, static_cast<std::uint32_t>(Dir.size()));
  Image.resize(SectionAt, '\0');
  WriteBytes(0, Image);
}

} // namespace vv
