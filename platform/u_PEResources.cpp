// The resource section of a PE image, laid out as the system's loader reads
// it: a directory of type, name and language levels, each table's named
// entries first, then its numbered ones, both sorted, leading to data entries
// that give each resource's address in the loaded image. Every field read is
// checked against the file first: a damaged directory reads as "no
// resources", and the packer refuses it.
#include "platform/u_PEResources.h"

#include <algorithm>
#include <array>
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

std::uint64_t AlignUp(std::uint64_t Value, std::uint64_t Alignment) {
  return (Value + Alignment - 1) / Alignment * Alignment;
}

void Put32(std::string& Bytes, std::uint32_t At, std::uint32_t Value) {
  for (int i = 0; i < 4; ++i)
    Bytes[At + i] = static_cast<char>(Value >> (8 * i));
}

std::u16string UpperUnits(std::string_view S) {
  std::u16string Result;
  for (const char C : S) Result += static_cast<char16_t>(C >= 'a' && C <= 'z' ? C - 'a' + 'A' : static_cast<unsigned char>(C));
  return Result;
}

// The loader's order: named entries first, by their UTF-16 units (the
// format's case-sensitive order; the names we add are upper case, as
// resource compilers write them), then numbered entries ascending.
bool IdLess(const TPEResourceId& A, const TPEResourceId& B) {
  if (A.Text.empty() != B.Text.empty()) return !A.Text.empty();
  return A.Text.empty() ? A.Number < B.Number : A.Text < B.Text;
}

bool SameId(const TPEResourceId& A, const TPEResourceId& B) { return !IdLess(A, B) && !IdLess(B, A); }

std::string IdText(const TPEResourceId& Id) {
  if (Id.Text.empty()) return "#" + std::to_string(Id.Number);
  std::string Text;
  for (const char16_t Unit : Id.Text) Text += Unit < 0x80 ? static_cast<char>(Unit) : '?';
  return Text;
}

// A resource directory read in place, within its Size bytes at file offset Base.
class TDirectoryReader {
public:
  TDirectoryReader(const TFileReadAt& ReadAt, std::uint64_t Base, std::uint32_t Size)
      : FReadAt(ReadAt), FBase(Base), FSize(Size) {}

  struct TEntry {
    TPEResourceId Id;
    std::uint32_t Offset;
  };

  // The entries of the table at At; every table read counts towards the
  // directory's limit, so tables shared by many entries cannot blow up.
  std::optional<std::vector<TEntry>> Entries(std::uint32_t At) {
    const auto Header = Read(At, 16);
    if (!Header) return std::nullopt;
    const auto* H = reinterpret_cast<const unsigned char*>(Header->data());
    const std::uint32_t Named = LoadLE16(H + 12), Count = Named + LoadLE16(H + 14);
    FEntries += Count;
    if (FEntries > MaxEntries) return std::nullopt;
    const auto Table = Read(std::uint64_t{At} + 16, Count * 8);
    if (!Table) return std::nullopt;
    std::vector<TEntry> Result;
    for (std::uint32_t i = 0; i < Count; ++i) {
      const auto* E = reinterpret_cast<const unsigned char*>(Table->data()) + i * 8;
      const std::uint32_t Name = LoadLE32(E);
      TEntry Entry{{}, LoadLE32(E + 4)};
      // Named entries come first; a name with the wrong form is damage.
      if (((Name & SubdirectoryBit) != 0) != (i < Named)) return std::nullopt;
      if (i >= Named) {
        if (Name > 0xFFFF) return std::nullopt;
        Entry.Id.Number = static_cast<std::uint16_t>(Name);
      } else {
        const auto Length = Read(Name & ~SubdirectoryBit, 2);
        if (!Length) return std::nullopt;
        const std::uint32_t Units = LoadLE16(reinterpret_cast<const unsigned char*>(Length->data()));
        const auto Text = Read(std::uint64_t{Name & ~SubdirectoryBit} + 2, 2 * Units);
        if (!Text || Units == 0) return std::nullopt;
        for (std::uint32_t c = 0; c < Units; ++c)
          Entry.Id.Text += static_cast<char16_t>(LoadLE16(reinterpret_cast<const unsigned char*>(Text->data()) + 2 * c));
      }
      Result.push_back(std::move(Entry));
    }
    return Result;
  }

