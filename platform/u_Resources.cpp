// The resource table at the end of an executable file. Every field is
// validated before use: a damaged table reads as "no resources".
#include "platform/u_Resources.h"
#include "platform/u_PEResources.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

namespace vv {

namespace {

constexpr char Magic[8] = {'V', 'V', 'R', 'S', 'R', 'C', '0', '1'};
constexpr std::uint64_t FooterSize = 32;
// A directory is a few names; anything larger is damage, not a table.
constexpr std::uint64_t MaxDirectorySize = 1 << 20;

class TFileHandle {
public:
  explicit TFileHandle(int Fd) : Fd(Fd) {}
  ~TFileHandle() {
    if (Fd >= 0) ::close(Fd);
  }
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  int Fd;
};

std::uint64_t GetLE(const unsigned char* P, int Bytes) {
  std::uint64_t V = 0;
  for (int i = Bytes - 1; i >= 0; --i)
    V = V << 8 | P[i];
  return V;
}

// Reads exactly Count bytes at Offset; false on a short read or an error.
bool ReadAt(int Fd, void* Buffer, std::size_t Count, std::uint64_t Offset) {
  auto* P = static_cast<char*>(Buffer);
  while (Count > 0) {
    const ssize_t N = ::pread(Fd, P, Count, static_cast<off_t>(Offset));
    if (N < 0 && errno == EINTR) continue;
    if (N < 0) return false;
    if (N == 0) {
      errno = EIO; // the file ended early
      return false;
    }
    P += N;
    Count -= static_cast<std::size_t>(N);
    Offset += static_cast<std::uint64_t>(N);
  }
  return true;
}

struct TTable {
  std::uint64_t BaseOffset = 0; // where the executable proper ends
  std::vector<TResourceInfo> Entries;
};

TFileReadAt ReaderOf(int Fd) {
  return [Fd](std::uint64_t At, void* Buffer, std::size_t Count) { return ReadAt(Fd, Buffer, Count, At); };
}

// The table of the open file, or false when there is no valid one. Windows
// books keep theirs in the image's resource section instead.
bool ReadTable(int Fd, TTable& Table) {
  if (IsPEImage(ReaderOf(Fd))) {
    Table.Entries = ReadPEResources(ReaderOf(Fd));
    return !Table.Entries.empty();
  }
  struct stat St {};
  if (::fstat(Fd, &St) != 0 || St.st_size < static_cast<off_t>(FooterSize)) return false;
  const auto FileSize = static_cast<std::uint64_t>(St.st_size);
  unsigned char Footer[FooterSize];
  if (!ReadAt(Fd, Footer, FooterSize, FileSize - FooterSize) ||
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
  if (!ReadAt(Fd, Dir.data(), Dir.size(), DirOffset)) return false;

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
std::optional<TResourceInfo> FindResource(int Fd, std::string_view Type, std::string_view Name) {
  TTable Table;
  if (Fd < 0 || !ReadTable(Fd, Table)) return std::nullopt;
  const auto Found =
      std::find_if(Table.Entries.begin(), Table.Entries.end(), [&](const TResourceInfo& E) {
        return SameText(E.Type, Type) && SameText(E.Name, Name);
      });
  if (Found == Table.Entries.end()) return std::nullopt;
  return *Found;
}

constexpr const char* RunningExecutable = "/proc/self/exe";

} // namespace

std::string LoadResourceDataFromFile(const std::string& Path, std::string_view Type,
                                     std::string_view Name) {
  TFileHandle File(::open(Path.c_str(), O_RDONLY | O_CLOEXEC));
  const std::optional<TResourceInfo> Found = FindResource(File.Fd, Type, Name);
  if (!Found) return {};
  std::string Data(static_cast<std::size_t>(Found->Size), '\0');
  if (!ReadAt(File.Fd, Data.data(), Data.size(), Found->Offset))
    RaiseLastOSError(Format("Reading resource \"%s\"", Name));
  return Data;
}

std::string LoadResourceData(std::string_view Name) {
  return LoadResourceDataFromFile(RunningExecutable, RT_RCDATA_NAME, Name);
}

TResourceFile::TResourceFile(std::string_view Name)
    : FFd(::open(RunningExecutable, O_RDONLY | O_CLOEXEC)) {
  if (const std::optional<TResourceInfo> Found = FindResource(FFd, RT_RCDATA_NAME, Name)) {
    FFound = true;
    FOffset = Found->Offset;
    FSize = Found->Size;
  }
}

TResourceFile::~TResourceFile() {
  if (FFd >= 0) ::close(FFd);
}

bool TResourceFile::ReadAt(std::uint64_t At, void* Buffer, std::size_t Count) const {
  return FFound && At <= FSize && FSize - At >= Count &&
         vv::ReadAt(FFd, Buffer, Count, FOffset + At);
}

std::vector<TResourceInfo> ListResources(const std::string& Path) {
  TFileHandle File(::open(Path.c_str(), O_RDONLY | O_CLOEXEC));
  TTable Table;
  if (File.Fd < 0 || !ReadTable(File.Fd, Table)) return {};
  return Table.Entries;
}

namespace {
void WriteAt(int Fd, const char* P, std::size_t Count, std::uint64_t Offset,
             const std::string& OutPath) {
  while (Count > 0) {
    const ssize_t N = ::pwrite(Fd, P, Count, static_cast<off_t>(Offset));
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) RaiseLastOSError(Format("Writing \"%s\"", OutPath));
    P += N;
    Count -= static_cast<std::size_t>(N);
    Offset += static_cast<std::uint64_t>(N);
  }
}

// The output file from Base on, where one resource is written; its writer may
// seek back over what it wrote (a cabinet completes its header last).
class TResourceRegion : public TStream {
public:
  TResourceRegion(int Fd, std::uint64_t Base, const std::string& OutPath)
      : Fd(Fd), Base(Base), OutPath(OutPath) {}
  std::int64_t Read(void*, std::int64_t) override { return 0; }
  std::int64_t Write(const void* Buffer, std::int64_t Count) override {
    if (Count <= 0) return 0;
    WriteAt(Fd, static_cast<const char*>(Buffer), static_cast<std::size_t>(Count),
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
  const int Fd;
  const std::uint64_t Base;
  const std::string& OutPath;
  std::int64_t Pos = 0, End = 0;
};

// A Windows viewer: the resources become a section of its image.
void WritePESection(int InFd, int OutFd, const std::string& ExePath, const std::string& OutPath,
                    const std::vector<TResourceSource>& Resources) {
  struct stat St {};
  if (::fstat(InFd, &St) != 0) RaiseLastOSError(Format("Reading \"%s\"", ExePath));
  std::string Image(static_cast<std::size_t>(St.st_size), '\0');
  if (!ReadAt(InFd, Image.data(), Image.size(), 0)) RaiseLastOSError(Format("Reading \"%s\"", ExePath));
  std::vector<std::pair<std::string, std::string>> TypeNames;
  for (const TResourceSource& R : Resources) TypeNames.emplace_back(R.Type, R.Name);
  WritePEWithResources(
      std::move(Image), TypeNames,
      [&](std::uint64_t Offset, std::size_t Index) {
        TResourceRegion Region(OutFd, Offset, OutPath);
        Resources[Index].Write(Region);
        return static_cast<std::uint64_t>(Region.Size());
      },
      [&](std::uint64_t Offset, const std::string& Bytes) { WriteAt(OutFd, Bytes.data(), Bytes.size(), Offset, OutPath); });
}

void WriteTable(int InFd, int OutFd, const std::string& ExePath, const std::string& OutPath,
                const std::vector<TResourceSource>& Resources) {
  if (IsPEImage(ReaderOf(InFd))) return WritePESection(InFd, OutFd, ExePath, OutPath, Resources);
  // A viewer that already carries a table contributes only the program bytes,
  // so packing a packed book replaces its resources instead of stacking them.
  TTable Existing;
  std::uint64_t Base = 0;
  if (ReadTable(InFd, Existing)) {
    Base = Existing.BaseOffset;
  } else {
    struct stat St {};
    if (::fstat(InFd, &St) != 0) RaiseLastOSError(Format("Reading \"%s\"", ExePath));
    Base = static_cast<std::uint64_t>(St.st_size);
  }
  std::vector<char> Buffer(1 << 20);
  for (std::uint64_t Done = 0; Done < Base;) {
    const std::size_t Chunk =
        static_cast<std::size_t>(std::min<std::uint64_t>(Buffer.size(), Base - Done));
    if (!ReadAt(InFd, Buffer.data(), Chunk, Done))
      RaiseLastOSError(Format("Reading \"%s\"", ExePath));
    WriteAt(OutFd, Buffer.data(), Chunk, Done, OutPath);
    Done += Chunk;
  }

  std::string Dir;
  std::uint64_t Offset = Base;
  for (const TResourceSource& R : Resources) {
    if (R.Type.size() > 0xFFFF || R.Name.size() > 0xFFFF)
      throw EOSError(EINVAL, Format("Resource name \"%s\" is too long", R.Name));
    TResourceRegion Region(OutFd, Offset, OutPath);
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
  WriteAt(OutFd, Dir.data(), Dir.size(), Offset, OutPath);
  WriteAt(OutFd, Footer.data(), Footer.size(), Offset + Dir.size(), OutPath);
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
  if (std::filesystem::equivalent(ExePath, OutPath, Ec))
    throw EOSError(EINVAL, Format("Output \"%s\" is the input executable", OutPath));
  TFileHandle In(::open(ExePath.c_str(), O_RDONLY | O_CLOEXEC));
  if (In.Fd < 0) RaiseLastOSError(Format("Opening \"%s\"", ExePath));
  TFileHandle Out(::open(OutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755));
  if (Out.Fd < 0) RaiseLastOSError(Format("Creating \"%s\"", OutPath));
  try {
    WriteTable(In.Fd, Out.Fd, ExePath, OutPath, Resources);
    // The umask may have removed execute bits at creation.
    if (::fchmod(Out.Fd, 0755) != 0 || ::fsync(Out.Fd) != 0)
      RaiseLastOSError(Format("Writing \"%s\"", OutPath));
    const int Fd = Out.Fd;
    Out.Fd = -1;
    if (::close(Fd) != 0) RaiseLastOSError(Format("Writing \"%s\"", OutPath));
  } catch (...) {
    if (Out.Fd >= 0) ::close(Out.Fd);
    Out.Fd = -1;
    ::unlink(OutPath.c_str());
    throw;
  }
}

} // namespace vv
