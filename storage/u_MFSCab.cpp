// Cabinet reading through the FDI interface, with every file an MFS stream.
#include "storage/u_MFSCab.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/CabConsts.h"

namespace vv {

std::recursive_mutex CabLock;
TMFSCabReader* CurrentCabReader = nullptr;

namespace {

const char* const SNotACabinet = "File \"%s\" is not a cabinet";
const char* const SSpannedUnsupported = "Spanned cabinets are unsupported now";
const char* const SBadHandle = "Invalid file handle";
const char* const SMemberTooLarge = "Cabinet member \"%s\" claims %d bytes, more than the cabinet can hold";

// Holds CabLock and names the reader whose library call is in progress.
class TCabCall {
public:
  explicit TCabCall(TMFSCabReader* Reader) : Lock(CabLock), Previous(CurrentCabReader) {
    CurrentCabReader = Reader;
  }
  ~TCabCall() { CurrentCabReader = Previous; }
  TCabCall(const TCabCall&) = delete;
  TCabCall& operator=(const TCabCall&) = delete;

private:
  std::lock_guard<std::recursive_mutex> Lock;
  TMFSCabReader* const Previous;
};

std::string SystemErrorMessage(std::int32_t Code, std::int32_t Type, bool Present,
                               const std::string& Last) {
  std::string Message = "FDI error";
  if (Present) {
    char Hex[16];
    std::snprintf(Hex, sizeof Hex, "%04X", static_cast<unsigned>(Code));
    Message = FDIErrorText(Code) + " [0x" + Hex + "]";
    if (Type != 0) Message += ".\r\n" + Last;
  }
  return Message;
}

TMFSFileStream* StreamOf(std::intptr_t Handle) {
  if (Handle == -1 || Handle == 0) throw EMFSCabError(SBadHandle);
  return reinterpret_cast<TMFSFileStream*>(Handle);
}

// Runs a callback body on the current reader: a failure is kept as the
// reader's last message and turned into Failed; LastError records the outcome.
template <typename TResult, typename TBody> TResult Guarded(TResult Failed, TBody&& Body) {
  TMFSCabReader* Reader = CurrentCabReader;
  if (!Reader) return Failed;
  try {
    TResult Result = Body(*Reader);
    Reader->LastError = 0;
    return Result;
  } catch (const std::exception& E) {
    Reader->LastExceptionMessage = E.what();
  } catch (...) {
    Reader->LastExceptionMessage = "Unknown error";
  }
  Reader->LastError = -1;
  return Failed;
}

std::size_t ArchiveSizeOf(const TMFSCabReader& Reader) {
  return Reader.Session->GetFile(Reader.CabinetPath)->Content.size();
}

// A member claiming more than its archive can deliver, or more than a file can
// hold, is refused before anything is written.
void CheckMemberSize(const char* Name, std::uint32_t Declared, std::size_t ArchiveSize) {
  if (!MemberSizeCredible(Declared, ArchiveSize))
    throw EMFSCabReaderError(Format(SMemberTooLarge, Name, Declared));
}

// Room for the whole member up front, so a large book is not copied while it grows.
void ReserveMember(TMFSFileStream& Stream, std::uint32_t Declared) {
  if (!Stream.File) return;
  try {
    Stream.File->Content.reserve(Declared);
  } catch (const std::bad_alloc&) {
    // Writing grows the file as it goes.
  }
}

} // namespace

bool MemberSizeCredible(std::uint32_t Declared, std::size_t ArchiveSize) {
  // Every 32 KiB an archive unpacks to needs a data block with an 8-byte header
  // of its own, so no member can truly be larger than this many times the
  // archive, whatever its compression.
  constexpr std::uint64_t MaxUnpackRatio = 32768 / 8;
  return Declared <= TMFSFileStream::MaxContentSize && Declared <= MaxUnpackRatio * ArchiveSize;
}

EMFSCabSystemError::EMFSCabSystemError(std::int32_t ErrorCode, std::int32_t ErrorType,
                                       bool ErrorPresent, const std::string& LastExceptionMessage)
    : EMFSCabError(SystemErrorMessage(ErrorCode, ErrorType, ErrorPresent, LastExceptionMessage)),
      ErrorCode(ErrorCode), ErrorType(ErrorType), ErrorPresent(ErrorPresent) {}

// ---- TMFSCabBase ----

TMFSCabBase::TMFSCabBase(TMFSSession* Session, std::string_view CabinetPath)
    : Session(Session), CabinetPath(Session->ExpandFileName(CabinetPath)) {}

void TMFSCabBase::CheckResult(FDIBOOL Result) {
  if (Result == 1) return;
  ErrorRecord.erfType = LastError;
  throw EMFSCabSystemError(ErrorRecord.erfOper, ErrorRecord.erfType, ErrorRecord.fError != 0,
                           LastExceptionMessage);
}

// ---- TMFSCabReader ----

TMFSCabReader::TMFSCabReader(TMFSSession* Session, std::string_view CabinetPath)
    : TMFSCabBase(Session, CabinetPath) {
  TCabCall Call(this);
  try {
    Context = FDICreate(MFSCabAlloc, MFSCabFree, MFSCabOpen, MFSCabRead, MFSCabWrite, MFSCabClose,
                        MFSCabSeek, VV_cpuUNKNOWN, &ErrorRecord);
    if (!Context) CheckResult(0);
    std::string Path = this->CabinetPath;
    const std::intptr_t Handle = MFSCabOpen(Path.data(), VV_O_BINARY | VV_O_RDONLY, 0);
    FDICABINETINFO Info;
    // An archive that cannot be opened is reported as not being a cabinet.
    const FDIBOOL IsCabinet = Handle != -1 && FDIIsCabinet(Context, Handle, &Info);
    MFSCabClose(Handle);
    if (!IsCabinet) throw EMFSCabReaderError(Format(SNotACabinet, CabinetPath));
    CabinetSize = Info.cbCabinet;
    FileCount = Info.cFiles;
  } catch (...) {
    // The destructor does not run for a reader that failed to construct.
    if (Context) (void)FDIDestroy(Context);
    Context = nullptr;
    throw;
  }
}

TMFSCabReader::~TMFSCabReader() {
  TCabCall Call(this);
  // Releasing the context cannot fail in a way worth raising from a destructor.
  if (Context) (void)FDIDestroy(Context);
  Context = nullptr;
}

void TMFSCabReader::Extract(std::string_view FileName, std::string_view Destination) {
  TCabCall Call(this);
  WantedName = std::string(FileName);
  DestinationPath = Session->ExpandFileName(Destination);
  std::string Name = TMFS::ExtractName(CabinetPath);
  std::string Folder = TMFS::ExtractPath(CabinetPath);
  CheckResult(FDICopy(Context, Name.data(), Folder.data(), 0, MFSCabNotify, nullptr, this));
}

// ---- Callbacks ----

void TranslateOpenFlags(int OpenFlags, int& Disposition, std::uint32_t& Flags) {
  const bool Create = OpenFlags & VV_O_CREAT;
  const bool Truncate = OpenFlags & VV_O_TRUNC;
  if ((OpenFlags & VV_O_EXCL) && Create)
    Disposition = VV_CREATE_NEW;
  else if (Truncate && Create)
    Disposition = VV_CREATE_ALWAYS;
  else if (Truncate)
    Disposition = VV_TRUNCATE_EXISTING;
  else if (Create)
    Disposition = VV_OPEN_ALWAYS;
  else
    Disposition = VV_OPEN_EXISTING;
  Flags = ((OpenFlags & VV_O_SHORT_LIVED) && Create) ? 0x100 : 0x80;
  if (OpenFlags & VV_O_RANDOM) Flags |= 0x10000000;
  if (OpenFlags & VV_O_SEQUENTIAL) Flags |= 0x08000000;
  if ((OpenFlags & VV_O_TEMPORARY) && Create) Flags |= VV_FILE_FLAG_DELETE_ON_CLOSE;
}

void* MFSCabAlloc(std::uint32_t Size) {
  return std::calloc(Size ? Size : 1, 1);
}

void MFSCabFree(void* Block) {
  std::free(Block);
}

std::intptr_t MFSCabOpen(char* FileName, int OpenFlags, int /*Permission*/) {
  return Guarded<std::intptr_t>(-1, [&](TMFSCabReader& Reader) {
    int Disposition;
    std::uint32_t Flags;
    TranslateOpenFlags(OpenFlags, Disposition, Flags);
    std::unique_ptr<TMFSFileStream> Stream =
        Reader.Session->CreateFileStream(FileName, Disposition, Flags);
    if (OpenFlags & VV_O_APPEND) Stream->Seek(0, soEnd);
    return reinterpret_cast<std::intptr_t>(Stream.release());
  });
}

std::uint32_t MFSCabRead(std::intptr_t Handle, void* Buffer, std::uint32_t Count) {
  return Guarded<std::uint32_t>(0xFFFFFFFFu, [&](TMFSCabReader&) {
    return static_cast<std::uint32_t>(StreamOf(Handle)->Read(Buffer, Count));
  });
}

std::uint32_t MFSCabWrite(std::intptr_t Handle, void* Buffer, std::uint32_t Count) {
  return Guarded<std::uint32_t>(0xFFFFFFFFu, [&](TMFSCabReader&) {
    return static_cast<std::uint32_t>(StreamOf(Handle)->Write(Buffer, Count));
  });
}

std::int32_t MFSCabSeek(std::intptr_t Handle, std::int32_t Distance, int Origin) {
  return Guarded<std::int32_t>(-1, [&](TMFSCabReader&) {
    return static_cast<std::int32_t>(StreamOf(Handle)->Seek(Distance, Origin));
  });
}

int MFSCabClose(std::intptr_t Handle) {
  if (Handle == -1) return 0;
  return Guarded<int>(-1, [&](TMFSCabReader&) {
    delete StreamOf(Handle);
    return 0;
  });
}

std::intptr_t MFSCabNotify(FDINOTIFICATIONTYPE Type, FDINOTIFICATION* N) {
  auto* Reader = static_cast<TMFSCabReader*>(N->pv);
  Reader->LastError = 0;
  try {
    switch (Type) {
    case fdintPARTIAL_FILE:
    case fdintNEXT_CABINET:
      throw EMFSCabReaderError(SSpannedUnsupported);
    case fdintCOPY_FILE: {
      if (!SameText(N->psz1, Reader->WantedName)) return 0;
      CheckMemberSize(N->psz1, static_cast<std::uint32_t>(N->cb), ArchiveSizeOf(*Reader));
      Reader->Session->ForceFolders(TMFS::ExtractPath(Reader->DestinationPath));
      std::string Path = Reader->DestinationPath;
      // Truncated, so that a second member of the wanted name replaces the first
      // instead of being written over its start: the later one wins, as it does
      // for equal names in a container's folder record and in cabinet tools.
      const std::intptr_t Handle =
          MFSCabOpen(Path.data(), VV_O_BINARY | VV_O_CREAT | VV_O_TRUNC | VV_O_SEQUENTIAL | VV_O_WRONLY,
                     VV_S_IREAD | VV_S_IWRITE);
      // A failed open has set LastError itself.
      if (Handle != -1)
        ReserveMember(*reinterpret_cast<TMFSFileStream*>(Handle), static_cast<std::uint32_t>(N->cb));
      return Handle;
    }
    case fdintCLOSE_FILE_INFO: {
      std::unique_ptr<TMFSFileStream> Stream(StreamOf(N->hf));
      if (TMFSFile* File = Stream->File) {
        File->DateTime = static_cast<std::uint32_t>(N->date) << 16 | N->time;
        File->Attributes = N->attribs & faCallerMask;
      }
      return 1;
    }
    default:
      return 0;
    }
  } catch (const std::exception& E) {
    Reader->LastExceptionMessage = E.what();
  } catch (...) {
    Reader->LastExceptionMessage = "Unknown error";
  }
  Reader->LastError = -1;
  return -1;
}

} // namespace vv
