// Volumes, path helpers and sessions of the book file system.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <future>
#include <system_error>
#include <vector>

#include "storage/u_MFS.h"

namespace vv {

namespace {
const char* const SIncorrectFormat = "Incorrect serialized format";
const char* const SPathNotFound = "Path \"%s\" not found";
const char* const SFileNotFound = "File \"%s\" not found";
const char* const SFileExists = "File \"%s\" already exists";
const char* const SFolderExists = "Folder \"%s\" already exists";
const char* const SFileNameIncorrect = "File name \"%s\" is incorrect";
const char* const SIncorrectParameters = "Incorrect parameters in method \"%s\"";

constexpr std::size_t HeaderSize = 11; // "MFS" and eight hexadecimal digits
// From this size on a container's checksum is worth a thread of its own.
constexpr std::size_t SumAsideFrom = 1 << 20;

std::string ChecksumDigits(std::uint32_t Sum) {
  char Digits[9];
  std::snprintf(Digits, sizeof Digits, "%08X", Sum);
  return std::string(Digits, 8);
}

// A container body as it is written, reduced to its checksum.
class TChecksumSink : public TSinkStream {
public:
  TMFSChecksum Sum;

protected:
  void Take(std::string_view Bytes) override { Sum.Add(Bytes); }
};
// Reads through to another stream, summing every byte that passes.
class TChecksumReader : public TStream {
public:
  explicit TChecksumReader(TStream& Source) : Source(Source) {}
  TMFSChecksum Sum;

