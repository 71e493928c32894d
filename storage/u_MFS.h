#pragma once
// The in-memory book file system: items, the container format, volumes,
// sessions with path resolution, and streams over a file's bytes.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/u_ObjectDictionary.h"
#include "text/u_Streams.h"
#include "text/u_Utils.h"

namespace vv {

class EMFSError : public Exception {
  using Exception::Exception;
};

class TMFS;
class TMFSFolder;
class TMFSFileStream;

// DOS attribute bits.
enum : std::uint32_t {
  faReadOnly = 0x01,
  faHidden = 0x02,
  faSysFile = 0x04,
  faDirectory = 0x10,
  faArchive = 0x20,
  faCallerMask = 0x3F,
};

// Creation dispositions and the delete-on-close flag, numbered as the platform numbers them.
enum : int { VV_CREATE_NEW = 1, VV_CREATE_ALWAYS = 2, VV_OPEN_EXISTING = 3, VV_OPEN_ALWAYS = 4, VV_TRUNCATE_EXISTING = 5 };
constexpr std::uint32_t VV_FILE_FLAG_DELETE_ON_CLOSE = 0x04000000;

// Containers nesting folders deeper than this are refused as malformed.
constexpr int MaxFolderNesting = 1000;

class TMFSItem {
public:
  // With a Parent, the item is stored in it under Name, replacing (and
  // destroying) an item of an equal name.
  TMFSItem(std::string_view Name, TMFS* Volume, TMFSFolder* Parent);
  virtual ~TMFSItem();
  TMFSItem(const TMFSItem&) = delete;
  TMFSItem& operator=(const TMFSItem&) = delete;

  virtual void SaveToStream(TStream& Stream) const;
  virtual void LoadFromStream(TStream& Stream);
  virtual void SaveToDisk(const std::string& Path) const = 0;

  std::string Name;
  std::uint32_t DateTime;
  std::uint32_t Attributes = 0;
  TMFSFolder* Parent = nullptr; // not owned: the folder owns this item
  TMFS* const Volume;           // not owned
};

class TMFSFile : public TMFSItem {
public:
  TMFSFile(std::string_view Name, TMFS* Volume, TMFSFolder* Parent);
  ~TMFSFile() override;

  void SaveToStream(TStream& Stream) const override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToDisk(const std::string& Path) const override;

  [[nodiscard]] std::unique_ptr<TMFSFileStream> CreateStream();

  std::vector<TMFSFileStream*> OpenStreams; // not owned
  std::string Content;
  bool DeleteOnClose = false;

private:
  friend class TMFSFileStream;
  void StreamClosed(TMFSFileStream* Stream);
};

class TMFSFolder : public TMFSItem {
public:
  TMFSFolder(std::string_view Name, TMFS* Volume, TMFSFolder* Parent);
  ~TMFSFolder() override;

  void SaveToStream(TStream& Stream) const override;
  void LoadFromStream(TStream& Stream) override;
  void SaveToDisk(const std::string& Path) const override;

  // "." is the folder, ".." its parent, anything else a child or nullptr.
  [[nodiscard]] TMFSItem* GetItem(std::string_view ItemName) const;
  void Clear();
  // The names from the root down to this folder, each followed by a backslash.
  [[nodiscard]] std::string FullPath() const;

  TObjectDictionary<TMFSItem> Children{true, true, true};

private:
  void LoadRecord(TStream& Stream, int Depth);
  void DetachChildren(std::vector<TMFSItem*>& Into);
};

// A session is known to its volume while both live, so that loading a new
// tree can move it off the folders being destroyed.
class TMFSSession {
public:
  TMFSSession(TMFS* Volume, TMFSFolder* CurrentFolder);
  ~TMFSSession();
  TMFSSession(const TMFSSession&) = delete;
  TMFSSession& operator=(const TMFSSession&) = delete;

