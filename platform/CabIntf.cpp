// FDI over libmspack. libmspack reaches files only through the mspack_system
// below, whose every operation calls the caller's FDI callbacks.
#include "platform/CabIntf.h"

#include <mspack.h>

#include "platform/CabMszip.h"
#include "text/u_Utils.h"

#include <cstdarg>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

namespace vv {

namespace {

struct TFDIContext {
  mspack_system Sys;
  PFNALLOC Alloc;
  PFNFREE Free;
  PFNOPEN Open;
  PFNREAD Read;
  PFNWRITE Write;
  PFNCLOSE Close;
  PFNSEEK Seek;
  ERF* Erf;
  mscab_decompressor* Cabd = nullptr;
  // The handle of the member being extracted: libmspack's one write-mode open.
  std::intptr_t OutputHandle = -1;
  bool OutputFailed = false;
  // After a failure, handles are closed only when the context is next used or
  // destroyed: the caller's record of the callback that failed stays the last word.
  bool DeferCloses = false;
  std::vector<std::intptr_t>* PendingCloses = nullptr;
};

// Runs inside libmspack's C frames too: nothing may escape from here.
void CloseHandle(TFDIContext* Ctx, std::intptr_t Handle) noexcept {
  if (Ctx->DeferCloses) {
    try {
      Ctx->PendingCloses->push_back(Handle);
      return;
    } catch (...) {
      // Without room to remember it, close it now.
    }
  }
  Ctx->Close(Handle);
}

void FlushCloses(TFDIContext* Ctx) {
  Ctx->DeferCloses = false;
  std::vector<std::intptr_t> Pending;
  Pending.swap(*Ctx->PendingCloses);
  for (const std::intptr_t Handle : Pending)
    Ctx->Close(Handle);
}

// A file as libmspack sees it: a callback handle, closed by us only if we opened it.
struct TFDIFile {
  TFDIContext* Ctx;
  std::intptr_t Handle;
  bool Owned;
};

constexpr int CabinetOpenFlags = VV_O_BINARY | VV_O_RDONLY;
constexpr int CabinetPermission = VV_S_IREAD | VV_S_IWRITE;
constexpr std::uint32_t ReadFailed = 0xFFFFFFFFu;
constexpr int HeaderSize = 36;

TFDIFile* AsFile(mspack_file* F) {
  return reinterpret_cast<TFDIFile*>(F);
}

// libmspack hands its decoders copies of our mspack_system, so "self" does
// not lead back to the context: the context of the FDI call in progress on
// this thread does.
thread_local TFDIContext* ActiveContext = nullptr;

class TActive {
public:
  explicit TActive(TFDIContext* Ctx) : Previous(ActiveContext) { ActiveContext = Ctx; }
  ~TActive() { ActiveContext = Previous; }
  TActive(const TActive&) = delete;
  TActive& operator=(const TActive&) = delete;

private:
  TFDIContext* const Previous;
};

mspack_file* SysOpen(mspack_system*, const char* Filename, int Mode) noexcept {
  TFDIContext* Ctx = ActiveContext;
  if (!Ctx) return nullptr;
  std::intptr_t Handle = -1;
  bool Owned = true;
  if (Mode == MSPACK_SYS_OPEN_WRITE) {
    Handle = Ctx->OutputHandle;
    Owned = false;
  } else if (Mode == MSPACK_SYS_OPEN_READ) {
    // The callback takes a writable name: hand it a copy.
    char* Name = static_cast<char*>(
        Ctx->Alloc(static_cast<std::uint32_t>(std::strlen(Filename ? Filename : "") + 1)));
    if (!Name) return nullptr;
    std::strcpy(Name, Filename ? Filename : "");
    Handle = Ctx->Open(Name, CabinetOpenFlags, CabinetPermission);
    Ctx->Free(Name);
  }
  if (Handle == -1) return nullptr;
  auto* File = static_cast<TFDIFile*>(Ctx->Alloc(sizeof(TFDIFile)));
  if (!File) {
    if (Owned) Ctx->Close(Handle);
    return nullptr;
  }
  *File = TFDIFile{Ctx, Handle, Owned};
  return reinterpret_cast<mspack_file*>(File);
}

void SysClose(mspack_file* F) {
  if (!F) return;
  TFDIFile* File = AsFile(F);
  TFDIContext* Ctx = File->Ctx;
  if (File->Owned) CloseHandle(Ctx, File->Handle);
  Ctx->Free(File);
}

int SysRead(mspack_file* F, void* Buffer, int Bytes) {
  TFDIFile* File = AsFile(F);
  if (Bytes < 0) return -1;
  const std::uint32_t N = File->Ctx->Read(File->Handle, Buffer, static_cast<std::uint32_t>(Bytes));
  if (N == ReadFailed || N > static_cast<std::uint32_t>(Bytes)) return -1;
  return static_cast<int>(N);
}

int SysWrite(mspack_file* F, void* Buffer, int Bytes) {
  TFDIFile* File = AsFile(F);
  if (Bytes < 0) return -1;
  const std::uint32_t N = File->Ctx->Write(File->Handle, Buffer, static_cast<std::uint32_t>(Bytes));
  if (N != static_cast<std::uint32_t>(Bytes)) {
    if (File->Handle == File->Ctx->OutputHandle) File->Ctx->OutputFailed = true;
    return -1;
  }
  return Bytes;
}

off_t SysTell(mspack_file* F) {
  TFDIFile* File = AsFile(F);
  return File->Ctx->Seek(File->Handle, 0, MSPACK_SYS_SEEK_CUR);
}

// Every seek becomes an absolute one: offsets counted from the end mean
// different things to different callbacks, the end itself (offset 0) does not.
int SysSeek(mspack_file* F, off_t Offset, int Mode) {
  TFDIFile* File = AsFile(F);
  TFDIContext* Ctx = File->Ctx;
  off_t Base = 0;
  if (Mode == MSPACK_SYS_SEEK_CUR || Mode == MSPACK_SYS_SEEK_END) {
    Base = Ctx->Seek(File->Handle, 0, Mode);
    if (Base < 0) return -1;
  } else if (Mode != MSPACK_SYS_SEEK_START) {
    return -1;
  }
  const off_t Target = Base + Offset;
  if (Target < 0 || Target > std::numeric_limits<std::int32_t>::max()) return -1;
  // A stream keeps its position within its bytes: a seek past the end fails.
  return Ctx->Seek(File->Handle, static_cast<std::int32_t>(Target), MSPACK_SYS_SEEK_START) == Target
             ? 0
             : -1;
}

void SysMessage(mspack_file*, const char*, ...) {}

// libmspack's free has no context argument, so each block starts with a
// header naming the context whose callbacks allocated it.
constexpr std::size_t BlockHeader = 16;

void* SysAlloc(mspack_system*, std::size_t Bytes) {
  TFDIContext* Ctx = ActiveContext;
  if (!Ctx || Bytes > std::numeric_limits<std::uint32_t>::max() - BlockHeader) return nullptr;
  auto* Block = static_cast<char*>(Ctx->Alloc(static_cast<std::uint32_t>(Bytes + BlockHeader)));
  if (!Block) return nullptr;
  std::memcpy(Block, &Ctx, sizeof Ctx);
  return Block + BlockHeader;
}

void SysFree(void* Ptr) {
  if (!Ptr) return;
  char* Block = static_cast<char*>(Ptr) - BlockHeader;
  TFDIContext* Ctx;
  std::memcpy(&Ctx, Block, sizeof Ctx);
  Ctx->Free(Block);
}

void SysCopy(void* Src, void* Dest, std::size_t Bytes) {
  std::memmove(Dest, Src, Bytes);
}

void SetError(ERF* Erf, FDIERROR Code) {
  if (!Erf) return;
  Erf->erfOper = Code;
  Erf->erfType = 0;
  Erf->fError = 1;
}

FDIERROR MapMspackError(int Error) {
  switch (Error) {
  case MSPACK_ERR_OPEN:
    return FDIERROR_CABINET_NOT_FOUND;
  case MSPACK_ERR_WRITE:
    return FDIERROR_TARGET_FILE;
  case MSPACK_ERR_NOMEMORY:
    return FDIERROR_ALLOC_FAIL;
  case MSPACK_ERR_SIGNATURE:
    return FDIERROR_NOT_A_CABINET;
  case MSPACK_ERR_DECRUNCH:
    return FDIERROR_MDI_FAIL;
  // Short reads, seeks past the end, bad checksums and bad header fields all
  // mean the archive's bytes are damaged.
  default:
    return FDIERROR_CORRUPT_CABINET;
  }
}

std::uint16_t DosDate(const mscabd_file& F) {
  return static_cast<std::uint16_t>(((F.date_y - 1980) & 0x7F) << 9 | (F.date_m & 0x0F) << 5 |
                                    (F.date_d & 0x1F));
}

std::uint16_t DosTime(const mscabd_file& F) {
  return static_cast<std::uint16_t>((F.time_h & 0x1F) << 11 | (F.time_m & 0x3F) << 5 |
                                    ((F.time_s >> 1) & 0x1F));
}

bool KnownCompression(int CompType) {
  switch (CompType & 0x0F) {
  case MSCAB_COMP_NONE:
  case MSCAB_COMP_MSZIP:
  case MSCAB_COMP_QUANTUM:
  case MSCAB_COMP_LZX:
    return true;
  default:
    return false;
  }
}

// Reads the fixed header at the handle's position and checks signature and
// version; Info, if given, receives its fields.
FDIERROR CheckHeader(TFDIContext* Ctx, std::intptr_t Handle, FDICABINETINFO* Info,
                     std::uint32_t* CabinetSize) {
  unsigned char H[HeaderSize];
  std::uint32_t Got = 0;
  while (Got < HeaderSize) {
    const std::uint32_t N = Ctx->Read(Handle, H + Got, HeaderSize - Got);
    if (N == ReadFailed || N == 0 || N > HeaderSize - Got) return FDIERROR_NOT_A_CABINET;
    Got += N;
  }
  if (std::memcmp(H, "MSCF", 4) != 0) return FDIERROR_NOT_A_CABINET;
  if (H[25] != 1) return FDIERROR_UNKNOWN_CABINET_VERSION;
  const std::uint16_t Flags = LoadLE16(H + 30);
  if (CabinetSize) *CabinetSize = LoadLE32(H + 8);
  if (Info) {
    Info->cbCabinet = static_cast<std::int32_t>(LoadLE32(H + 8));
    Info->cFolders = LoadLE16(H + 26);
    Info->cFiles = LoadLE16(H + 28);
    Info->setID = LoadLE16(H + 32);
    Info->iCabinet = LoadLE16(H + 34);
    Info->fReserve = (Flags & MSCAB_HDR_RESV) ? 1 : 0;
    Info->hasprev = (Flags & MSCAB_HDR_PREVCAB) ? 1 : 0;
    Info->hasnext = (Flags & MSCAB_HDR_NEXTCAB) ? 1 : 0;
  }
  return FDIERROR_NONE;
}

// Signature, version, and a file at least as long as the header says: a
// truncated archive is refused before any member is offered.
FDIERROR CheckCabinetFile(TFDIContext* Ctx, const std::string& Path) {
  std::string Name = Path;
  const std::intptr_t Handle = Ctx->Open(Name.data(), CabinetOpenFlags, CabinetPermission);
  if (Handle == -1) return FDIERROR_CABINET_NOT_FOUND;
  std::uint32_t Declared = 0;
  FDIERROR Result = CheckHeader(Ctx, Handle, nullptr, &Declared);
  if (Result == FDIERROR_NONE) {
    const std::int32_t Actual = Ctx->Seek(Handle, 0, MSPACK_SYS_SEEK_END);
    if (Actual < 0 || Declared < HeaderSize || Declared > static_cast<std::uint32_t>(Actual))
      Result = FDIERROR_CORRUPT_CABINET;
  }
  Ctx->Close(Handle);
  return Result;
}

class TOpenCabinet {
public:
  TOpenCabinet(mscab_decompressor* Cabd, mscabd_cabinet* Cab) : Cabd(Cabd), Cab(Cab) {}
  ~TOpenCabinet() {
    if (Cab) Cabd->close(Cabd, Cab);
  }
  TOpenCabinet(const TOpenCabinet&) = delete;
  TOpenCabinet& operator=(const TOpenCabinet&) = delete;
  mscab_decompressor* const Cabd;
  mscabd_cabinet* const Cab;
};

// MSZIP members of a plain cabinet (no reserved areas, not part of a set) go
// through the layer's own decoder, which is several times faster; whatever it
// declines, libmspack decodes from the start, over the prefix already written.
TMszipResult ExtractMszip(TFDIContext* Ctx, const mscabd_cabinet& Cab, std::uint16_t FolderIndex,
                          const mscabd_file& File, std::intptr_t Output) {
  if (Cab.flags != 0 || (File.folder->comp_type & 0x0F) != MSCAB_COMP_MSZIP)
    return TMszipResult::Declined;
  std::string Name = Cab.filename;
  const std::intptr_t Input = Ctx->Open(Name.data(), CabinetOpenFlags, CabinetPermission);
  if (Input == -1)
    return TMszipResult::Declined;
  auto ReadExact = [&](void* Buffer, std::uint32_t Count) {
    for (auto* P = static_cast<unsigned char*>(Buffer); Count;) {
      const std::uint32_t N = Ctx->Read(Input, P, Count);
      if (N == ReadFailed || N == 0 || N > Count)
        return false;
      P += N;
      Count -= N;
    }
    return true;
  };
  auto Write = [&](const void* Buffer, std::uint32_t Count) {
    return Ctx->Write(Output, const_cast<void*>(Buffer), Count) == Count;
  };
  // The folder entries follow the fixed header: data offset, block count, compression.
  const std::int32_t EntryAt = HeaderSize + 8 * FolderIndex;
  unsigned char Entry[8];
  TMszipResult Result = TMszipResult::Declined;
  if (Ctx->Seek(Input, EntryAt, MSPACK_SYS_SEEK_START) == EntryAt && ReadExact(Entry, sizeof Entry) &&
      LoadLE16(Entry + 4) == File.folder->num_blocks) {
    const std::uint32_t DataAt = LoadLE32(Entry);
    if (DataAt <= static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()) &&
        Ctx->Seek(Input, static_cast<std::int32_t>(DataAt), MSPACK_SYS_SEEK_START) ==
            static_cast<std::int32_t>(DataAt))
      Result = DecodeMszipMember(ReadExact, Write, LoadLE16(Entry + 4), File.offset, File.length);
  }
  if (Result == TMszipResult::WriteFailed) {
    // The failed write stays the last callback the caller hears of.
    Ctx->DeferCloses = true;
    CloseHandle(Ctx, Input);
  } else {
    Ctx->Close(Input);
  }
  if (Result == TMszipResult::Declined)
    Ctx->Seek(Output, 0, MSPACK_SYS_SEEK_START);
  return Result;
}

std::intptr_t Notify(PFNFDINOTIFY Fn, FDINOTIFICATIONTYPE Type, FDINOTIFICATION& N) {
  return Fn(Type, &N);
}

FDIERROR CopyMembers(TFDIContext* Ctx, mscabd_cabinet* Cab, std::string& CabPath,
                     PFNFDINOTIFY pfnfdin, void* pvUser) {
  std::string Empty;
  {
    FDINOTIFICATION N;
    N.psz1 = Cab->nextname ? Cab->nextname : Empty.data();
    N.psz2 = Cab->nextinfo ? Cab->nextinfo : Empty.data();
    N.psz3 = CabPath.data();
    N.pv = pvUser;
    N.setID = Cab->set_id;
    N.iCabinet = Cab->set_index;
    if (Notify(pfnfdin, fdintCABINET_INFO, N) == -1) return FDIERROR_USER_ABORT;
  }

  mscabd_folder* LastFolder = Cab->folders;
  while (LastFolder && LastFolder->next)
    LastFolder = LastFolder->next;

  for (mscabd_file* File = Cab->files; File; File = File->next) {
    std::uint16_t FolderIndex = 0;
    for (mscabd_folder* F = Cab->folders; F && F != File->folder; F = F->next)
      ++FolderIndex;
    FDINOTIFICATION N;
    N.pv = pvUser;
    N.psz1 = File->filename;
    N.setID = Cab->set_id;
    N.iCabinet = Cab->set_index;
    N.iFolder = FolderIndex;

    // A folder shared with a neighbouring cabinet cannot be decoded from this one alone.
    const bool FromPrevious = (Cab->flags & MSCAB_HDR_PREVCAB) && File->folder == Cab->folders;
    const bool IntoNext = (Cab->flags & MSCAB_HDR_NEXTCAB) && File->folder == LastFolder;
    if (FromPrevious) {
      N.psz2 = Cab->prevname ? Cab->prevname : Empty.data();
      N.psz3 = Cab->previnfo ? Cab->previnfo : Empty.data();
      if (Notify(pfnfdin, fdintPARTIAL_FILE, N) == -1) return FDIERROR_USER_ABORT;
      continue;
    }

    N.cb = static_cast<std::int32_t>(File->length);
    N.date = DosDate(*File);
    N.time = DosTime(*File);
    N.attribs = static_cast<std::uint16_t>(File->attribs);
    const std::intptr_t Output = Notify(pfnfdin, fdintCOPY_FILE, N);
    if (Output == -1) return FDIERROR_USER_ABORT;
    if (Output == 0) continue;

    if (IntoNext) {
      // The member cannot be completed from this cabinet: hand its handle back
      // first, so that nothing of ours runs after the caller's answer.
      Ctx->Close(Output);
      FDINOTIFICATION Next;
      Next.pv = pvUser;
      Next.psz1 = Cab->nextname ? Cab->nextname : Empty.data();
      Next.psz2 = Cab->nextinfo ? Cab->nextinfo : Empty.data();
      Next.psz3 = CabPath.data();
      Next.setID = Cab->set_id;
      Next.iCabinet = Cab->set_index;
      return Notify(pfnfdin, fdintNEXT_CABINET, Next) == -1 ? FDIERROR_USER_ABORT
                                                            : FDIERROR_WRONG_CABINET;
    }
    FDIERROR Failure = FDIERROR_NONE;
    if (!File->folder || !KnownCompression(File->folder->comp_type)) {
      Failure = FDIERROR_BAD_COMPR_TYPE;
    } else {
      const TMszipResult Fast = ExtractMszip(Ctx, *Cab, FolderIndex, *File, Output);
      if (Fast == TMszipResult::WriteFailed) {
        Failure = FDIERROR_TARGET_FILE;
      } else if (Fast == TMszipResult::Declined) {
        Ctx->OutputHandle = Output;
        Ctx->OutputFailed = false;
        const int Error = Ctx->Cabd->extract(Ctx->Cabd, File, File->filename);
        Ctx->OutputHandle = -1;
        if (Error != MSPACK_ERR_OK)
          Failure = Ctx->OutputFailed ? FDIERROR_TARGET_FILE : MapMspackError(Error);
      }
    }
    if (Failure != FDIERROR_NONE) {
      // The member's handle came from the caller and is not handed back: close it.
      Ctx->DeferCloses = true;
      CloseHandle(Ctx, Output);
      return Failure;
    }

    N.hf = Output;
    N.cb = 0; // no "run after extraction"
    if (Notify(pfnfdin, fdintCLOSE_FILE_INFO, N) != 1) return FDIERROR_USER_ABORT;
  }
  return FDIERROR_NONE;
}

} // namespace