  std::int64_t Read(void* Buffer, std::int64_t Count) override {
    const std::int64_t N = Source.Read(Buffer, Count);
    if (N > 0)
      Sum.Add(std::string_view(static_cast<const char*>(Buffer), static_cast<std::size_t>(N)));
    return N;
  }
  std::string ReadString(std::int64_t Count) override {
    std::string Bytes = Source.ReadString(Count);
    Sum.Add(Bytes);
    return Bytes;
  }
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
  std::int64_t Seek(std::int64_t Offset, int Origin) override {
    return Source.Seek(Offset, Origin);
  }
  void SetSize(std::int64_t) override { throw EStreamError("Stream is read-only"); }
  [[nodiscard]] std::int64_t Size() override { return Source.Size(); }

private:
  TStream& Source;
};
} // namespace

// ---- TMFS ----

TMFS::TMFS() : FRoot(std::make_unique<TMFSFolder>("", this, nullptr)) {}

TMFS::~TMFS() {
  FDefaultSession.reset();
  // Sessions of callers that outlive the volume must not look for it when they go.
  for (TMFSSession* Session : FSessions)
    Session->FVolumeAlive = false;
  FRoot.reset();
}

void TMFS::ReplaceRoot(std::unique_ptr<TMFSFolder> Root) {
  FRoot = std::move(Root);
  for (TMFSSession* Session : FSessions)
    Session->CurrentFolder = FRoot.get();
}

void TMFS::LoadFromString(std::string_view Data) {
  if (Data.size() < HeaderSize || Data.substr(0, 3) != "MFS")
    throw EMFSError(SIncorrectFormat);
  const auto ChecksumHolds = [Data] {
    return Data.substr(3, 8) == ChecksumDigits(MFSChecksum(Data.substr(HeaderSize)));
  };
  std::future<bool> Summing;
  if (Data.size() >= SumAsideFrom) {
    try {
      Summing = std::async(std::launch::async, ChecksumHolds);
    } catch (const std::system_error&) {
      // No second thread to be had: the sum comes first, below.
    }
  }
  if (!Summing.valid()) {
    if (!ChecksumHolds())
      throw EMFSError(SIncorrectFormat);
    FRoot.reset();
  }
  // A record that fails leaves what was read before it in the tree, which
  // still replaces the old one once the checksum is known to hold.
  auto Root = std::make_unique<TMFSFolder>("", this, nullptr);
  std::exception_ptr Failure;
  try {
    TBytesReadStream Stream(Data);
    Stream.Seek(HeaderSize, soBeginning);
    Root->LoadFromStream(Stream);
  } catch (...) {
    Failure = std::current_exception();
  }
  if (Summing.valid() && !Summing.get())
    throw EMFSError(SIncorrectFormat);
  ReplaceRoot(std::move(Root));
  if (Failure)
    std::rethrow_exception(Failure);
}

bool TMFS::LoadSoundContainer(TStream& Stream) {
  char Header[HeaderSize];
  if (Stream.Read(Header, HeaderSize) != HeaderSize || std::string_view(Header, 3) != "MFS")
    return false;
  TChecksumReader Body(Stream);
  auto Root = std::make_unique<TMFSFolder>("", this, nullptr);
  try {
    Root->LoadFromStream(Body);
    // Bytes after the root record are covered by the checksum too.
    char Rest[4096];
    while (Body.Read(Rest, sizeof Rest) > 0) {
    }
  } catch (const std::exception&) {
    return false;
  }
  if (Body.Position() != Body.Size() ||
      std::string_view(Header + 3, 8) != ChecksumDigits(Body.Sum.Value()))
    return false;
  ReplaceRoot(std::move(Root));
  return true;
}

std::string TMFS::SaveToString() const {
  // The header is reserved up front and filled in last: no second copy of the body.
  TBytesStream Stream(std::string(HeaderSize, ' '));
  Stream.Seek(0, soEnd);
  FRoot->SaveToStream(Stream);
  std::string Bytes = Stream.TakeBytes();
  const std::string Header =
      "MFS" + ChecksumDigits(MFSChecksum(std::string_view(Bytes).substr(HeaderSize)));
  std::copy(Header.begin(), Header.end(), Bytes.begin());
  return Bytes;
}

void TMFS::SaveToStream(TStream& Stream) const {
  // The header's checksum covers the body after it: a first pass over the
  // tree finds it, so that the body is never held whole.
  TChecksumSink Body;
  FRoot->SaveToStream(Body);
  Stream.WriteBytes("MFS" + ChecksumDigits(Body.Sum.Value()));
  FRoot->SaveToStream(Stream);
}

TMFSSession& TMFS::DefaultSession() {
  if (!FDefaultSession)
    FDefaultSession = std::make_unique<TMFSSession>(this, FRoot.get());
  return *FDefaultSession;
}

std::unique_ptr<TMFSSession> TMFS::CreateSession(TMFSFolder* Folder) {
  return std::make_unique<TMFSSession>(this, Folder ? Folder : FRoot.get());
}

// ---- Path helpers ----

std::string TMFS::NormalizeSeparators(std::string_view P) {
  std::string Result(P);
  std::replace(Result.begin(), Result.end(), '/', '\\');
  return Result;
}

std::string TMFS::IncludeTrailingBackslash(std::string_view P) {
  std::string Result(P);
  if (!Result.empty() && Result.back() != '\\')
    Result += '\\';
  return Result;
}

std::string TMFS::ExcludeTrailingBackslash(std::string_view P) {
  if (!P.empty() && P.back() == '\\')
    P.remove_suffix(1);
  return std::string(P);
}

std::string TMFS::ExtractPath(std::string_view P) {
  const auto Last = P.rfind('\\');
  return Last == std::string_view::npos ? std::string() : std::string(P.substr(0, Last + 1));
}

std::string TMFS::ExtractName(std::string_view P) {
  const auto Last = P.rfind('\\');
  return std::string(Last == std::string_view::npos ? P : P.substr(Last + 1));
}

std::string TMFS::ExtractExt(std::string_view P) {
  const auto Dot = P.rfind('.');
  const auto Last = P.rfind('\\');
  if (Dot == std::string_view::npos || (Last != std::string_view::npos && Dot < Last))
    return {};
  return std::string(P.substr(Dot));
}

std::string TMFS::CanonicalizePath(std::string_view P) {
  if (P == "\\")
    return "\\";
  const bool Leading = !P.empty() && P.front() == '\\';
  const bool Trailing = P.size() > 1 && P.back() == '\\';
  std::string_view Rest = P;
  if (Leading)
    Rest.remove_prefix(1);
  if (Trailing && !Rest.empty())
    Rest.remove_suffix(1);

  std::vector<std::string_view> Components;
  if (!Rest.empty()) {
    std::size_t Start = 0;
    while (true) {
      const auto End = Rest.find('\\', Start);
      Components.push_back(Rest.substr(Start, End == std::string_view::npos ? std::string_view::npos : End - Start));
      if (End == std::string_view::npos)
        break;
      Start = End + 1;
    }
  }

  std::vector<std::string_view> Kept;
  Kept.reserve(Components.size());
  for (const std::string_view C : Components) {
    if (C == "..") {
      if (Kept.empty())
        throw EMFSError(Format(SFileNameIncorrect, P));
      Kept.pop_back();
    } else if (C != ".") {
      Kept.push_back(C);
    }
  }

  std::string Result = Leading ? "\\" : "";
  for (std::size_t i = 0; i < Kept.size(); ++i) {
    if (i)
      Result += '\\';
    Result += Kept[i];
  }
  if (Trailing)
    Result += '\\';
  return Result;
}

// ---- TMFSSession ----

TMFSSession::TMFSSession(TMFS* Volume, TMFSFolder* CurrentFolder) : CurrentFolder(CurrentFolder), Volume(Volume) {
  Volume->FSessions.push_back(this);
}

TMFSSession::~TMFSSession() {
  if (FVolumeAlive)
    std::erase(Volume->FSessions, this);
}

TMFSItem* TMFSSession::ResolvePath(const std::string& Path) const {
  if (Path.empty())
    return CurrentFolder;
  TMFSFolder* Current = CurrentFolder;
  std::string_view Rest = Path;
  if (Rest.front() == '\\') {
    Current = &Volume->Root();
    Rest.remove_prefix(1);
  }
  const bool MustBeFolder = !Rest.empty() && Rest.back() == '\\';
  while (!Rest.empty()) {
    const auto Sep = Rest.find('\\');
    const std::string_view Component = Rest.substr(0, Sep);
    Rest = Sep == std::string_view::npos ? std::string_view() : Rest.substr(Sep + 1);
    TMFSItem* Item = Current->GetItem(Component);
    if (auto* Folder = dynamic_cast<TMFSFolder*>(Item)) {
      Current = Folder;
      continue;
    }
    if (MustBeFolder || !Rest.empty() || !Item)
      throw EMFSError(Format(SPathNotFound, Path));
    return Item;
  }
  return Current;
}

TMFSFolder* TMFSSession::FolderOf(const std::string& Path) const {
  // The folder part ends in a backslash (or is empty), so it resolves to a folder.
  return static_cast<TMFSFolder*>(ResolvePath(TMFS::IncludeTrailingBackslash(TMFS::ExtractPath(Path))));
}

void TMFSSession::ChangeDir(std::string_view Path) {
  if (Path.empty())
    return;
  CurrentFolder = static_cast<TMFSFolder*>(
      ResolvePath(TMFS::IncludeTrailingBackslash(TMFS::NormalizeSeparators(Path))));
}

bool TMFSSession::Exists(std::string_view Path) {
  try {
    (void)ResolvePath(TMFS::NormalizeSeparators(Path));
    return true;
  } catch (const EMFSError&) {
    return false;
  }
}

TMFSFile* TMFSSession::GetFile(std::string_view Path) {
  const std::string P = TMFS::NormalizeSeparators(Path);
  TMFSFolder* Folder = FolderOf(P);
  if (auto* File = dynamic_cast<TMFSFile*>(Folder->GetItem(TMFS::ExtractName(P))))
    return File;
  throw EMFSError(Format(SFileNotFound, Path));
}

TMFSFile* TMFSSession::CreateMFSFile(std::string_view Path, std::uint32_t Attributes, bool AllowExisting) {
  const std::string P = TMFS::NormalizeSeparators(Path);
  TMFSFolder* Folder = FolderOf(P);
  const std::string Name = TMFS::ExtractName(P);
  TMFSItem* Item = Folder->GetItem(Name);
  if (!Item) {
    auto* File = new TMFSFile(Name, Volume, Folder);
    File->Attributes |= Attributes & faCallerMask;
    return File;
  }
  if (auto* File = dynamic_cast<TMFSFile*>(Item)) {
    if (AllowExisting)
      return File;
    throw EMFSError(Format(SFileExists, Path));
  }
  throw EMFSError(Format(SFolderExists, Path));
}

TMFSFolder* TMFSSession::ForceFolders(std::string_view Path) {
  const std::string P = TMFS::NormalizeSeparators(Path);
  if (P.empty())
    return CurrentFolder;
  if (P == "\\")
    return &Volume->Root();
  // One component at a time from the top, without recursion or copies of the
  // path's prefixes, so that time and memory stay linear in its length.
  std::string_view Rest = P;
  if (Rest.back() == '\\')
    Rest.remove_suffix(1);
  TMFSFolder* Folder = CurrentFolder;
  std::size_t Start = 0;
  if (Rest.front() == '\\') {
    Folder = &Volume->Root();
    Start = 1;
  }
  while (true) {
    const auto End = Rest.find('\\', Start);
    const std::string_view Name = Rest.substr(Start, End == std::string_view::npos ? End : End - Start);
    TMFSItem* Item = Folder->GetItem(Name);
    if (!Item)
      Folder = new TMFSFolder(Name, Volume, Folder);
    else if (auto* Sub = dynamic_cast<TMFSFolder*>(Item))
      Folder = Sub;
    else // named with the path up to this component and its backslash
      throw EMFSError(Format(SFileExists, End == std::string_view::npos ? P : P.substr(0, End + 1)));
    if (End == std::string_view::npos)
      return Folder;
    Start = End + 1;
  }
}

std::unique_ptr<TMFSFileStream> TMFSSession::CreateFileStream(std::string_view Path, int Disposition,
                                                              std::uint32_t Flags) {
  TMFSFile* File = nullptr;
  switch (Disposition) {
  case VV_CREATE_NEW: File = CreateMFSFile(Path, Flags, false); break;
  case VV_CREATE_ALWAYS:
    File = CreateMFSFile(Path, Flags, true);
    File->Content.clear();
    break;
  case VV_OPEN_EXISTING: File = GetFile(Path); break;
  case VV_OPEN_ALWAYS: File = CreateMFSFile(Path, Flags, true); break;
  case VV_TRUNCATE_EXISTING:
    File = GetFile(Path);
    File->Content.clear();
    break;
  default: throw EMFSError(Format(SIncorrectParameters, "TMFSSession.CreateFileStream"));
  }
  if (Flags & VV_FILE_FLAG_DELETE_ON_CLOSE)
    File->DeleteOnClose = true;
  return File->CreateStream();
}

std::string TMFSSession::ExpandFileName(std::string_view Path) const {
  const std::string P = TMFS::NormalizeSeparators(Path);
  if (!P.empty() && P.front() == '\\')
    return TMFS::CanonicalizePath(P);
  return TMFS::CanonicalizePath(CurrentFolder->FullPath() + P);
}

} // namespace vv
