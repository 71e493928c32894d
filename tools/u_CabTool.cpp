#include "tools/u_CabTool.h"

#include <memory>

#include "storage/u_MFSCab.h"

namespace vv {

namespace {

struct TCabToolState {
  TMFSCabReader* Reader;
  bool Unpack = false; // false: list only
  std::vector<TCabMemberInfo> Members;
};

// The tool's own notification: offer every member (listing skips them all).
std::intptr_t ToolNotify(FDINOTIFICATIONTYPE Type, FDINOTIFICATION* N) {
  auto* State = static_cast<TCabToolState*>(N->pv);
  TMFSCabReader* Reader = State->Reader;
  Reader->LastError = 0;
  try {
    switch (Type) {
    case fdintPARTIAL_FILE:
      State->Members.push_back({N->psz1, 0, 0, 0, "begins in an earlier cabinet"});
      return 0;
    case fdintNEXT_CABINET:
      throw EMFSCabReaderError("Spanned cabinets are unsupported now");
    case fdintCOPY_FILE: {
      State->Members.push_back({N->psz1, static_cast<std::uint32_t>(N->cb),
                                static_cast<std::uint32_t>(N->date) << 16 | N->time, N->attribs,
                                ""});
      if (!State->Unpack) return 0;
      const std::string Safe = SafeMemberPath(N->psz1);
      if (Safe.empty()) {
        State->Members.back().Skipped = "no usable name";
        return 0;
      }
      std::string Path = "\\out\\" + Safe;
      try {
        Reader->Session->ForceFolders(TMFS::ExtractPath(Path));
        std::unique_ptr<TMFSFileStream> Stream =
            Reader->Session->CreateFileStream(Path, VV_CREATE_ALWAYS, 0x80);
        return reinterpret_cast<std::intptr_t>(Stream.release());
      } catch (const EMFSError& E) {
        State->Members.back().Skipped = E.what(); // clashes with an earlier member
        return 0;
      }
    }
    case fdintCLOSE_FILE_INFO: {
      auto* Stream = reinterpret_cast<TMFSFileStream*>(N->hf);
      if (Stream->File) {
        Stream->File->DateTime = static_cast<std::uint32_t>(N->date) << 16 | N->time;
        Stream->File->Attributes = N->attribs & faCallerMask;
      }
      MFSCabClose(N->hf);
      return 1;
    }
    default:
      return 0;
    }
  } catch (const std::exception& E) {
    Reader->LastExceptionMessage = E.what();
  }
  Reader->LastError = -1;
  return -1;
}

std::vector<TCabMemberInfo> Run(std::string CabBytes, const std::string& ArchiveName,
                                const std::string* DiskDir) {
  // The archive and the unpacked members live in one scratch volume.
  TMFS Scratch;
  TMFSSession& Session = Scratch.DefaultSession();
  Session.CreateMFSFile("\\archive.cab", 0, false)->Content = std::move(CabBytes);
  std::unique_ptr<TMFSCabReader> Opened;
  try {
    Opened = std::make_unique<TMFSCabReader>(&Session, "\\archive.cab");
  } catch (const EMFSCabReaderError&) {
    throw EMFSCabReaderError(Format("File \"%s\" is not a cabinet", ArchiveName));
  }
  TMFSCabReader& Reader = *Opened;
  TMFSFolder* Out = Session.ForceFolders("\\out\\");
  TCabToolState State{&Reader, DiskDir != nullptr, {}};
  {
    std::lock_guard Lock(CabLock);
    TMFSCabReader* const Previous = CurrentCabReader;
    CurrentCabReader = &Reader;
    std::string Name = "archive.cab", Folder = "\\";
    const FDIBOOL Result =
        FDICopy(Reader.Context, Name.data(), Folder.data(), 0, ToolNotify, nullptr, &State);
    CurrentCabReader = Previous;
    Reader.CheckResult(Result);
  }
  if (DiskDir) Out->SaveToDisk(*DiskDir);
  return State.Members;
}

} // namespace

std::string SafeMemberPath(std::string_view Name) {
  std::string Result;
  std::size_t Start = 0;
  while (Start <= Name.size()) {
    std::size_t End = Name.find_first_of("\\/", Start);
    if (End == std::string_view::npos) End = Name.size();
    const std::string_view Component = Name.substr(Start, End - Start);
    if (!Component.empty() && Component != "." && Component != "..") {
      if (!Result.empty()) Result += '\\';
      Result += Component;
    }
    Start = End + 1;
  }
  return Result;
}

std::vector<TCabMemberInfo> ListCabinet(std::string CabBytes, const std::string& Name) {
  return Run(std::move(CabBytes), Name, nullptr);
}

std::vector<TCabMemberInfo> ExtractCabinet(std::string CabBytes, const std::string& Name,
                                           const std::string& DiskDir) {
  return Run(std::move(CabBytes), Name, &DiskDir);
}

} // namespace vv