HFDI FDICreate(PFNALLOC pfnalloc, PFNFREE pfnfree, PFNOPEN pfnopen, PFNREAD pfnread,
               PFNWRITE pfnwrite, PFNCLOSE pfnclose, PFNSEEK pfnseek,
               int /*cpuType: no choice to make*/, ERF* perf) {
  int SelfTest = MSPACK_ERR_OK;
  MSPACK_SYS_SELFTEST(SelfTest);
  if (!pfnalloc || !pfnfree || !pfnopen || !pfnread || !pfnwrite || !pfnclose || !pfnseek ||
      SelfTest != MSPACK_ERR_OK) {
    SetError(perf, FDIERROR_ALLOC_FAIL);
    return nullptr;
  }
  auto* Ctx = static_cast<TFDIContext*>(pfnalloc(sizeof(TFDIContext)));
  if (!Ctx) {
    SetError(perf, FDIERROR_ALLOC_FAIL);
    return nullptr;
  }
  new (Ctx) TFDIContext{};
  Ctx->PendingCloses = new (std::nothrow) std::vector<std::intptr_t>();
  TActive Active(Ctx);
  Ctx->Sys = mspack_system{SysOpen,    SysClose, SysRead, SysWrite, SysSeek, SysTell,
                           SysMessage, SysAlloc, SysFree, SysCopy,  nullptr};
  Ctx->Alloc = pfnalloc;
  Ctx->Free = pfnfree;
  Ctx->Open = pfnopen;
  Ctx->Read = pfnread;
  Ctx->Write = pfnwrite;
  Ctx->Close = pfnclose;
  Ctx->Seek = pfnseek;
  Ctx->Erf = perf;
  Ctx->Cabd = Ctx->PendingCloses ? mspack_create_cab_decompressor(&Ctx->Sys) : nullptr;
  if (!Ctx->Cabd) {
    delete Ctx->PendingCloses;
    Ctx->~TFDIContext();
    pfnfree(Ctx);
    SetError(perf, FDIERROR_ALLOC_FAIL);
    return nullptr;
  }
  // Larger input reads: fewer callback round trips per block.
  Ctx->Cabd->set_param(Ctx->Cabd, MSCABD_PARAM_DECOMPBUF, 65536);
  return Ctx;
}