  // A data entry: address in the loaded image, size, code page.
  std::optional<std::array<std::uint32_t, 3>> DataEntry(std::uint32_t At) {
    const auto Bytes = Read(At, 16);
    if (!Bytes) return std::nullopt;
    const auto* P = reinterpret_cast<const unsigned char*>(Bytes->data());
    return std::array<std::uint32_t, 3>{LoadLE32(P), LoadLE32(P + 4), LoadLE32(P + 8)};
  }

private:
  std::optional<std::string> Read(std::uint64_t At, std::uint64_t Count) {
    if (At > FSize || FSize - At < Count) return std::nullopt;
    std::string Bytes(Count, '\0');
    if (!FReadAt(FBase + At, Bytes.data(), Bytes.size())) return std::nullopt;
    return Bytes;
  }
  const TFileReadAt& FReadAt;
  const std::uint64_t FBase;
  const std::uint32_t FSize;
  std::uint32_t FEntries = 0;
};

std::optional<std::vector<TPEResource>> ReadTable(const TFileReadAt& ReadAt, const TPELayout& L) {
  if (L.ResourceRva == 0) return std::vector<TPEResource>{};
  const std::optional<std::uint64_t> At = FileOffset(L, L.ResourceRva, L.ResourceSize);
  if (!At) return std::nullopt;
  TDirectoryReader Dir(ReadAt, *At, L.ResourceSize);
  // Three levels, each entry of the first two a table and of the last a data
  // entry: the walk is bounded whatever the offsets say.
  std::vector<TPEResource> Result;
  const auto Types = Dir.Entries(0);
  if (!Types) return std::nullopt;
  for (const auto& Type : *Types) {
    const auto Names = Type.Offset & SubdirectoryBit ? Dir.Entries(Type.Offset & ~SubdirectoryBit) : std::nullopt;
    if (!Names) return std::nullopt;
    for (const auto& Name : *Names) {
      const auto Languages = Name.Offset & SubdirectoryBit ? Dir.Entries(Name.Offset & ~SubdirectoryBit) : std::nullopt;
      if (!Languages) return std::nullopt;
      for (const auto& Language : *Languages) {
        const auto Data = Language.Offset & SubdirectoryBit || !Language.Id.Text.empty()
                              ? std::nullopt
                              : Dir.DataEntry(Language.Offset);
        const std::optional<std::uint64_t> DataAt = Data ? FileOffset(L, (*Data)[0], (*Data)[1]) : std::nullopt;
        // The bytes must be in the file, not only in the section header's claim.
        char Last;
        if (!DataAt || (*DataAt + (*Data)[1] > 0 && !ReadAt(*DataAt + (*Data)[1] - 1, &Last, 1))) return std::nullopt;
        Result.push_back({Type.Id, Name.Id, Language.Id.Number, (*Data)[2], *DataAt, (*Data)[1]});
      }
    }
  }
  return Result;
}

// The index of the section that holds the resource directory and can be
// written anew: the last, with nothing of the file after it.
std::optional<std::size_t> ReplaceableSection(const TPELayout& L, std::uint64_t FileSize) {
  if (L.ResourceRva == 0 || L.Sections.empty()) return std::nullopt;
  const TSection& S = L.Sections.back();
  if (S.VirtualAddress != L.ResourceRva || S.RawSize == 0 || S.RawOffset % L.FileAlignment != 0 ||
      std::uint64_t{S.RawOffset} + S.RawSize < FileSize)
    return std::nullopt;
  // It must lie after the headers and every other section, in the file and when mapped.
  if (S.RawOffset < std::max<std::uint64_t>(L.SizeOfHeaders, L.SectionsAt + std::uint64_t{SectionHeaderSize} * L.Sections.size()))
    return std::nullopt;
  for (const TSection& Other : L.Sections)
    if (&Other != &S && (Other.VirtualAddress >= S.VirtualAddress ||
                         (Other.RawSize && std::uint64_t{Other.RawOffset} + Other.RawSize > S.RawOffset)))
      return std::nullopt;
  return L.Sections.size() - 1;
}

// A resource to write: one of the image's own, or the book's resource BookIndex.
struct TEntry {
  TPEResource Resource;
  std::optional<std::size_t> BookIndex;
};

