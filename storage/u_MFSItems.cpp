// Items of the book file system and their container records.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/u_FileNames.h"
#include "storage/u_MFS.h"

namespace vv {

namespace {
const char* const SIncorrectFormat = "Incorrect serialized format";
const char* const SFileNameIncorrect = "File name \"%s\" is incorrect";
const char* const SCannotWrite = "Cannot write \"%s\"";
const char* const SNestedTooDeep = "Folder \"%s\" nests deeper than %d levels";

// A stored name must be a single path component before it may reach the disk.
void CheckDiskName(const std::string& Name) {
  if (Name.empty() || Name == "." || Name == ".." ||
      Name.find_first_of(std::string_view("/\\\0", 3)) != std::string::npos)
    throw EMFSError(Format(SFileNameIncorrect, Name));
}

void ForceDirectories(const std::filesystem::path& Dir) {
  std::error_code Error;
  if (!Dir.empty() && !std::filesystem::create_directories(Dir, Error) && Error)
    throw EMFSError(Format(SCannotWrite, NameOf(Dir)) + ": " + Error.message());
}
} // namespace

TMFSItem::TMFSItem(std::string_view Name, TMFS* Volume, TMFSFolder* Parent)
    : Name(Name), DateTime(NowAsDosDateTime()), Parent(Parent), Volume(Volume) {
  if (Parent)
    Parent->Children.Put(Name, this);
}

TMFSItem::~TMFSItem() {
  if (Parent && Parent->Children.Find(Name) == this)
    (void)Parent->Children.Extract(Name);
  Parent = nullptr;
}

void TMFSItem::SaveToStream(TStream& Stream) const {
  Stream.WriteSizedBytes(Name);
  Stream.WriteUInt32(DateTime);
  Stream.WriteUInt32(Attributes);
}

void TMFSItem::LoadFromStream(TStream& Stream) {
  Name = Stream.ReadSizedBytes();
  DateTime = Stream.ReadUInt32();
  Attributes = Stream.ReadUInt32();
}

TMFSFile::TMFSFile(std::string_view Name, TMFS* Volume, TMFSFolder* Parent)
    : TMFSItem(Name, Volume, Parent) {
  Attributes |= faArchive;
}

TMFSFile::~TMFSFile() {
  for (TMFSFileStream* Stream : OpenStreams)
    Stream->File = nullptr;
}

void TMFSFile::SaveToStream(TStream& Stream) const {
  TMFSItem::SaveToStream(Stream);
  Stream.WriteSizedBytes(Content);
}

void TMFSFile::LoadFromStream(TStream& Stream) {
  TMFSItem::LoadFromStream(Stream);
  Content = Stream.ReadSizedBytes();
}

void TMFSFile::SaveToDisk(const std::string& Path) const {
  const std::filesystem::path Target = PathOf(Path);
  ForceDirectories(Target.parent_path());
  std::ofstream Out(Target, std::ios::binary | std::ios::trunc);
  Out.write(Content.data(), static_cast<std::streamsize>(Content.size()));
  Out.close();
  if (!Out)
    throw EMFSError(Format(SCannotWrite, Path));
}

std::unique_ptr<TMFSFileStream> TMFSFile::CreateStream() {
  auto Stream = std::make_unique<TMFSFileStream>(this);
  OpenStreams.push_back(Stream.get());
  return Stream;
}

void TMFSFile::StreamClosed(TMFSFileStream* Stream) {
  OpenStreams.erase(std::remove(OpenStreams.begin(), OpenStreams.end(), Stream), OpenStreams.end());
  if (DeleteOnClose && OpenStreams.empty())
    delete this;
}

TMFSFolder::TMFSFolder(std::string_view Name, TMFS* Volume, TMFSFolder* Parent)
    : TMFSItem(Name, Volume, Parent) {
  Attributes |= faDirectory;
}

TMFSFolder::~TMFSFolder() { Clear(); }

TMFSItem* TMFSFolder::GetItem(std::string_view ItemName) const {
  if (ItemName == ".")
    return const_cast<TMFSFolder*>(this);
  if (ItemName == "..")
    return Parent;
  return Children.Find(ItemName);
}

void TMFSFolder::DetachChildren(std::vector<TMFSItem*>& Into) {
  Children.ForEach([&](const std::string&, TMFSItem* Child) {
    Child->Parent = nullptr;
    Into.push_back(Child);
  });
  Children.Dictionary.Clear();
}

void TMFSFolder::Clear() {
  // Flattened first, so that destroying a deep tree needs no deep recursion.
  std::vector<TMFSItem*> Doomed;
  DetachChildren(Doomed);
  for (std::size_t i = 0; i < Doomed.size(); ++i)
    if (auto* Folder = dynamic_cast<TMFSFolder*>(Doomed[i]))
      Folder->DetachChildren(Doomed);
  for (TMFSItem* Item : Doomed)
    delete Item;
}

std::string TMFSFolder::FullPath() const {
  std::vector<const TMFSFolder*> Chain;
  for (const TMFSFolder* F = this; F; F = F->Parent)
    Chain.push_back(F);
  std::string Path;
  for (auto F = Chain.rbegin(); F != Chain.rend(); ++F)
    Path += (*F)->Name + '\\';
  return Path;
}

void TMFSFolder::SaveToStream(TStream& Stream) const {
  // An explicit stack of the folders being written, each with the children it
  // has still to write: no recursion however deep the tree.
  struct TOpenFolder {
    std::vector<TMFSItem*> Children;
    std::size_t Next = 0;
  };
  std::vector<TOpenFolder> Open;
  const auto Begin = [&](const TMFSFolder& Folder) {
    // The loader counts levels the same way, this folder being level 0.
    if (Open.size() > static_cast<std::size_t>(MaxFolderNesting))
      throw EMFSError(Format(SNestedTooDeep, Folder.FullPath(), MaxFolderNesting));
    Folder.TMFSItem::SaveToStream(Stream);
    Stream.WriteUInt32(static_cast<std::uint32_t>(Folder.Children.Count()));
    Open.push_back({Folder.Children.Values()});
  };
  Begin(*this);
  while (!Open.empty()) {
    TOpenFolder& Top = Open.back();
    if (Top.Next == Top.Children.size()) {
      Open.pop_back();
      continue;
    }
    const TMFSItem* Child = Top.Children[Top.Next++];
    if (const auto* File = dynamic_cast<const TMFSFile*>(Child)) {
      Stream.WriteBuffer("F", 1);
      File->SaveToStream(Stream);
    } else {
      Stream.WriteBuffer("D", 1);
      Begin(*static_cast<const TMFSFolder*>(Child)); // may move Top
    }
  }
}

void TMFSFolder::LoadFromStream(TStream& Stream) { LoadRecord(Stream, 0); }

void TMFSFolder::LoadRecord(TStream& Stream, int Depth) {
  if (Depth > MaxFolderNesting)
    throw EMFSError(SIncorrectFormat);
  TMFSItem::LoadFromStream(Stream);
  Clear();
  const std::uint32_t Count = Stream.ReadUInt32();
  for (std::uint32_t i = 0; i < Count; ++i) {
    char Type = 0;
    Stream.ReadBuffer(&Type, 1);
    std::unique_ptr<TMFSItem> Child;
    if (Type == 'D') {
      auto Folder = std::make_unique<TMFSFolder>("", Volume, nullptr);
      Folder->LoadRecord(Stream, Depth + 1);
      Child = std::move(Folder);
    } else if (Type == 'F') {
      Child = std::make_unique<TMFSFile>("", Volume, nullptr);
      Child->LoadFromStream(Stream);
    } else {
      throw EMFSError(SIncorrectFormat);
    }
    Child->Parent = this;
    Children.Put(Child->Name, Child.get());
    (void)Child.release();
  }
}

void TMFSFolder::SaveToDisk(const std::string& Path) const {
  ForceDirectories(PathOf(Path));
  const std::string Prefix = Path.empty() || Path.back() == '/' ? Path : Path + '/';
  Children.ForEach([&](const std::string&, const TMFSItem* Child) {
    CheckDiskName(Child->Name);
    Child->SaveToDisk(Prefix + Child->Name);
  });
}

} // namespace vv
