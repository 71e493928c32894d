#include "storage/u_MFSCabLoad.h"

#include <memory>

#include "platform/u_Resources.h"
#include "storage/u_MFSCab.h"

namespace vv {

namespace {

const char* const ContainerName = "info.mfs";

#ifndef _WIN32

// The container as it comes out of the archive, read once, front to back.
class TCabMemberStream : public TSourceStream {
public:
  TCabMemberStream(TCabSource Cabinet, const TCabMemberPlace& Member)
      : TSourceStream(Member.Length), Reader(std::move(Cabinet), Member) {}

protected:
  std::string_view Next() override { return Reader.Next(); }

private:
  TCabMemberReader Reader;
};

#endif
} // namespace

#ifndef _WIN32
bool LoadPlainCabinet(TMFS& Volume, const TCabSource& Cabinet) {
  const std::optional<TCabMemberPlace> Member = FindPlainCabMember(Cabinet, ContainerName);
  if (!Member || !MemberSizeCredible(Member->Length, Cabinet.Size)) return false;
  try {
    TCabMemberStream Container(Cabinet, *Member);
    return Volume.LoadSoundContainer(Container);
  } catch (const std::bad_alloc&) {
    return false;
  }
}
#endif

void LoadAnyCabinet(TMFS& Volume, std::string CabBytes) {
  auto Scratch = std::make_unique<TMFS>();
  TMFSSession& Session = Scratch->DefaultSession();
  Session.CreateMFSFile("\\info.cab", 0, false)->Content = std::move(CabBytes);
  {
    TMFSCabReader Reader(&Session, "\\info.cab");
    Reader.Extract(ContainerName, "\\info.mfs");
  }
  // The archive is no longer needed: drop it before the tree is built.
  Session.GetFile("\\info.cab")->Content = std::string();
  Volume.LoadFromString(Session.GetFile("\\info.mfs")->Content);
}

#ifdef _WIN32
void LoadVolumeFromCabinet(TMFS& Volume, std::string CabBytes) { LoadAnyCabinet(Volume, std::move(CabBytes)); }

void LoadVolumeFromResource(TMFS& Volume, std::string_view Name) { LoadAnyCabinet(Volume, LoadResourceData(Name)); }
#else
void LoadVolumeFromCabinet(TMFS& Volume, std::string CabBytes) {
  if (!LoadPlainCabinet(Volume, CabSourceOf(CabBytes))) LoadAnyCabinet(Volume, std::move(CabBytes));
}

void LoadVolumeFromResource(TMFS& Volume, std::string_view Name) {
  {
    const TResourceFile Resource(Name);
    const TCabSource Cabinet{Resource.Size(),
                             [&Resource](std::uint64_t At, void* Buffer, std::size_t Count) {
                               return Resource.ReadAt(At, Buffer, Count);
                             }};
    if (Resource.Found() && LoadPlainCabinet(Volume, Cabinet)) return;
  }
  // No such resource, an unusual archive, or a failure: the general road reads
  // the archive whole and reports what it finds.
  LoadAnyCabinet(Volume, LoadResourceData(Name));
}
#endif

} // namespace vv
