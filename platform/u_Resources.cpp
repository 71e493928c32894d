// The resource table at the end of an executable file. Every field is
// validated before use: a damaged table reads as "no resources".
#include "platform/u_Resources.h"
#include "platform/u_PEResources.h"

#include "platform/u_FileNames.h"
#include "platform/u_SystemFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

namespace vv {

namespace {

constexpr char Magic[8] = {'V', 'V', 'R', 'S', 'R', 'C', '0', '1'};
constexpr std::uint64_t FooterSize = 32;
// A directory is a few names; anything larger is damage, not a table.
constexpr std::uint64_t MaxDirectorySize = 1 << 20;

std::uint64_t GetLE(const unsigned char* P, int Bytes) {
  std::uint64_t V = 0;
  for (int i = Bytes - 1; i >= 0; --i)
    V = V << 8 | P[i];
  return V;
}

struct TTable {
  std::uint64_t BaseOffset = 0; // where the executable proper ends
  std::vector<TResourceInfo> Entries;
};

TFileReadAt ReaderOf(const TSystemFile& File) {
  return [&File](std::uint64_t At, void* Buffer, std::size_t Count) { return File.ReadAt(At, Buffer, Count); };
}

// The table of the open file, or false when there is no valid one. Windows
// books keep theirs in the image's resource section instead.
bool ReadTable(const TSystemFile& File, TTable& Table) {
  if (!File.IsOpen()) return false;
  if (IsPEImage(ReaderOf(File))) {
    Table.Entries = ReadPEResources(ReaderOf(File));
    return !Table.Entries.empty();
  }
  const std::optional<std::uint64_t> Size = File.Size();
  if (!Size || *Size < FooterSize) return false;
  const std::uint64_t FileSize = *Size;
  unsigned char Footer[FooterSize];
  if (!File.ReadAt(FileSize - FooterSize, Footer, FooterSize) ||
      std::memcmp(Footer + 24, Magic, 8) != 0)
    return false;
  const std::uint64_t Base = GetLE(Footer, 8);
  const std::uint64_t DirOffset = GetLE(Footer + 8, 8);
  const std::uint64_t Count = GetLE(Footer + 16, 4);
  const std::uint64_t DirSize = GetLE(Footer + 20, 4);
  if (DirSize > MaxDirectorySize || DirOffset > FileSize - FooterSize ||
      FileSize - FooterSize - DirOffset != DirSize || Base > DirOffset)
    return false;
  std::string Dir(DirSize, '\0');
  if (!File.ReadAt(DirOffset, Dir.data(), Dir.size())) return false;

  const auto* P = reinterpret_cast<const unsigned char*>(Dir.data());
  std::uint64_t Pos = 0;
  auto Take = [&](std::uint64_t N) {
    if (N > DirSize - Pos) return false;
    Pos += N;
    return true;
  };
  auto TakeString = [&](std::string& Out) {
    if (!Take(2)) return false;
    const std::uint64_t Len = GetLE(P + Pos - 2, 2);
    if (!Take(Len)) return false;
    Out.assign(Dir, Pos - Len, Len);
    return true;
  };
  for (std::uint64_t i = 0; i < Count; ++i) {
    TResourceInfo E;
    if (!TakeString(E.Type) || !TakeString(E.Name) || !Take(16)) return false;
    E.Offset = GetLE(P + Pos - 16, 8);
    E.Size = GetLE(P + Pos - 8, 8);
    if (E.Offset < Base || E.Offset > DirOffset || E.Size > DirOffset - E.Offset) return false;
    Table.Entries.push_back(std::move(E));
  }
  if (Pos != DirSize) return false;
  Table.BaseOffset = Base;
  return true;
}

// The entry of the open file's table of that type and name.
std::optional<TResourceInfo> FindResource(const TSystemFile& File, std::string_view Type, std::string_view Name) {
  TTable Table;
  if (!ReadTable(File, Table)) return std::nullopt;
  const auto Found =
      std::find_if(Table.Entries.begin(), Table.Entries.end(), [&](const TResourceInfo& E) {
        return SameText(E.Type, Type) && SameText(E.Name, Name);
      });
  if (Found == Table.Entries.end()) return std::nullopt;
  return *Found;
}

} // namespace

std::string LoadResourceDataFromFile(const std::string& Path, std::string_view Type,
                                     std::string_view Name) {
  const TSystemFile File(Path, TSystemFile::TMode::Read);
  const std::optional<TResourceInfo> Found = FindResource(File, Type, Name);
  if (!Found) return {};
  std::string Data(static_cast<std::size_t>(Found->Size), '\0');
  if (!File.ReadAt(Found->Offset, Data.data(), Data.size()))
    RaiseLastOSError(Format("Reading resource \"%s\"", Name));
  return Data;
}

#ifndef _WIN32
namespace {
constexpr const char* RunningExecutable = "/proc/self/exe";
}

std::string LoadResourceData(std::string_view Name) {
  return LoadResourceDataFromFile(RunningExecutable, RT_RCDATA_NAME, Name);
}

TResourceFile::TResourceFile(std::string_view Name)
    : FFile(std::make_unique<TSystemFile>(RunningExecutable, TSystemFile::TMode::Read)) {
  if (const std::optional<TResourceInfo> Found = FindResource(*FFile, RT_RCDATA_NAME, Name)) {
    FFound = true;
    FOffset = Found->Offset;
    FSize = Found->Size;
  }
}

TResourceFile::~TResourceFile() = default;

bool TResourceFile::ReadAt(std::uint64_t At, void* Buffer, std::size_t Count) const {
  return FFound && At <= FSize && FSize - At >= Count && FFile->ReadAt(FOffset + At, Buffer, Count);
}
#endif

std::vector<TResourceInfo> ListResources(const std::string& Path) {
  const TSystemFile File(Path, TSystemFile::TMode::Read);
  TTable Table;
  if (!ReadTable(File, Table)) return {};
  return Table.Entries;
}

namespace {
void WriteAt(TSystemFile& Out, const char* P, std::size_t Count, std::uint64_t Offset,
             const std::string& OutPath) {
  if (!Out.WriteAt(Offset, P, Count)) RaiseLastOSError(Format("Writing \"%s\"", OutPath));
}

// The output file from Base on, where one resource is written; its writer may
// seek back over what it wrote (a cabinet completes its header last).
class TResourceRegion : public TStream {
public:
  TResourceRegion(TSystemFile& File, std::uint64_t Base, const std::string& OutPath)
      : File(File), Base(Base), OutPath(OutPath) {}
  std::int64_t Read(void*, std::int64_t) override { return 0; }
  std::int64_t Write(const void* Buffer, std::int64_t Count) override {
    if (Count <= 0) return 0;
    WriteAt(File, static_cast<const char*>(Buffer), static_cast<std::size_t>(Count),
            Base + static_cast<std::uint64_t>(Pos), OutPath);
    Pos += Count;
    End = std::max(End, Pos);
    return Count;
  }
  std::int64_t Seek(std::int64_t Offset, int Origin) override {
    const std::int64_t From = Origin == soBeginning ? 0 : Origin == soCurrent ? Pos : End;
    return Pos = std::clamp<std::int64_t>(From + Offset, 0, End);
  }
  void SetSize(std::int64_t) override { throw EOSError(EINVAL, "A resource cannot be resized"); }
  [[nodiscard]] std::int64_t Size() override { return End; }

private:
  TSystemFile& File;
  const std::uint64_t Base;
  const std::string& OutPath;
  std::int64_t Pos = 0, End = 0;
};

// A Windows viewer: the resources become a section of its image.
void WritePESection(const TSystemFile& In, TSystemFile& Out, const std::string& ExePath, const std::string& OutPath,
                    const std::vector<TResourceSource>& Resources) {
  const std::optional<std::uint64_t> Size = In.Size();
  if (!Size) RaiseLastOSError(Format("Reading \"%s\"", ExePath));
  std::string Image(static_cast<std::size_t>(*Size), '\0');
  if (!In.ReadAt(0, Image.data(), Image.size())) RaiseLastOSError(Format("Reading \"%s\"", ExePath));
  std::vector<std::pair<std::string, std::string>> TypeNames;
  for (const TResourceSource& R : Resources) TypeNames.emplace_back(R.Type, R.Name);
  WritePEWithResources(
      std::move(Image), TypeNames,
      [&](std::uint64_t Offset, std::size_t Index) {
        TResourceRegion Region(Out, Offset, OutPath);
        Resources[Index].Write(Region);
        return static_cast<std::uint64_t>(Region.Size());
      },
      [&](std::uint64_t Offset, const std::string& Bytes) { WriteAt(Out, Bytes.data(), Bytes.size(), Offset, OutPath); });
}

void WriteTable(const TSystemFile& In, TSystemFile& Out, const std::string& ExePath, const std::string& OutPath,
                const std::vector<TResourceSource>& Resources) {
  if (IsPEImage(ReaderOf(In))) return WritePESection(In, Out, ExePath, OutPath, Resources);
  // A viewer that already carries a table contributes only the program bytes,
  // so packing a packed book replaces its resources instead of stacking them.
  TTable Existing;
  std::uint64_t Base = 0;
  if (ReadTable(In, Existing)) {
    Base = Existing.BaseOffset;
  } else {
    const std::optional<std::uint64_t> Size = In.Size();
    if (!Size) RaiseLastOSError(Format("Reading \"%s\"", ExePath));
    Base = *Size;
  }
  std::vector<char> Buffer(1 << 20);
  for (std::uint64_t Done = 0; Done < Base;) {
    const std::size_t Chunk =
        static_cast<std::size_t>(std::min<std::uint64_t>(Buffer.size(), Base - Done));
    if (!In.ReadAt(Done, Buffer.data(), Chunk))
      RaiseLastOSError(Format("Reading \"%s\"", ExePath));
    WriteAt(Out, Buffer.data(), Chunk, Done, OutPath);
    Done += Chunk;
  }

  std::string Dir;
  std::uint64_t Offset = Base;
  for (const TResourceSource& R : Resources) {
    if (R.Type.size() > 0xFFFF || R.Name.size() > 0xFFFF)
      throw EOSError(EINVAL, Format("Resource name \"%s\" is too long", R.Name));
    TResourceRegion Region(Out, Offset, OutPath);
    R.Write(Region);
    const auto Size = static_cast<std::uint64_t>(Region.Size());
    AppendLE(Dir, R.Type.size(), 2);
    Dir += R.Type;
    AppendLE(Dir, R.Name.size(), 2);
    Dir += R.Name;
    AppendLE(Dir, Offset, 8);
    AppendLE(Dir, Size, 8);
    Offset += Size;
  }
  if (Dir.size() > MaxDirectorySize) throw EOSError(EINVAL, "Too many resources");
  std::string Footer;
  AppendLE(Footer, Base, 8);
  AppendLE(Footer, Offset, 8);
  AppendLE(Footer, Resources.size(), 4);
  AppendLE(Footer, Dir.size(), 4);
  Footer.append(Magic, sizeof Magic);
  WriteAt(Out, Dir.data(), Dir.size(), Offset, OutPath);
  WriteAt(Out, Footer.data(), Footer.size(), Offset + Dir.size(), OutPath);
}
} // namespace

void WriteExecutableWithResources(const std::string& ExePath, const std::string& OutPath,
                                  const std::vector<TResource>& Resources) {
  std::vector<TResourceSource> Sources;
  for (const TResource& R : Resources)
    Sources.push_back({R.Type, R.Name, [&R](TStream& Out) { Out.WriteBytes(R.Data); }});
  WriteExecutableWithResources(ExePath, OutPath, Sources);
}

void WriteExecutableWithResources(const std::string& ExePath, const std::string& OutPath,
                                  const std::vector<TResourceSource>& Resources) {
  std::error_code Ec;
  if (std::filesystem::equivalent(PathOf(ExePath), PathOf(OutPath), Ec))
    throw EOSError(EINVAL, Format("Output \"%s\" is the input executable", OutPath));
  const TSystemFile In(ExePath, TSystemFile::TMode::Read);
  if (!In.IsOpen()) RaiseLastOSError(Format("Opening \"%s\"", ExePath));
  TSystemFile Out(OutPath, TSystemFile::TMode::Create);
  if (!Out.IsOpen()) RaiseLastOSError(Format("Creating \"%s\"", OutPath));
  try {
    WriteTable(In, Out, ExePath, OutPath, Resources);
    if (!Out.Finish()) RaiseLastOSError(Format("Writing \"%s\"", OutPath));
  } catch (...) {
    Out.Close();
    TSystemFile::Remove(OutPath);
    throw;
  }
}

} // namespace vv