  void ChangeDir(std::string_view Path);
  [[nodiscard]] bool Exists(std::string_view Path);
  [[nodiscard]] TMFSFile* GetFile(std::string_view Path);
  TMFSFile* CreateMFSFile(std::string_view Path, std::uint32_t Attributes, bool AllowExisting);
  TMFSFolder* ForceFolders(std::string_view Path);
  [[nodiscard]] std::unique_ptr<TMFSFileStream> CreateFileStream(std::string_view Path, int Disposition,
                                                                 std::uint32_t Flags);
  [[nodiscard]] std::string ExpandFileName(std::string_view Path) const;

  TMFSFolder* CurrentFolder; // not owned
  TMFS* const Volume;        // not owned

private:
  friend class TMFS;
  [[nodiscard]] TMFSItem* ResolvePath(const std::string& Path) const;
  [[nodiscard]] TMFSFolder* FolderOf(const std::string& Path) const;

  bool FVolumeAlive = true;
};

class TMFS {
public:
  TMFS();
  ~TMFS();
  TMFS(const TMFS&) = delete;
  TMFS& operator=(const TMFS&) = delete;

  // Replaces the whole tree; magic and checksum are checked before the old tree
  // goes. Every session of the volume is moved to the new root. A large
  // container's checksum is summed on a second thread while its tree is read
  // aside; the tree takes the old one's place only once the checksum holds.
  void LoadFromString(std::string_view Data);
  // The same for a container read once, front to back, from Stream, which is
  // never held whole: the new tree is built aside while the checksum is summed
  // and takes the old one's place only if the container is sound throughout.
  // False, with the volume untouched, for a container LoadFromString would
  // refuse or load only in part (or memory running out): that says why.
  [[nodiscard]] bool LoadSoundContainer(TStream& Stream);
  // The whole tree as container bytes; a tree nesting folders deeper than
  // MaxFolderNesting is refused, since no loader would take it back.
  [[nodiscard]] std::string SaveToString() const;
  // The same bytes written to Stream without building them in memory; the
  // tree is walked twice, the first time for the header's checksum.
  void SaveToStream(TStream& Stream) const;

  [[nodiscard]] TMFSSession& DefaultSession();
  [[nodiscard]] std::unique_ptr<TMFSSession> CreateSession(TMFSFolder* Folder = nullptr);
  [[nodiscard]] TMFSFolder& Root() const { return *FRoot; }

  [[nodiscard]] static std::string NormalizeSeparators(std::string_view P);
  [[nodiscard]] static std::string IncludeTrailingBackslash(std::string_view P);
  [[nodiscard]] static std::string ExcludeTrailingBackslash(std::string_view P);
  [[nodiscard]] static std::string ExtractPath(std::string_view P);
  [[nodiscard]] static std::string ExtractName(std::string_view P);
  [[nodiscard]] static std::string ExtractExt(std::string_view P);
  [[nodiscard]] static std::string CanonicalizePath(std::string_view P);

private:
  friend class TMFSSession;
  // The tree becomes Root; every session moves to it as the old tree goes.
  void ReplaceRoot(std::unique_ptr<TMFSFolder> Root);

  std::unique_ptr<TMFSFolder> FRoot;
  std::unique_ptr<TMFSSession> FDefaultSession;
  std::vector<TMFSSession*> FSessions; // not owned: every live session on this volume
};

// Reads and writes a file's Content; Position stays within 0 .. size.
// Once its file is destroyed the stream is detached and acts as an empty,
// unwritable stream.
class TMFSFileStream : public TStream {
public:
  explicit TMFSFileStream(TMFSFile* File) : File(File) {}
  ~TMFSFileStream() override;

  std::int64_t Read(void* Buffer, std::int64_t Count) override;
  std::int64_t Write(const void* Buffer, std::int64_t Count) override;
  // Origin 2 counts the offset backwards from the end (size minus offset).
  std::int64_t Seek(std::int64_t Offset, int Origin) override;
  void SetSize(std::int64_t NewSize) override;
  [[nodiscard]] std::int64_t Size() override;

  // Positions are 32-bit: no file grows beyond this through a stream.
  static constexpr std::int64_t MaxContentSize = 0x7FFFFFFF;

  TMFSFile* File; // not owned; nullptr once detached
  std::int32_t Position = 0;
};

} // namespace vv