FDIBOOL FDIIsCabinet(HFDI hfdi, std::intptr_t hf, FDICABINETINFO* pfdici) {
  auto* Ctx = static_cast<TFDIContext*>(hfdi);
  if (!Ctx || hf == -1) return 0;
  TActive Active(Ctx);
  FlushCloses(Ctx);
  const std::int32_t Start = Ctx->Seek(hf, 0, MSPACK_SYS_SEEK_CUR);
  if (Start < 0) return 0;
  FDICABINETINFO Info;
  const FDIERROR Result = CheckHeader(Ctx, hf, &Info, nullptr);
  Ctx->Seek(hf, Start, MSPACK_SYS_SEEK_START);
  if (Result != FDIERROR_NONE) return 0;
  if (pfdici) *pfdici = Info;
  return 1;
}

FDIBOOL FDICopy(HFDI hfdi, char* pszCabinet, char* pszCabPath, int /*flags*/, PFNFDINOTIFY pfnfdin,
                PFNFDIDECRYPT pfnfdid, void* pvUser) {
  auto* Ctx = static_cast<TFDIContext*>(hfdi);
  if (!Ctx) return 0;
  TActive Active(Ctx);
  FlushCloses(Ctx);
  if (!pszCabinet || !pfnfdin || pfnfdid) {
    SetError(Ctx->Erf, FDIERROR_CABINET_NOT_FOUND);
    return 0;
  }
  std::string CabPath = pszCabPath ? pszCabPath : "";
  const std::string FullPath = CabPath + pszCabinet;
  FDIERROR Result = CheckCabinetFile(Ctx, FullPath);
  if (Result != FDIERROR_NONE) {
    SetError(Ctx->Erf, Result);
    return 0;
  }
  TOpenCabinet Open(Ctx->Cabd, Ctx->Cabd->open(Ctx->Cabd, FullPath.c_str()));
  if (!Open.Cab) {
    SetError(Ctx->Erf, MapMspackError(Ctx->Cabd->last_error(Ctx->Cabd)));
    return 0;
  }
  Result = CopyMembers(Ctx, Open.Cab, CabPath, pfnfdin, pvUser);
  if (Result != FDIERROR_NONE) {
    Ctx->DeferCloses = true; // covers the cabinet's own handle, closed with Open
    SetError(Ctx->Erf, Result);
    return 0;
  }
  return 1;
}

FDIBOOL FDIDestroy(HFDI hfdi) {
  auto* Ctx = static_cast<TFDIContext*>(hfdi);
  if (!Ctx) return 0;
  TActive Active(Ctx);
  FlushCloses(Ctx);
  mspack_destroy_cab_decompressor(Ctx->Cabd);
  delete Ctx->PendingCloses;
  const PFNFREE Free = Ctx->Free;
  Ctx->~TFDIContext();
  Free(Ctx);
  return 1;
}

} // namespace vv