// Every resource, the image's own (less those the book replaces) and the
// book's, in the loader's order.
std::vector<TEntry> AllResources(const std::vector<TPEResource>& Own,
                                 const std::vector<std::pair<std::string, std::string>>& TypeNames) {
  std::vector<TEntry> Entries;
  for (const TPEResource& R : Own) {
    const bool Replaced = std::any_of(TypeNames.begin(), TypeNames.end(), [&](const auto& TypeName) {
      return UpperUnits(IdText(R.Type)) == UpperUnits(TypeName.first) &&
             UpperUnits(IdText(R.Name)) == UpperUnits(TypeName.second);
    });
    if (!Replaced) Entries.push_back({R, std::nullopt});
  }
  for (std::size_t i = 0; i < TypeNames.size(); ++i) {
    if (TypeNames[i].first.empty() || TypeNames[i].second.empty() || TypeNames[i].first.size() > 0xFFFF ||
        TypeNames[i].second.size() > 0xFFFF)
      throw EOSError(EINVAL, Format("Resource name \"%s\" is not valid", TypeNames[i].second));
    Entries.push_back({{{UpperUnits(TypeNames[i].first)}, {UpperUnits(TypeNames[i].second)}, 0, 0, 0, 0}, i});
  }
  std::stable_sort(Entries.begin(), Entries.end(), [](const TEntry& A, const TEntry& B) {
    const TPEResource &X = A.Resource, &Y = B.Resource;
    if (!SameId(X.Type, Y.Type)) return IdLess(X.Type, Y.Type);
    if (!SameId(X.Name, Y.Name)) return IdLess(X.Name, Y.Name);
    return X.Language < Y.Language;
  });
  return Entries;
}

// The directory of Entries: tables (root, per type, per name, per language),
// then a data entry per resource at DataEntries + 16 * index, its address,
// size and code page left for the caller, then the strings.
std::string LayOutDirectory(const std::vector<TEntry>& Entries, std::uint32_t& DataEntries) {
  const auto TableSize = [](std::size_t Count) { return 16 + 8 * static_cast<std::uint32_t>(Count); };
  const auto Groups = [&Entries](std::size_t From, std::size_t To, auto Same) {
    std::vector<std::pair<std::size_t, std::size_t>> Result;
    for (std::size_t i = From; i < To; ++i)
      if (Result.empty() || !Same(Entries[Result.back().first].Resource, Entries[i].Resource))
        Result.emplace_back(i, i + 1);
      else
        Result.back().second = i + 1;
    return Result;
  };
  const auto SameType = [](const TPEResource& A, const TPEResource& B) { return SameId(A.Type, B.Type); };
  const auto SameName = [](const TPEResource& A, const TPEResource& B) { return SameId(A.Name, B.Name); };
  const auto Types = Groups(0, Entries.size(), SameType);
  std::vector<std::vector<std::pair<std::size_t, std::size_t>>> Names;
  std::uint32_t Cursor = TableSize(Types.size());
  std::vector<std::uint32_t> TypeTables, NameTables;
  for (const auto& [From, To] : Types) {
    Names.push_back(Groups(From, To, SameName));
    TypeTables.push_back(Cursor);
    Cursor += TableSize(Names.back().size());
  }
  for (const auto& N : Names)
    for (const auto& [From, To] : N) NameTables.push_back(Cursor), Cursor += TableSize(To - From);
  DataEntries = Cursor;
  Cursor += 16 * static_cast<std::uint32_t>(Entries.size());
  std::string Dir(Cursor, '\0');
  const auto PutTable = [&Dir](std::uint32_t At, const auto& Ids) {
    std::size_t Named = 0;
    for (const TPEResourceId* Id : Ids) Named += !Id->Text.empty();
    Dir[At + 12] = static_cast<char>(Named), Dir[At + 13] = static_cast<char>(Named >> 8);
    Dir[At + 14] = static_cast<char>(Ids.size() - Named), Dir[At + 15] = static_cast<char>((Ids.size() - Named) >> 8);
    for (std::size_t i = 0; i < Ids.size(); ++i) {
      if (Ids[i]->Text.empty()) {
        Put32(Dir, At + 16 + 8 * static_cast<std::uint32_t>(i), Ids[i]->Number);
        continue;
      }
      Put32(Dir, At + 16 + 8 * static_cast<std::uint32_t>(i), SubdirectoryBit | static_cast<std::uint32_t>(Dir.size()));
      AppendLE(Dir, Ids[i]->Text.size(), 2);
      for (const char16_t Unit : Ids[i]->Text) AppendLE(Dir, Unit, 2);
    }
  };
  std::vector<const TPEResourceId*> TypeIds;
  for (std::size_t t = 0, n = 0; t < Types.size(); ++t) {
    TypeIds.push_back(&Entries[Types[t].first].Resource.Type);
    Put32(Dir, 20 + 8 * static_cast<std::uint32_t>(t), SubdirectoryBit | TypeTables[t]);
    std::vector<const TPEResourceId*> NameIds;
    for (std::size_t k = 0; k < Names[t].size(); ++k, ++n) {
      const auto [From, To] = Names[t][k];
      NameIds.push_back(&Entries[From].Resource.Name);
      Put32(Dir, TypeTables[t] + 20 + 8 * static_cast<std::uint32_t>(k), SubdirectoryBit | NameTables[n]);
      std::vector<TPEResourceId> Languages;
      for (std::size_t i = From; i < To; ++i) {
        Languages.push_back({{}, Entries[i].Resource.Language});
        Put32(Dir, NameTables[n] + 20 + 8 * static_cast<std::uint32_t>(i - From), DataEntries + 16 * static_cast<std::uint32_t>(i));
      }
      std::vector<const TPEResourceId*> LanguageIds;
      for (const TPEResourceId& Id : Languages) LanguageIds.push_back(&Id);
      PutTable(NameTables[n], LanguageIds);
    }
    PutTable(TypeTables[t], NameIds);
  }
  PutTable(0, TypeIds);
  return Dir;
}

} // namespace

bool IsPEImage(const TFileReadAt& ReadAt) { return ReadLayout(ReadAt).has_value(); }

std::optional<std::vector<TPEResource>> ReadPEResourceTable(const TFileReadAt& ReadAt) {
  const std::optional<TPELayout> L = ReadLayout(ReadAt);
  return L ? ReadTable(ReadAt, *L) : std::nullopt;
}

std::vector<TResourceInfo> ReadPEResources(const TFileReadAt& ReadAt) {
  std::vector<TResourceInfo> Result;
  if (const auto Table = ReadPEResourceTable(ReadAt))
    for (const TPEResource& R : *Table) Result.push_back({IdText(R.Type), IdText(R.Name), R.Offset, R.Size});
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
  // Alignments as the format allows them; others would place the section gigabytes away.
  const auto PowerOfTwo = [](std::uint32_t V, std::uint32_t Max) { return V != 0 && (V & (V - 1)) == 0 && V <= Max; };
  if (!L || !PowerOfTwo(L->FileAlignment, 0x10000) || !PowerOfTwo(L->SectionAlignment, 0x40000000))
    throw EOSError(EINVAL, "The viewer is not a Windows executable");
  const std::optional<std::vector<TPEResource>> Own = ReadTable(FromImage, *L);
  if (!Own) throw EOSError(EINVAL, "The viewer's resources are damaged");

  // The image's own bytes are copied into the new section rather than
  // pointed at: the old section can then be rewritten in place when it is
  // the last (a packed book packed again, so books do not grow), and
  // otherwise stays, unused, where the image put it.
  const std::vector<TEntry> Entries = AllResources(*Own, TypeNames);

  // Where the section goes: over the old resource section when it is the
  // last, else after everything, with one more section header.
  const std::optional<std::size_t> Reused = ReplaceableSection(*L, Image.size());
  const std::size_t Kept = Reused ? *Reused : L->Sections.size();
  const std::uint32_t NewHeaderAt = L->SectionsAt + static_cast<std::uint32_t>(Kept) * SectionHeaderSize;
  std::uint64_t FirstData = L->SizeOfHeaders;
  std::uint64_t ImageEnd = std::max<std::uint64_t>(L->SizeOfHeaders, 1); // never over the headers, never at 0 ("none")
  for (std::size_t i = 0; i < Kept; ++i) {
    const TSection& S = L->Sections[i];
    if (S.RawSize) FirstData = std::min<std::uint64_t>(FirstData, S.RawOffset);
    ImageEnd = std::max<std::uint64_t>(ImageEnd, std::uint64_t{S.VirtualAddress} + std::max(S.VirtualSize, S.RawSize));
  }
  if (!Reused && (NewHeaderAt + SectionHeaderSize > FirstData || NewHeaderAt + SectionHeaderSize > Image.size() ||
                  Image.compare(NewHeaderAt, SectionHeaderSize, std::string(SectionHeaderSize, '\0')) != 0))
    throw EOSError(EINVAL, "The viewer has no room for a resource section");
  const std::uint64_t SectionAt = Reused ? L->Sections[*Reused].RawOffset : AlignUp(Image.size(), L->FileAlignment);
  const std::uint64_t SectionRva = AlignUp(ImageEnd, L->SectionAlignment);

  std::uint32_t DataEntries = 0;
  std::string Dir = LayOutDirectory(Entries, DataEntries);

  // The resources' bytes after the directory, each 8-aligned.
  std::uint64_t SectionSize = AlignUp(Dir.size(), 8);
  for (std::size_t i = 0; i < Entries.size(); ++i) {
    SectionSize = AlignUp(SectionSize, 8);
    const TPEResource& R = Entries[i].Resource;
    std::uint64_t Size = R.Size;
    if (Entries[i].BookIndex)
      Size = WriteData(SectionAt + SectionSize, *Entries[i].BookIndex);
    else
      WriteBytes(SectionAt + SectionSize, Image.substr(R.Offset, R.Size));
    if (SectionSize + Size > MaxSectionSize) throw EOSError(EFBIG, "The book is too large for a Windows executable");
    Put32(Dir, DataEntries + 16 * static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(SectionRva + SectionSize));
    Put32(Dir, DataEntries + 16 * static_cast<std::uint32_t>(i) + 4, static_cast<std::uint32_t>(Size));
    Put32(Dir, DataEntries + 16 * static_cast<std::uint32_t>(i) + 8, R.CodePage);
    SectionSize += Size;
  }
  const std::uint64_t RawSize = AlignUp(SectionSize, L->FileAlignment);
  if (RawSize > MaxSectionSize || SectionRva + AlignUp(SectionSize, L->SectionAlignment) > 0xFFFFFFFFu)
    throw EOSError(EFBIG, "The book is too large for a Windows executable");
  WriteBytes(SectionAt, Dir + std::string(AlignUp(Dir.size(), 8) - Dir.size(), '\0'));
  WriteBytes(SectionAt + SectionSize, std::string(RawSize - SectionSize, '\0'));

  // The headers: the resource section, the resource directory, the image's new size.
  std::string Header(SectionHeaderSize, '\0');
  Header.replace(0, 5, ".rsrc");
  Put32(Header, 8, static_cast<std::uint32_t>(SectionSize));
  Put32(Header, 12, static_cast<std::uint32_t>(SectionRva));
  Put32(Header, 16, static_cast<std::uint32_t>(RawSize));
  Put32(Header, 20, static_cast<std::uint32_t>(SectionAt));
  Put32(Header, 36, InitializedReadOnlyData);
  Image.replace(NewHeaderAt, SectionHeaderSize, Header);
  // Tools that find resources by section name must see the new directory only.
  for (std::size_t i = 0; i < Kept; ++i)
    if (Image.compare(L->SectionsAt + i * SectionHeaderSize, 8, std::string(".rsrc\0\0\0", 8)) == 0)
      Image.replace(L->SectionsAt + i * SectionHeaderSize, 8, ".oldrsrc");
  const std::uint16_t Count = static_cast<std::uint16_t>(Kept + 1);
  Image[L->HeadersAt + 6] = static_cast<char>(Count), Image[L->HeadersAt + 7] = static_cast<char>(Count >> 8);
  const std::uint32_t Initialized = LoadLE32(reinterpret_cast<const unsigned char*>(Image.data()) + L->OptionalAt + 8) -
                                    (Reused ? L->Sections[*Reused].RawSize : 0);
  Put32(Image, L->OptionalAt + 8, Initialized + static_cast<std::uint32_t>(RawSize));
  Put32(Image, L->OptionalAt + 56, static_cast<std::uint32_t>(SectionRva + AlignUp(SectionSize, L->SectionAlignment)));
  Put32(Image, L->OptionalAt + 64, 0); // no checksum: only drivers need one
  Put32(Image, L->DirectoryAt, static_cast<std::uint32_t>(SectionRva));
  Put32(Image, L->DirectoryAt + 4, static_cast<std::uint32_t>(Dir.size()));
  Image.resize(SectionAt, '\0');
  WriteBytes(0, Image);
}

} // namespace vv
